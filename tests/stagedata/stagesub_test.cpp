#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "stagedata/cmdparts_io.h"
#include "stagedata/stagesub.h"
#include "support/tempdir.h"

namespace {

using Bytes = std::vector<uint8_t>;

class StageSubRecordTest : public TempDirTest {};

std::vector<int> Members(const cStageSubRec& a) {
  return {a.m_bLeft, a.m_bRight, a.m_bTop, a.m_bBottom, a.m_nLeft, a.m_nRight, a.m_nTop, a.m_nBottom};
}

TEST_F(StageSubRecordTest, AreaRecords) {
  cStageSubRec area;
  EXPECT_EQ(Members(area), std::vector<int>(8, 0));
  area.Set(1, 0, 1, 1, 5, 6, -7, 8);
  const Bytes body = WrittenBody(area);
  EXPECT_EQ(body, ByteWriter().U32(8).I32(1).I32(0).I32(1).I32(1).I32(5).I32(6).I32(-7).I32(8).U32(0).bytes);

  cStageSubRec back;
  ASSERT_EQ(ReadBody(back, 914, body).m_nResult, 1);
  EXPECT_EQ(Members(back), Members(area));

  // Before 125 only the left switch was stored: the other switches keep what the record held.
  cStageSubRec old;
  old.Set(0, 1, 1, 1, 0, 0, 0, 0);
  cBodyRead r = ReadBody(old, 124, ByteWriter().U32(5).I32(1).I32(2).I32(3).I32(4).I32(5).U32(0).bytes);
  ASSERT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(Members(old), (std::vector<int>{1, 1, 1, 1, 2, 3, 4, 5}));
}

struct Layer {
  int show, fill, color, pass;
  double rateX, rateY;
  int autoX, autoY;
  double speedX, speedY;
  std::string picture;
  double posX, posY;
};

Layer Of(const cBackLayerData& l) {
  return {l.m_bShow,  l.m_bFill,       l.m_nColor,      l.m_nPass,   l.m_dRateX,    l.m_dRateY,   l.m_bAutoX,
          l.m_bAutoY, l.m_dAutoSpeedX, l.m_dAutoSpeedY, l.m_strPicture, l.m_dAutoPosX, l.m_dAutoPosY};
}

void ExpectLayer(const cBackLayerData& l, const Layer& e) {
  const Layer a = Of(l);
  EXPECT_EQ((std::vector<int>{a.show, a.fill, a.color, a.pass, a.autoX, a.autoY}),
            (std::vector<int>{e.show, e.fill, e.color, e.pass, e.autoX, e.autoY}));
  EXPECT_EQ((std::vector<double>{a.rateX, a.rateY, a.speedX, a.speedY, a.posX, a.posY}),
            (std::vector<double>{e.rateX, e.rateY, e.speedX, e.speedY, e.posX, e.posY}));
  EXPECT_EQ(a.picture, e.picture);
}

TEST_F(StageSubRecordTest, BackgroundLayerLayouts) {
  cBackLayerData fresh;
  ExpectLayer(fresh, {1, 0, 16, 0, 0.1, 0.1, 0, 0, 0, 0, "", 0, 0});

  cBackLayerData layer;
  layer.m_bShow = 0;
  layer.m_bFill = 1;
  layer.m_nColor = 40;
  layer.m_nPass = 2;
  layer.m_dRateX = 0.5;
  layer.m_dRateY = -2;
  layer.m_bAutoX = 1;
  layer.m_dAutoSpeedX = 1.5;
  layer.m_dAutoSpeedY = -0.25;
  layer.m_strPicture = "bmp\\空.bmp";
  layer.m_dAutoPosX = 3;
  layer.m_dAutoPosY = 4;
  const Bytes body = WrittenBody(layer);
  EXPECT_EQ(body.size(), 84u + layer.m_strPicture.size() + 1);
  cBackLayerData back;
  ASSERT_EQ(ReadBody(back, 914, body).m_nResult, 1);
  ExpectLayer(back, Of(layer));

  // What a layer held before the read, where an older file stores nothing.
  const auto previous = [] {
    cBackLayerData l;
    l.m_bShow = 0;
    l.m_dRateX = 0.7;
    l.m_dRateY = 0.8;
    l.m_bAutoY = 1;
    l.m_dAutoSpeedX = 9;
    l.m_dAutoPosX = 6;
    return l;
  };
  const struct {
    const char* what;
    uint32_t version;
    Bytes body;
    Layer expected;
  } cases[] = {
      {"version 60: three values, two without meaning", 60,
       ByteWriter().U32(5).I32(1).I32(30).I32(1).I32(77).I32(88).U32(1).Str("a.bmp").bytes,
       {0, 1, 30, 1, 0.7, 0.8, 0, 1, 9, 0, "a.bmp", 6, 0}},
      {"version 61: rates and switches", 61,
       ByteWriter().U32(9).I32(0).I32(31).I32(2).F64(0.25).F64(0.5).I32(1).I32(0).I32(77).I32(88).U32(1).Str("b.bmp")
           .bytes,
       {0, 0, 31, 2, 0.25, 0.5, 1, 0, 9, 0, "b.bmp", 6, 0}},
      {"version 875: show switch and offsets", 875,
       ByteWriter().U32(10).I32(1).I32(0).I32(32).I32(3).F64(2.5).F64(0.5).I32(1).I32(0).F64(11).F64(12).U32(1)
           .Str("c.bmp").bytes,
       {1, 0, 32, 3, 2.5, 0.5, 1, 0, 9, 0, "c.bmp", 11, 12}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    cBackLayerData l = previous();
    cBodyRead r = ReadBody(l, tc.version, tc.body);
    ASSERT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);
    ExpectLayer(l, tc.expected);
  }
}

TEST(BackgroundLayer, OldSelfMovingAxesMoveTheirRateToTheSpeed) {
  cBackLayerData l;
  l.m_dRateX = 2.5;
  l.m_dRateY = 0.5;
  l.m_bAutoX = 1;
  l.ConvertOldAutoScroll();
  EXPECT_EQ((std::vector<double>{l.m_dRateX, l.m_dAutoSpeedX, l.m_dRateY, l.m_dAutoSpeedY}),
            (std::vector<double>{1.0, 2.5, 0.5, 0.0}));
  l.m_bAutoX = 0;
  l.m_bAutoY = 1;
  l.ConvertOldAutoScroll();
  EXPECT_EQ((std::vector<double>{l.m_dRateX, l.m_dAutoSpeedX, l.m_dRateY, l.m_dAutoSpeedY}),
            (std::vector<double>{1.0, 2.5, 1.0, 0.5}));
}

TEST_F(StageSubRecordTest, VariableNameTexts) {
  cStringRec name;
  name.m_strText = "残り時間";
  const Bytes body = WrittenBody(name);
  EXPECT_EQ(body.size(), 4u + 4 + 4 + name.m_strText.size() + 1);
  cStringRec back;
  ASSERT_EQ(ReadBody(back, 914, body).m_nResult, 1);
  EXPECT_EQ(back.m_strText, "残り時間");
}

}  // namespace
