// The driver-key rules of the Ports and USB class sweeps, both flavours, and
// the INF files that the 2000/XP driver keys name.
#include "remove/RemoverMachine.h"

namespace remove_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

struct Value {
  const char* name;
  plat::DWORD type;
  std::vector<std::uint8_t> data;
};
Value Sz(const char* name, std::string_view text) {
  std::vector<std::uint8_t> data = Bytes(text);
  data.push_back(0);
  return {name, plat::kRegSz, data};
}
Value Raw(const char* name, plat::DWORD type, std::string_view bytes) {
  return {name, type, Bytes(bytes)};
}

struct DriverCase {
  const char* what;
  std::vector<Value> values;
  bool deleted;
};

// "0000", "0001", ...
std::string KeyName(std::size_t i) {
  std::string name = std::to_string(i);
  return std::string(4 - std::min<std::size_t>(4, name.size()), '0') + name;
}

void WriteCases(sim::Machine& m, const std::string& classKey,
                const std::vector<DriverCase>& cases) {
  m.SetString(classKey, "Class", "test");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::string key = classKey + "\\" + KeyName(i);
    m.CreateKey(key);
    for (const Value& value : cases[i].values) m.SetValue(key, value.name, value.type, value.data);
  }
}

void ExpectOutcome(const sim::Machine& m, const std::string& classKey,
                   const std::vector<DriverCase>& cases) {
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(!m.KeyExists(classKey + "\\" + KeyName(i)), cases[i].deleted) << cases[i].what;
  }
  EXPECT_TRUE(m.GetValue(classKey, "Class").has_value());
}

const std::string kLong300 = "quorvex" + std::string(293, 'x');
// 260 bytes, no terminating zero: the whole buffer.
const std::string kFull260 = "quorvex" + std::string(253, 'x');

const std::vector<DriverCase>& PortsCasesNt() {
  static const std::vector<DriverCase> cases = {
      {"provider QuorVex", {Sz("ProviderName", "QuorVex Inc.")}, true},
      {"provider exactly the prefix", {Sz("ProviderName", "QUORVEX")}, true},
      {"provider one letter short", {Sz("ProviderName", "Quorve")}, false},
      {"provider with a zero inside",
       {Raw("ProviderName", plat::kRegSz, std::string("quor\0vex\0", 9))},
       false},
      {"description",
       {Sz("ProviderName", "Acme"), Sz("DriverDesc", "QuorVex USB Serial Port")},
       true},
      {"inf path of the maker", {Sz("InfPath", "QuorVexSer.inf")}, true},
      {"inf path the port INF", {Sz("InfPath", "VyxUPort.INF")}, true},
      {"inf path the port INF and more", {Sz("InfPath", "vyxuport.inf.bak")}, false},
      {"inf path shorter", {Sz("InfPath", "vyxuport.in")}, false},
      {"serial device id", {Sz("MatchingDeviceId", "QUORVEX\\USB_SERIAL_INTERFACE")}, true},
      {"parallel device id of another maker's name",
       {Sz("ProviderName", "Tarvi"), Sz("DriverDesc", "USB Parallel Port"),
        Sz("MatchingDeviceId", "quorvex\\usb_parallel_interface&rev_02")},
       true},
      {"device id too short", {Sz("MatchingDeviceId", "quorvex\\usb_serial_interfac")}, false},
      {"standard port",
       {Sz("ProviderName", "(Standard port types)"), Sz("DriverDesc", "Communications Port"),
        Sz("InfPath", "msports.inf"), Sz("MatchingDeviceId", "*pnp0501")},
       false},
      {"other maker",
       {Sz("ProviderName", "Acme Devices"), Sz("InfPath", "oem1.inf"),
        Sz("MatchingDeviceId", "acme\\usb_serial_interface")},
       false},
      {"provider too long for the buffer", {Sz("ProviderName", kLong300)}, false},
      {"provider fills the buffer without a zero",
       {Raw("ProviderName", plat::kRegBinary, kFull260)},
       true},
      {"inf path fills the buffer with zeros after the name",
       {Raw("InfPath", plat::kRegSz, "vyxuport.inf" + std::string(248, '\0'))},
       true},
      {"type is not looked at", {Raw("DriverDesc", plat::kRegBinary, "QuorVex")}, true},
      {"no values", {}, false},
  };
  return cases;
}

