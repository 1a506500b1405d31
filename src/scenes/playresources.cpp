// The play scene's own pictures beside the fixed bitmap set: the shot cell sheets, the surfaces of the
// database's dedicated character bitmaps, sword types and effects, the run-time picture and message
// surfaces, and the sight masks that limit the hero's view.
#include <cstring>

#include "core/log.h"
#include "core/mainwnd.h"
#include "gamedata/systemswitches.h"
#include "gfx/bitmap.h"
#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"
#include "gfx/surface.h"
#include "objects/objlists.h"
#include "platform/win/messages.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/database.h"

namespace {

constexpr int kShotRows = 30;
constexpr int kShotColumns = 8;

// One surface of a loader made from a file and its descriptor; the partner (an earlier surface of
// the same vector, -1 none) is used in Direct3D only, where the twin shows the partner's texture.
struct FileSurface {
  int ddMemType;
  int partner;
  int mirrorWidth;
};

void AddFileSurface(cCheckedVector<DDSURFACEDATA>& surfaces, cCheckedVector<DDBITMAPDATA>& bitmaps,
                    const std::string& file, const FileSurface& how, const char* failText) {
  DDSURFACEDATA* partner = lpDTCon && how.partner >= 0 ? &surfaces.At(how.partner) : nullptr;
  DDBITMAPDATA& bd = bitmaps.emplace_back();
  std::strncpy(bd.szFileName, file.c_str(), sizeof bd.szFileName - 1);
  bd.bColorKey = 1;
  bd.nDDMemType = how.ddMemType;
  bd.lpPartner = partner;
  bd.bPalIndex = DDPaletteDisplayMode ? 1 : 0;
  bd.nMirrorWidth = how.mirrorWidth;
  DDSURFACEDATA& sd = surfaces.emplace_back();
  const int code = DDCreateSurfaceFromFile(&sd, file.c_str(), 1, DDScreenBpp, how.ddMemType, DTMEMORYTYPE_VIDEO_RT,
                                           partner, bd.bPalIndex, how.mirrorWidth, 0, 0);
  if (!DDCheckResult(code)) DebugLogF(failText, file.c_str());
}

// Reserves room for every surface first: twins point at their partners inside the same vector.
void StartLoader(cCheckedVector<DDSURFACEDATA>& surfaces, cCheckedVector<DDBITMAPDATA>& bitmaps, size_t count) {
  DDReleaseSurfaceVector(surfaces);
  surfaces.clear();
  bitmaps.clear();
  surfaces.reserve(count);
  bitmaps.reserve(count);
}

// The descriptor list beside a surface list, emptied with it.
template <class T>
void ClearSurfaceList(cCheckedList<DDSURFACEDATA>& surfaces, cCheckedList<T>& bitmaps) {
  DDReleaseSurfaceList(surfaces);
  surfaces.clear();
  bitmaps.clear();
}

// The out-of-memory exit of a sight surface.
bool CreateOrExit(DDSURFACEDATA* sd, int w, int h, int colorKey, int ddMemType) {
  if (DDCreateSurface(sd, w, h, colorKey, ddMemType, DTMEMORYTYPE_SYSTEM, nullptr, 0)) return true;
  OutOfMemoryExit();
  PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  return false;
}

}  // namespace

void cScenePlay::BuildShotSheets() {
  for (int sheet = 0; sheet < 2; ++sheet) {
    DDSURFACEDATA* dst = &g_AppSurface[kBuiltShotSheet + sheet];
    DDSURFACEDATA* src = &g_AppSurface[kShotSheet + sheet];
    DDFillRect(dst, 0, 0, dst->nWidth, dst->nHeight, 0);
    for (int r = 0; r < kShotRows; ++r)
      for (int c = 0; c < kShotColumns; ++c) DDBlt(dst, 8 + 32 * c, 8 + 32 * r, 16, 16, src, 16 * c, 16 * r, 1);
  }
}

