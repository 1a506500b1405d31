#include "platform/video/gdi.h"

#include <cstring>
#include <mutex>
#include <set>

#include "platform/video/display.h"
#include "platform/win/messages.h"

struct HDC__ {
  HWND hwnd;
};

struct HGDIOBJ__ {
  video::BmpImage image;
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

HDC GetDC(HWND hwnd) {
  if (hwnd && !IsWindow(hwnd)) return nullptr;
  HDC dc = new HDC__{hwnd};
  std::lock_guard<std::mutex> lock(g_mutex);
  g_dcs.insert(dc);
  return dc;
}

int ReleaseDC(HWND, HDC hdc) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_dcs.erase(hdc)) return 0;
  delete hdc;
  return 1;
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
  if (!Live(object) || !out) return 0;
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
