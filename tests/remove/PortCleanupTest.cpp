// The last steps: port-name values, the COM port database, the service key and
// the uninstall keys; and the removed-ports set they read.
#include <climits>

#include "remove/PortNumber.h"
#include "remove/RemoverMachine.h"

namespace remove_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Trace = std::vector<std::pair<plat::DWORD, std::string>>;

TEST(PortNumberTest, ParsesLikeAtoiWithoutOverflow) {
  struct Case {
    const char* text;
    long number;
  };
  const Case cases[] = {
      {"5", 5},
      {"12:", 12},
      {"256", 256},
      {"0", 0},
      {"", 0},
      {"x7", 0},
      {" \t7", 7},
      {"+8", 8},
      {"-3", -3},
      {"007", 7},
      {"3 4", 3},
      {"1e3", 1},
      {"99999999999999999999", 1000000000L},
  };
  for (const Case& c : cases) EXPECT_EQ(removal::ParsePortNumber(c.text), c.number) << c.text;
}

TEST(RemovedPortsTest, AcceptsExactlyOneTo256) {
  sim::OsConfig os;
  struct Case {
    unsigned port;
    bool kept;
  };
  const Case cases[] = {{0, false},  {1, true},    {2, true},        {255, true},
                        {256, true}, {257, false}, {UINT_MAX, false}};
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "remove-test-ports";
  std::filesystem::remove_all(folder);
  auto machine = sim::Machine::Create(folder, os);
  CSetupApp app(machine->Os());
  CDriverRemover remover(machine->Os(), app);
  for (const Case& c : cases) {
    EXPECT_FALSE(remover.IsRemovedPort(c.port)) << c.port;
    remover.AddRemovedPort(c.port);
    EXPECT_EQ(remover.IsRemovedPort(c.port), c.kept) << c.port;
  }
  for (unsigned n = 3; n <= 254; ++n) EXPECT_FALSE(remover.IsRemovedPort(n)) << n;
  machine.reset();
  std::filesystem::remove_all(folder);
}

// ---- DeletePortValues ----

class PortValuesTest : public RemoverTest {
 protected:
  sim::Machine& MachineWithPorts(std::initializer_list<const char*> names) {
    sim::Machine& m = NewMachine(true);
    for (const char* name : names) m.SetString(kNtPorts, name, "9600,n,8,1");
    return m;
  }
  Trace Values() const {
    Trace trace;
    for (const EnumCall& call : recorder_->enumValues) trace.emplace_back(call.index, call.name);
    return trace;
  }
};

