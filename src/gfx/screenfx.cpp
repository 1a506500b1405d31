#include "gfx/screenfx.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "core/log.h"
#include "gfx/blit.h"
#include "gfx/effect.h"
#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/layer.h"
#include "platform/video/pixels.h"

int DDDrawFrame(DDSURFACEDATA* dst, int x, int y, int w, int h, int t, DWORD palNum) {
  DDBeginBoxBatch();
  DDFillRect(dst, x, y, w, t, palNum);
  DDFillRect(dst, x, y + h - t, w, t, palNum);
  DDFillRect(dst, x, y, t, h, palNum);
  DDFillRect(dst, x + w - t, y, t, h, palNum);
  return DDEndBoxBatch();
}

int DDBltWithFrame(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int t, DWORD palNum) {
  DDBlt(dst, x, y, w, h, src, 0, 0, 1);
  return DDDrawFrame(dst, x - t, y - t, w + 2 * t, h + 2 * t, t, palNum);
}

int DDDrawNumber(DDSURFACEDATA* dst, int x, int y, int cellW, int cellH, DDSURFACEDATA* src, int sx, int sy,
                 DWORD flags, int value, int n, int centre, int) {
  int64_t v = value;
  if (v < 0) v = -v;
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>(v % 10);
    v /= 10;
  } while (v > 0);
  int offset = 0;
  if (count < n) {
    offset = cellW * (n - count);
    if (centre) offset /= 2;
  }
  int result = 1;
  for (int i = count - 1; i >= 0; --i, offset += cellW)
    result = DDBlt(dst, x + offset, y, cellW, cellH, src, sx + digits[i] * cellW, sy, flags);
  return result;
}

int DDWaveBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, int waves, double amplitude, double phase,
              int thickness, DDSURFACEDATA* src, int sx, int sy, DWORD flags, int columns) {
  int lines = columns ? w : h;
  if (thickness <= 0 || lines <= 0) return 0;
  const double perLine = 360.0 / lines;
  double angle = 0.0;
  DDBeginLayer(0);
  for (int j = 0; j < lines; j += thickness) {
    int n = std::min(thickness, lines - j);
    angle += perLine * n;
    double degrees = waves * (phase + angle);
    int shift = static_cast<int>(std::trunc(amplitude * std::sin(degrees * std::numbers::pi / 180.0)));
    if (columns)
      DDBlt(dst, x + j, y + shift, n, h, src, sx + j, sy, flags);
    else
      DDBlt(dst, x + shift, y + j, w, n, src, sx, sy + j, flags);
  }
  return DDEndLayer();
}

int DDCombBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, int e, int f, DDSURFACEDATA* src, int sx, int sy,
              DWORD flags, int columns) {
  if (e == 0) return DDBlt(dst, x, y, w, h, src, sx, sy, flags);
  int stripes = (columns ? w : h) / e;
  DDBeginLayer(0);
  for (int k = 0; k < stripes; ++k) {
    int shift = (k & 1) ? -f : f;
    if (columns)
      DDBlt(dst, x + k * e, y + shift, e, h, src, sx + k * e, sy, flags);
    else
      DDBlt(dst, x + shift, y + k * e, w, e, src, sx, sy + k * e, flags);
  }
  return DDEndLayer();
}

int DDTurnBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* front, int fx, int fy,
              DDSURFACEDATA* back, int bx, int by, int sw, int sh, DWORD flags, int step, int direction) {
  if (direction < 0 || direction > 1) return 0;
  int size = direction == 0 ? w : h;
  int half = size / 2;
  int inset = 0;
  bool showBack = false;
  if (half > 0) {  // a card narrower than 2 pixels shows its front face uninset
    inset = (step / half) % 2 == 0 ? step % half : half - step % half - 1;
    showBack = ((step + half) / size) % 2 != 0;
  }
  DDSURFACEDATA* src = showBack ? back : front;
  int sx = showBack ? bx : fx, sy = showBack ? by : fy;
  if (direction == 0) return DDStretchBlt(dst, x + inset, y, w - 2 * inset, h, src, sx, sy, sw, sh, flags);
  return DDStretchBlt(dst, x, y + inset, w, h - 2 * inset, src, sx, sy, sw, sh, flags);
}

int DDSplitBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int g,
               DWORD flags) {
  int hw = w / 2, hh = h / 2;
  DDBeginLayer(0);
  DDBlt(dst, x - g, y - g, hw, hh, src, sx, sy, flags);
  DDBlt(dst, x + hw + g, y - g, hw, hh, src, sx + hw, sy, flags);
  DDBlt(dst, x - g, y + hh + g, hw, hh, src, sx, sy + hh, flags);
  DDBlt(dst, x + hw + g, y + hh + g, hw, hh, src, sx + hw, sy + hh, flags);
  return DDEndLayer();
}

namespace {
// The range first..last inside the palette; false when nothing of it is left.
bool PaletteRange(int* first, int* last) {
  *first = std::max(*first, 0);
  *last = std::min(*last, 255);
  return *first <= *last;
}
}  // namespace

void DDBlendPalette(PALETTEENTRY* dst, int first, int last, int weight, BYTE red, BYTE green, BYTE blue,
                    const PALETTEENTRY* src) {
  if (!dst || !src || !PaletteRange(&first, &last)) return;
  weight = std::clamp(weight, 0, 256);
  const int keep = 256 - weight;
  for (int i = first; i <= last; ++i) {
    const PALETTEENTRY s = src[i];
    dst[i].peRed = static_cast<BYTE>((red * keep + weight * s.peRed) >> 8);
    dst[i].peGreen = static_cast<BYTE>((green * keep + weight * s.peGreen) >> 8);
    dst[i].peBlue = static_cast<BYTE>((blue * keep + weight * s.peBlue) >> 8);
    dst[i].peFlags = 1;
  }
}

void DDRotatePalette(PALETTEENTRY* dst, int first, int last, int n, int direction, const PALETTEENTRY* src) {
  if (!dst || !src || DDScreenBpp == 24) return;
  PALETTEENTRY copy[256];
  std::copy(src, src + 256, copy);
  std::copy(copy, copy + 256, dst);
  if ((direction != 0 && direction != 1) || !PaletteRange(&first, &last)) return;
  const int len = last - first + 1;
  int shift = n % len;
  if (shift < 0) shift += len;
  if (direction == 1) shift = (len - shift) % len;
  for (int i = 0; i < len; ++i) dst[first + (i + shift) % len] = copy[first + i];
}

namespace {

struct FadeAngles {
  double d3d;
  double dd;
};
FadeAngles g_FadeOutAngle{90.0, 90.0};
FadeAngles g_FadeInAngle{0.0, 0.0};

double Sin(double degrees) { return std::sin(degrees * std::numbers::pi / 180.0); }

// Draws the screen at the angle: Direct3D a black quad of opacity 255 - sin x 255 over the frame;
// DirectDraw 8 bits the palette blended toward the colour by sin x 256; other depths the screen copy
// faded toward the colour (copied first when the fade starts).
void DrawFadeStep(double angle, bool starting, PALETTEENTRY* work, int first, int last, BYTE red, BYTE green,
                  BYTE blue, const PALETTEENTRY* src) {
  if (lpDTCon) {
    DDSURFACEDATA* target = &BackBuffer;
    DDRedirectBackBuffer(&target);
    DWORD alpha = static_cast<DWORD>(255 - static_cast<int>(Sin(angle) * 255));
    if (alpha > 0) DDFillRectRGB(target, 0, 0, target->nWidth, target->nHeight, alpha << 24);
    return;
  }
  int weight = static_cast<int>(Sin(angle) * 256);
  if (DDScreenBpp == 8) {
    DDBlendPalette(work, first, last, weight, red, green, blue, src);
    if (lpDDPal && work && PaletteRange(&first, &last))
      lpDDPal->SetEntries(0, static_cast<DWORD>(first), static_cast<DWORD>(last - first + 1), work + first);
    return;
  }
  if (starting) DDBlt(&ScreenCopySD, 0, 0, BackBuffer.nWidth, BackBuffer.nHeight, &BackBuffer, 0, 0, 0);
  DDFade_UnPal(&BackBuffer, weight, red, green, blue, &ScreenCopySD);
}

}  // namespace

int DDFadeOut(PALETTEENTRY* work, int first, int last, BYTE red, BYTE green, BYTE blue, double step,
              const PALETTEENTRY* src, int skip) {
  double& angle = lpDTCon ? g_FadeOutAngle.d3d : g_FadeOutAngle.dd;
  bool starting = angle == 90.0;
  if (skip || !(step > 0.0)) angle = 0.0;
  DrawFadeStep(angle, starting, work, first, last, red, green, blue, src);
  if (angle > 0.0) {
    angle = std::max(angle - step, 0.0);
    return 0;
  }
  angle = 90.0;
  return 1;
}

