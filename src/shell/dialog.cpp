#include "shell/dialog.h"

#include <algorithm>

#include "core/log.h"
#include "core/mainwnd.h"
#include "core/text.h"
#include "platform/win/keys.h"

namespace {

int Length(const std::string& s, int dbcs) { return dbcs ? SjisCharCount(s) : static_cast<int>(s.size()); }

int LineCount(const std::string& s) {
  return s.empty() ? 0 : 1 + static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

// Byte position of the start of the last character of s[from, to): a lead byte and its trail byte are
// one character, so a trail byte 0x5C is never taken alone.
size_t LastCharStart(const std::string& s, size_t from, size_t to) {
  size_t i = from, last = from;
  while (i < to) {
    last = i;
    i += (i + 1 < to && IsSjisDoubleByte(s.data() + i)) ? 2 : 1;
  }
  return last;
}

// Drops characters from the end of s until it holds at most `chars` characters.
std::string CutToChars(const std::string& s, int chars, int dbcs) {
  std::string out = s;
  int guard = 0;
  while (Length(out, dbcs) > chars && !out.empty() && guard++ < 999999) out.resize(LastCharStart(out, 0, out.size()));
  return out;
}

// The "DLG_CLASS" procedure: forwards every message unchanged to the procedure it replaced.
LRESULT DlgClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  cDialog* dlg = static_cast<cDialog*>(GetPropA(hwnd, "DLG_CLASS"));
  return dlg && dlg->m_pfnOrgProc ? CallWindowProcA(dlg->m_pfnOrgProc, hwnd, msg, wParam, lParam) : 0;
}

}  // namespace

EditLimitResult ApplyEditLimits(const std::string& input, int selStart, int selEnd, const std::string& prev,
                                int lineLen, int maxLines, int dbcs, bool initialFill, bool backspaceHeld) {
  std::string text = input;
  const int readStart = selStart, readEnd = selEnd;
  if (lineLen <= 0 && maxLines <= 0) return {text, selStart, selEnd};
  // Joining two lines with backspace is refused when the earlier line is already full.
  if (backspaceHeld && selStart == selEnd && prev.size() == text.size() + 2 && LineCount(prev) > LineCount(text)) {
    std::string before = prev.substr(0, std::min<size_t>(selStart, prev.size()));
    size_t nl = before.rfind('\n');
    std::string line = nl == std::string::npos ? before : before.substr(nl + 1);
    if (Length(line, dbcs) >= lineLen) {
      int n = static_cast<int>(prev.size());
      return {prev, std::min(selStart, n), std::min(selEnd, n)};
    }
  }
  // Wrapping: an overlong line is cut and its overflow runs into the next line.
  size_t pos = 0;
  for (int line = 0; line < maxLines && pos <= text.size(); ++line) {
    size_t cr = text.find('\r', pos);
    size_t lineEnd = cr == std::string::npos ? text.size() : cr;
    if (Length(text.substr(pos, lineEnd - pos), dbcs) > lineLen) {
      size_t cut = lineEnd;
      int drops = 0;
      while (cut > pos && Length(text.substr(pos, cut - pos), dbcs) > lineLen && drops++ < 999999)
        cut = LastCharStart(text, pos, cut);
      text.insert(cut, "\r\n");
      if (selStart >= static_cast<int>(cut)) selStart += 2;
      if (selEnd >= static_cast<int>(cut)) selEnd += 2;
      size_t oldEnd = lineEnd + 2;
      if (text.compare(oldEnd, 2, "\r\n") == 0) {
        text.erase(oldEnd, 2);
        if (selStart > static_cast<int>(oldEnd)) selStart -= 2;
        if (selEnd > static_cast<int>(oldEnd)) selEnd -= 2;
      }
      pos = cut + 2;
    } else {
      if (cr == std::string::npos) break;
      pos = cr + 1;
      if (pos < text.size() && text[pos] == '\n') ++pos;
    }
  }
  if (LineCount(text) > maxLines) {
    if (initialFill) {
      text = CutToChars(prev, lineLen, dbcs);
    } else {
      text = prev;
      selStart = readStart;
      selEnd = readEnd;
    }
  }
  int n = static_cast<int>(text.size());
  for (int* p : {&selStart, &selEnd}) {
    if (*p >= 0 && *p < n && text[*p] == '\n') ++*p;
    *p = std::clamp(*p, 0, n);
  }
  return {text, selStart, selEnd};
}

