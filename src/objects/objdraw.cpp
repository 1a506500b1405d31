// Object drawing: the picture's source on the sheets, the character-effect handlers, the overlay
// mark, the dead object's effect and removal, and the HP and SP gauges.
#include "objects/objdraw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/effect.h"
#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"
#include "gfx/screenfx.h"
#include "objects/charabase.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/surfacesets.h"
#include "stagedata/anime.h"
#include "stagedata/database.h"
#include "stagedata/effectdef.h"

namespace {

// Entries of the fixed bitmap set.
constexpr int kBlockSheet = 2;
constexpr int kCharaSheet = 4;  // sheet k: plain 4 + 2k, mirrored 5 + 2k
constexpr int kCharaSheets = 8;
constexpr int kItemSheet = 40;
constexpr int kSmallItemSheet = 42;
constexpr int kMarkSheetScaled = 44;
constexpr int kGaugeSheet = 50;
constexpr int kWorkPlain = 68;
constexpr int kWorkSystem = 69;
constexpr int kWorkLarge = 70;
constexpr int kWorkLargeSystem = 71;
constexpr int kAltOffset = 18;  // the alternate copies of the character and shot sheets

constexpr double kSqrt2 = 1.4142135623730951;

DDSURFACEDATA* g_pMarkSheet = &g_AppSurface[kMarkSheet];
DDSURFACEDATA* g_pEffectWork = &g_AppSurface[kWorkPlain];
DDSURFACEDATA* g_pScaleWork = &g_AppSurface[kWorkLarge];
DDSURFACEDATA* g_pLensWork = &g_AppSurface[kWorkSystem];

bool UseAlternate() { return lpDDCon != nullptr && DDPaletteDisplayMode != 0; }

// The source rectangle lies on the surface.
bool Fits(const DDSURFACEDATA* s, int x, int y, int w, int h) {
  return s && w > 0 && h > 0 && x >= 0 && y >= 0 && x + w <= s->nWidth && y + h <= s->nHeight;
}

void SetPair(cDrawSource& src, DDSURFACEDATA* plain, DDSURFACEDATA* mirror, DDSURFACEDATA* plainAlt,
             DDSURFACEDATA* mirrorAlt) {
  src.m_pSurface = plain;
  src.m_pMirror = mirror;
  src.m_pSurfaceAlt = plainAlt;
  src.m_pMirrorAlt = mirrorAlt;
}

// The dedicated bitmap n of the stage's list: plain, mirrored and their alternates, or null.
DDSURFACEDATA* DedicatedSurface(int n, int which) {
  const int index = (n - 1) * 4 + which;
  if (n < 1 || index >= g_vCharaBmpSD.Size()) return nullptr;
  return &g_vCharaBmpSD[index];
}

int DedicatedCellSize(int n) {
  if (n < 1 || n >= g_Database.m_vBmpCharaExc.Size()) return 0;
  const auto& def = g_Database.m_vBmpCharaExc[n];
  return def.m_bLargeCells && def.m_nCellSize > 0 ? std::min(def.m_nCellSize, 16) : 0;
}

// Position of a frame in a dedicated bitmap of cells s x 32 pixels (s 0: 32 pixels, 16 a row).
void DedicatedCell(int frame, int cellSize, int& x, int& y) {
  const int s = cellSize > 0 ? cellSize : 1;
  const int perRow = 16 / s;
  x = (frame % perRow) * 32 * s;
  y = (frame / perRow) * 32 * s;
}

int ObjectSize(const cCharaBase& obj) { return std::max<int>(1, obj.m_Chara.m_cScale); }

// Drawn through the scaled work surface: the record has no size and the object is larger, or the
// record's size is not the object's.
bool IsScaled(const cCharaBase& obj, const cDrawSource& src) {
  const int size = ObjectSize(obj);
  return src.m_nSize == 0 ? size > 1 : src.m_nSize != size;
}

// What the handlers draw from: the frame on its sheet, or the scaled frame in the work surface.
struct cFrame {
  DDSURFACEDATA* m_pSurface = nullptr;
  int m_nX = 0, m_nY = 0;    // on the source
  int m_nW = 0, m_nH = 0;    // drawn size
  int m_nLeft = 0, m_nTop = 0;  // on screen
  bool m_bScaled = false;
};

// False when the frame lies outside its sheet: nothing is drawn.
bool PrepareFrame(const cCharaBase& obj, const cDrawSource& src, cFrame& f) {
  const cPicRect& p = obj.m_PicRect;
  f.m_nLeft = p.m_nLeft;
  f.m_nTop = p.m_nTop;
  f.m_nW = p.m_nW;
  f.m_nH = p.m_nH;
  if (!Fits(src.m_pUse, src.m_nSrcX, src.m_nSrcY, p.m_nBaseW, p.m_nBaseH)) return false;
  if (IsScaled(obj, src)) {
    if (!Fits(g_pScaleWork, 0, 0, p.m_nW, p.m_nH)) return false;
    obj.BlitFrameScaled(g_pScaleWork, src);
    f.m_pSurface = g_pScaleWork;
    f.m_bScaled = true;
    return true;
  }
  f.m_pSurface = src.m_pUse;
  f.m_nX = src.m_nSrcX;
  f.m_nY = src.m_nSrcY;
  return true;
}

const DWORD* BlendPair(const cDrawSource& src, DWORD (&pair)[2]) {
  if (!src.m_bBlend) return nullptr;
  pair[0] = src.m_dwColor;
  pair[1] = src.m_dwColorOp;
  return pair;
}

int Param(const cCharaBase& obj, int i) {
  const cCharaEffectData* def = obj.m_CharaEffect.m_pDef;
  return def ? def->m_nParam[i] : 0;
}

int Value(const cCharaBase& obj) { return TruncToInt(obj.m_CharaEffect.m_dValue); }

int StepEffect(cCharaBase& obj, int noAdvance) { return noAdvance ? 0 : obj.m_CharaEffect.Step(); }

void DrawPlain(const cCharaBase& obj, DDSURFACEDATA* surface, const cDrawSource& src) {
  cFrame f;
  if (!PrepareFrame(obj, src, f)) return;
  DWORD pair[2];
  if (src.m_bBlend && !f.m_bScaled) {
    DDBltBlend(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, f.m_pSurface, f.m_nX, f.m_nY, 1, BlendPair(src, pair));
  } else {
    DDBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, f.m_pSurface, f.m_nX, f.m_nY, 1);
  }
}

