// Sprite layers (Direct3D): the blits made while a layer is open are queued instead of drawn, and
// drawn when it ends in runs that share source, destination and draw state, each run from one vertex
// buffer. A layer with grouping on first brings together the blits of one source, or of one
// registered cell of a source. Layers nest as a stack of at most 100. In DirectDraw every call here
// does nothing and blits draw at once.
#pragma once
#include <vector>

#include "gfx/quad.h"
#include "gfx/records.h"

// One queued blit.
struct DDSPRITEDATA {
  int32_t nIndex = 0;  // the queue's size when it was queued
  int32_t nKey = 0;    // sort key
  DDSURFACEDATA* lpDst = nullptr;
  DDSURFACEDATA* lpSrc = nullptr;
  int32_t x = 0, y = 0, w = 0, h = 0, sx = 0, sy = 0, sw = 0, sh = 0;
  DWORD dwFlags = 0;
  DWORD dwDrawColor = 0;
  DWORD dwColorOp = 0;
  DWORD dwAlphaOp = 0;
  DWORD dwReserved = 0;
  int32_t bPosMatched = 0;
};

// One registered source, with or without a cell position.
struct DDLAYERSOURCE {
  DDSURFACEDATA* lpSD = nullptr;
  int32_t bMatchPos = 0;
  int32_t x = 0, y = 0;
  int32_t nBand = 0;  // 100000 x (n + 1) for the layer's n-th registration
};

struct DDLAYERDATA {
  int32_t bEnable = 1;  // 1: blits are queued; 0: paused, blits draw at once
  std::vector<DDSPRITEDATA> vecSprite;
  DDRUNBUFFERS run;  // the run being drawn
  int32_t nCounter = 0;
  int32_t bGroup = 0;
  std::vector<DDLAYERSOURCE> vecSource;
};

void DDBeginLayer(int group);
// Draws the current layer, pops it and makes the previous one current; 0 without a layer.
int DDEndLayer();
void DDPauseLayer();
void DDResumeLayer();
void DDLayerRegisterSource(DDSURFACEDATA* src);
void DDLayerRegisterSourceAt(DDSURFACEDATA* src, int x, int y);
// Finds or adds a registered source of the current layer (grouping on); null otherwise.
DDLAYERSOURCE* DDLayerFindSource(DDSURFACEDATA* src, int matchPos, int x, int y);

// The blit side: queues a clipped blit into the current layer when it is queuing; FALSE when the blit
// is to be drawn at once.
BOOL DDLayerQueueBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw,
                     int sh, DWORD flags);
// The number of layers open.
int DDLayerCount();
