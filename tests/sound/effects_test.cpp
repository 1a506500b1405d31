#include "sound/effects.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/log.h"
#include "platform/audio/gmsynth.h"
#include "platform/audio/mixer.h"
#include "support/bytes.h"
#include "gamefolder/media_writers.h"
#include "support/tempdir.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string FileText(const char* path) {
  Bytes b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

class EffectsTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ResetLogsForTest();
    ASSERT_EQ(ReportLogInit("Report_Game.txt"), 1);
    DebugLogInit(1, "DI_Zaze.txt");
    audio::Configure(audio::Backend::Null, 22050);
    gmsynth::Close();  // no tail of earlier music in the sample-exact output
  }
  void TearDown() override {
    DS_Release();
    g_vSound.clear();
    g_vSoundSrc.clear();
    audio::SetAbsent(false);
    ResetLogsForTest();
    TempDirTest::TearDown();
  }
  std::vector<int16_t> Pull(int frames) {
    std::vector<int16_t> out(2 * static_cast<size_t>(frames));
    audio::PullS16(out.data(), frames);
    return out;
  }
};

// A mono 16-bit ramp: sample i is 10 * (i + 1).
Bytes RampWave(int frames) {
  std::vector<int16_t> s(frames);
  for (int i = 0; i < frames; ++i) s[i] = static_cast<int16_t>(10 * (i + 1));
  return WaveBytes(WaveSpec{}, Pcm16(s));
}

TEST_F(EffectsTest, WaveAcceptance) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  const Bytes pcm = Pcm16({100, -100, 200, -200});
  auto layout = [](auto change) {
    WaveSpec s;
    s.channels = 2;
    change(s);
    return s;
  };
  const std::string longMsg =
      "の読み込みに失敗しました…。対応していない形式か、不正なwavファイルです。"
      "本ソフトではWave拡張フォーマットが無効かつ非圧縮のPCM形式のみ再生できます。";
  const struct {
    const char* name;
    WaveSpec layout;
    bool loads;
    std::string report;  // in the report log (also in the debug log)
    std::string debugOnly;
  } cases[] = {
      {"16-byte fmt", layout([](WaveSpec&) {}), true, "", ""},
      {"18-byte fmt, cbSize 0", layout([](WaveSpec& s) { s.fmtSize = 18; }), true, "", ""},
      {"extensible", layout([](WaveSpec& s) { s.fmtSize = 40, s.cbSize = 22, s.tag = 0xFFFE; }), false, longMsg, ""},
      {"12-byte fmt", layout([](WaveSpec& s) { s.fmtSize = 12; }), false, longMsg, ""},
      {"14-byte fmt", layout([](WaveSpec& s) { s.fmtSize = 14; }), false, "", "生成失敗！"},
      {"tag 2, cbSize 0", layout([](WaveSpec& s) { s.fmtSize = 18, s.tag = 2; }), false, "", "生成失敗！"},
      {"no WAVE form", layout([](WaveSpec& s) { s.waveForm = false; }), false, "の読み込みに失敗しました…\r\n不正なファイルです。", ""},
      {"data before fmt", layout([](WaveSpec& s) { s.dataBeforeFmt = true; }), false, "の読み込みに失敗しました！", ""},
      {"odd chunk before fmt", layout([](WaveSpec& s) { s.extraChunkBeforeFmt = {1, 2, 3}; }), true, "", ""},
  };
  for (const auto& c : cases) {
    WriteFileBytes("w.wav", WaveBytes(c.layout, pcm));
    const size_t reportBefore = FileText("Report_Game.txt").size();
    const size_t debugBefore = FileText("DI_Zaze.txt").size();
    DSSOUNDDATA sound;
    EXPECT_EQ(DS_LoadSound(&sound, "w.wav", 1, 0), c.loads) << c.name;
    EXPECT_EQ(!sound.vBuffer.empty(), c.loads) << c.name;
    const std::string report = FileText("Report_Game.txt").substr(reportBefore);
    const std::string debug = FileText("DI_Zaze.txt").substr(debugBefore);
    if (c.report.empty()) {
      EXPECT_EQ(report, "") << c.name;
    } else {
      EXPECT_NE(report.find("w.wav " + c.report), std::string::npos) << c.name << ": " << testing::PrintToString(report);
      EXPECT_NE(debug.find(c.report), std::string::npos) << c.name;
    }
    if (!c.debugOnly.empty()) {
      EXPECT_NE(debug.find("w.wav" + c.debugOnly), std::string::npos) << c.name;
      EXPECT_EQ(report.find(c.debugOnly), std::string::npos) << c.name;
    }
    DS_ReleaseSound(&sound);
  }
  EXPECT_EQ(dsound::LiveBufferCount(), 0);
}

