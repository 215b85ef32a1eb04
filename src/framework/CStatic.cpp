#include "framework/CStatic.h"

#include "framework/CDialog.h"

void CStatic::SetWindowText(const char* text) {
  if (m_pDialog != nullptr) m_pDialog->SetDlgItemText(m_nId, text);
}
