#include "platform/win/menu.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/dialogs.h"

struct HMENU__ {
  struct Entry {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    std::string text;
  };
  std::vector<Entry> entries;
};

namespace {

std::mutex g_mutex;
std::map<HWND, std::unique_ptr<HMENU__>> g_systemMenus;

HMENU__::Entry* Find(HMENU menu, UINT item, BOOL byPosition) {
  if (!menu) return nullptr;
  if (byPosition) return item < menu->entries.size() ? &menu->entries[item] : nullptr;
  for (HMENU__::Entry& e : menu->entries)
    if (e.id == item && !(e.type & MFT_SEPARATOR)) return &e;
  return nullptr;
}

// Sizes of a line and of the menu, in dialog units.
constexpr short kLineUnits = 12;
constexpr short kSeparatorUnits = 5;
constexpr short kWidthUnits = 100;

struct Shown {
  HMENU menu;
  int x, y;
};

INT_PTR MenuProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    const auto* shown = reinterpret_cast<const Shown*>(lParam);
    SetPropA(dlg, kPopupMenuProp, reinterpret_cast<HANDLE>(shown->menu));
    for (size_t i = 0; i < shown->menu->entries.size(); ++i)
      if (shown->menu->entries[i].state & MFS_CHECKED)
        SendMessage(GetDlgItem(dlg, kPopupMenuFirstItem + static_cast<int>(i)), BM_SETCHECK, BST_CHECKED, 0);
    // Kept inside the picture, as a menu never leaves the screen.
    RECT rc{};
    GetWindowRect(dlg, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    const int x = std::clamp(shown->x, 0, std::max(GetSystemMetrics(SM_CXSCREEN) - w, 0));
    const int y = std::clamp(shown->y, 0, std::max(GetSystemMetrics(SM_CYSCREEN) - h, 0));
    SetWindowPos(dlg, nullptr, x, y, 0, 0, SWP_NOSIZE);
    return 1;
  }
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    const int id = LOWORD(wParam);
    HMENU menu = reinterpret_cast<HMENU>(GetPropA(dlg, kPopupMenuProp));
    const int index = id - kPopupMenuFirstItem;
    if (id == IDCANCEL) EndDialog(dlg, 0);
    else if (menu && index >= 0 && index < static_cast<int>(menu->entries.size()))
      EndDialog(dlg, menu->entries[index].id);
    return 1;
  }
  if (msg == WM_CLOSE) {
    EndDialog(dlg, 0);
    return 1;
  }
  return 0;
}

}  // namespace

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (revert) {
    g_systemMenus.erase(hwnd);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;
  std::unique_ptr<HMENU__>& menu = g_systemMenus[hwnd];
  if (!menu) menu = std::make_unique<HMENU__>();
  return menu.get();
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
  if (!menu || !info) return FALSE;
  HMENU__::Entry e;
  if (info->fMask & MIIM_TYPE) {
    e.type = info->fType;
    if (!(e.type & MFT_SEPARATOR) && info->dwTypeData) e.text = info->dwTypeData;
  }
  if (info->fMask & MIIM_STATE) e.state = info->fState;
  if (info->fMask & MIIM_ID) e.id = info->wID;
  size_t at = menu->entries.size();
  if (byPosition) {
    at = std::min<size_t>(item, at);
  } else if (HMENU__::Entry* before = Find(menu, item, FALSE)) {
    at = static_cast<size_t>(before - menu->entries.data());
  }
  menu->entries.insert(menu->entries.begin() + static_cast<std::ptrdiff_t>(at), e);
  return TRUE;
}

int GetMenuItemCount(HMENU menu) { return menu ? static_cast<int>(menu->entries.size()) : -1; }

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info) {
  HMENU__::Entry* e = Find(menu, item, byPosition);
  if (!e || !info) return FALSE;
  info->fType = e->type;
  info->fState = e->state;
  info->wID = e->id;
  if (info->dwTypeData && info->cch > 0) {
    const size_t n = std::min<size_t>(e->text.size(), info->cch - 1);
    e->text.copy(info->dwTypeData, n);
    info->dwTypeData[n] = 0;
  }
  info->cch = static_cast<UINT>(e->text.size());
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT id, UINT check) {
  HMENU__::Entry* e = Find(menu, id, FALSE);
  if (!e) return static_cast<DWORD>(-1);
  const DWORD before = e->state & MFS_CHECKED;
  e->state = (e->state & ~MFS_CHECKED) | (check & MF_CHECKED ? MFS_CHECKED : 0);
  return before;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  if (!menu || menu->entries.empty()) return 0;
  std::vector<DlgItem> items;
  short top = 4;
  for (size_t i = 0; i < menu->entries.size(); ++i) {
    const HMENU__::Entry& e = menu->entries[i];
    if (e.type & MFT_SEPARATOR) {
      top = static_cast<short>(top + kSeparatorUnits);
      continue;
    }
    // A radio-checked entry shows as a radio button, any other as a check box.
    const DlgCtl kind = (e.type & MFT_RADIOCHECK) ? DlgCtl::Radio : DlgCtl::Check;
    items.push_back({static_cast<WORD>(kPopupMenuFirstItem + i), kind, e.text.c_str(), 6, top, kWidthUnits - 12, 10});
    top = static_cast<short>(top + kLineUnits);
  }
  RegisterDialogTemplate(DlgTemplate{kPopupMenuResId, true, false, nullptr, kWidthUnits, static_cast<short>(top + 2), items});
  Shown shown{menu, x, y};
  INT_PTR chosen = DialogBoxParamA(nullptr, kPopupMenuResId, owner, &MenuProc, reinterpret_cast<LPARAM>(&shown));
  if (chosen < 0) chosen = 0;
  return (flags & TPM_RETURNCMD) ? static_cast<BOOL>(chosen) : chosen != 0;
}
