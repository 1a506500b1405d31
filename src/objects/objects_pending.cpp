// Object operations that the play drawing calls before the objects' part that owns them is built:
// each holds no behaviour until its owner replaces it here.
#include "objects/item.h"

void cItem::Draw(DDSURFACEDATA*, int) {}  // pending