// --- Handlers ---------------------------------------------------------------------------------

int CharaEffectNone(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int, int draw) {
  if (draw) DrawPlain(obj, surface, src);
  return 0;
}

int CharaEffectBurst(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    DDSplitBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, f.m_pSurface, f.m_nX, f.m_nY,
               Value(obj) * ObjectSize(obj), 1);
  }
  return StepEffect(obj, noAdvance);
}

int Split(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw, int columns) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    const int parts = Param(obj, 3);
    const int length = columns ? f.m_nW : f.m_nH;
    const int stripe = parts > 0 ? (length + parts - 1) / parts : 0;
    DDCombBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, stripe, Value(obj), f.m_pSurface, f.m_nX, f.m_nY, 1,
              columns);
  }
  return StepEffect(obj, noAdvance);
}

int CharaEffectSplitH(cCharaBase& obj, DDSURFACEDATA* s, cDrawSource& src, int noAdvance, int draw) {
  return Split(obj, s, src, noAdvance, draw, 0);
}
int CharaEffectSplitV(cCharaBase& obj, DDSURFACEDATA* s, cDrawSource& src, int noAdvance, int draw) {
  return Split(obj, s, src, noAdvance, draw, 1);
}

int Wave(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw, int columns) {
  cFrame f;
  cCharaEffectState& e = obj.m_CharaEffect;
  if (draw && PrepareFrame(obj, src, f)) {
    const int size = ObjectSize(obj);
    DDWaveBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, Param(obj, 4) * size, e.m_dValue * size, e.m_nPhase,
              Param(obj, 3), f.m_pSurface, f.m_nX, f.m_nY, 1, columns);
  }
  if (!noAdvance && ++e.m_nPhase >= 360) e.m_nPhase = 0;
  return StepEffect(obj, noAdvance);
}

