#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cmath>

#include "core/log.h"
#include "platform/audio/gmsynth.h"
#include "platform/audio/mixer.h"
#include "platform/win/module.h"
#include "platform/win/msgbox.h"
#include "sound/bgmplayer.h"
#include "support/bytes.h"
#include "support/eventually.h"
#include "gamefolder/media_writers.h"
#include "support/ogg_writer.h"
#include "support/recording_sink.h"
#include "support/tempdir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A short General MIDI tune on three channels, one bar at 120 bpm.
Bytes TuneBytes() {
  SmfWriter w(1, 96);
  w.Track().Tempo(0, 500000).End(384);
  w.Track().Program(0, 0, 0).NoteOn(0, 0, 60, 110).NoteOn(0, 0, 64, 110).NoteOff(192, 0, 60).NoteOff(0, 0, 64).End(0);
  w.Track().Program(0, 1, 32).NoteOn(0, 1, 36, 120).NoteOff(384, 1, 36).End();
  w.Track().NoteOn(0, 9, 36, 120).NoteOff(48, 9, 36).NoteOn(48, 9, 38, 120).NoteOff(48, 9, 38).End();
  return w.Bytes();
}

class MusicTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ResetLogsForTest();
    ASSERT_EQ(ReportLogInit("Report_Game.txt"), 1);
    msgbox::Reset();
    module::ResetForTest();
    audio::Configure(audio::Backend::Null, 44100);
    std::copy(std::begin(g_BgmOggSlots), std::end(g_BgmOggSlots), ogg);
    std::copy(std::begin(g_BgmMidiSlots), std::end(g_BgmMidiSlots), midi);
    WriteFileBytes("t.mid", TuneBytes());
    WriteFileBytes("s.ogg", OggSineBytes(44100, 1.0, 441.0, 0.5));
  }
  void TearDown() override {
    bgm.Release();
    midistream::SetSinkForTest(nullptr);
    module::ResetForTest();
    msgbox::Reset();
    ResetLogsForTest();
    TempDirTest::TearDown();
  }
  // The largest sample of `frames` pulled frames. The SoundFont loads on a thread of its own: hand
  // pulls wait for it, so that a tune sounds from the first of them.
  float Peak(int frames) {
    gmsynth::FinishLoading();
    std::vector<float> out(2 * 1024);
    float peak = 0;
    for (int done = 0; done < frames; done += 1024) {
      audio::Pull(out.data(), 1024);
      for (float v : out) peak = std::max(peak, std::fabs(v));
    }
    return peak;
  }
  bool Start(int slot, const char* file, int volume, int force = 1) {
    bgm.SetSlot(slot, file, volume);
    return bgm.Play(0, slot, 1, 0, force);
  }
  RecordingSink sink;
  BgmOggSlot ogg[kBgmSlots];
  BgmMidiSlot midi[kBgmSlots];
  cBgmPlayer bgm;
};

TEST_F(MusicTest, SoftSynthPlaysATuneAtTheMasterVolume) {
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  ASSERT_TRUE(bgm.UsesSoftSynth());
  EXPECT_EQ(bgm.SetSlot(0, "t.MID", 100), 1);
  EXPECT_EQ(midi[0].szFile, "t.mid");
  ASSERT_TRUE(bgm.Play(0, 0, 1, 0, 1));
  EXPECT_GT(Peak(44100), 0.05f);
  const struct {
    int volume;
    int master;
  } cases[] = {{100, 0}, {50, -64}, {0, -127}, {1, -126}, {99, -2}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Start(0, "t.mid", c.volume)) << c.volume;
    EXPECT_EQ(bgm.SoftSynth().MasterVolume(), c.master) << c.volume;
  }
  ASSERT_TRUE(Start(0, "t.mid", 0));
  EXPECT_EQ(Peak(22050), 0.0f);
  // Straight to the binding, an upper-case extension is refused.
  cSoftSynth synth;
  BgmMidiSlot upper{"t.MID", 0, 100};
  EXPECT_FALSE(synth.Play(0, &upper, 0, 100));
  // A file the MIDI reader refuses is not kept.
  WriteFileBytes("bad.mid", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 2, 0, 1, 0, 96});
  EXPECT_FALSE(Start(0, "bad.mid", 100));
  EXPECT_EQ(bgm.CurrentSlot(), -1);
  EXPECT_NE(ReadFileBytes("Report_Game.txt").size(), 0u);
}

