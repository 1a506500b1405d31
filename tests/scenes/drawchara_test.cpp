#include <gtest/gtest.h>

#include "objects/chara.h"
#include "stagedata/animframes.h"
#include "support/play_fixture.h"

namespace {

using DrawCharaTest = PlayTest;

// Out of view a character that has started keeps its animation and screen position running, even in
// a frozen frame; one still asleep (present on the stage but never yet in view) stays as it is.
TEST_F(DrawCharaTest, OffScreenOnlyAStartedCharacterRunsItsAnimation) {
  struct Case {
    int started, noAdvance;
    bool runs;
  };
  const Case cases[] = {{0, 0, false}, {0, 1, false}, {1, 0, true}, {1, 1, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "started " << k.started << ", no-advance " << k.noAdvance);
    g_lstChara.clear();
    cChara& c = AddChara(5);
    c.m_bActive = 1;  // its appearance conditions hold
    c.m_bStarted = k.started;
    c.m_dX = c.m_dY = 3000;  // the view is at (0, 0)
    c.m_dRight = c.m_dBottom = 3015;
    c.m_PicRect.m_nW = c.m_PicRect.m_nH = 16;
    c.m_PicRect.m_nLeft = -1000;
    c.m_AnimSeq.SetSequences({cAnimSeqFrames{{7, 100, 0}, {ANIMSEQ_END, 0, 0}}});
    EXPECT_EQ(scene_.DrawChara(&c, k.noAdvance), 0);
    EXPECT_EQ(c.m_AnimSeq.m_nTick, k.runs ? 1 : 0);
    EXPECT_EQ(c.m_PicRect.m_nLeft != -1000, k.runs);
  }
  g_lstChara.clear();
}

}  // namespace
