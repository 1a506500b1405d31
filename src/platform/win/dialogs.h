// Dialogs inside the game's window, in the manner of the Windows dialog manager the shell drives:
// dialog templates written in code, modal dialogs served by a dialog procedure, their controls (static
// texts, buttons, radio buttons, check boxes, one-line edits, a file list), window properties, a
// thread keyboard hook and the input method's composition state.
//
// Geometry is in the picture's coordinates: the "screen" of these calls is the 640x480 picture, whose
// top-left is the main window's client origin, in a window and in full screen alike.
//
// Input reaches a dialog through one path, whoever makes it (SDL events on a display, or a test's
// script): key events go to the keyboard hook first, then to the focused control; typed text and
// the composition go to the focused edit; clicks go to the control under them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/video/wintypes.h"
#include "platform/win/messages.h"
#include "platform/win/winapp.h"
#include "platform/win/types.h"

typedef intptr_t INT_PTR;
typedef INT_PTR (*DLGPROC)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
typedef LRESULT (*HOOKPROC)(int code, WPARAM wParam, LPARAM lParam);
struct HHOOK__;
typedef HHOOK__* HHOOK;
struct HIMC__;
typedef HIMC__* HIMC;

constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;
constexpr WORD BN_CLICKED = 0;
constexpr WORD EN_SETFOCUS = 0x0100;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_UPDATE = 0x0400;
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;
constexpr int SB_LINEUP = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int WH_KEYBOARD = 2;
constexpr int HC_ACTION = 0;
constexpr int HC_NOREMOVE = 3;
constexpr DWORD GCS_COMPSTR = 0x0008;
constexpr int GWL_WNDPROC = -4;
constexpr int GWL_HINSTANCE = -6;
constexpr LONG WS_CAPTION = 0x00C00000;
constexpr LONG WS_DISABLED = 0x08000000;
constexpr LONG WS_DLGFRAME = 0x00400000;
constexpr LONG WS_HSCROLL = 0x00100000;
constexpr LONG WS_VSCROLL = 0x00200000;
constexpr LONG WS_BORDER = 0x00800000;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SPI_GETWORKAREA = 0x0030;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

inline constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16)); }
inline constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }

// The kinds of control a template can hold.
enum class DlgCtl { Static, Picture, Group, Button, DefButton, Radio, Check, Edit, List };

struct DlgItem {
  WORD id;
  DlgCtl kind;
  const char* text;  // code page 932
  short x, y, cx, cy;  // dialog units
};

struct DlgTemplate {
  WORD resId;
  bool visible;         // a template without WS_VISIBLE hosts other work and never draws
  bool caption;         // a caption bar above the client area
  const char* caption_text;
  short cx, cy;         // dialog units
  std::vector<DlgItem> items;
};

// Dialog units to pixels of the dialog font: about 1.5 pixels a horizontal unit, 1.75 a vertical one.
int DluToPixelsX(int units);
int DluToPixelsY(int units);

// Templates by resource id (the program's resources written in code).
void RegisterDialogTemplate(const DlgTemplate& tmpl);
const DlgTemplate* FindDialogTemplate(int resId);

// Makes the dialog of the template, sends it WM_INITDIALOG (lParam = param) and runs its modal loop on
// the calling thread until EndDialog; returns EndDialog's result, or -1 for an unknown template. The
// loop serves sent messages, dispatches posted ones, and holds back WM_CLOSE and Esc meant for the
// owner until the dialog ends.
INT_PTR DialogBoxParamA(HINSTANCE instance, int resId, HWND parent, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dlg, INT_PTR result);
HWND GetDlgItem(HWND dlg, int id);
int GetDlgCtrlID(HWND ctl);
// Texts are code page 932.
BOOL SetDlgItemTextA(HWND dlg, int id, const char* text);
UINT GetDlgItemTextA(HWND dlg, int id, char* text, int size);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
HWND SetFocus(HWND hwnd);
HWND GetFocus();

// Window properties.
BOOL SetPropA(HWND hwnd, const char* name, HANDLE data);
HANDLE GetPropA(HWND hwnd, const char* name);
HANDLE RemovePropA(HWND hwnd, const char* name);
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Window geometry in the picture's coordinates. A dialog has no frame: its client area is its window.
BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL ScreenToClient(HWND hwnd, POINT* point);
int GetSystemMetrics(int index);
BOOL SystemParametersInfoA(UINT action, UINT param, void* out, UINT winIni);
HWND GetDesktopWindow();
BOOL GetCursorPos(POINT* point);
// Moves the cursor (on a display, through the window's zoom).
BOOL SetCursorPos(int x, int y);

// The thread keyboard hook: key events of dialogs reach it before their control. Flags bit 31 marks a
// key release.
HHOOK SetWindowsHookExA(int kind, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// The input method of the focused edit: the text being composed (code page 932 bytes).
HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC imc);
LONG ImmGetCompositionStringA(HIMC imc, DWORD index, void* buf, DWORD size);

