// Operations of the game objects that other parts need before the parts that own them are built:
// each line is replaced by the real operation when it lands.
#include "objects/charabase.h"
#include "objects/effectobj.h"
#include "objects/gameobj.h"

void cEffectObj::SetupAtHit(int, const cRectD&, const cRectD&, int) {}  // pending
