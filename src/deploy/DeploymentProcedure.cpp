// Puts the driver set of the package flavour in place: on Windows 98/Me by
// copying every file ourselves, on Windows 2000/XP by handing the two staged INF
// files to the Setup API. Nothing written before a stop is rolled back.
#include <cstring>
#include <utility>

#include "common/FileHelpers.h"
#include "common/PackageFlavour.h"
#include "common/SetupFolders.h"
#include "install/CDriverInstaller.h"

namespace {

// Copies flavour source folder + name to Windows folder + subfolder + name and
// ignores the outcome. A folder that cannot be read leaves the copy out: an empty
// folder would turn the paths into ones relative to the current drive.
void CopyDirect(plat::Platform& os, const char* flavourSubfolder, const char* subfolder,
                const char* name) {
  PathBuffer source;
  if (ReadMediumFolder(os.system, &source) == 0) return;
  source.Append(flavourSubfolder);
  source.Append(name);
  PathBuffer destination;
  if (ReadWindowsFolder(os.system, &destination) == 0) return;
  destination.Append(subfolder);
  destination.Append(name);
  if (!source.Valid() || !destination.Valid()) return;
  CopyFileWritable(os.files, source.c_str(), destination.c_str(), 0);
}

// The Setup API library, freed on every way out.
class ScopedLibrary {
 public:
  ScopedLibrary(plat::ISystem& system, plat::Module module) : system_(system), module_(module) {}
  ScopedLibrary(const ScopedLibrary&) = delete;
  ScopedLibrary& operator=(const ScopedLibrary&) = delete;
  ~ScopedLibrary() { Free(); }
  void Free() {
    if (module_ != 0) system_.FreeLibrary(std::exchange(module_, plat::Module{0}));
  }
  plat::Module Get() const { return module_; }

 private:
  plat::ISystem& system_;
  plat::Module module_;
};

// The staged INF: Windows drive letter + ":\VyxUZorp\win2k&xp" + name. False
// when the Windows folder cannot be read or the path would not fit.
bool StagedInfPath(plat::ISystem& system, const char* name, PathBuffer* path) {
  if (ReadWindowsFolder(system, path) == 0) return false;
  path->Truncate(1);
  path->Append(kStagingFolderSuffix);
  path->Append(FlavourSubfolder(1));
  path->Append(name);
  return path->Valid();
}

}  // namespace

int CDriverInstaller::DeployDrivers() {
  if (m_bWin2kXp) return DeployWin2kXpSet();
  return DeployWin98MeSet();
}

int CDriverInstaller::DeployWin98MeSet() {
  using Step = int (CDriverInstaller::*)(const char*);
  struct Row {
    Step step;
    const char* name;
  };
  static constexpr Row kRequired[] = {
      {&CDriverInstaller::CopyInfFile, "\\vyxUsbSr.inf"},
      {&CDriverInstaller::CopyInfFile, "\\vyxuSrPt.inf"},
      {&CDriverInstaller::CopyDriverFile, "\\TRQENUM.vxd"},
      {&CDriverInstaller::CopyDriverFile, "\\VYXUPRPT.vxd"},
      {&CDriverInstaller::CopyDriverFile, "\\VYXUSRPT.vxd"},
      {&CDriverInstaller::CopyDriverFile, "\\VyxUsbSr.sys"},
      {&CDriverInstaller::CopyUninstaller, "\\VyxUnst.exe"},
      {&CDriverInstaller::CopyApplicationFile, "\\VyxUsbPrintConfig.exe"},
      {&CDriverInstaller::CopyApplicationFile, "\\VyxUPar.exe"},
      {&CDriverInstaller::CopyApplicationFile, "\\VyxUSer.exe"},
      {&CDriverInstaller::CopyApplicationFile, "\\VYXUPAR.DLL"},
      {&CDriverInstaller::CopyApplicationFile, "\\VYXUSER.DLL"},
      {&CDriverInstaller::CopyApplicationFile, "\\SerialMP.exe"},
      {&CDriverInstaller::CopyApplicationFile, "\\Config.ini"},
  };
  // Each step has shown its own message when it fails.
  for (const Row& row : kRequired)
    if (!(this->*row.step)(row.name)) return 0;

  // The debug-message monitor is optional: a failure is reported and passed over.
  CopyApplicationFile("\\monitor.exe");
  CopyApplicationFile("\\dbgmsgcfg.dll");

  CopyDirect(m_os, FlavourSubfolder(0), "\\System32\\Drivers", "\\DbgMsg9X.sys");
  CopyDirect(m_os, FlavourSubfolder(0), "\\System", "\\msvcp60.dll");

  CreateDesktopShortcut("VyxUsbPrintConfig.exe");
  CreateDesktopShortcut("SerialMP.exe");
  CreateDesktopShortcut("Config.ini");

  if (ClearPrinterBidiAttribute() != plat::kErrorSuccess) return 0;
  RegisterDebugMessageService();
  DeleteDriverIndexCache();
  return 1;
}

int CDriverInstaller::DeployWin2kXpSet() {
  ScopedLibrary library(m_os.system, m_os.system.LoadLibraryA("SETUPAPI"));
  if (library.Get() == 0) {
    ShowError("Error in loading the Setupapi.dll");
    return 0;
  }
  plat::Proc copyOemInf = m_os.system.GetProcAddress(library.Get(), "SetupCopyOEMInfA");
  if (copyOemInf == 0) {
    ShowError("Error in getting the SetupCopyOEMInfA function adress");
    return 0;
  }

  struct Inf {
    const char* name;
    const char* failedText;
  };
  static constexpr Inf kInfs[] = {
      {"\\VyxUComp.inf", "Error SetupCopyOEMInfA for VyxUComp.inf file"},
      {"\\VyxUPort.inf", "Error SetupCopyOEMInfA for VyxUPort.inf file"},
  };
  // What the system names its copy is not needed: the removal finds the copies
  // through the class keys and by their contents.
  char destination[plat::kMaxPath];
  std::memset(destination, 0, sizeof destination);
  for (const Inf& inf : kInfs) {
    PathBuffer source;
    // A path source without a media location: the staging folder is what the
    // system records as the INF's origin.
    if (!StagedInfPath(m_os.system, inf.name, &source) ||
        !m_os.setupApi.SetupCopyOEMInfA(copyOemInf, source.c_str(), nullptr, plat::kSpostPath, 0,
                                        destination, plat::kMaxPath, nullptr, nullptr)) {
      ShowError(inf.failedText);
      return 0;
    }
  }
  library.Free();

  CopyDirect(m_os, FlavourSubfolder(1), "\\System32\\Drivers", "\\DbgMsg.sys");
  CopyDirect(m_os, FlavourSubfolder(1), "\\System32", "\\msvcp60.dll");

  CopyApplicationFile("\\VyxUsbPrintConfig.exe");
  CreateDesktopShortcut("VyxUsbPrintConfig.exe");
  CopyApplicationFile("\\SerialMP.exe");
  CopyApplicationFile("\\Config.ini");
  CreateDesktopShortcut("SerialMP.exe");
  CreateDesktopShortcut("Config.ini");
  // No printers key is no reason to fail here: the drivers are registered.
  ClearPrinterBidiAttribute();
  return 1;
}
