// The staging folder on the Windows drive, the copy of the package into it
// (which proves the package complete) and the old uninstaller's removal.
#include <cstring>

#include "common/FileHelpers.h"
#include "common/PackageFlavour.h"
#include "common/SetupFolders.h"
#include "install/CDriverInstaller.h"
#include "install/InstallPaths.h"

namespace {

constexpr const char* kUninstaller = "\\VyxUnst.exe";
constexpr const char* kSetupProgram = "\\Setup.exe";
constexpr const char* kComponentMissingText =
    "Error: All Component of the setup package are not present";

struct StagedFile {
  const char* name;
  bool required;
};

constexpr StagedFile kWin98MeSet[] = {
    {"\\vyxUsbSr.inf", true},          {"\\vyxuSrPt.inf", true},    {"\\VyxUsbSr.sys", true},
    {"\\TRQENUM.vxd", true},           {"\\VYXUPRPT.vxd", true},    {"\\VYXUSRPT.vxd", true},
    {"\\VyxUsbPrintConfig.exe", true}, {"\\ZorpInputs.ini", false}, {"\\dbgmsgcfg.dll", false},
    {"\\msvcp60.dll", false},          {"\\VyxUPar.exe", true},     {"\\Config.ini", false},
    {"\\monitor.exe", false},          {"\\DbgMsg9X.sys", false},
};

constexpr StagedFile kWin2kXpSet[] = {
    {"\\VyxUPort.inf", true},
    {"\\VyxUComp.inf", true},
    {"\\vyxuport.sys", true},
    {"\\DbgMsg.sys", true},
    {"\\VyxUSBSerPropPage.dll", true},
    {"\\VyxUSBParPropPage.dll", true},
    {"\\dbgmsgcfg.dll", true},
    {"\\msvcp60.dll", true},
    {"\\monitor.exe", true},
    {"\\VyxUSBParallel.exe", true},
    {"\\VyxUSBSerial.exe", true},
    {"\\SerialMP.exe", true},
    {"\\Config.ini", true},
    {"\\VyxUsbPrintConfig.exe", true},
    {"\\ZorpInputs.ini", false},
};

// The file copy helper on two built paths; a path that does not fit is a failed copy.
bool CopyStaged(plat::IFileSystem& files, const PathBuffer& source, const PathBuffer& target) {
  if (!source.Valid() || !target.Valid()) return false;
  return CopyFileWritable(files, source.c_str(), target.c_str(), 0) != 0;
}

enum class StageResult { kComplete, kUninstallerMissing, kComponentMissing };

template <std::size_t N>
StageResult StageSet(plat::Platform& os, const char* subfolder, const StagedFile (&set)[N]) {
  PathBuffer medium;
  PathBuffer staging;
  bool mediumRead = ReadMediumPath(os.system, &medium);
  bool stagingRead = ReadStagingPath(os.system, &staging);
  if (!mediumRead || !stagingRead) return StageResult::kUninstallerMissing;

  if (!CopyStaged(os.files, JoinPath(medium, kUninstaller), JoinPath(staging, kUninstaller)))
    return StageResult::kUninstallerMissing;

  for (const StagedFile& file : set) {
    bool copied = CopyStaged(os.files, JoinPath(medium, subfolder, file.name),
                             JoinPath(staging, subfolder, file.name));
    if (!copied && file.required) return StageResult::kComponentMissing;
  }
  return StageResult::kComplete;
}

}  // namespace

void CDriverInstaller::DeleteOldUninstaller() {
  PathBuffer system;
  // Without the system folder there is no uninstaller to name.
  if (ReadSystemFolder(m_os.system, &system) == 0 || system.Empty()) return;
  PathBuffer uninstaller = JoinPath(system, kUninstaller);
  if (uninstaller.Valid()) RemoveFile(m_os.files, uninstaller.c_str());
}

int CDriverInstaller::CreateStagingFolder() {
  PathBuffer staging;
  if (!ReadStagingPath(m_os.system, &staging)) return 0;

  if (!m_os.files.CreateDirectoryA(staging.c_str())) {
    // Whatever stands there (mostly the folder of an earlier run) goes, content and all.
    char list[plat::kMaxPath + 1] = {};
    std::memcpy(list, staging.c_str(), staging.Length());
    plat::ShFileOpStructA operation{};
    operation.hwnd = m_os.ui.MainWindow();
    operation.wFunc = plat::kFoDelete;
    operation.pFrom = list;
    operation.pTo = nullptr;
    operation.fFlags = plat::kFofNoConfirmation | plat::kFofNoErrorUi;
    operation.lpszProgressTitle = m_os.ui.AppTitle();
    m_os.shell.SHFileOperationA(&operation);
    if (!m_os.files.CreateDirectoryA(staging.c_str())) return 0;
  }

  PathBuffer flavourFolder = JoinPath(staging, FlavourSubfolder(m_bWin2kXp));
  if (!flavourFolder.Valid()) return 0;
  return m_os.files.CreateDirectoryA(flavourFolder.c_str()) ? 1 : 0;
}

int CDriverInstaller::StagePackage() {
  PathBuffer medium;
  PathBuffer staging;
  bool mediumRead = ReadMediumPath(m_os.system, &medium);
  bool stagingRead = ReadStagingPath(m_os.system, &staging);
  // The program itself, under its fixed name; whether it is there does not matter.
  if (mediumRead && stagingRead)
    CopyStaged(m_os.files, JoinPath(medium, kSetupProgram), JoinPath(staging, kSetupProgram));
  return m_bWin2kXp ? StageWin2kXpSet() : StageWin98MeSet();
}

int CDriverInstaller::StageWin98MeSet() {
  StageResult result = StageSet(m_os, FlavourSubfolder(0), kWin98MeSet);
  if (result == StageResult::kComponentMissing) ShowError(kComponentMissingText);
  return result == StageResult::kComplete ? 1 : 0;
}

int CDriverInstaller::StageWin2kXpSet() {
  StageResult result = StageSet(m_os, FlavourSubfolder(1), kWin2kXpSet);
  if (result == StageResult::kComponentMissing) ShowError(kComponentMissingText);
  return result == StageResult::kComplete ? 1 : 0;
}
