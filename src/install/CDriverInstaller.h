// The installation engine: the sequence behind the Install button, staging and
// verification of the package, detection of an earlier installation, and (in
// deploy/) the deployment of the driver set.
#pragma once

#include "platform/Platform.h"

class CSetupApp;

class CDriverInstaller {
 public:
  CDriverInstaller(plat::Platform& os, const CSetupApp& app);
  virtual ~CDriverInstaller();
  CDriverInstaller(const CDriverInstaller&) = delete;
  CDriverInstaller& operator=(const CDriverInstaller&) = delete;

  // The sequence: 0 failed, 1 installed, 2 update declined.
  int RunInstallation();
  int IsRebootNeeded() const { return m_bRebootNeeded; }
  int EnablePrivilege(const char* privilegeName);
  int DetectOSFlavour();
  int IsDriverInstalled();
  int RunRemoval();

  // Staging and verification.
  void DeleteOldUninstaller();
  int CreateStagingFolder();
  int StagePackage();
  int StageWin98MeSet();
  int StageWin2kXpSet();

  // Deployment.
  int DeployDrivers();
  int DeployWin98MeSet();
  int DeployWin2kXpSet();
  int CopyInfFile(const char* name);
  int CopyDriverFile(const char* name);
  int CopyApplicationFile(const char* name);
  int CopyUninstaller(const char* name);
  int RegisterDebugMessageService();
  int CreateDesktopShortcut(const char* name);
  plat::DWORD ClearPrinterBidiAttribute();
  void DeleteDriverIndexCache();

  int m_bWin2kXp = 0;
  int m_bRebootNeeded = 0;

 private:
  // The framework's error box, shown only while the DisplayError setting is on.
  void ShowError(const char* text);

  plat::Platform& m_os;
  const CSetupApp& m_app;
};
