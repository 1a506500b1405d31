#include "sound/midiplayer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "core/log.h"
#include "platform/audio/gmsynth.h"
#include "platform/audio/mixer.h"
#include "sound/bgmslots.h"
#include "support/bytes.h"
#include "support/eventually.h"
#include "gamefolder/media_writers.h"
#include "support/recording_sink.h"
#include "support/tempdir.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kRate = 44100;

// The frame of a tick at 500000 us per quarter and 96 ticks per quarter.
uint64_t FrameOf(uint64_t tick) { return tick * 500000 * kRate / (1000000ull * 96); }

int ThreadCount() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
  return -1;
}

class MidiPlayerTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ResetLogsForTest();
    ASSERT_EQ(ReportLogInit("Report_Game.txt"), 1);
    audio::Configure(audio::Backend::Null, kRate);
    midistream::SetSinkForTest(&sink);
  }
  void TearDown() override {
    midistream::SetSinkForTest(nullptr);
    ResetLogsForTest();
    TempDirTest::TearDown();
  }
  std::string Report() {
    Bytes b = ReadFileBytes("Report_Game.txt");
    return std::string(b.begin(), b.end());
  }
  // Pulls the mixer while the stream plays, waiting for the player thread whenever the device has
  // nothing queued; stops when the music has stopped or after maxPulls.
  void PlayOn(cMidiStream& s, int maxPulls, int frames = 1024) {
    std::vector<float> out(2 * static_cast<size_t>(frames));
    for (int i = 0; i < maxPulls; ++i) {
      ASSERT_TRUE(Eventually([&] { return midistream::IsClockRunning(s.Stream()) || s.State() != 1; }));
      if (s.State() != 1) return;
      audio::Pull(out.data(), frames);
    }
  }
  RecordingSink sink;
};

TEST_F(MidiPlayerTest, LongFilePlaysEveryEventAtItsFrameAlternatingBuffers) {
  SmfWriter w(0, 96);
  w.Track().Tempo(0, 500000);
  const int notes = 2500;  // 5000 short events: 60000 bytes of stream events
  for (int i = 0; i < notes; ++i) w.NoteOn(i == 0 ? 0 : 3, 0, 40 + i % 40, 100).NoteOff(2, 0, 40 + i % 40);
  w.End();
  WriteFileBytes("long.mid", w.Bytes());
  cMidiStream s("long.mid");
  ASSERT_TRUE(s.HasImage());
  s.Restart(0);
  PlayOn(s, 4000);
  EXPECT_EQ(s.State(), 0);
  std::vector<RecordedMidi> ev = sink.Events();
  ASSERT_EQ(ev.size(), 2u * notes);
  std::vector<uintptr_t> runs;
  for (int i = 0; i < notes; ++i) {
    const uint64_t onTick = 5ull * i, offTick = onTick + 2;
    const uint32_t key = 40 + i % 40;
    ASSERT_EQ(ev[2 * i].message, 0x90u | (key << 8) | (100u << 16)) << i;
    ASSERT_EQ(ev[2 * i].sample, FrameOf(onTick)) << i;
    ASSERT_EQ(ev[2 * i + 1].message, 0x80u | (key << 8)) << i;
    ASSERT_EQ(ev[2 * i + 1].sample, FrameOf(offTick)) << i;
  }
  for (const RecordedMidi& e : ev)
    if (runs.empty() || runs.back() != e.buffer) runs.push_back(e.buffer);
  EXPECT_EQ(runs, (std::vector<uintptr_t>{0, 1, 0}));  // 2000 events a buffer
  // Played once: stopped, rewound, with the first buffer queued again.
  int queued = 0;
  for (int i = 0; i < 2; ++i)
    if (s.Header(i).dwFlags & MHDR_INQUEUE) {
      ++queued;
      const auto* first = reinterpret_cast<const MIDIEVENT*>(s.Header(i).lpData);
      EXPECT_EQ(first->dwEvent, (DWORD{MEVT_TEMPO} << 24) | 500000u);
    }
  EXPECT_EQ(queued, 1);
  EXPECT_EQ(Report(), "");
}

TEST_F(MidiPlayerTest, PacksEachKindOfEvent) {
  SmfWriter w(0, 96);
  w.Track().SysEx(0, {1, 2, 3, 4, 0xF7}).Meta(7, 0x01, {'x'}).Program(3, 2, 9).Tempo(0, 250000).NoteOn(1, 1, 60, 64).End(4);
  WriteFileBytes("k.mid", w.Bytes());
  cMidiStream s("k.mid");
  ASSERT_TRUE(s.HasImage());
  std::vector<char> data(cMidiStream::kBufferSize);
  MIDIHDR h{};
  h.lpData = data.data();
  h.dwBufferLength = cMidiStream::kBufferSize;
  const size_t consumed = s.FillBuffer(cMidiFile::kImageHeader, &h);
  EXPECT_EQ(consumed, s.Image().size() - cMidiFile::kImageHeader);
  ASSERT_EQ(h.dwBytesRecorded, 20u + 4 * 12);
  auto at = [&](size_t off) { return reinterpret_cast<const MIDIEVENT*>(data.data() + off); };
  EXPECT_EQ(at(0)->dwEvent, MEVT_F_LONG | 6);  // 5 data bytes and the status: 20 bytes in all
  EXPECT_EQ(Bytes(data.begin() + 12, data.begin() + 18), (Bytes{0xF0, 1, 2, 3, 4, 0xF7}));
  EXPECT_EQ(at(20)->dwEvent, 0xC2u | (9u << 8));
  EXPECT_EQ(at(20)->dwDeltaTime, 10u);  // the skipped meta's time is kept
  EXPECT_EQ(at(32)->dwEvent, (DWORD{MEVT_TEMPO} << 24) | 250000u);
  EXPECT_EQ(at(44)->dwEvent, 0x91u | (60u << 8) | (64u << 16));
  EXPECT_EQ(at(56)->dwEvent, MEVT_F_CALLBACK | 0x2FFFu);
  EXPECT_EQ(at(56)->dwDeltaTime, 4u);
}

