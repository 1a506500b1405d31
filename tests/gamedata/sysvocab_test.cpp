#include "gamedata/sysvocab.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(SystemVocabulary, FontListAndFaceOfASetting) {
  // Code page 932 bytes of the default face.
  EXPECT_STREQ(g_FontName[60], "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
  EXPECT_STREQ(g_FontName[0], "System");
  EXPECT_STREQ(g_FontName[121], "Sydnie");
  EXPECT_STREQ(g_FontName[kFontNameCount], "");
  for (int i = 0; i < kFontNameCount; ++i) EXPECT_GT(std::strlen(g_FontName[i]), 0u) << i;

  EXPECT_EQ(GetFontFaceName(59), g_FontName[59]);
  for (int bad : {-1, kFontNameCount, 1000}) EXPECT_EQ(GetFontFaceName(bad), g_FontName[60]) << bad;
}

TEST(SystemVocabulary, LabelListsEndWithAnEmptyText) {
  EXPECT_STREQ(g_AssignOpName[2], "\x81\x7c");  // the full-width minus
  EXPECT_STREQ(g_DepthDDName[2], "8bit(256色)");
  EXPECT_STREQ(g_ColourName[10], "");
  EXPECT_STREQ(g_CompareName[8], "");
  EXPECT_STREQ(g_CondSenseName[1], "でないなら");
}
