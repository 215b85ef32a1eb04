// What a failing platform call may lead to: the boxes the program may show for
// it and the result it must end with. One rule per operation, refined by the
// call's target where the steps that make the call react differently.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "faults/ChangeAllowList.h"
#include "platform/sim/Machine.h"

namespace faults {

// Boxes by what tells them apart: the text of the framework's boxes, a name for
// the removal's boxes whose text varies.
namespace box {
constexpr const char* kQuestion = "question";
constexpr const char* kRegistryReport = "registry report";
constexpr const char* kServiceNotDeleted = "Failed to Delete service VyxUPort";
constexpr const char* kRegDeleteKey = "RegDeleteKey Failed";
constexpr const char* kMySHDeleteKey = "MySHDeleteKey Failed";
constexpr const char* kGetSecurity = "GetNamedSecurityInfo Failed";
constexpr const char* kSetEntries = "SetEntriesInAcl failed";
constexpr const char* kSetSecurity = "SetNamedSecurityInfo failed";
constexpr const char* kOsVersion = "Error In Getting OS Version Information!";
constexpr const char* kCreateFolder = "Error: Error In creating the directory";
constexpr const char* kIncomplete = "Error: All Component of the setup package are not present";
constexpr const char* kInfCopy = "Error in Copying Inf file...!";
constexpr const char* kDriverCopy = "Error in Copying Driver file...!";
constexpr const char* kAppCopy = "Error in Copying Uninstall Application...!";
constexpr const char* kNoCurrentFolder = "GetCurrentDirectory failed!";
constexpr const char* kNoWindowsFolder = "GetWindowsDirectory failed!";
constexpr const char* kNoLink = "Failure::Icon creation on Desktop Failed";
constexpr const char* kSetPath = "SetPath failed!";
constexpr const char* kNoSetupApi = "Error in loading the Setupapi.dll";
constexpr const char* kNoCopyOemInf = "Error in getting the SetupCopyOEMInfA function adress";
constexpr const char* kCompInf = "Error SetupCopyOEMInfA for VyxUComp.inf file";
constexpr const char* kPortInf = "Error SetupCopyOEMInfA for VyxUPort.inf file";
}  // namespace box

// The label of a box as shown, and "" when its caption, owner, icon or buttons are
// not those of any box the program has.
inline std::string LabelOf(const sim::MessageBoxRecord& b, const std::string& appTitle) {
  auto is = [&](const char* owner, const char* icon, const char* buttons) {
    return b.owner == owner && b.icon == icon && b.buttons == buttons;
  };
  if (b.caption == appTitle) {
    // The start-up box of a failed version query comes before the dialog exists.
    if (b.text == box::kOsVersion && is("none", "exclamation", "ok")) return b.text;
    return is("dialog", "exclamation", "ok") ? b.text : "";
  }
  if (b.caption == "UsbZorp Installer") return is("none", "none", "okcancel") ? box::kQuestion : "";
  if (b.caption == "Registry Error") {
    if (!is("none", "information", "ok")) return "";
    return b.text == box::kServiceNotDeleted ? box::kServiceNotDeleted : box::kRegistryReport;
  }
  if (b.caption == box::kRegDeleteKey || b.caption == box::kMySHDeleteKey)
    return is("none", "warning", "ok") ? b.caption : "";
  if (b.text == box::kGetSecurity || b.text == box::kSetEntries || b.text == box::kSetSecurity)
    return is("none", "none", "ok") ? b.text : "";
  return "";
}

enum class Outcome {
  kBaseline,     // the result (and restart need) of the run without the fault
  kFailed,       // result 0
  kNotDetected,  // the earlier installation goes unseen: installed over it, no restart
  kNoDialog,     // the dialog never opens: nothing happens at all
  kDeclined,     // result 2, nothing changed
};

struct Expectation {
  Outcome outcome = Outcome::kBaseline;
  std::set<std::string> allowed;   // boxes that may show (DisplayError on)
  std::set<std::string> required;  // boxes that must show (DisplayError on)
  bool known = true;               // false: no rule covers the operation
};

struct ScenarioFacts {
  bool win2kXp = false;
  bool earlier = false;   // an earlier installation is on the machine
  bool declines = false;  // the user answers Cancel to the question
  std::string windows, staging;
};

// One copy of the deployment: its destination, the box of its step, whether the
// installation stops on it.
struct DeployStep {
  std::string destination;
  std::string box;  // "" when the copy is silent
  bool required = false;
};

inline std::vector<DeployStep> DeploySteps(const ScenarioFacts& s) {
  std::vector<DeployStep> steps;
  const std::string& w = s.windows;
  if (s.win2kXp) {
    steps.push_back({w + "\\System32\\Drivers\\DbgMsg.sys", "", false});
    steps.push_back({w + "\\System32\\msvcp60.dll", "", false});
    for (const char* name : {"VyxUsbPrintConfig.exe", "SerialMP.exe", "Config.ini"})
      steps.push_back({w + "\\System32\\" + name, box::kAppCopy, false});
    return steps;
  }
  for (const char* name : {"vyxUsbSr.inf", "vyxuSrPt.inf"})
    steps.push_back({w + "\\inf\\" + name, box::kInfCopy, true});
  for (const char* name : {"TRQENUM.vxd", "VYXUPRPT.vxd", "VYXUSRPT.vxd", "VyxUsbSr.sys"})
    steps.push_back({w + "\\System\\" + name, box::kDriverCopy, true});
  for (const char* name : {"VyxUnst.exe", "VyxUsbPrintConfig.exe", "VyxUPar.exe", "VyxUSer.exe",
                           "VYXUPAR.DLL", "VYXUSER.DLL", "SerialMP.exe", "Config.ini"})
    steps.push_back({w + "\\System\\" + name, box::kAppCopy, true});
  for (const char* name : {"monitor.exe", "dbgmsgcfg.dll"})
    steps.push_back({w + "\\System\\" + name, box::kAppCopy, false});
  steps.push_back({w + "\\System32\\Drivers\\DbgMsg9X.sys", "", false});
  steps.push_back({w + "\\System\\msvcp60.dll", "", false});
  return steps;
}

inline const DeployStep* FindDeployStep(const std::vector<DeployStep>& steps,
                                        std::string_view path) {
  for (const DeployStep& step : steps)
    if (Upper(step.destination) == Upper(path)) return &step;
  return nullptr;
}

// Staging rows whose failure is ignored.
inline bool OptionalStagedFile(const ScenarioFacts& s, std::string_view name) {
  std::vector<std::string> optional = {"ZorpInputs.ini"};
  if (!s.win2kXp)
    optional = {"ZorpInputs.ini", "dbgmsgcfg.dll", "msvcp60.dll",
                "Config.ini",     "monitor.exe",   "DbgMsg9X.sys"};
  for (const std::string& o : optional)
    if (Upper(o) == Upper(name)) return true;
  return false;
}

// The codes each failing call is injected with: not found, access denied, and
// the one that means something of its own to the caller.
inline std::vector<plat::DWORD> CodesFor(std::string_view operation) {
  std::vector<plat::DWORD> codes = {plat::kErrorFileNotFound, plat::kErrorAccessDenied};
  if (operation == "RegEnumKey" || operation == "RegEnumKeyEx" || operation == "RegEnumValue")
    codes.push_back(plat::kErrorNoMoreItems);
  if (operation == "RegQueryValue") codes.push_back(plat::kErrorMoreData);
  if (operation == "CreateDirectory") codes.push_back(plat::kErrorAlreadyExists);
  if (operation == "OpenProcessToken") codes.push_back(plat::kErrorCallNotImplemented);
  return codes;
}

// What the deployment over an earlier installation that was not removed runs
// into: copies onto files the earlier installation left read-only fail.
struct Blocked {
  std::set<std::string> boxes;
  bool stops = false;
};

inline Blocked BlockedDeployment(const ScenarioFacts& s, const sim::Machine& before) {
  Blocked blocked;
  for (const DeployStep& step : DeploySteps(s)) {
    plat::DWORD a = before.Attributes(step.destination);
    if (a == plat::kInvalidFileAttributes) continue;
    if (a &
        (plat::kFileAttributeReadonly | plat::kFileAttributeHidden | plat::kFileAttributeSystem)) {
      if (!step.box.empty()) blocked.boxes.insert(step.box);
      blocked.stops = blocked.stops || step.required;
    }
  }
  return blocked;
}

inline Expectation ExpectFor(const ScenarioFacts& s, const sim::Machine& before,
                             const sim::CallRecord& call, plat::DWORD code) {
  const std::string& op = call.operation;
  const std::string& t = call.target;
  Expectation e;
  auto boxes = [&](std::initializer_list<const char*> list) {
    for (const char* b : list) e.allowed.insert(b);
  };
  auto require = [&](const char* b) {
    e.allowed.insert(b);
    e.required.insert(b);
  };
  // Boxes a key that stays after a failed grant or deletion can lead to.
  auto removalBoxes = [&]() {
    boxes({box::kRegistryReport, box::kRegDeleteKey, box::kServiceNotDeleted});
    if (s.win2kXp) boxes({box::kMySHDeleteKey});
  };
  const std::string usbClass = s.win2kXp ? "HKLM\\System\\CurrentControlSet\\Control\\Class\\{"
                                           "36FC9E60-C465-11CF-8056-444553540000}"
                                         : "HKLM\\System\\CurrentControlSet\\Services\\Class\\USB";
  const std::string printers = "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers";
  bool detectionKey = Upper(t) == Upper(usbClass);
  const std::vector<DeployStep> steps = DeploySteps(s);
  // A key below one being deleted that answers "not found" while its parent
  // still lists it: the parent cannot be deleted, which the removal reports.
  auto notFoundInTree = [&]() {
    if (s.win2kXp && code == plat::kErrorFileNotFound)
      boxes({box::kRegDeleteKey, box::kMySHDeleteKey, box::kServiceNotDeleted});
  };
  auto notDetected = [&]() {
    if (!s.earlier) return;
    e.outcome = Outcome::kNotDetected;
    for (const std::string& b : BlockedDeployment(s, before).boxes) e.allowed.insert(b);
  };

  if (op == "VersionQuery") {
    // Windows 98/Me answers only the basic record; failing it leaves no way to read the version.
    if (t == "148") require(box::kOsVersion);
  } else if (op == "GetCurrentDirectory") {
    // An unread current directory leaves the medium folder empty: the paths then
    // start at the root of the current drive, which on these machines is the
    // medium's. The copy steps refuse to go on without it; only the Windows
    // 98/Me set needs them.
    if (!s.declines) {
      require(box::kNoCurrentFolder);
      if (s.win2kXp)
        boxes({box::kSetPath});
      else
        e.outcome = Outcome::kFailed;
    }
  } else if (op == "GetWindowsDirectory") {
    e.outcome = Outcome::kFailed;
    require(box::kCreateFolder);
    boxes({box::kNoWindowsFolder});
  } else if (op == "GetSystemDirectory" || op == "GetPrivateProfileInt" || op == "LoadString" ||
             op == "GetFileAttributes" || op == "FindFirstFile" || op == "FindNextFile" ||
             op == "GetFullPathName" || op == "CreateFile" || op == "ReadFile" ||
             op == "CloseHandle" || op == "RegCreateKey" || op == "RegSetValue" ||
             op == "RegDeleteValue" || op == "RegEnumKeyEx" || op == "RegEnumValue" ||
             op == "FreeLibrary" || op == "SetDescription" || op == "Save" ||
             op == "BuildExplicitAccessWithName" || op == "OpenProcessToken" ||
             op == "LookupPrivilegeValue" || op == "AdjustTokenPrivileges" ||
             op == "ExitWindowsEx") {
    // Results nobody tests, or failures that only leave something in place.
  } else if (op == "SetFileAttributes" || op == "DeleteFile") {
    // A read-only file of the earlier installation that stays blocks its copy.
    const DeployStep* step = FindDeployStep(steps, t);
    plat::DWORD a = before.Attributes(t);
    if (op == "SetFileAttributes" && s.earlier && step != nullptr &&
        a != plat::kInvalidFileAttributes && (a & plat::kFileAttributeReadonly)) {
      if (!step->box.empty()) require(step->box.c_str());
      if (step->required) e.outcome = Outcome::kFailed;
    }
  } else if (op == "DialogBox") {
    e.outcome = Outcome::kNoDialog;
  } else if (op == "MessageBox" && t == "UsbZorp Installer") {
    e.outcome = Outcome::kDeclined;
  } else if (op == "CreateDirectory") {
    e.outcome = Outcome::kFailed;
    require(box::kCreateFolder);
  } else if (op == "SHFileOperation") {
    // The removal's deletion and the staging's second attempt both fail.
    if (s.earlier) {
      e.outcome = Outcome::kFailed;
      require(box::kCreateFolder);
    }
  } else if (op == "CopyFile") {
    std::size_t arrow = t.find(" -> ");
    std::string destination = arrow == std::string::npos ? t : t.substr(arrow + 4);
    std::string name = destination.substr(destination.find_last_of('\\') + 1);
    if (IsUnder(destination, s.staging)) {
      if (Upper(name) == "SETUP.EXE") {
      } else if (Upper(name) == "VYXUNST.EXE" &&
                 Upper(destination) == Upper(s.staging + "\\VyxUnst.exe")) {
        e.outcome = Outcome::kFailed;
      } else if (!OptionalStagedFile(s, name)) {
        e.outcome = Outcome::kFailed;
        require(box::kIncomplete);
      }
    } else if (const DeployStep* step = FindDeployStep(steps, destination)) {
      if (!step->box.empty()) require(step->box.c_str());
      if (step->required) e.outcome = Outcome::kFailed;
      // A utility that is not copied still gets its shortcut, which may point nowhere.
      if (s.win2kXp) boxes({box::kSetPath});
    } else {
      e.known = false;
    }
  } else if (op == "RegOpenKey") {
    if (detectionKey) {
      notDetected();
      if (code != plat::kErrorFileNotFound) boxes({box::kRegistryReport});
    } else if (Upper(t) == Upper(printers)) {
      if (!s.win2kXp) e.outcome = Outcome::kFailed;
    } else if (IsUnder(t, printers) || t.rfind("HKCU\\", 0) == 0 ||
               Upper(t) == Upper("HKLM\\System\\CurrentControlSet\\Services")) {
    } else if (code != plat::kErrorFileNotFound) {
      removalBoxes();
    } else {
      notFoundInTree();
    }
  } else if (op == "RegEnumKey") {
    if (detectionKey) {
      notDetected();
    } else if (code != plat::kErrorFileNotFound && s.win2kXp) {
      boxes({box::kRegDeleteKey, box::kMySHDeleteKey, box::kServiceNotDeleted});
    } else {
      notFoundInTree();
    }
  } else if (op == "RegQueryValue") {
    // The sample machines hold two matching driver instances, so one unreadable
    // description does not hide the installation. A Desktop folder longer than
    // the buffer cannot take a link.
    if (code == plat::kErrorMoreData && Upper(t).ends_with("\\SHELL FOLDERS\\DESKTOP"))
      boxes({box::kNoLink});
  } else if (op == "RegDeleteKey") {
    if (code != plat::kErrorFileNotFound) boxes({box::kRegDeleteKey, box::kServiceNotDeleted});
    if (s.win2kXp) boxes({box::kMySHDeleteKey});
    notFoundInTree();
  } else if (op == "GetNamedSecurityInfo" || op == "SetEntriesInAcl" ||
             op == "SetNamedSecurityInfo") {
    // "Not found" from the security API skips the grant silently; the key then
    // stays closed to the removal, which reports what it cannot open or delete.
    if (op != "GetNamedSecurityInfo" || code != plat::kErrorFileNotFound)
      require(op == "GetNamedSecurityInfo" ? box::kGetSecurity
              : op == "SetEntriesInAcl"    ? box::kSetEntries
                                           : box::kSetSecurity);
    removalBoxes();
  } else if (op == "LoadLibrary") {
    e.outcome = Outcome::kFailed;
    require(box::kNoSetupApi);
  } else if (op == "GetProcAddress") {
    e.outcome = Outcome::kFailed;
    require(box::kNoCopyOemInf);
  } else if (op == "SetupCopyOEMInf") {
    e.outcome = Outcome::kFailed;
    require(Upper(t).ends_with("VYXUCOMP.INF") ? box::kCompInf : box::kPortInf);
  } else if (op == "CoCreateInstance" || op == "QueryInterface") {
    require(box::kNoLink);
  } else if (op == "CoInitialize") {
    // COM that is not initialised makes no shell link object.
    boxes({box::kNoLink});
  } else if (op == "MultiByteToWideChar") {
    // A link path that cannot be converted is not saved under some other name.
    boxes({box::kNoLink});
  } else if (op == "SetPath") {
    require(box::kSetPath);
  } else {
    e.known = false;
  }
  return e;
}

}  // namespace faults
