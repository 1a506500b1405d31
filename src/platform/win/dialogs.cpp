#include "platform/win/dialogs.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "platform/text/cp932.h"
#include "platform/video/window.h"
#include "platform/win/keys.h"
#include "platform/win/msgbox.h"
#include "platform/win/winapp.h"

namespace {

constexpr int kCaptionPx = 18;

struct Control {
  HWND hwnd = nullptr;
  HWND dlg = nullptr;
  int id = 0;
  DlgCtl kind = DlgCtl::Static;
  std::string text;  // code page 932
  int selStart = 0, selEnd = 0;
  int checked = 0;
  bool enabled = true;
  std::vector<std::string> entries;
  int listSel = -1;
  int x = 0, y = 0, cx = 0, cy = 0;  // pixels in the dialog's client area
};

struct Dialog {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  const DlgTemplate* tmpl = nullptr;
  DLGPROC proc = nullptr;
  std::vector<std::unique_ptr<Control>> controls;
  HWND focus = nullptr;
  std::set<int> pressed;   // keys pressed while the dialog is open and not yet released
  bool staleText = false;  // the last key down repeats a key held from before: its text is dropped
  bool ended = false;
  INT_PTR result = 0;
  bool closePosted = false;
};

struct State {
  std::mutex mutex;  // the script queues; everything else lives on the dialogs' thread
  bool headless = true;
  std::map<int, DlgTemplate> templates;
  std::vector<Dialog*> open;
  std::map<HWND, Dialog*> dialogs;
  std::map<HWND, Control*> controls;
  std::map<HWND, std::map<std::string, HANDLE>> props;
  std::map<HWND, RECT> rects;
  std::map<HWND, bool> disabled;
  HOOKPROC hook = nullptr;
  std::string preedit;  // code page 932
  std::deque<dlg::WholeAnswer> whole;
  std::deque<dlg::ScriptStep> steps;
  POINT cursor{0, 0};
  int screenW = 640, screenH = 480;
  std::function<void(const std::vector<HWND>&)> driver;
  std::function<void(int, int)> warp;
  std::function<void()> endHook;
  HWND desktop = nullptr;
};

State& S() {
  static State s;
  return s;
}

HHOOK const kHookHandle = reinterpret_cast<HHOOK>(static_cast<uintptr_t>(0x4B00));
HIMC const kImc = reinterpret_cast<HIMC>(static_cast<uintptr_t>(0x1AC0));

Dialog* DialogOf(HWND hwnd) {
  auto it = S().dialogs.find(hwnd);
  return it == S().dialogs.end() ? nullptr : it->second;
}

Control* ControlOf(HWND hwnd) {
  auto it = S().controls.find(hwnd);
  return it == S().controls.end() ? nullptr : it->second;
}

Control* ItemOf(HWND dlg, int id) {
  Dialog* d = DialogOf(dlg);
  if (!d) return nullptr;
  for (auto& c : d->controls)
    if (c->id == id) return c.get();
  return nullptr;
}

Dialog* Innermost() { return S().open.empty() ? nullptr : S().open.back(); }

Control* Focused() {
  Dialog* d = Innermost();
  return d ? ControlOf(d->focus) : nullptr;
}

bool TakesFocus(const Control& c) {
  return c.enabled && c.kind != DlgCtl::Static && c.kind != DlgCtl::Picture && c.kind != DlgCtl::Group;
}

void Command(Control& c, WORD code) {
  SendMessage(c.dlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(c.id), code), reinterpret_cast<LPARAM>(c.hwnd));
}

void ClampSel(Control& c) {
  int n = static_cast<int>(c.text.size());
  c.selStart = std::clamp(c.selStart, 0, n);
  c.selEnd = std::clamp(c.selEnd, 0, n);
}

// Start of the character before byte position pos (a lead byte and its trail byte are one).
int PrevCharStart(const std::string& t, int pos) {
  int i = 0, last = 0;
  while (i < pos) {
    last = i;
    bool pair = IsCp932LeadByte(static_cast<unsigned char>(t[i])) && i + 1 < static_cast<int>(t.size());
    i += pair ? 2 : 1;
  }
  return last;
}

