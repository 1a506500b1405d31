#include "objects/meswindow.h"

#include <cstdint>

#include "core/mainwnd.h"
#include "core/text.h"
#include "gamedata/savedata.h"
#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "gfx/surface.h"
#include "objects/charabase.h"
#include "objects/displaypos.h"
#include "objects/gameobj.h"
#include "objects/objlists.h"
#include "platform/win/messages.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"

namespace {

constexpr int kMessageFont = 1;
constexpr int kAccessoryPicture = 50;  // "bmp\Accessory.bmp": the extra-life mark at (0, 48)
constexpr int kPopupFrames = 30;
constexpr int kOpeningFrames = 10;

// Variable numbers run 1..1000; a longer digit run stops growing once past that, so it cannot
// overflow and still leaves the reference as it is.
constexpr int kMaxVarNo = 1000;

// One parsed '#' reference: its end (one past its last byte) and what it asks for.
struct cVarRef {
  size_t m_nEnd = 0;
  int m_nNumber = 0;
  bool m_bDigits = false;
  bool m_bCommon = false;
  bool m_bStage = false;
  int m_nWidth = 0;
  bool m_bPlus = false;
  bool m_bZeros = false;
};

cVarRef ParseVarRef(const std::string& text, size_t hash) {
  cVarRef ref;
  bool format = false;
  size_t i = hash + 1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      if (format) {
        ref.m_nWidth = c - '0';
      } else {
        ref.m_bDigits = true;
        if (ref.m_nNumber <= kMaxVarNo) ref.m_nNumber = ref.m_nNumber * 10 + (c - '0');
      }
    } else if (!format && (c == 'C' || c == 'c')) {
      ref.m_bCommon = true;
    } else if (!format && (c == 'S' || c == 's')) {
      ref.m_bStage = true;
    } else if (!format && c == '_') {
      format = true;
    } else if (format && (c == 'P' || c == 'p')) {
      ref.m_bPlus = true;
    } else if (format && (c == 'Z' || c == 'z')) {
      ref.m_bZeros = true;
    } else {
      if (c == '.') ++i;  // a closing dot belongs to the reference
      break;
    }
  }
  ref.m_nEnd = i;
  return ref;
}

// The value the reference names; false when it names none and stays in the text.
bool VarRefValue(const cVarRef& ref, int& value) {
  if (!ref.m_bDigits || ref.m_nNumber < 1 || ref.m_nNumber > kMaxVarNo) return false;
  if (ref.m_bCommon) {
    value = g_SaveData.m_vCommonVar.At(ref.m_nNumber);
    return true;
  }
  if (ref.m_bStage && g_pScenePlay) {
    value = g_pScenePlay->m_vStageVar.At(ref.m_nNumber);
    return true;
  }
  return false;
}

// Position of the surface in the message surface list; the list's size when it is not there.
int MesSurfaceIndex(const DDSURFACEDATA* surface) {
  int index = 0;
  for (const DDSURFACEDATA& sd : Off_Msg) {
    if (&sd == surface) return index;
    ++index;
  }
  return index;
}

}  // namespace

void ExpandMessageVariables(std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    if (IsSjisDoubleByte(text.c_str() + i)) {
      i += 2;
      continue;
    }
    if (text[i] != '#') {
      ++i;
      continue;
    }
    const cVarRef ref = ParseVarRef(text, i);
    int value = 0;
    if (!VarRefValue(ref, value)) {
      ++i;
      continue;
    }
    std::string shown;
    FormatNumber(shown, value, ref.m_nWidth, ref.m_bZeros, ref.m_bPlus);
    text.replace(i, ref.m_nEnd - i, shown);
    i += shown.size();
  }
}

void MeasureMessageText(int& w, int& h, const std::string& text) {
  const Font& font = g_Font[kMessageFont];
  int size[2] = {0, 0};
  if (font.Cached()) {
    font.MeasureText(size, text.c_str());
  } else {
    HDC dc = GetDC(g_hMainWnd);
    font.GetTextExtent(size, dc, text.c_str());
    if (dc) ReleaseDC(g_hMainWnd, dc);
  }
  w = size[0] + 2;
  h = size[1] + 2;
}

cMesWindow::cMesWindow(int kind, const std::string& text, int iconKind, int iconIndex, int iconFrame, int posMode,
                       int posUnit, int x, int y, int dx, int dy, int keepOnScreen, int fixed, int timeMode, int time,
                       int countFrozen, int ownerNo, int noOpening, int expand, int refresh, int refreshInterval,
                       int boxStyle, int hasId, int id) {
  Setup(kind, text, iconKind, iconIndex, iconFrame, posMode, posUnit, x, y, dx, dy, keepOnScreen, fixed, timeMode, time,
        countFrozen, ownerNo, noOpening, expand, refresh, refreshInterval, boxStyle, hasId, id, 0);
}

