// The base of the program's own windows: binds a window to an object, routes its messages to virtual
// handlers, keeps its position and client geometry, places it on the screen and tracks the mouse over
// its client area. The window group lets a modal dialog hide or disable the others meanwhile.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/dialogs.h"
#include "platform/win/winapp.h"

class cWnd;

class cWndGroup {
 public:
  void Add(cWnd* wnd);
  void Remove(cWnd* wnd);
  bool Contains(const cWnd* wnd) const;
  void ShowAll(int show);
  void EnableAll(int enable);

  std::vector<cWnd*> m_vWnd;
};

extern cWndGroup g_WndGroup;

struct cMouseState {
  int32_t x = 0, y = 0;
  int32_t bLeft = 0, bRight = 0;
  int32_t bLeftPressed = 0, bRightPressed = 0;
  int32_t bLeftReleased = 0, bRightReleased = 0;
};

class cWnd {
 public:
  cWnd();
  virtual ~cWnd();
  cWnd(const cWnd&) = delete;
  cWnd& operator=(const cWnd&) = delete;

  virtual void OnCommand(WPARAM, LPARAM) {}
  virtual void OnMouseMove(WPARAM, LPARAM) {}
  virtual void OnLButtonDown(WPARAM, LPARAM) {}
  virtual void OnRButtonDown(WPARAM, LPARAM) {}
  virtual void OnLButtonDblClk(WPARAM, LPARAM) {}
  virtual void OnRButtonDblClk(WPARAM, LPARAM) {}
  virtual void OnLButtonUp(WPARAM, LPARAM) {}
  virtual void OnRButtonUp(WPARAM, LPARAM) {}
  virtual LRESULT WndProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
  virtual int DefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void RefreshLists() {}
  virtual void OnPaint() {}

  void Init(uint16_t resId, HWND parent, cWndGroup* group);
  void SetLayout(int clientW, int clientH, int minW, int minH, int maxW, int maxH, uint32_t style, int hasMenu,
                 int hasTopBar, int hasBottomBar, int reserved, int scrollFlags);
  void RecalcMetrics();
  void GetMinMaxInfo(MINMAXINFO* info);
  void MoveTo(int x, int y);
  void CenterOnScreen();
  void Place();
  void SetClientSize(int w, int h);
  void SetClientRect(int x, int y, int w, int h);
  void AddStyle(uint32_t bits);
  void RemoveStyle(uint32_t bits);
  void RefreshStyle();
  void GetClientRect(RECT* rect);
  void GetWindowPos(POINT* point);
  int GetTopBarHeight() const { return m_nTopBarH; }
  int GetBottomBarHeight() const { return m_nBottomBarH; }
  void SetText(const char* text);
  void EndCommand() { m_bInCommand = 0; }
  // Mouse state from the cursor: part 1 held, part 2 pressed, part 4 released.
  void TrackMouse(int always, int parts);

  int32_t m_bDialog = 0;
  HWND m_hWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;
  uint16_t m_nResId = 0;
  HWND m_hParent = nullptr;
  WNDPROC m_pfnProc = nullptr;
  cWndGroup* m_pGroup = nullptr;
  int32_t m_nX = 0, m_nY = 0;
  int32_t m_nClientW = 0, m_nClientH = 0;
  int32_t m_nMinW = 0, m_nMinH = 0, m_nMaxW = 0, m_nMaxH = 0;
  uint32_t m_dwStyle = 0;
  int32_t m_bHasMenu = 0, m_nScrollFlags = 0;
  int32_t m_nTopBarH = 0, m_nBottomBarH = 0;
  HWND m_hTopBar = nullptr, m_hBottomBar = nullptr;
  int32_t m_nExtraW = 0, m_nExtraH = 0;       // frame and bars around the client area
  int32_t m_nClientOrgX = 0, m_nClientOrgY = 0;  // client origin below a top bar
  int32_t m_nUsableW = 0, m_nUsableH = 0;      // client size less the bars
  int32_t m_nWndW = 0, m_nWndH = 0;            // the window's outer size
  cMouseState m_Mouse;
  int32_t m_bInited = 0;
  int32_t m_bPlaced = 0;
  int32_t m_bInCommand = 0;
  int32_t m_nPlaceX = -1000, m_nPlaceY = -1000;
  cWnd* m_pOwnerWnd = nullptr;
  cWnd* m_pParentWnd = nullptr;
  int32_t m_bCenter = 0;
  std::string m_strName;
};

// The previous button states of the mouse tracking, shared by every window (tests reset them).
void ResetMouseTrackingForTest();
