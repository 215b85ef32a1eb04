#include "install/CDriverInstaller.h"

#include "app/CSetupApp.h"
#include "common/PackageFlavour.h"
#include "framework/ResourceString.h"
#include "remove/CDriverRemover.h"
#include "res/StringTable.h"

namespace {

constexpr plat::UINT kQuestionStringId = 2;
constexpr const char* kQuestionCaption = "UsbZorp Installer";
constexpr const char* kCreateFolderErrorText = "Error: Error In creating the directory";

}  // namespace

CDriverInstaller::CDriverInstaller(plat::Platform& os, const CSetupApp& app)
    : m_os(os), m_app(app) {}

CDriverInstaller::~CDriverInstaller() = default;

int CDriverInstaller::RunInstallation() {
  DetectOSFlavour();

  if (IsDriverInstalled()) {
    std::string question =
        LoadResourceString(m_os.ui, kQuestionStringId, res::kStrings[kQuestionStringId]);
    int answer =
        m_os.ui.MessageBoxA(plat::kNoWindow, question.c_str(), kQuestionCaption, plat::kMbOkCancel);
    // Only a plain OK removes anything: Cancel, Escape or a box that could not be
    // shown (0) all leave the earlier installation in place.
    if (answer != plat::kIdOk) return 2;
    RunRemoval();
    m_bRebootNeeded = 1;
  }

  // The removal has deleted the old staging folder; it is built afresh here.
  DeleteOldUninstaller();
  if (!CreateStagingFolder()) {
    ShowError(kCreateFolderErrorText);
    return 0;
  }
  if (!StagePackage()) return 0;
  return DeployDrivers() ? 1 : 0;
}

int CDriverInstaller::RunRemoval() {
  CDriverRemover remover(m_os, m_app);
  remover.m_bWin2kXp = m_bWin2kXp;
  remover.RemovePreviousInstallation();
  return 1;
}

int CDriverInstaller::DetectOSFlavour() {
  if (QueryOsFlavour(m_os.system, &m_bWin2kXp)) return 1;
  ShowError(kOsVersionErrorText);
  return 0;
}

int CDriverInstaller::EnablePrivilege(const char* privilegeName) {
  // Windows 98/Me has no process token to adjust.
  if (!m_bWin2kXp) return 1;

  plat::Handle token = 0;
  if (!m_os.process.OpenProcessToken(plat::kTokenAdjustPrivileges, &token))
    return m_os.system.GetLastError() == plat::kErrorCallNotImplemented ? 1 : 0;

  plat::TokenPrivileges1 privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Attributes = plat::kSePrivilegeEnabled;
  if (!m_os.process.LookupPrivilegeValueA(nullptr, privilegeName, &privileges.luid)) {
    m_os.system.CloseHandle(token);
    return 0;
  }
  plat::BOOL adjusted = m_os.process.AdjustTokenPrivileges(token, 0, &privileges);
  m_os.system.CloseHandle(token);
  return adjusted;
}

void CDriverInstaller::ShowError(const char* text) {
  if (m_app.m_nDisplayError != 0)
    m_os.ui.AfxMessageBox(text, plat::kMbOk | plat::kMbIconExclamation);
}
