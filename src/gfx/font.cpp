#include "gfx/font.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/layer.h"
#include "gfx/quad.h"
#include "gfx/screenfx.h"
#include "gfx/surface.h"
#include "platform/text/fontface.h"
#include "platform/win/messages.h"

std::vector<Font*> DDFontList;

const char DDFixedFullWidthChars[] =
    "０１２３４５６７８９ー～、。．！？「」（）｛｝・…※→↑↓←＋－＝○●×ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺａｂ"
    "ｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもや"
    "ゆよらりるれろわをんがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょアイウエオカキクケコサシスセソタ"
    "チツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンガギグゲゴザジズゼゾダヂヅデドバビブベボヴパピプペポァィゥェ"
    "ォッャュョ□■☆★％＆＜＞：";
// Where narrow literals keep UTF-8 (the fuzz build) the list is longer; it holds the same characters.
static_assert(sizeof("あ") != 3 || sizeof(DDFixedFullWidthChars) == 258 * 2 + 1,
              "the fixed list holds 258 two-byte characters");

// ---- Glyph sheets ----

BOOL FastFont::Create(int kind, int cellWidth, int cellHeight, int columns, int rows) {
  DDReleaseSurface(&m_Sheet);
  m_Sheet = DDSURFACEDATA();
  m_nSheetKind = kind;
  m_nCellWidth = cellWidth;
  m_nCellHeight = cellHeight;
  m_nColumns = columns;
  m_nRows = rows;
  m_nCapacity = columns * rows;
  m_GlyphList.clear();
  m_Lookup.assign(65536, -1);
  m_nCount = 0;
  return DDCreateSurface(&m_Sheet, columns * cellWidth, rows * cellHeight, 1, 0, 0, nullptr, 0);
}

int FastFont::AddChar(const char* character) {
  if (m_nCount >= m_nCapacity) return 0;
  FASTFONTGLYPH g{};
  g.szChar[0] = character[0];
  g.szChar[1] = character[1];
  g.nIndex = m_nCount;
  g.nX = (m_nCount % m_nColumns) * m_nCellWidth;
  g.nY = (m_nCount / m_nColumns) * m_nCellHeight;
  int16_t& slot = m_Lookup[static_cast<uint8_t>(character[0]) << 8 | static_cast<uint8_t>(character[1])];
  if (slot < 0) slot = static_cast<int16_t>(m_GlyphList.size());
  m_GlyphList.push_back(g);
  ++m_nCount;
  return 1;
}

int FastFont::DrawCell(DDSURFACEDATA* dst, int x, int y, unsigned char b, DWORD flags) {
  return DDBlt(dst, x, y, m_nCellWidth, m_nCellHeight, &m_Sheet, (b % m_nColumns) * m_nCellWidth,
               (b / m_nColumns) * m_nCellHeight, flags);
}

const FASTFONTGLYPH* FastFont::Find(const char* character) const {
  if (m_Lookup.empty()) return nullptr;
  int16_t slot = m_Lookup[static_cast<uint8_t>(character[0]) << 8 | static_cast<uint8_t>(character[1])];
  return slot < 0 ? nullptr : &m_GlyphList[static_cast<size_t>(slot)];
}

int FastFont::DrawChar(DDSURFACEDATA* dst, int x, int y, const char* character, DWORD flags) {
  const FASTFONTGLYPH* g = Find(character);
  if (!g) return 0;
  DDBlt(dst, x, y, m_nCellWidth, m_nCellHeight, &m_Sheet, g->nX, g->nY, flags);
  return 1;
}

// ---- Fonts ----