int NextCharEnd(const std::string& t, int pos) {
  int n = static_cast<int>(t.size());
  if (pos >= n) return n;
  bool pair = IsCp932LeadByte(static_cast<unsigned char>(t[pos])) && pos + 1 < n;
  return pos + (pair ? 2 : 1);
}

LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Control* c = ControlOf(hwnd);
  if (!c) return 0;
  switch (msg) {
    case BM_GETCHECK:
      return c->checked;
    case BM_SETCHECK:
      c->checked = static_cast<int>(wParam);
      return 0;
    case EM_GETSEL: {
      ClampSel(*c);
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(c->selStart);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(c->selEnd);
      return static_cast<LRESULT>(static_cast<DWORD>(c->selStart) | (static_cast<DWORD>(c->selEnd) << 16));
    }
    case EM_SETSEL: {
      int n = static_cast<int>(c->text.size());
      int a = static_cast<int>(static_cast<intptr_t>(wParam)), b = static_cast<int>(lParam);
      if (a < 0) {
        c->selStart = c->selEnd = n;  // -1: no selection, caret kept at the end
      } else {
        if (b < 0) b = n;
        c->selStart = std::min(a, b);
        c->selEnd = std::max(a, b);
        ClampSel(*c);
      }
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT DialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* d = DialogOf(hwnd);
  return d && d->proc ? d->proc(hwnd, msg, wParam, lParam) : 0;
}

void SetEditText(Control& c, const std::string& text) {
  c.text = text;
  c.selStart = c.selEnd = 0;
  Command(c, EN_UPDATE);
  Command(c, EN_CHANGE);
}

void ReplaceSelection(Control& c, const std::string& insert) {
  ClampSel(c);
  c.text = c.text.substr(0, c.selStart) + insert + c.text.substr(c.selEnd);
  c.selStart = c.selEnd = c.selStart + static_cast<int>(insert.size());
  Command(c, EN_UPDATE);
  Command(c, EN_CHANGE);
}

void Click(Control& c) {
  if (!c.enabled) return;
  Dialog* d = DialogOf(c.dlg);
  if (TakesFocus(c)) SetFocus(c.hwnd);
  if (c.kind == DlgCtl::Radio && d) {
    // An automatic radio turns the others of its run of radio buttons off.
    auto& list = d->controls;
    auto it = std::find_if(list.begin(), list.end(), [&](auto& p) { return p.get() == &c; });
    auto first = it, last = it;
    while (first != list.begin() && (*(first - 1))->kind == DlgCtl::Radio) --first;
    while (last + 1 != list.end() && (*(last + 1))->kind == DlgCtl::Radio) ++last;
    for (auto i = first; i <= last; ++i) (*i)->checked = 0;
    c.checked = 1;
  } else if (c.kind == DlgCtl::Check) {
    c.checked = c.checked ? 0 : 1;
  }
  if (c.kind == DlgCtl::Button || c.kind == DlgCtl::DefButton || c.kind == DlgCtl::Radio || c.kind == DlgCtl::Check)
    Command(c, BN_CLICKED);
}

Control* DefaultButton(Dialog& d) {
  for (auto& c : d.controls)
    if (c->kind == DlgCtl::DefButton) return c.get();
  return nullptr;
}

// What the dialog manager does with a key that reached it (after the hook).
void DialogKey(Dialog& d, int vk) {
  Control* f = ControlOf(d.focus);
  if (vk == VK_RETURN) {
    if (f && (f->kind == DlgCtl::Button || f->kind == DlgCtl::DefButton)) {
      Click(*f);
    } else if (Control* def = DefaultButton(d)) {
      // The default button is pressed where the focus stays: typing goes on in the same edit.
      if (def->enabled) Command(*def, BN_CLICKED);
    } else {
      SendMessage(d.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return;
  }
  if (vk == VK_ESCAPE) {
    SendMessage(d.hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  if (vk == VK_TAB) {
    auto& list = d.controls;
    size_t start = 0;
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i]->hwnd == d.focus) start = i;
    for (size_t k = 1; k <= list.size(); ++k) {
      Control& c = *list[(start + k) % list.size()];
      if (TakesFocus(c)) {
        SetFocus(c.hwnd);
        if (c.kind == DlgCtl::Edit) {
          c.selStart = 0;
          c.selEnd = static_cast<int>(c.text.size());
        }
        break;
      }
    }
    return;
  }
  if (!f) return;
  SendMessage(f->hwnd, WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
  switch (f->kind) {
    case DlgCtl::Button:
    case DlgCtl::DefButton:
    case DlgCtl::Radio:
    case DlgCtl::Check:
      if (vk == VK_SPACE) Click(*f);
      break;
    case DlgCtl::List:
      if ((vk == VK_UP || vk == VK_DOWN) && !f->entries.empty()) {
        int n = static_cast<int>(f->entries.size());
        f->listSel = std::clamp(f->listSel + (vk == VK_UP ? -1 : 1), 0, n - 1);
        Command(*f, LBN_SELCHANGE);
      }
      break;
    case DlgCtl::Edit: {
      ClampSel(*f);
      int n = static_cast<int>(f->text.size());
      if (vk == VK_LEFT) {
        f->selStart = f->selEnd = f->selStart < f->selEnd ? f->selStart : PrevCharStart(f->text, f->selStart);
      } else if (vk == VK_RIGHT) {
        f->selStart = f->selEnd = f->selStart < f->selEnd ? f->selEnd : NextCharEnd(f->text, f->selEnd);
      } else if (vk == VK_HOME) {
        f->selStart = f->selEnd = 0;
      } else if (vk == VK_END) {
        f->selStart = f->selEnd = n;
      } else if (vk == VK_BACK || vk == VK_DELETE) {
        if (f->selStart == f->selEnd) {
          if (vk == VK_BACK) {
            if (f->selStart == 0) break;
            f->selStart = PrevCharStart(f->text, f->selStart);
          } else {
            if (f->selEnd >= n) break;
            f->selEnd = NextCharEnd(f->text, f->selEnd);
          }
        }
        ReplaceSelection(*f, "");
      }
      break;
    }
    default:
      break;
  }
}

void DestroyDialog(Dialog& d) {
  State& s = S();
  if (d.proc) d.proc(d.hwnd, WM_DESTROY, 0, 0);
  for (auto& c : d.controls) {
    s.controls.erase(c->hwnd);
    s.props.erase(c->hwnd);
    s.rects.erase(c->hwnd);
    DestroyWindowStandIn(c->hwnd);
  }
  s.dialogs.erase(d.hwnd);
  s.props.erase(d.hwnd);
  s.rects.erase(d.hwnd);
  s.disabled.erase(d.hwnd);
  DestroyWindowStandIn(d.hwnd);
}

// One step of the headless script; false when there is none left.
bool RunScriptStep() {
  dlg::ScriptStep step;
  {
    std::lock_guard<std::mutex> lock(S().mutex);
    if (S().steps.empty()) return false;
    step = std::move(S().steps.front());
    S().steps.pop_front();
  }
  switch (step.kind) {
    case dlg::ScriptStep::Key:
      if (step.down) dlg::KeyEvent(step.vk, true, step.repeat);
      if (step.up) dlg::KeyEvent(step.vk, false);
      break;
    case dlg::ScriptStep::Text:
      dlg::TextEvent(step.text);
      break;
    case dlg::ScriptStep::Preedit:
      dlg::PreeditEvent(step.text);
      break;
    case dlg::ScriptStep::Click:
      dlg::ClickEvent(step.id);
      break;
    case dlg::ScriptStep::Pick:
      dlg::PickEvent(step.text);
      break;
    case dlg::ScriptStep::Close:
      if (Dialog* d = Innermost()) PostMessage(d->hwnd, WM_CLOSE, 0, 0);
      break;
    case dlg::ScriptStep::Call:
      if (step.call) step.call(Innermost() ? Innermost()->hwnd : nullptr);
      break;
  }
  return true;
}

}  // namespace

int DluToPixelsX(int units) { return (units * 3 + 1) / 2; }
int DluToPixelsY(int units) { return (units * 7 + 2) / 4; }

void RegisterDialogTemplate(const DlgTemplate& tmpl) { S().templates[tmpl.resId] = tmpl; }

const DlgTemplate* FindDialogTemplate(int resId) {
  auto it = S().templates.find(resId);
  return it == S().templates.end() ? nullptr : &it->second;
}

INT_PTR DialogBoxParamA(HINSTANCE, int resId, HWND parent, DLGPROC proc, LPARAM param) {
  State& s = S();
  const DlgTemplate* tmpl = FindDialogTemplate(resId);
  if (!tmpl || !proc) return -1;
  auto d = std::make_unique<Dialog>();
  d->hwnd = CreateWindowStandIn("#32770");
  d->parent = parent;
  d->tmpl = tmpl;
  d->proc = proc;
  SetWindowProcStandIn(d->hwnd, &DialogWndProc);
  LONG style = WS_POPUP | (tmpl->visible ? WS_VISIBLE : 0) | (tmpl->caption ? WS_CAPTION : 0);
  SetWindowLongA(d->hwnd, GWL_STYLE, style);
  int top = tmpl->caption ? kCaptionPx : 0;
  s.rects[d->hwnd] = RECT{0, 0, DluToPixelsX(tmpl->cx), DluToPixelsY(tmpl->cy) + top};
  s.dialogs[d->hwnd] = d.get();
  video::SetWindowClient(d->hwnd, 0, top, DluToPixelsX(tmpl->cx), DluToPixelsY(tmpl->cy));
  if (tmpl->caption_text) SetWindowTextA(d->hwnd, tmpl->caption_text);
  for (const DlgItem& item : tmpl->items) {
    auto c = std::make_unique<Control>();
    c->hwnd = CreateWindowStandIn("DlgItem");
    c->dlg = d->hwnd;
    c->id = item.id;
    c->kind = item.kind;
    c->text = item.text ? item.text : "";
    c->x = DluToPixelsX(item.x);
    c->y = DluToPixelsY(item.y);
    c->cx = DluToPixelsX(item.cx);
    c->cy = DluToPixelsY(item.cy);
    SetWindowProcStandIn(c->hwnd, &ControlProc);
    s.controls[c->hwnd] = c.get();
    d->controls.push_back(std::move(c));
  }
  for (auto& c : d->controls)
    if (TakesFocus(*c)) {
      d->focus = c->hwnd;
      break;
    }
  Dialog* dialog = d.get();
  HWND previousActive = GetActiveWindow();
  s.open.push_back(dialog);
  SetActiveWindowStandIn(dialog->hwnd);
  std::vector<MSG> held;
  bool quit = false;
  WPARAM quitCode = 0;
  proc(dialog->hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog->focus), param);
  while (!dialog->ended) {
    if (ShutdownBegun()) break;
    MSG m;
    while (!dialog->ended && PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        quit = true;
        quitCode = m.wParam;
        dialog->ended = true;
        dialog->result = 0;
        break;
      }
      bool forOwner = m.hwnd && !DialogOf(m.hwnd) && !ControlOf(m.hwnd);
      if (forOwner && (m.message == WM_CLOSE || (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE))) {
        held.push_back(m);  // the owner of a modal dialog is disabled
        continue;
      }
      DispatchMessageA(&m);
    }
    if (dialog->ended) break;
    if (s.driver && !s.headless) {
      std::vector<HWND> open;
      for (Dialog* o : s.open) open.push_back(o->hwnd);
      s.driver(open);
      WaitMessageTimeout(15);
    } else if (!RunScriptStep()) {
      // Out of steps: the dialog is closed; one that ignores the close ends with 0.
      if (!dialog->closePosted) {
        dialog->closePosted = true;
        PostMessage(dialog->hwnd, WM_CLOSE, 0, 0);
      } else if (!PeekMessage(&m, dialog->hwnd, 0, 0, PM_NOREMOVE)) {
        dialog->ended = true;
        dialog->result = 0;
      }
    }
  }
  s.open.erase(std::find(s.open.begin(), s.open.end(), dialog));
  s.preedit.clear();
  SetActiveWindowStandIn(s.open.empty() ? previousActive : s.open.back()->hwnd);
  INT_PTR result = dialog->result;
  DestroyDialog(*dialog);
  if (s.open.empty() && s.endHook && !s.headless) s.endHook();
  for (const MSG& m : held) PostMessage(m.hwnd, m.message, m.wParam, m.lParam);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return result;
}

BOOL EndDialog(HWND dlg, INT_PTR result) {
  Dialog* d = DialogOf(dlg);
  if (!d) return FALSE;
  d->ended = true;
  d->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dlg, int id) {
  Control* c = ItemOf(dlg, id);
  return c ? c->hwnd : nullptr;
}

int GetDlgCtrlID(HWND ctl) {
  Control* c = ControlOf(ctl);
  return c ? c->id : 0;
}

BOOL SetDlgItemTextA(HWND dlg, int id, const char* text) {
  Control* c = ItemOf(dlg, id);
  if (!c) return FALSE;
  if (c->kind == DlgCtl::Edit) SetEditText(*c, text ? text : "");
  else c->text = text ? text : "";
  return TRUE;
}

UINT GetDlgItemTextA(HWND dlg, int id, char* text, int size) {
  Control* c = ItemOf(dlg, id);
  if (!text || size <= 0) return 0;
  text[0] = 0;
  if (!c) return 0;
  size_t n = std::min(c->text.size(), static_cast<size_t>(size - 1));
  c->text.copy(text, n);
  text[n] = 0;
  return static_cast<UINT>(n);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  if (Control* c = ControlOf(hwnd)) {
    bool was = !c->enabled;
    c->enabled = enable != 0;
    return was;
  }
  bool was = S().disabled[hwnd];
  S().disabled[hwnd] = !enable;
  return was;
}

BOOL IsWindowEnabled(HWND hwnd) {
  if (Control* c = ControlOf(hwnd)) return c->enabled;
  auto it = S().disabled.find(hwnd);
  return it == S().disabled.end() || !it->second;
}

HWND SetFocus(HWND hwnd) {
  Control* c = ControlOf(hwnd);
  if (!c) return nullptr;
  Dialog* d = DialogOf(c->dlg);
  if (!d) return nullptr;
  HWND before = d->focus;
  if (before == hwnd) return before;
  Control* old = ControlOf(before);
  d->focus = hwnd;
  if (old && old->kind == DlgCtl::Edit) {
    S().preedit.clear();
    Command(*old, EN_KILLFOCUS);
  }
  if (c->kind == DlgCtl::Edit) Command(*c, EN_SETFOCUS);
  return before;
}

HWND GetFocus() {
  Dialog* d = Innermost();
  return d ? d->focus : nullptr;
}

BOOL SetPropA(HWND hwnd, const char* name, HANDLE data) {
  if (!hwnd || !name) return FALSE;
  S().props[hwnd][name] = data;
  return TRUE;
}

HANDLE GetPropA(HWND hwnd, const char* name) {
  auto it = S().props.find(hwnd);
  if (it == S().props.end() || !name) return nullptr;
  auto p = it->second.find(name);
  return p == it->second.end() ? nullptr : p->second;
}

HANDLE RemovePropA(HWND hwnd, const char* name) {
  HANDLE old = GetPropA(hwnd, name);
  auto it = S().props.find(hwnd);
  if (it != S().props.end() && name) it->second.erase(name);
  return old;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  if (!hwnd) return FALSE;
  RECT r{};
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (!(flags & SWP_NOMOVE)) {
    r.left = x;
    r.top = y;
  }
  if (!(flags & SWP_NOSIZE)) {
    w = cx;
    h = cy;
  }
  S().rects[hwnd] = RECT{r.left, r.top, r.left + w, r.top + h};
  if (Dialog* d = DialogOf(hwnd)) {
    int top = d->tmpl->caption ? kCaptionPx : 0;
    video::SetWindowClient(hwnd, r.left, r.top + top, w, h - top);
  }
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  if (!rect) return FALSE;
  State& s = S();
  auto it = s.rects.find(hwnd);
  if (hwnd && hwnd == s.desktop) {
    *rect = RECT{0, 0, s.screenW, s.screenH};
  } else if (it != s.rects.end()) {
    *rect = it->second;
  } else if (Control* c = ControlOf(hwnd)) {
    RECT d{};
    GetWindowRect(c->dlg, &d);
    Dialog* dl = DialogOf(c->dlg);
    int top = dl && dl->tmpl->caption ? kCaptionPx : 0;
    *rect = RECT{d.left + c->x, d.top + top + c->y, d.left + c->x + c->cx, d.top + top + c->y + c->cy};
  } else {
    // Any other window (the main window) is the picture.
    *rect = RECT{0, 0, 640, 480};
  }
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  if (!point) return FALSE;
  RECT r{};
  GetWindowRect(hwnd, &r);
  Dialog* d = DialogOf(hwnd);
  int top = d && d->tmpl->caption ? kCaptionPx : 0;
  point->x -= r.left;
  point->y -= r.top + top;
  return TRUE;
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return S().screenW;
    case SM_CYSCREEN:
      return S().screenH;
    case SM_CYCAPTION:
      return kCaptionPx;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 17;
    case SM_CYMENU:
      return 19;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    default:
      return 0;  // dialogs have no frame inside the picture
  }
}

