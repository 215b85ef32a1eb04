// The whole removal on machines that hold an earlier installation among the
// drivers of other makers: what goes, what stays, which boxes appear.
#include "platform/sim/EarlierInstallation.h"
#include "platform/sim/MachineState.h"
#include "remove/RemoverMachine.h"

namespace remove_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

const std::string kCcs = "HKLM\\System\\CurrentControlSet";

struct Expectation {
  std::vector<std::string> removedKeys;    // each with everything below it
  std::vector<std::string> removedValues;  // "key\[name]"
  std::vector<std::string> removedFiles;   // files, or folders with everything below
  std::vector<std::string> keptKeys;
  std::vector<std::string> keptFiles;
};

bool Below(const std::string& path, const std::string& root) {
  return sim::EqualNoCase(path.substr(0, root.size()), root) &&
         (path.size() == root.size() || path[root.size()] == '\\');
}

class RemovalScenarioTest : public RemoverTest {
 protected:
  sim::Machine& EarlierMachine(bool win2kXp) {
    sim::Machine& m = NewMachine(win2kXp);
    sim::WriteEarlierInstallation(m, win2kXp);
    return m;
  }

  // Every change is one the expectation names, and every named trace is gone.
  // changed: paths whose value or attributes may change.
  void ExpectRemoved(const Expectation& e, const std::vector<std::string>& changed = {}) {
    const sim::Machine& m = *machine_;
    for (const sim::Change& change : m.Changes()) {
      if (change.kind == "acl") continue;
      bool named = false;
      if (change.kind == "key" && change.op == "removed") {
        for (const std::string& root : e.removedKeys) named = named || Below(change.path, root);
      } else if (change.kind == "value" && change.op == "removed") {
        for (const std::string& root : e.removedKeys) named = named || Below(change.path, root);
        for (const std::string& value : e.removedValues) named = named || change.path == value;
      } else if (change.op == "changed") {
        for (const std::string& path : changed) named = named || change.path == path;
      } else if ((change.kind == "file" || change.kind == "folder") && change.op == "removed") {
        for (const std::string& root : e.removedFiles) named = named || Below(change.path, root);
      }
      EXPECT_TRUE(named) << change.kind << " " << change.op << " " << change.path;
    }
    for (const std::string& key : e.removedKeys) EXPECT_FALSE(m.KeyExists(key)) << key;
    for (const std::string& file : e.removedFiles)
      EXPECT_FALSE(m.FileExists(file) || m.FolderExists(file)) << file;
    for (const std::string& key : e.keptKeys) EXPECT_TRUE(m.KeyExists(key)) << key;
    for (const std::string& file : e.keptFiles) EXPECT_TRUE(m.FileExists(file)) << file;
  }

  std::vector<std::string> AclChanges() const {
    std::vector<std::string> paths;
    for (const sim::Change& change : machine_->Changes())
      if (change.kind == "acl") paths.push_back(change.path);
    return paths;
  }
};