namespace {

bool IsDoubleByteAt(const char* p) { return p[0] && p[1] && IsSjisDoubleByte(p); }

DWORD ColourOf(int colorNo) {
  const PALETTEENTRY& e = DDPalette[std::clamp(colorNo, 0, 255)];
  if (lpDTCon) return 0xFF000000u | DWORD(e.peRed) << 16 | DWORD(e.peGreen) << 8 | e.peBlue;
  DWORD r = e.peRed, g = e.peGreen, b = e.peBlue;
  if (DDScreenBpp == 16) {
    if (DDPixelFormat[4]) r = r * 255 / DDPixelFormat[4];
    if (DDPixelFormat[5]) g = g * 255 / DDPixelFormat[5];
    if (DDPixelFormat[6]) b = b * 255 / DDPixelFormat[6];
  }
  return std::min<DWORD>(b, 255) << 16 | std::min<DWORD>(g, 255) << 8 | std::min<DWORD>(r, 255);
}

bool HasSurface(const DDSURFACEDATA* sd) {
  if (!sd) return false;
  if (lpDTCon) return sd->lpDT && sd->lpDT->lpSurface;
  return sd->lpDDData && sd->lpDDData->lpDDSurface;
}

// Sets the device's render target to the surface inside a scene, with the sprite begun.
bool BeginD3DXDrawing(ID3DXSprite* sprite, DDSURFACEDATA* target) {
  if (!DDBeginScene()) return false;
  if (target && target->lpDT && target->lpDT->lpSurface) lpDevice->SetRenderTarget(0, target->lpDT->lpSurface);
  if (sprite) sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE);
  return true;
}

void EndD3DXDrawing(ID3DXSprite* sprite) {
  if (sprite) sprite->End();
  DDRestoreRenderTarget();
}

// Text formatted into at most size - 1 bytes, cut without splitting a two-byte character.
std::string BoundedFormat(size_t size, const char* format, va_list args) {
  std::string text = StrVPrintf(format, args);
  return SjisCut(text, size - 1);
}

}  // namespace

Font::~Font() {
  DDFontList.erase(std::remove(DDFontList.begin(), DDFontList.end(), this), DDFontList.end());
  if (lpDTCon || lpDDCon) ReleaseFontObject(this);
}

void Font::DeleteSheets() {
  for (FastFont** sheet : {&m_lpFastFont_Half, &m_lpFastFont_FullAdd}) {
    if (!*sheet) continue;
    DDReleaseSurface(&(*sheet)->m_Sheet);
    delete *sheet;
    *sheet = nullptr;
  }
}

bool Font::IconStripPresent() const { return HasSurface(m_lpIconSD); }

BOOL Font::Create(const char* face, int charWidth, int charHeight, int pitch, int lineHeight, int colorNo,
                  DDSURFACEDATA* frame, int frameWidth, int frameColorNo, DDSURFACEDATA* icon, int fastFont) {
  if (!lpDTCon && !lpDDCon) return FALSE;
  m_lpszFace = face ? face : "";
  m_nCharWidth = charWidth;
  m_nCharHeight = charHeight;
  m_nCharPitch = pitch;
  m_nLineHeight = lineHeight;
  m_nColorNo = colorNo;
  m_dwColor = ColourOf(colorNo);
  m_lpFrameSD = frame;
  m_nFrameWidth = frameWidth;
  m_nFrameColorNo = frameColorNo;
  m_lpIconSD = icon;
  m_bIcon = icon != nullptr;
  BOOL ok = TRUE;
  if (!m_hFont)
    m_hFont = CreateFontA(charHeight, charWidth, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, m_lpszFace);
  if (lpDTCon) {
    if (!m_lpD3DXFont) {
      D3DXFONT_DESCA desc{};
      desc.Height = charHeight;
      desc.Weight = 400;
      desc.CharSet = SHIFTJIS_CHARSET;
      std::string name = SjisCut(m_lpszFace, sizeof desc.FaceName - 1);
      std::memcpy(desc.FaceName, name.c_str(), name.size() + 1);
      if (FAILED(D3DXCreateFontIndirectA(lpDevice, &desc, &m_lpD3DXFont))) m_lpD3DXFont = nullptr;
    }
    if (!m_lpSprite && FAILED(D3DXCreateSprite(lpDevice, &m_lpSprite))) m_lpSprite = nullptr;
    if (!Work.lpDT) DDCreateSurface(&Work, BackBuffer.nWidth, BackBuffer.nHeight, 1, 0, 0, nullptr, 0);
    if (!m_lpD3DXFont || !m_lpSprite || !HasSurface(&Work)) {
      ReportLog("Font::Create %s : D3DXCreateFontIndirect %s, D3DXCreateSprite %s, Font::Work %s", m_lpszFace,
                m_lpD3DXFont ? "OK" : "NG", m_lpSprite ? "OK" : "NG", HasSurface(&Work) ? "OK" : "NG");
      ok = FALSE;
    }
  } else if (!HasSurface(&Work) &&
             !DDCreateSurface(&Work, BackBuffer.nWidth, BackBuffer.nHeight, 1, 0, 0, nullptr, 0)) {
    DebugLogF("DDCreateSurface Font::Work");
    PostMessage(DDHwnd, WM_CLOSE, 0, 0);
    return FALSE;
  }
  for (std::string notice = text::TakeMissingFaceNotice(); !notice.empty(); notice = text::TakeMissingFaceNotice())
    ReportLog("%s", notice.c_str());
  m_nId = lpDTCon ? lpDTCon->nNextFontId++ : lpDDCon->nNextFontId++;
  if (std::find(DDFontList.begin(), DDFontList.end(), this) == DDFontList.end()) DDFontList.push_back(this);

  m_bFastFont = fastFont;
  DeleteSheets();
  if (!fastFont || !ok) return ok;
  if (pitch == 0 || lineHeight == 0) {
    DebugLogF("※フォントクラスで文字間が未設定！");
    return ok;
  }
  int columns, rows;
  if (lpDTCon) {
    columns = std::min(1024 / pitch, 32);
    rows = std::min(1024 / lineHeight, 32);
  } else {
    columns = std::min(BackBuffer.nWidth / pitch, 32);
    rows = std::min(BackBuffer.nHeight / lineHeight, 30);
  }
  m_lpFastFont_Half = new FastFont;
  if (!m_lpFastFont_Half->Create(0, pitch, lineHeight, 16, 16)) {
    DebugLogF("m_lpFastFont_Half Err");
    PostMessage(DDHwnd, WM_CLOSE, 0, 0);
    DeleteSheets();
    return FALSE;
  }
  m_lpFastFont_FullAdd = new FastFont;
  if (columns <= 0 || rows <= 0 || !m_lpFastFont_FullAdd->Create(1, pitch, lineHeight, columns, rows)) {
    DebugLogF("m_lpFastFont_FullAdd Err");
    PostMessage(DDHwnd, WM_CLOSE, 0, 0);
    DeleteSheets();
    return FALSE;
  }
  RenderHalf();
  RenderFullAdd(0);
  return TRUE;
}

