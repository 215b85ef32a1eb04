// The enumeration keys: the adapter's USB device keys, the interface instances
// and their port names.
#include <set>

#include "remove/RemoverMachine.h"

namespace remove_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class EnumKeyTest : public RemoverTest {
 protected:
  std::set<unsigned> RemovedPorts(const CDriverRemover& remover) const {
    std::set<unsigned> ports;
    for (unsigned n = 0; n <= 300; ++n)
      if (remover.IsRemovedPort(n)) ports.insert(n);
    return ports;
  }
};

TEST_F(EnumKeyTest, UsbDeviceKeysOfTheSevenProductsGoInAnyLetterCase) {
  for (bool win2kXp : {true, false}) {
    SCOPED_TRACE(win2kXp);
    TearDown();
    sim::Machine& m = NewMachine(win2kXp);
    const std::string usb = win2kXp ? kUsbEnumNt : kUsbEnum9x;
    const std::vector<std::string> gone = {
        "Vid_5E3A&Pid_E4B1", "VID_5E3A&PID_E4B2", "vid_5e3a&pid_e4b3",      "Vid_5E3A&Pid_E4B4",
        "Vid_5E3A&Pid_E4B5", "Vid_5E3A&Pid_E4B6", "Vid_5E3A&Pid_E4B7&Mi_00"};
    const std::vector<std::string> kept = {"ROOT_HUB",          "Vid_5E3A&Pid_E4B0",
                                           "Vid_5E3A&Pid_E4B8", "Vid_5E3A&Pid_E4B",
                                           "Vid_1234&Pid_E4B2", "Vid_5E3A_Pid_E4B2"};
    for (const std::string& key : gone) m.SetString(usb + "\\" + key + "\\1&2&3", "Driver", "x");
    for (const std::string& key : kept) m.SetString(usb + "\\" + key + "\\1&2&3", "Driver", "x");
    if (win2kXp) {
      m.DenyFullAccess(usb);
      m.DenyFullAccess(usb + "\\VID_5E3A&PID_E4B2\\1&2&3");
    }

    Remover().DeleteUsbEnumKeys();

    std::vector<std::string> left = m.SubKeys(usb);
    EXPECT_THAT(left, ::testing::UnorderedElementsAreArray(kept));
    EXPECT_THAT(Boxes(), IsEmpty());
    // No value is read to decide.
    EXPECT_THAT(CallsOf("RegQueryValue"), IsEmpty());
  }
}

// ---- RemovePortName, 2000/XP ----

struct PortNameCase {
  const char* what;
  std::optional<sim::RegValue> portName;  // nullopt: no "Device Parameters" key
  std::set<unsigned> added;
};

sim::RegValue SzValue(std::string_view text) {
  std::vector<std::uint8_t> data = Bytes(text);
  data.push_back(0);
  return {plat::kRegSz, data};
}

TEST_F(EnumKeyTest, Windows2000CollectsComNumbersWithAtoiSemantics) {
  const PortNameCase cases[] = {
      {"COM5", SzValue("COM5"), {5}},
      {"COM1", SzValue("COM1"), {1}},
      {"COM256", SzValue("COM256"), {256}},
      {"COM0", SzValue("COM0"), {}},
      {"COM257", SzValue("COM257"), {}},
      {"no digits", SzValue("COM"), {}},
      {"letters after COM", SzValue("COMx7"), {}},
      {"trailing colon", SzValue("COM12:"), {12}},
      {"leading blank", SzValue("COM 7"), {7}},
      {"plus sign", SzValue("COM+8"), {8}},
      {"minus sign", SzValue("COM-3"), {}},
      {"huge number", SzValue("COM99999999999999999999"), {}},
      {"lower case", SzValue("com5"), {}},
      {"LPT", SzValue("LPT1"), {}},
      {"too short", SzValue("CO"), {}},
      {"stored without a zero", sim::RegValue{plat::kRegBinary, Bytes("COM9")}, {9}},
      {"fills the buffer without a zero",
       sim::RegValue{plat::kRegBinary, Bytes("COM" + std::string(256, '0') + "7")},
       {7}},
      {"too long for the buffer", SzValue("COM3" + std::string(300, ' ')), {}},
      {"no Device Parameters", std::nullopt, {}},
  };
  const std::string serial = std::string(kMakerEnumNt) + "\\USB_SERIAL_INTERFACE";
  sim::Machine& m = NewMachine(true);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::string instance = serial + "\\" + std::to_string(i);
    m.CreateKey(instance);
    if (cases[i].portName)
      m.SetValue(instance + "\\Device Parameters", "PortName", cases[i].portName->type,
                 cases[i].portName->data);
  }
  Remover();
  plat::HKey key = OpenKey(serial.substr(5));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    CDriverRemover remover(Os(), *app_);
    remover.m_bWin2kXp = 1;
    remover.RemovePortName(key, std::to_string(i).c_str());
    EXPECT_EQ(RemovedPorts(remover), cases[i].added) << cases[i].what;
  }
  Os().registry.RegCloseKey(key);
  // Nothing is changed in the registry.
  EXPECT_THAT(m.Changes(), IsEmpty());
}