const std::vector<DriverCase>& UsbCasesNt() {
  static const std::vector<DriverCase> cases = {
      {"inf section", {Sz("InfSection", "VyxUsbComp.Dev")}, true},
      {"inf section shorter", {Sz("InfSection", "VyxUsbCom")}, false},
      {"multi-port driver", {Sz("NTMPDriver", "VYXUPORT.SYS")}, true},
      {"vendor id, any product", {Sz("MatchingDeviceId", "USB\\Vid_5E3A&Pid_E4B9")}, true},
      {"other vendor", {Sz("MatchingDeviceId", "usb\\vid_5e3b&pid_e4b2")}, false},
      {"description is not a rule here", {Sz("DriverDesc", "QuorVex USB Compound Device")}, false},
      {"root hub",
       {Sz("ProviderName", "Microsoft"), Sz("DriverDesc", "USB Root Hub"),
        Sz("InfSection", "ROOTHUB.Dev"), Sz("MatchingDeviceId", "usb\\root_hub")},
       false},
  };
  return cases;
}

const std::vector<DriverCase>& PortsCases9x() {
  static const std::vector<DriverCase> cases = {
      {"serial description", {Sz("DriverDesc", "USB-to-Serial Port Driver (COM3)")}, true},
      {"parallel description as spelled", {Sz("DriverDesc", "usb-to-paralell port driver")}, true},
      {"parallel description spelled right",
       {Sz("DriverDesc", "USB-to-Parallel Port Driver")},
       false},
      {"serial port driver",
       {Sz("DriverDesc", "Serial Port"), Sz("PortDriver", "VYXUSRPT.vxd")},
       true},
      {"parallel port driver", {Sz("PortDriver", "vyxuprpt.vxd")}, true},
      {"port driver name shorter", {Sz("PortDriver", "vyxusrp")}, false},
      {"standard port",
       {Sz("DriverDesc", "Communications Port"), Sz("PortDriver", "serial.vxd")},
       false},
      {"2000/XP rules do not apply",
       {Sz("ProviderName", "QuorVex"), Sz("InfPath", "vyxuport.inf")},
       false},
  };
  return cases;
}

const std::vector<DriverCase>& UsbCases9x() {
  static const std::vector<DriverCase> cases = {
      {"maker's device", {Sz("DriverDesc", "QuorVex USB Compound Device")}, true},
      {"second brand", {Sz("DriverDesc", "TARVI usb compound device")}, true},
      {"any maker's compound device", {Sz("DriverDesc", "USB Compound Device (2 ports)")}, true},
      {"compound device not at the start", {Sz("DriverDesc", "Acme USB Compound Device")}, false},
      {"description shorter", {Sz("DriverDesc", "USB Compound")}, false},
      {"multi-port driver",
       {Sz("DriverDesc", "Printer Cable"), Sz("NTMPDriver", "VyxUsbSr.sys")},
       true},
      {"other multi-port driver", {Sz("NTMPDriver", "vyxusb.sys")}, false},
      {"root hub", {Sz("DriverDesc", "USB Root Hub"), Sz("NTMPDriver", "usbhub.sys")}, false},
  };
  return cases;
}

class ClassKeyTest : public RemoverTest {};

TEST_F(ClassKeyTest, PortsRulesWindows2000) {
  sim::Machine& m = NewMachine(true);
  WriteCases(m, kPortsClassNt, PortsCasesNt());
  Remover().DeletePortsClassKeys();
  ExpectOutcome(m, kPortsClassNt, PortsCasesNt());
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_TRUE(m.HasCurrentUserGrant(kPortsClassNt));
}

TEST_F(ClassKeyTest, UsbRulesWindows2000) {
  sim::Machine& m = NewMachine(true);
  WriteCases(m, kUsbClassNt, UsbCasesNt());
  Remover().DeleteUsbClassKeys();
  ExpectOutcome(m, kUsbClassNt, UsbCasesNt());
  EXPECT_TRUE(m.HasCurrentUserGrant(kUsbClassNt));
}

TEST_F(ClassKeyTest, PortsRulesWindows98) {
  sim::Machine& m = NewMachine(false);
  WriteCases(m, kPortsClass9x, PortsCases9x());
  Remover().DeletePortsClassKeys();
  ExpectOutcome(m, kPortsClass9x, PortsCases9x());
  EXPECT_THAT(CallsOf("GetNamedSecurityInfo"), IsEmpty());
}

TEST_F(ClassKeyTest, UsbRulesWindows98) {
  sim::Machine& m = NewMachine(false);
  WriteCases(m, kUsbClass9x, UsbCases9x());
  Remover().DeleteUsbClassKeys();
  ExpectOutcome(m, kUsbClass9x, UsbCases9x());
}

