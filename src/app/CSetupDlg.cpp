#include "app/CSetupDlg.h"

#include "framework/DataExchange.h"
#include "framework/ResourceString.h"
#include "res/StringTable.h"

namespace {

constexpr const char* kRebootNowText = "Reboot Now";
constexpr const char* kRebootLaterText = "Reboot Later";
constexpr const char* kShutdownPrivilege = "SeShutdownPrivilege";
constexpr plat::DWORD kRestartReason = 0xFFFFFFFFu;

constexpr plat::UINT kReadyText = 1;
constexpr plat::UINT kRestartText = 3;
constexpr plat::UINT kDeclinedText = 4;
constexpr plat::UINT kFailedText = 5;
constexpr plat::UINT kCompletedText = 6;
constexpr plat::UINT kInstallingText = 7;

}  // namespace

CSetupDlg::CSetupDlg(plat::Platform& os, const CSetupApp& app, CDialog* parent)
    : CDialog(os, kTemplateId, parent), m_installer(os, app) {}

void CSetupDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, kStatusTextId, m_statusText);
}

void CSetupDlg::Attach(plat::IDialogWindow* window) {
  CDialog::Attach(window);
  // Icons come from the program's resources, reached through the window.
  if (window != nullptr && m_hIcon == 0) m_hIcon = window->LoadIconA(kMainIconId);
}

plat::BOOL CSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (plat::IDialogWindow* window = Window()) {
    window->SetIcon(plat::kIconBig, m_hIcon);
    window->SetIcon(plat::kIconSmall, m_hIcon);
  }
  ShowStatus(kReadyText);
  // The system puts the focus on the first tab stop, the Install button.
  return 1;
}

void CSetupDlg::OnPaint() {
  plat::IDialogWindow* window = Window();
  if (window == nullptr || !window->IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  int iconWidth = window->GetSystemMetrics(plat::kSmCxIcon);
  int iconHeight = window->GetSystemMetrics(plat::kSmCyIcon);
  plat::Rect client = window->GetClientRect();
  int x = (client.right - client.left - iconWidth + 1) / 2;
  int y = (client.bottom - client.top - iconHeight + 1) / 2;
  window->PaintIcon(m_hIcon, x, y);
}

plat::Icon CSetupDlg::OnQueryDragIcon() { return m_hIcon; }

void CSetupDlg::OnOK() {
  EnableDlgItem(kInstallId, 0);
  EnableDlgItem(kExitId, 0);

  if (m_nInstallMode == 0) {
    // "Reboot Now". A refused privilege or restart is not reported: the program ends anyway.
    m_installer.EnablePrivilege(kShutdownPrivilege);
    m_os.process.ExitWindowsEx(plat::kEwxShutdown | plat::kEwxReboot, kRestartReason);
    CDialog::OnOK();
    return;
  }

  ShowStatus(kInstallingText);
  int result = m_installer.RunInstallation() & 0xFFFF;
  switch (result) {
    case 1:
      ShowStatus(kRestartText);
      if (m_installer.IsRebootNeeded()) {
        EnableDlgItem(kInstallId, 1);
        EnableDlgItem(kExitId, 1);
        GotoDlgCtrl(kInstallId);
        SetDlgItemText(kInstallId, kRebootNowText);
        SetDlgItemText(kExitId, kRebootLaterText);
        m_nInstallMode = 0;
      } else {
        EnableDlgItem(kExitId, 1);
        GotoDlgCtrl(kExitId);
        ShowStatus(kCompletedText);
      }
      break;
    case 2:
      ShowStatus(kDeclinedText);
      EnableDlgItem(kExitId, 1);
      GotoDlgCtrl(kExitId);
      break;
    case 0:
      ShowStatus(kFailedText);
      EnableDlgItem(kExitId, 1);
      GotoDlgCtrl(kExitId);
      break;
    default:
      break;
  }
}

void CSetupDlg::OnCommand(int controlId, int notifyCode) {
  if (controlId == kExitId && notifyCode == plat::kBnClicked) OnExit();
}

void CSetupDlg::OnExit() { CDialog::OnCancel(); }

// Escape and close requests must not end the dialog: only Exit or the restart does.
void CSetupDlg::OnCancel() {}

void CSetupDlg::ShowStatus(plat::UINT stringId) {
  m_statusText.SetWindowText(
      LoadResourceString(m_os.ui, stringId, res::kStrings[stringId]).c_str());
}
