// The same scenario run twice: by setup-sim on a simulated machine and by the real
// Setup.exe under Wine on that machine loaded into a prefix (tests/wine/e2e.sh),
// clicked by uidriver. The two reports and the two end states must agree, except
// where tests/e2e/known-differences.txt names a difference and its reason.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>

#include "e2e/Differences.h"
#include "win32/Win32Build.h"

namespace {

namespace fs = std::filesystem;
using e2e::Difference;

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> ReadLines(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

std::string Sim() { return std::string(SETUP_BINARY_DIR) + "/bin/setup-sim"; }
std::string E2eScript() { return std::string(SETUP_SOURCE_DIR) + "/tests/wine/e2e.sh"; }
fs::path Template() { return fs::path(SETUP_BINARY_DIR) / "wine-template"; }
std::string WithTemplate(const std::string& command) {
  return "WINE_TEMPLATE=" + Quoted(Template()) + " " + command;
}

std::string Show(const std::vector<Difference>& differences) {
  std::string out;
  for (const Difference& d : differences) out += "  " + d.path + ": " + d.what + "\n";
  return out;
}

// --- the comparison itself, on small machines --------------------------------

class CompareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("e2e-compare-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    sim::OsConfig os;
    os.windowsFolder = "C:\\windows";
    os.systemFolder = "C:\\windows\\system32";
    a_ = sim::Machine::Create(dir_ / "a", os);
    b_ = sim::Machine::Create(dir_ / "b", os);
    for (sim::Machine* m : {a_.get(), b_.get()}) {
      m->SetString(kKey + std::string("\\0000"), "DriverDesc", "Ports");
      m->SetDword(kKey + std::string("\\0000\\Sub"), "Count", 2);
      m->WriteFile("C:\\windows\\inf\\a.inf", "[Version]\r\n");
      m->WriteFile("C:\\Other\\x.txt", "outside");
    }
    roots_.keys = {kKey};
    roots_.folders = {"C:\\windows\\inf"};
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<Difference> Compare() { return e2e::CompareStates(*a_, *b_, roots_); }

  static constexpr const char* kKey = "HKLM\\System\\CurrentControlSet\\Control\\Class\\{X}";
  fs::path dir_;
  std::unique_ptr<sim::Machine> a_, b_;
  e2e::Roots roots_;
};

TEST_F(CompareTest, EqualStatesHaveNoDifference) {
  // Names differ in case only, and what lies outside the roots is not looked at.
  b_->WriteFile("C:\\WINDOWS\\INF\\A.INF", "[Version]\r\n");
  b_->WriteFile("C:\\Other\\x.txt", "changed outside");
  EXPECT_EQ(Show(Compare()), "");
}

TEST_F(CompareTest, ValuesKeysFilesAndAttributesDiffer) {
  b_->SetString(kKey + std::string("\\0000"), "DriverDesc", "Modems");
  b_->SetDword(kKey + std::string("\\0000"), "Extra", 1);
  a_->SetString(kKey + std::string("\\0001\\Deep\\Deeper"), "x", "y");  // one line for the subtree
  b_->DeleteKeyTree(kKey + std::string("\\0000\\Sub"));
  a_->WriteFile("C:\\windows\\inf\\oem1.inf", "oem");
  b_->WriteFile("C:\\windows\\inf\\b.inf", "b");
  b_->SetAttributes("C:\\windows\\inf\\a.inf",
                    plat::kFileAttributeArchive | plat::kFileAttributeHidden);
  std::vector<Difference> d = Compare();
  std::map<std::string, std::string> byPath;
  for (const Difference& x : d) byPath[x.path] = x.what;
  EXPECT_EQ(byPath.size(), d.size()) << Show(d);
  EXPECT_EQ(byPath[kKey + std::string("\\0000\\[DriverDesc]")],
            "simulation type 1 \"Ports\", Wine type 1 \"Modems\"");
  EXPECT_EQ(byPath[kKey + std::string("\\0000\\[Extra]")],
            "value only under Wine: type 4 01,00,00,00");
  EXPECT_EQ(byPath[kKey + std::string("\\0001")], "key only in the simulation");
  EXPECT_EQ(byPath[kKey + std::string("\\0000\\Sub")], "key only in the simulation");
  EXPECT_EQ(byPath["C:\\windows\\inf\\oem1.inf"], "file only in the simulation");
  EXPECT_EQ(byPath["C:\\windows\\inf\\b.inf"], "file only under Wine");
  EXPECT_EQ(byPath["C:\\windows\\inf\\a.inf"], "attributes differ: simulation 0x0, Wine 0x2");
  EXPECT_EQ(d.size(), 7u) << Show(d);
}

TEST_F(CompareTest, ChangedContentsAreADifference) {
  b_->WriteFile("C:\\windows\\inf\\a.inf", "[Version]\r\nClass=Ports\r\n");
  EXPECT_EQ(Show(Compare()),
            "  C:\\windows\\inf\\a.inf: contents differ: simulation 11 bytes, Wine 24 bytes\n");
}

TEST(CompareReports, StatesBoxesAndRestart) {
  std::string error;
  auto sim = e2e::ParseJson(
      R"({"result": 1, "dialog": {"states": ["Ready", "Installing", "Completed"], "status": 6},
          "messageBoxes": [{"caption": "Setup", "icon": "warning", "answer": "ok"}],
          "restart": {"requested": false, "flags": 0}})",
      &error);
  ASSERT_TRUE(sim) << error;
  auto same = e2e::ParseJson(
      R"({"result": 1, "dialog": {"states": ["Ready", "Installing", "Completed"], "status": 6},
          "messageBoxes": [{"caption": "Setup", "icon": "exclamation", "answer": "ok"}],
          "restart": {"requested": false}})",
      &error);
  ASSERT_TRUE(same) << error;
  EXPECT_EQ(Show(e2e::CompareReports(*sim, *same)), "");
  auto other = e2e::ParseJson(
      R"({"result": 0, "dialog": {"states": ["Ready", "Failed"], "status": 5},
          "messageBoxes": [], "restart": {"requested": true, "flags": 3}})",
      &error);
  ASSERT_TRUE(other) << error;
  EXPECT_EQ(
      Show(e2e::CompareReports(*sim, *other)),
      "  transcript result: simulation 1, Wine 0\n"
      "  transcript dialog.states: simulation [\"Ready\", \"Installing\", \"Completed\"], Wine "
      "[\"Ready\", \"Failed\"]\n"
      "  transcript dialog.status: simulation 6, Wine 5\n"
      "  transcript messageBoxes: simulation 1 boxes, Wine 0\n"
      "  transcript restart.requested: simulation false, Wine true\n");
  EXPECT_FALSE(e2e::ParseJson("{\"a\": [1, 2}", &error));
}