BOOL SystemParametersInfoA(UINT action, UINT, void* out, UINT) {
  if (action != SPI_GETWORKAREA || !out) return FALSE;
  *static_cast<RECT*>(out) = RECT{0, 0, S().screenW, S().screenH};
  return TRUE;
}

HWND GetDesktopWindow() {
  if (!S().desktop) S().desktop = CreateWindowStandIn("#32769");
  return S().desktop;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  *point = S().cursor;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  S().cursor = POINT{x, y};
  if (S().warp) S().warp(x, y);
  return TRUE;
}

HHOOK SetWindowsHookExA(int kind, HOOKPROC proc, HINSTANCE, DWORD) {
  if (kind != WH_KEYBOARD || !proc) return nullptr;
  S().hook = proc;
  return kHookHandle;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  if (hook != kHookHandle || !S().hook) return FALSE;
  S().hook = nullptr;
  return TRUE;
}

LRESULT CallNextHookEx(HHOOK, int, WPARAM, LPARAM) { return 0; }

HIMC ImmGetContext(HWND hwnd) { return hwnd ? kImc : nullptr; }
BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }

LONG ImmGetCompositionStringA(HIMC imc, DWORD index, void* buf, DWORD size) {
  if (imc != kImc || index != GCS_COMPSTR) return 0;
  const std::string& p = S().preedit;
  if (buf && size) p.copy(static_cast<char*>(buf), std::min<size_t>(p.size(), size));
  return static_cast<LONG>(p.size());
}