void Font::MeasureText(int out[2], const char* text) const {
  int lines = 0, widest = 0;
  const char* p = text ? text : "";
  for (;;) {
    int len = LineLength(p);
    widest = std::max(widest, SjisCharCount(std::string_view(p, static_cast<size_t>(len))));
    ++lines;
    if (p[len] != '\n') break;
    p += len + 1;
  }
  out[0] = widest * m_nCharPitch;
  out[1] = lines * m_nLineHeight;
}

void Font::GetTextExtent(int out[2], HDC dc, const char* text) const {
  HGDIOBJ old = SelectObject(dc, m_hFont);
  int lines = 0, widest = 0;
  const char* p = text ? text : "";
  for (;;) {
    int len = LineLength(p);
    SIZE size{};
    if (GetTextExtentPoint32A(dc, p, len, &size) && size.cx > widest) widest = size.cx;
    ++lines;
    if (p[len] != '\n') break;
    p += len + 1;
  }
  if (old) SelectObject(dc, old);
  out[0] = widest;
  out[1] = lines * m_nLineHeight;
}

void Font::Measure(int out[2], const char* text) const {
  if (m_nCharPitch) {
    MeasureText(out, text);
    return;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  GetTextExtent(out, dc, text);
  DeleteDC(dc);
}

int Font::BracketShift(const char* p, int n) const {
  if (m_bCenter || std::strcmp(m_lpszFace ? m_lpszFace : "", "ＭＳ Ｐゴシック") != 0) return 0;
  static const char* const kBrackets[] = {"（", "）", "｛", "｝"};
  if (n == 1) return std::strchr("(){}", p[0]) && p[0] ? m_nCharPitch >> 2 : 0;
  for (const char* b : kBrackets)
    if (p[0] == b[0] && p[1] == b[1]) return m_nCharPitch >> 2;
  return 0;
}

int Font::DrawD3DXText(const char* text, int n, int x, int y) {
  RECT rc{x, y, x, y};
  return m_lpD3DXFont->DrawTextA(m_lpSprite, text, n, &rc, DT_NOCLIP, m_dwColor);
}

void Font::DrawChar(DDSURFACEDATA* target, HDC dc, int x, int y, const char* text, int n) {
  m_bWorkDrawn = true;
  int px, py;
  if (m_bCenter) {
    int w = 0, h = 0;
    if (dc) {
      SIZE size{};
      GetTextExtentPoint32A(dc, text, n, &size);
      w = size.cx;
      h = size.cy;
    } else if (m_lpD3DXFont) {
      RECT rc{0, 0, 0, 0};
      m_lpD3DXFont->DrawTextA(nullptr, text, n, &rc, DT_CALCRECT, 0);  // exactly the character's bytes
      w = rc.right - rc.left;
      h = rc.bottom - rc.top;
    }
    px = x + (m_nCharPitch >> 1) - (w >> 1);
    py = y + (m_nLineHeight >> 1) - (h >> 1);
  } else if (n == 1) {
    px = x + (m_nCharPitch >> 3);
    py = y + (m_nLineHeight >> 4) - 1;
  } else {
    px = x;
    py = y;
  }
  if (dc) {
    TextOutA(dc, px, py, text, n);
    return;
  }
  if (!m_lpD3DXFont) return;
  if (m_bFastFont) {
    if (!BeginD3DXDrawing(m_lpSprite, target)) return;
    DrawD3DXText(text, n, px, py);
    EndD3DXDrawing(m_lpSprite);
  } else {
    DrawD3DXText(text, n, px, py);
  }
}

void Font::RenderNewGlyph(const FASTFONTGLYPH& glyph) {
  DDSURFACEDATA* sheet = &m_lpFastFont_FullAdd->m_Sheet;
  if (lpDTCon) {
    if (!m_lpD3DXFont || !BeginD3DXDrawing(m_lpSprite, sheet)) return;
    DrawD3DXText(glyph.szChar, 2, glyph.nX, glyph.nY);
    EndD3DXDrawing(m_lpSprite);
    return;
  }
  if (!sheet->lpDDData || !sheet->lpDDData->lpDDSurface) return;
  const int colorNo = std::clamp(m_nColorNo, 0, 255);
  if (DDScreenBpp == 8 && lpDDPal) lpDDPal->SetEntries(0, static_cast<DWORD>(colorNo), 1, &DDPalette[colorNo]);
  HDC dc = nullptr;
  if (SUCCEEDED(sheet->lpDDData->lpDDSurface->GetDC(&dc))) {
    HGDIOBJ old = SelectObject(dc, m_hFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_dwColor);
    DrawChar(nullptr, dc, glyph.nX, glyph.nY, glyph.szChar, 2);
    if (old) SelectObject(dc, old);
    sheet->lpDDData->lpDDSurface->ReleaseDC(dc);
  }
  if (DDScreenBpp == 8 && lpDDPal) lpDDPal->SetEntries(0, static_cast<DWORD>(colorNo), 1, &DDWorkPalette[colorNo]);
}

int Font::DrawString(DDSURFACEDATA* target, HDC dc, int x0, int y0, DDSURFACEDATA* finalDst, int fx, int fy,
                     const char* text, int skipIconLetters) {
  DDBeginLayer(1);
  const char* p = text ? text : "";
  if (m_nCharPitch == 0) {
    m_bWorkDrawn = true;
    for (int k = 0;; ++k) {
      int len = LineLength(p);
      int y = y0 + k * m_nLineHeight;
      if (dc)
        TextOutA(dc, x0, y, p, len);
      else if (m_lpD3DXFont)
        DrawD3DXText(p, len, x0, y);
      if (p[len] != '\n') break;
      p += len + 1;
    }
    return DDEndLayer();
  }
  const bool cached = Cached() && finalDst;
  const bool icons = skipIconLetters && IconStripPresent();
  int dx = 0, dy = 0;
  while (*p) {
    if (IsDoubleByteAt(p)) {
      const bool fullWidthSpace = std::strncmp(p, "　", 2) == 0;
      if (!fullWidthSpace) {
        if (cached) {
          if (!m_lpFastFont_FullAdd->DrawChar(finalDst, fx + dx, fy + dy, p, 1)) {
            if (m_lpFastFont_FullAdd->AddChar(p)) {
              RenderNewGlyph(m_lpFastFont_FullAdd->m_GlyphList.back());
              m_lpFastFont_FullAdd->DrawChar(finalDst, fx + dx, fy + dy, p, 1);
            } else {
              DrawChar(target, dc, x0 + dx, y0 + dy, p, 2);
            }
          }
        } else {
          DrawChar(target, dc, x0 + dx + BracketShift(p, 2), y0 + dy, p, 2);
        }
      }
      dx += m_nCharPitch;
      p += 2;
      continue;
    }
    const unsigned char b = static_cast<unsigned char>(*p);
    if (b == '\n') {
      dx = 0;
      dy += m_nLineHeight;
    } else {
      if (b != ' ' && !(icons && b >= 'a' && b <= 'z')) {
        if (cached)
          m_lpFastFont_Half->DrawCell(finalDst, fx + dx, fy + dy, b, 1);
        else
          DrawChar(target, dc, x0 + dx + BracketShift(p, 1), y0 + dy, p, 1);
      }
      dx += m_nCharPitch;
    }
    ++p;
  }
  return DDEndLayer();
}

int Font::DrawIcons(DDSURFACEDATA* target, int x, int y, const char* text) {
  if (!m_bIcon || !IconStripPresent() || m_nCharPitch == 0 || !text) return 0;
  m_bWorkDrawn = true;
  DDBeginLayer(0);
  int dx = 0, dy = 0;
  for (const char* p = text; *p;) {
    if (IsDoubleByteAt(p)) {
      dx += m_nCharPitch;
      p += 2;
      continue;
    }
    const unsigned char b = static_cast<unsigned char>(*p);
    if (b >= 'a' && b <= 'z') {
      DDBlt(target, x + dx, y + dy, m_nCharPitch, m_nLineHeight, m_lpIconSD, m_nCharPitch * (b - 'a'), 0, 1);
      dx += m_nCharPitch;
    } else if (b == '\n') {
      dx = 0;
      dy += m_nLineHeight;
    } else {
      dx += m_nCharPitch;
    }
    ++p;
  }
  return DDEndLayer();
}

int Font::DrawText(DDSURFACEDATA* dst, int x, int y, const char* text) {
  if (!dst || !text) return 0;
  const bool cached = Cached();
  if (lpDTCon) {
    if (!m_lpD3DXFont || !m_lpSprite || !HasSurface(&Work)) return 0;
    DDFollowPartner(&dst);
    DDRedirectBackBuffer(&dst);
    DTSURFACEDATA* dt = dst->lpDT;
    if (!dt) return 0;
    if (dt->MemType == DTMEMORYTYPE_VIDEO_RT && dt->bRenderTarget) {
      if (!cached && !BeginD3DXDrawing(m_lpSprite, dst)) return 0;
      DrawString(dst, nullptr, x, y, dst, x, y, text, m_bIcon);
      if (!cached) m_lpSprite->End();
      DrawIcons(dst, x, y, text);
      if (!cached) DDRestoreRenderTarget();
      return 1;
    }
    int size[2];
    Measure(size, text);
    DDFillRect(&Work, 0, 0, size[0], size[1], 0);
    if (!cached && !BeginD3DXDrawing(m_lpSprite, &Work)) return 0;
    m_bWorkDrawn = false;
    DrawString(&Work, nullptr, 0, 0, dst, x, y, text, m_bIcon);
    if (!cached) m_lpSprite->End();
    DrawIcons(&Work, 0, 0, text);
    if (!cached) DDRestoreRenderTarget();
    if (m_bWorkDrawn) DDBlt(dst, x, y, size[0], size[1], &Work, 0, 0, 1);
    return 1;
  }
  if (!HasSurface(&Work) || !m_hFont) return 0;
  IDirectDrawSurface7* work = Work.lpDDData->lpDDSurface;
  int size[2];
  if (m_nCharPitch) {
    MeasureText(size, text);
  } else {
    HDC measure = nullptr;
    if (FAILED(work->GetDC(&measure))) return 0;
    GetTextExtent(size, measure, text);
    work->ReleaseDC(measure);
  }
  DDFillRect(&Work, 0, 0, size[0], size[1], 0);
  HDC dc = nullptr;
  if (FAILED(work->GetDC(&dc))) return 0;
  HGDIOBJ old = SelectObject(dc, m_hFont);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, m_dwColor);
  m_bWorkDrawn = false;
  DrawString(&Work, dc, 0, 0, dst, x, y, text, m_bIcon);
  if (old) SelectObject(dc, old);
  work->ReleaseDC(dc);
  if (m_bWorkDrawn) DDBlt(dst, x, y, size[0], size[1], &Work, 0, 0, 1);
  DrawIcons(dst, x, y, text);
  return 1;
}