int CharaEffectWaveH(cCharaBase& obj, DDSURFACEDATA* s, cDrawSource& src, int noAdvance, int draw) {
  return Wave(obj, s, src, noAdvance, draw, 0);
}
int CharaEffectWaveV(cCharaBase& obj, DDSURFACEDATA* s, cDrawSource& src, int noAdvance, int draw) {
  return Wave(obj, s, src, noAdvance, draw, 1);
}

int CharaEffectBlink(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cCharaEffectState& e = obj.m_CharaEffect;
  if (!noAdvance && ++e.m_nPhase >= Param(obj, 1)) {
    e.m_nPhase = 0;
    e.m_nToggle = !e.m_nToggle;
  }
  if (draw && e.m_nToggle) DrawPlain(obj, surface, src);
  return StepEffect(obj, noAdvance);
}

void SetBlendState(const cDrawSource& src) {
  if (!src.m_bBlend) return;
  DDSetDrawColor(src.m_dwColor);
  DDSetColorOp(src.m_dwColorOp);
}

void ResetBlendState(const cDrawSource& src) {
  if (!src.m_bBlend) return;
  DDResetDrawColor();
  DDResetColorOp();
}

int CharaEffectRotateB(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    SetBlendState(src);
    DDRotateBlt(surface, f.m_nLeft + f.m_nW / 2, f.m_nTop + f.m_nH / 2, f.m_nW, f.m_nH, f.m_nW / 2, f.m_nH / 2,
                Value(obj), f.m_pSurface, f.m_nX, f.m_nY, 1);
    ResetBlendState(src);
  }
  return StepEffect(obj, noAdvance);
}

// The unscaled frame turned in a square work surface of the turned picture's reach, then stretched
// onto the picture centre at the object's size.
int CharaEffectRotateA(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  if (lpDTCon) return CharaEffectRotateB(obj, surface, src, noAdvance, draw);
  const cPicRect& p = obj.m_PicRect;
  if (draw && Fits(src.m_pUse, src.m_nSrcX, src.m_nSrcY, p.m_nBaseW, p.m_nBaseH)) {
    const int work = TruncToInt(p.m_nBaseW * kSqrt2);
    const int side = TruncToInt(ObjectSize(obj) * p.m_nBaseW * kSqrt2);
    if (Fits(g_pEffectWork, 0, 0, work, work)) {
      DDFillRect(g_pEffectWork, 0, 0, work, work, 0);
      DDRotateBlt(g_pEffectWork, work / 2, work / 2, p.m_nBaseW, p.m_nBaseH, p.m_nBaseW / 2, p.m_nBaseH / 2,
                  Value(obj), src.m_pUse, src.m_nSrcX, src.m_nSrcY, 1);
      DDStretchBlt(surface, p.m_nLeft + p.m_nW / 2 - side / 2, p.m_nTop + p.m_nH / 2 - side / 2, side, side,
                   g_pEffectWork, 0, 0, work, work, 1);
    }
  }
  return StepEffect(obj, noAdvance);
}

int CharaEffectRotateDepth(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    // The back of the card is the other copy of the pair; a scaled frame shows itself on both sides.
    DDSURFACEDATA* back = f.m_bScaled || !src.m_pOther ? f.m_pSurface : src.m_pOther;
    DDTurnBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, f.m_pSurface, f.m_nX, f.m_nY, back, f.m_nX, f.m_nY, f.m_nW,
              f.m_nH, 1, Value(obj), 0);
  }
  return StepEffect(obj, noAdvance);
}

