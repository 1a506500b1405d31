#include "shell/filedialog.h"

#include <cstring>

#include "gfx/globals.h"
#include "platform/video/ddraw.h"
#include "platform/video/window.h"

namespace {

// In DirectDraw at 8 bits, palette entry 0 is black while a chooser shows, so its text stays readable,
// and comes back from the work palette afterwards, whatever the outcome.
class cPaletteEntryZeroGuard {
 public:
  cPaletteEntryZeroGuard() : m_bActive(lpDDCon && DDScreenBpp == 8 && lpDDPal) {
    if (!m_bActive) return;
    PALETTEENTRY black{0, 0, 0, 0};
    lpDDPal->SetEntries(0, 0, 1, &black);
  }
  ~cPaletteEntryZeroGuard() {
    if (m_bActive && lpDDPal) lpDDPal->SetEntries(0, 0, 1, &DDWorkPalette[0]);
  }
  cPaletteEntryZeroGuard(const cPaletteEntryZeroGuard&) = delete;
  cPaletteEntryZeroGuard& operator=(const cPaletteEntryZeroGuard&) = delete;

 private:
  bool m_bActive;
};

// The chooser is drawn inside the game's window in full screen as in a window: the explorer-style
// hook the system dialog needed over a full-screen picture has nothing to do here.
OPENFILENAMEA Describe(HWND owner, char* buffer, DWORD size, const char* folder, const char* title,
                       const char* filter, const char* defaultExt, DWORD flags) {
  OPENFILENAMEA ofn{};
  ofn.lStructSize = 76;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = size;
  ofn.nMaxFileTitle = 260;
  ofn.lpstrInitialDir = folder;
  ofn.lpstrTitle = title;
  ofn.Flags = flags;
  ofn.lpstrDefExt = defaultExt;
  return ofn;
}

}  // namespace

int OpenFileDialog(HWND owner, char* buffer, int bufferSize, const char* initialFolder, const char* title,
                   const char* filter, const char* defaultExt, int multiSelect, std::vector<std::string>* outFiles) {
  if (!buffer || bufferSize <= 0) return 0;
  std::memset(buffer, 0, static_cast<size_t>(bufferSize));
  DWORD flags = OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (multiSelect) flags |= OFN_ALLOWMULTISELECT;
  OPENFILENAMEA ofn =
      Describe(owner, buffer, static_cast<DWORD>(bufferSize), initialFolder, title, filter, defaultExt, flags);
  ofn.hInstance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(GetWindowLongA(owner, GWL_HINSTANCE)));
  BOOL chosen;
  {
    cPaletteEntryZeroGuard guard;
    chosen = GetOpenFileNameA(&ofn);
  }
  if (!chosen) return 0;
  if (outFiles) {
    // Several files come as the folder, NUL, each name, NUL, and a closing NUL.
    const char* first = buffer;
    const char* next = first + std::strlen(first) + 1;
    if (next >= buffer + bufferSize || !*next) {
      outFiles->push_back(first);
    } else {
      for (; next < buffer + bufferSize && *next; next += std::strlen(next) + 1)
        outFiles->push_back(std::string(first) + "\\" + next);
    }
  }
  return 1;
}

int SaveFileDialog(HWND owner, char* buffer, const char* initialFolder, const char* title, const char* filter,
                   const char* defaultExt, int keepName) {
  if (!buffer) return 0;
  if (!keepName) std::memset(buffer, 0, 260);
  DWORD flags = OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                OFN_ALLOWMULTISELECT | OFN_OVERWRITEPROMPT;
  OPENFILENAMEA ofn = Describe(owner, buffer, 260, initialFolder, title, filter, defaultExt, flags);
  cPaletteEntryZeroGuard guard;
  return GetSaveFileNameA(&ofn) ? 1 : 0;
}