// ---- controls ----

void cCtrl::Enable(BOOL enable) { EnableWindow(m_hWnd, enable); }

void cCtrl::Attach(cDialog* dlg, int id) {
  m_pDlg = dlg;
  m_hDlg = dlg ? dlg->m_hWnd : nullptr;
  m_nId = static_cast<int16_t>(id);
  m_hWnd = GetDlgItem(m_hDlg, id);
  UpdatePos();
}

void cCtrl::UpdatePos() {
  RECT r{};
  if (!m_hWnd || !GetWindowRect(m_hWnd, &r)) return;
  m_nScreenX = r.left;
  m_nScreenY = r.top;
  POINT p{r.left, r.top};
  ScreenToClient(m_hDlg, &p);
  m_nRelX = p.x;
  m_nRelY = p.y;
}

void cCtrl::Resize(int w, int h) {
  if (m_hWnd) SetWindowPos(m_hWnd, nullptr, m_nRelX, m_nRelY, w, h, SWP_NOZORDER);
}

bool cCtrl::Loading() const { return m_pDlg && m_pDlg->m_bLoading; }

void cEditCtrl::Bind(cDialog* dlg, const cEditBind& bind) {
  Attach(dlg, bind.id);
  m_pText = bind.pText;
  m_nMaxChars = bind.maxChars ? bind.maxChars : 4096;
  m_nLineLen = bind.lineLen ? bind.lineLen : 1024;
  m_nMaxLines = bind.maxLines ? bind.maxLines : 32;
  m_bDbcs = bind.dbcs;
  std::string text = m_pText ? *m_pText : std::string();
  SetDlgItemTextA(m_hDlg, m_nId, text.c_str());
  m_strPrev = text;
  m_bInitialFill = 1;
  OnChange();
  m_bInitialFill = 0;
}

void cEditCtrl::DataToControl() {
  if (m_pText) SetDlgItemTextA(m_hDlg, m_nId, m_pText->c_str());
}

void cEditCtrl::ControlToData() {
  if (Loading() || !m_pText) return;
  std::string text;
  GetDlgItemString(m_hDlg, m_nId, text, BufferSize());
  *m_pText = SjisCut(text, BufferSize() - 1);
}

