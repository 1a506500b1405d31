// Layouts of the database records and their upgrades from older files.
#include <functional>
#include <memory>

#include "stagedata/database.h"
#include "support/tempdir.h"
#include "dbtesting.h"

using namespace dbbody;

namespace {

class DbRecordTest : public TempDirTest {
 protected:
  void TearDown() override {
    DataFileInitGlobals();
    TempDirTest::TearDown();
  }
};

template <class R>
R ReadAs(uint32_t version, const Bytes& body, R start = R()) {
  EXPECT_TRUE(ReadBody(start, version, body)) << "version " << version;
  return start;
}

struct LayoutCase {
  const char* name;
  std::function<std::unique_ptr<cDataRecord>(bool filled)> make;
  Bytes body;
};

template <class R, class F>
LayoutCase Layout(const char* name, F fill, Bytes body) {
  return {name,
          [fill](bool filled) -> std::unique_ptr<cDataRecord> {
            auto r = std::make_unique<R>();
            if (filled) fill(*r);
            return r;
          },
          std::move(body)};
}

}  // namespace

TEST_F(DbRecordTest, EachRecordWritesAndReadsItsLayout) {
  const std::vector<LayoutCase> cases = {
      Layout<cAnimeData>("anime",
                         [](cAnimeData& a) {
                           a.m_strName = "walk";
                           a.m_nExtraA = -2;
                           a.m_nExtraB = 5;
                           a.m_nExtraC = 300;
                           a.m_vFrame.assign(2, cAnimFrame());
                           a.m_vFrame[0].m_nValue = 7;
                           a.m_vFrame[0].m_nDuration = 3;
                           a.m_vFrame[1].m_nValue = 8;
                           a.m_vFrame[1].m_bHold = 1;
                         },
                         Anime(914, "walk", {Frame(7, 3, 0), Frame(8, 1, 1)}, {-2, 5, 300})),
      Layout<cAnimeSetData>("animation set",
                            [](cAnimeSetData& s) {
                              s.m_strName = "hero";
                              s.m_nFrameOfsInvincible = 11;
                              s.m_nFrameOfsStatus = 12;
                              s.m_nFrameOfsFlying = 13;
                              s.m_vMotion.resize(1);
                              s.m_vMotion[0].m_strName = "stand";
                            },
                            AnimeSet(914, "hero", 11, 12, 13, {Anime(914, "stand", {Frame(0, 1, 0)})})),
      Layout<cBmpCharaExcData>("character bitmap",
                               [](cBmpCharaExcData& b) {
                                 b.m_strName = "chara";
                                 b.m_strFile = "chara.bmp";
                                 b.m_nAux = 9;
                                 b.m_bLargeCells = 1;
                                 b.m_nCellSize = 3;
                               },
                               BmpCharaExc(914, 9, 1, 3)),
      Layout<cSwordTypeData>("sword type",
                             [](cSwordTypeData& s) {
                               s.m_strName = "sword";
                               s.m_strFileLeft = "sword_l.bmp";
                               s.m_strFileRight = "sword_r.bmp";
                               s.m_nAux = 5;
                               cSwordTypePart& p = s.m_vPart[0];
                               p.m_nOfsX = 1, p.m_nOfsY = 2, p.m_bMirrorX = 0, p.m_bMirrorY = 1, p.m_nPlace = 3;
                               p.m_nSrcX = 4, p.m_nSrcY = 5, p.m_nWidth = 6, p.m_nHeight = 7, p.m_nDuration = 8;
                             },
                             SwordType(914, 5, {{1, 2, 0, 1, 3, 4, 5, 6, 7, 8}})),
      Layout<cEffectData>("effect",
                          [](cEffectData& e) {
                            e.m_strName = "spark";
                            e.m_strFile = "spark.bmp";
                            e.m_nAux = 4;
                            e.m_nFrameW = 48;
                            e.m_nFrameH = 16;
                            e.m_bScaleWithObject = 1;
                            e.m_vPart[0].m_nValue = 2;
                            e.m_vPart[0].m_nDuration = 3;
                          },
                          Effect(914, 4, 48, 16, 1, {EffectPart(2, 3)})),
      Layout<cCharaEffectData>("character effect",
                               [](cCharaEffectData& d) {
                                 d.m_strName = "fx";
                                 d.m_nKind = 12;
                                 for (int i = 0; i < 5; ++i) d.m_nParam[i] = i + 1;
                               },
                               EffectDef(12, {1, 2, 3, 4, 5})),
      Layout<cScrEffectData>("screen effect",
                             [](cScrEffectData& d) {
                               d.m_strName = "fx";
                               d.m_nKind = 3;
                               d.m_nParam[4] = -7;
                             },
                             EffectDef(3, {0, 0, 0, 0, -7})),
      Layout<cPictureData>("picture",
                           [](cPictureData& p) {
                             p.m_strName = "media";
                             p.m_strFile = "media.wav";
                             p.m_nAux = 6;
                           },
                           NamedFile(914, 6)),
      Layout<cSoundData>("sound",
                         [](cSoundData& s) {
                           s.m_strName = "media";
                           s.m_strFile = "media.wav";
                           s.m_nAux = -1;
                         },
                         NamedFile(914, -1)),
      Layout<cBgmData>("music",
                       [](cBgmData& b) {
                         b.m_strName = "song";
                         b.m_strFile = "song.mid";
                         b.m_nAux = 2;
                         b.m_nVolume = 80;
                       },
                       Bgm(914, 2, 80)),
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto filled = c.make(true);
    EXPECT_EQ(BodyOf(*filled), c.body);
    auto blank = c.make(false);
    ASSERT_TRUE(ReadBody(*blank, 914, c.body));
    EXPECT_EQ(BodyOf(*blank), c.body);
  }
}

