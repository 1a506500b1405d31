#include "shell/wnd.h"

#include <algorithm>

#include "core/log.h"
#include "core/mainwnd.h"
#include "platform/video/window.h"
#include "platform/win/keys.h"

cWndGroup g_WndGroup;

namespace {
// The previous button states of the mouse tracking, shared by every window.
int g_nPrevLeft = 0;
int g_nPrevRight = 0;
}  // namespace

void ResetMouseTrackingForTest() {
  g_nPrevLeft = 0;
  g_nPrevRight = 0;
}

void cWndGroup::Add(cWnd* wnd) {
  if (!Contains(wnd)) m_vWnd.push_back(wnd);
}

void cWndGroup::Remove(cWnd* wnd) { m_vWnd.erase(std::remove(m_vWnd.begin(), m_vWnd.end(), wnd), m_vWnd.end()); }

bool cWndGroup::Contains(const cWnd* wnd) const {
  return std::find(m_vWnd.begin(), m_vWnd.end(), wnd) != m_vWnd.end();
}

void cWndGroup::ShowAll(int show) {
  for (cWnd* w : m_vWnd)
    if (w->m_hWnd) ShowWindow(w->m_hWnd, show ? SW_SHOW : SW_HIDE);
}

void cWndGroup::EnableAll(int enable) {
  for (cWnd* w : m_vWnd) {
    if (enable) w->RemoveStyle(WS_DISABLED);
    else w->AddStyle(WS_DISABLED);
  }
}

cWnd::cWnd() = default;
cWnd::~cWnd() = default;

void cWnd::Init(uint16_t resId, HWND parent, cWndGroup* group) {
  m_nResId = resId;
  m_hParent = parent;
  m_pGroup = group;
  m_hInstance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(GetWindowLongA(g_hMainWnd, GWL_HINSTANCE)));
}

void cWnd::SetLayout(int clientW, int clientH, int minW, int minH, int maxW, int maxH, uint32_t style, int hasMenu,
                     int hasTopBar, int hasBottomBar, int, int scrollFlags) {
  m_nClientW = clientW;
  m_nClientH = clientH;
  m_nMinW = minW;
  m_nMinH = minH;
  m_nMaxW = maxW;
  m_nMaxH = maxH;
  m_dwStyle = style;
  m_bHasMenu = hasMenu;
  m_nTopBarH = hasTopBar ? 24 : 0;
  m_nBottomBarH = hasBottomBar ? 20 : 0;
  m_nScrollFlags = scrollFlags;
  if (!m_bDialog) RecalcMetrics();
}

void cWnd::RecalcMetrics() {
  int h = 0, w = 0;
  if (m_dwStyle & WS_CAPTION) h += GetSystemMetrics(SM_CYCAPTION);
  if (m_dwStyle & WS_THICKFRAME) {
    h += 2 * GetSystemMetrics(SM_CYFRAME);
    w += 2 * GetSystemMetrics(SM_CXFRAME);
  } else if (m_dwStyle & WS_DLGFRAME) {
    h += 2 * GetSystemMetrics(SM_CYDLGFRAME);
    w += 2 * GetSystemMetrics(SM_CXDLGFRAME);
  }
  if ((m_dwStyle & WS_HSCROLL) || (m_nScrollFlags & 1)) h += GetSystemMetrics(SM_CYHSCROLL);
  if ((m_dwStyle & WS_VSCROLL) || (m_nScrollFlags & 2)) w += GetSystemMetrics(SM_CXVSCROLL);
  h += m_nTopBarH + m_nBottomBarH;
  if (m_bHasMenu) {
    RECT wr{}, cr{};
    if (m_hWnd && ::GetWindowRect(m_hWnd, &wr) && ::GetClientRect(m_hWnd, &cr)) {
      int menu = (wr.bottom - wr.top) - (cr.bottom - cr.top) - h;
      h += menu > 0 ? menu : 0;
    } else {
      h += GetSystemMetrics(SM_CYMENU);
    }
  }
  m_nExtraW = w;
  m_nExtraH = h;
  m_nClientOrgX = 0;
  m_nClientOrgY = m_nTopBarH;
  RECT cr{0, 0, m_nClientW, m_nClientH};
  if (m_hWnd) ::GetClientRect(m_hWnd, &cr);
  m_nUsableW = cr.right - cr.left;
  m_nUsableH = (cr.bottom - cr.top) - m_nTopBarH - m_nBottomBarH;
  if (m_hWnd) {
    RECT wr{};
    ::GetWindowRect(m_hWnd, &wr);
    m_nWndW = wr.right - wr.left;
    m_nWndH = wr.bottom - wr.top;
  } else {
    m_nWndW = m_nClientW + m_nExtraW;
    m_nWndH = m_nClientH + m_nExtraH;
  }
}

