#include "shell/appdialogs.h"

#include <cstdio>

#include "core/mainwnd.h"
#include "core/text.h"
#include "gamedata/datapath.h"
#include "gamedata/option.h"
#include "gamedata/replay.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "scenes/app.h"
#include "scenes/sceneplay.h"
#include "shell/appinit.h"
#include "shell/filedialog.h"
#include "shell/mainwnd.h"
#include "shell/startupsetting.h"

cNameEntryDlg* cNameEntryDlg::s_pOpen = nullptr;
cFileSelectDlg* cFileSelectDlg::s_pOpen = nullptr;
cStartupDlg* cStartupDlg::s_pOpen = nullptr;

namespace {

// The main window as the dialogs see it. Dialogs are laid out in the picture's coordinates, where the
// main window's client area starts at (0, 0), in a window and in full screen alike.
cWnd& MainFrame() {
  static cWnd frame;
  frame.m_hWnd = g_hMainWnd;
  frame.m_nX = 0;
  frame.m_nY = 0;
  return frame;
}

// The name the name entry edits: the options' ranking name when the options were entered from the
// title, else the play scene's, else none.
std::string* NameEntryTarget() {
  if (cApp::m_nPlayMode == 5) return &g_OptionData.m_strRankName;
  if (g_pScenePlay) return &g_pScenePlay->m_strRankName;
  return nullptr;
}

void DefaultLayout(cWnd& w) { w.SetLayout(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0); }

}  // namespace

void RegisterAppDialogTemplates() {
  if (FindDialogTemplate(IDD_NAMEENTRY)) return;
  RegisterDialogTemplate(DlgTemplate{IDD_NAMEENTRY, true, false, nullptr, 110, 65,
                                     {{1075, DlgCtl::Picture, "", 0, 0, 110, 65},
                                      {1003, DlgCtl::Edit, "", 75, 12, 24, 14},
                                      {1000, DlgCtl::DefButton, "OK", 30, 35, 50, 18},
                                      {1007, DlgCtl::Static, "登録名(3文字まで)", 15, 15, 56, 16}}});
  RegisterDialogTemplate(DlgTemplate{
      IDD_STARTUP, true, true, nullptr, 222, 171,
      {{1075, DlgCtl::Picture, "", 0, 0, 222, 171},
       {1000, DlgCtl::DefButton, "ゲーム開始", 80, 105, 50, 25},
       {1001, DlgCtl::Button, "ゲーム中止", 80, 140, 50, 18},
       {1006, DlgCtl::Group, "描画モード", 15, 15, 190, 55},
       {1002, DlgCtl::Radio, "Direct3D", 20, 30, 42, 10},
       {1003, DlgCtl::Radio, "DirectDraw", 80, 30, 45, 10},
       {1005, DlgCtl::Static, "詳細な設定は環境設定ファイル「System.ini」で行って下さい。", 20, 50, 177, 12},
       {1004, DlgCtl::Check, "次回からこのダイアログを表示しない", 50, 85, 120, 10}}});
  RegisterDialogTemplate(
      DlgTemplate{IDD_FILESELECT, false, true, "ファイルの選択", 53, 35, {{1075, DlgCtl::Picture, "", 0, 0, 53, 35}}});
}

// ---- name entry ----

cNameEntryDlg::cNameEntryDlg(int resId, cWnd* parent, int dialogFlag, cWndGroup* group) {
  RegisterAppDialogTemplates();
  Create(resId, parent, dialogFlag, group);
  s_pOpen = this;
  m_pfnProc = &cNameEntryDlg::DlgProc;
  DefaultLayout(*this);
  int baseX = parent ? parent->m_nX : 0, baseY = parent ? parent->m_nY : 0;
  m_nPlaceX = g_bWindowed ? baseX + 240 : 240;
  m_nPlaceY = g_bWindowed ? baseY + 220 : 220;
  SetCursorPos(m_nPlaceX + 80, m_nPlaceY + 65);
  if (std::string* name = NameEntryTarget()) m_vEdit.push_back(cEditRecord{cEditCtrl(), cEditBind{1003, name, 4, 3, 1, 1}});
}

cNameEntryDlg::~cNameEntryDlg() {
  if (s_pOpen == this) s_pOpen = nullptr;
}

INT_PTR cNameEntryDlg::DlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Dispatch(s_pOpen, hwnd, msg, wParam, lParam);
}

