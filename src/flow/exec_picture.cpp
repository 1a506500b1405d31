// The effect and picture commands: an effect of the database played at a place of the stage, scaled;
// a picture file shown at the screen, an object or a point, replaced or erased later by its ID. Both
// can stop the game until the effect has played or the picture is done.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "core/log.h"
#include "core/mainwnd.h"
#include "flow/displaylists.h"
#include "flow/executors.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gfx/bitmap.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "gfx/surface.h"
#include "objects/charabase.h"
#include "objects/gameobj.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "platform/fs/path.h"
#include "platform/win/messages.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/database.h"
#include "stagedata/flow.h"

namespace {

enum eEffectParam {
  E_NUMBER = 0,
  E_MODE = 1,
  E_X = 2,
  E_Y = 3,
  E_DX = 4,
  E_DY = 5,
  E_SCALE = 6,
  E_WAIT = 7,
  E_UNIT = 8,
};

enum ePictureParam {
  P_NUMBER = 0,
  P_MODE = 1,
  P_X = 2,
  P_Y = 3,
  P_DX = 4,
  P_DY = 5,
  P_PLANE = 6,
  P_SCALE = 7,
  P_TIME_MODE = 8,
  P_TIME = 9,
  P_WAIT = 10,
  P_FIXED = 11,
  P_HAS_ID = 12,
  P_ID = 13,
  P_ONE_FRAME = 14,
  P_UNIT = 15,
};

// size x percent / 100, rounded half away from zero.
int Scaled(int size, int percent) { return TruncToInt(std::round(percent * static_cast<double>(size) * 0.01)); }

// The screen centre of an object's picture, in screen pixels.
double PicCentreX(const cCharaBase* obj) { return obj ? obj->m_PicRect.m_nLeft + obj->m_PicRect.m_nW / 2 : 0; }
double PicCentreY(const cCharaBase* obj) { return obj ? obj->m_PicRect.m_nTop + obj->m_PicRect.m_nH / 2 : 0; }

// DirectDraw keeps a scaled picture in system memory unless the card stretches, and every picture
// there when little video memory is free.
int PictureDDMemType(int scale) {
  if (lpDTCon) return 0;
  if (scale != 100 && g_SystemIni.DD_VideoStretch == 0) return 1;
  int freeMB = 0, totalMB = 0;
  QueryVideoMemory(&freeMB, &totalMB);
  return totalMB > 0 && static_cast<int64_t>(freeMB) * 100 / totalMB < 20 ? 1 : 0;
}

// Loads the picture file into a new surface and descriptor at index k of the surface lists (appended
// for -1). False after the failure report; the lists are then as they were.
bool LoadPictureAt(int k, const std::string& file, int scale) {
  const bool append = k < 0 || k >= g_lstPictureSD.Size();
  auto bdAt = append ? g_lstPictureBD.end() : std::next(g_lstPictureBD.begin(), k);
  auto sdAt = append ? g_lstPictureSD.end() : std::next(g_lstPictureSD.begin(), k);
  auto bd = g_lstPictureBD.emplace(bdAt);
  std::strncpy(bd->szFileName, file.c_str(), sizeof bd->szFileName - 1);
  bd->bColorKey = 1;
  bd->nDDMemType = PictureDDMemType(scale);
  auto sd = g_lstPictureSD.emplace(sdAt);
  // A data path must stay inside the game folder; one that leaves it is a missing file.
  const bool inside = !ResolveHostPath(file, PathOrigin::Data).empty();
  const int code = inside ? DDCreateSurfaceFromFile(&*sd, bd->szFileName, 1, DDScreenBpp, bd->nDDMemType, 0, nullptr,
                                                    0, 0, 0, 0)
                          : 8;
  if (code == 0) return true;
  ErrorBoxF("%s 読み込み失敗！", file.c_str());
  DebugLogF("%s 読み込み失敗！", file.c_str());
  PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  DDReleaseSurface(&*sd);
  g_lstPictureSD.erase(sd);
  g_lstPictureBD.erase(bd);
  return false;
}

}  // namespace

void CalcDisplayPos(double& x, double& y, int width, int height, cCharaBase* subject, int mode, int unit, int X,
                    int Y, int shiftX, int shiftY) {
  const int w2 = width / 2, h2 = height / 2;
  const cScenePlay* scene = g_pScenePlay;
  const double sx = scene ? scene->m_ScrollX.m_dPos : 0, sy = scene ? scene->m_ScrollY.m_dPos : 0;
  const int ox = scene ? scene->m_ScrollX.m_nMarginCells : cScrollAxis::kMarginCells;
  const int oy = scene ? scene->m_ScrollY.m_nMarginCells : cScrollAxis::kMarginCells;
  x = 0;
  y = 0;
  const bool cells = unit == 0, dots = unit == 1;
  switch (mode) {
    case 0:
      x = shiftX + sx + 320 - w2;
      y = shiftY + sy + 240 - h2;
      return;
    case 1:
    case 2: {
      const cCharaBase* obj = mode == 1 ? subject : (g_vHero.empty() ? nullptr : &g_vHero[0]);
      x = shiftX + PicCentreX(obj) + sx - w2;
      y = shiftY + PicCentreY(obj) + sy - h2;
      return;
    }
    case 3:
      if (cells) x = shiftX + sx + X * 32, y = shiftY + Y * 32 + sy;
      if (dots) x = shiftX + sx + X, y = shiftY + Y + sy;
      return;
    case 4:
      if (cells) x = shiftX + sx + X * 32 + 16 - w2, y = shiftY + Y * 32 + sy + 16 - h2;
      if (dots) x = sx + X - w2 + shiftX, y = Y + sy - h2 + shiftY;
      return;
    case 5:
      if (cells) x = (X + ox) * 32 + shiftX, y = (Y + oy) * 32 + shiftY;
      if (dots) x = X + ox * 32 + shiftX, y = Y + shiftY + oy * 32;
      return;
    case 6:
      if (cells) x = (X + ox) * 32 + shiftX - w2 + 16, y = (Y + oy) * 32 + shiftY - h2 + 16;
      if (dots) x = X + shiftX + ox * 32 - w2, y = Y + shiftY - h2 + oy * 32;
      return;
    default: return;
  }
}