TEST_F(ClassKeyTest, Windows98PortDriverIsReadOnlyWhenTheDescriptionFails) {
  sim::Machine& m = NewMachine(false);
  m.SetString(std::string(kPortsClass9x) + "\\0000", "DriverDesc", "USB-to-Serial Port Driver");
  m.SetString(std::string(kPortsClass9x) + "\\0000", "PortDriver", "vyxusrpt.vxd");
  m.SetString(std::string(kPortsClass9x) + "\\0001", "DriverDesc", "Communications Port");
  m.SetString(std::string(kPortsClass9x) + "\\0001", "PortDriver", "serial.vxd");
  Remover().DeletePortsClassKeys();
  std::vector<std::string> reads;
  for (const std::string& target : CallsOf("RegQueryValue"))
    reads.push_back(target.substr(std::string(kPortsClass9x).size() + 1));
  EXPECT_THAT(reads, ElementsAre("0000\\DriverDesc", "0001\\DriverDesc", "0001\\DriverDesc",
                                 "0001\\PortDriver", "0001\\PortDriver"));
}

TEST_F(ClassKeyTest, MissingClassKeyIsSilentAClosedOneIsReported) {
  sim::Machine& m = NewMachine(true);
  Remover().DeletePortsClassKeys();
  EXPECT_THAT(Boxes(), IsEmpty());

  m.SetString(std::string(kUsbClassNt) + "\\0000", "InfSection", "VyxUsbComp");
  m.AddFault("RegOpenKey", kUsbClassNt, plat::kErrorAccessDenied);
  Remover().DeleteUsbClassKeys();
  EXPECT_THAT(Boxes(), ElementsAre(Box{"Registry Error", "Access is denied.\r\n", "information"}));
  EXPECT_TRUE(m.KeyExists(std::string(kUsbClassNt) + "\\0000"));
}

TEST_F(ClassKeyTest, ADriverKeyThatCannotBeOpenedDoesNotMatch) {
  sim::Machine& m = NewMachine(true);
  m.SetString(std::string(kPortsClassNt) + "\\0000", "ProviderName", "QuorVex");
  m.SetString(std::string(kPortsClassNt) + "\\0001", "ProviderName", "QuorVex");
  m.AddFault("RegOpenKey", std::string(kPortsClassNt) + "\\0000", plat::kErrorAccessDenied);
  Remover().DeletePortsClassKeys();
  EXPECT_TRUE(m.KeyExists(std::string(kPortsClassNt) + "\\0000"));
  EXPECT_FALSE(m.KeyExists(std::string(kPortsClassNt) + "\\0001"));
  EXPECT_THAT(Boxes(), IsEmpty());
}

// ---- DeleteInfFiles ----

class InfFileTest : public RemoverTest {
 protected:
  void WriteInf(sim::Machine& m, std::initializer_list<const char*> names) {
    for (const char* name : names) m.WriteFile(std::string("C:\\WINDOWS\\inf\\") + name, "INF");
  }
  std::vector<std::string> Removed() const {
    std::vector<std::string> removed;
    for (const sim::Change& change : machine_->Changes()) {
      EXPECT_EQ(change.kind, "file") << change.path;
      EXPECT_EQ(change.op, "removed") << change.path;
      removed.push_back(change.path);
    }
    return removed;
  }
};

