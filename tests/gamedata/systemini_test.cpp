#include "gamedata/systemini.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>

#include "gamedata/systemdata.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

// Every field at a value no key gives, so that untouched fields show.
cSystemIni MarkedIni() {
  cSystemIni ini;
  for (int32_t* f : {&ini.Direct3D, &ini.WindowMode, &ini.Bpp, &ini.VSync, &ini.D3D_FontCache, &ini.DD_FontCache,
                     &ini.DD_VideoStretch, &ini.ShowFps, &ini.English, &ini.Midi_DirectMusic})
    *f = 77;
  std::strcpy(ini.FreeStage, "keep.stg");
  return ini;
}

void ExpectSameIni(const cSystemIni& a, const cSystemIni& b) {
  EXPECT_EQ(a.Direct3D, b.Direct3D);
  EXPECT_EQ(a.WindowMode, b.WindowMode);
  EXPECT_EQ(a.Bpp, b.Bpp);
  EXPECT_EQ(a.VSync, b.VSync);
  EXPECT_EQ(a.D3D_FontCache, b.D3D_FontCache);
  EXPECT_EQ(a.DD_FontCache, b.DD_FontCache);
  EXPECT_EQ(a.DD_VideoStretch, b.DD_VideoStretch);
  EXPECT_EQ(a.ShowFps, b.ShowFps);
  EXPECT_EQ(a.English, b.English);
  EXPECT_EQ(a.Midi_DirectMusic, b.Midi_DirectMusic);
  EXPECT_STREQ(a.FreeStage, b.FreeStage);
}

class SystemIniFile : public TempDirTest {
 protected:
  int Read(const std::string& text, cSystemIni& ini) {
    WriteFileBytes("System.ini", std::vector<uint8_t>(text.begin(), text.end()));
    return ReadSystemIni("System.ini", ini, keys_);
  }
  cSysIniKeyList keys_ = cSystemData().m_vIniKey;
};

}  // namespace

TEST(SystemIniDefaults, FieldsTakeTheKeyListDefaults) {
  cSysIniKeyList keys = cSystemData().m_vIniKey;
  keys.At(8).m_strText = "data\\stg4\\a.stg4_914";
  cSystemIni ini = MarkedIni();
  SetSystemIniDefault(ini, keys);
  cSystemIni expected;
  expected.Direct3D = 2;
  expected.VSync = 2;
  expected.DD_FontCache = 1;
  expected.ShowFps = 1;
  expected.Midi_DirectMusic = 1;
  std::strcpy(expected.FreeStage, "data\\stg4\\a.stg4_914");
  ExpectSameIni(ini, expected);

  keys.At(8).m_strText = std::string(300, 'x');
  SetSystemIniDefault(ini, keys);
  EXPECT_EQ(std::strlen(ini.FreeStage), 259u);
}

TEST_F(SystemIniFile, LinesSetTheirKeysAsTheParserReadsThem) {
  const std::string longStage(259, 's');
  const struct {
    const char* what;
    std::string text;
    int result;
    std::function<void(cSystemIni&)> expect;
  } cases[] = {
      {"CR LF and Exit", "VSync=1\r\nExit\r\n", 1, [](cSystemIni& e) { e.VSync = 1; }},
      {"blanks in the key, value after a blank is empty", "Window Mode = 1\n", 1,
       [](cSystemIni& e) { e.WindowMode = 0; }},
      {"comment after a slash", "ShowFps=0//comment\n", 1, [](cSystemIni& e) { e.ShowFps = 0; }},
      {"one-character stage kept", "FreeStage=a\n", 1, [](cSystemIni&) {}},
      {"stage without the CR of its line end", "FreeStage=data\\x.stg4_914\r\n", 1,
       [](cSystemIni& e) { std::strcpy(e.FreeStage, "data\\x.stg4_914"); }},
      {"stage without the CRs before a comment", "FreeStage=data\\y.stg4_914\r\r//c\r\n", 1,
       [](cSystemIni& e) { std::strcpy(e.FreeStage, "data\\y.stg4_914"); }},
      {"longest stage", "FreeStage=" + longStage + "\n", 1,
       [&](cSystemIni& e) { std::strcpy(e.FreeStage, longStage.c_str()); }},
      {"too long a stage kept", "FreeStage=" + std::string(260, 's') + "\n", 1, [](cSystemIni&) {}},
      {"small letters match nothing", "showfps=0\nvsync=1\n", 1, [](cSystemIni&) {}},
      {"last line without a line feed", "Bpp=16", 0, [](cSystemIni& e) { e.Bpp = 16; }},
      {"Exit after a blank", "Bpp=16 Exit\n", 1, [](cSystemIni& e) { e.Bpp = 16; }},
      {"Exit without a line feed", "VSync=1\nExit", 1, [](cSystemIni& e) { e.VSync = 1; }},
      {"comment line without a line feed", "VSync=1\n// end", 1, [](cSystemIni& e) { e.VSync = 1; }},
      {"empty file", "", 1, [](cSystemIni&) {}},
      {"zero byte ends the file", std::string("VSync=1\n\0Bpp=3\n", 15), 1, [](cSystemIni& e) { e.VSync = 1; }},
      {"unknown and malformed lines", "Foo=3\n=5\nDirect3D\nVSync=abc\nBpp=-3x\nShowFps=+7\nEnglish=\n", 1,
       [](cSystemIni& e) {
         e.VSync = 0;
         e.Bpp = -3;
         e.ShowFps = 7;
         e.English = 0;
       }},
      {"tabs and numbers beyond the range", "\tDirect3D=99999999999\nWindowMode=-99999999999\n", 1,
       [](cSystemIni& e) {
         e.Direct3D = INT_MAX;
         e.WindowMode = INT_MIN;
       }},
      {"every other key reaches its field",
       "D3D_FontCache=1\nDD_FontCache=2\nDD_VideoStretch=3\nEnglish=4\nMidi_DirectMusic=5\n", 1,
       [](cSystemIni& e) {
         e.D3D_FontCache = 1;
         e.DD_FontCache = 2;
         e.DD_VideoStretch = 3;
         e.English = 4;
         e.Midi_DirectMusic = 5;
       }},
      {"an over-long key is cut and matches nothing", std::string(3000, 'K') + "=1\nVSync=3\n", 1,
       [](cSystemIni& e) { e.VSync = 3; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    cSystemIni ini = MarkedIni();
    cSystemIni expected = MarkedIni();
    c.expect(expected);
    EXPECT_EQ(Read(c.text, ini), c.result);
    ExpectSameIni(ini, expected);
  }
}

TEST_F(SystemIniFile, MissingFileFails) {
  cSystemIni ini = MarkedIni();
  EXPECT_EQ(ReadSystemIni("System.ini", ini, keys_), 0);
  ExpectSameIni(ini, MarkedIni());
}

TEST_F(SystemIniFile, KeyNamesComeFromTheKeyList) {
  keys_.At(3).SetValue("Sync", 2);
  cSystemIni ini = MarkedIni();
  EXPECT_EQ(Read("VSync=5\nSync=1\n", ini), 1);
  EXPECT_EQ(ini.VSync, 1);
}

TEST_F(SystemIniFile, ReadingStopsAfterTenThousandLines) {
  std::string text;
  for (int i = 0; i < 10000; ++i) text += "x\n";
  cSystemIni ini = MarkedIni();
  EXPECT_EQ(Read(text + "VSync=1\n", ini), 1);
  EXPECT_EQ(ini.VSync, 77);
  EXPECT_EQ(Read(text.substr(2) + "VSync=1\n", ini), 1);
  EXPECT_EQ(ini.VSync, 1);
}
