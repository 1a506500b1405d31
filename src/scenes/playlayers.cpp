// The play view's background and foreground layers, its map cells, the pictures that commands show,
// the status bar and the stage time.
#include <cmath>
#include <cstdint>

#include "core/text.h"
#include "core/timing.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/layer.h"
#include "gfx/screenfx.h"
#include "gfx/surface.h"
#include "objects/objdraw.h"
#include "objects/objlists.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"

namespace {

constexpr int kViewW = 640;
constexpr int kViewH = 480;
constexpr int kEmptyColour = 16;
constexpr int kTileGuard = 1000;
constexpr int kViewColumns = 21;
constexpr int kViewRows = 16;
constexpr int kMarginPx = 10 * 32;

bool SurfaceExists(const DDSURFACEDATA& sd) {
  return lpDTCon ? sd.lpDT != nullptr : (sd.lpDDData && sd.lpDDData->lpDDSurface);
}

// The offset kept within one picture size, whatever the speed.
void WrapOffset(double& offset, int size) {
  if (size <= 0) return;
  offset = std::fmod(offset, size);
  if (offset < 0) offset += size;
}

// start modulo size, made non-negative.
int Modulo(double start, int size) {
  if (size <= 0) return 0;
  const int64_t m = static_cast<int64_t>(start) % size;
  return static_cast<int>(m < 0 ? m + size : m);
}

void TileLayer(DDSURFACEDATA* target, DDSURFACEDATA* pic, int u, int o, DWORD flags) {
  const int w = pic->nWidth, h = pic->nHeight;
  DDBeginLayer(0);
  int y = 0;
  for (int row = 0; y < kViewH && row < kTileGuard; ++row) {
    const int sy = row == 0 ? o : 0;
    const int hh = h - sy;
    int x = 0;
    for (int col = 0; x <= kViewW - 1 && col < kTileGuard; ++col) {
      const int sx = col == 0 ? u : 0;
      DDBlt(target, x, y, w - sx, hh, pic, sx, sy, flags);
      x += w - sx;
    }
    y += hh;
  }
  DDEndLayer();
}

// The status items in their order: total score, stage score, HP, SP, lives.
enum { kTotalScore = 0, kStageScore = 1, kHP = 2, kSP = 3, kLives = 4, kStatusRows = 5 };
constexpr int kGaugeW = 50;

int StatusValue(int row, int* maxValue) {
  const cCharaBase* hero = GetHero();
  *maxValue = 0;
  switch (row) {
    case kTotalScore: return g_SaveData.m_nTotalScore;
    case kStageScore: return g_SaveData.m_nScore;
    case kHP:
      if (!hero) return 0;
      *maxValue = hero->m_Chara.m_nMaxHP;
      return hero->m_nHP;
    case kSP:
      if (!hero) return 0;
      *maxValue = hero->m_Chara.m_nMaxSP;
      return hero->m_nSP;
    default: return g_SaveData.m_nLife;
  }
}

int LabelWidth(const cSysItem& item) { return item.m_bIcon ? 16 : 16 * SjisCharCount(item.m_strName); }

int RowWidth(int row, const cSysItem& item) {
  return LabelWidth(item) + (row == kHP || row == kSP ? kGaugeW : 16 * item.m_nDigits);
}

}  // namespace

void DrawCell(const cMapCell& cell, DDSURFACEDATA* target, int x, int y) {
  cDrawSource src;
  SelectGraphicSource(src, 0, cell.m_cGraphicKind, cell.m_sGraphic, cell.m_sGraphicSub, nullptr, 0);
  if (src.m_pUse) DDBlt(target, x, y, 32, 32, src.m_pUse, src.m_nSrcX, src.m_nSrcY, 1);
  if (cell.m_cOverlay == 1)
    DDBlt(target, x, y, 32, 32, &g_AppSurface[kMarkSheet], OverlayCellX(cell.m_sOverlay), OverlayCellY(cell.m_sOverlay),
          1);
}

