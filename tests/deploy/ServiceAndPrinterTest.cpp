// The debug-message service key and the printers' bidirectional bit.
#include "deploy/DeployMachine.h"

namespace deploy_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::uint8_t> Dword(plat::DWORD value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}
std::vector<std::uint8_t> Sz(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

class ServiceAndPrinterTest : public DeployTest {
 protected:
  void ExpectServiceValues() const {
    const struct {
      const char* name;
      plat::DWORD type;
      std::vector<std::uint8_t> data;
    } expected[] = {
        {"ErrorControl", plat::kRegDword, Dword(1)},
        {"Type", plat::kRegDword, Dword(1)},
        {"Start", plat::kRegDword, Dword(2)},
        {"ImagePath", plat::kRegSz, Sz("\\SystemRoot\\System32\\drivers\\dbgmsg9x.sys")},
        {"Group", plat::kRegSz, Sz("Extended Base")},
    };
    for (const auto& value : expected) {
      SCOPED_TRACE(value.name);
      std::optional<sim::RegValue> stored = machine_->GetValue(kServiceKey, value.name);
      ASSERT_TRUE(stored);
      EXPECT_EQ(stored->type, value.type);
      EXPECT_EQ(stored->data, value.data);
    }
  }
  std::string Printer(const std::string& name) const {
    return std::string(kPrintersKey) + "\\" + name;
  }
};

TEST_F(ServiceAndPrinterTest, FirstRegistrationWritesExactlyTheFiveValues) {
  Start(Os98());
  EXPECT_EQ(installer_->RegisterDebugMessageService(), 1);
  EXPECT_THAT(machine_->ValueNames(kServiceKey),
              ElementsAre("ErrorControl", "Type", "Start", "ImagePath", "Group"));
  ExpectServiceValues();
  EXPECT_THAT(machine_->SubKeys(kServiceKey), IsEmpty());
}

TEST_F(ServiceAndPrinterTest, ExistingServiceKeyKeepsItsOtherValues) {
  Start(Os98());
  machine_->SetDword(kServiceKey, "Start", 4);
  machine_->SetString(kServiceKey, "ImagePath", "\\old\\path.sys");
  machine_->SetDword(kServiceKey, "Tag", 9);
  machine_->SetString(kServiceKey, "DisplayName", "Debug messages");
  EXPECT_EQ(installer_->RegisterDebugMessageService(), 1);
  ExpectServiceValues();
  EXPECT_EQ(machine_->GetValue(kServiceKey, "Tag")->data, Dword(9));
  EXPECT_EQ(machine_->GetValue(kServiceKey, "DisplayName")->data, Sz("Debug messages"));
  EXPECT_EQ(machine_->ValueNames(kServiceKey).size(), 7u);
}

TEST_F(ServiceAndPrinterTest, ServiceRegistrationThatCannotWriteStillReportsOne) {
  struct Case {
    const char* label;
    void (*prepare)(sim::Machine&);
  };
  const Case cases[] = {
      {"services key without full access",
       [](sim::Machine& m) { m.DenyFullAccess("HKLM\\System\\CurrentControlSet\\Services"); }},
      {"subkey refused",
       [](sim::Machine& m) { m.AddFault("RegCreateKey", "*", plat::kErrorAccessDenied); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Start(Os98());
    machine_->CreateKey("HKLM\\System\\CurrentControlSet\\Services");
    c.prepare(*machine_);
    EXPECT_EQ(installer_->RegisterDebugMessageService(), 1);
    EXPECT_FALSE(machine_->KeyExists(kServiceKey));
    EXPECT_THAT(BoxTexts(), IsEmpty());
    TearDown();
  }
}

TEST_F(ServiceAndPrinterTest, FailedWriteDoesNotKeepTheOthersFromBeingWritten) {
  Start(Os98());
  machine_->AddFault("RegSetValue", "*\\Start", plat::kErrorAccessDenied);
  EXPECT_EQ(installer_->RegisterDebugMessageService(), 1);
  EXPECT_THAT(machine_->ValueNames(kServiceKey),
              ElementsAre("ErrorControl", "Type", "ImagePath", "Group"));
}

TEST_F(ServiceAndPrinterTest, BidiBitIsClearedAndEveryOtherBitKept) {
  struct Case {
    plat::DWORD before;
    plat::DWORD after;
  };
  for (const Case& c :
       {Case{0xA40, 0x240}, Case{0x240, 0x240}, Case{0x800, 0}, Case{0xFFFFFFFF, 0xFFFFF7FF}}) {
    SCOPED_TRACE(c.before);
    Start(OsXp());
    machine_->SetDword(Printer("Office Printer"), "Attributes", c.before);
    EXPECT_EQ(installer_->ClearPrinterBidiAttribute(), plat::kErrorSuccess);
    EXPECT_EQ(machine_->GetValue(Printer("Office Printer"), "Attributes")->data, Dword(c.after));
    EXPECT_EQ(machine_->GetValue(Printer("Office Printer"), "Attributes")->type, plat::kRegDword);
    TearDown();
  }
}

TEST_F(ServiceAndPrinterTest, EveryPrinterIsChanged) {
  Start(Os98());
  machine_->SetDword(Printer("Label Printer"), "Attributes", 0xA40);
  machine_->SetDword(Printer("Label Printer"), "Priority", 0x800);
  EXPECT_EQ(installer_->ClearPrinterBidiAttribute(), plat::kErrorSuccess);
  EXPECT_EQ(machine_->GetValue(Printer("Label Printer"), "Attributes")->data, Dword(0x240));
  EXPECT_EQ(machine_->GetValue(Printer("Office Printer"), "Attributes")->data, Dword(0x040));
  // Other values of a printer stay as they are.
  EXPECT_EQ(machine_->GetValue(Printer("Label Printer"), "Priority")->data, Dword(0x800));
}

TEST_F(ServiceAndPrinterTest, PrinterWithoutAReadableAttributesValueIsSkipped) {
  struct Case {
    const char* label;
    plat::DWORD type;
    std::vector<std::uint8_t> data;  // empty type kRegNone: no value at all
  };
  const Case cases[] = {
      {"no value", plat::kRegNone, {}},
      {"two bytes", plat::kRegBinary, {0x00, 0x08}},
      {"eight bytes", plat::kRegBinary, {0x40, 0x08, 0, 0, 0, 0, 0, 0}},
      {"a string", plat::kRegSz, Sz("2112")},
      {"binary of four bytes", plat::kRegBinary, {0x40, 0x08, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Start(OsXp());
    machine_->CreateKey(Printer("Odd Printer"));
    if (c.type != plat::kRegNone)
      machine_->SetValue(Printer("Odd Printer"), "Attributes", c.type, c.data);
    EXPECT_EQ(installer_->ClearPrinterBidiAttribute(), plat::kErrorSuccess);
    std::optional<sim::RegValue> value = machine_->GetValue(Printer("Odd Printer"), "Attributes");
    if (c.type == plat::kRegNone) {
      EXPECT_FALSE(value);
    } else {
      ASSERT_TRUE(value);
      EXPECT_EQ(value->type, c.type);
      EXPECT_EQ(value->data, c.data);
    }
    // The printer after it is still reached.
    EXPECT_EQ(machine_->GetValue(Printer("Office Printer"), "Attributes")->data, Dword(0x040));
    TearDown();
  }
}

TEST_F(ServiceAndPrinterTest, PrintersKeyStatesAreReported) {
  struct Case {
    const char* label;
    void (*prepare)(sim::Machine&);
    plat::DWORD status;
  };
  const Case cases[] = {
      {"no printers",
       [](sim::Machine& m) {
         m.DeleteKeyTree(kPrintersKey);
         m.CreateKey(kPrintersKey);
       },
       plat::kErrorSuccess},
      {"no printers key", [](sim::Machine& m) { m.DeleteKeyTree(kPrintersKey); },
       plat::kErrorFileNotFound},
      {"no full access", [](sim::Machine& m) { m.DenyFullAccess(kPrintersKey); },
       plat::kErrorAccessDenied},
      {"a printer that cannot be opened",
       [](sim::Machine& m) { m.DenyFullAccess(std::string(kPrintersKey) + "\\Office Printer"); },
       plat::kErrorSuccess},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Start(OsXp());
    c.prepare(*machine_);
    EXPECT_EQ(installer_->ClearPrinterBidiAttribute(), c.status);
    EXPECT_THAT(machine_->Changes(), IsEmpty());
    EXPECT_THAT(BoxTexts(), IsEmpty());
    TearDown();
  }
}

}  // namespace
}  // namespace deploy_test
