// Run-time libraries in the manner of the module calls. The libraries the program loads by name
// ("Vox.dll", "GuruGuruSMF4.dll") resolve to stand-ins built into the program, never to a file; only
// the last component of the path counts, without regard to case. Tests can make a library absent or
// drop one of its functions.
#pragma once
#include "platform/win/types.h"

struct ModuleObject;
typedef ModuleObject* HMODULE;
typedef void (*FARPROC)();

HMODULE LoadLibraryA(const char* file);
HMODULE LoadLibraryW(const wchar_t* file);
// Null when the library has no function of that name.
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);
// The program's own path (module null), as wide characters; the characters written, 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, wchar_t* out, DWORD size);

namespace module {
void SetAbsentForTest(const char* library, bool absent);
void DropFunctionForTest(const char* library, const char* function);
void ResetForTest();
// Libraries loaded and not freed.
int LoadedCount();
}  // namespace module