void cMesWindow::Reset(int kind, const std::string& text, int iconKind, int iconIndex, int iconFrame, int posMode,
                       int posUnit, int x, int y, int dx, int dy, int keepOnScreen, int fixed, int timeMode, int time,
                       int countFrozen, int ownerNo, int noOpening, int expand, int refresh, int refreshInterval,
                       int boxStyle, int hasId, int id) {
  Setup(kind, text, iconKind, iconIndex, iconFrame, posMode, posUnit, x, y, dx, dy, keepOnScreen, fixed, timeMode, time,
        countFrozen, ownerNo, noOpening, expand, refresh, refreshInterval, boxStyle, hasId, id, 1);
}

void cMesWindow::Setup(int kind, const std::string& text, int iconKind, int iconIndex, int iconFrame, int posMode,
                       int posUnit, int x, int y, int dx, int dy, int keepOnScreen, int fixed, int timeMode, int time,
                       int countFrozen, int ownerNo, int noOpening, int expand, int refresh, int refreshInterval,
                       int boxStyle, int hasId, int id, int reuseSurface) {
  m_nKind = kind;
  m_strText = text;
  m_strSource = text;
  m_nIconKind = iconKind;
  m_nIconIndex = iconIndex;
  m_nIconFrame = iconFrame;
  m_nPosMode = posMode;
  m_nPosUnit = posUnit;
  m_nPosX = x;
  m_nPosY = y;
  m_nOfsX = dx;
  m_nOfsY = dy;
  m_bKeepOnScreen = keepOnScreen;
  m_bFixed = fixed;
  m_nTimeMode = timeMode;
  m_nTimeLeft = time;
  m_bCountFrozen = countFrozen;
  m_nOwnerNo = ownerNo;
  m_bExpand = expand;
  m_bRefresh = refresh;
  m_nRefreshInterval = refreshInterval;
  m_bBoxStyle = boxStyle;
  m_bHasId = hasId;
  m_nId = id;
  m_bAnchored = 0;
  m_nAnchorX = 0;
  m_nAnchorY = 0;

  if (m_bExpand) ExpandMessageVariables(m_strText);
  if (m_nKind == MESWIN_TEXT) {
    MeasureMessageText(m_nWidth, m_nHeight, m_strText);
  } else if (m_nKind == MESWIN_ITEM_ICON || m_nKind == MESWIN_FIXED_ICON) {
    m_nWidth = 16;
    m_nHeight = 16;
  }
  m_dOpenStep = 0;
  m_bOpening = m_nTimeMode == MESTIME_UNTIL_KEY && !noOpening;

  if (m_nKind != MESWIN_TEXT) return;
  if (!reuseSurface) AllocSurface(Off_Msg.Size());
  RenderText(m_pSurface);
}

void cMesWindow::AllocSurface(int index) {
  int dtMemType = DTMEMORYTYPE_VIDEO_RT;
  if (lpDTCon) {
    // Little free video memory: the surface goes to system memory. An unknown total (0) counts as
    // enough.
    int freeMB = 0, totalMB = 0;
    QueryVideoMemory(&freeMB, &totalMB);
    if (totalMB > 0 && static_cast<int64_t>(freeMB) * 100 / totalMB < 20) dtMemType = DTMEMORYTYPE_SYSTEM;
  }
  BOOL ok;
  if (index >= Off_Msg.Size()) {
    ok = DDAddSurfaceToList(Off_Msg, g_lstMesBD, m_nWidth, m_nHeight, 1, 0, dtMemType, nullptr);
    m_pSurface = &Off_Msg.back();
    m_pBitmap = &g_lstMesBD.back();
  } else {
    ok = DDInsertSurface(Off_Msg, g_lstMesBD, index, m_nWidth, m_nHeight, 1, 0, dtMemType, nullptr);
    if (index < 0) index = 0;
    m_pSurface = &Off_Msg.At(index);
    m_pBitmap = &g_lstMesBD.At(index);
  }
  if (!ok) {
    // The program closes; until then the window draws without a surface.
    PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
    ReleaseSurface();
  }
}

void cMesWindow::ReleaseSurface() {
  if (m_pSurface) DDRemoveSurface(Off_Msg, g_lstMesBD, m_pSurface);
  m_pSurface = nullptr;
  m_pBitmap = nullptr;
}

void cMesWindow::RenderText(DDSURFACEDATA* surface) {
  if (!surface) return;
  if (!(lpDTCon && DDScreenBpp == 8)) DDFillSurface(surface, 0);
  Font& font = g_Font[kMessageFont];
  if (m_bBoxStyle)
    font.DrawTextBox(surface, 1, 1, 0, 0, m_strText.c_str(), 0);
  else
    font.DrawText(surface, 1, 1, m_strText.c_str());
}

