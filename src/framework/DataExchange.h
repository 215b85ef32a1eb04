// Dialog data exchange: binds member controls to the dialog's control ids.
#pragma once

#include "platform/Win32Types.h"

class CDialog;
class CStatic;

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, plat::BOOL saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

  CDialog* m_pDlgWnd;
  plat::BOOL m_bSaveAndValidate;
};

// Binds control to the dialog's control nIDC (once; later exchanges keep the binding).
void DDX_Control(CDataExchange* pDX, int nIDC, CStatic& control);