TEST_F(EffectsTest, LoadSoundsSilencesOnlyTheBadOnesAndTakesTheVolumeArgument) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  WriteFileBytes("a.wav", RampWave(8));
  std::vector<uint8_t> cut = RampWave(8);
  cut.resize(cut.size() - 5);  // the data chunk claims more than the file holds
  WriteFileBytes("cut.wav", cut);
  const std::string longName = std::string(300, 'x') + ".wav";
  g_vSoundSrc = {{"a.wav", 2, -500, 1}, {"", 1, 0, 1}, {"missing.wav", 1, 0, 1}, {"cut.wav", 0, -300, 1}, {longName, 1, 0, 1}};
  g_vSound.resize(5);
  EXPECT_EQ(DS_LoadSounds(g_vSound, g_vSoundSrc, 0), 1);
  EXPECT_EQ(g_vSound[0].nCount, 2);
  EXPECT_EQ(DS_GetVolume(&g_vSound[0], 1), -500);
  EXPECT_TRUE(g_vSound[1].vBuffer.empty());
  EXPECT_TRUE(g_vSound[2].vBuffer.empty());
  EXPECT_EQ(g_vSound[3].nCount, 1);  // a count of 0 counts as 1
  EXPECT_NE(FileText("Report_Game.txt").find("missing.wav の読み込みに失敗しました！"), std::string::npos);
  EXPECT_EQ(FileText("Report_Game.txt").find(" の読み込みに失敗しました！"), 0u);  // the empty name comes first
  EXPECT_NE(FileText("Report_Game.txt").find(longName + " の読み込みに失敗しました！"), std::string::npos);
  // Cut to the whole frames the file holds: 8 frames of 2 bytes minus 5 bytes leaves 5 frames.
  DS_Play(&g_vSound[3], 0);
  DS_SetVolume(&g_vSound[3], 0, 0, 0);
  std::vector<int16_t> out = Pull(7);
  EXPECT_EQ(out[8], 50);
  EXPECT_EQ(out[10], 0);
  // A volume argument other than 0 replaces every source's own.
  DS_Release();
  g_vSound.assign(4, {});
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  DS_LoadSounds(g_vSound, g_vSoundSrc, -2000);
  EXPECT_EQ(DS_GetVolume(&g_vSound[0], 0), -2000);
  EXPECT_EQ(DS_GetVolume(&g_vSound[3], 0), -2000);
}

TEST_F(EffectsTest, NullDeviceOutputIsSampleExact) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  EXPECT_EQ(dsound::LastPrimaryFormat().nSamplesPerSec, 22050u);
  EXPECT_EQ(dsound::LastPrimaryFormat().wBitsPerSample, 8);
  // A 16-bit stereo wave at the device's rate comes out sample for sample.
  std::vector<int16_t> stereo;
  for (int i = 0; i < 300; ++i) {
    stereo.push_back(static_cast<int16_t>(i * 37 - 5000));
    stereo.push_back(static_cast<int16_t>(-i * 91 + 3000));
  }
  WaveSpec layout;
  layout.channels = 2;
  WriteFileBytes("s.wav", WaveBytes(layout, Pcm16(stereo)));
  DSSOUNDDATA s;
  ASSERT_TRUE(DS_LoadSound(&s, "s.wav", 1, 0));
  DS_Play(&s, 0);
  std::vector<int16_t> out = Pull(310);
  EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 600), stereo);
  EXPECT_EQ(std::vector<int16_t>(out.begin() + 600, out.end()), std::vector<int16_t>(20, 0));
  DS_ReleaseSound(&s);

  // Three buffers played four times: 0, 1, 2, 0; the fourth play restarts buffer 0, and voices add.
  WriteFileBytes("r.wav", RampWave(1000));
  ASSERT_TRUE(DS_LoadSound(&s, "r.wav", 3, 0));
  std::vector<int> taken;
  for (int i = 0; i < 4; ++i) {
    taken.push_back(s.nNext);
    DS_Play(&s, 0);
    if (i == 0) Pull(100);
  }
  EXPECT_EQ(taken, (std::vector<int>{0, 1, 2, 0}));
  out = Pull(2);
  EXPECT_EQ(out[0], 3 * 10);  // three voices at their first sample, not 10 * 101 + 2 * 10
  EXPECT_EQ(out[1], 3 * 10);
  EXPECT_EQ(out[2], 3 * 20);

  // Volume: -10000 is silence; -500 relative on -9800 reads back -10000.
  for (int i = 0; i < 3; ++i) DS_SetVolume(&s, i, -9800, 0);
  EXPECT_EQ(DS_SetVolume(&s, 0, -500, 1), -10000);
  EXPECT_EQ(DS_GetVolume(&s, 0), -10000);
  EXPECT_EQ(DS_SetVolume(&s, 0, 20000, 1), 0);
  EXPECT_EQ(DS_SetVolume(&s, 7, 0, 0), 0);  // no such buffer
  for (int i = 0; i < 3; ++i) DS_SetVolume(&s, i, -10000, 0);
  out = Pull(50);
  EXPECT_EQ(out, std::vector<int16_t>(100, 0));
  DS_SetVolume(&s, 0, -2000, 0);  // a tenth of the amplitude
  out = Pull(1);
  EXPECT_EQ(out[0], 53);  // buffer 0 is at frame 52 of the ramp: 530 / 10
  DS_ReleaseSound(&s);
}