int Font::Printf(DDSURFACEDATA* dst, int x, int y, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = BoundedFormat(256, format, args);
  va_end(args);
  return DrawText(dst, x, y, text.c_str());
}

int Font::DrawWindow(DDSURFACEDATA* dst, int x, int y, int w, int h) {
  if (!m_lpFrameSD) return 0;
  if (x == 10000) x = (m_lpFrameSD->nWidth >> 1) - (w >> 1);
  if (y == 10000) y = (m_lpFrameSD->nHeight >> 1) - (h >> 1);
  return DDBltWithFrame(dst, x, y, w, h, m_lpFrameSD, m_nFrameWidth, static_cast<DWORD>(m_nFrameColorNo));
}

int Font::DrawTextBox(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* text, int margin) {
  if (!text) text = "";
  if (w == 0 || h == 0) {
    int size[2];
    if (m_nCharPitch) {
      MeasureText(size, text);
    } else if (!lpDTCon && dst && dst->lpDDData && dst->lpDDData->lpDDSurface) {
      HDC dc = nullptr;
      size[0] = size[1] = 0;
      if (SUCCEEDED(dst->lpDDData->lpDDSurface->GetDC(&dc))) {
        GetTextExtent(size, dc, text);
        dst->lpDDData->lpDDSurface->ReleaseDC(dc);
      }
    } else {
      Measure(size, text);
    }
    if (w == 0) w = margin + size[0];
    if (h == 0) h = size[1];
  }
  DrawWindow(dst, x, y, w, h);
  return DrawText(dst, x + margin, y, text);
}