namespace {

constexpr int kBoxResId = 30002;
constexpr int kBoxText = 100;

INT_PTR BoxProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    // The texts, and the box centred in the picture.
    const auto* texts = reinterpret_cast<const std::pair<std::string, std::string>*>(lParam);
    SetWindowTextA(dlg, texts->second.c_str());
    SetDlgItemTextA(dlg, kBoxText, texts->first.c_str());
    RECT rc{};
    GetWindowRect(dlg, &rc);
    SetWindowPos(dlg, nullptr, (S().screenW - (rc.right - rc.left)) / 2, (S().screenH - (rc.bottom - rc.top)) / 2, 0,
                 0, SWP_NOSIZE);
    return 1;
  }
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    int id = LOWORD(wParam);
    // Esc answers as the box's way out: No for a question, OK for a notice.
    if (id == IDCANCEL) id = ItemOf(dlg, IDNO) ? IDNO : IDOK;
    if (id == IDOK || id == IDYES || id == IDNO) EndDialog(dlg, id);
    return 1;
  }
  return 0;  // the close button is ignored
}

}  // namespace

int DialogMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  if (S().headless || !S().driver) return MessageBoxA(owner, text, caption, type);
  std::string body = text ? text : "";
  int lines = 1 + static_cast<int>(std::count(body.begin(), body.end(), '\n'));
  short textH = static_cast<short>(std::max(10, 9 * lines));
  short cy = static_cast<short>(textH + 40);
  std::vector<DlgItem> items{{kBoxText, DlgCtl::Static, nullptr, 10, 10, 160, textH}};
  if ((type & MB_TYPEMASK) == MB_YESNO) {
    items.push_back({IDYES, DlgCtl::DefButton, "Yes", 35, static_cast<short>(textH + 18), 50, 14});
    items.push_back({IDNO, DlgCtl::Button, "No", 95, static_cast<short>(textH + 18), 50, 14});
  } else {
    items.push_back({IDOK, DlgCtl::DefButton, "OK", 65, static_cast<short>(textH + 18), 50, 14});
  }
  RegisterDialogTemplate(DlgTemplate{kBoxResId, true, true, nullptr, 180, cy, items});
  const std::pair<std::string, std::string> texts{body, caption ? caption : ""};
  INT_PTR r = DialogBoxParamA(nullptr, kBoxResId, owner, &BoxProc, reinterpret_cast<LPARAM>(&texts));
  return static_cast<int>(r);
}

