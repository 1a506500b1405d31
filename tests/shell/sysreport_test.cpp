#include "shell/sysreport.h"

#include "support/gfx_fixture.h"

namespace {

class SysReportTest : public GfxTest {
 protected:
  void TearDown() override {
    SetDisplayDdiVersionQuery(nullptr);
    GfxTest::TearDown();
  }
};

TEST_F(SysReportTest, VideoMemoryHasATotalInEveryBackEnd) {
  int free = -1, total = -1;
  GetVideoMemory(&free, &total);
  EXPECT_EQ(total, 256);
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  GetVideoMemory(&free, &total);
  EXPECT_EQ(total, 256);
  EXPECT_EQ(free, 253);  // VirBackBuffer and WorkSD take 2.3 MB of it
  DDRelease();
  ASSERT_TRUE(Start(kDirectDraw, 32, 0));
  GetVideoMemory(&free, &total);
  EXPECT_EQ(total, 256);
  EXPECT_LT(free, 256);
}

TEST_F(SysReportTest, TheGraphicsLibraryAsksTheRegisteredDriverQuery) {
  SetDisplayDdiVersionQuery([] { return 8; });
  EXPECT_FALSE(Start(kDirect3D, 32, 1));
  DDRelease();
  RegisterSystemQueries();
  EXPECT_TRUE(Start(kDirect3D, 32, 1));
}

}  // namespace
