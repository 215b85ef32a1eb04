// What the driver saw of one run of Setup.exe, in the shape of setup-sim's JSON
// report: the dialog's states by name, the last dialog seen, every message box
// with its answer, and the restart.
#pragma once

#include <string>
#include <vector>

namespace uidriver {

struct ButtonSeen {
  std::string text;
  bool enabled = false;
  bool focused = false;
};

struct DialogSeen {
  int status = 0;  // string id 1 to 7 shown, 0 for another text
  std::string statusText;
  ButtonSeen install;  // control 1
  ButtonSeen exit;     // control 1001
  bool operator==(const DialogSeen& other) const;
};

struct BoxSeen {
  std::string owner;  // "dialog", "none" or "other"
  std::string caption;
  std::string text;
  std::string icon;
  std::string buttons;
  std::string answer;
  int statusWhileShown = 0;
};

struct RunReport {
  std::vector<std::string> states;
  DialogSeen last;
  std::string ended;  // "IDOK" or "IDCANCEL" when the dialog closed after that button
  std::vector<BoxSeen> boxes;
  bool restartRequested = false;
  long restartFlags = -1;  // from the relay log; -1 when not known
  // Wine's own record: the session end the restart sent, and the program's end.
  bool sessionEndQueried = false;
  std::string stateAtSessionEnd;
  long exitCode = -1;
  // The status texts the program set (string ids, 0 for another text), from the
  // relay log, and the states taken from there because the screen missed them.
  std::vector<int> statusSet;
  std::vector<std::string> statesFromRelay;
  bool terminated = false;  // the program did not end by itself and was ended
};

std::string Json(const RunReport& report);

}  // namespace uidriver
