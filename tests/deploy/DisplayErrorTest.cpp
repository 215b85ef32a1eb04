// The DisplayError setting decides only whether the boxes show: files, keys and
// results are the same either way.
#include <filesystem>
#include <functional>

#include "deploy/DeployMachine.h"

namespace deploy_test {
namespace {

using ::testing::IsEmpty;

struct Scenario {
  const char* label;
  bool win2kXp;
  std::function<void(sim::Machine&)> prepare;
  std::size_t boxes;  // shown with DisplayError on
};

class DisplayErrorTest : public DeployTest {
 protected:
  RunOutcome Run(const Scenario& s, int displayError) {
    Start(s.win2kXp ? OsXp() : Os98(), displayError);
    s.prepare(*machine_);
    RunOutcome outcome = Outcome(installer_->DeployDrivers());
    TearDown();
    return outcome;
  }
};

void Remove(sim::Machine& m, const std::string& path) { std::filesystem::remove(m.HostPath(path)); }

std::vector<std::string> Lines(const std::vector<sim::Change>& changes) {
  std::vector<std::string> lines;
  for (const sim::Change& c : changes)
    lines.push_back(c.kind + " " + c.op + " " + c.path + " " + c.detail);
  return lines;
}

TEST_F(DisplayErrorTest, SameOutcomeWithoutBoxes) {
  const Scenario scenarios[] = {
      {"98/Me second INF missing", false,
       [](sim::Machine& m) { Remove(m, "E:\\win98&me\\vyxuSrPt.inf"); }, 1},
      {"98/Me monitor missing", false,
       [](sim::Machine& m) { Remove(m, "E:\\win98&me\\monitor.exe"); }, 1},
      {"98/Me no printers key", false,
       [](sim::Machine& m) {
         m.DeleteKeyTree("HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers");
         m.AddFault("SetPath", "*SerialMP.exe", plat::kErrorAccessDenied);
       },
       1},
      {"2000/XP second INF refused", true,
       [](sim::Machine& m) {
         m.AddFault("SetupCopyOEMInf", "*VyxUPort.inf", plat::kErrorAccessDenied);
       },
       1},
      {"2000/XP without utilities", true,
       [](sim::Machine& m) {
         for (const char* name : {"VyxUsbPrintConfig.exe", "SerialMP.exe", "Config.ini"})
           Remove(m, std::string("E:\\win2k&xp\\") + name);
         m.AddFault("CoCreateInstance", "ShellLink", plat::kErrorAccessDenied);
       },
       6},
      {"2000/XP no Setup API", true, [](sim::Machine& m) { m.AddFault("LoadLibrary", "*", 126); },
       1},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.label);
    RunOutcome shown = Run(s, 1);
    RunOutcome silent = Run(s, 0);
    EXPECT_EQ(shown.boxes.size(), s.boxes);
    EXPECT_THAT(silent.boxes, IsEmpty());
    EXPECT_EQ(silent.result, shown.result);
    EXPECT_EQ(Lines(silent.changes), Lines(shown.changes));
  }
}

}  // namespace
}  // namespace deploy_test