int CharaEffectCircle(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    const int size = ObjectSize(obj);
    DDDiscBlt(surface, f.m_nLeft + f.m_nW / 2, f.m_nTop + f.m_nH / 2, f.m_nW / 2, f.m_nH / 2, Value(obj) * size,
              Param(obj, 3) * size, f.m_pSurface, f.m_nX + f.m_nW / 2, f.m_nY + f.m_nH / 2, 1);
  }
  return StepEffect(obj, noAdvance);
}

int CharaEffectZoom(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    int e = TruncToInt(obj.m_CharaEffect.m_dValue - 32);
    if (f.m_bScaled) e = e * ObjectSize(obj) / 2;
    if (f.m_nW + e > 0 && f.m_nH + e > 0) {
      DDStretchBlt(surface, f.m_nLeft - e / 2, f.m_nTop - e / 2, f.m_nW + e, f.m_nH + e, f.m_pSurface, f.m_nX, f.m_nY,
                   f.m_nW, f.m_nH, 1);
    }
  }
  return StepEffect(obj, noAdvance);
}

// The frame is copied into the lens work surface with the lens centre at (r, r), then drawn through
// the lens onto the picture centre moved by the offsets.
int CharaEffectLens(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    const int size = ObjectSize(obj);
    const int dx = Param(obj, 3) * size, dy = Param(obj, 4) * size;
    const int r = TruncToInt(kSqrt2 * (std::max(std::abs(dx), std::abs(dy)) + f.m_nW / 2));
    if (r > 0 && Fits(g_pLensWork, 0, 0, 2 * r, 2 * r)) {
      DDFillRect(g_pLensWork, 0, 0, 2 * r, 2 * r, 0);
      DDBlt(g_pLensWork, r - dx - f.m_nW / 2, r - dy - f.m_nH / 2, f.m_nW, f.m_nH, f.m_pSurface, f.m_nX, f.m_nY, 1);
      DWORD pair[2];
      DDLensBlt(surface, f.m_nLeft + f.m_nW / 2 + dx, f.m_nTop + f.m_nH / 2 + dy, r, Value(obj), g_pLensWork, r, r, 1,
                1, BlendPair(src, pair));
    }
  }
  return StepEffect(obj, noAdvance);
}

// The frame pulled toward palette colour `colour` by `level`.
void DrawTinted(DDSURFACEDATA* surface, const cFrame& f, const cDrawSource& src, int colour, int level) {
  DWORD pair[2];
  DDTintBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, f.m_pSurface, f.m_nX, f.m_nY, 1,
            reinterpret_cast<const BYTE*>(DDPalette), DDBlendTable, colour, level, BlendPair(src, pair));
}

int CharaEffectColour(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) DrawTinted(surface, f, src, Param(obj, 3), Value(obj));
  return StepEffect(obj, noAdvance);
}

// See-through by the effect's value as a transparency (0 opaque, 255 invisible; larger values stay
// invisible rather than wrapping round). The software mixes of DirectDraw are always half and half.
int CharaEffectTranslucent(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    if (lpDTCon) {
      DDBlendBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, f.m_pSurface, f.m_nX, f.m_nY, 1, DDBlendTable,
                 std::clamp(Value(obj), 0, 255));
    } else {
      DDHalfBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, f.m_pSurface, f.m_nX, f.m_nY, 1, DDBlendTable);
    }
  }
  return StepEffect(obj, noAdvance);
}

int CharaEffectMosaic(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    DWORD pair[2];
    DDMosaic(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, Value(obj), f.m_pSurface, f.m_nX, f.m_nY, 1,
             BlendPair(src, pair));
  }
  return StepEffect(obj, noAdvance);
}

// The blurring colour of 8-bit screens, which have no blur of their own.
constexpr int kBlurTint = 31;

