// One run of the setup on a simulated machine, and its report.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/Machine.h"

namespace setupsim {

enum class Then { kDefault, kRebootNow, kRebootLater, kExit };

struct RunOptions {
  int answer = plat::kIdOk;  // to the question about an existing installation
  Then then = Then::kDefault;
};

struct RunOutcome {
  std::string flavour;        // "win2k&xp" or "win98&me"
  std::optional<int> result;  // absent when Install was never pressed
  bool rebootNeeded = false;
  std::vector<std::string> states;  // named dialog states passed through
  sim::DialogSnapshot last;         // the dialog as last seen
  std::vector<sim::MessageBoxRecord> boxes;
  sim::RestartRecord restart;
  std::vector<sim::Change> changes;
};

// Starts the program on the machine, presses Install, answers the question,
// presses the button `then` asks for, and collects what happened. The caller
// saves the machine.
RunOutcome RunSetup(sim::Machine& machine, const RunOptions& options);

std::string TextReport(const RunOutcome& outcome);
std::string JsonReport(const RunOutcome& outcome);

}  // namespace setupsim
