#include "SampleMachine.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <vector>

#include "platform/sim/EarlierInstallation.h"

namespace setupsim {
namespace {

constexpr const char* kUsbClassNt = "HKLM\\System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}";
constexpr const char* kPortsClassNt = "HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E978-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kUsbClass9x = "HKLM\\System\\CurrentControlSet\\Services\\Class\\USB";
constexpr const char* kPortsClass9x = "HKLM\\System\\CurrentControlSet\\Services\\Class\\Ports";
constexpr const char* kPrinters = "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers";
constexpr const char* kShellFolders = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct MediumFile {
  const char* folder;  // "" for the medium folder itself
  const char* name;
};

// Every file of both package flavours, as a shipped medium holds them.
const std::vector<MediumFile>& MediumFiles() {
  static const std::vector<MediumFile> files = {
      {"", "Setup.exe"},
      {"", "VyxUnst.exe"},
      {"win98&me", "vyxUsbSr.inf"},
      {"win98&me", "vyxuSrPt.inf"},
      {"win98&me", "VyxUsbSr.sys"},
      {"win98&me", "TRQENUM.vxd"},
      {"win98&me", "VYXUPRPT.vxd"},
      {"win98&me", "VYXUSRPT.vxd"},
      {"win98&me", "VyxUsbPrintConfig.exe"},
      {"win98&me", "VyxUPar.exe"},
      {"win98&me", "VyxUSer.exe"},
      {"win98&me", "VYXUPAR.DLL"},
      {"win98&me", "VYXUSER.DLL"},
      {"win98&me", "SerialMP.exe"},
      {"win98&me", "Config.ini"},
      {"win98&me", "monitor.exe"},
      {"win98&me", "dbgmsgcfg.dll"},
      {"win98&me", "msvcp60.dll"},
      {"win98&me", "DbgMsg9X.sys"},
      {"win98&me", "ZorpInputs.ini"},
      {"win2k&xp", "VyxUPort.inf"},
      {"win2k&xp", "VyxUComp.inf"},
      {"win2k&xp", "vyxuport.sys"},
      {"win2k&xp", "DbgMsg.sys"},
      {"win2k&xp", "VyxUSBSerPropPage.dll"},
      {"win2k&xp", "VyxUSBParPropPage.dll"},
      {"win2k&xp", "dbgmsgcfg.dll"},
      {"win2k&xp", "msvcp60.dll"},
      {"win2k&xp", "monitor.exe"},
      {"win2k&xp", "VyxUSBParallel.exe"},
      {"win2k&xp", "VyxUSBSerial.exe"},
      {"win2k&xp", "SerialMP.exe"},
      {"win2k&xp", "Config.ini"},
      {"win2k&xp", "VyxUsbPrintConfig.exe"},
      {"win2k&xp", "ZorpInputs.ini"},
  };
  return files;
}

// Contents of the sample package files: INF files that name their drivers, the
// settings file, and small stand-ins for the binaries.
std::string ContentsOf(const std::string& name) {
  if (name == "ZorpInputs.ini") return "[DisplayError]\r\nDisplay=1\r\n";
  if (name == "Config.ini") return "[Config]\r\nPorts=2\r\n";
  if (name == "VyxUPort.inf")
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Ports\r\nProvider=%Quorvex%\r\n\r\n"
           "[SourceDisksFiles]\r\nvyxuport.sys=1\r\n\r\n[Strings]\r\nQuorvex=\"QUORVEX Semiconductor Pvt Ltd\"\r\n";
  if (name == "VyxUComp.inf")
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=USB\r\nProvider=%Quorvex%\r\n\r\n"
           "[VyxUsbComp.NT]\r\nAddReg=VyxUsbComp.AddReg\r\n\r\n[Strings]\r\nQuorvex=\"QUORVEX Semiconductor Pvt Ltd\"\r\n";
  if (name == "vyxUsbSr.inf")
    return "[Version]\r\nSignature=\"$CHICAGO$\"\r\nClass=USB\r\n\r\n[SourceDisksFiles]\r\nVyxUsbSr.sys=1\r\nTRQENUM.vxd=1\r\n";
  if (name == "vyxuSrPt.inf")
    return "[Version]\r\nSignature=\"$CHICAGO$\"\r\nClass=Ports\r\n\r\n[SourceDisksFiles]\r\nVYXUSRPT.vxd=1\r\nVYXUPRPT.vxd=1\r\n";
  return "sample package file " + name + "\r\n";
}

// Where the user's profile folders are.
struct Profile {
  std::string desktop;
  std::string personal;
};

// The profile folders Wine makes for the login name it runs under.
Profile WineProfile(const std::string& desktop) {
  std::string user;
  if (const char* name = std::getenv("USER"); name != nullptr && *name != '\0') user = name;
  if (user.empty()) {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr) user = entry->pw_name;
  }
  if (user.empty()) user = "user";
  std::string home = "C:\\users\\" + user;
  return {desktop.empty() ? home + "\\Desktop" : desktop, home + "\\Documents"};
}

void WriteWindows(sim::Machine& m, bool nt, const Profile& profile) {
  const sim::OsConfig& os = m.Config();
  const std::string& windows = os.windowsFolder;
  for (const char* sub : {"\\inf", "\\System", "\\System32", "\\System32\\Drivers", "\\Fonts"}) m.MakeFolder(windows + sub);
  m.MakeFolder(os.systemFolder);
  if (!nt) m.MakeFolder(windows + "\\inf\\other");
  m.WriteFile(windows + "\\inf\\Drvdata.bin", "driver index data");
  m.WriteFile(windows + "\\inf\\Drvidx.bin", "driver index", plat::kFileAttributeArchive | plat::kFileAttributeHidden);
  m.WriteFile(windows + "\\inf\\msports.inf", "[Version]\r\nClass=Ports\r\n[SourceDisksFiles]\r\nserial.sys=1\r\n");
  m.WriteFile(windows + "\\inf\\usb.inf", "[Version]\r\nClass=USB\r\n[SourceDisksFiles]\r\nusbhub.sys=1\r\n");
  m.WriteFile(windows + "\\inf\\oem0.inf", "[Version]\r\nProvider=Logitech\r\n[SourceDisksFiles]\r\nlmouusb.sys=1\r\n");

  m.MakeFolder(profile.desktop);
  m.SetString(kShellFolders, "Desktop", profile.desktop);
  m.SetString(kShellFolders, "Personal", profile.personal);

  // Two printers, one with bidirectional communication on.
  m.SetString(kPrinters, "DefaultSpoolDirectory", windows + (nt ? "\\System32\\spool\\PRINTERS" : "\\SPOOL\\PRINTERS"));
  m.SetDword(std::string(kPrinters) + "\\HP LaserJet 4", "Attributes", 0xA40);
  m.SetString(std::string(kPrinters) + "\\HP LaserJet 4", "Port", "LPT1:");
  m.SetDword(std::string(kPrinters) + "\\Epson LQ-570", "Attributes", 0x240);
  m.SetString(std::string(kPrinters) + "\\Epson LQ-570", "Port", "LPT1:");

  if (nt) {
    m.SetString(std::string(kUsbClassNt), "Class", "USB");
    m.SetString(std::string(kUsbClassNt) + "\\0000", "DriverDesc", "Standard Universal PCI to USB Host Controller");
    m.SetString(std::string(kUsbClassNt) + "\\0000", "ProviderName", "Microsoft");
    m.SetString(std::string(kUsbClassNt) + "\\0000", "InfPath", "usb.inf");
    m.SetString(std::string(kUsbClassNt) + "\\0000", "MatchingDeviceId", "pci\\cc_0c0300");
    m.SetString(std::string(kUsbClassNt) + "\\0001", "DriverDesc", "USB Root Hub");
    m.SetString(std::string(kUsbClassNt) + "\\0001", "InfPath", "usbport.inf");
    m.SetString(std::string(kUsbClassNt) + "\\0001", "MatchingDeviceId", "usb\\root_hub");
    m.SetString(std::string(kPortsClassNt), "Class", "Ports");
    m.SetString(std::string(kPortsClassNt) + "\\0000", "DriverDesc", "Communications Port");
    m.SetString(std::string(kPortsClassNt) + "\\0000", "ProviderName", "Microsoft");
    m.SetString(std::string(kPortsClassNt) + "\\0000", "InfPath", "msports.inf");
    m.SetString(std::string(kPortsClassNt) + "\\0000", "MatchingDeviceId", "*pnp0501");
    m.SetString(std::string(kPortsClassNt) + "\\0001", "DriverDesc", "ECP Printer Port");
    m.SetString(std::string(kPortsClassNt) + "\\0001", "ProviderName", "Microsoft");
    m.SetString(std::string(kPortsClassNt) + "\\0001", "InfPath", "msports.inf");
    m.SetString(std::string(kPortsClassNt) + "\\0001", "MatchingDeviceId", "*pnp0401");
    m.SetString("HKLM\\System\\CurrentControlSet\\Enum\\USB\\ROOT_HUB\\4&1a2b3c&0", "Class", "USB");
    m.SetString("HKLM\\System\\CurrentControlSet\\Enum\\USB\\Vid_046d&Pid_c00e\\5&2c3d&0&1", "Class", "HIDClass");
    m.SetString("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports", "COM1:", "9600,n,8,1");
    m.SetString("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports", "COM2:", "9600,n,8,1");
    m.SetString("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports", "LPT1:", "");
    std::vector<std::uint8_t> comDb(32, 0);
    comDb[0] = 0x03;  // COM1 and COM2 taken
    m.SetValue("HKLM\\System\\CurrentControlSet\\Control\\COM Name Arbiter", "ComDB", plat::kRegBinary, comDb);
    m.SetString("HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM", "\\Device\\Serial0", "COM1");
    m.SetString("HKLM\\System\\CurrentControlSet\\Services\\Serial", "ImagePath", "system32\\DRIVERS\\serial.sys");
    m.SetDword("HKLM\\System\\CurrentControlSet\\Services\\Serial", "Start", 1);
  } else {
    m.SetString(std::string(kUsbClass9x) + "\\0000", "DriverDesc", "Standard Universal PCI to USB Host Controller");
    m.SetString(std::string(kUsbClass9x) + "\\0000", "ProviderName", "Microsoft");
    m.SetString(std::string(kUsbClass9x) + "\\0001", "DriverDesc", "USB Root Hub");
    m.SetString(std::string(kPortsClass9x) + "\\0000", "DriverDesc", "Communications Port");
    m.SetString(std::string(kPortsClass9x) + "\\0000", "PortDriver", "serial.vxd");
    m.SetString(std::string(kPortsClass9x) + "\\0001", "DriverDesc", "ECP Printer Port");
    m.SetString(std::string(kPortsClass9x) + "\\0001", "PortDriver", "lpt.vxd");
    m.SetString("HKLM\\Enum\\USB\\ROOT_HUB\\PCI&VEN_8086&DEV_7112", "Class", "USB");
    m.SetString("HKLM\\Hardware\\DeviceMap\\SerialComm", "COM1", "COM1");
    m.SetString("HKLM\\Hardware\\DeviceMap\\Parallel", "LPT1", "LPT1");
    m.SetString("HKLM\\System\\CurrentControlSet\\Services\\VxD\\VCOMM", "StaticVxD", "vcomm.vxd");
  }
  m.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\WinZip", "DisplayName", "WinZip");
}

void WriteMedium(sim::Machine& m) {
  for (const MediumFile& file : MediumFiles()) {
    std::string path = std::string("E:\\") + file.folder + (file.folder[0] ? "\\" : "") + file.name;
    m.WriteFile(path, ContentsOf(file.name));
  }
}

}  // namespace

