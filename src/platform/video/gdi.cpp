#include "platform/video/gdi.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>

#include "platform/text/fontface.h"
#include "platform/video/display.h"
#include "platform/win/messages.h"

struct HDC__ {
  HWND hwnd = nullptr;
  bool memory = false;                  // a memory device context
  HGDIOBJ selected = nullptr;           // its bitmap
  video::PixelBuffer* pixels = nullptr;  // a surface's pixels
  bool hasPalette = false;
  PALETTEENTRY palette[256] = {};
  HGDIOBJ font = nullptr;
  COLORREF textColor = 0;
  int bkMode = OPAQUE;
};

struct HGDIOBJ__ {
  video::BmpImage image;
  std::shared_ptr<const text::Face> font;  // set for a font
};

namespace {
std::mutex g_mutex;
std::set<HDC> g_dcs;
std::set<HGDIOBJ> g_objects;

bool Live(HGDIOBJ object) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return object && g_objects.count(object);
}
}  // namespace

namespace {
HDC Register(HDC dc) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_dcs.insert(dc);
  return dc;
}

bool LiveDC(HDC dc) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return dc && g_dcs.count(dc);
}

BOOL Unregister(HDC dc) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_dcs.erase(dc)) return FALSE;
  delete dc;
  return TRUE;
}
}  // namespace

HDC GetDC(HWND hwnd) {
  if (hwnd && !IsWindow(hwnd)) return nullptr;
  HDC dc = new HDC__;
  dc->hwnd = hwnd;
  return Register(dc);
}

int ReleaseDC(HWND, HDC hdc) { return Unregister(hdc); }

HDC CreateCompatibleDC(HDC) {
  HDC dc = new HDC__;
  dc->memory = true;
  return Register(dc);
}

BOOL DeleteDC(HDC hdc) { return Unregister(hdc); }

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  if (!LiveDC(hdc) || !Live(object)) return nullptr;
  if (object->font) {
    HGDIOBJ old = hdc->font;
    hdc->font = object;
    return old;
  }
  if (!hdc->memory) return nullptr;
  HGDIOBJ old = hdc->selected;
  hdc->selected = object;
  return old;
}

namespace video {

uint32_t GdiPixel(PixelFormat format, uint32_t argb, const PALETTEENTRY* palette) {
  switch (format) {
    case PixelFormat::P8: {
      if (!palette) return 0;
      int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
      int best = 0, bestDistance = 1 << 30;
      for (int i = 0; i < 256; ++i) {
        int dr = palette[i].peRed - r, dg = palette[i].peGreen - g, db = palette[i].peBlue - b;
        int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
          best = i;
          bestDistance = d;
          if (d == 0) break;
        }
      }
      return static_cast<uint32_t>(best);
    }
    case PixelFormat::R5G6B5: return PackArgb(format, argb);
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5: return PackArgb(format, argb) & 0x7FFF;
    case PixelFormat::X8R8G8B8:
    case PixelFormat::A8R8G8B8: return argb & 0x00FFFFFF;
  }
  return 0;
}

HDC CreatePixelsDC(PixelBuffer* pixels, const PALETTEENTRY* palette) {
  HDC dc = new HDC__;
  dc->pixels = pixels;
  if (palette) {
    dc->hasPalette = true;
    std::memcpy(dc->palette, palette, sizeof dc->palette);
  }
  return Register(dc);
}

}  // namespace video

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  if (rop != SRCCOPY || !LiveDC(dst) || !LiveDC(src) || !dst->pixels || !src->memory || !Live(src->selected))
    return FALSE;
  const video::BmpImage& image = src->selected->image;
  video::PixelBuffer& out = *dst->pixels;
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return TRUE;
  int cols = w < 0 ? -w : w, rows = h < 0 ? -h : h;
  int stepX = w < 0 ? -1 : 1, stepY = h < 0 ? -1 : 1;
  int srcCols = sw < 0 ? -sw : sw, srcRows = sh < 0 ? -sh : sh;
  int srcStepX = sw < 0 ? -1 : 1, srcStepY = sh < 0 ? -1 : 1;
  const PALETTEENTRY* palette = dst->hasPalette ? dst->palette : nullptr;
  std::unordered_map<uint32_t, uint32_t> converted;
  for (int j = 0; j < rows; ++j) {
    int dy = y + stepY * j;
    int from = sy + srcStepY * static_cast<int>(static_cast<int64_t>(j) * srcRows / rows);
    if (dy < 0 || dy >= out.Height() || from < 0 || from >= image.height) continue;
    for (int k = 0; k < cols; ++k) {
      int dx = x + stepX * k;
      int fromX = sx + srcStepX * static_cast<int>(static_cast<int64_t>(k) * srcCols / cols);
      if (dx < 0 || dx >= out.Width() || fromX < 0 || fromX >= image.width) continue;
      uint32_t argb = image.ArgbAt(fromX, from);
      auto it = converted.find(argb);
      if (it == converted.end()) it = converted.emplace(argb, video::GdiPixel(out.Format(), argb, palette)).first;
      out.Set(dx, dy, it->second);
    }
  }
  return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  return StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, rop);
}

