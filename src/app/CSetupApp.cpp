#include "app/CSetupApp.h"

#include "app/CSetupDlg.h"
#include "common/PackageFlavour.h"
#include "install/InstallPaths.h"

namespace {

constexpr const char* kSettingsFile = "\\ZorpInputs.ini";
constexpr const char* kSettingsSection = "DisplayError";
constexpr const char* kSettingsKey = "Display";
constexpr int kDefaultDisplayError = 1;

}  // namespace

CSetupApp::CSetupApp(plat::Platform& os) : CWinApp(os) {}

plat::BOOL CSetupApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControlsStatic();

  DetectOSFlavour();
  ReadSettings();

  CSetupDlg dialog(m_os, *this);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  // The dialog dies with this scope; no pointer to it may outlive it.
  m_pMainWnd = nullptr;
  return 0;
}

int CSetupApp::DetectOSFlavour() {
  if (QueryOsFlavour(m_os.system, &m_bWin2kXp)) return 1;
  // The DisplayError setting is not read yet, so this box always shows.
  m_os.ui.AfxMessageBox(kOsVersionErrorText, plat::kMbOk | plat::kMbIconExclamation);
  return 0;
}

int CSetupApp::ReadSettings() {
  PathBuffer medium;
  PathBuffer path;
  if (ReadMediumPath(m_os.system, &medium))
    path = JoinPath(medium, FlavourSubfolder(m_bWin2kXp), kSettingsFile);
  // A settings path that cannot be formed is read as a missing file.
  if (!path.Valid() || path.Empty()) {
    m_nDisplayError = kDefaultDisplayError;
  } else {
    m_nDisplayError = static_cast<int>(m_os.profile.GetPrivateProfileIntA(
        kSettingsSection, kSettingsKey, kDefaultDisplayError, path.c_str()));
  }
  return m_nDisplayError;
}