int Font::PrintfBox(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = BoundedFormat(512, format, args);
  va_end(args);
  return DrawTextBox(dst, x, y, w, h, text.c_str(), 0);
}

void Font::RenderHalf() {
  if (!m_lpFastFont_Half) return;
  FastFont& sheet = *m_lpFastFont_Half;
  std::string text = "\n";
  for (int j = 1; j < sheet.m_nRows; ++j) {
    for (int k = 0; k < sheet.m_nColumns; ++k) text += static_cast<char>(j * sheet.m_nColumns + k);
    text += '\n';
  }
  DDFillSurface(&sheet.m_Sheet, 0);
  int icon = m_bIcon, fast = m_bFastFont;
  m_bIcon = m_bFastFont = 0;
  DrawText(&sheet.m_Sheet, 0, 0, text.c_str());
  m_bIcon = icon;
  m_bFastFont = fast;
}

void Font::RenderFullAdd(int rebuild) {
  if (!m_lpFastFont_FullAdd) return;
  FastFont& sheet = *m_lpFastFont_FullAdd;
  std::vector<FASTFONTGLYPH> source;
  if (rebuild) {
    source = sheet.m_GlyphList;
  } else {
    for (const char* p = DDFixedFullWidthChars; *p; p += 2) {
      FASTFONTGLYPH g{};
      g.szChar[0] = p[0];
      g.szChar[1] = p[1];
      source.push_back(g);
    }
    for (const FASTFONTGLYPH& g : source)
      if (!sheet.AddChar(g.szChar)) break;
  }
  std::string layout;
  int n = std::min<int>(static_cast<int>(source.size()), sheet.m_nCapacity);
  for (int i = 0; i < n; ++i) {
    layout.append(source[static_cast<size_t>(i)].szChar, 2);
    if ((i + 1) % sheet.m_nColumns == 0) layout += '\n';
  }
  DDFillSurface(&sheet.m_Sheet, 0);
  int icon = m_bIcon, fast = m_bFastFont;
  m_bIcon = m_bFastFont = 0;
  DrawText(&sheet.m_Sheet, 0, 0, layout.c_str());
  m_bIcon = icon;
  m_bFastFont = fast;
}

