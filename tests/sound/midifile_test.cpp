#include "sound/midifile.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "support/bytes.h"
#include "gamefolder/media_writers.h"
#include "support/tempdir.h"

namespace {

using Bytes = std::vector<uint8_t>;

class MidiFileTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ResetLogsForTest();
    ASSERT_EQ(ReportLogInit("Report_Game.txt"), 1);
  }
  void TearDown() override {
    ResetLogsForTest();
    TempDirTest::TearDown();
  }
  std::string Report() {
    Bytes b = ReadFileBytes("Report_Game.txt");
    return std::string(b.begin(), b.end());
  }
  Bytes ImageOf(const Bytes& file) {
    WriteFileBytes("t.mid", file);
    cMidiFile f("t.mid");
    return f.Image();
  }
};

Bytes Header(uint32_t trackLength) {
  return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k',
          uint8_t(trackLength >> 24), uint8_t(trackLength >> 16), uint8_t(trackLength >> 8), uint8_t(trackLength)};
}

SmfWriter ThreeTrackFile() {
  SmfWriter w(1, 96);
  w.Track().Tempo(0, 500000).Meta(0, 0x03, {'T'}).End(96);
  w.Track().NoteOn(0, 0, 60, 100).Ev(48, {62, 100}).NoteOff(48, 0, 60).End(0);
  w.Track().Program(0, 1, 5).SysEx(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).NoteOn(48, 1, 64, 90).Ev(0, {64, 0}).End(200);
  return w;
}

TEST_F(MidiFileTest, MergesTracksByTimeWithExplicitStatusAndOneEndOfTrack) {
  Bytes events = {
      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,              // tempo track first at time 0
      0x00, 0xFF, 0x03, 0x01, 'T',                           // its text meta
      0x00, 0x90, 0x3C, 0x64,                                // track 1
      0x00, 0xC1, 0x05,                                      // track 2
      0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,        // track 2's system exclusive
      0x30, 0x90, 0x3E, 0x64,                                // track 1, running status written out
      0x00, 0x91, 0x40, 0x5A,                                // track 2 at the same time
      0x00, 0x91, 0x40, 0x00,                                // running status again
      0x30, 0x80, 0x3C, 0x00,                                // track 1 at 96
      0x81, 0x18, 0xFF, 0x2F, 0x00,                          // one end of track at 248, the latest end
  };
  Bytes expected = Header(static_cast<uint32_t>(events.size()));
  expected.insert(expected.end(), events.begin(), events.end());
  EXPECT_EQ(ImageOf(ThreeTrackFile().Bytes()), expected);
  EXPECT_EQ(Report(), "");
}

TEST_F(MidiFileTest, PaddingAndAlienChunksBetweenTracksAreStepped) {
  SmfWriter w(1, 96);
  w.Track().Tempo(0, 500000).Meta(0, 0x03, {'T'}).End(96).Pad(3);
  w.AlienChunk("XFIH", 5);
  w.Track().NoteOn(0, 0, 60, 100).Ev(48, {62, 100}).NoteOff(48, 0, 60).End(0);
  w.Track().Program(0, 1, 5).SysEx(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).NoteOn(48, 1, 64, 90).Ev(0, {64, 0}).End(200);
  Bytes plain = ImageOf(ThreeTrackFile().Bytes());
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(ImageOf(w.Bytes()), plain);
}

TEST_F(MidiFileTest, RefusedFilesGiveTheirReportLine) {
  Bytes good = ThreeTrackFile().Bytes();
  auto with = [&](size_t at, std::initializer_list<uint8_t> b) {
    Bytes f = good;
    std::copy(b.begin(), b.end(), f.begin() + at);
    return f;
  };
  Bytes noTracks = good;
  noTracks[10] = noTracks[11] = 0;
  Bytes badVarLen = SmfWriter(0, 96).Track().NoteOn(0, 0, 60, 1).End().Bytes();
  Bytes badDelta = badVarLen;
  badDelta[22] = 0xFF;
  badDelta.insert(badDelta.begin() + 23, {0xFF, 0xFF, 0xFF});
  Bytes noEnd = SmfWriter(0, 96).Track().NoteOn(0, 0, 60, 1).Bytes();
  Bytes longSysex = SmfWriter(0, 96).Track().Ev(0, {0xF0, 0x7F, 1}).End().Bytes();
  const struct {
    const char* name;
    Bytes file;
    const char* line;
  } cases[] = {
      {"RIFF", with(0, {'R', 'I', 'F', 'F'}), "Midi t.mid Init 標準MIDIでない(4)\r\n"},
      {"header length", with(7, {7}), "Midi t.mid Init 標準MIDIでない(6)\r\n"},
      {"format 2", with(9, {2}), "Midi t.mid Init 対応フォーマットが2でない\r\n"},
      {"format 3", with(9, {3}), "Midi t.mid Init 対応フォーマットが0または1でない\r\n"},
      {"no MTrk", with(14, {'M', 'T', 'r', 'x'}), "Midi t.mid Init 標準MIDIでない(4)\r\n"},
      {"no tracks", noTracks, "Midi t.mid Init トラックがありません\r\n"},
      {"delta of five bytes", badDelta, "Midi t.mid Init 可変長の値が不正です\r\n"},
      {"no end of track", noEnd, "Midi t.mid Init トラックが途中で切れています\r\n"},
      {"sysex longer than the file", longSysex, "Midi t.mid Init トラックが途中で切れています\r\n"},
  };
  for (const auto& c : cases) {
    const size_t before = Report().size();
    EXPECT_TRUE(ImageOf(c.file).empty()) << c.name;
    EXPECT_EQ(Report().substr(before), c.line) << c.name;
  }
  const size_t before = Report().size();
  cMidiFile missing("none.mid");
  EXPECT_FALSE(missing.HasImage());
  EXPECT_EQ(Report().substr(before), "Midi none.mid Create ファイルが開けません\r\n");
}

TEST_F(MidiFileTest, EveryTruncationIsRefused) {
  Bytes good = ThreeTrackFile().Bytes();
  for (size_t n = 0; n < good.size(); ++n) {
    Bytes cut(good.begin(), good.begin() + n);
    EXPECT_TRUE(ImageOf(cut).empty()) << n;
  }
}

TEST_F(MidiFileTest, VarLenTable) {
  const struct {
    uint32_t value;
    Bytes bytes;
  } cases[] = {
      {0, {0x00}},
      {0x7F, {0x7F}},
      {200, {0x81, 0x48}},
      {0x3FFF, {0xFF, 0x7F}},
      {0x4000, {0x81, 0x80, 0x00}},
      {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
  };
  for (const auto& c : cases) {
    uint8_t out[4] = {};
    ASSERT_EQ(WriteVarLen(out, c.value), static_cast<int>(c.bytes.size())) << c.value;
    EXPECT_EQ(Bytes(out, out + c.bytes.size()), c.bytes);
    uint32_t back = 1234;
    EXPECT_EQ(ReadVarLen(c.bytes.data(), &back, c.bytes.size()), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(back, c.value);
  }
  uint8_t out[4] = {};
  EXPECT_EQ(WriteVarLen(out, 0x10000000), 0);
  const uint8_t five[] = {0x81, 0x80, 0x80, 0x80, 0x00};
  uint32_t v = 0;
  EXPECT_EQ(ReadVarLen(five, &v, 5), 0);
  EXPECT_EQ(ReadVarLen(five, &v, 2), 0);  // runs past the bytes that remain
}

}  // namespace