TEST_F(MusicTest, ATuneAskedForWhileTheSoundFontLoadsSoundsFromItsStart) {
  const Bytes tune = TuneBytes();
  bool playing = false;
  int tick = -1;
  gmsynth::SetSequencer(nullptr);
  gmsynth::Close();
  ASSERT_TRUE(gmsynth::Open());
  ASSERT_TRUE(gmsynth::PlayerStart(tune, false));
  gmsynth::PlayerStatus(&playing, &tick);
  EXPECT_TRUE(playing);
  EXPECT_EQ(tick, 0);
  std::vector<float> out(2 * 1024);
  audio::Pull(out.data(), 1024);  // during the load: silent, and the tune keeps its start
  gmsynth::FinishLoading();
  gmsynth::PlayerStatus(&playing, &tick);
  EXPECT_TRUE(playing);
  EXPECT_EQ(tick, 0);
  EXPECT_GT(Peak(22050), 0.05f);
  gmsynth::PlayerStatus(&playing, &tick);
  EXPECT_GT(tick, 0);
  // Stopped or paused before the load ends, the tune never sounds.
  for (void (*end)() : {gmsynth::PlayerStop, gmsynth::PlayerPause}) {
    gmsynth::Close();
    ASSERT_TRUE(gmsynth::Open());
    ASSERT_TRUE(gmsynth::PlayerStart(tune, true));
    end();
    gmsynth::FinishLoading();
    gmsynth::PlayerStatus(&playing, &tick);
    EXPECT_FALSE(playing);
    EXPECT_LT(Peak(22050), 0.001f);  // the reverb's floor, no note
  }
  // A failed load reports the device missing at the next open, as a missing SoundFont does.
  WriteFileBytes("bad.sf2", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 's', 'f', 'b', 'k'});
  gmsynth::Close();
  gmsynth::SetSoundFontForTest("bad.sf2");
  EXPECT_TRUE(gmsynth::Open());
  EXPECT_TRUE(gmsynth::PlayerStart(tune, false));
  gmsynth::FinishLoading();
  gmsynth::PlayerStatus(&playing, &tick);
  EXPECT_FALSE(playing);
  EXPECT_FALSE(gmsynth::Open());
  EXPECT_EQ(gmsynth::Sink(), nullptr);
  gmsynth::SetSoundFontForTest(nullptr);
  gmsynth::Close();
}

TEST_F(MusicTest, ZeroTickLoopDoesNotSpin) {
  WriteFileBytes("zero.mid", SmfWriter(0, 96).Track().NoteOn(0, 0, 60, 100).End(0).Bytes());
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  WriteFileBytes("one.mid", SmfWriter(0, 96).Track().NoteOn(0, 0, 60, 100).End(1).Bytes());
  for (const char* name : {"zero.mid", "one.mid"}) {
    ASSERT_TRUE(Start(0, name, 100));
    Peak(44100);  // returns: the pull is not held inside the synthesizer
  }
  module::SetAbsentForTest("GuruGuruSMF4.dll", true);
  bgm.Release();
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  ASSERT_FALSE(bgm.UsesSoftSynth());
  ASSERT_TRUE(Start(0, "zero.mid", 100));
  Peak(44100);
}

TEST_F(MusicTest, MissingSoftSynthFunctionsFallBack) {
  module::DropFunctionForTest("GuruGuruSMF4.dll", "GGS4Play");
  ASSERT_EQ(SoftSynthLoad(), 0);
  EXPECT_EQ(SoftSynthInstance()->GGS4Play(0, 0, 0, 0, 0), cSoftSynthLib::kMissing);
  SoftSynthInstance()->GGS4Stop(0);  // does nothing
  SoftSynthClose();
  // Without its open function the device does not open: the stream player takes the music.
  module::DropFunctionForTest("GuruGuruSMF4.dll", "GGS4OpenDevice");
  midistream::SetSinkForTest(&sink);
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 0));
  EXPECT_FALSE(bgm.UsesSoftSynth());
  ASSERT_TRUE(Start(2, "t.mid", 100));
  Peak(4096);
  EXPECT_GT(sink.Count(), 0u);
  EXPECT_EQ(module::LoadedCount(), 1);  // only the Ogg library stays loaded
}

