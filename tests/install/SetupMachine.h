// Simulated machines for the setup's tests: a plausible Windows of a chosen
// version, the installation medium with both package flavours, and the traces
// of an earlier installation that detection looks for.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/Machine.h"

namespace setup_test {

inline constexpr const char* kUsbClassKeyNt =
    "HKLM\\System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}";
inline constexpr const char* kUsbClassKey9x =
    "HKLM\\System\\CurrentControlSet\\Services\\Class\\USB";

struct WindowsVersion {
  const char* name;
  plat::DWORD platformId;
  plat::DWORD major;
  plat::DWORD minor;
  bool extendedVersionInfo;
  int win2kXp;  // the flavour this version selects; -1 when it leaves the flag as it was
};

inline const std::vector<WindowsVersion>& AllVersions() {
  static const std::vector<WindowsVersion> versions = {
      {"95", plat::kVerPlatformWin32Windows, 4, 0, false, -1},
      {"98", plat::kVerPlatformWin32Windows, 4, 10, false, 0},
      {"Me", plat::kVerPlatformWin32Windows, 4, 90, false, 0},
      {"NT4", plat::kVerPlatformWin32Nt, 4, 0, false, -1},
      {"2000", plat::kVerPlatformWin32Nt, 5, 0, true, 1},
      {"XP", plat::kVerPlatformWin32Nt, 5, 1, true, 1},
      {"Vista", plat::kVerPlatformWin32Nt, 6, 0, true, -1},
      {"7", plat::kVerPlatformWin32Nt, 6, 1, true, -1},
  };
  return versions;
}

inline sim::OsConfig OsOf(const WindowsVersion& version,
                          const std::string& windowsFolder = "C:\\WINDOWS") {
  sim::OsConfig os;
  os.platformId = version.platformId;
  os.major = version.major;
  os.minor = version.minor;
  os.extendedVersionInfo = version.extendedVersionInfo;
  os.windowsFolder = windowsFolder;
  os.systemFolder = windowsFolder + (os.IsNt() ? "\\System32" : "\\SYSTEM");
  return os;
}

inline sim::OsConfig OsXp(const std::string& windowsFolder = "C:\\WINDOWS") {
  return OsOf(AllVersions()[5], windowsFolder);
}
inline sim::OsConfig Os98(const std::string& windowsFolder = "C:\\WINDOWS") {
  return OsOf(AllVersions()[1], windowsFolder);
}

struct PackageFile {
  const char* name;  // with its leading backslash
  bool stagingRequired;
};

// The staging lists, in their order.
inline const std::vector<PackageFile>& Win98MeStagingList() {
  static const std::vector<PackageFile> list = {
      {"\\vyxUsbSr.inf", true},          {"\\vyxuSrPt.inf", true},    {"\\VyxUsbSr.sys", true},
      {"\\TRQENUM.vxd", true},           {"\\VYXUPRPT.vxd", true},    {"\\VYXUSRPT.vxd", true},
      {"\\VyxUsbPrintConfig.exe", true}, {"\\ZorpInputs.ini", false}, {"\\dbgmsgcfg.dll", false},
      {"\\msvcp60.dll", false},          {"\\VyxUPar.exe", true},     {"\\Config.ini", false},
      {"\\monitor.exe", false},          {"\\DbgMsg9X.sys", false},
  };
  return list;
}

inline const std::vector<PackageFile>& Win2kXpStagingList() {
  static const std::vector<PackageFile> list = {
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
  return list;
}

inline const std::vector<PackageFile>& StagingList(bool win2kXp) {
  return win2kXp ? Win2kXpStagingList() : Win98MeStagingList();
}

inline const char* Subfolder(bool win2kXp) { return win2kXp ? "\\win2k&xp" : "\\win98&me"; }

// A fresh machine folder per test, removed with the fixture.
class SetupMachineTest : public ::testing::Test {
 protected:
  void TearDown() override {
    machine_.reset();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }

  // A plausible Windows of that configuration: its folders, the Desktop shell
  // folder, a printers key with one printer.
  sim::Machine& NewMachine(const sim::OsConfig& os) {
    static std::atomic<int> counter{0};
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("setup-test-") + test->test_suite_name() + "-" + test->name() +
                       "-" + std::to_string(counter++);
    for (char& c : name)
      if (c == '/') c = '_';
    folder_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder_);
    machine_ = sim::Machine::Create(folder_, os);
    EXPECT_NE(machine_, nullptr);
    sim::Machine& m = *machine_;
    const std::string windows = os.windowsFolder;
    // Both system folders, as Windows 98 and XP both have them.
    for (const char* sub : {"\\inf", "\\System", "\\System32", "\\System32\\Drivers"})
      m.MakeFolder(windows + sub);
    m.MakeFolder(os.systemFolder);
    const std::string desktop =
        os.IsNt() ? windows.substr(0, 2) + "\\Documents and Settings\\User\\Desktop"
                  : windows + "\\Desktop";
    m.MakeFolder(desktop);
    m.SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                "Desktop", desktop);
    m.SetDword("HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\Office Printer",
               "Attributes", 0x840);
    m.CreateKey(os.IsNt() ? kUsbClassKeyNt : kUsbClassKey9x);
    return m;
  }

