#include "shell/globals.h"

int g_bEditorLaunched = 0;
