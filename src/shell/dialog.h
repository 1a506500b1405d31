// Modal dialogs whose controls are bound to the program's data: each control object knows its id, the
// value it shows and how to write the user's input back. A dialog class lists its controls, attaches
// them in OnInitDialog and reacts to its buttons in OnCommand; the framework moves values in and out,
// routes notifications, routes the keys through the keyboard hook and ends the dialog with a result.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shell/hook.h"
#include "shell/wnd.h"

class cDialog;

class cCtrl {
 public:
  virtual ~cCtrl() = default;
  virtual void Enable(BOOL enable);
  virtual void DataToControl() {}
  virtual void ControlToData() {}
  virtual void OnChange() {}
  virtual BOOL OnNotify(WPARAM, LPARAM) { return 0; }
  virtual int OnScroll(UINT, WPARAM, LPARAM) { return 0; }
  virtual void Slot7() {}
  virtual void RefreshList() {}
  virtual void OnKillFocus() {}
  virtual void Redraw() {}
  virtual void OnKeyDown(int, LPARAM, int) {}

  void Attach(cDialog* dlg, int id);
  void UpdatePos();
  void Resize(int w, int h);
  // Whether ControlToData is to stay silent (the owner's DataToControls runs).
  bool Loading() const;

  HWND m_hWnd = nullptr;
  cDialog* m_pDlg = nullptr;
  HWND m_hDlg = nullptr;
  int32_t m_nKind = 0;
  int16_t m_nId = 0;
  int32_t m_nScreenX = 0, m_nScreenY = 0, m_nRelX = 0, m_nRelY = 0;
};

class cStaticCtrl : public cCtrl {
 public:
  cStaticCtrl() { m_nKind = 0; }
};

struct cEditBind {
  int id;
  std::string* pText;
  int maxChars;
  int lineLen;
  int maxLines;
  int dbcs;
};

// The outcome of the edit limits for one change: the text and selection to write back.
struct EditLimitResult {
  std::string text;
  int selStart, selEnd;
};
// The edit limits over a text just changed: `text` and its selection as read from the control, `prev`
// the previously accepted text; the counts as bound (after their defaults). Pure, for tests.
EditLimitResult ApplyEditLimits(const std::string& text, int selStart, int selEnd, const std::string& prev,
                                int lineLen, int maxLines, int dbcs, bool initialFill, bool backspaceHeld);

class cEditCtrl : public cCtrl {
 public:
  cEditCtrl() { m_nKind = 3; }
  void Bind(cDialog* dlg, const cEditBind& bind);
  void DataToControl() override;
  void ControlToData() override;
  void OnChange() override;
  int BufferSize() const { return m_bDbcs ? 2 * m_nMaxChars - 1 : m_nMaxChars; }

  std::string* m_pText = nullptr;
  int32_t m_nMaxChars = 4096;
  int32_t m_bDbcs = 0;
  int32_t m_nLineLen = 1024;
  int32_t m_nMaxLines = 32;
  int32_t m_bInitialFill = 0;
  std::string m_strPrev;
  int32_t m_nSelStart = 0, m_nSelEnd = 0;
  int32_t m_bInChange = 0;
};

class cCheckBox : public cCtrl {
 public:
  cCheckBox() { m_nKind = 5; }
  void Bind(cDialog* dlg, int id, int* value);
  void DataToControl() override;
  void ControlToData() override;
  int* m_pValue = nullptr;
};

class cRadioButton : public cCtrl {
 public:
  cRadioButton() { m_nKind = 6; }
  void Bind(cDialog* dlg, int id, int* value, int index);
  void DataToControl() override;
  void ControlToData() override;
  int* m_pValue = nullptr;
  int32_t m_nIndex = 0;
};

// List kinds, named by the routing; no dialog of the program has one.
class cListCtrl : public cCtrl {
 public:
  explicit cListCtrl(int kind) { m_nKind = kind; }
};

class cScrollCtrl : public cCtrl {
 public:
  cScrollCtrl() { m_nKind = 11; }
  int32_t m_nMin = 0, m_nMax = 0, m_nPage = 0, m_nPos = 0;
};

class cCanvasCtrl : public cCtrl {
 public:
  cCanvasCtrl() { m_nKind = 4; }
};

class cDialog : public cWnd {
 public:
  cDialog();
  ~cDialog() override;

  void Create(int resId, cWnd* parent, int dialogFlag, cWndGroup* group);
  int DoModal(int flags);
  void End(int result);
  void DataToControls();
  void ControlsToData();
  void RefreshLists() override;
  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  int DefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The procedure every dialog class uses: WM_DESTROY handled, WM_CLOSE ends with 0, else DefProc.
  LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  virtual void OnInitDialog();

  // The class's dialog procedure forwards here; `self` is the open dialog of that class.
  static INT_PTR Dispatch(cDialog* self, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The control of the list with this id, or null after the Part's report.
  static void ReportMissingControl(unsigned id);

  WNDPROC m_pfnOrgProc = nullptr;
  cHook m_Hook;
  cCanvasCtrl* m_pContent = nullptr;
  int32_t m_bModeless = 0;
  int32_t m_nModalFlags = 0;
  int32_t m_nResult = 0;
  cScrollCtrl m_HScroll, m_VScroll;
  int32_t m_bLoading = 0;
  std::vector<cCtrl*> m_vCtrl;
  int32_t m_bHookWasInstalled = 0;
};

// A dialog item's text read or written as a string: a 5120-byte buffer, at most
// maximum - 1 bytes kept.
void GetDlgItemString(HWND dlg, int id, std::string& out, int maximum);
void SetDlgItemString(HWND dlg, int id, const std::string& text);
