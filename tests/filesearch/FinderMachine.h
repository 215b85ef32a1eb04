// A fresh simulated machine per test, and a finder callback that records events.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "filesearch/CFileFinder.h"
#include "platform/sim/Machine.h"

namespace findtest {

class FinderMachineTest : public ::testing::Test {
 protected:
  // The machine exists before the members of a derived fixture are made.
  FinderMachineTest() {
    static std::atomic<int> counter{0};
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("find-test-") + test->test_suite_name() + "-" + test->name() +
                       "-" + std::to_string(counter++);
    for (char& c : name)
      if (c == '/') c = '_';
    folder_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder_);
    machine_ = sim::Machine::Create(folder_, sim::OsConfig{});
    if (machine_ == nullptr) ADD_FAILURE() << "no machine in " << folder_;
  }
  ~FinderMachineTest() override {
    machine_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  sim::Machine& M() { return *machine_; }
  plat::Platform& Os() { return machine_->Os(); }

  std::filesystem::path folder_;
  std::unique_ptr<sim::Machine> machine_;
};

// What the callback saw: the event, and the accepted path or the current folder.
struct Event {
  int event;
  std::string subject;
  bool operator==(const Event&) const = default;
};

inline void PrintTo(const Event& e, std::ostream* os) {
  static const char* const kNames[] = {"FOUND", "REJECTED", "FOLDER", "PROGRESS"};
  *os << (e.event >= 0 && e.event < 4 ? kNames[e.event] : "?") << " " << e.subject;
}

// Records every event into the std::vector<Event> passed as the user value.
inline void RecordEvent(CFileFinder* finder, int event, FindUserValue userValue) {
  auto* events = reinterpret_cast<std::vector<Event>*>(userValue);
  std::string subject;
  if (event == FIND_EVENT_FOUND) subject = finder->GetFilePath(finder->GetCount() - 1);
  if (event == FIND_EVENT_FOLDER) subject = finder->GetCurrentFolder();
  events->push_back({event, subject});
}

inline std::vector<std::string> Results(const CFileFinder& finder) {
  std::vector<std::string> results;
  for (int i = 0; i < finder.GetCount(); ++i) results.push_back(finder.GetFilePath(i));
  return results;
}

}  // namespace findtest