// A box blur of strength v; on an 8-bit screen the frame tinted toward the blurring colour by v.
int CharaEffectBlur(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  cFrame f;
  if (draw && PrepareFrame(obj, src, f)) {
    if (DDScreenBpp == 8) {
      DrawTinted(surface, f, src, kBlurTint, Value(obj));
    } else {
      DWORD pair[2];
      DDBlurBlt(surface, f.m_nLeft, f.m_nTop, f.m_nW, f.m_nH, Value(obj), Value(obj), f.m_pSurface, f.m_nX, f.m_nY,
                1, BlendPair(src, pair));
    }
  }
  return StepEffect(obj, noAdvance);
}

// The handler of the object's running effect; an unknown kind draws as none.
CharaEffectHandler HandlerOf(const cCharaBase& obj) {
  const cCharaEffectData* def = obj.m_CharaEffect.m_pDef;
  const int kind = obj.m_CharaEffect.m_nIndex != 0 && def ? def->m_nKind : 0;
  return kind >= 0 && kind < kCharaEffectKinds ? CharaEffectTable[kind] : CharaEffectTable[0];
}

// Runs the handler; the effect is cleared when it ends.
int RunHandler(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance, int draw) {
  const int ended = HandlerOf(obj)(obj, surface, src, noAdvance, draw);
  if (ended) obj.m_CharaEffect.m_nIndex = 0;
  return ended;
}

}  // namespace

DDSURFACEDATA* g_pStretchWork = &g_AppSurface[kWorkSystem];

const CharaEffectHandler CharaEffectTable[kCharaEffectKinds] = {
    CharaEffectNone,    CharaEffectBurst,       CharaEffectSplitH, CharaEffectSplitV, CharaEffectWaveH,
    CharaEffectWaveV,   CharaEffectBlink,       CharaEffectRotateA, CharaEffectRotateB, CharaEffectRotateDepth,
    CharaEffectCircle,  CharaEffectZoom,        CharaEffectLens,   CharaEffectColour, CharaEffectTranslucent,
    CharaEffectMosaic,  CharaEffectBlur,
};

void SelectObjSurfaces() {
  const bool palette = UseAlternate();
  g_pMarkSheet = &g_AppSurface[palette ? kMarkSheetScaled : kMarkSheet];
  g_pEffectWork = &g_AppSurface[palette ? kWorkSystem : kWorkPlain];
  g_pScaleWork = &g_AppSurface[palette ? kWorkLargeSystem : kWorkLarge];
  // The lens works on locked pixels: system memory in DirectDraw, a dynamic texture in Direct3D.
  g_pLensWork = &g_AppSurface[lpDTCon ? kWorkLargeSystem : kWorkSystem];
  // The zoom stretches from video memory only where DirectDraw stretches in hardware.
  g_pStretchWork = &g_AppSurface[!lpDTCon && g_SystemIni.DD_VideoStretch ? kWorkPlain : kWorkSystem];
}

