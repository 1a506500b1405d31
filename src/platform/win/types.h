// Windows-style names for the few platform types and constants the game uses.
#pragma once
#include <cstdint>

typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int32_t BOOL;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef int32_t HRESULT;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }

struct HWND__;
typedef HWND__* HWND;
typedef void* HANDLE;
typedef uint32_t ULONG;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct POINT {
  LONG x;
  LONG y;
};

// A 64-bit value with its two halves named, as Windows keeps driver versions and counters.
union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  };
  int64_t QuadPart;
};

// Window messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// The game thread's requests to the main window.
constexpr UINT WMU_NAMEENTRY = WM_USER + 1;
constexpr UINT WMU_OPENSTAGE = WM_USER + 2;
constexpr UINT WMU_OPENREPLAY = WM_USER + 3;
constexpr UINT WMU_SAVEREPLAY = WM_USER + 4;
constexpr UINT WMU_PLAYSOUND = WM_USER + 5;
constexpr UINT WMU_CHANGEBGM = WM_USER + 6;
constexpr UINT WMU_RESTOREDEVICE = WM_USER + 100;

// PeekMessage options.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Message box types and results.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_TOPMOST = 0x00040000;

// An interface or device identifier, shared by the graphics and sound stand-ins.
struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

#ifndef MAX_PATH
#define MAX_PATH 260
#endif
