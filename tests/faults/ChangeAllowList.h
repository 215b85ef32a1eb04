// Everything a run of the setup may change on a machine, worked out from the
// machine as it stood before the run: the staging folder, the named files in the
// Windows folders, the INF files an earlier installation left (by name, by class
// key and by contents), the Desktop shortcuts, and the named registry keys and
// values. Check() names what a change breaks, or gives "" when it is allowed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "faults/ReferenceRules.h"
#include "platform/sim/Machine.h"

namespace faults {

inline std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// path is prefix itself or lies below it (both separators "\").
inline bool IsUnder(std::string_view path, std::string_view prefix) {
  std::string p = Upper(path), q = Upper(prefix);
  return p == q || (p.size() > q.size() && p.compare(0, q.size(), q) == 0 && p[q.size()] == '\\');
}

class ChangeAllowList {
 public:
  ChangeAllowList(const sim::Machine& before, bool win2kXp) : before_(before), nt_(win2kXp) {
    const sim::OsConfig& os = before.Config();
    windows_ = os.windowsFolder;
    system_ = os.systemFolder;
    staging_ = windows_.substr(0, 1) + ":\\VyxUZorp";
    auto desktop = before.GetValue(kShellFolders, "Desktop");
    if (desktop) {
      auto read = reference::Read(desktop->data);
      if (read) desktop_ = read->text;
    }
    AddFiles();
    AddInfFiles();
    AddKeys();
  }

  // "" when the change is one the setup may make, else why not.
  std::string Check(const sim::Change& c, const sim::Machine& after) const {
    if (c.kind == "file" || c.kind == "folder") return CheckFile(c);
    if (c.kind == "acl") return CheckAcl(c);
    return CheckRegistry(c, after);
  }

  const std::set<std::string>& RemovablePaths() const { return removable_; }

 private:
  static constexpr const char* kShellFolders =
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

  void Written(const std::string& path) { written_.insert(Upper(path)); }
  void Removable(const std::string& path) { removable_.insert(Upper(path)); }

  void AddFiles() {
    const std::string inf = windows_ + "\\inf\\";
    if (nt_) {
      for (const char* name :
           {"msvcp60.dll", "VyxUsbPrintConfig.exe", "SerialMP.exe", "Config.ini"})
        Written(windows_ + "\\System32\\" + name);
      Written(windows_ + "\\System32\\Drivers\\DbgMsg.sys");
      for (const char* name : {"VyxUSBParallel.exe", "VyxUSBSerial.exe", "VyxUSBParPropPage.dll",
                               "VyxUSBSerPropPage.dll", "SerialMP.exe", "Config.ini"})
        Removable(system_ + "\\" + name);
      Removable(system_ + "\\drivers\\VyxPort.sys");
      Removable(system_ + "\\drivers\\VyxUPort.sys");
      for (const char* name : {"VyxPort.inf", "VyxPort.PNF", "VyxUComp.inf", "VyxUComp.PNF",
                               "VyxUPort.inf", "VyxUPort.PNF"})
        Removable(inf + name);
    } else {
      for (const char* name : {"vyxUsbSr.inf", "vyxuSrPt.inf"}) Written(inf + name);
      for (const char* name :
           {"TRQENUM.vxd", "VYXUPRPT.vxd", "VYXUSRPT.vxd", "VyxUsbSr.sys", "VyxUnst.exe",
            "VyxUsbPrintConfig.exe", "VyxUPar.exe", "VyxUSer.exe", "VYXUPAR.DLL", "VYXUSER.DLL",
            "SerialMP.exe", "Config.ini", "monitor.exe", "dbgmsgcfg.dll", "msvcp60.dll"})
        Written(windows_ + "\\System\\" + name);
      Written(windows_ + "\\System32\\Drivers\\DbgMsg9X.sys");
      for (const char* name : {"Drvdata.bin", "Drvidx.bin"}) Removable(inf + name);
      for (const char* name :
           {"VyxUPar.exe", "VyxUSer.exe", "VYXUPAR.DLL", "VYXUSER.DLL", "SerialMP.exe",
            "Config.ini", "Vyxusbsr.sys", "Vyxusrpt.vxd", "Vyxuprpt.vxd", "Trqenum.vxd"})
        Removable(system_ + "\\" + name);
      Removable(windows_ + "\\System\\VyxUsbPrintConfig.exe");
      for (const char* name : {"Vyxusbsr.inf", "Vyxusbsr.PNF", "vyxuSrPt.inf", "vyxuSrPt.PNF",
                               "other\\QUORVEX Semiconductor Pvt LtdvyxUsbSr.inf",
                               "other\\QUORVEX Semiconductor Pvt LtdvyxuSrPt.inf"})
        Removable(inf + name);
    }
    Removable(system_ + "\\VyxUnst.exe");
    const std::string programs = windows_ + (nt_ ? "\\System32\\" : "\\System\\");
    for (const char* name : {"VYXUSBPRINTCONFIG", "SERIALMP", "CONFIG"}) {
      Removable(programs + name + ".exe");
      if (!desktop_.empty()) {
        Written(desktop_ + "\\" + name + ".LNK");
      }
    }
  }

