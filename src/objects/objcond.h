// The range (distance) condition's bands and the range display that draws them.
#pragma once
#include "stagedata/cond.h"

class cGameObj;
class cCharaBase;
struct DDSURFACEDATA;

// The band from edge - before to edge + 2 * (size / 2) + after; a side without an extent ends at
// the centre, and with bothSides and no extent at all the band is the picture itself.
void CalcRangeBand(int edge, int size, int before, int after, int bothSides, int& low, int& high);
// The band of a range area 0-5 around the object's picture on screen (areas 0-2 horizontal, 3-5
// vertical; 1, 2, 4 and 5 by its facing); 0 for another area.
int GetRangeBand(const cGameObj& obj, int area, int distance, int& low, int& high);
// The distance of a range condition in pixels.
int RangeDistance(const cCond& c);

// What a range condition says about its display (fields the test does not use).
inline int RangeColour(const cCond& c) { return c.m_nItem; }
inline int RangeDisplayMode(const cCond& c) { return c.m_nRightSource; }  // 0 never, 1 always, 2 test plays
inline int RangeDrawInactive(const cCond& c) { return c.m_nRightOwner; }
inline int RangeDrawHidden(const cCond& c) { return c.m_nLeftSource; }

// The colour counter of the range display, 0..31.
extern int g_nRangeColourCounter;
// Draws the range conditions of every living object on screen: the appearance conditions of those
// not yet latched, then the flows' conditions.
void DrawRangeConds(DDSURFACEDATA* surface);
// Draws one range condition of the object; 1 when drawn.
int DrawRangeCond(cCharaBase& obj, DDSURFACEDATA* surface, const cCond& c, int counter);