int cMesWindow::CalcScreenPos(int& x, int& y) {
  const int w = m_nWidth, h = m_nHeight;
  x = 0;
  y = 0;
  switch (m_nPosMode) {
    case 0:
      x = 320 - w / 2 + m_nOfsX;
      y = 240 - h / 2 + m_nOfsY;
      return 1;
    case 1: case 2: case 3: case 4: case 5: case 6: {
      const cCharaBase* owner = FindObjById(m_nOwnerNo);
      if (!owner) return 0;
      const cPicRect& pic = owner->m_PicRect;
      x = pic.m_nLeft + pic.m_nW / 2 - w / 2 + m_nOfsX;
      switch ((m_nPosMode - 1) % 3) {
        case 0: y = pic.m_nTop - h + m_nOfsY; break;
        case 1: y = pic.m_nBottom + 1 + m_nOfsY; break;
        default: y = pic.m_nTop + pic.m_nH / 2 - h / 2 + m_nOfsY; break;
      }
      return 1;
    }
    default: break;
  }
  // Modes 7 to 10: a point on the screen or the stage, its top-left or its centre.
  if (m_nPosMode >= 7 && m_nPosMode <= 10)
    PlaceDisplayAtPoint(x, y, m_nPosUnit, m_nPosX, m_nPosY, m_nOfsX, m_nOfsY, w, h,
                        m_nPosMode == 8 || m_nPosMode == 10, m_nPosMode >= 9);
  return 1;
}

int cMesWindow::Draw(DDSURFACEDATA* target, int frozen) {
  // Lifetime.
  if (m_nTimeMode == MESTIME_BY_TIME && (m_bCountFrozen || !frozen)) {
    if (--m_nTimeLeft < 0) {
      ReleaseSurface();
      return 1;
    }
  }

  // Refresh of the expanded text.
  if (m_nKind == MESWIN_TEXT && m_bExpand && m_bRefresh && m_nRefreshInterval != 0 && g_pScenePlay &&
      g_pScenePlay->m_nPlayFrames % m_nRefreshInterval == 0) {
    std::string text = m_strSource;
    ExpandMessageVariables(text);
    if (text != m_strText) {
      m_strText = text;
      const int oldW = m_nWidth, oldH = m_nHeight;
      MeasureMessageText(m_nWidth, m_nHeight, m_strText);
      if (m_nWidth != oldW || m_nHeight != oldH) {
        const int index = MesSurfaceIndex(m_pSurface);
        ReleaseSurface();
        AllocSurface(index);
      }
      RenderText(m_pSurface);
    }
  }

  // Position.
  int x = 0, y = 0;
  if (!CalcScreenPos(x, y) && m_nKind == MESWIN_TEXT) {
    ReleaseSurface();
    return 1;
  }
  KeepDisplayPlace(x, y, m_nPosMode == 0 || m_nPosMode == 7 || m_nPosMode == 8, m_bFixed, m_bAnchored, m_nAnchorX,
                   m_nAnchorY);
  if (m_bKeepOnScreen) {
    if (x < 0) x = 0;
    else if (x + m_nWidth > 638) x = 640 - m_nWidth;
    if (y < 20) y = 20;
    else if (y + m_nHeight > 478) y = 480 - m_nHeight;
  }

  // Drawing.
  const int rise = (kPopupFrames - m_nTimeLeft) / 4;
  switch (m_nKind) {
    case MESWIN_TEXT: {
      if (m_pSurface && m_pSurface->bLost) {
        RenderText(m_pSurface);
        m_pSurface->bLost = 0;
      }
      if (m_strText.empty()) break;
      if (m_bOpening) {
        m_dOpenStep += 1;
        if (m_dOpenStep < kOpeningFrames) {
          if (m_bBoxStyle) {
            const double s = m_dOpenStep * 0.1;
            const int bw = TruncToInt(s * m_nWidth), bh = TruncToInt(s * m_nHeight);
            g_Font[kMessageFont].DrawWindow(target, x + m_nWidth / 2 - bw / 2, y + m_nHeight / 2 - bh / 2, bw, bh);
          }
          break;
        }
        m_bOpening = 0;
      }
      // The text goes to the screen whatever the target.
      if (m_pSurface) DDBlt(&BackBuffer, x, y, m_nWidth, m_nHeight, m_pSurface, 0, 0, 1);
      break;
    }
    case MESWIN_ITEM_ICON:
      DrawGraphicCell(target, x, y - rise, m_nIconKind, m_nIconIndex, m_nIconFrame);
      break;
    case MESWIN_FIXED_ICON:
      DDBlt(target, x, y - rise, 16, 16, &g_AppSurface[kAccessoryPicture], 0, 48, 1);
      break;
    default: break;
  }
  return 0;
}