void cNameEntryDlg::OnInitDialog() {
  cDialog::OnInitDialog();
  for (cEditRecord& rec : m_vEdit) {
    rec.ctrl.Bind(this, rec.bind);
    m_vCtrl.push_back(&rec.ctrl);
  }
  DataToControls();
  if (!m_vEdit.empty()) {
    SetFocus(m_vEdit[0].ctrl.m_hWnd);
    SendMessage(m_vEdit[0].ctrl.m_hWnd, EM_SETSEL, 0, -1);
  }
  if (g_SystemIni.English) SetDlgItemTextA(m_hWnd, 1007, "     Name");
  m_bInited = 1;
}

void cNameEntryDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  cDialog::OnCommand(wParam, lParam);
  switch (LOWORD(wParam)) {
    case 1000:
      ControlsToData();
      End(1);
      break;
    case 1001:
      End(0);
      break;
    default:
      break;
  }
}

// ---- file select ----

cFileSelectDlg::cFileSelectDlg(int resId, cWnd* parent, int dialogFlag, cWndGroup* group, std::string* path,
                               int mode)
    : m_pPath(path), m_nMode(mode) {
  RegisterAppDialogTemplates();
  Create(resId, parent, dialogFlag, group);
  s_pOpen = this;
  m_pfnProc = &cFileSelectDlg::DlgProc;
  DefaultLayout(*this);
}

cFileSelectDlg::~cFileSelectDlg() {
  if (s_pOpen == this) s_pOpen = nullptr;
}

INT_PTR cFileSelectDlg::DlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Dispatch(s_pOpen, hwnd, msg, wParam, lParam);
}

void cFileSelectDlg::OnInitDialog() {
  cDialog::OnInitDialog();
  DataToControls();
  char buf[260] = {};
  int chosen = 0;
  const bool english = g_SystemIni.English != 0;
  // Filters: name, NUL, pattern, NUL, NUL.
  static const char kStageFilter[] = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0";
  static const char kReplayFilter[] = "ReplayFile ( *.rpl4_* )\0*.rpl4_*\0";
  if (m_nMode == 0) {
    chosen = OpenFileDialog(m_hWnd, buf, sizeof buf, "data\\stg4\\",
                            english ? "load stage file" : "ステージファイルの読み込み", kStageFilter, "stg4_*;rpl4_*",
                            0, nullptr);
  } else if (m_nMode == 1) {
    chosen = OpenFileDialog(m_hWnd, buf, sizeof buf, "user_data\\rpl4",
                            english ? "load replay file" : "リプレイファイルの読み込み", kReplayFilter, "rpl4_*", 0,
                            nullptr);
  } else if (m_nMode == 2) {
    std::string ext = StrPrintf("rpl4_%s", StrPrintf("%d", kDataVersion).c_str());
    std::string filter = StrPrintf("ReplayFile ( *.%s )", ext.c_str());
    filter.push_back('\0');
    filter += StrPrintf("*.%s", ext.c_str());
    filter.push_back('\0');
    filter.push_back('\0');
    std::string given = m_pPath ? SjisCut(*m_pPath, sizeof buf - 1) : std::string();
    given.copy(buf, given.size());
    buf[given.size()] = 0;
    chosen = SaveFileDialog(m_hWnd, buf, "user_data\\rpl4\\", english ? "save replay file" : "リプレイファイルの保存",
                            filter.c_str(), ext.c_str(), 1);
  }
  if (m_pPath) *m_pPath = chosen ? buf : "";
  End(chosen ? 1 : 0);
  m_bInited = 1;
}

// ---- start-up ----

cStartupDlg::cStartupDlg(int resId, cWnd* parent, int dialogFlag, cWndGroup* group) {
  RegisterAppDialogTemplates();
  Create(resId, parent, dialogFlag, group);
  s_pOpen = this;
  m_pfnProc = &cStartupDlg::DlgProc;
  DefaultLayout(*this);
  double baseX = parent ? parent->m_nX : 0, baseY = parent ? parent->m_nY : 0;
  m_nPlaceX = static_cast<int>(baseX + 320 - 187);
  m_nPlaceY = static_cast<int>(baseY + 240 - 136);
  SetCursorPos(static_cast<int>(m_nPlaceX + 181.9), static_cast<int>(m_nPlaceY + 198.9));
  m_vRadio.push_back(cRadioRecord{cRadioButton(), 1002, &g_StartupSetting.m_nDrawMode, 1});
  m_vRadio.push_back(cRadioRecord{cRadioButton(), 1003, &g_StartupSetting.m_nDrawMode, 0});
  m_vCheck.push_back(cCheckRecord{cCheckBox(), 1004, &g_StartupSetting.m_bNoAsk});
  m_vStatic.push_back(cStaticRecord{cStaticCtrl(), 1005});
}