TEST_F(MusicTest, WithoutTheSoftSynthTheStreamPlayerPlays) {
  module::SetAbsentForTest("GuruGuruSMF4.dll", true);
  midistream::SetSinkForTest(&sink);
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  EXPECT_FALSE(bgm.UsesSoftSynth());
  ASSERT_TRUE(Start(4, "t.MID", 100));
  Peak(4096);
  std::vector<RecordedMidi> ev = sink.Events();
  ASSERT_GE(ev.size(), 4u);
  EXPECT_EQ(ev[0].message, 0xC0u);  // program 0 on channel 0, the first event of the merged tune
}

TEST_F(MusicTest, OggVolumeScalesTheSineAndIsResetForFullVolume) {
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  ASSERT_TRUE(Start(0, "s.ogg", 50));
  EXPECT_FLOAT_EQ(bgm.Ogg().Player(0)->GetVolume(), 0.5f);
  const float half = Peak(22050);
  EXPECT_NEAR(half, 0.25f, 0.03f);
  ASSERT_TRUE(Start(0, "s.ogg", 100));
  EXPECT_FLOAT_EQ(bgm.Ogg().Player(0)->GetVolume(), 1.0f);
  const float full = Peak(22050);
  EXPECT_NEAR(full, 0.5f, 0.05f);
  EXPECT_NEAR(full / half, 2.0f, 0.1f);
  // Played once, the clip ends and the output falls silent; looping keeps it going.
  bgm.SetSlot(1, "s.ogg", 100);
  ASSERT_TRUE(bgm.Play(0, 1, 0, 0, 1));
  Peak(44100 + 2048);
  EXPECT_LT(Peak(4096), 1e-4f);  // silent but for the reverb tail of earlier music
  ASSERT_TRUE(Start(1, "s.ogg", 100));
  Peak(44100 * 3);
  EXPECT_GT(Peak(4096), 0.4f);
  // A missing or damaged file: false, silence, no current slot.
  WriteFileBytes("junk.ogg", Bytes(3000, 0x4F));
  for (const char* name : {"none.ogg", "junk.ogg"}) {
    EXPECT_FALSE(Start(3, name, 100)) << name;
    EXPECT_EQ(bgm.CurrentSlot(), -1);
    EXPECT_LT(Peak(4096), 1e-4f);  // silent but for the reverb tail of earlier music
  }
}

TEST_F(MusicTest, DamagedAndEmptyOggFilesNeitherCrashNorSpin) {
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  // No samples at all, looping: the music ends instead of seeking back for ever.
  WriteFileBytes("empty.ogg", OggSineBytes(44100, 0.0, 441.0, 0.5));
  if (Start(0, "empty.ogg", 100)) {
    EXPECT_LT(Peak(8192), 1e-4f);
  }
  // Damage in mid-stream: the hole is skipped or the music stops; the pull goes on.
  Bytes clip = OggSineBytes(44100, 2.0, 441.0, 0.5);
  for (size_t i = clip.size() / 2; i < clip.size() / 2 + 40; ++i) clip[i] ^= 0x5A;
  WriteFileBytes("hole.ogg", clip);
  ASSERT_TRUE(Start(0, "hole.ogg", 100));
  EXPECT_GT(Peak(22050), 0.4f);
  Peak(44100 * 4);
}

TEST_F(MusicTest, WithoutTheOggLibraryMidiStillPlays) {
  module::SetAbsentForTest("Vox.dll", true);
  EXPECT_FALSE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "oggの初期化に失敗！");
  EXPECT_FALSE(Start(0, "s.ogg", 100));
  EXPECT_EQ(bgm.CurrentSlot(), -1);
  ASSERT_TRUE(Start(0, "t.mid", 100));
  EXPECT_GT(Peak(44100), 0.05f);
}