void cScenePlay::ScrollLayers() {
  if (m_nState == PLAY_PAUSE) return;
  cCheckedVector<cBackLayerData>& layers = g_StageData.m_vBackLayer;
  for (int i = 0; i < layers.Size() && i < 8; ++i) {
    cBackLayerData& l = layers[i];
    const DDSURFACEDATA& pic = g_AppSurface[kLayerPicture + i];
    if (l.m_bAutoX) {
      l.m_dAutoPosX -= l.m_dAutoSpeedX;
      WrapOffset(l.m_dAutoPosX, pic.nWidth);
    }
    if (l.m_bAutoY) {
      l.m_dAutoPosY -= l.m_dAutoSpeedY;
      WrapOffset(l.m_dAutoPosY, pic.nHeight);
    }
  }
}

int cScenePlay::DrawLayers(DDSURFACEDATA* target, int plane) {
  const cCheckedVector<cBackLayerData>& layers = g_StageData.m_vBackLayer;
  bool anyVisible = false;
  for (const cBackLayerData& l : layers) anyVisible = anyVisible || l.m_bShow;
  if (plane == 0 && !anyVisible) {
    DDFillRect(target, 0, 0, kViewW, kViewH, kEmptyColour);
    return 0;
  }
  int drawn = 0;
  for (int i = 0; i < layers.Size() && i < 8; ++i) {
    const cBackLayerData& l = layers[i];
    if (!l.m_bShow || l.m_nPass != plane) continue;
    if (l.m_bFill) {
      DDFillRect(target, 0, 0, kViewW, kViewH, static_cast<DWORD>(l.m_nColor));
      ++drawn;
      continue;
    }
    DDSURFACEDATA* pic = &g_AppSurface[kLayerPicture + i];
    if (!SurfaceExists(*pic)) continue;
    double startX = std::trunc(m_ScrollX.m_dPos + 0.5 - kMarginPx) * l.m_dRateX;
    double startY = std::trunc(m_ScrollY.m_dPos - kMarginPx) * l.m_dRateY;
    if (l.m_bAutoX) startX += l.m_dAutoPosX;
    if (l.m_bAutoY) startY += l.m_dAutoPosY;
    const DWORD flags = plane == 0 && drawn == 0 ? 0 : 1;
    TileLayer(target, pic, Modulo(startX, pic->nWidth), Modulo(startY, pic->nHeight), flags);
    ++drawn;
  }
  if (plane == 0 && drawn == 0) DDFillRect(target, 0, 0, kViewW, kViewH, kEmptyColour);
  return drawn;
}

void cScenePlay::DrawBlocks(DDSURFACEDATA* target, int plane) {
  DDBeginLayer(0);
  DDLayerRegisterSource(&g_AppSurface[kMarkSheet]);
  const int sx = static_cast<int>(m_ScrollX.m_dPos), sy = static_cast<int>(m_ScrollY.m_dPos);
  const int columns = m_ScrollX.m_nMapCells, rows = m_ScrollY.m_nMapCells;
  for (int r = 0; r < kViewRows; ++r) {
    const int row = (sy >> 5) + r;
    if (row < 0 || row >= rows) continue;
    for (int c = 0; c < kViewColumns; ++c) {
      const int col = (sx >> 5) + c;
      if (col < 0 || col >= columns) continue;
      const int64_t index = col + (int64_t{row} << m_ScrollX.m_nShift);
      if (index >= g_MapCells.Size()) continue;
      cMapCell& cell = g_MapCells[static_cast<size_t>(index)];
      if (cell.m_sGraphic == 0 || cell.m_bFront != plane || cell.m_bHidden || !CheckBlockCond(cell)) continue;
      DrawCell(cell, target, 32 * c - (sx & 31), 32 * r - (sy & 31));
    }
  }
  DDEndLayer();
}

