// The open and save file choosers inside the window: a list of one folder (sub-folders first, then the
// files the filter's patterns match without regard to case), a name field, OK and Cancel. Paths are
// game paths: code page 932 with backslashes, relative to the game folder.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/fs/path.h"
#include "platform/text/cp932.h"
#include "platform/video/window.h"
#include "platform/win/dialogs.h"
#include "platform/win/msgbox.h"

namespace {

struct Chooser {
  OPENFILENAMEA* ofn;
  bool save;
  std::string folder;  // with a trailing backslash, or "" for the game folder
  std::vector<std::string> patterns;
  std::vector<std::string> entries;  // folders end with a backslash
};

Chooser* g_chooser = nullptr;

// Splits on ';' and drops leading blanks: "*.stg4_*;*.rpl4_*".
std::vector<std::string> SplitPatterns(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string p = text.substr(start, end - start);
    while (!p.empty() && p[0] == ' ') p.erase(0, 1);
    if (!p.empty()) out.push_back(p);
    start = end + 1;
  }
  return out;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// '*' and '?' over code page 932 bytes; ASCII letters match without regard to case.
bool Match(const char* p, const char* s) {
  if (!*p) return !*s;
  if (*p == '*') {
    for (const char* t = s;; ++t) {
      if (Match(p + 1, t)) return true;
      if (!*t) return false;
    }
  }
  if (!*s) return false;
  if (*p == '?' || Lower(*p) == Lower(*s)) return Match(p + 1, s + 1);
  return false;
}

bool Matches(const Chooser& c, const std::string& name) {
  if (c.patterns.empty()) return true;
  for (const std::string& p : c.patterns)
    if (Match(p.c_str(), name.c_str())) return true;
  return false;
}

// The last separator between components: a backslash that is not the trail byte of a two-byte
// character, or a slash (an absolute path of the host, as the program makes them, uses slashes).
size_t LastSeparator(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (path[i] == '\\' || path[i] == '/') last = i;
  }
  return last;
}

// The folder of an absolute start path, as a game path when it lies inside the game folder (so the
// chooser shows and moves through it as through any other), else as it is.
std::string StartFolder(const std::string& folder) {
  if (!IsAbsoluteGamePath(folder)) return folder;
  const auto named = [](const std::string& path) {
    std::vector<std::string> parts;
    for (std::string& part : SplitGamePath(path))
      if (!part.empty() && part != ".") parts.push_back(std::move(part));
    return parts;
  };
  const std::vector<std::string> base = named(GetCurrentGameDirectory()), parts = named(folder);
  if (base.empty() || parts.size() < base.size() || !std::equal(base.begin(), base.end(), parts.begin())) return folder;
  std::string out;
  for (size_t i = base.size(); i < parts.size(); ++i) out += parts[i] + "\\";
  return out;
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && LastSeparator(folder) != folder.size() - 1) folder += '\\';
  return folder;
}

void Refill(HWND dlg, Chooser& c) {
  std::vector<std::string> folders, files;
  std::string where = c.folder.empty() ? "" : c.folder.substr(0, c.folder.size() - 1);
  for (const std::string& name : ListGameDirectory(where)) {
    // A name the code page cannot express came back with '?', which no file name can hold.
    if (name.find('?') != std::string::npos) continue;
    std::string path = c.folder + name;
    if (GamePathIsDirectory(path)) folders.push_back(name + "\\");
    else if (Matches(c, name)) files.push_back(name);
  }
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  c.entries = folders;
  if (!c.folder.empty()) c.entries.insert(c.entries.begin(), "..\\");
  c.entries.insert(c.entries.end(), files.begin(), files.end());
  dlg::SetListEntries(dlg, kChooserList, c.entries);
  SetDlgItemTextA(dlg, kChooserFolder, c.folder.empty() ? "." : c.folder.c_str());
}

void Enter(HWND dlg, Chooser& c, const std::string& entry) {
  if (entry == "..\\") {
    std::string f = c.folder.substr(0, c.folder.size() - 1);
    size_t sep = LastSeparator(f);
    c.folder = sep == std::string::npos ? "" : f.substr(0, sep + 1);
  } else {
    c.folder += entry;
  }
  SetDlgItemTextA(dlg, kChooserName, "");
  Refill(dlg, c);
}

bool HasExtension(const std::string& name) {
  size_t sep = LastSeparator(name);
  size_t dot = name.rfind('.');
  return dot != std::string::npos && (sep == std::string::npos || dot > sep);
}

