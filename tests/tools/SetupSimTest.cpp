// setup-sim as a user runs it: init a machine, run the setup on it, read the report.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
  int exitCode;
  std::string out;
};

Result SetupSim(const std::string& args) {
  std::string command = std::string(SETUP_BINARY_DIR) + "/bin/setup-sim " + args + " 2>&1";
  Result result{-1, ""};
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    result.out.append(buffer.data(), n);
  int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Every file below a folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string key = entry.path().lexically_relative(root).string();
    if (entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      files[key] = bytes.str();
    } else {
      files[key] = "<folder>";
    }
  }
  return files;
}

class SetupSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("setup-sim-test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Machine(const std::string& name) { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(SetupSimTest, EveryVersionInstallsWithItsFlavour) {
  struct Case {
    const char* os;
    bool earlier;
    const char* flavour;
    const char* lastState;
    const char* result;
  } cases[] = {
      {"95", false, "win98&me", "Completed", "\"result\": 1"},
      {"98", false, "win98&me", "Completed", "\"result\": 1"},
      {"me", false, "win98&me", "Completed", "\"result\": 1"},
      {"nt4", false, "win98&me", "Completed", "\"result\": 1"},
      {"2000", false, "win2k&xp", "Completed", "\"result\": 1"},
      {"xp", false, "win2k&xp", "Completed", "\"result\": 1"},
      {"vista", false, "win98&me", "Completed", "\"result\": 1"},
      {"98", true, "win98&me", "Restart offered", "\"result\": 1"},
      {"xp", true, "win2k&xp", "Restart offered", "\"result\": 1"},
  };
  for (const Case& c : cases) {
    std::string name = std::string(c.os) + (c.earlier ? "-earlier" : "");
    Result init = SetupSim("init " + Machine(name) + " --os " + c.os +
                           (c.earlier ? " --earlier-installation" : ""));
    ASSERT_EQ(init.exitCode, 0) << init.out;
    Result run = SetupSim("run " + Machine(name) + " --json");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find(std::string("\"flavour\": \"") + c.flavour + "\""), std::string::npos)
        << name << run.out;
    EXPECT_NE(run.out.find(std::string("\"") + c.lastState + "\"], \"ended\": \"IDCANCEL\""),
              std::string::npos)
        << name << "\n"
        << run.out.substr(0, 2000);
    EXPECT_NE(run.out.find(c.result), std::string::npos) << name;
    EXPECT_NE(run.out.find(std::string("\"rebootNeeded\": ") + (c.earlier ? "true" : "false")),
              std::string::npos)
        << name;
  }
}

TEST_F(SetupSimTest, CancelLeavesTheMachineByteIdentical) {
  for (const char* os : {"98", "xp"}) {
    std::string m = Machine(std::string("cancel-") + os);
    ASSERT_EQ(SetupSim("init " + m + " --os " + os + " --earlier-installation").exitCode, 0);
    auto before = Snapshot(m);
    Result run = SetupSim("run " + m + " --answer cancel --json");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("\"result\": 2"), std::string::npos);
    EXPECT_NE(run.out.find("\"changes\": []"), std::string::npos);
    EXPECT_EQ(Snapshot(m), before) << os;
  }
}

TEST_F(SetupSimTest, RebootNowAsksForTheRestart) {
  std::string m = Machine("reboot");
  ASSERT_EQ(SetupSim("init " + m + " --os xp --earlier-installation").exitCode, 0);
  Result run = SetupSim("run " + m + " --then reboot-now --json");
  EXPECT_NE(run.out.find("\"restart\": {\"requested\": true, \"flags\": 3}"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"Restarting\"], \"ended\": \"IDOK\""), std::string::npos);
}

TEST_F(SetupSimTest, TheDefaultMachineRunsAndIsRemoved) {
  Result run = SetupSim("run");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(run.out.rfind("Outcome: Restart offered, result 1, restart needed", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("UsbZorp Installer"), std::string::npos);
}

// Machines for Wine's layout: its Windows folder whatever the version, the
// Desktop it is given, and the traces of an earlier installation there too.
TEST_F(SetupSimTest, WineLayoutUsesWinesFolders) {
  for (const char* os : {"98", "xp"}) {
    SCOPED_TRACE(os);
    std::string m = Machine(std::string("wine-") + os);
    Result init = SetupSim("init " + m + " --os " + os +
                           " --layout wine --desktop 'C:\\users\\tester\\Desktop' --earlier-installation");
    ASSERT_EQ(init.exitCode, 0) << init.out;
    std::ifstream ini(dir_ / (std::string("wine-") + os) / "machine.ini");
    std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("WindowsFolder=C:\\windows\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SystemFolder=C:\\windows\\system32\r\n"), std::string::npos) << text;
    fs::path desktop = dir_ / (std::string("wine-") + os) / "drives" / "C" / "users" / "tester" / "Desktop";
    EXPECT_TRUE(fs::exists(desktop / "SERIALMP.LNK"));
    EXPECT_FALSE(fs::exists(dir_ / (std::string("wine-") + os) / "drives" / "C" / "Documents and Settings"));
    Result run = SetupSim("run " + m + " --json");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("C:\\\\users\\\\tester\\\\Desktop\\\\SERIALMP.LNK"), std::string::npos);
  }
  EXPECT_EQ(SetupSim("init " + Machine("bad-layout") + " --layout linux").exitCode, 2);
}

TEST_F(SetupSimTest, BadMachineFoldersAreErrorsThatTouchNothing) {
  std::string m = Machine("bad");
  ASSERT_EQ(SetupSim("init " + m + " --os xp").exitCode, 0);
  {
    std::ofstream reg(dir_ / "bad" / "registry.reg", std::ios::binary | std::ios::app);
    reg << "\r\n[HKEY_LOCAL_MACHINE\\x]\r\nnonsense\r\n";
  }
  auto before = Snapshot(m);
  Result run = SetupSim("run " + m);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.out.find("registry.reg:"), std::string::npos) << run.out;
  EXPECT_EQ(Snapshot(m), before);
  fs::remove(dir_ / "bad" / "machine.ini");
  run = SetupSim("run " + m);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.out.find("machine.ini"), std::string::npos) << run.out;
  EXPECT_EQ(SetupSim("run " + m + " --answer maybe").exitCode, 1);
  EXPECT_EQ(SetupSim("init " + Machine("x") + " --os 3.11").exitCode, 2);
}

}  // namespace