namespace dlg {

void SetHeadless(bool headless) { S().headless = headless; }
bool IsHeadless() { return S().headless; }

void PushWholeAnswer(int resId, int result, const std::string& text) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().whole.push_back(WholeAnswer{resId, result, text});
}

bool TakeWholeAnswer(int resId, WholeAnswer* out) {
  std::lock_guard<std::mutex> lock(S().mutex);
  auto& q = S().whole;
  auto it = std::find_if(q.begin(), q.end(), [&](const WholeAnswer& a) { return a.resId == resId; });
  if (it == q.end()) return false;
  if (out) *out = *it;
  q.erase(it);
  return true;
}

void PushSteps(const std::vector<ScriptStep>& steps) {
  std::lock_guard<std::mutex> lock(S().mutex);
  for (const ScriptStep& s : steps) S().steps.push_back(s);
}

void ClearScript() {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().steps.clear();
  S().whole.clear();
}

void KeyEvent(int vk, bool down, bool repeat) {
  Dialog* d = Innermost();
  SetKeyStateStandIn(vk, down);
  if (!d) return;
  if (!down) {
    d->pressed.erase(vk);
  } else if (repeat && !d->pressed.count(vk)) {
    // A key held since before the dialog opened (a game key still down) repeats: neither the key nor
    // the text it repeats is the dialog's.
    d->staleText = true;
    return;
  } else {
    d->pressed.insert(vk);
    d->staleText = false;
  }
  LPARAM flags = down ? 1 : static_cast<LPARAM>(0xC0000001u);
  if (S().hook && S().hook(HC_ACTION, static_cast<WPARAM>(vk), flags) != 0) return;  // swallowed
  if (!down) return;
  if (!S().preedit.empty()) {
    // The input method composes: Enter commits the composition, Esc drops it, other keys are its own.
    if (vk == VK_RETURN) {
      std::string text = Cp932ToUtf8(S().preedit);
      S().preedit.clear();
      TextEvent(text);
    } else if (vk == VK_ESCAPE) {
      S().preedit.clear();
    }
    return;
  }
  DialogKey(*d, vk);
}

