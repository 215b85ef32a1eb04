// The program's application object: decides the flavour for the settings file,
// reads the DisplayError setting and runs the setup dialog.
#pragma once

#include "framework/CWinApp.h"

class CSetupApp : public CWinApp {
 public:
  explicit CSetupApp(plat::Platform& os);

  plat::BOOL InitInstance() override;
  int DetectOSFlavour();
  int ReadSettings();

  int m_nDisplayError = 0;
  int m_bWin2kXp = 0;
};