cStartupDlg::~cStartupDlg() {
  if (s_pOpen == this) s_pOpen = nullptr;
}

INT_PTR cStartupDlg::DlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Dispatch(s_pOpen, hwnd, msg, wParam, lParam);
}

void cStartupDlg::OnInitDialog() {
  cDialog::OnInitDialog();
  SetText(g_SystemData.m_strTitle.c_str());
  for (cRadioRecord& r : m_vRadio) {
    r.ctrl.Bind(this, r.id, r.value, r.index);
    m_vCtrl.push_back(&r.ctrl);
  }
  for (cCheckRecord& r : m_vCheck) {
    r.ctrl.Bind(this, r.id, r.value);
    m_vCtrl.push_back(&r.ctrl);
  }
  for (cStaticRecord& r : m_vStatic) {
    r.ctrl.Attach(this, r.id);
    m_vCtrl.push_back(&r.ctrl);
  }
  DataToControls();
  if (g_SystemIni.English) {
    SetDlgItemTextA(m_hWnd, 1006, "Drawing mode");
    SetDlgItemTextA(m_hWnd, 1000, "Start");
    SetDlgItemTextA(m_hWnd, 1001, "Cancel");
    cStaticCtrl* note = nullptr;
    for (cStaticRecord& r : m_vStatic)
      if (r.id == 1005) note = &r.ctrl;
    if (note) SetDlgItemTextA(m_hWnd, 1005, "Configure the detail settings at \"System.ini\".");
    else ReportMissingControl(1005);
    cCheckBox* noAsk = nullptr;
    for (cCheckRecord& r : m_vCheck)
      if (r.id == 1004) noAsk = &r.ctrl;
    if (noAsk) SetDlgItemTextA(m_hWnd, 1004, "Do not ask this dialog again");
    else ReportMissingControl(1004);
  }
  m_bInited = 1;
}

void cStartupDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  cDialog::OnCommand(wParam, lParam);
  switch (LOWORD(wParam)) {
    case 1000:
      ControlsToData();
      g_StartupSetting.Save(g_DataPath[DATAPATH_BOOT]);  // a failed write is not reported
      End(1);
      break;
    case 1001:
      End(0);
      break;
    default:
      break;
  }
}

// ---- runners ----

int RunAppRequestDialog(UINT request, WPARAM, std::string& path) {
  const bool nameEntry = request == WMU_NAMEENTRY;
  dlg::WholeAnswer answer;
  if (dlg::TakeWholeAnswer(nameEntry ? IDD_NAMEENTRY : IDD_FILESELECT, &answer)) {
    if (nameEntry) {
      if (std::string* name = NameEntryTarget(); name && answer.result) *name = answer.text;
    } else {
      path = answer.result ? answer.text : std::string();
    }
    return answer.result;
  }
  if (nameEntry) {
    cNameEntryDlg dlg(IDD_NAMEENTRY, &MainFrame(), 1, &g_WndGroup);
    return dlg.DoModal(0);
  }
  int mode = request == WMU_OPENSTAGE ? 0 : request == WMU_OPENREPLAY ? 1 : request == WMU_SAVEREPLAY ? 2 : -1;
  cFileSelectDlg dlg(IDD_FILESELECT, &MainFrame(), 1, &g_WndGroup, &path, mode);
  return dlg.DoModal(0);
}

int RunAppStartupDialog() {
  dlg::WholeAnswer answer;
  if (dlg::TakeWholeAnswer(IDD_STARTUP, &answer)) {
    // The text, when given, is the choice: "<drawing mode> <no-ask>".
    int mode = 0, noAsk = 0;
    if (answer.result && std::sscanf(answer.text.c_str(), "%d %d", &mode, &noAsk) == 2) {
      g_StartupSetting.m_nDrawMode = mode;
      g_StartupSetting.m_bNoAsk = noAsk;
      g_StartupSetting.Save(g_DataPath[DATAPATH_BOOT]);
    }
    return answer.result;
  }
  cStartupDlg dlg(IDD_STARTUP, &MainFrame(), 1, &g_WndGroup);
  return dlg.DoModal(0);
}

void InstallAppDialogs() {
  RegisterAppDialogTemplates();
  SetRequestDialogRunner(&RunAppRequestDialog);
  SetStartupDialogHandler([](cStartupSetting&) { return RunAppStartupDialog(); });
}
