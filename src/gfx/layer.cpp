#include "gfx/layer.h"

#include <algorithm>
#include <list>

#include "gfx/drawstate.h"
#include "gfx/globals.h"

namespace {

constexpr int kMaxLayers = 100;
constexpr int kBand = 100000;

// The layer stack: the current layer is the last one.
struct DDLAYERSTACK {
  std::list<DDLAYERDATA> layers;
  int nCount = 0;
  int nCurrent = -1;
  DDLAYERDATA* lpCurrent = nullptr;
} DDLayerStack;

bool SameRun(const DDSPRITEDATA& a, const DDSPRITEDATA& b) {
  return a.lpSrc == b.lpSrc && a.lpDst == b.lpDst && a.dwDrawColor == b.dwDrawColor && a.dwFlags == b.dwFlags &&
         a.dwColorOp == b.dwColorOp && a.dwAlphaOp == b.dwAlphaOp && a.dwReserved == b.dwReserved;
}

// Draws the sprites [first, last), which share everything but their rectangles.
void DrawRun(DDLAYERDATA& layer, const DDSPRITEDATA* first, const DDSPRITEDATA* last) {
  DDRUNBUFFERS& run = layer.run;
  run.vertices.resize(static_cast<size_t>(last - first) * 4);
  DTVERTEX* v = run.vertices.data();
  for (const DDSPRITEDATA* s = first; s != last; ++s, v += 4)
    DDMakeBlitQuad(v, s->x, s->y, s->w, s->h, s->lpSrc, s->sx, s->sy, s->sw, s->sh, s->dwDrawColor);
  if (DDMakeRunBuffers(run) && DDBeginScene() && DDSetRenderTarget(0, first->lpDst)) {
    DTSURFACEDATA* dt = first->lpSrc->lpDT;
    if (first->dwFlags == 0 && dt->bColorKey)
      for (const DDSPRITEDATA* s = first; s != last; ++s) DDClearTransparent(first->lpDst, s->x, s->y, s->w, s->h);
    DDSetBlitStage(first->dwColorOp, first->dwAlphaOp, dt->lpTexture);
    DDDrawRun(run);
    DDRestoreRenderTarget();
  }
  run.Release();
}

void Draw(DDLAYERDATA& layer) {
  std::vector<DDSPRITEDATA>& sprites = layer.vecSprite;
  if (layer.bGroup)
    std::sort(sprites.begin(), sprites.end(), [](const DDSPRITEDATA& a, const DDSPRITEDATA& b) {
      return a.nKey != b.nKey ? a.nKey < b.nKey : a.nIndex < b.nIndex;
    });
  size_t i = 0;
  while (i < sprites.size()) {
    size_t end = i + 1;
    while (end < sprites.size() && end - i < DDRunMaxQuads && SameRun(sprites[i], sprites[end])) ++end;
    DrawRun(layer, sprites.data() + i, sprites.data() + end);
    i = end;
  }
}

}  // namespace

void DDBeginLayer(int group) {
  if (!lpDTCon || DDLayerStack.nCount >= kMaxLayers) return;
  DDLayerStack.layers.emplace_back();
  DDLAYERDATA& layer = DDLayerStack.layers.back();
  layer.bGroup = group;
  ++DDLayerStack.nCount;
  DDLayerStack.nCurrent = DDLayerStack.nCount - 1;
  DDLayerStack.lpCurrent = &layer;
}

int DDEndLayer() {
  DDLAYERDATA* layer = DDLayerStack.lpCurrent;
  if (!layer) return 0;
  if (lpDTCon && lpDevice && !layer->vecSprite.empty()) Draw(*layer);
  layer->run.Release();
  DDLayerStack.layers.pop_back();
  --DDLayerStack.nCount;
  DDLayerStack.nCurrent = DDLayerStack.nCount - 1;
  DDLayerStack.lpCurrent = DDLayerStack.layers.empty() ? nullptr : &DDLayerStack.layers.back();
  return 1;
}

void DDPauseLayer() {
  if (lpDTCon && DDLayerStack.lpCurrent) DDLayerStack.lpCurrent->bEnable = 0;
}

void DDResumeLayer() {
  if (lpDTCon && DDLayerStack.lpCurrent) DDLayerStack.lpCurrent->bEnable = 1;
}

DDLAYERSOURCE* DDLayerFindSource(DDSURFACEDATA* src, int matchPos, int x, int y) {
  DDLAYERDATA* layer = DDLayerStack.lpCurrent;
  if (!lpDTCon || !layer || !layer->bEnable || !layer->bGroup || !src) return nullptr;
  if (src->lpPartner) src = src->lpPartner;
  for (DDLAYERSOURCE& entry : layer->vecSource) {
    if (entry.lpSD != src) continue;
    if (matchPos && entry.bMatchPos && (entry.x != x || entry.y != y)) continue;
    return &entry;
  }
  int n = static_cast<int>(layer->vecSource.size());
  layer->vecSource.push_back({src, matchPos, x, y, kBand * (n + 1)});
  return &layer->vecSource.back();
}

void DDLayerRegisterSource(DDSURFACEDATA* src) { DDLayerFindSource(src, 0, 0, 0); }
void DDLayerRegisterSourceAt(DDSURFACEDATA* src, int x, int y) { DDLayerFindSource(src, 1, x, y); }

BOOL DDLayerQueueBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw,
                     int sh, DWORD flags) {
  DDLAYERDATA* layer = DDLayerStack.lpCurrent;
  if (!lpDTCon || !layer || !layer->bEnable) return FALSE;
  DDSPRITEDATA sprite;
  sprite.nIndex = static_cast<int32_t>(layer->vecSprite.size());
  sprite.lpDst = dst;
  sprite.lpSrc = src;
  sprite.x = x, sprite.y = y, sprite.w = w, sprite.h = h;
  sprite.sx = sx, sprite.sy = sy, sprite.sw = sw, sprite.sh = sh;
  sprite.dwFlags = flags;
  sprite.dwDrawColor = lpDTCon->dwDrawColor;
  sprite.dwColorOp = lpDTCon->dwColorOp;
  sprite.dwAlphaOp = lpDTCon->dwAlphaOp;
  bool keyed = false;
  if (layer->bGroup) {
    // An earlier blit of the same source (of the same cell, when that one was matched by its cell)
    // gives its key, and with it its cell match.
    for (const DDSPRITEDATA& earlier : layer->vecSprite) {
      if (earlier.lpSrc != src || (earlier.bPosMatched && (earlier.sx != sx || earlier.sy != sy))) continue;
      sprite.nKey = earlier.nKey;
      sprite.bPosMatched = earlier.bPosMatched;
      keyed = true;
      break;
    }
  }
  if (!keyed) {
    sprite.nKey = layer->nCounter++;
    for (const DDLAYERSOURCE& entry : layer->vecSource) {
      if (entry.lpSD != src) continue;
      if (!entry.bMatchPos) {
        sprite.nKey += entry.nBand;
      } else if (entry.x == sx && entry.y == sy) {
        sprite.nKey += entry.nBand;
        sprite.bPosMatched = 1;
      }
    }
  }
  layer->vecSprite.push_back(sprite);
  return TRUE;
}

int DDLayerCount() { return DDLayerStack.nCount; }