void cWnd::GetMinMaxInfo(MINMAXINFO* info) {
  if (!info) return;
  info->ptMinTrackSize = POINT{m_nMinW + m_nExtraW, m_nMinH + m_nExtraH};
  info->ptMaxTrackSize = POINT{m_nMaxW + m_nExtraW, m_nMaxH + m_nExtraH};
}

void cWnd::MoveTo(int x, int y) {
  SetWindowPos(m_hWnd, nullptr, x, y, m_nWndW, m_nWndH, SWP_NOZORDER);
  m_nX = x;
  m_nY = y;
  RecalcMetrics();
}

void cWnd::CenterOnScreen() {
  RECT desk{};
  ::GetWindowRect(GetDesktopWindow(), &desk);
  MoveTo((desk.right - m_nWndW) / 2, (desk.bottom - m_nWndH) / 2);
}

void cWnd::Place() {
  int x, y;
  if (m_pOwnerWnd || m_pParentWnd) {
    cWnd* base = m_pOwnerWnd ? m_pOwnerWnd : m_pParentWnd;
    RECT r{};
    ::GetWindowRect(base->m_hWnd, &r);
    x = r.left;
    y = r.top;
    if (m_pOwnerWnd && m_bCenter) {
      RECT cr{};
      ::GetClientRect(base->m_hWnd, &cr);
      x += (cr.right - cr.left - m_nWndW) / 2;
      y += (cr.bottom - cr.top - m_nWndH) / 2;
    }
  } else if (m_nPlaceX != -1000 || m_nPlaceY != -1000) {
    x = m_nPlaceX;
    y = m_nPlaceY;
  } else {
    return;
  }
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  if (x + m_nWndW > work.right) x = work.right - m_nWndW;
  if (y + m_nWndH > work.bottom) y = work.bottom - m_nWndH;
  MoveTo(x, y);
}

void cWnd::SetClientSize(int w, int h) { SetClientRect(m_nX, m_nY, w, h); }

void cWnd::SetClientRect(int x, int y, int w, int h) {
  m_nWndW = w + m_nExtraW;
  m_nWndH = h + m_nExtraH;
  SetWindowPos(m_hWnd, nullptr, x, y, m_nWndW, m_nWndH, SWP_NOZORDER);
  m_nX = x;
  m_nY = y;
  RecalcMetrics();
}

void cWnd::AddStyle(uint32_t bits) {
  if (!m_hWnd) return;
  SetWindowLongA(m_hWnd, GWL_STYLE, GetWindowLongA(m_hWnd, GWL_STYLE) | static_cast<LONG>(bits));
  if (bits & WS_DISABLED) EnableWindow(m_hWnd, FALSE);
  RefreshStyle();
}

void cWnd::RemoveStyle(uint32_t bits) {
  if (!m_hWnd) return;
  SetWindowLongA(m_hWnd, GWL_STYLE, GetWindowLongA(m_hWnd, GWL_STYLE) & ~static_cast<LONG>(bits));
  if (bits & WS_DISABLED) EnableWindow(m_hWnd, TRUE);
  RefreshStyle();
}

void cWnd::RefreshStyle() {
  if (m_hWnd) m_dwStyle = static_cast<uint32_t>(GetWindowLongA(m_hWnd, GWL_STYLE));
  RecalcMetrics();
}