TEST_F(EnumKeyTest, Windows2000InstanceNameTooLongForThePathIsDeletedWithoutItsPortName) {
  sim::Machine& m = NewMachine(true);
  const std::string serial = std::string(kMakerEnumNt) + "\\USB_SERIAL_INTERFACE";
  const std::string longName(245, 'L');
  m.SetString(serial + "\\" + longName + "\\Device Parameters", "PortName", "COM7");
  m.SetString(serial + "\\short\\Device Parameters", "PortName", "COM8");
  Remover().DeleteInterfaceEnumKeys();
  EXPECT_FALSE(Remover().IsRemovedPort(7));
  EXPECT_TRUE(Remover().IsRemovedPort(8));
  EXPECT_FALSE(m.KeyExists(kMakerEnumNt));
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(EnumKeyTest, Windows2000SerialInstancesGiveTheirPortsParallelOnesGoWithTheMakersKey) {
  sim::Machine& m = NewMachine(true);
  const std::string maker = kMakerEnumNt;
  m.SetString(maker + "\\USB_SERIAL_INTERFACE\\6&1&0&0000\\Device Parameters", "PortName", "COM3");
  m.SetString(maker + "\\USB_SERIAL_INTERFACE\\6&1&0&0001\\Device Parameters", "PortName", "COM5");
  m.SetString(maker + "\\USB_PARALLEL_INTERFACE\\6&1&0&0002\\Device Parameters", "PortName",
              "COM9");
  for (const char* key : {"", "\\USB_SERIAL_INTERFACE", "\\USB_SERIAL_INTERFACE\\6&1&0&0000",
                          "\\USB_PARALLEL_INTERFACE\\6&1&0&0002\\Device Parameters"})
    m.DenyFullAccess(maker + key);
  m.SetString("HKLM\\System\\CurrentControlSet\\Enum\\QUORVEX2\\X", "PortName", "COM4");

  Remover().DeleteInterfaceEnumKeys();

  EXPECT_FALSE(m.KeyExists(maker));
  EXPECT_TRUE(m.KeyExists("HKLM\\System\\CurrentControlSet\\Enum\\QUORVEX2\\X"));
  EXPECT_TRUE(Remover().IsRemovedPort(3));
  EXPECT_TRUE(Remover().IsRemovedPort(5));
  EXPECT_FALSE(Remover().IsRemovedPort(9));
  for (const std::string& read : CallsOf("RegQueryValue"))
    EXPECT_EQ(read.find("PARALLEL"), std::string::npos) << read;
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(EnumKeyTest, Windows2000UndeletableInstanceIsTriedAgainWithTheMakersKey) {
  sim::Machine& m = NewMachine(true);
  const std::string instance = std::string(kMakerEnumNt) + "\\USB_SERIAL_INTERFACE\\0000";
  m.SetString(instance + "\\Device Parameters", "PortName", "COM3");
  m.AddFault("RegDeleteKey", instance, plat::kErrorAccessDenied);
  Remover().DeleteInterfaceEnumKeys();
  EXPECT_TRUE(m.KeyExists(instance));
  EXPECT_TRUE(Remover().IsRemovedPort(3));
  EXPECT_THAT(BoxTexts(), ElementsAre("0000", DeleteKeyText("0000"), "0000",
                                      DeleteKeyText("System\\CurrentControlSet\\Enum\\QUORVEX")));
}

TEST_F(EnumKeyTest, MissingKeysAreSilentAClosedInterfaceKeyIsReportedAndTheMakersKeyStillGoes) {
  for (bool win2kXp : {true, false}) {
    SCOPED_TRACE(win2kXp);
    TearDown();
    sim::Machine& m = NewMachine(win2kXp);
    Remover().DeleteInterfaceEnumKeys();
    EXPECT_THAT(Boxes(), IsEmpty());

    const std::string maker = win2kXp ? kMakerEnumNt : kMakerEnum9x;
    const std::string serial = maker + "\\USB_SERIAL_INTERFACE";
    m.SetString(serial + "\\0000", "PortName", "COM3");
    std::vector<Box> expected;
    if (win2kXp) {
      // Closed to the walk; the grant on the maker's key opens it again.
      m.DenyFullAccess(serial);
      m.AddFault("SetNamedSecurityInfo", serial, plat::kErrorAccessDenied);
      expected.push_back({"Error", "SetNamedSecurityInfo failed", "none"});
    } else {
      m.AddFault("RegOpenKey", serial, plat::kErrorAccessDenied);
    }
    expected.push_back({"Registry Error", "Access is denied.\r\n", "information"});
    Remover().DeleteInterfaceEnumKeys();
    EXPECT_THAT(Boxes(), expected);
    EXPECT_FALSE(m.KeyExists(maker));
  }
}

// ---- 98/Me ----

TEST_F(EnumKeyTest, Windows98PortNamesLeaveTheDeviceMapsAndTheSetStaysEmpty) {
  sim::Machine& m = NewMachine(false);
  const std::string maker = kMakerEnum9x;
  m.SetString(maker + "\\USB_SERIAL_INTERFACE\\0000", "PortName", "COM3");
  m.SetString(maker + "\\USB_SERIAL_INTERFACE\\0001", "PortName", "COM5");
  m.SetString(maker + "\\USB_SERIAL_INTERFACE\\0002", "PortName", "XYZ1");
  m.SetString(maker + "\\USB_SERIAL_INTERFACE\\0003", "PortName", "co");
  m.CreateKey(maker + "\\USB_SERIAL_INTERFACE\\0004");
  m.SetString(maker + "\\USB_PARALLEL_INTERFACE\\0000", "PortName", "LPT2");
  m.SetString(maker + "\\OTHER\\0000", "PortName", "COM4");
  for (const char* port : {"COM1", "COM3", "COM4", "COM5", "XYZ1"})
    m.SetString(kSerialMap9x, port, port);
  for (const char* port : {"LPT1", "LPT2"}) m.SetString(kParallelMap9x, port, port);

  Remover().DeleteInterfaceEnumKeys();

  EXPECT_THAT(m.ValueNames(kSerialMap9x), ElementsAre("COM1", "COM4", "XYZ1"));
  EXPECT_THAT(m.ValueNames(kParallelMap9x), ElementsAre("LPT1"));
  EXPECT_FALSE(m.KeyExists(maker));
  for (unsigned n = 0; n <= 257; ++n) EXPECT_FALSE(Remover().IsRemovedPort(n)) << n;
  EXPECT_THAT(CallsOf("GetNamedSecurityInfo"), IsEmpty());
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(EnumKeyTest, Windows98MissingDeviceMapOrValueIsSilent) {
  sim::Machine& m = NewMachine(false);
  m.SetString(std::string(kMakerEnum9x) + "\\USB_SERIAL_INTERFACE\\0000", "PortName", "COM3");
  m.SetString(std::string(kMakerEnum9x) + "\\USB_PARALLEL_INTERFACE\\0000", "PortName", "LPT2");
  m.SetString(kParallelMap9x, "LPT1", "LPT1");
  Remover().DeleteInterfaceEnumKeys();
  EXPECT_FALSE(m.KeyExists(kMakerEnum9x));
  EXPECT_THAT(m.ValueNames(kParallelMap9x), ElementsAre("LPT1"));
  EXPECT_THAT(Boxes(), IsEmpty());
}

}  // namespace
}  // namespace remove_test