TEST_F(DbRecordTest, NewRecordsHoldTheirDefaults) {
  cAnimeData anime;
  EXPECT_EQ(BodyOf(anime), Anime(914, "", {Frame(0, 1, 0)}));
  cAnimeSetData set;
  EXPECT_EQ(BodyOf(set), AnimeSet(914, "", 4, 8, 0,
                                  {Anime(914, "立ち", {Frame(0, 1, 0)}), Anime(914, "立ち移動", {Frame(0, 1, 0)}),
                                   Anime(914, "飛行", {Frame(0, 1, 0)}), Anime(914, "飛行移動", {Frame(0, 1, 0)})}));
  cBmpCharaExcData bmp;
  EXPECT_EQ(BodyOf(bmp), BmpCharaExc(914, 0, 0, 2, "", ""));
  cSwordTypeData sword;
  ByteWriter swordBody;
  swordBody.U32(1).I32(0).U32(3).Str("").Str("").Str("").U32(1);
  EXPECT_EQ(BodyOf(sword), Append(swordBody, SwordTypePart(914, SwordPart{})).bytes);
  cEffectData effect;
  ByteWriter effectBody;
  effectBody.U32(4).I32(0).I32(32).I32(32).I32(0).U32(2).Str("").Str("").U32(1);
  EXPECT_EQ(BodyOf(effect), Append(effectBody, EffectPart(0, 1)).bytes);
  EXPECT_EQ(cCharaEffectData().m_nKind, 1);
  EXPECT_EQ(cScrEffectData().m_nKind, 1);
  EXPECT_EQ(cBgmData().m_nVolume, 100);
}