  // INF files found through the class keys and by their contents.
  void AddInfFiles() {
    const std::string inf = windows_ + "\\inf";
    for (const std::string& path : before_.ListTree(inf)) {
      std::string name = path.substr(path.find_last_of('\\') + 1);
      if (Upper(name).find(".INF") == std::string::npos) continue;
      if (NamesADriver(before_.HostPath(path))) Removable(path);
    }
    if (!nt_) return;
    auto walk = [&](const std::string& classKey, const char* testValue, const char* prefix) {
      for (const std::string& sub : before_.SubKeys(classKey)) {
        std::string key = classKey + "\\" + sub;
        if (!reference::InfWalkSelects(Data(key, testValue), prefix)) continue;
        auto base = reference::InfBaseName(Data(key, "InfPath"));
        if (!base) continue;
        Removable(inf + "\\" + *base + ".inf");
        Removable(inf + "\\" + *base + ".PNF");
      }
    };
    walk(PortsClass(), "ProviderName", "quorvex");
    walk(UsbClass(), "InfSection", "vyxusbcomp");
  }

  // Whether a file names either driver, letters without case and NUL bytes left
  // out; read in pieces, since an INF folder may hold a huge file.
  static bool NamesADriver(const std::filesystem::path& host) {
    std::ifstream in(host, std::ios::binary);
    if (!in) return false;
    const std::string names[] = {"VYXUPORT.SYS", "VYXUPRPT.VXD"};
    std::string window;  // the end of what was read, folded, so names across pieces are found
    static std::vector<char> piece(1 << 20);
    static const std::vector<char> zeros(1 << 20, 0);
    while (in) {
      in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
      // A piece of NUL bytes only adds nothing to the text (sparse files are mostly that).
      if (in.gcount() > 0 &&
          std::memcmp(piece.data(), zeros.data(), static_cast<std::size_t>(in.gcount())) == 0)
        continue;
      std::string folded = window;
      for (std::streamsize i = 0; i < in.gcount(); ++i) {
        char c = piece[static_cast<std::size_t>(i)];
        if (c != '\0') folded += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
      }
      for (const std::string& n : names)
        if (folded.find(n) != std::string::npos) return true;
      window = folded.substr(folded.size() > 11 ? folded.size() - 11 : 0);
    }
    return false;
  }

  std::optional<std::vector<std::uint8_t>> Data(const std::string& key, const char* name) const {
    auto value = before_.GetValue(key, name);
    if (!value) return std::nullopt;
    return value->data;
  }

  reference::DriverValues ValuesOf(const std::string& key) const {
    reference::DriverValues v;
    v.providerName = Data(key, "ProviderName");
    v.driverDesc = Data(key, "DriverDesc");
    v.infPath = Data(key, "InfPath");
    v.infSection = Data(key, "InfSection");
    v.matchingDeviceId = Data(key, "MatchingDeviceId");
    v.portDriver = Data(key, "PortDriver");
    v.ntmpDriver = Data(key, "NTMPDriver");
    return v;
  }

  std::string PortsClass() const {
    return nt_ ? "HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E978-E325-11CE-BFC1-"
                 "08002BE10318}"
               : "HKLM\\System\\CurrentControlSet\\Services\\Class\\Ports";
  }
  std::string UsbClass() const {
    return nt_ ? "HKLM\\System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-"
                 "444553540000}"
               : "HKLM\\System\\CurrentControlSet\\Services\\Class\\USB";
  }