// Requests from the window thread while the options scene releases and initialises again on the game
// thread, with the audio thread pulling.
TEST_F(MusicTest, ManagerCallsFromSeveralThreadsAreSerialised) {
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  std::atomic<bool> stop{false};
  std::thread puller([&] {
    std::vector<float> out(2 * 256);
    while (!stop) audio::Pull(out.data(), 256);
  });
  std::thread options([&] {
    for (int i = 0; i < 20; ++i) {
      bgm.Release();
      bgm.Init(1, ogg, midi, kBgmSlots, i % 2);
    }
  });
  for (int i = 0; i < 60; ++i) {
    bgm.SetSlot(i % kBgmSlots, i % 2 ? "s.ogg" : "t.mid", 100);
    bgm.Play(0, i % kBgmSlots, 1, 0, 1);
    if (i % 7 == 0) bgm.Stop();
  }
  options.join();
  stop = true;
  puller.join();
  ASSERT_TRUE(Start(0, "t.mid", 100));
  EXPECT_EQ(bgm.CurrentSlot(), 0);
}

TEST_F(MusicTest, ManagerRequests) {
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  WriteFileBytes("s.dat", ReadFileBytes("s.ogg"));
  WriteFileBytes("t.Mid", TuneBytes());
  const struct {
    const char* file;
    int setSlot;       // SetSlot's result
    bool plays;
    bool ogg;          // the Ogg player sounds (else MIDI, when it plays)
  } cases[] = {
      {"s.ogg", 1, true, true}, {"t.mid", 1, true, false}, {"t.MID", 1, true, false},
      {"s.dat", 0, true, true},  // other: Ogg first
      {"t.Mid", 0, false, false},  // other: neither player takes "Mid"
      {"noext", 0, false, false},
  };
  auto midiPlaying = [] {
    GGS4PLAYERSTATUS st{};
    SoftSynthInstance()->GGS4GetPlayerStatus(&st, sizeof st);
    return st.State == 1;
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Start(0, "t.mid", 100));  // something sounds before each request
    EXPECT_EQ(bgm.SetSlot(2, c.file, 80), c.setSlot) << c.file;
    EXPECT_EQ(bgm.Play(0, 2, 1, 0, 1), c.plays) << c.file;
    EXPECT_EQ(bgm.CurrentSlot(), c.plays ? 2 : -1) << c.file;
    EXPECT_EQ(bgm.Ogg().Current() == 0, c.plays && c.ogg) << c.file;
    EXPECT_EQ(midiPlaying(), c.plays && !c.ogg) << c.file;
  }
  EXPECT_EQ(ogg[2].szFile, "");  // no extension: empty names
  EXPECT_EQ(midi[2].szFile, "");
  EXPECT_EQ(ogg[2].nVolume, 0);

  // Force: the current slot is not restarted without it. Stop keeps the current slot.
  ASSERT_TRUE(Start(1, "s.ogg", 100));
  bgm.Stop();
  EXPECT_EQ(bgm.CurrentSlot(), 1);
  EXPECT_EQ(bgm.Ogg().Current(), -1);
  EXPECT_TRUE(bgm.Play(0, 1, 1, 0, 0));
  EXPECT_EQ(bgm.Ogg().Current(), -1);
  EXPECT_TRUE(bgm.Play(0, 1, 1, 0, 1));
  EXPECT_EQ(bgm.Ogg().Current(), 0);

  // Release then a new Init, as the options scene does: music plays again.
  EXPECT_EQ(bgm.Release(), 1);
  EXPECT_TRUE(bgm.Play(0, 0, 1, 0, 1));  // uninitialised: nothing, and true
  EXPECT_EQ(bgm.SetSlot(0, "s.ogg", 100), 1);
  ASSERT_TRUE(bgm.Init(1, ogg, midi, kBgmSlots, 1));
  ASSERT_TRUE(Start(0, "t.mid", 100));
  EXPECT_GT(Peak(44100), 0.05f);
  EXPECT_EQ(module::LoadedCount(), 2);
}

}  // namespace
