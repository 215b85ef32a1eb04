#include "framework/CDialog.h"

#include "framework/DataExchange.h"

int CDialog::DoModal() {
  int result = m_os.ui.DoModal(m_nIDTemplate, *this);
  // The window is gone once DoModal returns; nothing may reach it any more.
  m_pWindow = nullptr;
  return result;
}

void CDialog::Attach(plat::IDialogWindow* window) { m_pWindow = window; }

plat::BOOL CDialog::OnInitDialog() {
  UpdateData(0);
  return 1;
}

void CDialog::OnOK() {
  if (!UpdateData(1)) return;
  EndDialog(plat::kIdOk);
}

void CDialog::OnCancel() { EndDialog(plat::kIdCancel); }

void CDialog::OnPaint() {
  if (m_pWindow != nullptr) m_pWindow->DefaultPaint();
}

plat::BOOL CDialog::UpdateData(plat::BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return 1;
}

void CDialog::EndDialog(int result) {
  if (m_pWindow != nullptr) m_pWindow->EndDialog(result);
}

void CDialog::SetDlgItemText(int id, const char* text) {
  if (m_pWindow != nullptr) m_pWindow->SetDlgItemTextA(id, text);
}

void CDialog::EnableDlgItem(int id, plat::BOOL enable) {
  if (m_pWindow != nullptr) m_pWindow->EnableDlgItem(id, enable);
}

void CDialog::GotoDlgCtrl(int id) {
  if (m_pWindow != nullptr) m_pWindow->SetFocusToDlgItem(id);
}