int GetDeviceCaps(HDC hdc, int index) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_dcs.count(hdc)) return 0;
  }
  video::DisplayMode desktop = video::DesktopMode();
  switch (index) {
    case BITSPIXEL: return desktop.bpp;
    case HORZRES: return desktop.width;
    case VERTRES: return desktop.height;
    case VREFRESH: return video::CurrentMode().refresh;
    default: return 0;
  }
}

HANDLE LoadImageA(HINSTANCE, const char* name, UINT type, int, int, UINT flags) {
  if (!name || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE)) return nullptr;
  auto* object = new HGDIOBJ__;
  if (!video::LoadBmpFile(name, &object->image)) {
    delete object;
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  g_objects.insert(object);
  return object;
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
  if (!Live(object) || !out || object->font) return 0;
  video::BmpImage& img = object->image;
  BITMAP bm{};
  bm.bmType = 0;
  bm.bmWidth = img.width;
  bm.bmHeight = img.height;
  bm.bmWidthBytes = img.stride;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(img.bitCount);
  bm.bmBits = img.bits.data();
  if (size == static_cast<int>(sizeof(BITMAP))) {
    std::memcpy(out, &bm, sizeof bm);
    return sizeof bm;
  }
  if (size == static_cast<int>(sizeof(DIBSECTION))) {
    DIBSECTION ds{};
    ds.dsBm = bm;
    ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    ds.dsBmih.biWidth = img.width;
    ds.dsBmih.biHeight = img.height;
    ds.dsBmih.biPlanes = 1;
    ds.dsBmih.biBitCount = static_cast<WORD>(img.bitCount);
    ds.dsBmih.biCompression = BI_RGB;
    ds.dsBmih.biSizeImage = static_cast<DWORD>(img.bits.size());
    ds.dsBmih.biClrUsed = static_cast<DWORD>(img.colors.size());
    std::memcpy(out, &ds, sizeof ds);
    return sizeof ds;
  }
  return 0;
}

BOOL DeleteObject(HGDIOBJ object) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_objects.erase(object)) return FALSE;
  delete object;
  return TRUE;
}

UINT GetDIBColorTable(HGDIOBJ bitmap, UINT start, UINT count, RGBQUAD* colors) {
  if (!Live(bitmap) || !colors) return 0;
  const auto& table = bitmap->image.colors;
  UINT n = 0;
  for (UINT i = start; i < table.size() && n < count; ++i) colors[n++] = table[i];
  return n;
}

namespace video {
const BmpImage* BitmapImage(HGDIOBJ bitmap) { return Live(bitmap) ? &bitmap->image : nullptr; }
}  // namespace video

HFONT CreateFontA(int height, int width, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  const char* face) {
  auto* object = new HGDIOBJ__;
  object->font = text::OpenFace(face ? face : "", height < 0 ? -height : height, width < 0 ? -width : width);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_objects.insert(object);
  return object;
}

int SetBkMode(HDC hdc, int mode) {
  if (!LiveDC(hdc)) return 0;
  int old = hdc->bkMode;
  hdc->bkMode = mode;
  return old;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  if (!LiveDC(hdc)) return 0xFFFFFFFF;
  COLORREF old = hdc->textColor;
  hdc->textColor = color;
  return old;
}

namespace {
// Writes one pixel value wherever a glyph covers at least half a pixel.
class PixelSink final : public text::SpanSink {
 public:
  PixelSink(video::PixelBuffer& out, uint32_t pixel) : out_(out), pixel_(pixel) {}
  void Span(int x, int y, const uint8_t* coverage, int count) override {
    if (y < 0 || y >= out_.Height()) return;
    int from = std::max(0, -x), to = std::min(count, out_.Width() - x);
    if (out_.Format() == video::PixelFormat::X8R8G8B8 || out_.Format() == video::PixelFormat::A8R8G8B8) {
      uint32_t* row = reinterpret_cast<uint32_t*>(out_.Row(y)) + x;
      for (int i = from; i < to; ++i)
        if (coverage[i] >= 128) row[i] = pixel_;
      return;
    }
    for (int i = from; i < to; ++i)
      if (coverage[i] >= 128) out_.Set(x + i, y, pixel_);
  }

 private:
  video::PixelBuffer& out_;
  uint32_t pixel_;
};

const text::Face* SelectedFace(HDC hdc) {
  if (!LiveDC(hdc) || !Live(hdc->font)) return nullptr;
  return hdc->font->font.get();
}
}  // namespace

BOOL TextOutA(HDC hdc, int x, int y, const char* text, int n) {
  const text::Face* face = SelectedFace(hdc);
  if (!face || !hdc->pixels || !text || n < 0) return FALSE;
  COLORREF c = hdc->textColor;
  uint32_t argb = 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
  PixelSink sink(*hdc->pixels, video::GdiPixel(hdc->pixels->Format(), argb, hdc->hasPalette ? hdc->palette : nullptr));
  face->Draw(text, static_cast<size_t>(n), x, y, text::Rendering::Mono, sink);
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int n, SIZE* size) {
  const text::Face* face = SelectedFace(hdc);
  if (!face || !size || (!text && n > 0) || n < 0) return FALSE;
  size->cx = face->Measure(text, static_cast<size_t>(n));
  size->cy = face->CellHeight();
  return TRUE;
}