TEST_F(InfFileTest, Windows2000RemovesTheFixedFilesAndThoseTheMatchingDriverKeysName) {
  sim::Machine& m = NewMachine(true);
  WriteInf(m, {"VyxUComp.inf", "VyxUComp.PNF", "VyxUPort.inf", "VyxUPort.PNF", "oem3.inf",
               "oem3.PNF", "oem5.inf", "oem5.PNF", "oem6.inf", "oem6.PNF", "oem8.inf", "oem8.PNF",
               "x.inf", "x.i.inf", "oem9.inf.inf", "msports.inf", "usb.inf"});
  m.WriteFile("C:\\WINDOWS\\system32\\evil.inf", "not ours");
  m.WriteFile("C:\\WINDOWS\\evil.inf", "not ours");
  const std::string ports = kPortsClassNt;
  m.SetString(ports + "\\0000", "ProviderName", "QuorVex");
  m.SetString(ports + "\\0000", "InfPath", "oem5.inf");
  m.SetString(ports + "\\0001", "ProviderName", "Acme");
  m.SetString(ports + "\\0001", "InfPath", "oem6.inf");
  m.SetString(ports + "\\0002", "ProviderName", "quorvex");
  m.SetString(ports + "\\0002", "InfPath", "oem8");  // no extension: used whole
  m.SetString(ports + "\\0003", "ProviderName", "QUORVEX");
  m.SetString(ports + "\\0003", "InfPath", "..\\system32\\evil.inf");
  m.SetString(ports + "\\0004", "ProviderName", "QuorVex");
  m.SetString(ports + "\\0004", "InfPath", "..\\evil");
  m.SetString(ports + "\\0005", "ProviderName", "QuorVex");
  m.SetString(ports + "\\0005", "InfPath", "x.i");  // under 5 bytes: not used
  m.SetString(ports + "\\0006", "ProviderName", "QuorVex");
  m.SetString(ports + "\\0006", "InfPath", "x.inf");
  m.SetString(ports + "\\0007", "ProviderName", "QuorVex");
  m.SetString(ports + "\\0007", "InfPath", "oem9.inf.inf");
  m.SetString(ports + "\\0008", "ProviderName", "QuorVex");  // no InfPath
  const std::string usb = kUsbClassNt;
  m.SetString(usb + "\\0000", "InfSection", "VyxUsbComp.Dev");
  m.SetString(usb + "\\0000", "InfPath", "oem3.inf");
  m.SetString(usb + "\\0001", "InfSection", "ROOTHUB.Dev");
  m.SetString(usb + "\\0001", "InfPath", "usb.inf");

  Remover().DeleteInfFiles();
  EXPECT_THAT(Removed(), UnorderedElementsAre(
                             "C:\\WINDOWS\\inf\\VyxUComp.inf", "C:\\WINDOWS\\inf\\VyxUComp.PNF",
                             "C:\\WINDOWS\\inf\\VyxUPort.PNF", "C:\\WINDOWS\\inf\\VyxUPort.inf",
                             "C:\\WINDOWS\\inf\\oem3.PNF", "C:\\WINDOWS\\inf\\oem3.inf",
                             "C:\\WINDOWS\\inf\\oem5.PNF", "C:\\WINDOWS\\inf\\oem5.inf",
                             "C:\\WINDOWS\\inf\\oem8.PNF", "C:\\WINDOWS\\inf\\oem8.inf",
                             "C:\\WINDOWS\\inf\\oem9.inf.inf", "C:\\WINDOWS\\inf\\x.inf"));
  EXPECT_THAT(Boxes(), IsEmpty());
  // The driver keys stay for the sweeps, and no access was granted.
  EXPECT_TRUE(m.KeyExists(ports + "\\0000"));
  EXPECT_TRUE(m.KeyExists(usb + "\\0000"));
}

TEST_F(InfFileTest, Windows2000ShowsNothingWhenTheClassKeysCannotBeRead) {
  sim::Machine& m = NewMachine(true);
  WriteInf(m, {"oem5.inf"});
  m.SetString(std::string(kPortsClassNt) + "\\0000", "ProviderName", "QuorVex");
  m.SetString(std::string(kPortsClassNt) + "\\0000", "InfPath", "oem5.inf");
  m.AddFault("RegOpenKey", kPortsClassNt, plat::kErrorAccessDenied);
  m.AddFault("RegOpenKey", kUsbClassNt, plat::kErrorAccessDenied);
  Remover().DeleteInfFiles();
  EXPECT_TRUE(m.FileExists("C:\\WINDOWS\\inf\\oem5.inf"));
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(InfFileTest, Windows98RemovesTheSixFixedFiles) {
  sim::Machine& m = NewMachine(false);
  WriteInf(m, {"Vyxusbsr.inf", "Vyxusbsr.PNF", "vyxuSrPt.inf", "vyxuSrPt.PNF",
               "other\\QUORVEX Semiconductor Pvt LtdvyxUsbSr.inf",
               "other\\QUORVEX Semiconductor Pvt LtdvyxuSrPt.inf", "other\\Acme IncAcmeSer.inf",
               "msports.inf"});
  m.SetAttributes("C:\\WINDOWS\\inf\\vyxuSrPt.inf", plat::kFileAttributeReadonly);
  // The 98/Me driver keys name no INF files that are read.
  m.SetString(std::string(kPortsClass9x) + "\\0000", "ProviderName", "QuorVex");
  m.SetString(std::string(kPortsClass9x) + "\\0000", "InfPath", "msports.inf");
  Remover().DeleteInfFiles();
  EXPECT_THAT(Removed(), UnorderedElementsAre(
                             "C:\\WINDOWS\\inf\\Vyxusbsr.PNF", "C:\\WINDOWS\\inf\\Vyxusbsr.inf",
                             "C:\\WINDOWS\\inf\\other\\QUORVEX Semiconductor Pvt LtdvyxUsbSr.inf",
                             "C:\\WINDOWS\\inf\\other\\QUORVEX Semiconductor Pvt LtdvyxuSrPt.inf",
                             "C:\\WINDOWS\\inf\\vyxuSrPt.PNF", "C:\\WINDOWS\\inf\\vyxuSrPt.inf"));
}

}  // namespace
}  // namespace remove_test
