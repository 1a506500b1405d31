#include "platform/win/msgbox.h"

#include <SDL.h>

#include <cstdio>
#include <deque>
#include <mutex>

#include "platform/text/cp932.h"

namespace {

struct State {
  std::mutex mutex;
  bool headless = false;
  std::deque<int> answers;
  std::vector<MessageBoxRecord> records;
  std::function<int(HWND, const char*, const char*, UINT)> router;
};

State& St() {
  static State* s = new State;
  return *s;
}

int FirstButton(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
  }
}

}  // namespace

namespace msgbox {

void SetHeadless(bool headless) {
  std::lock_guard<std::mutex> lock(St().mutex);
  St().headless = headless;
}

bool IsHeadless() {
  std::lock_guard<std::mutex> lock(St().mutex);
  return St().headless;
}

void PushAnswer(int answer) {
  std::lock_guard<std::mutex> lock(St().mutex);
  St().answers.push_back(answer);
}

std::vector<MessageBoxRecord> TakeRecords() {
  std::lock_guard<std::mutex> lock(St().mutex);
  std::vector<MessageBoxRecord> out;
  out.swap(St().records);
  return out;
}

void Reset() {
  std::lock_guard<std::mutex> lock(St().mutex);
  St().answers.clear();
  St().records.clear();
}

void SetRouter(std::function<int(HWND, const char*, const char*, UINT)> router) {
  std::lock_guard<std::mutex> lock(St().mutex);
  St().router = std::move(router);
}

std::string WrapText(const std::string& text, int columns) {
  std::string out;
  int width = 0;       // columns of the current line so far
  size_t line = 0;     // where the current line starts in out
  size_t breakAt = 0;  // in out: after the last separator of the line, 0 for none
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    const bool pair = IsCp932LeadByte(b) && i + 1 < text.size();
    const size_t len = pair ? 2 : 1;
    if (b == '\n') {
      out += '\n';
      ++i;
      line = out.size();
      width = 0;
      breakAt = 0;
      continue;
    }
    const int w = pair ? 2 : 1;
    if (width + w > columns && width > 0) {
      // Break after the last separator when it leaves the line at least half full, else here.
      const size_t at = breakAt > line && 2 * static_cast<int>(breakAt - line) >= columns ? breakAt : out.size();
      out.insert(at, 1, '\n');
      line = at + 1;
      breakAt = 0;
      width = 0;
      for (size_t k = line; k < out.size();) {
        const bool p2 = IsCp932LeadByte(static_cast<unsigned char>(out[k])) && k + 1 < out.size();
        width += p2 ? 2 : 1;
        k += p2 ? 2 : 1;
      }
    }
    out.append(text, i, len);
    width += w;
    if (!pair && (b == '\\' || b == '/' || b == ' ')) breakAt = out.size();
    i += len;
  }
  return out;
}

int ShowDirect(HWND owner, const char* text, const char* caption, UINT type) {
  {
    std::lock_guard<std::mutex> lock(St().mutex);
    if (St().headless) {
      St().records.push_back({owner, text ? text : "", caption ? caption : "", type});
      if (St().answers.empty()) return FirstButton(type);
      int a = St().answers.front();
      St().answers.pop_front();
      return a;
    }
  }
  // Long lines (paths) are wrapped, so the box is no wider than the game's window.
  std::string utext = Cp932ToUtf8(WrapText(text ? text : ""));
  std::string ucap = Cp932ToUtf8(caption ? caption : "");
  struct Btn {
    int id;
    const char* label;
  };
  std::vector<Btn> btns;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: btns = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}}; break;
    case MB_ABORTRETRYIGNORE: btns = {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}}; break;
    case MB_YESNOCANCEL: btns = {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}}; break;
    case MB_YESNO: btns = {{IDYES, "Yes"}, {IDNO, "No"}}; break;
    case MB_RETRYCANCEL: btns = {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}}; break;
    default: btns = {{IDOK, "OK"}}; break;
  }
  std::vector<SDL_MessageBoxButtonData> data;
  int defIndex = (type & MB_DEFBUTTON2) && btns.size() > 1 ? 1 : 0;
  for (size_t i = 0; i < btns.size(); ++i) {
    Uint32 flags = 0;
    if ((int)i == defIndex) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (btns[i].id == IDCANCEL || btns[i].id == IDNO || btns.size() == 1)
      flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    data.push_back({flags, btns[i].id, btns[i].label});
  }
  Uint32 kind = SDL_MESSAGEBOX_INFORMATION;
  UINT icon = type & MB_ICONMASK;
  if (icon == MB_ICONERROR) kind = SDL_MESSAGEBOX_ERROR;
  else if (icon == MB_ICONWARNING) kind = SDL_MESSAGEBOX_WARNING;
  SDL_MessageBoxData box{};
  box.flags = kind;
  box.window = nullptr;
  box.title = ucap.c_str();
  box.message = utext.c_str();
  box.numbuttons = static_cast<int>(data.size());
  box.buttons = data.data();
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0 || pressed < 0) {
    // No way to show a box: tell the console, and take the first button; a question nobody saw is
    // answered No, so that nothing is done on an answer nobody gave.
    std::fprintf(stderr, "%s: %s\n", ucap.c_str(), utext.c_str());
    const UINT kind = type & MB_TYPEMASK;
    return kind == MB_YESNO || kind == MB_YESNOCANCEL ? IDNO : FirstButton(type);
  }
  return pressed;
}

}  // namespace msgbox

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  std::function<int(HWND, const char*, const char*, UINT)> router;
  {
    std::lock_guard<std::mutex> lock(St().mutex);
    router = St().router;
  }
  if (router) return router(owner, text, caption, type);
  return msgbox::ShowDirect(owner, text, caption, type);
}