TEST_F(PortValuesTest, DeletesTheRemovedComPortsWithoutAdvancingAfterADeletion) {
  sim::Machine& m = MachineWithPorts(
      {"COM1:", "COM3:", "COM5:", "LPT3:", "COM12:", "com7:", "CO", "COM", "COM3"});
  CDriverRemover& remover = Remover(1, true);
  for (unsigned port : {3u, 5u, 7u, 12u}) remover.AddRemovedPort(port);
  remover.DeletePortValues();
  EXPECT_THAT(Values(), ElementsAre(Trace::value_type{0, "COM1:"}, Trace::value_type{1, "COM3:"},
                                    Trace::value_type{1, "COM5:"}, Trace::value_type{1, "LPT3:"},
                                    Trace::value_type{2, "COM12:"}, Trace::value_type{2, "com7:"},
                                    Trace::value_type{3, "CO"}, Trace::value_type{4, "COM"},
                                    Trace::value_type{5, "COM3"}, Trace::value_type{5, ""}));
  EXPECT_THAT(m.ValueNames(kNtPorts), ElementsAre("COM1:", "LPT3:", "com7:", "CO", "COM"));
  EXPECT_TRUE(m.HasCurrentUserGrant(kNtPorts));
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(PortValuesTest, LptNamesAreNeverDeletedWhateverTheSetHolds) {
  sim::Machine& m = MachineWithPorts({"LPT1:", "LPT2:", "COM2:"});
  CDriverRemover& remover = Remover();
  for (unsigned port = 1; port <= 256; ++port) remover.AddRemovedPort(port);
  remover.DeletePortValues();
  EXPECT_THAT(m.ValueNames(kNtPorts), ElementsAre("LPT1:", "LPT2:"));
}

TEST_F(PortValuesTest, EmptySetDeletesNothing) {
  sim::Machine& m = MachineWithPorts({"COM1:", "COM3:"});
  Remover().DeletePortValues();
  EXPECT_THAT(ChangesButAcl(), IsEmpty());
  EXPECT_THAT(m.ValueNames(kNtPorts), ElementsAre("COM1:", "COM3:"));
}

TEST_F(PortValuesTest, AValueThatCannotBeDeletedStaysAndTheWalkMovesOn) {
  sim::Machine& m = MachineWithPorts({"COM3:", "COM5:"});
  m.AddFault("RegDeleteValue", std::string(kNtPorts) + "\\COM3:", plat::kErrorAccessDenied);
  CDriverRemover& remover = Remover();
  remover.AddRemovedPort(3);
  remover.AddRemovedPort(5);
  remover.DeletePortValues();
  EXPECT_THAT(m.ValueNames(kNtPorts), ElementsAre("COM3:"));
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(PortValuesTest, AValueReportedDeletedButStillThereIsPassedOver) {
  sim::Machine& m = MachineWithPorts({"COM3:", "COM5:"});
  m.AddFault("RegDeleteValue", std::string(kNtPorts) + "\\COM3:", plat::kErrorSuccess);
  CDriverRemover& remover = Remover(1, true);
  remover.AddRemovedPort(3);
  remover.AddRemovedPort(5);
  remover.DeletePortValues();
  EXPECT_THAT(Values(), ElementsAre(Trace::value_type{0, "COM3:"}, Trace::value_type{0, "COM3:"},
                                    Trace::value_type{1, "COM5:"}, Trace::value_type{1, ""}));
  EXPECT_THAT(m.ValueNames(kNtPorts), ElementsAre("COM3:"));
}

TEST_F(PortValuesTest, MissingKeyIsSilentAClosedOneIsReported) {
  sim::Machine& m = NewMachine(true);
  Remover().AddRemovedPort(3);
  Remover().DeletePortValues();
  EXPECT_THAT(Boxes(), IsEmpty());

  m.SetString(kNtPorts, "COM3:", "");
  m.AddFault("RegOpenKey", kNtPorts, plat::kErrorAccessDenied);
  Remover().DeletePortValues();
  EXPECT_THAT(Boxes(), ElementsAre(Box{"Registry Error", "Access is denied.\r\n", "information"}));
  EXPECT_THAT(m.ValueNames(kNtPorts), ElementsAre("COM3:"));
}

// ---- ReleaseComDbPorts ----

struct ComDbCase {
  const char* what;
  plat::DWORD type;
  std::vector<std::uint8_t> comDb;
  std::optional<std::vector<std::uint8_t>> merge;
  std::vector<unsigned> removed;
  std::optional<std::vector<std::uint8_t>> written;  // nullopt: left untouched
};

std::vector<std::uint8_t> Db(std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes,
                             std::size_t size = 32) {
  std::vector<std::uint8_t> db(size, 0);
  for (auto [index, value] : bytes) db[index] = value;
  return db;
}

class ComDbTest : public RemoverTest, public ::testing::WithParamInterface<ComDbCase> {};

TEST_P(ComDbTest, ClearsTheRemovedPortsBitsThatMergeDoesNotProtect) {
  const ComDbCase& c = GetParam();
  sim::Machine& m = NewMachine(true);
  m.SetValue(kArbiter, "ComDB", c.type, c.comDb);
  if (c.merge) m.SetValue(kArbiter, "ComDB Merge", plat::kRegBinary, *c.merge);
  CDriverRemover& remover = Remover();
  for (unsigned port : c.removed) remover.AddRemovedPort(port);

  remover.ReleaseComDbPorts();

  std::optional<sim::RegValue> after = m.GetValue(kArbiter, "ComDB");
  ASSERT_TRUE(after.has_value());
  if (c.written) {
    EXPECT_EQ(after->type, plat::kRegBinary);
    EXPECT_EQ(after->data, *c.written);
    EXPECT_EQ(CallsOf("RegSetValue").size(), 1u);
  } else {
    EXPECT_EQ(after->type, c.type);
    EXPECT_EQ(after->data, c.comDb);
    EXPECT_THAT(CallsOf("RegSetValue"), IsEmpty());
  }
  EXPECT_THAT(Boxes(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComDbTest,
    ::testing::Values(
        ComDbCase{
            "Port3Of3And4", plat::kRegBinary, Db({{0, 0x0C}}), std::nullopt, {3}, Db({{0, 0x08}})},
        ComDbCase{"Port3Protected",
                  plat::kRegBinary,
                  Db({{0, 0x0C}}),
                  Db({{0, 0x04}}),
                  {3},
                  std::nullopt},
        ComDbCase{"ShortMergeProtects",
                  plat::kRegBinary,
                  Db({{0, 0x0C}}),
                  Db({{0, 0x04}}, 1),
                  {3},
                  std::nullopt},
        ComDbCase{"Ports1And8And9And256",
                  plat::kRegBinary,
                  Db({{0, 0x81}, {1, 0x03}, {31, 0xC0}}),
                  std::nullopt,
                  {1, 8, 9, 256},
                  Db({{1, 0x02}, {31, 0x40}})},
        ComDbCase{"MergeProtectsSome",
                  plat::kRegBinary,
                  Db({{0, 0x81}, {31, 0x80}}),
                  Db({{0, 0x80}}),
                  {1, 8, 256},
                  Db({{0, 0x80}})},
        ComDbCase{
            "BitAlreadyClear", plat::kRegBinary, Db({{0, 0x01}}), std::nullopt, {2}, std::nullopt},
        ComDbCase{"EmptySet", plat::kRegBinary, Db({{0, 0xFF}}), std::nullopt, {}, std::nullopt},
        ComDbCase{"ShortValueWrittenAs32",
                  plat::kRegBinary,
                  Db({{0, 0xFF}, {1, 0xFF}}, 4),
                  std::nullopt,
                  {1},
                  Db({{0, 0xFE}, {1, 0xFF}})},
        ComDbCase{"ShortValueUnchanged",
                  plat::kRegBinary,
                  Db({{0, 0xFF}}, 4),
                  std::nullopt,
                  {9},
                  std::nullopt},
        ComDbCase{"LongValueLeftAlone",
                  plat::kRegBinary,
                  Db({{0, 0xFF}}, 33),
                  std::nullopt,
                  {1},
                  std::nullopt},
        ComDbCase{"OtherTypeLeftAlone",
                  plat::kRegDword,
                  Db({{0, 0xFF}}, 4),
                  std::nullopt,
                  {1},
                  std::nullopt},
        ComDbCase{"EmptyValueLeftAlone", plat::kRegBinary, {}, std::nullopt, {1}, std::nullopt},
        // A merge value that cannot be read protects nothing.
        ComDbCase{"UnreadableMerge",
                  plat::kRegBinary,
                  Db({{0, 0x04}}),
                  Db({{0, 0x04}}, 40),
                  {3},
                  Db({})}),
    [](const ::testing::TestParamInfo<ComDbCase>& info) { return info.param.what; });

class ComDbFailureTest : public RemoverTest {};

TEST_F(ComDbFailureTest, EveryFailureIsSilent) {
  struct Fault {
    const char* operation;
    std::string target;
  };
  const Fault faults[] = {
      {"RegOpenKey", kArbiter},
      {"RegQueryValue", std::string(kArbiter) + "\\ComDB"},
      {"RegSetValue", std::string(kArbiter) + "\\ComDB"},
      {"GetNamedSecurityInfo", kArbiter},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.operation);
    TearDown();
    sim::Machine& m = NewMachine(true);
    m.SetValue(kArbiter, "ComDB", plat::kRegBinary, Db({{0, 0x04}}));
    m.AddFault(fault.operation, fault.target, plat::kErrorAccessDenied);
    Remover(0).AddRemovedPort(3);
    Remover().ReleaseComDbPorts();
    EXPECT_EQ(m.GetValue(kArbiter, "ComDB")->data,
              std::string(fault.operation) == "GetNamedSecurityInfo" ? Db({}) : Db({{0, 0x04}}));
    EXPECT_THAT(m.MessageBoxes(), IsEmpty());
  }
}

TEST_F(ComDbFailureTest, MissingKeyIsSilent) {
  NewMachine(true);
  Remover().AddRemovedPort(3);
  Remover().ReleaseComDbPorts();
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(machine_->Changes(), IsEmpty());
}

// ---- Service and uninstall keys ----

class ServiceKeyTest : public RemoverTest {};

TEST_F(ServiceKeyTest, DeletedWithItsSubkeysAbsentIsNoFailure) {
  sim::Machine& m = NewMachine(true);
  m.SetString(std::string(kServiceKey) + "\\Enum", "0", "x");
  m.SetString(std::string(kServiceKey) + "\\Security", "Security", "x");
  m.SetString("HKLM\\System\\CurrentControlSet\\Services\\VyxUPort2", "ImagePath", "x");
  m.DenyFullAccess(std::string(kServiceKey) + "\\Security");
  Remover().DeleteServiceKey();
  EXPECT_FALSE(m.KeyExists(kServiceKey));
  EXPECT_TRUE(m.KeyExists("HKLM\\System\\CurrentControlSet\\Services\\VyxUPort2"));
  Remover().DeleteServiceKey();
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(ServiceKeyTest, AKeyThatStaysIsReportedAfterTheDeletionBoxes) {
  for (int displayError : {1, 0}) {
    TearDown();
    sim::Machine& m = NewMachine(true);
    m.SetString(std::string(kServiceKey) + "\\Enum", "0", "x");
    m.AddFault("RegDeleteKey", std::string(kServiceKey) + "\\Enum", plat::kErrorAccessDenied);
    Remover(displayError).DeleteServiceKey();
    EXPECT_TRUE(m.KeyExists(std::string(kServiceKey) + "\\Enum"));
    std::vector<Box> expected = {
        {"MySHDeleteKey Failed", "Enum", "warning"},
        {"RegDeleteKey Failed", DeleteKeyText("System\\CurrentControlSet\\Services\\VyxUPort"),
         "warning"},
        {"Registry Error", "Failed to Delete service VyxUPort", "information"}};
    EXPECT_THAT(Boxes(), displayError ? expected : std::vector<Box>{});
  }
}

TEST_F(ServiceKeyTest, UninstallKeysOnBothFlavours) {
  for (bool win2kXp : {true, false}) {
    SCOPED_TRACE(win2kXp);
    TearDown();
    sim::Machine& m = NewMachine(win2kXp);
    const std::string base = kUninstall;
    for (const char* name : {"QuorVex USB Compound Device", "TARVI USB Compound Device",
                             "USB Compound Device", "USB Compound Device 2", "Acme Driver"})
      m.SetString(base + "\\" + name + "\\Sub", "DisplayName", name);
    Remover().DeleteUninstallKeys();
    EXPECT_THAT(m.SubKeys(base), ElementsAre("Acme Driver", "USB Compound Device 2"));
    EXPECT_THAT(Boxes(), IsEmpty());
  }
}

TEST_F(ServiceKeyTest, Windows98LeavesTheNtKeysAlone) {
  sim::Machine& m = NewMachine(false);
  m.SetString(kServiceKey, "ImagePath", "x");
  m.SetString(kNtPorts, "COM3:", "");
  m.SetValue(kArbiter, "ComDB", plat::kRegBinary, Db({{0, 0x04}}));
  CDriverRemover& remover = Remover();
  remover.AddRemovedPort(3);  // cannot happen there, but even then
  remover.DeletePortValues();
  remover.ReleaseComDbPorts();
  remover.DeleteServiceKey();
  EXPECT_THAT(m.Changes(), IsEmpty());
  EXPECT_THAT(CallsOf("RegOpenKey"), IsEmpty());
}

}  // namespace
}  // namespace remove_test