int ExecEffect(cCharaBase* subject, const cFlowCmd& cmd) {
  cScenePlay* scene = g_pScenePlay;
  if (!scene || scene->m_bQuit) return 0;
  const auto& p = cmd.m_vParam;
  const int number = p.At(E_NUMBER);
  if (number == 0) {
    ClearEffects(*scene);
    return 0;
  }
  const cEffectData& def = g_Database.m_vEffect.At(number);
  const int width = Scaled(def.m_nFrameW, p.At(E_SCALE)), height = Scaled(def.m_nFrameH, p.At(E_SCALE));
  double x, y;
  CalcDisplayPos(x, y, width, height, subject, p.At(E_MODE), p.At(E_UNIT), p.At(E_X), p.At(E_Y), p.At(E_DX),
                 p.At(E_DY));
  scene->m_lEffect.emplace_back().SetupFromCommand(number, x, y, width, height, p.At(E_WAIT));
  if (p.At(E_WAIT) == 0) return 0;
  // The effect stays in the list and ends by itself; the game waits for its play time.
  int64_t total = 0;
  for (const cEffectPart& part : def.m_vPart) total += int64_t{part.m_nDuration} * 6;
  scene->RunDisplayWait(2, 0, static_cast<int>(std::min<int64_t>(total, INT32_MAX)), 0);
  return 0;
}

int ExecPicture(cCharaBase* subject, const cFlowCmd& cmd) {
  cScenePlay* scene = g_pScenePlay;
  if (!scene || scene->m_bQuit) return 0;
  const auto& p = cmd.m_vParam;
  const int number = p.At(P_NUMBER);
  const int hasId = p.At(P_HAS_ID), id = p.At(P_ID);
  if (number == 0 && hasId == 0) {
    ClearPictures(*scene);
    return 0;
  }
  int k = -1;
  if (hasId != 0) {
    int i = 0;
    for (const cPictureObj& pic : scene->m_lPicture) {
      if (pic.m_bHasId && pic.m_nId == id) {
        k = i;
        break;
      }
      ++i;
    }
  }
  if (number == 0) {
    // Erase by ID; an unknown ID erases nothing.
    RemovePictureAt(*scene, k);
    return 0;
  }
  const cPictureData& def = g_Database.m_vPicture.At(number);
  bool keep = false;
  if (k >= 0) {
    // The picture object goes; its surface stays when it shows the same file.
    scene->m_lPicture.EraseAt(k);
    const DDBITMAPDATA& bd = g_lstPictureBD.At(k);
    keep = std::strncmp(bd.szFileName, def.m_strFile.c_str(), sizeof bd.szFileName - 1) == 0;
    if (!keep) {
      auto sd = std::next(g_lstPictureSD.begin(), k);
      DDReleaseSurface(&*sd);
      g_lstPictureSD.erase(sd);
      g_lstPictureBD.EraseAt(k);
    }
  }
  if (!keep && !LoadPictureAt(k, def.m_strFile, p.At(P_SCALE))) return 0;
  const DDSURFACEDATA& surface = k >= 0 ? g_lstPictureSD.At(k) : g_lstPictureSD.back();

  const int time = p.At(P_ONE_FRAME) != 0 ? 1 : p.At(P_TIME) * 6;
  const int mode = p.At(P_MODE);
  int anchor = 0;
  if (mode == 1 && subject) anchor = subject->m_nObjNo;
  if (mode == 2 && !g_vHero.empty()) anchor = g_vHero[0].m_nObjNo;

  cPictureObj pic;
  pic.Setup(mode, id, p.At(P_UNIT), p.At(P_X), p.At(P_Y), p.At(P_DX), p.At(P_DY), surface.nWidth, surface.nHeight,
            p.At(P_FIXED), number, p.At(P_SCALE), p.At(P_TIME_MODE), time, p.At(P_WAIT), anchor, hasId, id);
  pic.m_nPlane = p.At(P_PLANE);
  if (const cCharaBase* obj = anchor ? FindObjById(anchor) : nullptr) {
    pic.m_dCentreX = obj->m_dX + obj->m_nHitW / 2;
    pic.m_dCentreY = obj->m_dY + obj->m_nHitH / 2;
    pic.m_nX = TruncToInt(pic.m_dCentreX);
    pic.m_nY = TruncToInt(pic.m_dCentreY);
    // Placed now for good unless the picture follows its object at every drawing.
    if (!g_SystemData.m_bPictureFollow) pic.GetAnchorPos(pic.m_nX, pic.m_nY);
  }
  auto at = k >= 0 ? std::next(scene->m_lPicture.begin(), k) : scene->m_lPicture.end();
  const cPictureObj* shown = &*scene->m_lPicture.insert(at, pic);

  if (p.At(P_WAIT) == 0) return 0;
  switch (p.At(P_TIME_MODE)) {
    case 0: SetDisplayWait(&scene->m_Wait, 3, 1, 0, 0); break;
    case 2: SetDisplayWait(&scene->m_Wait, 3, 0, time, 0); break;
    default: break;
  }
  scene->RunModalLoop(&cScenePlay::WaitKeyLoop);
  RemovePicture(*scene, shown);
  return 0;
}
