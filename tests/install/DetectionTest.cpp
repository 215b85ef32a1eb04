// Detection of an earlier installation through the USB class's driver instances.
#include <gtest/gtest.h>

#include "app/CSetupApp.h"
#include "install/CDriverInstaller.h"
#include "install/SetupMachine.h"
#include "platform/sim/MachineState.h"

namespace setup_test {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
std::vector<std::uint8_t> Sz(const std::string& text) {
  std::vector<std::uint8_t> bytes = Bytes(text);
  bytes.push_back(0);
  return bytes;
}

struct DescriptionCase {
  const char* label;
  plat::DWORD type;
  std::vector<std::uint8_t> data;
  int detected;
};

class DetectionTest : public SetupMachineTest {
 protected:
  int Detect(bool win2kXp, int displayError = 1) {
    CSetupApp app(machine_->Os());
    app.m_nDisplayError = displayError;
    CDriverInstaller installer(machine_->Os(), app);
    installer.m_bWin2kXp = win2kXp ? 1 : 0;
    return installer.IsDriverInstalled();
  }
};

TEST_F(DetectionTest, DescriptionsAreComparedByPrefixWithoutRegardToCase) {
  const std::string longText = "usb compound device" + std::string(241, 'x');  // 260, no zero
  const std::vector<DescriptionCase> cases = {
      {"maker's own text", plat::kRegSz, Sz("Quorvex USB Compound Device"), 1},
      {"letter case does not matter", plat::kRegSz, Sz("QUORVEX usb COMPOUND device"), 1},
      {"second known text", plat::kRegSz, Sz("Tarvi USB Compound Device, rev 2"), 1},
      {"third text matches any maker", plat::kRegSz, Sz("USB Compound Device (2 ports)"), 1},
      {"third text with nothing after", plat::kRegSz, Sz("usb compound device"), 1},
      {"shorter than every text", plat::kRegSz, Sz("USB Compound"), 0},
      {"one character short", plat::kRegSz, Sz("usb compound devic"), 0},
      {"another device", plat::kRegSz, Sz("Generic USB Hub"), 0},
      {"text not at the start", plat::kRegSz, Sz("My usb compound device"), 0},
      {"four bytes with zero", plat::kRegSz, Sz("usb"), 0},
      {"stored without a zero", plat::kRegSz, Bytes("USB Compound Device"), 1},
      {"fills the buffer without a zero", plat::kRegSz, Bytes(longText), 1},
      {"longer than the buffer", plat::kRegSz, Sz(longText), 0},
      {"type is not examined", plat::kRegBinary, Bytes("usb compound device!"), 1},
      {"a number", plat::kRegDword, {1, 0, 0, 0}, 0},
      {"empty", plat::kRegSz, {}, 0},
  };
  for (bool win2kXp : {false, true}) {
    for (const DescriptionCase& c : cases) {
      SCOPED_TRACE(std::string(c.label) + (win2kXp ? " (2000/XP)" : " (98/Me)"));
      NewMachine(win2kXp ? OsXp() : Os98());
      machine_->SetValue(std::string(win2kXp ? kUsbClassKeyNt : kUsbClassKey9x) + "\\0000",
                         "DriverDesc", c.type, c.data);
      EXPECT_EQ(Detect(win2kXp), c.detected);
      EXPECT_TRUE(machine_->MessageBoxes().empty());
      EXPECT_TRUE(machine_->Changes().empty());
      TearDown();
    }
  }
}

TEST_F(DetectionTest, EachFlavourReadsOnlyItsOwnClassKey) {
  for (bool win2kXp : {false, true}) {
    SCOPED_TRACE(win2kXp ? "2000/XP" : "98/Me");
    NewMachine(win2kXp ? OsXp() : Os98());
    // The instance sits under the other flavour's key only.
    AddDriverInstance(!win2kXp, "0000", "Quorvex USB Compound Device");
    EXPECT_EQ(Detect(win2kXp), 0);
    AddDriverInstance(win2kXp, "0003", "Quorvex USB Compound Device");
    EXPECT_EQ(Detect(win2kXp), 1);
    TearDown();
  }
}

TEST_F(DetectionTest, InstancesWithoutAUsableDescriptionDoNotCount) {
  NewMachine(OsXp());
  machine_->CreateKey(std::string(kUsbClassKeyNt) + "\\0000");  // no DriverDesc
  machine_->SetString(std::string(kUsbClassKeyNt) + "\\0001", "Driver", "usb compound device");
  AddDriverInstance(true, "0002", "USB Root Hub");
  EXPECT_EQ(Detect(true), 0);
}

TEST_F(DetectionTest, ScanGoesOnAfterAMatch) {
  NewMachine(OsXp());
  AddDriverInstance(true, "0000", "Quorvex USB Compound Device");
  AddDriverInstance(true, "0001", "USB Root Hub");
  AddDriverInstance(true, "0002", "Generic USB Hub");
  EXPECT_EQ(Detect(true), 1);
  int laterOpens = 0;
  for (const sim::CallRecord& call : machine_->Calls()) {
    if (call.operation == "RegOpenKey" &&
        (call.target.ends_with("\\0001") || call.target.ends_with("\\0002")))
      ++laterOpens;
  }
  EXPECT_EQ(laterOpens, 2);
}

TEST_F(DetectionTest, InstanceThatCannotBeOpenedIsSkipped) {
  NewMachine(OsXp());
  AddDriverInstance(true, "0000", "Quorvex USB Compound Device");
  AddDriverInstance(true, "0001", "Generic USB Hub");
  machine_->AddFault("RegOpenKey", std::string(kUsbClassKeyNt) + "\\0000",
                     plat::kErrorAccessDenied);
  EXPECT_EQ(Detect(true), 0);
  EXPECT_TRUE(machine_->MessageBoxes().empty());

  AddDriverInstance(true, "0002", "usb compound device");
  EXPECT_EQ(Detect(true), 1);
}

TEST_F(DetectionTest, MissingClassKeyIsSilent) {
  for (int displayError : {0, 1}) {
    NewMachine(Os98());
    machine_->DeleteKeyTree(kUsbClassKey9x);
    EXPECT_EQ(Detect(false, displayError), 0);
    EXPECT_TRUE(machine_->MessageBoxes().empty());
    TearDown();
  }
}

TEST_F(DetectionTest, ClassKeyThatCannotBeOpenedIsReportedWhileErrorsAreShown) {
  for (int displayError : {0, 1}) {
    SCOPED_TRACE(displayError);
    NewMachine(OsXp());
    AddDriverInstance(true, "0000", "Quorvex USB Compound Device");
    machine_->AddFault("RegOpenKey", kUsbClassKeyNt, plat::kErrorAccessDenied);
    EXPECT_EQ(Detect(true, displayError), 0);

    // The system's own text for the code.
    char* expected = nullptr;
    plat::ISystem& system = machine_->Os().system;
    plat::DWORD length =
        system.FormatMessageA(plat::kFormatMessageFromSystem | plat::kFormatMessageIgnoreInserts |
                                  plat::kFormatMessageAllocateBuffer,
                              plat::kErrorAccessDenied, plat::kLangUserDefault, &expected);
    ASSERT_NE(length, 0u);
    std::string expectedText(expected, length);
    system.LocalFree(expected);

    const auto& boxes = machine_->MessageBoxes();
    if (displayError == 0) {
      EXPECT_TRUE(boxes.empty());
    } else {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].owner, "none");
      EXPECT_EQ(boxes[0].caption, "Registry Error");
      EXPECT_EQ(boxes[0].icon, "information");
      EXPECT_EQ(boxes[0].buttons, "ok");
      EXPECT_EQ(boxes[0].text, expectedText);
    }
    // The system's text was handed back either way.
    EXPECT_TRUE(machine_->Internal().allocations.empty());
    TearDown();
  }
}

// Without the system's text the box still names the code rather than showing nothing.
TEST_F(DetectionTest, RegistryErrorWithoutSystemTextStillSaysWhatFailed) {
  NewMachine(OsXp());
  machine_->AddFault("RegOpenKey", kUsbClassKeyNt, plat::kErrorAccessDenied);
  machine_->AddFault("FormatMessage", "*", plat::kErrorNotEnoughMemory);
  EXPECT_EQ(Detect(true), 0);
  ASSERT_EQ(machine_->MessageBoxes().size(), 1u);
  EXPECT_EQ(machine_->MessageBoxes()[0].caption, "Registry Error");
  EXPECT_EQ(machine_->MessageBoxes()[0].text, "Registry error 5.");
}

}  // namespace
}  // namespace setup_test
