#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "support/bytes.h"
#include "support/tempdir.h"
#include "support/test_records.h"

namespace {

using Bytes = std::vector<uint8_t>;

class DataFileTest : public TempDirTest {
 protected:
  void TearDown() override {
    g_bStripCR = 1;
    TempDirTest::TearDown();
  }
};

Bytes Golden() {
  return {0x92, 0x03, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00,
          0x04, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x78, 0x00, 0x01, 0x00, 0x00, 0x00};
}

TEST_F(DataFileTest, WritesTheGoldenLayout) {
  cGoldenRec r;
  r.m_nA = 1;
  r.m_sB[0] = 2;
  r.m_sB[1] = 3;
  r.m_cC = 4;
  r.m_strX = "x";
  ASSERT_EQ(r.Save("g.dat"), 1);
  EXPECT_EQ(ReadFileBytes("g.dat"), Golden());

  cGoldenRec back;
  ASSERT_EQ(back.Load("g.dat"), 1);
  EXPECT_EQ(back.m_nA, 1);
  EXPECT_EQ(back.m_sB[1], 3);
  EXPECT_EQ(back.m_cC, 4);
  EXPECT_EQ(back.m_strX, "x");
  EXPECT_EQ(back.m_strY, "");
}

TEST_F(DataFileTest, DoublesAndNegativeValuesAreLittleEndianImages) {
  cGoldenRec r(true);
  r.m_dD = 1.5;
  r.m_sNeg = -2;
  ASSERT_EQ(r.Save("d.dat"), 1);
  Bytes b = ReadFileBytes("d.dat");
  // version, N, int32, int16[2], int8, then the double
  size_t at = 4 + 4 + 4 + 4 + 1;
  ASSERT_GE(b.size(), at + 12);
  EXPECT_EQ(Bytes(b.begin() + at, b.begin() + at + 8), (Bytes{0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
  EXPECT_EQ(Bytes(b.begin() + at + 10, b.begin() + at + 12), (Bytes{0xFE, 0xFF}));
}

TEST_F(DataFileTest, NestedListsRoundTrip) {
  cHolderRec h;
  h.m_nCount = 2;
  h.m_strTitle = "表示";  // a two-byte text whose trail byte is a backslash
  h.m_vLeaf.resize(2);
  h.m_vLeaf[0].m_nId = 10;
  h.m_vLeaf[0].m_strName = "a";
  h.m_vLeaf[0].m_vBytes = {1, 2, 3};
  h.m_vLeaf[1].m_nId = 20;
  ASSERT_EQ(h.Save("h.dat"), 1);

  cHolderRec back;
  back.m_vLeaf.resize(5);
  ASSERT_EQ(back.Load("h.dat"), 1);
  EXPECT_EQ(back.m_strTitle, h.m_strTitle);
  ASSERT_EQ(back.m_vLeaf.size(), 2u);
  EXPECT_EQ(back.m_vLeaf[0].m_nId, 10);
  EXPECT_EQ(back.m_vLeaf[0].m_strName, "a");
  EXPECT_EQ(back.m_vLeaf[0].m_vBytes, (cCheckedVector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(back.m_vLeaf[1].m_nId, 20);
  EXPECT_TRUE(back.m_vLeaf[1].m_vBytes.empty());
}

TEST_F(DataFileTest, EmptyListLeavesTheVectorEmpty) {
  cHolderRec h;
  ASSERT_EQ(h.Save("e.dat"), 1);
  cHolderRec back;
  back.m_vLeaf.resize(4);
  ASSERT_EQ(back.Load("e.dat"), 1);
  EXPECT_TRUE(back.m_vLeaf.empty());
}

TEST_F(DataFileTest, TextsLoseCarriageReturnsWhileTheSwitchIsOn) {
  for (int strip : {1, 0}) {
    g_bStripCR = strip;
    WriteFileBytes("cr.dat", ByteWriter()
                                 .U32(914)
                                 .U32(3).I32(0).I16(0).I16(0).I8(0)
                                 .U32(1).Str("a\r\nb")
                                 .bytes);
    cGoldenRec r;
    ASSERT_EQ(r.Load("cr.dat"), 1);
    EXPECT_EQ(r.m_strX, strip ? "a\nb" : "a\r\nb");
  }
}

TEST_F(DataFileTest, StringIsCutAtItsFirstZeroByteWhenWritten) {
  cGoldenRec r;
  r.m_strX = std::string("ab\0cd", 5);
  ASSERT_EQ(r.Save("z.dat"), 1);
  EXPECT_EQ(r.m_strX, "ab");
  cGoldenRec back;
  ASSERT_EQ(back.Load("z.dat"), 1);
  EXPECT_EQ(back.m_strX, "ab");
}

TEST_F(DataFileTest, VersionsAboveThisProgramsAreRefused) {
  struct Case {
    uint32_t version;
    int loads;
    int tooNew;
  };
  for (Case c : {Case{914, 1, 0}, Case{0, 1, 0}, Case{915, 0, 1}, Case{0xFFFFFFFFu, 0, 1}}) {
    Bytes b = Golden();
    std::memcpy(b.data(), &c.version, 4);
    WriteFileBytes("v.dat", b);
    cGoldenRec r;
    EXPECT_EQ(r.Load("v.dat"), c.loads) << c.version;
    EXPECT_EQ(g_bDataFileTooNew, c.tooNew) << c.version;
  }
  // A missing file after a refused one is not reported as too new.
  cGoldenRec r;
  EXPECT_EQ(r.Load("missing.dat"), 0);
  EXPECT_EQ(g_bDataFileTooNew, 0);
}

TEST_F(DataFileTest, EmptyPathOpensErr) {
  WriteFileBytes("err", Golden());
  cGoldenRec r;
  EXPECT_EQ(r.Load(""), 1);
  EXPECT_EQ(r.m_nA, 1);
  cGoldenRec q;
  EXPECT_EQ(q.Load(nullptr), 1);
}

TEST_F(DataFileTest, OlderVersionsReadWithTheirOwnLayout) {
  // Version 899 stores an int32 (discarded) where 914 stores the int16 member.
  WriteFileBytes("old.dat", ByteWriter()
                                .U32(899)
                                .U32(6).I32(5).I16(6).I16(7).I8(8).F64(0.25).I32(0x55555555).I16(-3)
                                .U32(2).Str("p").Str("q")
                                .bytes);
  cGoldenRec r(true);
  r.m_sNew = 42;  // not stored by 899: keeps its value
  ASSERT_EQ(r.Load("old.dat"), 1);
  EXPECT_EQ(r.m_nA, 5);
  EXPECT_EQ(r.m_cC, 8);
  EXPECT_EQ(r.m_dD, 0.25);
  EXPECT_EQ(r.m_sNew, 42);
  EXPECT_EQ(r.m_sNeg, -3);  // still in step after the discarded bytes
  EXPECT_EQ(r.m_strY, "q");
  // Written back in this program's layout.
  ASSERT_EQ(r.Save("new.dat"), 1);
  cGoldenRec back(true);
  ASSERT_EQ(back.Load("new.dat"), 1);
  EXPECT_EQ(back.m_sNew, 42);
  EXPECT_EQ(ReadFileBytes("new.dat").size(), 4u + 4 + 4 + 4 + 1 + 8 + 2 + 2 + 4 + 6 + 6);
}

TEST_F(DataFileTest, FewerStoredMembersKeepTheOthers) {
  WriteFileBytes("few.dat", ByteWriter().U32(914).U32(1).I32(9).U32(0).bytes);
  cGoldenRec r;
  r.m_cC = 7;
  r.m_strX = "keep";
  ASSERT_EQ(r.Load("few.dat"), 1);
  EXPECT_EQ(r.m_nA, 9);
  EXPECT_EQ(r.m_cC, 7);
  EXPECT_EQ(r.m_strX, "keep");
}

Bytes HolderFile() {
  return ByteWriter()
      .U32(914)
      .U32(1).I32(3).U32(1).Str("title")
      .U32(2)
      .U32(1).I32(1).U32(1).Str("n1").U32(3).U8(1).U8(2).U8(3)
      .U32(1).I32(2).U32(1).Str("").U32(0)
      .bytes;
}

TEST_F(DataFileTest, EveryTruncationFailsCleanly) {
  Bytes full = HolderFile();
  {
    WriteFileBytes("t.dat", full);
    cHolderRec r;
    ASSERT_EQ(r.Load("t.dat"), 1);
  }
  for (size_t n = 0; n < full.size(); ++n) {
    WriteFileBytes("t.dat", Bytes(full.begin(), full.begin() + n));
    cHolderRec r;
    EXPECT_EQ(r.Load("t.dat"), 0) << "prefix of " << n << " bytes";
  }
}

TEST_F(DataFileTest, DamagedCountsAndLengthsFailWithoutHugeAllocations) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  std::vector<Case> cases = {
      {"huge list count", ByteWriter().U32(914).U32(1).I32(0).U32(1).Str("").U32(0xFFFFFFFFu).bytes},
      {"list count past the end", ByteWriter().U32(914).U32(1).I32(0).U32(1).Str("").U32(3).U32(1).I32(0).bytes},
      {"huge string length", ByteWriter().U32(914).U32(1).I32(0).U32(1).U32(0xFFFFFFFFu).bytes},
      {"string length past the end", ByteWriter().U32(914).U32(1).I32(0).U32(1).U32(50).Raw("abc", 3).bytes},
      {"more raw members than registered", ByteWriter().U32(914).U32(2).I32(0).I32(0).U32(1).Str("").U32(0).bytes},
      {"more strings than registered", ByteWriter().U32(914).U32(1).I32(0).U32(9).Str("").Str("").U32(0).bytes},
      {"huge byte vector", ByteWriter().U32(914).U32(1).I32(0).U32(1).Str("")
                               .U32(1).U32(1).I32(0).U32(1).Str("").U32(0x7FFFFFFFu).bytes},
  };
  for (auto& c : cases) {
    WriteFileBytes("bad.dat", c.bytes);
    cHolderRec r;
    EXPECT_EQ(r.Load("bad.dat"), 0) << c.what;
  }
}

TEST_F(DataFileTest, ReadsAcrossTheReadBufferAndAfterSeeksSeeEveryByteInOrder) {
  // Values far beyond one buffer: small reads that cross its edges, one read longer than a buffer,
  // and seeks back and forth between them.
  constexpr uint32_t kCount = 100000;
  ByteWriter w;
  w.U32(914).U8(0xAB);
  for (uint32_t i = 0; i < kCount; ++i) w.U32(i * 7u);
  w.U32(kCount);
  for (uint32_t i = 0; i < kCount; ++i) w.U32(~i);
  w.I32(-5);
  ASSERT_TRUE(WriteFileBytes("long.dat", w.bytes));

  cDataFile* f = DataFileOpenRead("long.dat");
  ASSERT_NE(f, nullptr);
  uint8_t first = 0;
  ASSERT_TRUE(f->ReadValue(first));
  EXPECT_EQ(first, 0xAB);
  bool inOrder = true;
  for (uint32_t i = 0; i < kCount; ++i) {
    uint32_t v = 0;
    inOrder = f->ReadValue(v) && v == i * 7u && inOrder;
  }
  EXPECT_TRUE(inOrder);
  cCheckedVector<uint32_t> values;
  ASSERT_EQ(ReadValueVector(values, *f), 1);
  ASSERT_EQ(values.size(), kCount);
  EXPECT_EQ(values.front(), ~0u);
  EXPECT_EQ(values.back(), ~(kCount - 1));
  int32_t last = 0;
  EXPECT_TRUE(f->ReadValue(last));
  EXPECT_EQ(last, -5);
  EXPECT_EQ(f->BytesLeft(), 0u);

  for (uint32_t index : {kCount - 1, 3u, 70000u}) {
    ASSERT_TRUE(f->Seek(5 + 4 * uint64_t{index}));
    uint32_t v = 0;
    EXPECT_TRUE(f->ReadValue(v));
    EXPECT_EQ(v, index * 7u);
    EXPECT_EQ(f->Position(), 9 + 4 * uint64_t{index});
  }
  EXPECT_EQ(DataFileClose(f), 1);
}

TEST_F(DataFileTest, ACountIsBoundByTheBytesLeftAfterIt) {
  struct Case {
    uint32_t count;
    uint32_t minBytes;
    bool ok;
  };
  // 12 bytes follow the count.
  const Case cases[] = {
      {0, 4, true},           {3, 4, true},           {4, 4, false}, {1, 8, true}, {2, 8, false},
      {12, 1, true},          {13, 1, false},         {12, 0, true}, {13, 0, false},
      {0x7FFFFFFFu, 1, false}, {0x80000000u, 0, false}, {0xFFFFFFFFu, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " of at least " << c.minBytes << " bytes");
    ByteWriter w;
    w.U32(914).U32(c.count).U32(1).U32(2).U32(3);
    WriteFileBytes("count.dat", w.bytes);
    cDataFile* f = DataFileOpenRead("count.dat");
    ASSERT_NE(f, nullptr);
    uint32_t n = 0;
    EXPECT_EQ(f->ReadCount(n, c.minBytes), c.ok);
    EXPECT_EQ(f->Failed(), !c.ok);
    EXPECT_EQ(DataFileClose(f), c.ok ? 1 : 0);
  }

  // A list read refuses a count beyond the file before it makes a single element.
  WriteFileBytes("count.dat", ByteWriter().U32(914).U32(1000).U32(1).bytes);
  cDataFile* f = DataFileOpenRead("count.dat");
  ASSERT_NE(f, nullptr);
  cCheckedVector<int32_t> values = {5};
  EXPECT_EQ(ReadValueVector(values, *f), 0);
  EXPECT_EQ(values, (cCheckedVector<int32_t>{5}));
  DataFileClose(f);
}

// An element that counts the copies of it alive, to see how many a list read builds.
class cCountedRec : public cDataRecord {
 public:
  static inline int s_nAlive = 0;
  static inline int s_nMostAlive = 0;
  int32_t m_nValue = 0;
  cCountedRec() { Count(); }
  cCountedRec(const cCountedRec& other) : cDataRecord(other), m_nValue(other.m_nValue) { Count(); }
  cCountedRec& operator=(const cCountedRec&) = default;
  ~cCountedRec() override { --s_nAlive; }
  void RegisterFields(int) override {
    ClearFields();
    AddField32(&m_nValue);
  }

 private:
  static void Count() { s_nMostAlive = std::max(s_nMostAlive, ++s_nAlive); }
};

TEST_F(DataFileTest, AGrowingListBuildsOnlyTheElementsItReads) {
  const auto element = [](ByteWriter& w, int32_t value) { w.U32(1).I32(value).U32(0); };
  ByteWriter good;
  good.U32(914).U32(3);
  for (int32_t v : {7, 8, 9}) element(good, v);
  // A count of 100 that the bytes after it could hold, but only one element is there.
  ByteWriter claimed;
  claimed.U32(914).U32(100);
  element(claimed, 7);
  claimed.Raw(std::vector<uint8_t>(800, 0xFF).data(), 800);

  for (const auto* w : {&good, &claimed}) {
    WriteFileBytes("list.dat", w->bytes);
    cDataFile* f = DataFileOpenRead("list.dat");
    ASSERT_NE(f, nullptr);
    cCheckedVector<cCountedRec> list(2);
    cCountedRec::s_nMostAlive = cCountedRec::s_nAlive;
    const int ok = ReadRecordVector(list, *f);
    DataFileClose(f);
    if (w == &good) {
      ASSERT_EQ(ok, 1);
      ASSERT_EQ(list.size(), 3u);
      EXPECT_EQ((std::vector<int>{list[0].m_nValue, list[1].m_nValue, list[2].m_nValue}), (std::vector<int>{7, 8, 9}));
    } else {
      EXPECT_EQ(ok, 0);
      EXPECT_LT(cCountedRec::s_nMostAlive, 10);
    }
  }
}

TEST_F(DataFileTest, ZeroStringLengthReadsAsEmpty) {
  WriteFileBytes("z0.dat", ByteWriter().U32(914).U32(3).I32(1).I16(0).I16(0).I8(0).U32(2).U32(0).Str("y").bytes);
  cGoldenRec r;
  r.m_strX = "old";
  ASSERT_EQ(r.Load("z0.dat"), 1);
  EXPECT_EQ(r.m_strX, "");
  EXPECT_EQ(r.m_strY, "y");
}

TEST_F(DataFileTest, FailedLoadKeepsTheRecordWhenAsked) {
  Bytes full = HolderFile();
  WriteFileBytes("half.dat", Bytes(full.begin(), full.end() - 6));
  cHolderRec r;
  r.m_strTitle = "live";
  r.m_vLeaf.resize(1);
  EXPECT_EQ(LoadRecordKeepingOnFailure(r, "half.dat"), 0);
  EXPECT_EQ(r.m_strTitle, "live");
  EXPECT_EQ(r.m_vLeaf.size(), 1u);
  WriteFileBytes("whole.dat", full);
  EXPECT_EQ(LoadRecordKeepingOnFailure(r, "whole.dat"), 1);
  EXPECT_EQ(r.m_strTitle, "title");
}

TEST_F(DataFileTest, FailedSaveReportsZeroAndKeepsTheOldFile) {
  cGoldenRec r;
  EXPECT_EQ(r.Save("nofolder\\x.dat"), 0);

  ASSERT_EQ(::mkdir("ro", 0755), 0);
  r.m_nA = 1;
  ASSERT_EQ(r.Save("ro\\keep.dat"), 1);
  Bytes before = ReadFileBytes("ro/keep.dat");
  if (::geteuid() != 0) {  // root writes anywhere
    ASSERT_EQ(::chmod("ro", 0555), 0);
    r.m_nA = 2;
    EXPECT_EQ(r.Save("ro\\keep.dat"), 0);
    EXPECT_EQ(ReadFileBytes("ro/keep.dat"), before);
    ::chmod("ro", 0755);
  }
  // The file cannot take its place (a folder stands there): reported, and no temporary is left.
  ASSERT_EQ(::mkdir("taken", 0755), 0);
  EXPECT_EQ(r.Save("taken"), 0);
  EXPECT_TRUE(GamePathIsDirectory("taken"));
  EXPECT_FALSE(GamePathExists("taken.tmp~"));
}

// The child process of a save ends itself with SIGKILL after this many write steps.
int g_nKillAfter = 0;
int g_nStepsDone = 0;
void KillAtStep() {
  if (++g_nStepsDone == g_nKillAfter) ::raise(SIGKILL);
}

TEST_F(DataFileTest, ASaveKilledAfterAnyWriteLeavesTheOldFileOrTheNewOneWhole) {
  cGoldenRec r;
  r.m_nA = 1;
  r.m_strX = "old";
  ASSERT_EQ(r.Save("old.dat"), 1);
  const Bytes before = ReadFileBytes("old.dat");
  // The new file is larger than the stream's buffer: it reaches the file in several system writes.
  r.m_nA = 2;
  r.m_strX = std::string(20000, 'n');
  r.m_strY = std::string(9000, 'y');
  ASSERT_EQ(r.Save("new.dat"), 1);
  const Bytes after = ReadFileBytes("new.dat");

  int killed = 0;
  for (int step = 1;; ++step) {
    ASSERT_TRUE(WriteFileBytes("slot.dat", before));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      g_nKillAfter = step;
      g_pDataFileWriteHook = KillAtStep;
      ::_exit(r.Save("slot.dat") == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const Bytes now = ReadFileBytes("slot.dat");
    EXPECT_TRUE(now == before || now == after) << "killed after write step " << step;
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      EXPECT_EQ(now, after);
      break;
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    ++killed;
    ASSERT_LT(step, 100);
  }
  // Every value, the close's flush, close and rename.
  EXPECT_GT(killed, 8);
  // A kill before the rename left the temporary; the clean-up at start removes it and nothing else.
  ASSERT_TRUE(WriteFileBytes(DataFileTempPath("slot.dat"), before));
  DataFileRemoveStaleTemps("");
  EXPECT_FALSE(GamePathExists(DataFileTempPath("slot.dat")));
  EXPECT_EQ(ReadFileBytes("slot.dat"), after);
  EXPECT_TRUE(GamePathExists("old.dat"));
}

}  // namespace