void cScenePlay::DrawPictures(DDSURFACEDATA* target, int plane, int flag) {
  auto pic = m_lPicture.begin();
  auto sd = g_lstPictureSD.begin();
  auto bd = g_lstPictureBD.begin();
  while (pic != m_lPicture.end() && sd != g_lstPictureSD.end() && bd != g_lstPictureBD.end()) {
    if (pic->m_nPlane != plane || IsMarkedFinished(&*pic) || !pic->Draw(target, &*sd, flag)) {
      ++pic, ++sd, ++bd;
      continue;
    }
    if (m_nModalDepth > 0) {
      MarkFinished(&*pic);
      ++pic, ++sd, ++bd;
      continue;
    }
    DDReleaseSurface(&*sd);
    pic = m_lPicture.erase(pic);
    sd = g_lstPictureSD.erase(sd);
    bd = g_lstPictureBD.erase(bd);
  }
}

void cScenePlay::DrawStatusBar(DDSURFACEDATA* target) {
  if (!m_bShowStatus) return;
  const cCheckedVector<cSysItem>& items = g_SystemData.m_vItem;
  int shown = 0, widths = 0;
  for (int row = 0; row < kStatusRows && row < items.Size(); ++row) {
    if (!items[row].m_bShow) continue;
    ++shown;
    widths += RowWidth(row, items[row]);
  }
  if (shown == 0) return;
  const int gap = (638 - widths) / (shown + 1);
  DDSURFACEDATA* icons = &g_AppSurface[kAccessorySheet];
  DDBlt(target, 0, 0, 640, 20, &g_AppSurface[kStatusWindow], 0, 0, 1);
  Font& font = g_Font[1];
  int x = gap;
  constexpr int y = 3;
  for (int row = 0; row < kStatusRows && row < items.Size(); ++row) {
    const cSysItem& item = items[row];
    if (!item.m_bShow) continue;
    int maxValue = 0;
    const int value = StatusValue(row, &maxValue);
    const char* name = item.m_strName.c_str();
    if (row == kHP || row == kSP) {
      if (item.m_bIcon) DDBlt(target, x, y, 16, 16, icons, row == kHP ? 32 : 48, 32, 1);
      else font.Printf(target, x, y, "%s", name);
      const int gx = x + LabelWidth(item), column = row == kHP ? 0 : 64;
      DDBlt(target, gx, y, kGaugeW, 16, icons, column, 128, 1);
      int64_t fill = maxValue == 0 ? 0 : int64_t{value} * kGaugeW / maxValue;
      fill = fill < 0 ? 0 : fill > kGaugeW ? kGaugeW : fill;
      const int source = g_SystemData.IsUnderThreshold(row, value, maxValue) ? 160 : 144;
      if (fill > 0) DDBlt(target, gx, y, static_cast<int>(fill), 16, icons, column, source, 1);
      if (item.m_bShowValue) g_Font[0].Printf(target, gx, 6, "%d", value);
    } else {
      const bool unlimited = row == kLives && value == kUnlimitedLife;
      const int iconX = row == kTotalScore ? 0 : row == kStageScore ? 16 : 64;
      if (item.m_bIcon) {
        DDBlt(target, x, y, 16, 16, icons, iconX, 32, 1);
        if (unlimited) font.Printf(target, x + 16, y, "-");
        else font.Printf(target, x + 16, y, "%d", value);
      } else if (unlimited) {
        font.Printf(target, x, y, "%s-", name);
      } else {
        font.Printf(target, x, y, "%s%d", name, value);
      }
    }
    x += RowWidth(row, item) + gap;
  }
}

void cScenePlay::DrawStageTime(DDSURFACEDATA* target, int soundFlag) {
  if (m_bTimeStopped) return;
  DDDrawNumber(target, 272, 24, 32, 32, &g_AppSurface[kWordSheet], 0, 160, 1, m_nStageTime, 3, 0, 0);
  if (soundFlag && m_nStageTime >= 1 && m_nStageTime <= g_StageData.m_nTimeWarning &&
      EveryNFrames(2, static_cast<uint32_t>(cApp::m_nFps)))
    PlaySystemSound(13);
}