TEST_F(DbRecordTest, AnimationSetsBefore128HaveFourMotionsWithTheFlyingNames) {
  struct Case {
    uint32_t version;
    std::vector<std::string> stored;
    std::vector<std::string> expected;
    int32_t flying;  // 7 stands for "not in the file": the value the entry had
  };
  const std::vector<Case> cases = {
      {118, {"a", "b"}, {"a", "b", "飛行", "飛行移動"}, 7},
      {120, {"a", "b", "c", "d", "e", "f"}, {"a", "b", "飛行", "飛行移動"}, 3},
      {127, {"w", "x", "y", "z"}, {"w", "x", "飛行", "飛行移動"}, 3},
      {128, {"a", "b", "c", "d", "e", "f"}, {"a", "b", "c", "d", "e", "f"}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    std::vector<Bytes> motions;
    for (const std::string& name : c.stored) motions.push_back(Anime(c.version, name, {Frame(9, 2, 0)}));
    cAnimeSetData start;
    start.m_nFrameOfsFlying = 7;
    cAnimeSetData set = ReadAs(c.version, AnimeSet(c.version, "set", 1, 2, 3, motions), start);
    EXPECT_EQ(set.m_nFrameOfsInvincible, 1);
    EXPECT_EQ(set.m_nFrameOfsStatus, 2);
    EXPECT_EQ(set.m_nFrameOfsFlying, c.flying);
    ASSERT_EQ(set.m_vMotion.size(), c.expected.size());
    for (size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(set.m_vMotion[i].m_strName, c.expected[i]);
      // Stored motions keep their frames; padded ones are reset animations.
      const cAnimFrame& f = set.m_vMotion[i].m_vFrame.at(0);
      EXPECT_EQ(f.m_nValue, i < c.stored.size() ? 9 : 0);
      EXPECT_EQ(f.m_nDuration, i < c.stored.size() ? 2 : 1);
    }
  }
}

TEST_F(DbRecordTest, AnimationsBefore55KeepTheirExtraFields) {
  cAnimeData start;
  start.m_nExtraA = 3, start.m_nExtraB = 4, start.m_nExtraC = 5;
  cAnimeData old = ReadAs(54, Anime(54, "old", {Frame(6, 2, 1)}), start);
  EXPECT_EQ(old.m_strName, "old");
  EXPECT_EQ(std::vector<int>({old.m_nExtraA, old.m_nExtraB, old.m_nExtraC}), std::vector<int>({3, 4, 5}));
  ASSERT_EQ(old.m_vFrame.size(), 1u);
  EXPECT_EQ(old.m_vFrame[0].m_bHold, 1);
  cAnimeData fresh = ReadAs<cAnimeData>(54, Anime(54, "old", {}));
  EXPECT_EQ(std::vector<int>({fresh.m_nExtraA, fresh.m_nExtraB, fresh.m_nExtraC}), std::vector<int>({0, 1, 0}));
  EXPECT_TRUE(fresh.m_vFrame.empty());
  cAnimeData v55 = ReadAs(55, Anime(55, "new", {}, {-1, -2, -3}), start);
  EXPECT_EQ(std::vector<int>({v55.m_nExtraA, v55.m_nExtraB, v55.m_nExtraC}), std::vector<int>({-1, -2, -3}));
}

namespace {
template <class R>
int32_t AuxAfterRead(uint32_t version, const Bytes& body) {
  R start;
  start.m_nAux = 77;
  return ReadAs(version, body, start).m_nAux;
}
}  // namespace

// Files before 153 leave the spare word 0, whether they store it or not.
TEST_F(DbRecordTest, SpareWordIsStoredFrom151Or152AndResetBefore153) {
  struct Case {
    const char* name;
    int32_t (*read)(uint32_t, const Bytes&);
    uint32_t version;
    Bytes body;
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {"picture", AuxAfterRead<cPictureData>, 150, NamedFile(150, 5), 0},
      {"picture", AuxAfterRead<cPictureData>, 152, NamedFile(152, 5), 0},
      {"picture", AuxAfterRead<cPictureData>, 153, NamedFile(153, 5), 5},
      {"sound", AuxAfterRead<cSoundData>, 152, NamedFile(152, 5), 0},
      {"sound", AuxAfterRead<cSoundData>, 153, NamedFile(153, 5), 5},
      {"music", AuxAfterRead<cBgmData>, 150, Bgm(150, 5, 0), 0},
      {"music", AuxAfterRead<cBgmData>, 152, Bgm(152, 5, 0), 0},
      {"music", AuxAfterRead<cBgmData>, 813, Bgm(813, 5, 0), 5},
      {"bitmap", AuxAfterRead<cBmpCharaExcData>, 151, BmpCharaExc(151, 5, 0, 0), 0},
      {"bitmap", AuxAfterRead<cBmpCharaExcData>, 152, BmpCharaExc(152, 5, 0, 0), 0},
      {"bitmap", AuxAfterRead<cBmpCharaExcData>, 171, BmpCharaExc(171, 5, 0, 0), 5},
      {"sword", AuxAfterRead<cSwordTypeData>, 150, SwordType(150, 5, {}), 0},
      {"sword", AuxAfterRead<cSwordTypeData>, 152, SwordType(152, 5, {}), 0},
      {"sword", AuxAfterRead<cSwordTypeData>, 914, SwordType(914, 5, {}), 5},
      {"effect", AuxAfterRead<cEffectData>, 150, Effect(150, 5, 32, 32, 0, {}), 0},
      {"effect", AuxAfterRead<cEffectData>, 152, Effect(152, 5, 32, 32, 0, {}), 0},
      {"effect", AuxAfterRead<cEffectData>, 153, Effect(153, 5, 32, 32, 0, {}), 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " " << c.version);
    EXPECT_EQ(c.read(c.version, c.body), c.expected);
  }
}

TEST_F(DbRecordTest, FieldsOfLaterVersionsKeepTheirValuesInOlderFiles) {
  // Bitmaps: the large-cell fields from 172.
  cBmpCharaExcData bmp171 = ReadAs<cBmpCharaExcData>(171, BmpCharaExc(171, 0, 1, 3));
  EXPECT_EQ(bmp171.m_bLargeCells, 0);
  EXPECT_EQ(bmp171.m_nCellSize, 2);
  EXPECT_EQ(bmp171.GetCellEdge(), 32);
  cBmpCharaExcData bmp172 = ReadAs<cBmpCharaExcData>(172, BmpCharaExc(172, 0, 1, 3));
  EXPECT_EQ(bmp172.GetCellEdge(), 96);
  EXPECT_EQ(bmp172.m_strFile, "chara.bmp");

  // Music: the volume from 814.
  cBgmData quiet;
  quiet.m_nVolume = 55;
  EXPECT_EQ(ReadAs(813, Bgm(813, 0, 80), quiet).m_nVolume, 55);
  EXPECT_EQ(ReadAs<cBgmData>(813, Bgm(813, 0, 80)).m_nVolume, 100);
  cBgmData loud = ReadAs<cBgmData>(814, Bgm(814, 0, 80));
  EXPECT_EQ(loud.m_nVolume, 80);
  EXPECT_EQ(loud.m_strFile, "song.mid");

  // Sword parts: the mirror flags from 138; the other eight fields stay in their places.
  cSwordTypeData sword = ReadAs<cSwordTypeData>(137, SwordType(137, 0, {{1, 2, 0, 1, 3, 4, 5, 6, 7, 8}}));
  ASSERT_EQ(sword.m_vPart.size(), 1u);
  const cSwordTypePart& p = sword.m_vPart[0];
  EXPECT_EQ(std::vector<int>({p.m_nOfsX, p.m_nOfsY, p.m_bMirrorX, p.m_bMirrorY, p.m_nPlace, p.m_nSrcX, p.m_nSrcY,
                              p.m_nWidth, p.m_nHeight, p.m_nDuration}),
            std::vector<int>({1, 2, 1, 0, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(sword.m_strFileRight, "sword_r.bmp");
  EXPECT_TRUE(ReadAs<cSwordTypeData>(914, SwordType(914, 0, {})).m_vPart.empty());

  // Effects: before 151 the three raw fields are the frame size and the scale switch.
  cEffectData effect = ReadAs<cEffectData>(150, Effect(150, 0, 48, 16, 1, {EffectPart(3, 2), EffectPart(4, 1)}));
  EXPECT_EQ(effect.m_nFrameW, 48);
  EXPECT_EQ(effect.m_nFrameH, 16);
  EXPECT_EQ(effect.m_bScaleWithObject, 1);
  ASSERT_EQ(effect.m_vPart.size(), 2u);
  EXPECT_EQ(effect.m_vPart[1].m_nValue, 4);
}

TEST_F(DbRecordTest, EffectDefinitionsBefore511TakeTheDefaultsOfMissingParameters) {
  struct Case {
    bool screen;
    uint32_t version;
    int32_t kind;
    std::vector<int32_t> stored;
    std::vector<int32_t> expected;
  };
  const std::vector<Case> cases = {
      {false, 510, 4, {5, 0, 32, 2, 0}, {5, 0, 32, 2, 2}},
      {false, 510, 5, {5, 0, 32, 2, 0}, {5, 0, 32, 2, 2}},
      {false, 510, 10, {5, 32, 0, 0, 0}, {5, 32, 0, 2, 0}},
      {false, 511, 4, {5, 0, 32, 2, 0}, {5, 0, 32, 2, 0}},
      {false, 510, 6, {10, 2, 0, 0, 0}, {10, 2, 0, 0, 0}},
      {false, 914, 17, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
      {true, 400, 7, {10, 0, 480, 4, 0}, {10, 0, 480, 4, 10}},
      {true, 400, 10, {10, 640, 0, 0, 0}, {10, 640, 0, 8, 0}},
      {true, 400, 6, {10, 0, 640, 4, 0}, {10, 0, 640, 4, 8}},
      {true, 400, 2, {10, 4, 4, 0, 0}, {10, 4, 4, 0, 0}},
      {true, 511, 7, {10, 0, 480, 4, 0}, {10, 0, 480, 4, 0}},
      {true, 914, 14, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.screen ? "screen" : "character") << " v" << c.version << " kind "
                                    << c.kind);
    const Bytes body = EffectDef(c.kind, c.stored);
    cEffectDefData read = c.screen ? static_cast<cEffectDefData>(ReadAs<cScrEffectData>(c.version, body))
                                   : static_cast<cEffectDefData>(ReadAs<cCharaEffectData>(c.version, body));
    EXPECT_EQ(read.m_nKind, c.kind);
    EXPECT_EQ(std::vector<int32_t>(read.m_nParam, read.m_nParam + 5), c.expected);
  }
}