TEST_F(MidiPlayerTest, EventLargerThanABufferIsSkippedWithAReportLine) {
  SmfWriter w(0, 96);
  w.Track().NoteOn(0, 0, 60, 1).SysEx(0, Bytes(30000, 0x11)).NoteOff(5, 0, 60).End();
  WriteFileBytes("big.mid", w.Bytes());
  cMidiStream s("big.mid");
  s.Restart(0);
  PlayOn(s, 100);
  std::vector<RecordedMidi> ev = sink.Events();
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[1].sample, FrameOf(5));
  EXPECT_NE(Report().find("Midi big.mid Out "), std::string::npos);
}

TEST_F(MidiPlayerTest, LoopRestartsAtTheFirstEvent) {
  SmfWriter w(0, 96);
  w.Track().NoteOn(0, 0, 60, 100).NoteOff(96, 0, 60).End(0);
  WriteFileBytes("loop.mid", w.Bytes());
  cMidiStream s("loop.mid");
  s.Restart(1);
  for (int i = 0; i < 400 && sink.Count() < 6; ++i) PlayOn(s, 1);
  std::vector<RecordedMidi> ev = sink.Events();
  ASSERT_GE(ev.size(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(ev[i].message & 0xF0, i % 2 ? 0x80u : 0x90u) << i;
  EXPECT_EQ(ev[1].sample - ev[0].sample, FrameOf(96));
  EXPECT_GE(ev[2].sample, ev[1].sample);
  EXPECT_EQ(ev[3].sample - ev[2].sample, FrameOf(96));
  EXPECT_EQ(s.State(), 1);
}

TEST_F(MidiPlayerTest, ZeroTickLoopRestartsAtMostOncePerPull) {
  SmfWriter w(0, 96);
  w.Track().NoteOn(0, 0, 60, 100).End(0);
  WriteFileBytes("zero.mid", w.Bytes());
  cMidiStream s("zero.mid");
  s.Restart(1);
  std::vector<float> out(2 * 512);
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(Eventually([&] { return midistream::IsClockRunning(s.Stream()); }));
    audio::Pull(out.data(), 512);
  }
  EXPECT_EQ(sink.Count(), 20u);
}

TEST_F(MidiPlayerTest, PauseAndRestartResumeAtThePausedTick) {
  SmfWriter w(0, 96);
  w.Track();
  for (int i = 0; i < 4; ++i) w.NoteOn(i ? 96 : 0, 0, 60 + i, 100);
  w.End();
  WriteFileBytes("p.mid", w.Bytes());
  cMidiStream s("p.mid");
  s.Restart(0);
  for (int i = 0; i < 200 && sink.Count() < 2; ++i) PlayOn(s, 1, 256);
  s.Stop(1);
  EXPECT_EQ(s.State(), 2);
  std::vector<float> out(2 * 4096);
  for (int i = 0; i < 10; ++i) audio::Pull(out.data(), 4096);
  EXPECT_EQ(sink.Count(), 2u);
  s.Restart(0);
  PlayOn(s, 500, 256);
  std::vector<RecordedMidi> ev = sink.Events();
  ASSERT_EQ(ev.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ev[i].sample, FrameOf(96 * i)) << i;  // the clock held while paused
}

TEST_F(MidiPlayerTest, WithoutASoundFontOpenIsReportedOnceAndTheMusicIsSilent) {
  midistream::SetSinkForTest(nullptr);
  gmsynth::Close();
  gmsynth::SetSoundFontForTest("");
  WriteFileBytes("n.mid", SmfWriter(0, 96).Track().NoteOn(0, 0, 60, 100).End(96).Bytes());
  {
    cMidiStream s("n.mid");
    EXPECT_TRUE(s.HasImage());
    s.Restart(1);
    s.Stop(1);
    s.Stop(0);
  }
  EXPECT_EQ(Report(), "Midi n.mid Open no MIDI driver (no SoundFont)\r\n");
  gmsynth::SetSoundFontForTest(nullptr);
  gmsynth::Close();
}

TEST_F(MidiPlayerTest, PlayerListRefusesUpperCaseAndLeavesNoThreads) {
  SmfWriter w(0, 96);
  w.Track().NoteOn(0, 0, 60, 100).NoteOff(960, 0, 60).End();
  WriteFileBytes("m.mid", w.Bytes());
  WriteFileBytes("M2.MID", w.Bytes());
  cMidiPlayerList list;
  list.Resize(1);
  BgmMidiSlot upper{"M2.MID", 0, 100};
  EXPECT_FALSE(list.Play(0, &upper, 1));
  EXPECT_EQ(list.Player(0), nullptr);
  // A thread started and joined first lets a sanitizer's runtime start its own helper thread
  // before the count is taken.
  std::thread([] {}).join();
  const int threads = ThreadCount();
  BgmMidiSlot entry{"m.mid", 0, 100};
  std::vector<float> out(2 * 256);
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(list.Play(0, &entry, 1));
    audio::Pull(out.data(), 256);
  }
  EXPECT_EQ(midistream::OpenStreamCount(), 1);
  list.Clear();
  EXPECT_EQ(midistream::OpenStreamCount(), 0);
  EXPECT_EQ(ThreadCount(), threads);
  EXPECT_EQ(Report(), "");
}

}  // namespace
