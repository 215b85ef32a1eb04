// The allow-list the fault matrix judges changes by: it accepts what a normal
// reinstallation changes and refuses what belongs to other makers or to the
// system, so that a matrix run that passes means something.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "RunReport.h"
#include "SampleMachine.h"
#include "faults/ChangeAllowList.h"

namespace {

namespace fs = std::filesystem;

class AllowListTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("fault-allow-list-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    setupsim::InitOptions init;
    init.os = GetParam();
    init.earlierInstallation = true;
    std::string error;
    ASSERT_TRUE(setupsim::WriteSampleMachine(dir_, init, &error)) << error;
    machine_ = sim::Machine::Load(dir_, &error);
    ASSERT_NE(machine_, nullptr) << error;
    before_ = sim::Machine::Load(dir_, &error);
    nt_ = std::string(GetParam()) == "xp";
  }
  void TearDown() override {
    machine_.reset();
    before_.reset();
    fs::remove_all(dir_);
  }
  std::unique_ptr<sim::Machine> machine_, before_;
  fs::path dir_;
  bool nt_ = false;
};

TEST_P(AllowListTest, AcceptsAReinstallation) {
  faults::ChangeAllowList allow(*before_, nt_);
  setupsim::RunOutcome outcome = setupsim::RunSetup(*machine_, {});
  ASSERT_EQ(outcome.result, 1);
  ASSERT_GT(outcome.changes.size(), 50u);
  for (const sim::Change& c : outcome.changes)
    EXPECT_EQ(allow.Check(c, *machine_), "") << c.kind << " " << c.op << " " << c.path;
}

TEST_P(AllowListTest, RefusesWhatBelongsToOthers) {
  faults::ChangeAllowList allow(*before_, nt_);
  const std::string windows = before_->Config().windowsFolder;
  const std::string system = before_->Config().systemFolder;
  const std::string ports = nt_ ? "HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E978-E325-"
                                  "11CE-BFC1-08002BE10318}"
                                : "HKLM\\System\\CurrentControlSet\\Services\\Class\\Ports";
  const std::string enumRoot = nt_ ? "HKLM\\System\\CurrentControlSet\\Enum" : "HKLM\\Enum";
  struct Case {
    std::string kind, op, path, detail;
  } cases[] = {
      {"key", "removed", ports + "\\0004", ""},  // Acme's serial port driver
      {"value", "removed", ports + "\\0000\\[DriverDesc]", ""},
      {"key", "removed", ports, ""},
      {"key", "removed", enumRoot + "\\USB\\Vid_5E3A&Pid_E4B9", ""},  // the same vendor's hub
      {"key", "removed", enumRoot + "\\USB\\Vid_1234&Pid_5678", ""},
      {"key", "removed",
       "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme USB Serial Driver", ""},
      {"key", "added", "HKLM\\Software\\Zorp", ""},
      {"value", "changed",
       "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\[Desktop]",
       ""},
      {"file", "removed", windows + "\\inf\\oem1.inf", ""},  // another maker's INF
      {"file", "removed", windows + "\\inf\\msports.inf", ""},
      {"file", "changed", system + "\\serial.sys", "contents"},
      {"file", "added", windows + "\\System32\\unrelated.dll", ""},
      {"file", "removed", "C:\\Documents and Settings\\User\\Desktop\\Acme Terminal.lnk", ""},
      {"file", "removed", windows + "\\Desktop\\Acme Terminal.lnk", ""},
      {"folder", "removed", windows + "\\inf", ""},
      {"file", "removed", "E:\\Setup.exe", ""},
  };
  for (const Case& c : cases)
    EXPECT_NE(allow.Check(sim::Change{c.kind, c.op, c.path, c.detail}, *machine_), "")
        << c.kind << " " << c.op << " " << c.path;
  if (nt_) {
    // Ports of other devices keep their names and their COM database bits.
    const std::string ntPorts = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
    EXPECT_NE(allow.Check({"value", "removed", ntPorts + "\\[COM4:]", ""}, *machine_), "");
    EXPECT_EQ(allow.Check({"value", "removed", ntPorts + "\\[COM3:]", ""}, *machine_), "");
    const std::string arbiter = "HKLM\\System\\CurrentControlSet\\Control\\COM Name Arbiter";
    std::vector<std::uint8_t> bits(32, 0);
    bits[0] = 0x01;  // COM1 kept, COM3, COM4 and COM5 released: COM4 is not the adapter's
    machine_->SetValue(arbiter, "ComDB", plat::kRegBinary, bits);
    EXPECT_NE(allow.Check({"value", "changed", arbiter + "\\[ComDB]", ""}, *machine_), "");
    bits[0] = 0x09;  // COM1 and COM4 kept
    machine_->SetValue(arbiter, "ComDB", plat::kRegBinary, bits);
    EXPECT_EQ(allow.Check({"value", "changed", arbiter + "\\[ComDB]", ""}, *machine_), "");
  } else {
    EXPECT_NE(allow.Check({"value", "removed", "HKLM\\Hardware\\DeviceMap\\SerialComm\\[COM4]", ""},
                          *machine_),
              "");
    EXPECT_NE(allow.Check({"acl", "added", ports, "grant-current-user-inherit"}, *machine_), "");
  }
  // A printer keeps every attribute bit but the bidirectional one.
  const std::string printer =
      "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\HP LaserJet 4";
  machine_->SetDword(printer, "Attributes", 0x200);
  EXPECT_NE(allow.Check({"value", "changed", printer + "\\[Attributes]", ""}, *machine_), "");
  machine_->SetDword(printer, "Attributes", 0x240);
  EXPECT_EQ(allow.Check({"value", "changed", printer + "\\[Attributes]", ""}, *machine_), "");
}

INSTANTIATE_TEST_SUITE_P(Flavours, AllowListTest, ::testing::Values("98", "xp"));

}  // namespace