void cScenePlay::LoadCharaBitmaps() {
  const auto& list = g_Database.m_vBmpCharaExc;
  StartLoader(g_vCharaBmpSD, g_vCharaBmpBD, list.size() * 4);
  for (int i = 1; i < list.Size(); ++i) {
    const cBmpCharaExcData& e = list[i];
    const int base = g_vCharaBmpSD.Size();
    const int edge = e.GetCellEdge();
    const char* text = "専用bmp %s 読み込み失敗！";
    AddFileSurface(g_vCharaBmpSD, g_vCharaBmpBD, e.m_strFile, {0, -1, 0}, text);
    AddFileSurface(g_vCharaBmpSD, g_vCharaBmpBD, e.m_strFile, {0, -1, edge}, text);
    AddFileSurface(g_vCharaBmpSD, g_vCharaBmpBD, e.m_strFile, {1, base, 0}, text);
    AddFileSurface(g_vCharaBmpSD, g_vCharaBmpBD, e.m_strFile, {1, base + 1, edge}, text);
  }
}

void cScenePlay::LoadSwordBitmaps() {
  const auto& list = g_Database.m_vSwordType;
  StartLoader(g_vSwordSD, g_vSwordBD, list.size() * 4);
  for (const cSwordTypeData& e : list) {
    for (const std::string* file : {&e.m_strFileLeft, &e.m_strFileRight}) {
      const int base = g_vSwordSD.Size();
      AddFileSurface(g_vSwordSD, g_vSwordBD, *file, {0, -1, 0}, "ソード %s 読み込み失敗！");
      AddFileSurface(g_vSwordSD, g_vSwordBD, *file, {1, base, 0}, "ソード %s 読み込み失敗！");
    }
  }
}

void cScenePlay::LoadEffectBitmaps() {
  const auto& list = g_Database.m_vEffect;
  StartLoader(g_vEffectSD, g_vEffectBD, list.size() * 2);
  for (int i = 1; i < list.Size(); ++i) {
    const int base = g_vEffectSD.Size();
    AddFileSurface(g_vEffectSD, g_vEffectBD, list[i].m_strFile, {0, -1, 0}, "エフェクト %s 読み込み失敗！");
    AddFileSurface(g_vEffectSD, g_vEffectBD, list[i].m_strFile, {1, base, 0}, "エフェクト %s 読み込み失敗！");
  }
}

void cScenePlay::FreePictureSurfaces() {
  ClearSurfaceList(g_lstPictureSD, g_lstPictureBD);
  m_lPicture.clear();
}

void cScenePlay::FreeMessageSurfaces() { ClearSurfaceList(Off_Msg, g_lstMesBD); }

void cScenePlay::CreateSightSurfaces(int sightMask, int holeMask) {
  DDSURFACEDATA* mask = &g_AppSurface[sightMask];
  DDSURFACEDATA* hole = &g_AppSurface[holeMask];
  m_pSightMask = mask;
  DDReleaseSurface(mask);
  DDReleaseSurface(hole);
  const cCharaBase* hero = GetHero();
  const int w = hero ? hero->m_nSight : 0;
  const int mode = hero ? hero->m_Chara.m_cSightMode : 0;
  const int maskW = 1280 + 2 * w, maskH = 960 + 2 * w;
  if (!CreateOrExit(mask, maskW, maskH, 1, 1)) return;
  DDFillRect(mask, 0, 0, maskW, maskH, 16);
  if (w == 0) return;
  if (mode != 1 && mode != 2) {
    DDFillRect(mask, maskW / 2 - w, maskH / 2 - w, 2 * w, 2 * w, 0);
    return;
  }
  if (!CreateOrExit(hole, 2 * w, 2 * w, 1, 1)) return;
  if (TransmitRgbOn()) DDFillRectRGB(hole, 0, 0, 2 * w, 2 * w, DDColorKey);
  else DDFillRect(hole, 0, 0, 2 * w, 2 * w, 0);
  DDDiscBlt(mask, maskW / 2, maskH / 2, w, w, w, 1, hole, w, w, 0);
}

// Only the surfaces the stage made: a stage whose hero has no sight setting has none to remake.
void cScenePlay::RebuildSightSurfaces() {
  if (m_pSightMask) CreateSightSurfaces(kSightMask, kSightMask + 1);
}