void SelectGraphicSource(cDrawSource& src, int mode, int graphicKind, int graphicNo, int frame, const cGameObj* obj,
                         int animValue) {
  const int n = graphicNo;
  const bool faceRight = mode == 1 && obj && obj->m_nFacing;
  bool mirrored = false;
  src.m_nCellSize = 0;
  switch (graphicKind) {
    case GRAPHIC_BLOCK: {
      DDSURFACEDATA* s = &g_AppSurface[kBlockSheet];
      SetPair(src, s, s, &g_AppSurface[kBlockSheet + 1], &g_AppSurface[kBlockSheet + 1]);
      src.m_nSrcX = (n / 15) * 32;
      src.m_nSrcY = (n % 15) * 32;
      break;
    }
    case GRAPHIC_CHARA: {
      int sheet = n / 15;
      int x, y = (n % 15) * 32;
      if (mode == 1) {
        mirrored = faceRight;
        x = (frame + animValue) * 32;
      } else {
        mirrored = frame >= 20;
        x = (mirrored ? frame - 20 : frame) * 32;
      }
      const bool onSheet = n >= 0 && sheet < kCharaSheets;
      if (!onSheet) sheet = 0;
      DDSURFACEDATA* plain = &g_AppSurface[kCharaSheet + 2 * sheet];
      SetPair(src, plain, plain + 1, plain + kAltOffset, plain + 1 + kAltOffset);
      // A position off the sheet falls back to the top-left cell of the default character sheet.
      if (!onSheet || !Fits(plain, x, y, 32, 32)) {
        SetPair(src, &g_AppSurface[kCharaSheet], &g_AppSurface[kCharaSheet + 1], &g_AppSurface[kCharaSheet + kAltOffset],
                &g_AppSurface[kCharaSheet + 1 + kAltOffset]);
        x = y = 0;
      }
      src.m_nSrcX = x;
      src.m_nSrcY = y;
      break;
    }
    case GRAPHIC_ITEM: {
      DDSURFACEDATA* s = &g_AppSurface[kItemSheet];
      SetPair(src, s, s, s + 1, s + 1);
      src.m_nSrcX = (n / 15) * 64 + (mode == 2 ? animValue * 32 : 0);
      src.m_nSrcY = (n % 15) * 32;
      break;
    }
    case GRAPHIC_SHOT: {
      DDSURFACEDATA* s = &g_AppSurface[kShotSheet];
      SetPair(src, s, s + 1, s + kAltOffset, s + 1 + kAltOffset);
      mirrored = faceRight;
      src.m_nSrcX = (n / 30) * 64;
      src.m_nSrcY = (n % 30) * 32;
      break;
    }
    case GRAPHIC_OWN_BITMAP:
      SetPair(src, DedicatedSurface(n, 0), DedicatedSurface(n, 1), DedicatedSurface(n, 2), DedicatedSurface(n, 3));
      mirrored = faceRight;
      src.m_nCellSize = DedicatedCellSize(n);
      DedicatedCell(frame, src.m_nCellSize, src.m_nSrcX, src.m_nSrcY);
      break;
    default:
      SetPair(src, nullptr, nullptr, nullptr, nullptr);
      src.m_nSrcX = src.m_nSrcY = 0;
      break;
  }
  DDSURFACEDATA* plain = UseAlternate() ? src.m_pSurfaceAlt : src.m_pSurface;
  DDSURFACEDATA* mirror = UseAlternate() ? src.m_pMirrorAlt : src.m_pMirror;
  src.m_pUse = mirrored ? mirror : plain;
  src.m_pOther = mirrored ? plain : mirror;
}

void DrawGraphicCell(DDSURFACEDATA* surface, int x, int y, int graphicKind, int number, int frame) {
  const int n = number;
  DDSURFACEDATA* s = nullptr;
  int sx = 0, sy = 0, edge = 32;
  switch (graphicKind) {
    case GRAPHIC_BLOCK:
      s = &g_AppSurface[kBlockSheet];
      sx = (n / 15) * 64;
      sy = (n % 15) * 32;
      break;
    case GRAPHIC_CHARA:
      if (n >= 0 && n / 15 < kCharaSheets) s = &g_AppSurface[kCharaSheet + 2 * (n / 15)];
      sx = frame * 32;
      sy = (n % 15) * 32;
      break;
    case GRAPHIC_ITEM:
      s = &g_AppSurface[kSmallItemSheet];
      sx = (n / 15) * 32;
      sy = (n % 15) * 16;
      edge = 16;
      break;
    case GRAPHIC_SHOT:
      s = &g_AppSurface[kShotSheet];
      sx = (n / 30) * 64;
      sy = (n % 30) * 32;
      break;
    case GRAPHIC_OWN_BITMAP: {
      s = DedicatedSurface(n, UseAlternate() ? 2 : 0);
      const int cell = DedicatedCellSize(n);
      DedicatedCell(frame, cell, sx, sy);
      edge = cell > 0 ? cell * 32 : 32;
      break;
    }
    default:
      return;
  }
  if (!Fits(s, sx, sy, edge, edge)) return;
  if (edge == 16) {
    DDBlt(surface, x, y, 16, 16, s, sx, sy, 1);
  } else {
    DDStretchBlt(surface, x, y, 16, 16, s, sx, sy, edge, edge, 1);
  }
}