Expectation XpExpectation() {
  const std::string sys = "C:\\WINDOWS\\System32";
  const std::string inf = "C:\\WINDOWS\\inf";
  const std::string desktop = sim::earlier::kDesktopFolderNt;
  const std::string ports = kCcs + "\\Control\\Class\\{4D36E978-E325-11CE-BFC1-08002BE10318}";
  const std::string usb = kCcs + "\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}";
  const std::string usbEnum = kCcs + "\\Enum\\USB";
  return Expectation{
      {ports + "\\0001", ports + "\\0003", ports + "\\0005", usb + "\\0001", usb + "\\0004",
       usbEnum + "\\Vid_5E3A&Pid_E4B2", usbEnum + "\\VID_5E3A&PID_E4B4", kCcs + "\\Enum\\QUORVEX",
       kCcs + "\\Enum\\CMC", kCcs + "\\Services\\VyxUPort", kCcs + "\\Services\\VyxPort",
       kCcs + "\\Services\\VyxPort.Sys", std::string(kUninstall) + "\\QuorVex USB Compound Device",
       std::string(kUninstall) + "\\USB Compound Device"},
      {std::string(kNtPorts) + "\\[COM3:]", std::string(kNtPorts) + "\\[COM5:]"},
      {"C:\\VyxUZorp",
       sys + "\\VyxUSBParallel.exe",
       sys + "\\VyxUSBSerial.exe",
       sys + "\\VyxUSBParPropPage.dll",
       sys + "\\VyxUSBSerPropPage.dll",
       sys + "\\SerialMP.exe",
       sys + "\\Config.ini",
       sys + "\\VyxUsbPrintConfig.exe",
       sys + "\\drivers\\VyxUPort.sys",
       sys + "\\drivers\\VyxPort.sys",
       inf + "\\VyxPort.inf",
       inf + "\\VyxPort.PNF",
       inf + "\\VyxUPort.inf",
       inf + "\\VyxUPort.PNF",
       inf + "\\oem3.inf",
       inf + "\\oem3.PNF",
       inf + "\\oem4.inf",
       inf + "\\oem4.PNF",
       inf + "\\oem7.inf",
       desktop + "\\VYXUSBPRINTCONFIG.LNK",
       desktop + "\\SERIALMP.LNK",
       desktop + "\\CONFIG.LNK"},
      {ports + "\\0000", ports + "\\0002", ports + "\\0004", usb + "\\0000", usb + "\\0002",
       usb + "\\0003", usb + "\\0005", usbEnum + "\\ROOT_HUB", usbEnum + "\\Vid_5E3A&Pid_E4B9",
       usbEnum + "\\Vid_1234&Pid_5678\\8&bb77cc&0&1\\Device Parameters",
       kCcs + "\\Enum\\ACPI\\PNP0501\\1", kCcs + "\\Services\\Serial", kCcs + "\\Services\\AcmeSer",
       std::string(kUninstall) + "\\Acme USB Serial Driver"},
      {inf + "\\oem1.inf", inf + "\\oem1.PNF", inf + "\\oem2.inf", inf + "\\oem2.PNF",
       inf + "\\oem7.PNF", inf + "\\msports.inf", inf + "\\usb.inf", sys + "\\msvcp60.dll",
       sys + "\\drivers\\DbgMsg.sys", sys + "\\drivers\\acmeser.sys",
       desktop + "\\Acme Terminal.lnk"}};
}

Expectation Win98Expectation() {
  const std::string sys = "C:\\WINDOWS\\SYSTEM";
  const std::string inf = "C:\\WINDOWS\\inf";
  const std::string desktop = sim::earlier::kDesktopFolder9x;
  const std::string classes = kCcs + "\\Services\\Class";
  return Expectation{
      {classes + "\\Ports\\0001", classes + "\\Ports\\0003", classes + "\\Ports\\0005",
       classes + "\\USB\\0001", classes + "\\USB\\0004", "HKLM\\Enum\\USB\\Vid_5E3A&Pid_E4B2",
       "HKLM\\Enum\\USB\\VID_5E3A&PID_E4B1", "HKLM\\Enum\\QUORVEX",
       std::string(kUninstall) + "\\QuorVex USB Compound Device",
       std::string(kUninstall) + "\\USB Compound Device"},
      {std::string(kSerialMap9x) + "\\[COM3]", std::string(kSerialMap9x) + "\\[COM5]",
       std::string(kParallelMap9x) + "\\[LPT2]"},
      {"C:\\VyxUZorp",
       sys + "\\VyxUPar.exe",
       sys + "\\VyxUSer.exe",
       sys + "\\VYXUPAR.DLL",
       sys + "\\VYXUSER.DLL",
       sys + "\\SerialMP.exe",
       sys + "\\Config.ini",
       sys + "\\VyxUsbPrintConfig.exe",
       sys + "\\VyxUsbSr.sys",
       sys + "\\VYXUSRPT.vxd",
       sys + "\\VYXUPRPT.vxd",
       sys + "\\TRQENUM.vxd",
       inf + "\\vyxUsbSr.inf",
       inf + "\\Vyxusbsr.PNF",
       inf + "\\vyxuSrPt.inf",
       inf + "\\vyxuSrPt.PNF",
       inf + "\\other\\QUORVEX Semiconductor Pvt LtdvyxUsbSr.inf",
       inf + "\\other\\QUORVEX Semiconductor Pvt LtdvyxuSrPt.inf",
       desktop + "\\VYXUSBPRINTCONFIG.LNK",
       desktop + "\\SERIALMP.LNK",
       desktop + "\\CONFIG.LNK"},
      {classes + "\\Ports\\0000", classes + "\\Ports\\0002", classes + "\\Ports\\0004",
       classes + "\\USB\\0000", classes + "\\USB\\0002", classes + "\\USB\\0003",
       "HKLM\\Enum\\USB\\ROOT_HUB", "HKLM\\Enum\\USB\\Vid_5E3A&Pid_E4B9",
       "HKLM\\Enum\\USB\\Vid_1234&Pid_5678", "HKLM\\Enum\\ACME\\USB_SERIAL\\0000",
       "HKLM\\Enum\\BIOS\\*PNP0501\\0D", kCcs + "\\Services\\DbgMsg",
       std::string(kUninstall) + "\\Acme USB Serial Driver"},
      {inf + "\\other\\Acme IncAcmeSer.inf", inf + "\\msports.inf", sys + "\\msvcp60.dll",
       sys + "\\monitor.exe", sys + "\\dbgmsgcfg.dll", sys + "\\VyxUnst.exe",
       "C:\\WINDOWS\\System32\\Drivers\\DbgMsg9X.sys", sys + "\\acmeser.vxd",
       desktop + "\\Acme Terminal.lnk"}};
}