TEST(KnownDifferencesFile, EveryLineHasScenarioPathAndReason) {
  std::string error;
  auto known = e2e::ReadKnownDifferences(
      fs::path(SETUP_SOURCE_DIR) / "tests" / "e2e" / "known-differences.txt", &error);
  EXPECT_EQ(error, "");
  fs::path bad = fs::temp_directory_path() / ("known-" + std::to_string(::getpid()) + ".txt");
  std::ofstream(bad) << "# comment\nclean-xp | C:\\x\n";
  e2e::ReadKnownDifferences(bad, &error);
  EXPECT_EQ(error, bad.filename().string() + ":2: expected \"scenario | path | reason\"");
  fs::remove(bad);
}

// --- the scenarios -----------------------------------------------------------

struct Scenario {
  const char* name;
  const char* os;  // setup-sim init --os
  bool earlier;    // --earlier-installation
  const char* answer;
  const char* then;
  std::function<void(sim::Machine&)> prepare;
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

void NoChange(sim::Machine&) {}

const Scenario kScenarios[] = {
    {"clean-xp", "xp", false, "ok", "exit", NoChange},
    {"reinstall-xp", "xp", true, "ok", "reboot-now", NoChange},
    {"clean-98", "98", false, "ok", "exit", NoChange},
    {"reinstall-98", "98", true, "ok", "reboot-later", NoChange},
    {"cancel-xp", "xp", true, "cancel", "exit", NoChange},
    // A package file the staging needs is missing from the medium.
    {"missing-file-xp", "xp", false, "ok", "exit",
     [](sim::Machine& m) { fs::remove(m.HostPath("E:\\win2k&xp\\vyxuport.sys")); }},
    // The same failure with the error messages switched off. The missing file is
    // the last one the staging needs, so that the run stays in Installing for
    // more than a moment: without a box, the driver has only its reading of the
    // screen to see that state.
    {"display-error-0-98", "98", false, "ok", "exit",
     [](sim::Machine& m) {
       m.WriteFile("E:\\win98&me\\ZorpInputs.ini", "[DisplayError]\r\nDisplay=0\r\n");
       fs::remove(m.HostPath("E:\\win98&me\\VyxUPar.exe"));
     }},
    // Windows 98 without a printers key: the deployment stops there.
    {"no-printers-98", "98", false, "ok", "exit",
     [](sim::Machine& m) {
       m.DeleteKeyTree("HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers");
     }},
};

class Differential : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    if (!fs::exists(win32test::SetupExe()))
      GTEST_FAIL() << win32test::MissingBuildMessage(win32test::SetupExe());
    // Wine's Desktop folder, which the machines must name.
    int status = 0;
    std::string desktop =
        win32test::RunCommand(WithTemplate(Quoted(E2eScript()) + " --desktop"), &status);
    if (status == 77) GTEST_SKIP() << "Wine could not be installed";
    ASSERT_EQ(status, 0) << desktop;
    while (!desktop.empty() && (desktop.back() == '\n' || desktop.back() == '\r'))
      desktop.pop_back();
    ASSERT_FALSE(desktop.empty()) << "no Desktop in Wine's Shell Folders";
    desktop_ = desktop;
    dir_ = fs::path(SETUP_BINARY_DIR) / "e2e" / GetParam().name;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  static std::unique_ptr<e2e::JsonValue> Json(const std::string& text, const char* what) {
    std::string error;
    auto value = e2e::ParseJson(text, &error);
    EXPECT_TRUE(value) << what << ": " << error << "\n" << text;
    return value;
  }

