// Window menus in the manner of the Windows menu calls: a window's system menu with the entries the
// program puts in it, and a popup menu shown modally in the game's window by the dialog layer (one
// line per entry, a check mark on the checked ones), answered by a click, Esc or a test's script.
#pragma once
#include "platform/win/messages.h"
#include "platform/win/types.h"
#include "platform/video/wintypes.h"

struct HMENU__;
typedef HMENU__* HMENU;

struct MENUITEMINFOA {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HANDLE hbmpChecked;
  HANDLE hbmpUnchecked;
  uintptr_t dwItemData;
  char* dwTypeData;  // code page 932
  UINT cch;
  HANDLE hbmpItem;
};

constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_RADIOCHECK = 0x0200;
constexpr UINT MFT_SEPARATOR = 0x0800;
constexpr UINT MFS_CHECKED = 0x0008;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT TPM_RETURNCMD = 0x0100;
// The system menu asked for from the keyboard (Alt+Space; lParam the key) or with the mouse (lParam
// the point in the picture, x low and y high).
constexpr WPARAM SC_MOUSEMENU = 0xF090;
constexpr WPARAM SC_KEYMENU = 0xF100;
// The dialog resource id the popup menu shows as.
constexpr int kPopupMenuResId = 30003;
// The property that marks the dialog a popup menu shows as (a click beside it closes it).
constexpr const char* kPopupMenuProp = "popup menu";
// The control id of the entry at a position (0 first) while the menu shows.
constexpr int kPopupMenuFirstItem = 1000;

// The window's system menu, made empty on first use; revert TRUE gives it back empty and returns null.
HMENU GetSystemMenu(HWND hwnd, BOOL revert);
// Inserts before the entry at the position (byPosition) or with the id; past the end appends.
BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
int GetMenuItemCount(HMENU menu);
// The entry's type, state, id and text (dwTypeData of cch bytes) at a position or with an id.
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info);
// Sets or clears the check mark of the entry with the id; the state before, or -1 for no such entry.
DWORD CheckMenuItem(HMENU menu, UINT id, UINT check);
// Shows the menu with its top-left at (x, y) of the picture (kept inside it) and waits for a choice:
// with TPM_RETURNCMD the chosen entry's id, 0 when none was chosen (Esc, or a script out of steps).
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* unused);
