// Operations of the game objects that other parts of the objects need before they are built: each
// holds no behaviour until the part that owns it replaces it here.
#include "objects/gameobj.h"

void DrawGraphicCell(DDSURFACEDATA*, int, int, int, int, int) {}  // pending
