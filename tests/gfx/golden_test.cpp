// Golden frames: a menu drawn with the test face in each back end at 32 bits, compared byte for byte
// with the PNG files in tests/gfx/golden. On a mismatch the actual frame is written next to the
// build's working folder; with UPDATE_GOLDEN=1 the golden file is written instead (review it).
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "draw_fixture.h"
#include "gamedata/cmdwindow.h"
#include "gamedata/systemdata.h"
#include "gfx/font.h"
#include "gfx/screenfx.h"
#include "platform/text/fontface.h"
#include "support/png.h"

namespace {

class GoldenFrame : public DrawTest {
 protected:
  void TearDown() override {
    for (Font& f : g_Font) ReleaseFontObject(&f);
    for (DDSURFACEDATA& sd : digits_) DDReleaseSurface(&sd);
    DrawTest::TearDown();
  }

  // The menu: a command window with the cursor, a text box, icon letters, a number from a digit
  // strip, a framed box, and a fade-out half done.
  std::vector<uint8_t> DrawMenu(const DrawMode& mode) {
    StartMode(mode, app_, nullptr, 0);
    DDAppSurfaces = app_;
    DDAppCount = 52;
    LoadPicture(&app_[46], "frame.bmp", Rows(64, std::string(160, 'B')), 1);
    std::string icons;
    for (int k = 0; k < 26; ++k) icons += std::string(16, "RGYC"[k % 4]);
    LoadPicture(&app_[51], "icons.bmp", Rows(16, icons), 1);
    BuildFontRecords();
    for (DDFONTDATA& d : g_FontData) {
      std::strcpy(d.szFaceName, text::kTestFaceName);
      if (d.bFastFont == 2) d.bFastFont = mode.backEnd ? 0 : 1;
      d.nColorNo = IndexOf('W');
      d.nFrameColorNo = IndexOf('Y');
    }
    EXPECT_EQ(DDCreateFonts(g_Font, g_FontData, 3), 1);
    g_Font[0].m_bIcon = g_Font[2].m_bIcon = 0;
    DDBITMAPDATA records[3];
    for (auto& r : records) r.bColorKey = 1;
    EXPECT_EQ(DDCreateDigitSurfaces(digits_, records, 3, g_Font, g_FontData), 1);

    DDFillSurfaceColour(&BackBuffer, 'N');
    cCmdList list(3);
    list.At(0).m_strLabel = "Start";
    list.At(1).m_strLabel = "あいうabc";
    list.At(2).m_strLabel = "Options";
    DrawCmdWindow(&BackBuffer, 24, 16, list);
    g_Font[1].DrawText(&BackBuffer, 24, 32, "＞");
    if (g_SystemData.m_vText.Size() < 12) g_SystemData.m_vText.resize(12);
    g_SystemData.m_vText.At(10) = "Save? 100%";
    g_SystemData.m_vText.At(11) = "はい いいえ";
    DrawTextBox(24, 80, 10, 2, 1);
    DDDrawNumber(&BackBuffer, 180, 16, 16, 16, &digits_[1], 0, 0, 1, 4096, 6, 0, 0);
    g_Font[2].DrawTextBox(&BackBuffer, 180, 48, 0, 0, "Lv 9", 8);
    g_Font[0].Printf(&BackBuffer, 24, 130, "%s %d", "small", 10);
    DDFadeOut(nullptr, 0, 255, 0, 0, 0, 45.0, nullptr, 0);
    DDFadeOut(nullptr, 0, 255, 0, 0, 0, 45.0, nullptr, 0);  // halfway
    cDDLock lock;
    EXPECT_TRUE(lock.Lock(&BackBuffer));
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels.push_back(lock.Get(x, y));
    lock.Unlock();
    DDFadeOut(nullptr, 0, 255, 0, 0, 0, 45.0, nullptr, 1);  // back to the start for the next fade
    return EncodePng(kWidth, kHeight, pixels);
  }

  void Compare(const DrawMode& mode, const char* name) {
    std::vector<uint8_t> actual = DrawMenu(mode);
    std::filesystem::path golden = std::filesystem::path(GOLDEN_DIR) / name;
    const char* update = std::getenv("UPDATE_GOLDEN");
    if (update && std::strcmp(update, "1") == 0) {
      ASSERT_TRUE(WriteFileBytes(golden.string(), actual));
      return;
    }
    std::vector<uint8_t> expected = ReadFileBytes(golden.string());
    if (expected != actual) {
      std::string out = (std::filesystem::path(oldCwd_) / (std::string("actual_") + name)).string();
      WriteFileBytes(out, actual);
      ADD_FAILURE() << name << " differs from its golden frame; the frame drawn is in " << out;
    }
  }

  using Rows = std::vector<std::string>;
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 160;
  DDSURFACEDATA app_[52];
  DDSURFACEDATA digits_[3];
};

}  // namespace

TEST_F(GoldenFrame, MenuDirect3D) { Compare(kDrawModes[0], "menu_d3d32.png"); }
TEST_F(GoldenFrame, MenuDirectDraw) { Compare(kDrawModes[2], "menu_dd32.png"); }
