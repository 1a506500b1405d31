// The fixed tables of the program's global instances. The instances themselves are defined beside
// their classes; those whose constructor or destructor reaches another global hold no state that
// depends on the order (records register their fields in tables made on first use, and the thread
// objects, the music manager and the window end their work during shut-down, before the program's
// end destroys them).
#pragma once

// Fills the fixed bitmap set, the three default font records and the three digit records. The
// program entry calls it once before anything reads them.
void BuildGlobalTables();
