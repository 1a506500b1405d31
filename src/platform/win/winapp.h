// The program's own window and process calls in the manner of the Windows ones the shell makes: window
// classes, creation and destruction of a window served by a procedure, dispatching, the quit message,
// waiting for messages while the window thread's event source is pumped, and a named mutex that tells
// a second start of the program from the first.
#pragma once
#include <string>

#include "platform/win/messages.h"
#include "platform/win/types.h"
#include "platform/video/wintypes.h"

typedef uint16_t ATOM;
typedef uintptr_t ULONG_PTR;

struct COPYDATASTRUCT {
  ULONG_PTR dwData;
  DWORD cbData;
  void* lpData;
};

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HANDLE hIcon;
  HANDLE hCursor;
  HANDLE hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
  HANDLE hIconSm;
};

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
constexpr UINT WM_PALETTECHANGED = 0x0311;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;

// Registers the class by name; 0 (with the last error set) for a name taken or missing.
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
// For tests: forgets every class.
void UnregisterClassesStandIn();
// Makes a window of a registered class owned by the calling thread, with its geometry, and sends it
// WM_CREATE. Null for an unknown class, or when the procedure answers WM_CREATE with -1.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HANDLE menu, HINSTANCE instance, void* param);
// Sends WM_DESTROY, then destroys the window.
BOOL DestroyWindow(HWND hwnd);
// Calls the procedure of the message's window; 0 for a message to no window.
LRESULT DispatchMessageA(const MSG* msg);
BOOL TranslateMessage(const MSG* msg);
// Default processing: nothing is left to do for the messages the program leaves to it.
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Posts WM_QUIT with the code to the calling thread.
void PostQuitMessage(int exitCode);
// Waits until the calling thread has a message, running the pump hook between short waits (on the
// window thread it turns the display's events into messages).
BOOL WaitMessage();
void SetWindowPumpHook(void (*pump)());
void RunWindowPumpHook();

// The last error of the calling thread, as the calls above and below set it.
DWORD GetLastError();
void SetLastError(DWORD error);

// A named mutex held by one process of the user at a time: an advisory lock on an open file, kept by
// the process that holds it and let go by the kernel when that process ends, so a file left behind is
// never mistaken for a running program. The files live in a folder only the user can use (the runtime
// folder, or a private folder in the user's cache when that is unset), are opened without following
// links and only when they are the user's own regular files. The handle is returned also when another
// process holds the mutex; GetLastError then gives ERROR_ALREADY_EXISTS. Null when the file cannot be
// used.
HANDLE CreateMutexA(void* attributes, BOOL initialOwner, const char* name);
BOOL ReleaseMutex(HANDLE mutex);
BOOL CloseMutexHandle(HANDLE mutex);
// The process that holds the mutex, when it is this same program running in this process's current
// folder; 0 when none holds it, or the holder is this process, another program or runs elsewhere.
DWORD MutexOwnerProcessId(HANDLE mutex);
// Asks the holder found by MutexOwnerProcessId to close (it gets a close request, below) and waits at
// most waitMs for the mutex to come free; TRUE when this handle holds it then. Nothing is ever ended by
// force.
BOOL CloseMutexOwner(HANDLE mutex, DWORD pid, DWORD waitMs);
// Close requests from a later start of the program reach this process as WM_CLOSE posted to hwnd. A
// request that comes while hwnd is null waits for the window. Start listening before the mutex is
// created, so that no holder is ever without a listener; StopCloseRequests when the program ends.
void ListenForCloseRequests(HWND hwnd);
void StopCloseRequests();
// Whether a close request has come since the listening began (the close needs no confirmation then).
bool CloseWasRequested();
// For tests: where the mutex files are kept ("" restores the user's folder).
void SetMutexFolderStandIn(const char* folder);
// For tests: the folder the mutex files go to, "" when there is none.
std::string MutexFolderStandIn();
// For tests: the program whose running copies count as this program's ("" restores this process's
// own).
void SetThisProgramStandIn(const char* path);