  void AddKeys() {
    const std::string root = nt_ ? "HKLM\\System\\CurrentControlSet\\Enum" : "HKLM\\Enum";
    for (const std::string& sub : before_.SubKeys(PortsClass()))
      if (reference::PortsDriverMatches(ValuesOf(PortsClass() + "\\" + sub), nt_))
        removedTrees_.push_back(PortsClass() + "\\" + sub);
    for (const std::string& sub : before_.SubKeys(UsbClass()))
      if (reference::UsbDriverMatches(ValuesOf(UsbClass() + "\\" + sub), nt_))
        removedTrees_.push_back(UsbClass() + "\\" + sub);
    for (const std::string& device : before_.SubKeys(root + "\\USB")) {
      for (const char* id :
           {"Vid_5E3A&Pid_E4B2", "Vid_5E3A&Pid_E4B3", "Vid_5E3A&Pid_E4B4", "Vid_5E3A&Pid_E4B7",
            "Vid_5E3A&Pid_E4B5", "Vid_5E3A&Pid_E4B6", "Vid_5E3A&Pid_E4B1"})
        if (device.size() >= 17 && Upper(device.substr(0, 17)) == Upper(id))
          removedTrees_.push_back(root + "\\USB\\" + device);
    }
    removedTrees_.push_back(root + "\\QUORVEX");
    const std::string uninstall = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    for (const char* name :
         {"QuorVex USB Compound Device", "TARVI USB Compound Device", "USB Compound Device"})
      removedTrees_.push_back(uninstall + name);
    grants_ = {PortsClass(), UsbClass(), root + "\\USB", root + "\\QUORVEX",
               root + "\\QUORVEX\\USB_SERIAL_INTERFACE"};
    for (const char* name :
         {"QuorVex USB Compound Device", "TARVI USB Compound Device", "USB Compound Device"})
      grants_.push_back(uninstall + name);
    if (nt_) {
      for (const char* key : {"HKLM\\System\\CurrentControlSet\\Enum\\CMC",
                              "HKLM\\System\\CurrentControlSet\\Services\\VyxPort",
                              "HKLM\\System\\CurrentControlSet\\Services\\VyxPort.Sys",
                              "HKLM\\System\\CurrentControlSet\\Services\\VyxUPort"}) {
        removedTrees_.push_back(key);
        grants_.push_back(key);
      }
      for (const char* key : {"HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM", kNtPorts, kArbiter})
        grants_.push_back(key);
      // The COM ports of the adapter's serial interfaces.
      std::string serial = root + "\\QUORVEX\\USB_SERIAL_INTERFACE";
      for (const std::string& instance : before_.SubKeys(serial)) {
        unsigned port = reference::ComPortOf(
            Data(serial + "\\" + instance + "\\Device Parameters", "PortName"));
        if (port != 0) removedPorts_.insert(port);
      }
    } else {
      for (const char* kind : {"USB_SERIAL_INTERFACE", "USB_PARALLEL_INTERFACE"}) {
        std::string key = root + "\\QUORVEX\\" + kind;
        for (const std::string& instance : before_.SubKeys(key)) {
          auto value = reference::Read(Data(key + "\\" + instance, "PortName"));
          if (!value || value->size < 4) continue;
          if (value->text.compare(0, 3, "COM") == 0)
            deviceMapValues_.insert(
                Upper("HKLM\\Hardware\\DeviceMap\\SerialComm\\[" + value->text + "]"));
          if (value->text.compare(0, 3, "LPT") == 0)
            deviceMapValues_.insert(
                Upper("HKLM\\Hardware\\DeviceMap\\Parallel\\[" + value->text + "]"));
        }
      }
    }
  }

  std::string CheckFile(const sim::Change& c) const {
    if (IsUnder(c.path, staging_)) return "";
    std::string path = Upper(c.path);
    if (c.kind == "file" && written_.count(path)) return "";
    if (c.kind == "file" && removable_.count(path)) {
      if (c.op == "removed" || (c.op == "changed" && c.detail.rfind("attributes", 0) == 0))
        return "";
      // Removed by the removal, then written again by the deployment.
      if (c.op == "changed" && written_.count(path)) return "";
    }
    // The Setup API records the staged INF files in the INF folder as oemN.inf with oemN.PNF.
    if (nt_ && c.kind == "file" && IsOemName(c.path) && IsUnder(c.path, windows_ + "\\inf") &&
        c.path.find('\\', windows_.size() + 5) == std::string::npos &&
        (c.op == "added" || (c.op == "changed" && removable_.count(path))))
      return "";
    return "a file outside the named ones";
  }

  static bool IsOemName(const std::string& path) {
    std::string name = Upper(path.substr(path.find_last_of('\\') + 1));
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.compare(0, 3, "OEM") != 0 || dot <= 3) return false;
    std::string ext = name.substr(dot);
    if (ext != ".INF" && ext != ".PNF") return false;
    return std::all_of(name.begin() + 3, name.begin() + static_cast<std::ptrdiff_t>(dot),
                       [](char ch) { return ch >= '0' && ch <= '9'; });
  }

