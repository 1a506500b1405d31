// The program's dialogs: the ranking name entry (resource 102), the start-up choice of the drawing
// back end (103) and the invisible host of the file choosers (104); their templates are written in code.
#pragma once
#include <string>
#include <vector>

#include "shell/dialog.h"

constexpr int IDD_NAMEENTRY = 102;
constexpr int IDD_STARTUP = 103;
constexpr int IDD_FILESELECT = 104;

// Registers the three templates (once; every constructor below calls it).
void RegisterAppDialogTemplates();

class cNameEntryDlg : public cDialog {
 public:
  cNameEntryDlg(int resId, cWnd* parent, int dialogFlag, cWndGroup* group);
  ~cNameEntryDlg() override;
  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnInitDialog() override;
  static INT_PTR DlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  struct cEditRecord {
    cEditCtrl ctrl;
    cEditBind bind;
  };
  std::vector<cEditRecord> m_vEdit;
  static cNameEntryDlg* s_pOpen;
};

class cFileSelectDlg : public cDialog {
 public:
  cFileSelectDlg(int resId, cWnd* parent, int dialogFlag, cWndGroup* group, std::string* path, int mode);
  ~cFileSelectDlg() override;
  void OnInitDialog() override;
  static INT_PTR DlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  std::string* m_pPath;
  int32_t m_nMode;
  static cFileSelectDlg* s_pOpen;
};

class cStartupDlg : public cDialog {
 public:
  cStartupDlg(int resId, cWnd* parent, int dialogFlag, cWndGroup* group);
  ~cStartupDlg() override;
  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnInitDialog() override;
  static INT_PTR DlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  struct cCheckRecord {
    cCheckBox ctrl;
    int id;
    int* value;
  };
  struct cRadioRecord {
    cRadioButton ctrl;
    int id;
    int* value;
    int index;
  };
  struct cStaticRecord {
    cStaticCtrl ctrl;
    int id;
  };
  std::vector<cCheckRecord> m_vCheck;
  std::vector<cRadioRecord> m_vRadio;
  std::vector<cStaticRecord> m_vStatic;
  static cStartupDlg* s_pOpen;
};

// The main window's dialog runner: the name entry for WMU_NAMEENTRY, the file chooser of the request's
// mode for the file requests. A whole answer scripted for the dialog's resource replaces running it.
int RunAppRequestDialog(UINT request, WPARAM wParam, std::string& path);
// The start-up dialog over g_StartupSetting (1 Start, 0 Cancel or closed), run while the main window
// is hidden.
int RunAppStartupDialog();
// Installs both runners (start-up calls it before step 9).
void InstallAppDialogs();