TEST_F(RemovalScenarioTest, Windows2000RemovesEveryTraceAndKeepsOtherDevicesPorts) {
  sim::Machine& m = EarlierMachine(true);
  Remover().RemovePreviousInstallation();

  ExpectRemoved(XpExpectation(), {std::string(kArbiter) + "\\[ComDB]"});
  // COM3 and COM5 released; COM1 and COM4 of the other devices keep name and bit.
  EXPECT_THAT(m.ValueNames(kNtPorts), ElementsAre("COM1:", "COM4:", "FILE:", "LPT1:", "LPT2:"));
  std::vector<std::uint8_t> comDb(32, 0);
  comDb[0] = 0x09;
  EXPECT_EQ(m.GetValue(kArbiter, "ComDB")->data, comDb);
  EXPECT_EQ(m.ValueNames("HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM").size(), 4u);
  EXPECT_THAT(AclChanges(),
              UnorderedElementsAreArray({std::string("HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM"),
                                         std::string(kPortsClassNt), std::string(kUsbClassNt),
                                         std::string(kUsbEnumNt), std::string(kNtPorts),
                                         std::string(kArbiter)}));
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(m.Internal().allocations, IsEmpty());
}

TEST_F(RemovalScenarioTest, Windows98RemovesEveryTraceAndLeavesTheNtKeysAlone) {
  sim::Machine& m = EarlierMachine(false);
  // Keys a Windows 98 removal has no business with.
  m.SetString(kNtPorts, "COM3:", "9600,n,8,1");
  std::vector<std::uint8_t> comDb(32, 0);
  comDb[0] = 0x1D;
  m.SetValue(kArbiter, "ComDB", plat::kRegBinary, comDb);
  m.SetString(kServiceKey, "ImagePath", "x");

  Remover().RemovePreviousInstallation();

  Expectation e = Win98Expectation();
  e.keptKeys.push_back(kServiceKey);
  ExpectRemoved(e);
  EXPECT_THAT(m.ValueNames(kSerialMap9x), ElementsAre("COM1", "COM4"));
  EXPECT_THAT(m.ValueNames(kParallelMap9x), ElementsAre("LPT1"));
  EXPECT_THAT(m.ValueNames(kNtPorts), ElementsAre("COM3:"));
  EXPECT_EQ(m.GetValue(kArbiter, "ComDB")->data, comDb);
  EXPECT_THAT(AclChanges(), IsEmpty());
  EXPECT_THAT(CallsOf("GetNamedSecurityInfo"), IsEmpty());
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(RemovalScenarioTest, NoEarlierInstallationChangesNothingButTheGrants) {
  for (bool win2kXp : {true, false}) {
    SCOPED_TRACE(win2kXp);
    TearDown();
    sim::Machine& m = EarlierMachine(win2kXp);
    // Only the other makers' traces stay: run once, then again on the result.
    Remover().RemovePreviousInstallation();
    remover_.reset();
    std::size_t changes = m.Changes().size();
    std::size_t calls = CallsOf("RegSetValue").size();
    Remover().RemovePreviousInstallation();
    EXPECT_EQ(m.Changes().size(), changes);
    EXPECT_EQ(CallsOf("RegSetValue").size(), calls);  // "ComDB" not written again
    EXPECT_THAT(Boxes(), IsEmpty());
  }
}

TEST_F(RemovalScenarioTest, EarlyFailuresStopNoLaterStepAndBoxesFollowTheDisplaySetting) {
  std::vector<sim::Change> changesShown;
  for (int displayError : {1, 0}) {
    SCOPED_TRACE(displayError);
    TearDown();
    sim::Machine& m = EarlierMachine(true);
    m.AddFault("SHFileOperation", "C:\\VyxUZorp", plat::kErrorAccessDenied);  // step 1
    m.AddFault("GetNamedSecurityInfo", "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM",
               plat::kErrorAccessDenied);                                                // step 3
    m.AddFault("RegDeleteKey", kCcs + "\\Services\\VyxPort", plat::kErrorAccessDenied);  // step 4
    m.AddFault("DeleteFile", "C:\\WINDOWS\\inf\\oem4.inf", plat::kErrorAccessDenied);    // step 5

    Remover(displayError).RemovePreviousInstallation();

    Expectation e = XpExpectation();
    std::erase(e.removedFiles, std::string("C:\\VyxUZorp"));
    std::erase(e.removedFiles, std::string("C:\\WINDOWS\\inf\\oem4.inf"));
    std::erase(e.removedKeys, kCcs + "\\Services\\VyxPort");
    e.keptKeys.push_back(kCcs + "\\Services\\VyxPort");
    e.keptFiles.push_back("C:\\VyxUZorp\\Setup.exe");
    // The INF file that could not be deleted has lost its attributes.
    ExpectRemoved(e, {std::string(kArbiter) + "\\[ComDB]", "C:\\WINDOWS\\inf\\oem4.inf"});
    EXPECT_TRUE(m.FileExists("C:\\WINDOWS\\inf\\oem4.inf"));
    EXPECT_EQ(m.GetValue(kArbiter, "ComDB")->data[0], 0x09);
    if (displayError) {
      EXPECT_THAT(Boxes(),
                  ElementsAre(Box{"Error", "GetNamedSecurityInfo Failed", "none"},
                              Box{"MySHDeleteKey Failed",
                                  "System\\CurrentControlSet\\Services\\VyxPort", "warning"},
                              Box{"RegDeleteKey Failed",
                                  DeleteKeyText("System\\CurrentControlSet\\Services\\VyxPort"),
                                  "warning"}));
      changesShown = m.Changes();
    } else {
      EXPECT_THAT(Boxes(), IsEmpty());
      std::vector<sim::Change> changes = m.Changes();
      ASSERT_EQ(changes.size(), changesShown.size());
      for (std::size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].path, changesShown[i].path);
        EXPECT_EQ(changes[i].op, changesShown[i].op);
      }
    }
  }
}

TEST_F(RemovalScenarioTest, AnUndeletableServiceKeyIsReportedLast) {
  sim::Machine& m = EarlierMachine(true);
  m.AddFault("RegDeleteKey", std::string(kServiceKey) + "\\Enum", plat::kErrorAccessDenied);
  Remover().RemovePreviousInstallation();
  EXPECT_THAT(BoxTexts(),
              ElementsAre("Enum", DeleteKeyText("System\\CurrentControlSet\\Services\\VyxUPort"),
                          "Failed to Delete service VyxUPort"));
  EXPECT_TRUE(m.KeyExists(std::string(kServiceKey) + "\\Enum"));
}

}  // namespace
}  // namespace remove_test