  // The installation medium in folder (a drive root "E:" or a folder "E:\DRIVERS"):
  // the program, the uninstaller and both package flavours.
  void WriteMedium(const std::string& folder = "E:") {
    sim::Machine& m = *machine_;
    m.WriteFile(folder + "\\Setup.exe", "MZ setup program");
    m.WriteFile(folder + "\\VyxUnst.exe", "MZ uninstaller");
    for (bool win2kXp : {false, true}) {
      for (const PackageFile& file : StagingList(win2kXp))
        m.WriteFile(folder + Subfolder(win2kXp) + file.name, Contents(file.name));
    }
    // Files only the Windows 98/Me deployment reads.
    for (const char* name : {"\\VyxUSer.exe", "\\VYXUPAR.DLL", "\\VYXUSER.DLL", "\\SerialMP.exe"})
      m.WriteFile(folder + "\\win98&me" + name, Contents(name));
    // The settings files keep error boxes on (and make every file of the lists present).
    for (bool win2kXp : {false, true})
      m.WriteFile(folder + Subfolder(win2kXp) + "\\ZorpInputs.ini",
                  "[DisplayError]\r\nDisplay=1\r\n");
  }

  // A package file's contents: INF files with their [Version] section, the rest
  // any text naming the file.
  static std::string Contents(std::string_view name) {
    if (name.ends_with(".inf") || name.ends_with(".INF"))
      return "[Version]\r\nSignature=\"$Windows NT$\"\r\nProvider=%Quorvex%\r\n\r\n"
             "[Strings]\r\nQuorvex=\"QUORVEX\"\r\n; " +
             std::string(name.substr(1)) + "\r\n";
    return "package file " + std::string(name);
  }

  // A driver instance of the USB class with that description, as an earlier
  // installation leaves it.
  void AddDriverInstance(bool win2kXp, const std::string& instance,
                         const std::string& description) {
    machine_->SetString(std::string(win2kXp ? kUsbClassKeyNt : kUsbClassKey9x) + "\\" + instance,
                        "DriverDesc", description);
  }

  // No path the program formed and handed to the system is longer than
  // MAX_PATH - 1. (The current directory is the target the machine records for
  // its own query, not a path the program formed.)
  void ExpectNoOverlongPath() const {
    for (const sim::CallRecord& call : machine_->Calls()) {
      if (call.operation == "GetCurrentDirectory") continue;
      std::string_view targets = call.target;
      while (!targets.empty()) {
        std::size_t arrow = targets.find(" -> ");
        std::string_view target = targets.substr(0, arrow);
        EXPECT_LT(target.size(), plat::kMaxPath) << call.operation << " " << target;
        targets = arrow == std::string_view::npos ? std::string_view() : targets.substr(arrow + 4);
      }
    }
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const sim::MessageBoxRecord& box : machine_->MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  std::filesystem::path folder_;
  std::unique_ptr<sim::Machine> machine_;
};

}  // namespace setup_test