std::optional<sim::OsConfig> WindowsOf(const std::string& name) {
  sim::OsConfig os;
  auto set = [&](plat::DWORD platform, plat::DWORD major, plat::DWORD minor, plat::DWORD build, bool extended,
                 const char* windows, const char* system) {
    os.platformId = platform;
    os.major = major;
    os.minor = minor;
    os.build = build;
    os.extendedVersionInfo = extended;
    os.windowsFolder = windows;
    os.systemFolder = system;
    os.currentFolder = "E:\\";
  };
  if (name == "95")
    set(1, 4, 0, 950, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
  else if (name == "98")
    set(1, 4, 10, 2222, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
  else if (name == "me")
    set(1, 4, 90, 3000, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
  else if (name == "nt4")
    set(2, 4, 0, 1381, false, "C:\\WINNT", "C:\\WINNT\\system32");
  else if (name == "2000")
    set(2, 5, 0, 2195, true, "C:\\WINNT", "C:\\WINNT\\system32");
  else if (name == "xp")
    set(2, 5, 1, 2600, true, "C:\\WINDOWS", "C:\\WINDOWS\\system32");
  else if (name == "vista")
    set(2, 6, 0, 6000, true, "C:\\Windows", "C:\\Windows\\system32");
  else
    return std::nullopt;
  return os;
}

bool WriteSampleMachine(const std::filesystem::path& folder, const InitOptions& options, std::string* error) {
  auto os = WindowsOf(options.os);
  if (!os) {
    *error = "unknown Windows version \"" + options.os + "\" (95, 98, me, nt4, 2000, xp, vista)";
    return false;
  }
  bool wine = options.layout == "wine";
  if (!wine && options.layout != "windows") {
    *error = "unknown layout \"" + options.layout + "\" (windows, wine)";
    return false;
  }
  if (wine) {
    // Wine keeps its Windows folder in C:\windows whatever version it reports.
    os->windowsFolder = "C:\\windows";
    os->systemFolder = "C:\\windows\\system32";
  }
  std::error_code ec;
  if (std::filesystem::exists(folder / "machine.ini", ec)) {
    *error = folder.string() + " already holds a machine";
    return false;
  }
  auto machine = sim::Machine::Create(folder, *os);
  if (!machine) {
    *error = "cannot create a machine in " + folder.string();
    return false;
  }
  bool nt = os->IsNt();
  Profile profile = wine ? WineProfile(options.desktop)
                    : nt ? Profile{"C:\\Documents and Settings\\User\\Desktop",
                                   "C:\\Documents and Settings\\User\\My Documents"}
                         : Profile{os->windowsFolder + "\\Desktop", "C:\\My Documents"};
  WriteWindows(*machine, nt, profile);
  if (options.medium) WriteMedium(*machine);
  // The flavour of the earlier installation is the one this Windows selects.
  bool win2kXp = nt && os->major == 5;
  if (options.earlierInstallation)
    sim::WriteEarlierInstallation(*machine, win2kXp, wine ? profile.desktop : std::string());
  return machine->Save(error);
}

}  // namespace setupsim