void TextEvent(const std::string& utf8) {
  if (Innermost() && Innermost()->staleText) return;
  Control* f = Focused();
  if (!f || f->kind != DlgCtl::Edit || !f->enabled) return;
  // Character by character: one without a code-page-932 form is refused.
  std::string insert;
  size_t i = 0;
  while (i < utf8.size()) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    std::string ch = utf8.substr(i, len);
    i += len;
    if (ch.size() == 1 && static_cast<unsigned char>(ch[0]) < 0x20) continue;
    std::string cp = Utf8ToCp932(ch);
    if (cp.find('?') != std::string::npos && ch != "?") continue;
    insert += cp;
  }
  if (!insert.empty()) ReplaceSelection(*f, insert);
}

void PreeditEvent(const std::string& utf8) {
  Control* f = Focused();
  if (!f || f->kind != DlgCtl::Edit) return;
  S().preedit = Utf8ToCp932(utf8);
}

void ClickEvent(int id) {
  Dialog* d = Innermost();
  if (!d) return;
  if (Control* c = ItemOf(d->hwnd, id)) Click(*c);
}

void PickEvent(const std::string& cp932Name) {
  Dialog* d = Innermost();
  if (!d) return;
  for (auto& c : d->controls) {
    if (c->kind != DlgCtl::List) continue;
    auto it = std::find(c->entries.begin(), c->entries.end(), cp932Name);
    if (it == c->entries.end()) continue;
    SetFocus(c->hwnd);
    c->listSel = static_cast<int>(it - c->entries.begin());
    Command(*c, LBN_SELCHANGE);
    return;
  }
}

