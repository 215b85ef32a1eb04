#include "Report.h"

#include <cstdio>

#include "res/StringTable.h"

namespace uidriver {
namespace {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

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

int StatusIdOf(const std::string& text) {
  for (int id = res::kFirstString; id <= res::kLastString; ++id) {
    if (text == res::kStrings[id]) return id;
  }
  return 0;
}

std::string StateName(const DialogSeen& s) {
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

std::string Json(const RunReport& r) {
  std::string out = "{\n";
  // The result and the restart need follow from the states, as setup-sim reads them.
  bool installing = false;
  int result = -1;
  bool rebootNeeded = false;
  for (const std::string& name : r.states) {
    if (name == "Installing") installing = true;
    if (!installing) continue;
    if (name == "Restart offered") {
      result = 1;
      rebootNeeded = true;
    } else if (name == "Completed") {
      result = 1;
    } else if (name == "Update declined") {
      result = 2;
    } else if (name == "Failed") {
      result = 0;
    }
  }
  if (result >= 0) out += "  \"result\": " + std::to_string(result) + ",\n";
  out += std::string("  \"rebootNeeded\": ") + Bool(rebootNeeded) + ",\n";
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
