#include "core/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(FormatNumber, PadsSignsAndNeverCutsDigits) {
  struct Case {
    int value, width, zeros, plus;
    const char* expected;
  } cases[] = {
      {42, 5, 0, 0, "   42"},    {42, 5, 1, 0, "00042"},       {-42, 5, 0, 0, "-   42"},
      {-42, 5, 1, 0, "-00042"},  {42, 5, 0, 1, "+   42"},      {42, 5, 1, 1, "+00042"},
      {-42, 5, 0, 1, "-   42"},  {0, 3, 0, 0, "  0"},          {0, 3, 1, 0, "000"},
      {0, 0, 0, 1, "+0"},        {123456, 3, 0, 0, "123456"},  {7, -4, 0, 0, "7"},
      {100, 5, 0, 0, "  100"},   {INT_MAX, 0, 0, 0, "2147483647"},
      {INT_MIN, 0, 0, 0, "-2147483648"},  {INT_MIN, 12, 1, 0, "-002147483648"},
  };
  for (const Case& c : cases) {
    std::string out = "old";
    FormatNumber(out, c.value, c.width, c.zeros, c.plus);
    EXPECT_EQ(out, c.expected) << c.value << " width " << c.width << " zeros " << c.zeros << " plus " << c.plus;
  }
}

TEST(CountDigits, CountsWithoutSign) {
  struct Case {
    int n, digits;
  } cases[] = {{0, 1}, {-9, 1}, {9, 1}, {10, 2}, {-10, 2}, {99999, 5}, {INT_MAX, 10}, {INT_MIN, 10}};
  for (const Case& c : cases) EXPECT_EQ(CountDigits(c.n), c.digits) << c.n;
}

TEST(StrMid, TakesWindowsOfBytes) {
  struct Case {
    int start, len;
    const char* expected;
  } cases[] = {
      {2, 3, "cde"}, {4, 10, "ef"}, {6, 1, ""},   {7, 1, ""},  {7, -1, ""},     {2, -1, "cdef"},
      {0, 0, ""},    {-1, 3, "ab"}, {-2, -1, "abcdef"},       {-3, 2, ""},     {0, 6, "abcdef"},
  };
  for (const Case& c : cases) EXPECT_EQ(StrMid("abcdef", c.start, c.len), c.expected) << c.start << "," << c.len;
}

TEST(Sjis, DoubleByteTestAndCharacterCount) {
  // 表 is 0x95 0x5C: its trail byte is a backslash.
  EXPECT_EQ(IsSjisDoubleByte("表"), 1);
  EXPECT_EQ(IsSjisDoubleByte("\x81\x40"), 1);
  EXPECT_EQ(IsSjisDoubleByte("\x81\x7F"), 0);  // 0x7F is no trail byte
  EXPECT_EQ(IsSjisDoubleByte("\xA0\x40"), 0);  // nor 0xA0 a lead byte
  EXPECT_EQ(IsSjisDoubleByte("a\x40"), 0);

  EXPECT_EQ(SjisCharCount("表示\nab"), 4);
  EXPECT_EQ(SjisCharCount(""), 0);
  EXPECT_EQ(SjisCharCount("\n\n"), 0);
  EXPECT_EQ(SjisCharCount("ｱｲ"), 2);       // half-width katakana are single bytes
  EXPECT_EQ(SjisCharCount("a\x81"), 2);     // a lead byte at the end counts alone
  EXPECT_EQ(SjisCharCount("\x81\n"), 1);    // a lead byte before a line feed: the line feed is not its trail
  EXPECT_EQ(SjisCharCount(std::string("ab表")), 3);
}

TEST(StrPrintf, FormsReplaceAppendAndHaveNoLengthLimit) {
  std::string out = "old";
  StrPrintf(out, "%s=%d", "x", -3);
  EXPECT_EQ(out, "x=-3");
  StrAppendF(out, "|%03d", 7);
  EXPECT_EQ(out, "x=-3|007");
  EXPECT_EQ(StrPrintf("%d%%", 50), "50%");

  std::string longText(6000, 'q');
  StrPrintf(out, "<%s>", longText.c_str());
  EXPECT_EQ(out.size(), 6002u);
  EXPECT_EQ(out.back(), '>');
}

TEST(StrCutAtNul, CutsAtFirstZeroByte) {
  std::string s("ab\0cd\0", 6);
  EXPECT_EQ(StrCutAtNul(s), 2);
  EXPECT_EQ(s, "ab");
  std::string plain = "abc";
  EXPECT_EQ(StrCutAtNul(plain), 3);
  EXPECT_EQ(plain, "abc");
}
