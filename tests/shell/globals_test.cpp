#include "shell/globals.h"

#include <gtest/gtest.h>

#include <cstring>

#include "gfx/font.h"
#include "scenes/surfacesets.h"

TEST(GlobalTables, FontRecordsBitmapSetAndDigitRecords) {
  for (DDFONTDATA& d : g_FontData) d = DDFONTDATA{};
  for (DDBITMAPDATA& b : g_BitmapSet) b = DDBITMAPDATA{};
  for (DDBITMAPDATA& b : g_DigitBD) b = DDBITMAPDATA{};
  BuildGlobalTables();

  struct Row {
    int height, pitch, line, fastCache;
  };
  const Row rows[3] = {{9, 10, 10, 2}, {16, 16, 16, 2}, {30, 32, 32, 0}};
  for (int i = 0; i < 3; ++i) {
    const DDFONTDATA& d = g_FontData[i];
    SCOPED_TRACE(i);
    EXPECT_STREQ(d.szFaceName, "ＭＳ ゴシック");
    EXPECT_EQ(d.nCharWidth, 0);
    EXPECT_EQ(d.nCharHeight, rows[i].height);
    EXPECT_EQ(d.nCharPitch, rows[i].pitch);
    EXPECT_EQ(d.nLineHeight, rows[i].line);
    EXPECT_EQ(d.nColorNo, 241);
    EXPECT_EQ(d.nFrameSD, 46);
    EXPECT_EQ(d.nFrameWidth, 1);
    EXPECT_EQ(d.nFrameColorNo, 240);
    EXPECT_EQ(d.nIconSD, 51);
    EXPECT_EQ(d.bFastFont, rows[i].fastCache);
  }

  EXPECT_STREQ(g_BitmapSet[0].szFileName, "bmp\\plt\\Palette.bmp");
  EXPECT_STREQ(g_BitmapSet[71].szFileName, "E");
  for (const DDBITMAPDATA& b : g_DigitBD) {
    EXPECT_STREQ(b.szFileName, "");
    EXPECT_EQ(b.bColorKey, 1);
  }
}