// A message box drawn in the game's window as a dialog (OK, or Yes and No); without a display it is
// an ordinary box (recorded and answered by the box script in headless runs).
int DialogMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// The common file dialogs, drawn in the window as a list of one folder.
struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  const char* lpstrFilter;
  char* lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  char* lpstrFile;
  DWORD nMaxFile;
  char* lpstrFileTitle;
  DWORD nMaxFileTitle;
  const char* lpstrInitialDir;
  const char* lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  const char* lpstrDefExt;
  LPARAM lCustData;
  void* lpfnHook;
  const char* lpTemplateName;
};
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_NONETWORKBUTTON = 0x00020000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
// Resource id of the chooser's own template, and its controls.
constexpr int kChooserResId = 30001;
constexpr int kChooserList = 1120;
constexpr int kChooserName = 1152;
constexpr int kChooserFolder = 1091;
BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);

namespace dlg {
// What drives the dialogs. Headless (tests, runs without a display): the script answers them.
// Display: dialogs draw over the frozen last frame and take SDL's input.
void SetHeadless(bool headless);
bool IsHeadless();

// One step a script takes inside a running dialog.
struct ScriptStep {
  enum Kind { Key, Text, Preedit, Click, Pick, Close, Call } kind;
  int vk = 0;           // Key: the virtual key; down and up unless `down`/`up` is given alone
  bool down = true, up = true;
  std::string text;     // Text: UTF-8 typed text; Preedit: UTF-8 composition ("" ends it); Pick: list entry
  int id = 0;           // Click: control id
  std::function<void(HWND)> call;  // Call: a look at the running dialog (tests)
  bool repeat = false;  // Key: the key down is the keyboard's repeat of a key held down
};

// A whole dialog answered at once by resource id: the dialog does not run; the caller takes the
// result and the text (the name typed or the path chosen). The shell's request runner reads these.
struct WholeAnswer {
  int resId;
  int result;
  std::string text;
};
void PushWholeAnswer(int resId, int result, const std::string& text);
// The oldest whole answer for resId, taken from the queue; false when there is none.
bool TakeWholeAnswer(int resId, WholeAnswer* out);

// Steps run, in order, by the dialogs that run while the script is headless. A dialog still running
// when the steps are used up is closed (WM_CLOSE), so a test never hangs.
void PushSteps(const std::vector<ScriptStep>& steps);
void ClearScript();

// The input path, for the display's events and the script alike (on the dialog's thread).
// `repeat`: a key down that repeats a key held down.
void KeyEvent(int vk, bool down, bool repeat = false);
void TextEvent(const std::string& utf8);
void PreeditEvent(const std::string& utf8);
void ClickEvent(int id);
void PickEvent(const std::string& cp932Name);

// The dialog whose loop runs now (the innermost), or null.
HWND ActiveDialog();
// What a control shows, for tests and the drawing: text (code page 932), selection, check state,
// list entries, the composition, enabled and visible.
struct ControlView {
  int id;
  DlgCtl kind;
  std::string text;
  int selStart, selEnd;
  int checked;
  bool enabled;
  std::vector<std::string> entries;
  int x, y, cx, cy;  // pixels relative to the dialog's client area
};
std::vector<ControlView> ViewControls(HWND dlg);
std::string DialogCaption(HWND dlg);
// The dialog's window rectangle in the picture.
RECT DialogRect(HWND dlg);
// The composition pending on the focused edit (code page 932), "" for none.
std::string Composition();

// Sets the entries of a list control (code page 932 texts) and the selection; -1 for none.
void SetListEntries(HWND dlg, int id, const std::vector<std::string>& entries);
int GetListSelection(HWND dlg, int id);

// The picture area the dialogs may use, as work area and desktop; tests set others.
void SetScreenAreaForTest(int width, int height);
// The display side: called each turn of a modal loop with the open dialogs, innermost last; it pumps
// input and draws. Null while no display drives the dialogs.
void SetDisplayDriver(std::function<void(const std::vector<HWND>& open)> driver);
// How SetCursorPos moves the display's pointer (picture coordinates).
void SetCursorWarp(std::function<void(int, int)> warp);
// Called when the last open dialog has ended (on a display).
void SetDisplayEndHook(std::function<void()> hook);
// Dialogs on the main SDL window: drawn with Dear ImGui over the frozen frame and fed by SDL's input.
// The context and font atlas are made when the first dialog shows; builtinFont takes ImGui's own font
// instead of the dialogs' face (tests whose glyphs don't matter).
void AttachDisplay(bool builtinFont = false);
void DetachDisplay();
namespace test {
// Events as the display would deliver them, for tests of the display path: typed text (UTF-8), a
// key press, repeat or release, a click.
void PushDisplayText(const std::string& utf8);
void PushDisplayKey(int vk, bool down, bool repeat = false);
// A press and release of the left mouse button at a point of the window.
void PushDisplayClick(int x, int y);
}  // namespace test
// Forgets every dialog, property, hook, answer and step (tests).
void ResetForTest();
}  // namespace dlg
