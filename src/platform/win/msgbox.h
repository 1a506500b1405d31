// Message boxes. Texts are code page 932; the box shows them through SDL. In headless mode (tests,
// runs without a display) nothing is shown: each box is recorded and answered from a script. A box
// that SDL cannot show is written to standard error and takes its first button, a Yes/No question
// its No.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/win/types.h"

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

struct MessageBoxRecord {
  HWND owner;
  std::string text;     // code page 932, as passed
  std::string caption;  // code page 932, as passed
  UINT type;
};

namespace msgbox {
// Headless: record boxes and answer them from the script (or with the default answer) at once.
void SetHeadless(bool headless);
bool IsHeadless();
// Answers for the next boxes, first in first out; when empty, a box gets the first button of its type.
void PushAnswer(int answer);
std::vector<MessageBoxRecord> TakeRecords();
void Reset();
// Lets the shell route boxes (for example to the window thread); null restores the direct route. A
// router set is taken in headless mode as well, so that the box it routes is answered from the script.
void SetRouter(std::function<int(HWND, const char*, const char*, UINT)> router);
// Shows the box on the calling thread without routing (for the router itself).
int ShowDirect(HWND owner, const char* text, const char* caption, UINT type);

// Text columns of a box line that keep the box inside the 640-pixel window (a two-byte character
// takes two).
constexpr int kBoxColumns = 72;
// The text with a line break added wherever a line would be wider than `columns`: after the last
// path separator or blank that leaves the line at least half full, else at the width; never inside
// a two-byte character.
std::string WrapText(const std::string& cp932, int columns = kBoxColumns);
}  // namespace msgbox