void Accept(HWND dlg, Chooser& c) {
  char buf[1024];
  GetDlgItemTextA(dlg, kChooserName, buf, sizeof buf);
  std::string name = buf;
  if (name.empty()) return;
  if (name == "..\\" || (LastSeparator(name) == name.size() - 1 && GamePathIsDirectory(c.folder + name))) {
    Enter(dlg, c, name);
    return;
  }
  if (GamePathIsDirectory(c.folder + name)) {
    Enter(dlg, c, name + "\\");
    return;
  }
  std::string path = c.folder + name;
  OPENFILENAMEA& o = *c.ofn;
  if (c.save) {
    if (!HasExtension(name) && o.lpstrDefExt && *o.lpstrDefExt) path += std::string(".") + o.lpstrDefExt;
    if ((o.Flags & OFN_OVERWRITEPROMPT) && GamePathExists(path)) {
      std::string text = path + " already exists.\nDo you want to replace it?";
      if (MessageBoxA(dlg, text.c_str(), o.lpstrTitle ? o.lpstrTitle : "", MB_YESNO | MB_ICONWARNING) != IDYES) return;
    }
  } else if ((o.Flags & OFN_FILEMUSTEXIST) && !GamePathIsFile(path)) {
    std::string text = path + "\nFile not found.\nCheck the file name and try again.";
    MessageBoxA(dlg, text.c_str(), o.lpstrTitle ? o.lpstrTitle : "", MB_OK | MB_ICONWARNING);
    return;
  }
  if (path.size() + 1 > o.nMaxFile) return;
  path.copy(o.lpstrFile, path.size());
  o.lpstrFile[path.size()] = 0;
  EndDialog(dlg, 1);
}

INT_PTR ChooserProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Chooser* c = g_chooser;
  if (!c) return 0;
  switch (msg) {
    case WM_INITDIALOG: {
      if (c->ofn->lpstrTitle) SetWindowTextA(dlg, c->ofn->lpstrTitle);
      std::string start = c->ofn->lpstrFile ? c->ofn->lpstrFile : "";
      size_t sep = LastSeparator(start);
      std::string shown = sep == std::string::npos ? start : start.substr(sep + 1);
      if (sep != std::string::npos) c->folder = StartFolder(start.substr(0, sep + 1));
      Refill(dlg, *c);
      SetDlgItemTextA(dlg, kChooserName, shown.c_str());
      SetFocus(GetDlgItem(dlg, kChooserName));
      SendMessage(GetDlgItem(dlg, kChooserName), EM_SETSEL, 0, -1);
      return 1;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam), code = HIWORD(wParam);
      if (id == IDOK && code == BN_CLICKED) {
        Accept(dlg, *c);
      } else if (id == IDCANCEL && code == BN_CLICKED) {
        EndDialog(dlg, 0);
      } else if (id == kChooserList && code == LBN_SELCHANGE) {
        int sel = dlg::GetListSelection(dlg, kChooserList);
        if (sel >= 0 && sel < static_cast<int>(c->entries.size()))
          SetDlgItemTextA(dlg, kChooserName, c->entries[sel].c_str());
      }
      return 1;
    }
    case WM_CLOSE:
      EndDialog(dlg, 0);
      return 1;
    default:
      return 0;
  }
}

BOOL RunChooser(OPENFILENAMEA* ofn, bool save) {
  if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) return FALSE;
  if (!FindDialogTemplate(kChooserResId)) {
    RegisterDialogTemplate(DlgTemplate{kChooserResId, true, true, "", 260, 200,
                                       {{kChooserFolder, DlgCtl::Static, "", 7, 5, 246, 10},
                                        {kChooserList, DlgCtl::List, "", 7, 17, 246, 130},
                                        {1090, DlgCtl::Static, "File name:", 7, 155, 40, 10},
                                        {kChooserName, DlgCtl::Edit, "", 50, 153, 203, 13},
                                        {IDOK, DlgCtl::DefButton, "OK", 146, 175, 50, 14},
                                        {IDCANCEL, DlgCtl::Button, "Cancel", 203, 175, 50, 14}}});
  }
  Chooser c{ofn, save, WithSeparator(ofn->lpstrInitialDir ? ofn->lpstrInitialDir : ""), {}, {}};
  // The first filter's pattern: the text after the first NUL.
  if (ofn->lpstrFilter) {
    const char* p = ofn->lpstrFilter;
    p += std::char_traits<char>::length(p) + 1;
    c.patterns = SplitPatterns(p);
  }
  Chooser* outer = g_chooser;
  g_chooser = &c;
  INT_PTR r = DialogBoxParamA(nullptr, kChooserResId, ofn->hwndOwner, &ChooserProc, 0);
  g_chooser = outer;
  return r == 1;
}

}  // namespace

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) { return RunChooser(ofn, false); }
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn) { return RunChooser(ofn, true); }
