#include "platform/sim/EarlierInstallation.h"

#include <string>
#include <vector>

namespace sim {
namespace {

constexpr plat::DWORD kReadOnly = plat::kFileAttributeReadonly | plat::kFileAttributeArchive;

std::string Join(std::string_view a, std::string_view b) {
  std::string path(a);
  path += '\\';
  path += b;
  return path;
}

struct Driver {
  const char* name;
  std::vector<std::pair<const char*, const char*>> values;
};

void WriteDrivers(Machine& m, const std::string& classKey, const std::vector<Driver>& drivers) {
  for (const Driver& driver : drivers) {
    std::string key = Join(classKey, driver.name);
    m.CreateKey(key);
    for (const auto& [name, text] : driver.values) m.SetString(key, name, text);
  }
}

// An enumerated device instance; portName empty when it has none.
void WriteInstance(Machine& m, const std::string& key, const char* description, const char* driver,
                   const char* portName, bool portNameInParameters) {
  m.SetString(key, "DeviceDesc", description);
  if (driver[0] != '\0') m.SetString(key, "Driver", driver);
  if (portName[0] == '\0') return;
  if (portNameInParameters)
    m.SetString(Join(key, "Device Parameters"), "PortName", portName);
  else
    m.SetString(key, "PortName", portName);
}

void WriteComDb(Machine& m, const std::string& key, std::initializer_list<unsigned> ports) {
  std::vector<std::uint8_t> bits(32, 0);
  for (unsigned port : ports)
    bits[(port - 1) / 8] |= static_cast<std::uint8_t>(1u << ((port - 1) % 8));
  m.SetValue(key, "ComDB", plat::kRegBinary, bits);
}

std::string InfText(std::string_view provider, std::string_view driverFile) {
  std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nProvider=%Mfg%\r\n\r\n";
  text += "[SourceDisksFiles]\r\n";
  text += driverFile;
  text += "=1\r\n\r\n[Strings]\r\nMfg=\"";
  text += provider;
  text += "\"\r\n";
  return text;
}

void WriteShortcuts(Machine& m, const std::string& desktop, const std::string& programFolder) {
  for (const char* link : {"VYXUSBPRINTCONFIG.LNK", "SERIALMP.LNK", "CONFIG.LNK"})
    m.WriteFile(Join(desktop, link), "shell link to " + programFolder);
  m.WriteFile(Join(desktop, "Acme Terminal.lnk"), "shell link to Acme Terminal");
  m.SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
              "Desktop", desktop);
}

void WriteUninstallKeys(Machine& m, const std::string& uninstaller) {
  const std::string base = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  m.SetString(Join(base, "QuorVex USB Compound Device"), "DisplayName",
              "QuorVex USB Compound Device");
  m.SetString(Join(base, "QuorVex USB Compound Device"), "UninstallString", uninstaller);
  // An entry left by an older release under its generic name.
  m.SetString(Join(base, "USB Compound Device"), "DisplayName", "USB Compound Device");
  m.SetString(Join(base, "Acme USB Serial Driver"), "DisplayName", "Acme USB Serial Driver");
  m.SetString(Join(base, "Acme USB Serial Driver"), "UninstallString",
              "C:\\Program Files\\Acme\\uninst.exe");
}

void WriteWin2kXp(Machine& m, const std::string& desktop) {
  const std::string windows = m.Config().windowsFolder;
  const std::string system = m.Config().systemFolder;
  const std::string staging = windows.substr(0, 1) + ":\\VyxUZorp";
  const std::string inf = Join(windows, "inf");
  const std::string drivers = Join(system, "drivers");

  // The staging folder, as the earlier installation left it.
  m.WriteFile(Join(staging, "Setup.exe"), "MZ setup");
  m.WriteFile(Join(staging, "VyxUnst.exe"), "MZ uninstaller");
  for (const char* file : {"VyxUComp.inf", "vyxuport.sys", "DbgMsg.sys", "VyxUSBSerPropPage.dll",
                           "VyxUSBParPropPage.dll", "dbgmsgcfg.dll", "msvcp60.dll", "monitor.exe",
                           "VyxUSBParallel.exe", "VyxUSBSerial.exe", "SerialMP.exe", "Config.ini",
                           "VyxUsbPrintConfig.exe", "ZorpInputs.ini"})
    m.WriteFile(Join(Join(staging, "win2k&xp"), file), std::string("staged ") + file);
  m.WriteFile(Join(Join(staging, "win2k&xp"), "VyxUPort.inf"), InfText("QuorVex", "vyxuport.sys"),
              kReadOnly);
  m.WriteFile(Join(staging, "win2k&xp\\logs\\setupapi.log"), "log");

  // Utilities, drivers and the legacy port driver.
  for (const char* file :
       {"VyxUSBParallel.exe", "VyxUSBSerial.exe", "VyxUSBParPropPage.dll", "VyxUSBSerPropPage.dll",
        "SerialMP.exe", "Config.ini", "VyxUsbPrintConfig.exe"})
    m.WriteFile(Join(system, file), std::string("MZ ") + file);
  m.WriteFile(Join(drivers, "VyxUPort.sys"), "MZ port driver", kReadOnly);
  m.WriteFile(Join(drivers, "VyxPort.sys"), "MZ legacy port driver");
  m.WriteFile(Join(inf, "VyxPort.inf"), InfText("QuorVex", "VyxPort.sys"));
  m.WriteFile(Join(inf, "VyxPort.PNF"), "PNF");
  // Files of the installation that no removal step deletes.
  m.WriteFile(Join(drivers, "DbgMsg.sys"), "MZ debug messages");
  m.WriteFile(Join(system, "msvcp60.dll"), "MZ runtime");

  // INF files: as the Setup API recorded them and one from a release before it.
  m.WriteFile(Join(inf, "oem3.inf"), InfText("QuorVex", "vyxuport.sys"));
  m.WriteFile(Join(inf, "oem3.PNF"), "PNF");
  m.WriteFile(Join(inf, "oem4.inf"), InfText("QuorVex", "vyxuport.sys"));
  m.WriteFile(Join(inf, "oem4.PNF"), "PNF");
  m.WriteFile(Join(inf, "VyxUPort.inf"), InfText("QuorVex", "vyxuport.sys"));
  m.WriteFile(Join(inf, "VyxUPort.PNF"), "PNF");
  // Found by its contents only: no driver key names it.
  m.WriteFile(Join(inf, "oem7.inf"), InfText("QuorVex", "VYXUPORT.SYS"), kReadOnly);
  m.WriteFile(Join(inf, "oem7.PNF"), "PNF");  // never examined: it stays

  // Other makers' drivers and the system's own.
  m.WriteFile(Join(inf, "oem1.inf"), InfText("Acme Devices", "acmeser.sys"));
  m.WriteFile(Join(inf, "oem1.PNF"), "PNF");
  m.WriteFile(Join(inf, "oem2.inf"), InfText("Brightline", "brtstor.sys"));
  m.WriteFile(Join(inf, "oem2.PNF"), "PNF");
  for (const char* file : {"msports.inf", "msports.PNF", "usb.inf", "usbport.inf", "usbstor.inf"})
    m.WriteFile(Join(inf, file), "system INF");
  for (const char* file : {"acmeser.sys", "acmeusb.sys", "serial.sys", "usbport.sys"})
    m.WriteFile(Join(drivers, file), "MZ driver");

  WriteShortcuts(m, desktop, system);

  // Class keys.
  const std::string control = "HKLM\\System\\CurrentControlSet\\Control\\Class";
  const std::string ports = Join(control, "{4D36E978-E325-11CE-BFC1-08002BE10318}");
  m.SetString(ports, "Class", "Ports");
  WriteDrivers(m, ports,
               {
                   {"0000",
                    {{"ProviderName", "(Standard port types)"},
                     {"DriverDesc", "Communications Port"},
                     {"InfPath", "msports.inf"},
                     {"InfSection", "ComPort"},
                     {"MatchingDeviceId", "*pnp0501"}}},
                   {"0001",
                    {{"ProviderName", "QuorVex"},
                     {"DriverDesc", "QuorVex USB Serial Port"},
                     {"InfPath", "oem4.inf"},
                     {"InfSection", "VyxUPort.Serial"},
                     {"MatchingDeviceId", "QUORVEX\\USB_SERIAL_INTERFACE"}}},
                   {"0002",
                    {{"ProviderName", "(Standard port types)"},
                     {"DriverDesc", "ECP Printer Port"},
                     {"InfPath", "msports.inf"},
                     {"InfSection", "LptPort"},
                     {"MatchingDeviceId", "*pnp0401"}}},
                   // Rebranded: only the device ID tells it is the adapter's.
                   {"0003",
                    {{"ProviderName", "Tarvi Systems"},
                     {"DriverDesc", "USB Parallel Port"},
                     {"InfPath", "oem4.inf"},
                     {"InfSection", "VyxUPort.Parallel"},
                     {"MatchingDeviceId", "QUORVEX\\USB_PARALLEL_INTERFACE"}}},
                   {"0004",
                    {{"ProviderName", "Acme Devices"},
                     {"DriverDesc", "Acme USB Serial Port"},
                     {"InfPath", "oem1.inf"},
                     {"InfSection", "AcmeSer"},
                     {"MatchingDeviceId", "acme\\usb_serial"}}},
                   {"0005",
                    {{"ProviderName", "QuorVex"},
                     {"DriverDesc", "QuorVex USB Serial Port"},
                     {"InfPath", "VyxUPort.inf"},
                     {"InfSection", "VyxUPort.Serial"},
                     {"MatchingDeviceId", "quorvex\\usb_serial_interface"}}},
               });
  const std::string usb = Join(control, "{36FC9E60-C465-11CF-8056-444553540000}");
  m.SetString(usb, "Class", "USB");
  WriteDrivers(m, usb,
               {
                   {"0000",
                    {{"ProviderName", "Microsoft"},
                     {"DriverDesc", "USB Root Hub"},
                     {"InfPath", "usb.inf"},
                     {"InfSection", "ROOTHUB.Dev"},
                     {"MatchingDeviceId", "usb\\root_hub"}}},
                   {"0001",
                    {{"ProviderName", "QuorVex"},
                     {"DriverDesc", "QuorVex USB Compound Device"},
                     {"InfPath", "oem3.inf"},
                     {"InfSection", "VyxUsbComp.Dev"},
                     {"NTMPDriver", "vyxuport.sys"},
                     {"MatchingDeviceId", "usb\\vid_5e3a&pid_e4b2"}}},
                   {"0002",
                    {{"ProviderName", "Intel"},
                     {"DriverDesc", "Intel(r) 82801DB USB Universal Host Controller"},
                     {"InfPath", "usbport.inf"},
                     {"InfSection", "UHCI.Dev"},
                     {"MatchingDeviceId", "pci\\ven_8086&dev_24c2"}}},
                   {"0003",
                    {{"ProviderName", "Acme Devices"},
                     {"DriverDesc", "Acme USB Serial Adapter"},
                     {"InfPath", "oem1.inf"},
                     {"InfSection", "AcmeUsb.Dev"},
                     {"NTMPDriver", "acmeusb.sys"},
                     {"MatchingDeviceId", "usb\\vid_1234&pid_5678"}}},
                   {"0004",
                    {{"ProviderName", "QuorVex"},
                     {"DriverDesc", "QuorVex USB Compound Device"},
                     {"InfPath", "oem3.inf"},
                     {"InfSection", "VyxUsbComp.Dev"},
                     {"NTMPDriver", "vyxuport.sys"},
                     {"MatchingDeviceId", "usb\\vid_5e3a&pid_e4b4"}}},
                   {"0005",
                    {{"ProviderName", "Brightline"},
                     {"DriverDesc", "USB Mass Storage Device"},
                     {"InfPath", "oem2.inf"},
                     {"InfSection", "USBSTOR_BULK"},
                     {"MatchingDeviceId", "usb\\class_08&subclass_06&prot_50"}}},
               });

  // Enumerated devices. Only the system may change them until a grant is made.
  const std::string enumKey = "HKLM\\System\\CurrentControlSet\\Enum";
  const std::string usbEnum = Join(enumKey, "USB");
  const std::string usbClassRef = "{36FC9E60-C465-11CF-8056-444553540000}\\";
  const std::string portsClassRef = "{4D36E978-E325-11CE-BFC1-08002BE10318}\\";
  WriteInstance(m, Join(usbEnum, "ROOT_HUB\\4&1a2b3c4d&0"), "USB Root Hub",
                (usbClassRef + "0000").c_str(), "", true);
  WriteInstance(m, Join(usbEnum, "Vid_5E3A&Pid_E4B2\\5&2f3a1b&0&1"), "QuorVex USB Compound Device",
                (usbClassRef + "0001").c_str(), "", true);
  WriteInstance(m, Join(usbEnum, "VID_5E3A&PID_E4B4\\6&11aa22&0&2"), "QuorVex USB Compound Device",
                (usbClassRef + "0004").c_str(), "", true);
  // The same vendor's product that is not part of the adapter family.
  WriteInstance(m, Join(usbEnum, "Vid_5E3A&Pid_E4B9\\7&3c4d5e&0&1"), "QuorVex USB Hub", "", "",
                true);
  WriteInstance(m, Join(usbEnum, "Vid_1234&Pid_5678\\8&bb77cc&0&1"), "Acme USB Serial Adapter",
                (portsClassRef + "0004").c_str(), "COM4", true);
  const std::string maker = Join(enumKey, "QUORVEX");
  WriteInstance(m, Join(maker, "USB_SERIAL_INTERFACE\\6&3a1f&0&0000"), "QuorVex USB Serial Port",
                (portsClassRef + "0001").c_str(), "COM3", true);
  WriteInstance(m, Join(maker, "USB_SERIAL_INTERFACE\\6&3a1f&0&0001"), "QuorVex USB Serial Port",
                (portsClassRef + "0005").c_str(), "COM5", true);
  WriteInstance(m, Join(maker, "USB_PARALLEL_INTERFACE\\6&3a1f&0&0002"), "USB Parallel Port",
                (portsClassRef + "0003").c_str(), "LPT2", true);
  WriteInstance(m, Join(enumKey, "ACPI\\PNP0501\\1"), "Communications Port",
                (portsClassRef + "0000").c_str(), "COM1", true);
  WriteInstance(m, Join(enumKey, "CMC\\VyxPort\\0000"), "QuorVex Port (legacy)", "", "COM6", true);
  for (const std::string& key :
       {usbEnum, Join(usbEnum, "Vid_5E3A&Pid_E4B2"),
        Join(usbEnum, "Vid_5E3A&Pid_E4B2\\5&2f3a1b&0&1"), Join(usbEnum, "VID_5E3A&PID_E4B4"),
        Join(usbEnum, "VID_5E3A&PID_E4B4\\6&11aa22&0&2"), Join(usbEnum, "Vid_1234&Pid_5678"), maker,
        Join(maker, "USB_SERIAL_INTERFACE"), Join(maker, "USB_SERIAL_INTERFACE\\6&3a1f&0&0000"),
        Join(maker, "USB_SERIAL_INTERFACE\\6&3a1f&0&0001"), Join(maker, "USB_PARALLEL_INTERFACE"),
        Join(maker, "USB_PARALLEL_INTERFACE\\6&3a1f&0&0002"), Join(enumKey, "CMC")})
    m.DenyFullAccess(key);

  // Port names, the device map and the COM database.
  const std::string serialComm = "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM";
  m.SetString(serialComm, "\\Device\\Serial0", "COM1");
  m.SetString(serialComm, "\\Device\\VyxUSer0", "COM3");
  m.SetString(serialComm, "\\Device\\VyxUSer1", "COM5");
  m.SetString(serialComm, "\\Device\\AcmeSer0", "COM4");
  const std::string ntPorts = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
  for (const char* name : {"COM1:", "COM3:", "COM5:", "COM4:"})
    m.SetString(ntPorts, name, "9600,n,8,1");
  for (const char* name : {"FILE:", "LPT1:", "LPT2:"}) m.SetString(ntPorts, name, "");
  WriteComDb(m, "HKLM\\System\\CurrentControlSet\\Control\\COM Name Arbiter", {1, 3, 4, 5});

  // Services.
  const std::string services = "HKLM\\System\\CurrentControlSet\\Services";
  m.SetDword(Join(services, "VyxUPort"), "Type", 1);
  m.SetDword(Join(services, "VyxUPort"), "Start", 3);
  m.SetString(Join(services, "VyxUPort"), "ImagePath", "System32\\DRIVERS\\vyxuport.sys");
  m.SetDword(Join(services, "VyxUPort\\Enum"), "Count", 2);
  m.SetString(Join(services, "VyxUPort\\Enum"), "0",
              "QUORVEX\\USB_SERIAL_INTERFACE\\6&3a1f&0&0000");
  m.SetString(Join(services, "VyxPort"), "ImagePath", "System32\\DRIVERS\\VyxPort.sys");
  m.SetString(Join(services, "VyxPort.Sys"), "ImagePath", "System32\\DRIVERS\\VyxPort.sys");
  m.SetString(Join(services, "Serial"), "ImagePath", "System32\\DRIVERS\\serial.sys");
  m.SetString(Join(services, "AcmeSer"), "ImagePath", "System32\\DRIVERS\\acmeser.sys");

  WriteUninstallKeys(m, Join(system, "VyxUnst.exe"));
}

void WriteWin98Me(Machine& m, const std::string& desktop) {
  const std::string windows = m.Config().windowsFolder;
  const std::string system = m.Config().systemFolder;
  const std::string staging = windows.substr(0, 1) + ":\\VyxUZorp";
  const std::string inf = Join(windows, "inf");
  const std::string system16 = Join(windows, "System");

  m.WriteFile(Join(staging, "Setup.exe"), "MZ setup");
  m.WriteFile(Join(staging, "VyxUnst.exe"), "MZ uninstaller");
  for (const char* file :
       {"vyxUsbSr.inf", "vyxuSrPt.inf", "VyxUsbSr.sys", "TRQENUM.vxd", "VYXUPRPT.vxd",
        "VYXUSRPT.vxd", "VyxUsbPrintConfig.exe", "ZorpInputs.ini", "VyxUPar.exe", "Config.ini"})
    m.WriteFile(Join(Join(staging, "win98&me"), file), std::string("staged ") + file);
  m.WriteFile(Join(Join(staging, "win98&me"), "monitor.exe"), "staged monitor", kReadOnly);

  for (const char* file :
       {"VyxUPar.exe", "VyxUSer.exe", "VYXUPAR.DLL", "VYXUSER.DLL", "SerialMP.exe", "Config.ini",
        "VyxUsbSr.sys", "VYXUSRPT.vxd", "VYXUPRPT.vxd", "TRQENUM.vxd"})
    m.WriteFile(Join(system, file), std::string("MZ ") + file);
  m.WriteFile(Join(system16, "VyxUsbPrintConfig.exe"), "MZ print configuration", kReadOnly);
  m.WriteFile(Join(system, "VyxUnst.exe"), "MZ uninstaller");
  // Files of the installation that no removal step deletes.
  for (const char* file : {"monitor.exe", "dbgmsgcfg.dll", "msvcp60.dll"})
    m.WriteFile(Join(system, file), std::string("MZ ") + file);
  m.WriteFile(Join(windows, "System32\\Drivers\\DbgMsg9X.sys"), "MZ debug messages");

  m.WriteFile(Join(inf, "vyxUsbSr.inf"), InfText("QuorVex", "VyxUsbSr.sys"));
  m.WriteFile(Join(inf, "Vyxusbsr.PNF"), "PNF");
  m.WriteFile(Join(inf, "vyxuSrPt.inf"), InfText("QuorVex", "VYXUPRPT.vxd"));
  m.WriteFile(Join(inf, "vyxuSrPt.PNF"), "PNF");
  m.WriteFile(Join(inf, "other\\QUORVEX Semiconductor Pvt LtdvyxUsbSr.inf"),
              InfText("QuorVex", "VyxUsbSr.sys"));
  m.WriteFile(Join(inf, "other\\QUORVEX Semiconductor Pvt LtdvyxuSrPt.inf"),
              InfText("QuorVex", "VYXUPRPT.vxd"));
  // Other makers' drivers and the system's own.
  m.WriteFile(Join(inf, "other\\Acme IncAcmeSer.inf"), InfText("Acme Devices", "acmeser.vxd"));
  for (const char* file : {"msports.inf", "usb.inf"}) m.WriteFile(Join(inf, file), "system INF");
  for (const char* file : {"acmeser.vxd", "acmeusb.sys", "serial.vxd", "uhcd.sys"})
    m.WriteFile(Join(system, file), "MZ driver");

  WriteShortcuts(m, desktop, system16);

  const std::string classes = "HKLM\\System\\CurrentControlSet\\Services\\Class";
  WriteDrivers(
      m, Join(classes, "Ports"),
      {
          {"0000", {{"DriverDesc", "Communications Port"}, {"PortDriver", "serial.vxd"}}},
          {"0001", {{"DriverDesc", "USB-to-Serial Port Driver"}, {"PortDriver", "VYXUSRPT.vxd"}}},
          {"0002", {{"DriverDesc", "ECP Printer Port"}, {"PortDriver", "lpt.vxd"}}},
          {"0003", {{"DriverDesc", "USB-to-Paralell Port Driver"}, {"PortDriver", "VYXUPRPT.vxd"}}},
          {"0004", {{"DriverDesc", "Acme USB Serial Port"}, {"PortDriver", "acmeser.vxd"}}},
          // Known by its port driver only.
          {"0005", {{"DriverDesc", "QuorVex Serial Port"}, {"PortDriver", "vyxusrpt.vxd"}}},
      });
  WriteDrivers(
      m, Join(classes, "USB"),
      {
          {"0000", {{"DriverDesc", "USB Root Hub"}, {"NTMPDriver", "usbhub.sys"}}},
          {"0001", {{"DriverDesc", "QuorVex USB Compound Device"}, {"NTMPDriver", "VyxUsbSr.sys"}}},
          {"0002",
           {{"DriverDesc", "Intel 82371AB/EB PCI to USB Universal Host Controller"},
            {"NTMPDriver", "uhcd.sys"}}},
          {"0003", {{"DriverDesc", "Acme USB Serial Adapter"}, {"NTMPDriver", "acmeusb.sys"}}},
          {"0004", {{"DriverDesc", "TARVI USB Compound Device"}, {"NTMPDriver", "VyxUsbSr.sys"}}},
      });

  const std::string usbEnum = "HKLM\\Enum\\USB";
  WriteInstance(m, Join(usbEnum, "ROOT_HUB\\PCI&VEN_8086&DEV_7112"), "USB Root Hub", "USB\\0000",
                "", false);
  WriteInstance(m, Join(usbEnum, "Vid_5E3A&Pid_E4B2\\5E3A0001"), "QuorVex USB Compound Device",
                "USB\\0001", "", false);
  WriteInstance(m, Join(usbEnum, "VID_5E3A&PID_E4B1\\5E3A0002"), "TARVI USB Compound Device",
                "USB\\0004", "", false);
  WriteInstance(m, Join(usbEnum, "Vid_5E3A&Pid_E4B9\\5E3A0003"), "QuorVex USB Hub", "", "", false);
  WriteInstance(m, Join(usbEnum, "Vid_1234&Pid_5678\\ACME0001"), "Acme USB Serial Adapter",
                "USB\\0003", "", false);
  WriteInstance(m, "HKLM\\Enum\\ACME\\USB_SERIAL\\0000", "Acme USB Serial Port", "Ports\\0004",
                "COM4", false);
  WriteInstance(m, "HKLM\\Enum\\QUORVEX\\USB_SERIAL_INTERFACE\\0000", "USB-to-Serial Port",
                "Ports\\0001", "COM3", false);
  WriteInstance(m, "HKLM\\Enum\\QUORVEX\\USB_SERIAL_INTERFACE\\0001", "USB-to-Serial Port",
                "Ports\\0005", "COM5", false);
  WriteInstance(m, "HKLM\\Enum\\QUORVEX\\USB_PARALLEL_INTERFACE\\0000", "USB-to-Parallel Port",
                "Ports\\0003", "LPT2", false);
  WriteInstance(m, "HKLM\\Enum\\BIOS\\*PNP0501\\0D", "Communications Port", "Ports\\0000", "COM1",
                false);
  WriteInstance(m, "HKLM\\Enum\\BIOS\\*PNP0400\\0E", "ECP Printer Port", "Ports\\0002", "LPT1",
                false);

  for (const char* port : {"COM1", "COM3", "COM4", "COM5"})
    m.SetString("HKLM\\Hardware\\DeviceMap\\SerialComm", port, port);
  for (const char* port : {"LPT1", "LPT2"})
    m.SetString("HKLM\\Hardware\\DeviceMap\\Parallel", port, port);

  // The debug-message service the deployment recorded; no removal deletes it.
  const std::string services = "HKLM\\System\\CurrentControlSet\\Services";
  m.SetDword(Join(services, "DbgMsg"), "Start", 2);
  m.SetString(Join(services, "DbgMsg"), "ImagePath",
              "\\SystemRoot\\System32\\drivers\\dbgmsg9x.sys");

  WriteUninstallKeys(m, Join(system, "VyxUnst.exe"));
}

}  // namespace

void WriteEarlierInstallation(Machine& machine, bool win2kXp, std::string_view desktopFolder) {
  if (win2kXp)
    WriteWin2kXp(machine, desktopFolder.empty() ? earlier::kDesktopFolderNt : std::string(desktopFolder));
  else
    WriteWin98Me(machine, desktopFolder.empty() ? earlier::kDesktopFolder9x : std::string(desktopFolder));
}

}  // namespace sim
