// The fault matrix: every platform call a run of the setup makes, failed once on
// its own. For each scenario the run is recorded without faults; then the run is
// repeated once per distinct call (operation and target) and error code, with
// exactly that call failing and the DisplayError setting on; each failure that
// shows an error box is repeated with the setting off. Each repeat must end,
// show only the boxes named for that failure (none but the always-shown ones
// with the setting off), end with the result named for it, change nothing
// outside the named files and keys, and change the same with the setting off as
// with it on.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "RunReport.h"
#include "SampleMachine.h"
#include "faults/ChangeAllowList.h"
#include "faults/FaultRules.h"
#include "platform/sim/MachineState.h"

#if defined(__has_include)
#if __has_include(<sanitizer/common_interface_defs.h>) && defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define FAULTS_HAVE_SANITIZER 1
#endif
#endif

namespace {

namespace fs = std::filesystem;
using faults::Outcome;

// The run in progress, for the watchdog and the sanitizer's last words.
char g_current[1024] = "(none)";

void SayCurrent() {
  const char prefix[] = "\nfault matrix: the run in progress was: ";
  (void)!write(2, prefix, sizeof prefix - 1);
  (void)!write(2, g_current, std::strlen(g_current));
  (void)!write(2, "\n", 1);
}

void OnAlarm(int) {
  const char text[] = "\nfault matrix: a run did not end within its time";
  (void)!write(2, text, sizeof text - 1);
  SayCurrent();
  _exit(3);
}

// Seconds one run may take before it counts as a hang.
constexpr unsigned kRunTimeLimit = 30;

struct Scenario {
  const char* name;
  const char* os;
  bool earlier;
  int answer;
  setupsim::Then then;
  // The long scenarios are cut into shards (every n-th call) that run in parallel.
  int shard = 0;
  int shards = 1;
};

const Scenario kScenarios[] = {
    {"Clean98", "98", false, plat::kIdOk, setupsim::Then::kDefault},
    {"ReinstallMe1", "me", true, plat::kIdOk, setupsim::Then::kRebootNow, 0, 2},
    {"ReinstallMe2", "me", true, plat::kIdOk, setupsim::Then::kRebootNow, 1, 2},
    {"Clean2000", "2000", false, plat::kIdOk, setupsim::Then::kDefault},
    {"ReinstallXp1", "xp", true, plat::kIdOk, setupsim::Then::kRebootNow, 0, 3},
    {"ReinstallXp2", "xp", true, plat::kIdOk, setupsim::Then::kRebootNow, 1, 3},
    {"ReinstallXp3", "xp", true, plat::kIdOk, setupsim::Then::kRebootNow, 2, 3},
    {"Cancel98", "98", true, plat::kIdCancel, setupsim::Then::kDefault},
    {"CancelXp", "xp", true, plat::kIdCancel, setupsim::Then::kDefault},
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

struct Totals {
  std::size_t callsRecorded = 0, distinctCalls = 0, faultsInjected = 0, runs = 0, quietRuns = 0,
              passed = 0, wider = 0;
};
Totals g_totals;
double g_prepareSeconds = 0, g_runSeconds = 0;

fs::path ScratchRoot() {
  std::error_code ec;
  // Memory-backed when there is one: thousands of small machine copies.
  fs::path root =
      fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
  return root / ("fault-matrix-" + std::to_string(::getpid()));
}

void CopyMachine(const fs::path& from, const fs::path& to) {
  fs::remove_all(to);
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

// What one run did, in a form two runs can be compared by.
struct RunResult {
  setupsim::RunOutcome outcome;
  std::vector<std::string> labels;      // boxes
  std::set<std::string> changePaths;    // kind op path
  std::vector<std::string> violations;  // changes outside the allow-list
  std::size_t widerTargets = 0;         // other targets the fault pattern also hit
};

class FaultMatrix : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    const Scenario& s = GetParam();
    dir_ = ScratchRoot() / s.name;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::string error;
    setupsim::InitOptions init;
    init.os = s.os;
    init.earlierInstallation = s.earlier;
    ASSERT_TRUE(setupsim::WriteSampleMachine(dir_ / "loud", init, &error)) << error;
    before_ = sim::Machine::Load(dir_ / "loud", &error);
    ASSERT_NE(before_, nullptr) << error;
    facts_.win2kXp = before_->Config().IsNt() && before_->Config().major == 5;
    facts_.earlier = s.earlier;
    facts_.declines = s.answer == plat::kIdCancel;
    facts_.windows = before_->Config().windowsFolder;
    facts_.staging = facts_.windows.substr(0, 1) + ":\\VyxUZorp";
    allow_ = std::make_unique<faults::ChangeAllowList>(*before_, facts_.win2kXp);

    // The same machine with the error boxes switched off on the medium.
    CopyMachine(dir_ / "loud", dir_ / "quiet");
    auto quiet = sim::Machine::Load(dir_ / "quiet", &error);
    ASSERT_NE(quiet, nullptr) << error;
    quiet->WriteFile(
        std::string("E:\\") + (facts_.win2kXp ? "win2k&xp" : "win98&me") + "\\ZorpInputs.ini",
        "[DisplayError]\r\nDisplay=0\r\n");
    ASSERT_TRUE(quiet->Save(&error)) << error;

    struct sigaction action {};
    action.sa_handler = OnAlarm;
    sigaction(SIGALRM, &action, nullptr);
#ifdef FAULTS_HAVE_SANITIZER
    __sanitizer_set_death_callback(SayCurrent);
#endif
  }

  void TearDown() override {
    alarm(0);
    before_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
    fs::remove(ScratchRoot(), ec);  // only when empty
  }

  // One run on a fresh copy of a template, with at most one fault.
  RunResult Run(const char* templateName, const sim::CallRecord* fault, std::string_view pattern,
                plat::DWORD code, std::vector<sim::CallRecord>* calls = nullptr) {
    const Scenario& s = GetParam();
    std::snprintf(g_current, sizeof g_current, "%s/%s: %s %.*s code %u", s.name, templateName,
                  fault ? fault->operation.c_str() : "(no fault)", static_cast<int>(pattern.size()),
                  pattern.data(), static_cast<unsigned>(code));
    fs::path run = dir_ / "run";
    auto t0 = std::chrono::steady_clock::now();
    CopyMachine(dir_ / templateName, run);
    std::string error;
    auto machine = sim::Machine::Load(run, &error);
    auto t1 = std::chrono::steady_clock::now();
    g_prepareSeconds += std::chrono::duration<double>(t1 - t0).count();
    RunResult r;
    if (!machine) {
      r.violations.push_back("the machine copy does not load: " + error);
      return r;
    }
    if (fault) machine->AddFault(fault->operation, pattern, code);
    setupsim::RunOptions options;
    options.answer = s.answer;
    options.then = s.then;
    alarm(kRunTimeLimit);
    r.outcome = setupsim::RunSetup(*machine, options);
    alarm(0);
    g_runSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
    for (const sim::MessageBoxRecord& b : r.outcome.boxes) {
      std::string label = faults::LabelOf(b, "Setup");
      r.labels.push_back(label.empty() ? "unknown box \"" + b.caption + "\": " + b.text : label);
    }
    for (const sim::Change& c : r.outcome.changes) {
      r.changePaths.insert(c.kind + " " + c.op + " " + c.path);
      std::string why = allow_->Check(c, *machine);
      if (!why.empty())
        r.violations.push_back(why + ": " + c.kind + " " + c.op + " " + c.path + " " + c.detail);
    }
    if (fault) {
      std::set<std::string> hit;
      for (const sim::CallRecord& call : machine->Calls())
        if (call.operation == fault->operation && call.target != fault->target &&
            sim::WildcardMatch(pattern, call.target))
          hit.insert(call.target);
      r.widerTargets = hit.size();
    }
    if (calls) *calls = machine->Calls();
    return r;
  }

  std::unique_ptr<sim::Machine> before_;
  std::unique_ptr<faults::ChangeAllowList> allow_;
  faults::ScenarioFacts facts_;
  fs::path dir_;
};

std::string Describe(const setupsim::RunOutcome& o) {
  std::string text = o.result ? "result " + std::to_string(*o.result) : "no result";
  if (o.rebootNeeded) text += " (restart needed)";
  return text;
}

// The complaints about one run; empty when it did what the rules say.
std::vector<std::string> Judge(const faults::Expectation& e, const RunResult& base,
                               const RunResult& r, bool loud, bool earlier) {
  std::vector<std::string> wrong = r.violations;
  std::map<std::string, int> shown;
  for (const std::string& label : r.labels) ++shown[label];
  bool questionExpected =
      earlier && e.outcome != Outcome::kNotDetected && e.outcome != Outcome::kNoDialog;
  for (const auto& [label, count] : shown) {
    if (label == faults::box::kQuestion) continue;
    if (label == faults::box::kOsVersion && !loud && count == 1)
      continue;  // the start-up box always shows
    if (!loud || !e.allowed.count(label))
      wrong.push_back("box not named for this failure: " + label + " (x" + std::to_string(count) +
                      ")");
  }
  int questions = shown.count(faults::box::kQuestion) ? shown[faults::box::kQuestion] : 0;
  if (e.outcome == Outcome::kDeclined) {
    if (questions > 1) wrong.push_back("the question was asked more than once");
  } else if (questions != (questionExpected ? 1 : 0)) {
    wrong.push_back("the question was asked " + std::to_string(questions) + " times");
  }
  if (loud)
    for (const std::string& label : e.required)
      if (!shown.count(label)) wrong.push_back("the failure's box did not show: " + label);

  const setupsim::RunOutcome& o = r.outcome;
  switch (e.outcome) {
    case Outcome::kBaseline:
      if (o.result != base.outcome.result || o.rebootNeeded != base.outcome.rebootNeeded)
        wrong.push_back("ended with " + Describe(o) + " instead of " + Describe(base.outcome));
      if (base.outcome.result == 2 && !o.changes.empty())
        wrong.push_back("a declined update changed the machine");
      break;
    case Outcome::kFailed:
      if (o.result != 0) wrong.push_back("ended with " + Describe(o) + " instead of result 0");
      break;
    case Outcome::kNotDetected:
      break;  // checked by the caller, which knows what the deployment meets
    case Outcome::kNoDialog:
      if (o.result.has_value() || !o.changes.empty() || !o.boxes.empty())
        wrong.push_back("did something without its dialog: " + Describe(o));
      break;
    case Outcome::kDeclined:
      if (o.result != 2 || !o.changes.empty())
        wrong.push_back("ended with " + Describe(o) + " instead of result 2, unchanged");
      break;
  }
  return wrong;
}

TEST_P(FaultMatrix, EveryCallFailedAloneEndsAsTheRulesSay) {
  const Scenario& s = GetParam();
  auto started = std::chrono::steady_clock::now();
  g_prepareSeconds = g_runSeconds = 0;

  std::vector<sim::CallRecord> calls;
  RunResult base = Run("loud", nullptr, "", 0, &calls);
  RunResult quietBase = Run("quiet", nullptr, "", 0);
  ASSERT_TRUE(base.violations.empty()) << base.violations.front();
  ASSERT_TRUE(base.outcome.result.has_value());
  int expected = !s.earlier ? 1 : s.answer == plat::kIdCancel ? 2 : 1;
  ASSERT_EQ(*base.outcome.result, expected);
  ASSERT_EQ(quietBase.outcome.result, base.outcome.result);
  ASSERT_EQ(quietBase.changePaths, base.changePaths);
  for (const std::string& label : base.labels) ASSERT_EQ(label, faults::box::kQuestion);

  faults::Blocked blocked = faults::BlockedDeployment(facts_, *before_);

  // Each call once, in the order first made.
  std::vector<sim::CallRecord> distinct;
  std::set<std::pair<std::string, std::string>> seen;
  for (const sim::CallRecord& call : calls)
    if (seen.insert({call.operation, call.target}).second) distinct.push_back(call);

  Totals t;
  if (s.shard == 0) {
    t.callsRecorded = calls.size();
    t.distinctCalls = distinct.size();
  }
  std::vector<std::string> failures;
  for (std::size_t i = static_cast<std::size_t>(s.shard); i < distinct.size();
       i += static_cast<std::size_t>(s.shards)) {
    const sim::CallRecord& call = distinct[i];
    // A copy is failed by its destination: several copies share a source.
    std::string pattern = call.target;
    if (call.operation == "CopyFile") pattern = call.target.substr(call.target.find(" -> ") + 4);
    for (plat::DWORD code : faults::CodesFor(call.operation)) {
      faults::Expectation e = faults::ExpectFor(facts_, *before_, call, code);
      std::string name =
          call.operation + " " + call.target + " (code " + std::to_string(code) + ")";
      if (!e.known) {
        failures.push_back(name + ": no rule for this call");
        continue;
      }
      ++t.faultsInjected;
      RunResult loud = Run("loud", &call, pattern, code);
      ++t.runs;
      if (loud.widerTargets) ++t.wider;
      // Where the failure shows an error box, the same failure with the boxes
      // switched off must show none and end the same.
      bool gated = false;
      for (const std::string& label : loud.labels)
        gated = gated || (label != faults::box::kQuestion && label != faults::box::kOsVersion);
      gated =
          gated || std::count(loud.labels.begin(), loud.labels.end(), faults::box::kOsVersion) > 1;
      RunResult quiet;
      if (gated) {
        quiet = Run("quiet", &call, pattern, code);
        ++t.runs;
        ++t.quietRuns;
      }
      for (int pass = 0; pass < (gated ? 2 : 1); ++pass) {
        const RunResult& r = pass == 0 ? loud : quiet;
        std::vector<std::string> wrong = Judge(e, base, r, pass == 0, s.earlier);
        if (e.outcome == Outcome::kNotDetected) {
          // Installed over the earlier installation, no restart; copies onto its
          // read-only files fail with their step's message.
          int want = blocked.stops ? 0 : 1;
          if (r.outcome.result != want || r.outcome.rebootNeeded)
            wrong.push_back("ended with " + Describe(r.outcome) + " instead of result " +
                            std::to_string(want) + " without a restart");
        }
        if (pass == 1 && (quiet.outcome.result != loud.outcome.result ||
                          quiet.outcome.rebootNeeded != loud.outcome.rebootNeeded ||
                          quiet.changePaths != loud.changePaths))
          wrong.push_back("DisplayError 0 changed the outcome: " + Describe(quiet.outcome) +
                          " vs " + Describe(loud.outcome) + ", " +
                          std::to_string(quiet.changePaths.size()) + " vs " +
                          std::to_string(loud.changePaths.size()) + " changes");
        if (wrong.empty()) {
          ++t.passed;
        } else {
          for (const std::string& w : wrong)
            failures.push_back(name + (pass == 0 ? " [DisplayError 1]: " : " [DisplayError 0]: ") +
                               w);
        }
      }
    }
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf(
      "fault matrix %s: calls recorded %zu (%zu distinct), faults injected %zu, runs %zu (%zu with "
      "DisplayError 0), runs passed %zu, patterns that also hit other targets %zu, %.1f s (copy "
      "and load "
      "%.1f s, runs %.1f s)\n",
      s.name, t.callsRecorded, t.distinctCalls, t.faultsInjected, t.runs, t.quietRuns, t.passed,
      t.wider, seconds, g_prepareSeconds, g_runSeconds);
  g_totals.callsRecorded += t.callsRecorded;
  g_totals.distinctCalls += t.distinctCalls;
  g_totals.faultsInjected += t.faultsInjected;
  g_totals.runs += t.runs;
  g_totals.quietRuns += t.quietRuns;
  g_totals.passed += t.passed;
  g_totals.wider += t.wider;
  std::string shown;
  for (std::size_t i = 0; i < failures.size() && i < 200; ++i) shown += "  " + failures[i] + "\n";
  EXPECT_TRUE(failures.empty()) << failures.size() << " complaints, the first ones:\n" << shown;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultMatrix, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           return std::string(info.param.name);
                         });

// The totals over every scenario this process ran.
class TotalsPrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    if (g_totals.runs == 0) return;
    std::printf(
        "fault matrix totals: calls recorded %zu (%zu distinct), faults injected %zu, runs %zu "
        "(%zu with "
        "DisplayError 0), runs passed %zu\n",
        g_totals.callsRecorded, g_totals.distinctCalls, g_totals.faultsInjected, g_totals.runs,
        g_totals.quietRuns, g_totals.passed);
  }
};
const ::testing::Environment* const kTotals =
    ::testing::AddGlobalTestEnvironment(new TotalsPrinter);

}  // namespace
