// The application object of our small framework (in place of MFC's CWinApp).
#pragma once

#include "platform/Platform.h"

class CDialog;

class CWinApp {
 public:
  explicit CWinApp(plat::Platform& os) : m_os(os) {}
  virtual ~CWinApp() = default;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The start hook; the program ends when it returns FALSE.
  virtual plat::BOOL InitInstance() { return 0; }
  // Controls have drawn themselves in 3-D since Windows 95: nothing to do.
  void Enable3dControlsStatic() {}

  plat::Platform& m_os;
  CDialog* m_pMainWnd = nullptr;
};

// The dialog hosts no ActiveX controls, so containment needs nothing.
inline void AfxEnableControlContainer() {}
