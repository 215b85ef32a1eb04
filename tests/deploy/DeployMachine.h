// Machines ready for the deployment: the medium, for Windows 2000/XP the staged
// INF files, an installer with its application object; and what a deployment
// leaves behind, read back (link files included).
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CSetupApp.h"
#include "install/CDriverInstaller.h"
#include "install/SetupMachine.h"

namespace deploy_test {

using setup_test::Os98;
using setup_test::OsXp;

inline constexpr const char* kInfError = "Error in Copying Inf file...!";
inline constexpr const char* kDriverError = "Error in Copying Driver file...!";
inline constexpr const char* kApplicationError = "Error in Copying Uninstall Application...!";
inline constexpr const char* kCurrentDirectoryError = "GetCurrentDirectory failed!";
inline constexpr const char* kWindowsDirectoryError = "GetWindowsDirectory failed!";
inline constexpr const char* kIconError = "Failure::Icon creation on Desktop Failed";
inline constexpr const char* kSetPathError = "SetPath failed!";
inline constexpr const char* kLoadLibraryError = "Error in loading the Setupapi.dll";
inline constexpr const char* kProcError = "Error in getting the SetupCopyOEMInfA function adress";
inline constexpr const char* kCompInfError = "Error SetupCopyOEMInfA for VyxUComp.inf file";
inline constexpr const char* kPortInfError = "Error SetupCopyOEMInfA for VyxUPort.inf file";

inline constexpr const char* kServiceKey = "HKLM\\System\\CurrentControlSet\\Services\\DbgMsg";
inline constexpr const char* kPrintersKey =
    "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers";
inline constexpr const char* kShellFolders =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// One file a deployment puts in place: where it is read and where it lands,
// relative to the medium and to the Windows folder.
struct Deployed {
  std::string source;       // below the medium: "\win98&me\vyxUsbSr.inf"
  std::string destination;  // below the Windows folder: "\inf\vyxUsbSr.inf"
};

// The Windows 98/Me table in its order: rows 1 to 14 required, 15 and 16 optional
// steps, 17 and 18 direct copies.
inline const std::vector<Deployed>& Win98MeRows() {
  static const std::vector<Deployed> rows = {
      {"\\win98&me\\vyxUsbSr.inf", "\\inf\\vyxUsbSr.inf"},
      {"\\win98&me\\vyxuSrPt.inf", "\\inf\\vyxuSrPt.inf"},
      {"\\win98&me\\TRQENUM.vxd", "\\System\\TRQENUM.vxd"},
      {"\\win98&me\\VYXUPRPT.vxd", "\\System\\VYXUPRPT.vxd"},
      {"\\win98&me\\VYXUSRPT.vxd", "\\System\\VYXUSRPT.vxd"},
      {"\\win98&me\\VyxUsbSr.sys", "\\System\\VyxUsbSr.sys"},
      {"\\VyxUnst.exe", "\\System\\VyxUnst.exe"},
      {"\\win98&me\\VyxUsbPrintConfig.exe", "\\System\\VyxUsbPrintConfig.exe"},
      {"\\win98&me\\VyxUPar.exe", "\\System\\VyxUPar.exe"},
      {"\\win98&me\\VyxUSer.exe", "\\System\\VyxUSer.exe"},
      {"\\win98&me\\VYXUPAR.DLL", "\\System\\VYXUPAR.DLL"},
      {"\\win98&me\\VYXUSER.DLL", "\\System\\VYXUSER.DLL"},
      {"\\win98&me\\SerialMP.exe", "\\System\\SerialMP.exe"},
      {"\\win98&me\\Config.ini", "\\System\\Config.ini"},
      {"\\win98&me\\monitor.exe", "\\System\\monitor.exe"},
      {"\\win98&me\\dbgmsgcfg.dll", "\\System\\dbgmsgcfg.dll"},
      {"\\win98&me\\DbgMsg9X.sys", "\\System32\\Drivers\\DbgMsg9X.sys"},
      {"\\win98&me\\msvcp60.dll", "\\System\\msvcp60.dll"},
  };
  return rows;
}

// The files the Windows 2000/XP half copies itself.
inline const std::vector<Deployed>& Win2kXpCopies() {
  static const std::vector<Deployed> rows = {
      {"\\win2k&xp\\DbgMsg.sys", "\\System32\\Drivers\\DbgMsg.sys"},
      {"\\win2k&xp\\msvcp60.dll", "\\System32\\msvcp60.dll"},
      {"\\win2k&xp\\VyxUsbPrintConfig.exe", "\\System32\\VyxUsbPrintConfig.exe"},
      {"\\win2k&xp\\SerialMP.exe", "\\System32\\SerialMP.exe"},
      {"\\win2k&xp\\Config.ini", "\\System32\\Config.ini"},
  };
  return rows;
}

inline const std::vector<std::string>& LinkNames() {
  static const std::vector<std::string> names = {"VYXUSBPRINTCONFIG.LNK", "SERIALMP.LNK",
                                                 "CONFIG.LNK"};
  return names;
}

inline std::string InfText(const std::string& name) {
  return "; " + name + "\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Ports\r\n";
}

// What a link file holds, read by the published format.
struct LinkFile {
  bool valid = false;
  std::uint32_t flags = 0;
  std::string localPath;  // empty without LinkInfo
  std::string description;
};
LinkFile ParseLink(const std::string& bytes);

// Everything a run leaves: results, boxes and changes.
struct RunOutcome {
  int result = 0;
  std::vector<std::string> boxes;
  std::vector<sim::Change> changes;
};

class DeployTest : public setup_test::SetupMachineTest {
 protected:
  // A machine of that Windows with the medium at mediumFolder (its current
  // folder) and, for the 2000/XP set, the package staged.
  void Start(const sim::OsConfig& os, int displayError = 1,
             const std::string& mediumFolder = "E:") {
    sim::OsConfig config = os;
    config.currentFolder = mediumFolder.size() == 2 ? mediumFolder + "\\" : mediumFolder;
    NewMachine(config);
    WriteMedium(mediumFolder);
    medium_ = mediumFolder;
    windows_ = config.windowsFolder;
    win2kXp_ = config.IsNt();
    // INF files the Setup API accepts.
    for (const char* name : {"\\vyxUsbSr.inf", "\\vyxuSrPt.inf"})
      machine_->WriteFile(medium_ + "\\win98&me" + name, InfText(name));
    for (const char* name : {"\\VyxUComp.inf", "\\VyxUPort.inf"}) {
      machine_->WriteFile(medium_ + "\\win2k&xp" + name, InfText(name));
      if (win2kXp_)
        machine_->WriteFile(windows_.substr(0, 1) + ":\\VyxUZorp\\win2k&xp" + name, InfText(name));
    }
    machine_->WriteFile(windows_ + "\\inf\\Drvdata.bin", "driver data");
    machine_->WriteFile(windows_ + "\\inf\\Drvidx.bin", "driver index");
    app_ = std::make_unique<CSetupApp>(machine_->Os());
    app_->m_nDisplayError = displayError;
    installer_ = std::make_unique<CDriverInstaller>(machine_->Os(), *app_);
    installer_->m_bWin2kXp = win2kXp_ ? 1 : 0;
  }

  void TearDown() override {
    installer_.reset();
    app_.reset();
    SetupMachineTest::TearDown();
  }

  RunOutcome Outcome(int result) const { return {result, BoxTexts(), machine_->Changes()}; }

  std::string Desktop() const {
    return win2kXp_ ? windows_.substr(0, 2) + "\\Documents and Settings\\User\\Desktop"
                    : windows_ + "\\Desktop";
  }
  std::string SystemFolder() const { return windows_ + (win2kXp_ ? "\\System32" : "\\System"); }
  LinkFile Link(const std::string& path) const {
    std::optional<std::string> bytes = machine_->ReadFile(path);
    return bytes ? ParseLink(*bytes) : LinkFile{};
  }
  // The oemN.inf files of the INF folder.
  std::vector<std::string> OemInfs() const;
  // Every link file anywhere on the machine's drives C and E.
  std::vector<std::string> AllLinks() const;

  std::string medium_;
  std::string windows_;
  bool win2kXp_ = false;
  std::unique_ptr<CSetupApp> app_;
  std::unique_ptr<CDriverInstaller> installer_;
};

}  // namespace deploy_test
