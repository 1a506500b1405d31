// Start-up facts of the program that the data readers consult.
#pragma once

// 1 when the editor started the program for a test play (show command 5).
extern int g_bEditorLaunched;