int DDFadeIn(PALETTEENTRY* work, int first, int last, BYTE red, BYTE green, BYTE blue, double step,
             const PALETTEENTRY* src, int skip) {
  double& angle = lpDTCon ? g_FadeInAngle.d3d : g_FadeInAngle.dd;
  bool starting = angle == 0.0;
  if (skip || !(step > 0.0)) angle = 90.0;
  DrawFadeStep(angle, starting, work, first, last, red, green, blue, src);
  if (angle < 90.0) {
    angle = std::min(angle + step, 90.0);
    return 0;
  }
  angle = 0.0;
  return 1;
}

namespace {

// One channel of the 16-bit fade: stored = ((k x u + alpha x (c x 255 / m)) >> 8) x m / 255 for each
// value c of a channel of maximum m, as a table.
void FadeChannelTable(uint16_t* table, int max, int shift, int colour, int alpha) {
  const int keep = 256 - alpha;
  for (int c = 0; c <= max; ++c) {
    int s = max ? c * 255 / max : 0;
    int v = (colour * keep + alpha * s) >> 8;
    table[c] = static_cast<uint16_t>((max ? v * max / 255 : 0) << shift);
  }
}

VIDEO_WIDE_VECTORS void FadeRow16(uint16_t* __restrict out, const uint16_t* in, int w, const uint16_t* table) {
  for (int x = 0; x < w; ++x) out[x] = table[in[x]];
}

// Byte 2 = (red x u + alpha x byte 2) >> 8, bytes 1 and 0 alike; byte 3 kept.
VIDEO_WIDE_VECTORS void FadeRow32(uint32_t* __restrict out, const uint32_t* in, int w, uint32_t kr, uint32_t kg,
                                  uint32_t kb, uint32_t a) {
  for (int x = 0; x < w; ++x) {
    uint32_t p = in[x];
    uint32_t r = ((kr + a * ((p >> 16) & 0xFF)) >> 8) & 0xFF;
    uint32_t g = ((kg + a * ((p >> 8) & 0xFF)) >> 8) & 0xFF;
    uint32_t b = ((kb + a * (p & 0xFF)) >> 8) & 0xFF;
    out[x] = (out[x] & 0xFF000000u) | r << 16 | g << 8 | b;
  }
}

}  // namespace

int DDFade_UnPal(DDSURFACEDATA* dst, int alpha, BYTE red, BYTE green, BYTE blue, DDSURFACEDATA* src) {
  if (lpDTCon) {
    DebugLogF("D3DではDDFade_UnPalは未対応");
    return 1;
  }
  alpha = std::clamp(alpha, 0, 256);
  cDDEffectLocks locks;
  if (!locks.Lock(dst, src)) return 0;
  const cDDLock& d = locks.Dst();
  const cDDLock& s = locks.Src();
  const int w = std::min(locks.DstSD()->nWidth, locks.SrcSD()->nWidth);
  const int h = std::min(locks.DstSD()->nHeight, locks.SrcSD()->nHeight);
  const int keep = 256 - alpha;
  if (DDScreenBpp == 16) {
    // Every pixel value through one table made from the three channel tables.
    uint16_t rt[256], gt[256], bt[256];
    const int rm = std::min(DDPixelFormat[4], 255), gm = std::min(DDPixelFormat[5], 255),
              bm = std::min(DDPixelFormat[6], 255);
    FadeChannelTable(rt, rm, DDPixelFormat[0], red, alpha);
    FadeChannelTable(gt, gm, DDPixelFormat[1], green, alpha);
    FadeChannelTable(bt, bm, DDPixelFormat[2], blue, alpha);
    const int rs = DDPixelFormat[0], gs = DDPixelFormat[1], bs = DDPixelFormat[2];
    std::vector<uint16_t> table(65536);
    for (uint32_t p = 0; p < 65536; ++p)
      table[p] = static_cast<uint16_t>(rt[(p >> rs) & rm] | gt[(p >> gs) & gm] | bt[(p >> bs) & bm]);
    for (int y = 0; y < h; ++y) FadeRow16(d.Row16(y), s.Row16(y), w, table.data());
  } else if (DDScreenBpp == 32) {
    const uint32_t a = static_cast<uint32_t>(alpha);
    for (int y = 0; y < h; ++y) FadeRow32(d.Row32(y), s.Row32(y), w, red * keep, green * keep, blue * keep, a);
  }
  return 1;
}
