// The dialog's states by name, as setup-sim reads them from the simulated
// dialog and the driver of the real Setup.exe from the screen, and the result
// and restart need the states stand for. Both reports are compared name for
// name, so both take them from here.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace report {

// The state a dialog shows ("Ready", "Installing", "Restart offered",
// "Restarting", "Completed", "Update declined", "Failed"), or "" between
// states. Dialog has the status line's string id (status) and the two buttons
// (install, exit), each with its text and whether it is enabled.
template <typename Dialog>
std::string StateName(const Dialog& s) {
  bool installIsInstall = s.install.text == "&Install";
  bool exitIsExit = s.exit.text == "&Exit";
  if (s.status == 1 && installIsInstall && s.install.enabled && exitIsExit && s.exit.enabled)
    return "Ready";
  if (s.status == 7 && !s.install.enabled && !s.exit.enabled) return "Installing";
  if (s.status == 3 && s.install.text == "Reboot Now" && s.exit.text == "Reboot Later") {
    if (s.install.enabled && s.exit.enabled) return "Restart offered";
    if (!s.install.enabled && !s.exit.enabled) return "Restarting";
  }
  if (!s.install.enabled && s.exit.enabled && installIsInstall && exitIsExit) {
    if (s.status == 6) return "Completed";
    if (s.status == 4) return "Update declined";
    if (s.status == 5) return "Failed";
  }
  return "";
}

// What the states passed through say of the installation: its result (1
// installed, 2 update declined, 0 failed; none while Install was never
// pressed) and whether a restart is needed.
struct StatesOutcome {
  std::optional<int> result;
  bool rebootNeeded = false;
};

inline StatesOutcome OutcomeOf(const std::vector<std::string>& states) {
  StatesOutcome outcome;
  bool installing = false;
  for (const std::string& name : states) {
    if (name == "Installing") installing = true;
    if (!installing) continue;
    if (name == "Restart offered") {
      outcome.result = 1;
      outcome.rebootNeeded = true;
    } else if (name == "Completed") {
      outcome.result = 1;
    } else if (name == "Update declined") {
      outcome.result = 2;
    } else if (name == "Failed") {
      outcome.result = 0;
    }
  }
  return outcome;
}

}  // namespace report