// --- The object's drawing ----------------------------------------------------------------------

int cCharaBase::GetDrawFrame(cDrawSource& src) const {
  src.m_bBlend = 0;
  int frame = m_Chara.m_sGraphicSub;
  const int setNo = m_Chara.m_sAnimeSet;
  const cAnimeSetData* set =
      setNo >= 0 && setNo < g_Database.m_vAnimeSet.Size() ? &g_Database.m_vAnimeSet[setNo] : nullptr;
  if (set) {
    if (m_Chara.m_cMoveMode != 0) frame += set->m_nFrameOfsFlying;
    if (m_Chara.m_bHiddenStatus) frame += set->m_nFrameOfsStatus;
    if (m_Chara.m_cInvincible != 0) frame += set->m_nFrameOfsInvincible;
  }
  const int preset = m_Chara.m_cInvincibleTint;
  if (m_Chara.m_cInvincible != 0 && lpDTCon && g_SystemData.m_bInvincibleTint && preset > 0 &&
      preset < kColorPresetCount) {
    src.m_bBlend = 1;
    src.m_dwColor = g_ColorPreset[preset].m_dwColor;
    src.m_dwColorOp = static_cast<DWORD>(g_ColorPreset[preset].m_nBlendMode);
  }
  return frame;
}

void cCharaBase::BlitFrame(DDSURFACEDATA* work, const cDrawSource& src) const {
  const int w = m_PicRect.m_nW, h = m_PicRect.m_nH;
  DDFillRect(work, 0, 0, w, h, 0);
  DWORD pair[2];
  if (src.m_bBlend) {
    DDBltBlend(work, 0, 0, w, h, src.m_pUse, src.m_nSrcX, src.m_nSrcY, 1, BlendPair(src, pair));
  } else {
    DDBlt(work, 0, 0, w, h, src.m_pUse, src.m_nSrcX, src.m_nSrcY, 1);
  }
}

void cCharaBase::BlitFrameScaled(DDSURFACEDATA* work, const cDrawSource& src) const {
  const int size = src.m_nSize > 0 ? src.m_nSize : std::max<int>(1, m_Chara.m_cScale);
  if (size == std::max<int>(1, m_Chara.m_cScale) && size == 1) {
    BlitFrame(work, src);
    return;
  }
  const int bw = m_PicRect.m_nBaseW, bh = m_PicRect.m_nBaseH;
  const int w = bw * size, h = bh * size;
  DDFillRect(work, 0, 0, w, h, 0);
  DWORD pair[2];
  if (src.m_bBlend) {
    DDStretchBltBlend(work, 0, 0, w, h, src.m_pUse, src.m_nSrcX, src.m_nSrcY, bw, bh, 1, BlendPair(src, pair));
  } else {
    DDStretchBlt(work, 0, 0, w, h, src.m_pUse, src.m_nSrcX, src.m_nSrcY, bw, bh, 1);
  }
}

void cCharaBase::RunCharaEffect(int noAdvance) {
  cDrawSource src;
  RunHandler(*this, nullptr, src, noAdvance, 0);
}

