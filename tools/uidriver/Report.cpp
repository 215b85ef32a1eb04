#include "Report.h"

#include <cstdio>

#include "common/DialogStates.h"
#include "common/Json.h"

namespace uidriver {
namespace {

using report::JsonString;

const char* Bool(bool value) { return value ? "true" : "false"; }

std::string ButtonJson(const ButtonSeen& b) {
  return "{\"text\": " + JsonString(b.text) + ", \"enabled\": " + Bool(b.enabled) +
         ", \"focused\": " + Bool(b.focused) + "}";
}

}  // namespace

bool DialogSeen::operator==(const DialogSeen& o) const {
  return status == o.status && statusText == o.statusText && install.text == o.install.text &&
         install.enabled == o.install.enabled && install.focused == o.install.focused &&
         exit.text == o.exit.text && exit.enabled == o.exit.enabled &&
         exit.focused == o.exit.focused;
}

std::string Json(const RunReport& r) {
  std::string out = "{\n";
  // The result and the restart need follow from the states, as setup-sim reads them.
  report::StatesOutcome said = report::OutcomeOf(r.states);
  if (said.result) out += "  \"result\": " + std::to_string(*said.result) + ",\n";
  out += std::string("  \"rebootNeeded\": ") + Bool(said.rebootNeeded) + ",\n";
  out += "  \"dialog\": {\"status\": " + std::to_string(r.last.status) +
         ", \"statusText\": " + JsonString(r.last.statusText) +
         ", \"install\": " + ButtonJson(r.last.install) + ", \"exit\": " + ButtonJson(r.last.exit) +
         ", \"states\": [";
  for (std::size_t i = 0; i < r.states.size(); ++i)
    out += (i ? ", " : "") + JsonString(r.states[i]);
  out += "], \"ended\": " + (r.ended.empty() ? std::string("null") : JsonString(r.ended)) + "},\n";
  out += "  \"messageBoxes\": [";
  for (std::size_t i = 0; i < r.boxes.size(); ++i) {
    const BoxSeen& b = r.boxes[i];
    out += std::string(i ? "," : "") + "\n    {\"owner\": " + JsonString(b.owner) +
           ", \"caption\": " + JsonString(b.caption) + ", \"text\": " + JsonString(b.text) +
           ", \"icon\": " + JsonString(b.icon) + ", \"buttons\": " + JsonString(b.buttons) +
           ", \"answer\": " + JsonString(b.answer) +
           ", \"statusWhileShown\": " + std::to_string(b.statusWhileShown) + "}";
  }
  out += r.boxes.empty() ? "],\n" : "\n  ],\n";
  out += std::string("  \"restart\": {\"requested\": ") + Bool(r.restartRequested);
  if (r.restartFlags >= 0) out += ", \"flags\": " + std::to_string(r.restartFlags);
  out += "},\n";
  out += std::string("  \"wine\": {\"sessionEndQueried\": ") + Bool(r.sessionEndQueried) +
         ", \"stateAtSessionEnd\": " + JsonString(r.stateAtSessionEnd) +
         ", \"exitCode\": " + std::to_string(r.exitCode) +
         ", \"terminated\": " + Bool(r.terminated) + ", \"statusSet\": [";
  for (std::size_t i = 0; i < r.statusSet.size(); ++i)
    out += (i ? ", " : "") + std::to_string(r.statusSet[i]);
  out += "], \"statesFromRelay\": [";
  for (std::size_t i = 0; i < r.statesFromRelay.size(); ++i)
    out += (i ? ", " : "") + JsonString(r.statesFromRelay[i]);
  out += "]}\n";
  out += "}\n";
  return out;
}

}  // namespace uidriver