TEST_F(EffectsTest, CursorSoundPlaysOncePerMovingAxis) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  WriteFileBytes("c.wav", RampWave(10));
  g_vSoundSrc = {{"c.wav", 4, 0, 1}};
  g_vSound.resize(1);
  DS_LoadSounds(g_vSound, g_vSoundSrc, 0);
  const struct {
    uint16_t dir;
    int axes;
    int plays;
  } cases[] = {{1 | 4, 3, 2}, {2, 3, 1}, {8, 3, 1}, {1, 2, 0}, {4, 1, 0}, {0, 3, 0}};
  for (const auto& c : cases) {
    const int before = g_vSound[0].nNext;
    DS_PlayCursorSound(&c.dir, c.axes, 0);
    EXPECT_EQ((g_vSound[0].nNext - before + 4) % 4, c.plays) << c.dir << " " << c.axes;
  }
  DS_PlayCursorSound(&cases[0].dir, 3, 5);  // no such sound: nothing
}

// The window thread plays, the game thread plays the cursor sound and changes volumes, and the
// audio thread pulls, all at once.
TEST_F(EffectsTest, VoicesAreSafeFromSeveralThreads) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  WriteFileBytes("c.wav", RampWave(500));
  g_vSoundSrc = {{"c.wav", 3, 0, 1}, {"c.wav", 2, 0, 1}};
  g_vSound.resize(2);
  DS_LoadSounds(g_vSound, g_vSoundSrc, 0);
  std::atomic<bool> stop{false};
  std::thread puller([&] {
    std::vector<int16_t> out(2 * 256);
    while (!stop) audio::PullS16(out.data(), 256);
  });
  std::thread game([&] {
    const uint16_t dir = 1 | 8;
    for (int i = 0; i < 2000; ++i) {
      DS_PlayCursorSound(&dir, 3, 0);
      DS_SetVolume(&g_vSound[1], i % 2, -37, 1);
    }
  });
  for (int i = 0; i < 2000; ++i) DS_Play(&g_vSound[1], 0);
  game.join();
  stop = true;
  puller.join();
  EXPECT_EQ(DS_GetVolume(&g_vSound[1], 0), -10000);  // 1000 relative steps of -37, clamped
}

// Both threads play the same sound: every play takes a buffer of its own turn, so after a number of
// plays that the buffers divide the turn is back at the first buffer.
TEST_F(EffectsTest, TwoThreadsPlayingOneSoundKeepItsTurns) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  WriteFileBytes("c.wav", RampWave(50));
  DSSOUNDDATA s;
  ASSERT_TRUE(DS_LoadSound(&s, "c.wav", 3, 0));
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    std::thread game([&] {
      for (int i = 0; i < 1500; ++i) DS_Play(&s, 0);
    });
    for (int i = 0; i < 1500; ++i) DS_Play(&s, 0);
    game.join();
    EXPECT_EQ(s.nNext, 0);
  }
  DS_ReleaseSound(&s);
}

TEST_F(EffectsTest, WithoutADeviceEverythingDoesNothing) {
  audio::SetAbsent(true);
  EXPECT_FALSE(DS_Init(nullptr, 22050, 8, 1));
  EXPECT_EQ(g_lpDS, nullptr);
  WriteFileBytes("a.wav", RampWave(8));
  g_vSoundSrc = {{"a.wav", 1, 0, 1}, {"missing.wav", 1, 0, 1}};
  g_vSound.resize(2);
  EXPECT_EQ(DS_LoadSounds(g_vSound, g_vSoundSrc, 0), 1);
  EXPECT_TRUE(DS_LoadSound(&g_vSound[1], "missing.wav", 1, 0));
  DS_Play(&g_vSound[0], 0);
  EXPECT_EQ(DS_SetVolume(&g_vSound[0], 0, -100, 0), 0);
  DS_Release();
  EXPECT_EQ(dsound::LiveBufferCount(), 0);
  EXPECT_EQ(FileText("Report_Game.txt"), "");
}

}  // namespace