void cEditCtrl::OnChange() {
  if (m_bInChange) return;
  m_bInChange = 1;
  std::string text;
  GetDlgItemString(m_hDlg, m_nId, text, BufferSize());
  text = SjisCut(text, BufferSize() - 1);
  DWORD start = 0, end = 0;
  SendMessage(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  m_nSelStart = static_cast<int32_t>(start);
  m_nSelEnd = static_cast<int32_t>(end);
  bool backspace = (GetAsyncKeyState(VK_BACK) & 0x8000) != 0;
  EditLimitResult r = ApplyEditLimits(text, m_nSelStart, m_nSelEnd, m_strPrev, m_nLineLen, m_nMaxLines, m_bDbcs,
                                      m_bInitialFill != 0, backspace);
  SetDlgItemTextA(m_hDlg, m_nId, r.text.c_str());
  if (!m_bInitialFill) SendMessage(m_hWnd, EM_SETSEL, static_cast<WPARAM>(r.selStart), r.selEnd);
  m_strPrev = r.text;
  m_bInChange = 0;
}

void cCheckBox::Bind(cDialog* dlg, int id, int* value) {
  Attach(dlg, id);
  m_pValue = value;
}

void cCheckBox::DataToControl() {
  if (m_pValue) SendMessage(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(*m_pValue), 0);
}

void cCheckBox::ControlToData() {
  if (Loading() || !m_pValue) return;
  *m_pValue = static_cast<int>(SendMessage(m_hWnd, BM_GETCHECK, 0, 0));
}

void cRadioButton::Bind(cDialog* dlg, int id, int* value, int index) {
  Attach(dlg, id);
  m_pValue = value;
  m_nIndex = index;
}

void cRadioButton::DataToControl() {
  if (m_pValue) SendMessage(m_hWnd, BM_SETCHECK, *m_pValue == m_nIndex ? BST_CHECKED : BST_UNCHECKED, 0);
}

void cRadioButton::ControlToData() {
  if (Loading() || !m_pValue) return;
  if (SendMessage(m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED) *m_pValue = m_nIndex;
}

// ---- the dialog ----

cDialog::cDialog() = default;

cDialog::~cDialog() {
  if (m_bModeless && m_pGroup && m_pGroup->Contains(this)) {
    End(0);
    m_pGroup->Remove(this);
  }
}

void cDialog::Create(int resId, cWnd* parent, int dialogFlag, cWndGroup* group) {
  m_bDialog = dialogFlag;
  m_bModeless = 0;
  m_nModalFlags = 0;
  Init(static_cast<uint16_t>(resId), parent ? parent->m_hWnd : nullptr, group);
}

int cDialog::DoModal(int flags) {
  if (m_hWnd) return 0;
  End(0);
  m_bModeless = 0;
  m_nModalFlags = flags;
  m_bHookWasInstalled = cHook::IsInstalled() ? 1 : 0;
  if (m_pGroup && (flags & 2)) m_pGroup->ShowAll(0);
  if (m_pGroup && (flags & 4)) m_pGroup->EnableAll(0);
  INT_PTR result = DialogBoxParamA(m_hInstance, m_nResId, m_hParent, m_pfnProc, 0);
  m_hWnd = nullptr;
  if (m_pGroup && (flags & 2)) m_pGroup->ShowAll(1);
  if (m_pGroup && (flags & 4)) m_pGroup->EnableAll(1);
  if (!m_bHookWasInstalled) cHook::UnhookAll();
  return static_cast<int>(result);
}

void cDialog::End(int result) {
  m_nResult = result;
  m_vCtrl.clear();
  if (!m_hWnd) return;
  if (m_bModeless) DestroyWindow(m_hWnd);
  else EndDialog(m_hWnd, result);
}

void cDialog::DataToControls() {
  m_bLoading = 1;
  for (cCtrl* c : m_vCtrl) c->DataToControl();
  m_bLoading = 0;
}

void cDialog::ControlsToData() {
  for (cCtrl* c : m_vCtrl) c->ControlToData();
}

void cDialog::RefreshLists() {
  for (cCtrl* c : m_vCtrl)
    if (c->m_nKind == 8) c->RefreshList();
}

void cDialog::OnCommand(WPARAM wParam, LPARAM) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  for (cCtrl* c : m_vCtrl) {
    if (c->m_nId != id) continue;
    if (c->m_nKind == 2 || c->m_nKind == 3) {
      if (code == EN_UPDATE) {
        c->OnChange();
        break;
      }
      if (code == EN_KILLFOCUS) {
        c->OnKillFocus();
        break;
      }
    } else if (c->m_nKind == 7 && code == 1) {
      c->OnChange();
      break;
    } else if (c->m_nKind == 8 && (code == 1 || code == 5)) {
      if (code == 1) c->OnChange();
      else c->OnKillFocus();
      break;
    }
  }
  for (cCtrl* c : m_vCtrl) {
    if (c->m_nKind != 8) continue;
    SendMessage(c->m_hWnd, WM_SETREDRAW, 0, 0);
    c->Redraw();
  }
}

void cDialog::OnInitDialog() {
  m_vCtrl.clear();
  if (m_bModeless && m_pGroup) m_pGroup->Add(this);
  if (!GetPropA(m_hWnd, "DLG_CLASS")) {
    SetPropA(m_hWnd, "DLG_CLASS", this);
    m_pfnOrgProc = GetWindowProcStandIn(m_hWnd);
    SetWindowProcStandIn(m_hWnd, &DlgClassProc);
  }
  RefreshStyle();
  Place();
  if (!m_Hook.Install(m_hWnd, m_bModeless)) ErrorBoxF("KeyboardHookに失敗!");
  TrackMouse(1, 7);
  if (m_nClientW > 0 && m_nClientH > 0) SetClientSize(m_nClientW, m_nClientH);
}

int cDialog::DefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  int handled = cWnd::DefProc(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_DESTROY:
      if (m_pGroup && (m_nModalFlags & 2)) m_pGroup->ShowAll(1);
      if (m_pGroup && (m_nModalFlags & 4)) m_pGroup->EnableAll(1);
      return 1;
    case WM_NOTIFY:
      for (cCtrl* c : m_vCtrl)
        if (c->OnNotify(wParam, lParam)) return 1;
      return handled;
    case WM_KEYDOWN: {
      LPARAM vbar = reinterpret_cast<LPARAM>(m_VScroll.m_hWnd), hbar = reinterpret_cast<LPARAM>(m_HScroll.m_hWnd);
      switch (static_cast<int>(wParam)) {
        case VK_PRIOR: PostMessage(hwnd, WM_VSCROLL, SB_PAGEUP, vbar); break;
        case VK_NEXT: PostMessage(hwnd, WM_VSCROLL, SB_PAGEDOWN, vbar); break;
        case VK_HOME: PostMessage(hwnd, WM_HSCROLL, SB_PAGEUP, hbar); break;
        case VK_END: PostMessage(hwnd, WM_HSCROLL, SB_PAGEDOWN, hbar); break;
        case VK_LEFT: PostMessage(hwnd, WM_HSCROLL, SB_LINEUP, hbar); break;
        case VK_RIGHT: PostMessage(hwnd, WM_HSCROLL, SB_LINEDOWN, hbar); break;
        case VK_UP: PostMessage(hwnd, WM_VSCROLL, SB_LINEUP, vbar); break;
        case VK_DOWN: PostMessage(hwnd, WM_VSCROLL, SB_LINEDOWN, vbar); break;
        default: break;
      }
      if (!m_bModeless) {
        std::vector<cCtrl*> ctrls = m_vCtrl;
        for (cCtrl* c : ctrls) c->OnKeyDown(static_cast<int>(wParam), lParam, cHook::CtrlHeld());
      }
      return 1;
    }
    case WM_INITDIALOG:
      OnInitDialog();
      return 1;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      cScrollCtrl& bar = msg == WM_HSCROLL ? m_HScroll : m_VScroll;
      if (reinterpret_cast<HWND>(lParam) != bar.m_hWnd || !bar.m_hWnd) return handled;
      int step = static_cast<int>(LOWORD(wParam));
      int pos = bar.m_nPos;
      if (step == SB_LINEUP) --pos;
      else if (step == SB_LINEDOWN) ++pos;
      else if (step == SB_PAGEUP) pos -= bar.m_nPage;
      else if (step == SB_PAGEDOWN) pos += bar.m_nPage;
      pos = std::clamp(pos, bar.m_nMin, std::max(bar.m_nMin, bar.m_nMax - bar.m_nPage + 1));
      if (pos != bar.m_nPos) {
        bar.m_nPos = pos;
        OnPaint();
      }
      for (cCtrl* c : m_vCtrl) c->OnScroll(msg, wParam, lParam);
      return 1;
    }
    default:
      break;
  }
  if (msg == WMU_HOOKKEY) {
    SendMessage(hwnd, WM_KEYDOWN, wParam, lParam);
    return 1;
  }
  return handled;
}

LRESULT cDialog::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    DefProc(hwnd, msg, wParam, lParam);
    return 1;
  }
  if (msg == WM_CLOSE) {
    m_hWnd = hwnd;
    End(0);
    return 1;
  }
  return DefProc(hwnd, msg, wParam, lParam);
}

INT_PTR cDialog::Dispatch(cDialog* self, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return self ? self->WndProc(hwnd, msg, wParam, lParam) : 0;
}

void cDialog::ReportMissingControl(unsigned id) {
  DebugErrorBoxF("コントロールID 【%u】 が見つかりません！", id);
  PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
}

void GetDlgItemString(HWND dlg, int id, std::string& out, int maximum) {
  char buf[5120];
  int size = std::clamp(maximum, 1, static_cast<int>(sizeof buf));
  GetDlgItemTextA(dlg, id, buf, size);
  out = buf;
}

void SetDlgItemString(HWND dlg, int id, const std::string& text) { SetDlgItemTextA(dlg, id, text.c_str()); }
