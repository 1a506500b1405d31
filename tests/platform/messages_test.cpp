#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win/messages.h"
#include "platform/win/msgbox.h"

namespace {

TEST(Messages, PostsFromAnyThreadReachTheOwnersQueueInOrder) {
  HWND w = CreateWindowStandIn("Tessaly");
  std::thread t([w] {
    EXPECT_EQ(PostMessage(w, WM_USER + 3, 1, 2), TRUE);
    EXPECT_EQ(PostMessage(w, WM_CLOSE, 0, 0), TRUE);
  });
  t.join();
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, w, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));  // filtered look
  EXPECT_EQ(m.message, WM_CLOSE);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 3);
  EXPECT_EQ(m.wParam, 1u);
  EXPECT_EQ(m.lParam, 2);
  ASSERT_TRUE(PeekMessage(&m, w, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_CLOSE);
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(FindWindowStandIn("Tessaly"), w);
  DestroyWindowStandIn(w);
  EXPECT_EQ(PostMessage(w, WM_CLOSE, 0, 0), FALSE);
  EXPECT_EQ(PostMessage(nullptr, WM_CLOSE, 0, 0), FALSE);
  EXPECT_FALSE(IsWindow(w));
}

TEST(Messages, ThreadMessagesAndWaiting) {
  std::atomic<DWORD> target{0};  // the thread's id, once its queue exists
  std::thread t([&] {
    EnsureThreadQueue();
    target = GetCurrentThreadId();
    MSG m;
    while (!PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) WaitMessageTimeout(1000);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.hwnd, nullptr);
    ReleaseThreadQueue();
  });
  while (!PostThreadMessage(target, WM_QUIT, 0, 0)) std::this_thread::yield();
  t.join();
  EXPECT_NE(target, GetCurrentThreadId());
  EXPECT_EQ(PostThreadMessage(target, WM_QUIT, 0, 0), FALSE);  // its queue is gone
}

TEST(MessageBoxes, HeadlessBoxesAreRecordedAndAnsweredFromTheScript) {
  msgbox::Reset();
  msgbox::PushAnswer(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "終了しますか？", "確認", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO), IDYES);  // script empty: first button
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK), IDOK);
  auto r = msgbox::TakeRecords();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].text, "終了しますか？");
  EXPECT_EQ(r[0].caption, "確認");
  EXPECT_EQ(r[0].type, MB_YESNO);
}

}  // namespace
