// Runs with SDL's dummy video driver (SDL_VIDEODRIVER=dummy), as in CI.
#include <gtest/gtest.h>

#include <thread>

#include "platform/video/sdl_presenter.h"

TEST(SdlPresenter, ShowsAFrameHandedOverFromAnotherThread) {
  video::SdlPresenter presenter;
  ASSERT_TRUE(presenter.Open("test", 8, 6, 100));
  presenter.SetCapture(true);
  EXPECT_FALSE(presenter.Pump());  // nothing handed over yet

  std::thread game([&presenter] {
    video::Frame frame;
    frame.width = 8;
    frame.height = 6;
    frame.pixels.assign(48, 0xFF204060);
    frame.pixels[5 * 8 + 7] = 0xFFFFFFFF;
    presenter.Present(std::move(frame));
  });
  game.join();

  ASSERT_TRUE(presenter.Pump());
  EXPECT_EQ(presenter.FramesShown(), 1u);
  video::Frame shown = presenter.LastCapture();
  ASSERT_EQ(shown.width, 8);
  ASSERT_EQ(shown.height, 6);
  EXPECT_EQ(shown.At(0, 0) & 0xFFFFFF, 0x204060u);
  EXPECT_EQ(shown.At(7, 5) & 0xFFFFFF, 0xFFFFFFu);

  // At 200 % every picture pixel covers two by two window pixels.
  presenter.SetZoom(200);
  video::Frame again;
  again.width = 8;
  again.height = 6;
  again.pixels.assign(48, 0xFF000000);
  again.pixels[0] = 0xFF00FF00;
  presenter.Present(std::move(again));
  ASSERT_TRUE(presenter.Pump());
  shown = presenter.LastCapture();
  ASSERT_EQ(shown.width, 16);
  ASSERT_EQ(shown.height, 12);
  EXPECT_EQ(shown.At(1, 1) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(shown.At(2, 2) & 0xFFFFFF, 0u);
  presenter.Close();
  EXPECT_FALSE(presenter.IsOpen());
}
