#include "shell/hook.h"

#include "core/log.h"
#include "platform/win/keys.h"

namespace {
HHOOK g_hHook = nullptr;
int g_bCtrlHeld = 0;

bool CompositionPending(HIMC imc) { return ImmGetCompositionStringA(imc, GCS_COMPSTR, nullptr, 0) != 0; }
}  // namespace

cHook::~cHook() {
  if (m_hWnd && GetPropA(m_hWnd, "cHook") == this) RemovePropA(m_hWnd, "cHook");
}

bool cHook::Install(HWND wnd, int modeless) {
  m_hWnd = wnd;
  m_bModeless = modeless;
  SetPropA(wnd, "cHook", this);
  if (!g_hHook) g_hHook = SetWindowsHookExA(WH_KEYBOARD, &cHook::HookProc, nullptr, GetCurrentThreadId());
  return g_hHook != nullptr;
}

void cHook::UnhookAll() {
  if (g_hHook) UnhookWindowsHookEx(g_hHook);
  g_hHook = nullptr;
}

bool cHook::IsInstalled() { return g_hHook != nullptr; }

bool cHook::IsPassKey(int vk) {
  return vk == VK_SPACE || (vk >= VK_LEFT && vk <= VK_DOWN) || vk == VK_DELETE || (vk >= 0x70 && vk <= 0x77);
}

int cHook::CtrlHeld() { return g_bCtrlHeld; }

void cHook::ResetForTest() {
  UnhookAll();
  g_bCtrlHeld = 0;
}

LRESULT cHook::HookProc(int code, WPARAM vk, LPARAM flags) {
  if (code < 0 || code == HC_NOREMOVE) return CallNextHookEx(g_hHook, code, vk, flags);
  HWND active = GetActiveWindow();
  cHook* hook = static_cast<cHook*>(GetPropA(active, "cHook"));
  // Another window of the thread (a file chooser, a box) takes its keys itself: Esc cancels it.
  if (!hook) return CallNextHookEx(g_hHook, code, vk, flags);
  if (hook->m_hWnd != active) return CallNextHookEx(g_hHook, code, vk, flags);
  if (static_cast<uint32_t>(flags) & 0x80000000u) {
    if (vk == VK_CONTROL) g_bCtrlHeld = 0;
    if (!(hook->m_bModeless && g_bCtrlHeld)) PostMessage(hook->m_hWnd, WM_KEYUP, vk, flags);
    return CallNextHookEx(g_hHook, code, vk, flags);
  }
  HIMC imc = ImmGetContext(active);
  if (!imc) DebugErrorBoxF("Err ImmGetContext");
  bool composing = imc && CompositionPending(imc);
  if (imc) ImmReleaseContext(active, imc);
  // While the input method composes, every key is its own: nothing is copied to the dialog.
  if (composing) return CallNextHookEx(g_hHook, code, vk, flags);
  if (vk == VK_TAB) return CallNextHookEx(g_hHook, code, vk, flags);
  if (vk != VK_RETURN && imc && IsPassKey(static_cast<int>(vk))) {
    PostMessage(hook->m_hWnd, WMU_HOOKKEY, vk, flags);
    return CallNextHookEx(g_hHook, code, vk, flags);
  }
  if (vk == VK_CONTROL) g_bCtrlHeld = 1;
  if (!(hook->m_bModeless && g_bCtrlHeld)) PostMessage(hook->m_hWnd, WM_KEYDOWN, vk, flags);
  return CallNextHookEx(g_hHook, code, vk, flags);
}