int cCharaBase::Draw(DDSURFACEDATA* surface, int noAdvance) {
  const int animValue = StepAnims(noAdvance);
  if (m_bHidden || m_Chara.m_bHiddenStatus) {
    RunCharaEffect(noAdvance);
    return 0;
  }
  UpdateScreenPos();
  if (m_bFixedX) {
    m_PicRect.m_nLeft = m_nFixedX;
    m_PicRect.m_nRight = m_nFixedX + m_PicRect.m_nW - 1;
  }
  if (m_bFixedY) {
    m_PicRect.m_nTop = m_nFixedY;
    m_PicRect.m_nBottom = m_nFixedY + m_PicRect.m_nH - 1;
  }
  cDrawSource src;
  const int frame = GetDrawFrame(src);
  SelectGraphicSource(src, 1, m_Chara.m_cGraphicKind, m_nGraphicNo, frame, this, animValue);
  RunHandler(*this, surface, src, noAdvance, 1);
  if (m_Chara.m_cMarkShow == 1) {
    const int c = m_Chara.m_sMark;
    const int sx = (c / 15) * 32, sy = (c % 15) * 32;
    if (ObjectSize(*this) == 1) {
      if (Fits(g_pMarkSheet, sx, sy, 32, 32)) DDBlt(surface, m_PicRect.m_nLeft, m_PicRect.m_nTop, 32, 32, g_pMarkSheet, sx, sy, 1);
    } else {
      DDSURFACEDATA* sheet = &g_AppSurface[kMarkSheetScaled];
      if (Fits(sheet, sx, sy, m_PicRect.m_nBaseW, m_PicRect.m_nBaseH)) {
        DDStretchBlt(surface, m_PicRect.m_nLeft, m_PicRect.m_nTop, m_PicRect.m_nW, m_PicRect.m_nH, sheet, sx, sy,
                     m_PicRect.m_nBaseW, m_PicRect.m_nBaseH, 1);
      }
    }
  }
  return 0;
}

int cCharaBase::DrawDead(DDSURFACEDATA* surface, int noAdvance) {
  UpdateScreenPos();
  cDrawSource src;
  const int frame = GetDrawFrame(src);
  SelectGraphicSource(src, 1, m_Chara.m_cGraphicKind, m_nGraphicNo, frame, this, 0);
  const bool running = m_CharaEffect.m_nIndex != 0;
  if (m_nOperation == 1) {
    if (!running) return 1;
    return RunHandler(*this, surface, src, noAdvance, 1);
  }
  if (running) {
    RunHandler(*this, surface, src, noAdvance, 1);
    return 0;
  }
  if (!noAdvance) ++m_nDeadFrames;
  return m_nDeadFrames > cApp::m_nFps ? 1 : 0;
}

void cCharaBase::DrawHPGauge(DDSURFACEDATA* surface) { DrawGauge(surface, m_GaugeHP, 0); }

void cCharaBase::DrawSPGauge(DDSURFACEDATA* surface) { DrawGauge(surface, m_GaugeSP, 1); }

void cCharaBase::DrawGauge(DDSURFACEDATA* surface, cGaugeAnim& gauge, int isSP) {
  if (gauge.m_nTimer <= 0 || m_bDead) return;
  DDSURFACEDATA* sheet = &g_AppSurface[kGaugeSheet];
  const bool tall = sheet->nHeight > 208;
  const int r = tall ? 208 : 128, d = tall ? 2 : 16;
  const int sx = isSP ? 64 : 0;
  const int x = m_PicRect.m_nLeft + m_PicRect.m_nW / 2 - 25;
  const int y = m_PicRect.m_nTop - (isSP ? 7 : 3);
  const int length = std::clamp(gauge.m_nLength, 0, 50);
  const int low = isSP ? g_SystemData.IsUnderThreshold(3, m_nSP, m_Chara.m_nMaxSP)
                       : g_SystemData.IsUnderThreshold(2, m_nHP, m_Chara.m_nMaxHP);
  auto row = [&](int dx, int w, int sy) {
    if (w > 0 && Fits(sheet, sx + dx, sy, w, 2)) DDBlt(surface, x + dx, y, w, 2, sheet, sx + dx, sy, 1);
  };
  row(0, 50, r);
  row(0, length, r + (low ? 2 * d : d));
  const int change = TruncToInt(gauge.m_dChange);
  if (change > 0) {
    const int c = std::min(change, length);  // a gain over the last c pixels of the filled part
    row(length - c, c, r + 4 * d);
  } else if (change < 0) {
    row(length, std::min(-change, 50 - length), r + 3 * d);  // a loss right after it
  }
  --gauge.m_nTimer;
  if (gauge.m_nTimer < 60) {
    gauge.m_dChange = 0;
  } else {
    gauge.m_dChange -= gauge.m_dStep;
  }
}
