// The modal dialog of our small framework (in place of MFC's CDialog). The
// platform's window procedure routes the dialog's messages to the IDialogEvents
// overrides; the handlers act on the window through the IDialogWindow it attached.
#pragma once

#include "platform/Platform.h"

class CDataExchange;

class CDialog : public plat::IDialogEvents {
 public:
  CDialog(plat::Platform& os, int templateId, CDialog* parent = nullptr)
      : m_os(os), m_nIDTemplate(templateId), m_pParentWnd(parent) {}
  ~CDialog() override = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the template modally; the value given to EndDialog, -1 when it could not run.
  virtual int DoModal();

  // The framework's defaults.
  void Attach(plat::IDialogWindow* window) override;
  plat::BOOL OnInitDialog() override;  // the data exchange into the controls
  void OnOK() override;                // data exchange back, then EndDialog(IDOK)
  void OnCancel() override;            // EndDialog(IDCANCEL)
  void OnCommand(int controlId, int notifyCode) override {}
  void OnPaint() override;
  plat::Icon OnQueryDragIcon() override { return 0; }
  virtual void DoDataExchange(CDataExchange* pDX) {}

  // Runs DoDataExchange; saveAndValidate true reads the controls back.
  plat::BOOL UpdateData(plat::BOOL saveAndValidate = 1);
  void EndDialog(int result);

  // The window while the dialog runs, null before and after.
  plat::IDialogWindow* Window() const { return m_pWindow; }

  // Control helpers; they do nothing while no window exists.
  void SetDlgItemText(int id, const char* text);
  void EnableDlgItem(int id, plat::BOOL enable);
  void GotoDlgCtrl(int id);

 protected:
  plat::Platform& m_os;

 private:
  int m_nIDTemplate;
  CDialog* m_pParentWnd;
  plat::IDialogWindow* m_pWindow = nullptr;
};