HWND ActiveDialog() { return Innermost() ? Innermost()->hwnd : nullptr; }

std::vector<ControlView> ViewControls(HWND dlg) {
  std::vector<ControlView> out;
  Dialog* d = DialogOf(dlg);
  if (!d) return out;
  for (auto& c : d->controls) {
    ClampSel(*c);
    out.push_back(ControlView{c->id, c->kind, c->text, c->selStart, c->selEnd, c->checked, c->enabled, c->entries,
                              c->x, c->y, c->cx, c->cy});
  }
  return out;
}

std::string DialogCaption(HWND dlg) {
  char buf[512];
  GetWindowTextA(dlg, buf, sizeof buf);
  return buf;
}

RECT DialogRect(HWND dlg) {
  RECT r{};
  GetWindowRect(dlg, &r);
  return r;
}

std::string Composition() { return S().preedit; }

void SetListEntries(HWND dlg, int id, const std::vector<std::string>& entries) {
  Control* c = ItemOf(dlg, id);
  if (!c) return;
  c->entries = entries;
  c->listSel = -1;
}

int GetListSelection(HWND dlg, int id) {
  Control* c = ItemOf(dlg, id);
  return c ? c->listSel : -1;
}

void SetScreenAreaForTest(int width, int height) {
  S().screenW = width;
  S().screenH = height;
}

void SetDisplayDriver(std::function<void(const std::vector<HWND>&)> driver) { S().driver = std::move(driver); }
void SetCursorWarp(std::function<void(int, int)> warp) { S().warp = std::move(warp); }
void SetDisplayEndHook(std::function<void()> hook) { S().endHook = std::move(hook); }

void ResetForTest() {
  State& s = S();
  ClearScript();
  s.headless = true;
  s.props.clear();
  s.disabled.clear();
  s.hook = nullptr;
  s.preedit.clear();
  s.cursor = POINT{0, 0};
  s.screenW = 640;
  s.screenH = 480;
  for (auto it = s.rects.begin(); it != s.rects.end();) {
    if (DialogOf(it->first) || ControlOf(it->first)) ++it;
    else it = s.rects.erase(it);
  }
}

}  // namespace dlg