void cWnd::GetClientRect(RECT* rect) {
  if (rect) ::GetClientRect(m_hWnd, rect);
}

void cWnd::GetWindowPos(POINT* point) {
  if (point) *point = POINT{m_nX, m_nY};
}

void cWnd::SetText(const char* text) { SetWindowTextA(m_hWnd, text); }

void cWnd::TrackMouse(int always, int parts) {
  POINT p{};
  if (!GetCursorPos(&p)) {
    DebugLog("GetCursorPos失敗！");
    return;
  }
  if (m_hWnd) ScreenToClient(m_hWnd, &p);
  p.x -= m_nClientOrgX;
  p.y -= m_nClientOrgY;
  bool inside = p.x >= 0 && p.y >= 0 && p.x < m_nUsableW && p.y < m_nUsableH;
  if (!inside && !always) return;
  m_Mouse.x = p.x;
  m_Mouse.y = p.y;
  int left = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? 1 : 0;
  int right = (GetAsyncKeyState(VK_RBUTTON) & 0x8000) ? 1 : 0;
  if (parts & 1) {
    m_Mouse.bLeft = left;
    m_Mouse.bRight = right;
  }
  if (parts & 2) {
    m_Mouse.bLeftPressed = left && !g_nPrevLeft;
    m_Mouse.bRightPressed = right && !g_nPrevRight;
  }
  if (parts & 4) {
    m_Mouse.bLeftReleased = !left && g_nPrevLeft;
    m_Mouse.bRightReleased = !right && g_nPrevRight;
  }
  g_nPrevLeft = left;
  g_nPrevRight = right;
}

int cWnd::DefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  m_hWnd = hwnd;
  if (msg == WM_COMMAND) {
    if (m_bInCommand) return 0;
    m_bInCommand = 1;
  }
  if (!m_bPlaced && (!m_nTopBarH || m_hTopBar) && (!m_nBottomBarH || m_hBottomBar) && (m_nTopBarH || m_nBottomBarH)) {
    m_bPlaced = 1;
    RecalcMetrics();
    MoveTo(m_nX, m_nY);
    if (m_nClientW > 0 && m_nClientH > 0) SetClientSize(m_nClientW, m_nClientH);
  }
  TrackMouse(0, 7);
  switch (msg) {
    case WM_DESTROY:
      m_hWnd = nullptr;
      return 1;
    case WM_MOVE: {
      RECT r{};
      ::GetWindowRect(hwnd, &r);
      m_nX = r.left;
      m_nY = r.top;
      return 1;
    }
    case WM_SIZE:
      RefreshStyle();
      if (m_hTopBar) SendMessage(m_hTopBar, WM_SIZE, wParam, lParam);
      if (m_hBottomBar) {
        SetWindowPos(m_hBottomBar, nullptr, 0, m_nClientOrgY + m_nUsableH, m_nUsableW, m_nBottomBarH, SWP_NOZORDER);
        SendMessage(m_hBottomBar, WM_SIZE, wParam, lParam);
      }
      return 1;
    case WM_ACTIVATEAPP:
      return 1;
    case WM_PAINT:
      OnPaint();
      return 1;
    case WM_GETMINMAXINFO:
      GetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
      return 1;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      m_bInCommand = 0;
      return 1;
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, lParam);
      return 1;
    case WM_LBUTTONDOWN:
      OnLButtonDown(wParam, lParam);
      return 1;
    case WM_RBUTTONDOWN:
      OnRButtonDown(wParam, lParam);
      return 1;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(wParam, lParam);
      return 1;
    case WM_RBUTTONDBLCLK:
      OnRButtonDblClk(wParam, lParam);
      return 1;
    case WM_LBUTTONUP:
      OnLButtonUp(wParam, lParam);
      return 1;
    case WM_RBUTTONUP:
      OnRButtonUp(wParam, lParam);
      return 1;
    default:
      return 0;
  }
}