void Font::Restore() {
  FastFont* sheets[2] = {m_lpFastFont_Half, m_lpFastFont_FullAdd};
  if (lpDTCon) {
    for (int i = 0; i < 2; ++i) {
      if (!sheets[i] || !sheets[i]->m_Sheet.bLost) continue;
      if (i == 0)
        RenderHalf();
      else
        RenderFullAdd(1);
      sheets[i]->m_Sheet.bLost = 0;
    }
    return;
  }
  if (Work.lpDDData && Work.lpDDData->lpDDSurface && Work.lpDDData->lpDDSurface->IsLost() == DDERR_SURFACELOST)
    Work.lpDDData->lpDDSurface->Restore();
  for (int i = 0; i < 2; ++i) {
    if (!sheets[i] || !sheets[i]->m_Sheet.lpDDData || !sheets[i]->m_Sheet.lpDDData->lpDDSurface) continue;
    IDirectDrawSurface7* surface = sheets[i]->m_Sheet.lpDDData->lpDDSurface;
    if (surface->IsLost() == DDERR_SURFACELOST) surface->Restore();
    if (i == 0)
      RenderHalf();
    else
      RenderFullAdd(1);
  }
}

void ReleaseFontObject(Font* font) {
  if (!font) return;
  for (video::RefCounted*& reserved : font->m_lpReserved) video::ReleaseAndClear(reserved);
  video::ReleaseAndClear(font->m_lpD3DXFont);
  video::ReleaseAndClear(font->m_lpSprite);
  if (font->m_hFont) {
    DeleteObject(font->m_hFont);
    font->m_hFont = nullptr;
  }
  for (FastFont** sheet : {&font->m_lpFastFont_Half, &font->m_lpFastFont_FullAdd}) {
    if (!*sheet) continue;
    DDReleaseSurface(&(*sheet)->m_Sheet);
    delete *sheet;
    *sheet = nullptr;
  }
  DDReleaseSurface(&font->Work);
}