  std::string CheckAcl(const sim::Change& c) const {
    if (!nt_) return "an access grant on Windows 98/Me";
    if (c.detail.find("grant-current-user") == std::string::npos)
      return "an access change that is no grant";
    for (const std::string& key : grants_)
      if (Upper(key) == Upper(c.path)) return "";
    return "an access grant on a key that is not granted";
  }

  std::string CheckRegistry(const sim::Change& c, const sim::Machine& after) const {
    if (c.op == "removed") {
      for (const std::string& tree : removedTrees_)
        if (IsUnder(c.path, tree)) return "";
      if (!nt_ && c.kind == "value" && deviceMapValues_.count(Upper(c.path))) return "";
      if (nt_ && c.kind == "value" && IsUnder(c.path, kNtPorts)) {
        std::string name = c.path.substr(std::string(kNtPorts).size() + 2);
        if (!name.empty() && name.back() == ']') name.pop_back();
        if (name.size() >= 4 && name.compare(0, 3, "COM") == 0) {
          long port = reference::AtoiLike(std::string_view(name).substr(3));
          if (port >= 1 && port <= 256 && removedPorts_.count(static_cast<unsigned>(port)))
            return "";
        }
        return "a port value of a port the removal did not remove";
      }
      return "a key or value outside the named ones removed";
    }
    // Added or changed.
    const std::string printers = "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers";
    if (c.kind == "value" && IsUnder(c.path, printers) &&
        Upper(c.path).ends_with("\\[ATTRIBUTES]")) {
      std::string key = c.path.substr(0, c.path.size() - std::string("\\[Attributes]").size());
      auto now = after.GetValue(key, "Attributes");
      auto was = before_.GetValue(key, "Attributes");
      if (!now || now->data.size() != 4) return "a printer's Attributes written with another size";
      std::uint32_t bits = Dword(now->data);
      std::uint32_t old = was && was->data.size() == 4 ? Dword(was->data) : 0;
      if (bits != (old & ~0x800u))
        return "a printer's Attributes changed in more than the bidirectional bit";
      return "";
    }
    if (nt_ && c.kind == "value" && Upper(c.path) == Upper(std::string(kArbiter) + "\\[ComDB]")) {
      auto now = after.GetValue(kArbiter, "ComDB");
      auto was = before_.GetValue(kArbiter, "ComDB");
      if (!now || !was || now->data.size() != 32) return "ComDB written with another size";
      for (unsigned port = 1; port <= 256; ++port) {
        std::size_t byte = (port - 1) / 8;
        std::uint8_t bit = static_cast<std::uint8_t>(1u << ((port - 1) % 8));
        bool had = byte < was->data.size() && (was->data[byte] & bit);
        bool has = now->data[byte] & bit;
        if (has && !had) return "ComDB took a port";
        if (had && !has && !removedPorts_.count(port))
          return "ComDB released a port the removal did not remove";
      }
      return "";
    }
    const std::string dbgMsg = "HKLM\\System\\CurrentControlSet\\Services\\DbgMsg";
    if (!nt_ && IsUnder(c.path, dbgMsg)) {
      if (c.kind == "key" && Upper(c.path) == Upper(dbgMsg)) return "";
      for (const char* name : {"ErrorControl", "Type", "Start", "ImagePath", "Group"})
        if (Upper(c.path) == Upper(dbgMsg + "\\[" + name + "]")) return "";
    }
    return "a key or value outside the named ones written";
  }

  static std::uint32_t Dword(const std::vector<std::uint8_t>& d) {
    return static_cast<std::uint32_t>(d[0]) | static_cast<std::uint32_t>(d[1]) << 8 |
           static_cast<std::uint32_t>(d[2]) << 16 | static_cast<std::uint32_t>(d[3]) << 24;
  }

  static constexpr const char* kNtPorts =
      "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
  static constexpr const char* kArbiter =
      "HKLM\\System\\CurrentControlSet\\Control\\COM Name Arbiter";

  const sim::Machine& before_;
  bool nt_;
  std::string windows_, system_, staging_, desktop_;
  std::set<std::string> written_;    // files the deployment writes (any change)
  std::set<std::string> removable_;  // files the removal deletes
  std::vector<std::string> removedTrees_;
  std::vector<std::string> grants_;
  std::set<unsigned> removedPorts_;
  std::set<std::string> deviceMapValues_;
};

}  // namespace faults