  std::string desktop_;
  fs::path dir_;
};

TEST_P(Differential, SimulationAndWineAgree) {
  const Scenario& s = GetParam();
  int status = 0;
  // The machine both sides run: Wine's layout, the real Setup.exe on the medium.
  fs::path initial = dir_ / "initial";
  std::string out = win32test::RunCommand(
      Sim() + " init " + Quoted(initial) + " --os " + s.os + " --layout wine --desktop '" +
          desktop_ + "'" + (s.earlier ? " --earlier-installation" : "") + " 2>&1",
      &status);
  ASSERT_EQ(status, 0) << out;
  {
    std::string error;
    auto machine = sim::Machine::Load(initial, &error);
    ASSERT_TRUE(machine) << error;
    machine->WriteFile("E:\\Setup.exe", ReadText(win32test::SetupExe()));
    s.prepare(*machine);
    ASSERT_TRUE(machine->Save(&error)) << error;
  }

  // The simulation, on a copy.
  fs::path simDir = dir_ / "sim";
  fs::copy(initial, simDir, fs::copy_options::recursive);
  std::string simJson =
      win32test::RunCommand(Sim() + " run " + Quoted(simDir) + " --json --answer " + s.answer +
                                " --then " + (std::string(s.then) == "exit" ? "exit" : s.then),
                            &status);
  ASSERT_EQ(status, 0) << simJson;

  // Wine.
  fs::path wineDir = dir_ / "wine";
  std::string log = win32test::RunCommand(
      WithTemplate(Quoted(E2eScript()) + " " + Quoted(win32test::Win32BinDir()) + " " +
                   Quoted(initial) + " " + Quoted(wineDir) + " " + s.answer + " " + s.then +
                   " 2>&1"),
      &status);
  if (status == 77) GTEST_SKIP() << log;
  ASSERT_EQ(status, 0) << log << ReadText(wineDir / "driver.txt");
  std::cout << "[ wine     ] " << s.name << ": " << ReadText(wineDir / "seconds");

  auto simReport = Json(simJson, "setup-sim's report");
  auto wineReport = Json(ReadText(wineDir / "wine.json"), "uidriver's report");
  ASSERT_TRUE(simReport && wineReport);
  std::string error;
  auto simAfter = sim::Machine::Load(simDir, &error);
  ASSERT_TRUE(simAfter) << error;
  auto wineAfter = sim::Machine::Load(wineDir / "after", &error);
  ASSERT_TRUE(wineAfter) << error;
  e2e::Roots roots =
      e2e::ReadRoots(fs::path(SETUP_SOURCE_DIR) / "tests" / "e2e" / "roots.txt", *simAfter);

  std::vector<Difference> found = e2e::CompareReports(*simReport, *wineReport);
  for (const Difference& d : e2e::CompareStates(*simAfter, *wineAfter, roots)) found.push_back(d);
  for (const Difference& d :
       e2e::ChangesOutsideRoots(*simReport, ReadLines(wineDir / "after" / "changed-by-run.txt"),
                                ReadLines(wineDir / "after" / "removed-by-run.txt"), roots))
    found.push_back(d);

  // Every difference is a known one, and every known one of this scenario is still seen.
  auto known = e2e::ReadKnownDifferences(
      fs::path(SETUP_SOURCE_DIR) / "tests" / "e2e" / "known-differences.txt", &error);
  ASSERT_EQ(error, "");
  std::vector<bool> used(known.size(), false);
  std::vector<Difference> unexplained;
  for (const Difference& d : found) {
    bool explained = false;
    for (std::size_t i = 0; i < known.size(); ++i) {
      if (known[i].scenario == s.name && e2e::SameName(known[i].path, d.path))
        explained = used[i] = true;
    }
    if (!explained) unexplained.push_back(d);
  }
  EXPECT_EQ(Show(unexplained), "")
      << "differences between the simulation and Wine (" << s.name << ")";
  for (std::size_t i = 0; i < known.size(); ++i) {
    if (known[i].scenario == s.name) {
      EXPECT_TRUE(used[i]) << "known-differences.txt:" << known[i].line
                           << " is no longer seen: " << known[i].path;
    }
  }

  // Wine's own account of the run: the restart asked the session to end while
  // the dialog showed Restarting, and the program ended by itself.
  const e2e::JsonValue& wine = (*wineReport)["wine"];
  bool rebootNow = std::string(s.then) == "reboot-now";
  EXPECT_EQ(wine["sessionEndQueried"].boolean, rebootNow) << ReadText(wineDir / "driver.txt");
  if (rebootNow) {
    EXPECT_EQ(wine["stateAtSessionEnd"].text, "Restarting");
  }
  EXPECT_FALSE(wine["terminated"].boolean) << "Setup.exe did not end by itself";
  // What the screen showed agrees with the status texts the program set (its
  // relay log): each state's text, in order.
  const std::map<std::string, int> statusOf = {
      {"Ready", 1},     {"Installing", 7},      {"Restart offered", 3}, {"Restarting", 3},
      {"Completed", 6}, {"Update declined", 4}, {"Failed", 5}};
  std::size_t at = 0;
  const auto& set = wine["statusSet"].items;
  for (const e2e::JsonValue& state : (*wineReport)["dialog"]["states"].items) {
    auto id = statusOf.find(state.text);
    ASSERT_NE(id, statusOf.end()) << state.text;
    while (at < set.size() && static_cast<int>(set[at].number) != id->second) ++at;
    EXPECT_LT(at, set.size()) << state.text << " was seen, but its text was not set then: "
                              << wine["statusSet"].Show();
  }
  if (!wine["statesFromRelay"].items.empty())
    std::cout << "[ wine     ] " << s.name << ": too short for the screen, from the relay log: "
              << wine["statesFromRelay"].Show() << "\n";
  EXPECT_EQ(wine["exitCode"].Show(), "0");
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Differential, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
