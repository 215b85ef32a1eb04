#include "framework/DataExchange.h"

#include "framework/CStatic.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CStatic& control) {
  if (!control.IsBound()) control.Bind(pDX->m_pDlgWnd, nIDC);
}
