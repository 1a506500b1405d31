// The font path: a game's font name (mapped to a face, and opened) and the glyph sheets filled from
// any code page 932 text, drawn and measured through a font of the built-in test face with its
// sheets. The sheet never holds more glyphs than its capacity.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "gfx/surface.h"
#include "platform/text/fontface.h"
#include "platform/video/presenter.h"
#include "platform/win/messages.h"
#include "support.h"

namespace {

// DirectDraw at 32 bits in a window, headless, and a destination surface.
DDSURFACEDATA* StartGraphics() {
  static DDSURFACEDATA target;
  video::SetPresenter(std::make_shared<video::HeadlessPresenter>());
  HWND hwnd = CreateWindowStandIn("font");
  FUZZ_CHECK(DDInit(0, hwnd, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
  FUZZ_CHECK(DDCreateSurface(&target, 256, 64, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  return &target;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  static DDSURFACEDATA* target = StartGraphics();
  if (size > 8192) return 0;
  // The first line is the font name, the rest the text.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  const std::string name = input.substr(0, std::min<size_t>(newline, 255));
  const std::string text = newline == std::string::npos ? std::string() : input.substr(newline + 1);
  text::MapFaceName(name);
  FUZZ_CHECK(text::OpenFace(name, 16, 0) != nullptr);

  // One font draws every input: its sheet fills up over the inputs, and a full one starts afresh.
  static Font* font = nullptr;
  if (font && font->m_lpFastFont_FullAdd->m_nCount >= font->m_lpFastFont_FullAdd->m_nCapacity) {
    ReleaseFontObject(font);
    delete font;
    font = nullptr;
  }
  if (!font) {
    font = new Font;
    FUZZ_CHECK(font->Create(text::kTestFaceName, 0, 16, 16, 16, 15, nullptr, 0, 0, nullptr, 1));
    FUZZ_CHECK(font->Cached());
  }
  font->DrawText(target, 0, 0, text.c_str());
  int extent[2];
  font->MeasureText(extent, text.c_str());
  const FastFont& full = *font->m_lpFastFont_FullAdd;
  FUZZ_CHECK(full.m_nCount >= 0 && full.m_nCount <= full.m_nCapacity);
  FUZZ_CHECK(full.m_GlyphList.size() == static_cast<size_t>(full.m_nCount));
  FuzzTakeMessages();
  text::TakeMissingFaceNotice();
  return 0;
}
