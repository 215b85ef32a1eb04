// The program's only window: a status text, the Install button (later "Reboot
// Now") and the Exit button (later "Reboot Later").
#pragma once

#include "framework/CDialog.h"
#include "framework/CStatic.h"
#include "install/CDriverInstaller.h"

class CSetupApp;

class CSetupDlg : public CDialog {
 public:
  static constexpr int kTemplateId = 102;
  static constexpr int kStatusTextId = 1000;
  static constexpr int kInstallId = plat::kIdOk;
  static constexpr int kExitId = 1001;
  static constexpr int kMainIconId = 128;

  CSetupDlg(plat::Platform& os, const CSetupApp& app, CDialog* parent = nullptr);

  void DoDataExchange(CDataExchange* pDX) override;
  void Attach(plat::IDialogWindow* window) override;
  plat::BOOL OnInitDialog() override;
  void OnPaint() override;
  plat::Icon OnQueryDragIcon() override;
  void OnOK() override;
  void OnCancel() override;
  // The message map: BN_CLICKED of control 1001 goes to OnExit.
  void OnCommand(int controlId, int notifyCode) override;
  void OnExit();

  // 1 while the Install button installs, 0 once it restarts Windows instead.
  int InstallMode() const { return m_nInstallMode; }

  CStatic m_statusText;
  plat::Icon m_hIcon = 0;
  CDriverInstaller m_installer;

 private:
  void ShowStatus(plat::UINT stringId);

  int m_nInstallMode = 1;
};
