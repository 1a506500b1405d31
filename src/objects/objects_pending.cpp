// Operations of the game objects that other code calls before the parts of the objects that own them
// are built: each line is replaced by the real operation when it lands.
#include "objects/charabase.h"
#include "objects/gameobj.h"