int DDCreateFonts(Font* fonts, DDFONTDATA* data, int count) {
  for (int i = 0; i < count; ++i) {
    const DDFONTDATA& d = data[i];
    auto entry = [](int n) -> DDSURFACEDATA* {
      return DDAppSurfaces && n >= 0 && n < DDAppCount ? &DDAppSurfaces[n] : nullptr;
    };
    if (!fonts[i].Create(d.szFaceName, d.nCharWidth, d.nCharHeight, d.nCharPitch, d.nLineHeight, d.nColorNo,
                         entry(d.nFrameSD), d.nFrameWidth, d.nFrameColorNo, entry(d.nIconSD), d.bFastFont)) {
      ReportLog("DDCreateFonts : フォント %d (%s) を作成できません", i, d.szFaceName);
      return 0;
    }
  }
  return 1;
}

void DDRenderDigits(DDSURFACEDATA* lpSD, Font* font) {
  if (!lpSD || !font) return;
  DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, 0);
  font->DrawText(lpSD, 0, 0, "0123456789");
}

int DDCreateDigitSurfaces(DDSURFACEDATA* surfaces, DDBITMAPDATA* bitmaps, int count, Font* fonts,
                          DDFONTDATA* data) {
  for (int i = 0; i < count; ++i) {
    const DDBITMAPDATA& bd = bitmaps[i];
    DDCreateSurface(&surfaces[i], 10 * data[i].nCharPitch, data[i].nLineHeight, 1, bd.nDDMemType, bd.nDTMemType,
                    bd.lpPartner, 0);
    DDRenderDigits(&surfaces[i], &fonts[i]);
  }
  return 1;
}

int LineLength(const char* text) {
  if (!text) return 0;
  const char* nl = std::strchr(text, '\n');
  return static_cast<int>(nl ? nl - text : std::strlen(text));
}

Font g_Font[3];
DDFONTDATA g_FontData[3];

void BuildFontRecords() {
  struct Row {
    int height, pitch, line, fast;
  };
  static const Row kRows[3] = {{9, 10, 10, 2}, {16, 16, 16, 2}, {30, 32, 32, 0}};
  for (int i = 0; i < 3; ++i) {
    DDFONTDATA& d = g_FontData[i];
    d = DDFONTDATA{};
    std::snprintf(d.szFaceName, sizeof d.szFaceName, "%s", "ＭＳ ゴシック");
    d.nCharWidth = 0;
    d.nCharHeight = kRows[i].height;
    d.nCharPitch = kRows[i].pitch;
    d.nLineHeight = kRows[i].line;
    d.nColorNo = 241;
    d.nFrameSD = 46;
    d.nFrameWidth = 1;
    d.nFrameColorNo = 240;
    d.nIconSD = 51;
    d.bFastFont = kRows[i].fast;
  }
}
