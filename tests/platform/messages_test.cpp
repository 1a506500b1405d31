#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/text/cp932.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "platform/time/clock.h"

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

TEST(MessageBoxes, AQuestionThatCannotBeShownIsAnsweredNo) {
  // No display to show a box on: the box goes to standard error and nothing is done on its account.
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  msgbox::SetHeadless(false);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "restart?", "二重起動", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK), IDOK);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("restart?"), std::string::npos);
  msgbox::SetHeadless(true);
  if (display) setenv("DISPLAY", saved.c_str(), 1);
}

// A box's long lines are wrapped to the window's width: at a path separator or blank where one
// leaves the line at least half full, else at the width, never inside a two-byte character.
TEST(MessageBoxes, LongLinesAreWrappedToTheWindow) {
  // The width of a line in columns (a two-byte character takes two), each line of the text.
  const auto widths = [](const std::string& text) {
    std::vector<int> out{0};
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        out.push_back(0);
      } else if (IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
        out.back() += 2;
        ++i;
      } else {
        ++out.back();
      }
    }
    return out;
  };
  const auto unwrapped = [](std::string text, const std::string& original) {
    // Breaks were only added: removing those the original lacks gives it back.
    std::string out;
    size_t j = 0;
    for (char c : text) {
      if (c == '\n' && (j >= original.size() || original[j] != '\n')) continue;
      out += c;
      ++j;
    }
    return out;
  };
  const std::string path = "/home/player/games/" + std::string(40, 'd') + "/user_data/rpl4/Caves__2026__12_08__19_51.rpl4_914";
  const struct {
    const char* what;
    std::string text;
    int columns;
    std::string expect;  // empty: only the widths and the bytes are checked
  } cases[] = {
      {"short text unchanged", "終了しますか？\n", 72, "終了しますか？\n"},
      {"at a backslash", "aaaa\\bbbb\\cc", 10, "aaaa\\bbbb\\\ncc"},
      {"at the width when no separator is half way", "a\\bcdefghijkl", 6, "a\\bcde\nfghijk\nl"},
      {"two-byte characters stay whole", "ああああ", 5, "ああ\nああ"},
      {"a backslash trail byte is no separator", "表表表表表表", 5, "表表\n表表\n表表"},
      {"existing breaks kept", "abc\nabcdef", 4, "abc\nabcd\nef"},
      {"the failed save's path", path + " の保存に失敗しました！", 72, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = msgbox::WrapText(c.text, c.columns);
    if (!c.expect.empty()) {
      EXPECT_EQ(out, c.expect);
    }
    for (int w : widths(out)) EXPECT_LE(w, c.columns) << out;
    EXPECT_EQ(unwrapped(out, c.text), c.text);
  }
}

}  // namespace

namespace {

std::atomic<int> g_served{0};
LRESULT CountingProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  g_served.fetch_add(1);
  return static_cast<LRESULT>(msg + wParam);
}

}  // namespace

TEST(SendMessages, ServedByTheOwnerDirectlyOrFromAnotherThread) {
  g_served = 0;
  HWND w = CreateWindowStandIn("SendTarget");
  LRESULT r = 0;
  EXPECT_FALSE(TrySendMessage(w, WM_USER, 1, 0, &r));  // no procedure yet
  SetWindowProcStandIn(w, &CountingProc);
  EXPECT_EQ(SendMessage(w, WM_USER, 2, 0), static_cast<LRESULT>(WM_USER + 2));  // on the owner: at once
  std::atomic<bool> sent{false};
  std::thread sender([&] {
    LRESULT res = 0;
    EXPECT_TRUE(TrySendMessage(w, WM_USER, 5, 0, &res));
    EXPECT_EQ(res, static_cast<LRESULT>(WM_USER + 5));
    sent = true;
  });
  while (!sent) WaitMessageTimeout(10);  // the owner serves while it waits
  sender.join();
  EXPECT_EQ(g_served.load(), 2);
  DestroyWindowStandIn(w);
  EXPECT_FALSE(TrySendMessage(w, WM_USER, 1, 0, &r));
}

TEST(SendMessages, ShutDownReleasesAWaitingSenderAndFailsNewSends) {
  HWND w = CreateWindowStandIn("SendTarget");
  SetWindowProcStandIn(w, &CountingProc);
  std::atomic<int> result{-1};
  std::thread sender([&] { result = TrySendMessage(w, WM_USER, 0, 0, nullptr); });
  SleepUntilMessage(60000);  // the send has arrived; the owner never serves it
  BeginShutdownStandIn();
  sender.join();
  EXPECT_EQ(result.load(), FALSE);
  std::thread late([&] { result = TrySendMessage(w, WM_USER, 0, 0, nullptr); });
  late.join();
  EXPECT_EQ(result.load(), FALSE);
  ResetShutdownStandIn();
  DestroyWindowStandIn(w);
}

// A loop that peeks and then sleeps serves a message as soon as it arrives, not at the end of its
// sleep; a message it has already looked at does not shorten its next sleep.
TEST(Messages, ASleepEndsWhenAMessageArrivesNotForOneAlreadySeen) {
  constexpr DWORD kLongSleep = 20000;
  std::atomic<HWND> w{nullptr};
  std::atomic<int> peeks{0};
  std::thread owner([&] {
    HWND own = CreateWindowStandIn("SleepTarget");
    SetWindowProcStandIn(own, &CountingProc);
    w = own;
    MSG m;
    for (;;) {
      const bool got = PeekMessage(&m, nullptr, 0, 0, PM_REMOVE);
      ++peeks;
      if (got && m.message == WM_QUIT) break;
      Sleep(kLongSleep);
    }
    DestroyWindowStandIn(own);
    ReleaseThreadQueue();
  });
  while (!w) std::this_thread::yield();
  const DWORD start = timeGetTime();
  EXPECT_EQ(SendMessage(w, WM_USER, 1, 0), static_cast<LRESULT>(WM_USER + 1));  // a send ends the sleep
  EXPECT_TRUE(PostMessage(w, WM_USER, 2, 0));  // so does a post
  while (peeks < 3) std::this_thread::yield();
  EXPECT_TRUE(PostMessage(w, WM_QUIT, 0, 0));
  owner.join();
  EXPECT_LT(timeGetTime() - start, kLongSleep / 2);

  // A message that is waiting and already looked at leaves a sleep its full length.
  HWND mine = CreateWindowStandIn("SleepTarget");
  ASSERT_TRUE(PostMessage(mine, WM_USER, 0, 0));
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  const DWORD before = timeGetTime();
  Sleep(40);
  EXPECT_GE(timeGetTime() - before, 40u);
  DestroyWindowStandIn(mine);
}
