#include "RunReport.h"

#include <map>

#include "app/CSetupApp.h"
#include "common/DialogStates.h"
#include "common/Json.h"

namespace setupsim {
namespace {

using report::JsonString;

const char* Buttons(const sim::ControlState& control) {
  return control.enabled ? "enabled" : "disabled";
}

std::string Indent(const std::string& text, const std::string& prefix) {
  std::string out = prefix;
  for (char c : text) {
    out += c;
    if (c == '\n') out += prefix;
  }
  return out;
}

std::string ControlJson(const sim::ControlState& control) {
  return "{\"text\": " + JsonString(control.text) +
         ", \"enabled\": " + (control.enabled ? "true" : "false") +
         ", \"focused\": " + (control.focused ? "true" : "false") + "}";
}

// The group a change belongs to in the text report: its drive or registry root.
std::string GroupOf(const sim::Change& change) {
  if (change.kind == "key" || change.kind == "value" || change.kind == "acl")
    return change.path.substr(0, 4);
  return change.path.substr(0, 2);
}

}  // namespace

RunOutcome RunSetup(sim::Machine& machine, const RunOptions& options) {
  using sim::UserAction;
  machine.SetQuestionAnswer(options.answer);
  std::vector<UserAction> actions = {UserAction::kPressInstall};
  // "Reboot Later" and "Exit" are the same control; Reboot Now is the Install button.
  if (options.then == Then::kRebootNow) actions.push_back(UserAction::kPressInstall);
  actions.push_back(UserAction::kPressExit);
  machine.SetUserActions(actions);

  CSetupApp app(machine.Os());
  app.InitInstance();

  RunOutcome outcome;
  outcome.flavour = app.m_bWin2kXp ? "win2k&xp" : "win98&me";
  for (const sim::DialogSnapshot& snapshot : machine.DialogHistory()) {
    std::string name = report::StateName(snapshot);
    if (name.empty()) continue;
    if (outcome.states.empty() || outcome.states.back() != name) outcome.states.push_back(name);
  }
  report::StatesOutcome said = report::OutcomeOf(outcome.states);
  outcome.result = said.result;
  outcome.rebootNeeded = said.rebootNeeded;
  if (!machine.DialogHistory().empty()) outcome.last = machine.DialogHistory().back();
  outcome.boxes = machine.MessageBoxes();
  outcome.restart = machine.Restart();
  outcome.changes = machine.Changes();
  return outcome;
}

std::string TextReport(const RunOutcome& o) {
  std::string out;
  out += "Outcome: " + (o.states.empty() ? std::string("(no dialog)") : o.states.back());
  if (o.result) out += ", result " + std::to_string(*o.result);
  out += o.rebootNeeded ? ", restart needed" : "";
  out += "  [flavour " + o.flavour + "]\n";
  out += "Dialog:\n" + Indent(o.last.statusText, "  | ") + "\n";
  out += "  [" + o.last.install.text + ": " + Buttons(o.last.install) + "]  [" + o.last.exit.text +
         ": " + Buttons(o.last.exit) + "]" +
         (o.last.ended.empty() ? "  (still open)" : "  ended with " + o.last.ended) + "\n";
  out += "States: ";
  for (std::size_t i = 0; i < o.states.size(); ++i) out += (i ? " -> " : "") + o.states[i];
  out += "\n";
  out += "Restart: " +
         std::string(o.restart.requested ? "requested, flags " + std::to_string(o.restart.flags)
                                         : "not requested") +
         "\n";
  out += "\nMessage boxes (" + std::to_string(o.boxes.size()) + "):\n";
  int n = 0;
  for (const sim::MessageBoxRecord& box : o.boxes) {
    out += "  " + std::to_string(++n) + ". \"" + box.caption + "\" (" + box.icon + ", " +
           box.buttons + ", owner " + box.owner + ", answered " + box.answer + ", status " +
           std::to_string(box.statusWhileShown) + ")\n";
    out += Indent(box.text, "     | ") + "\n";
  }
  std::map<std::string, std::vector<const sim::Change*>> groups;
  for (const sim::Change& change : o.changes) groups[GroupOf(change)].push_back(&change);
  out += "\nChanges (" + std::to_string(o.changes.size()) + "):\n";
  for (const auto& [group, changes] : groups) {
    out += "  " + group + "\n";
    for (const sim::Change* change : changes) {
      char sign = change->op == "added" ? '+' : change->op == "removed" ? '-' : '~';
      out += std::string("    ") + sign + " " + change->kind + " " + change->path;
      if (!change->detail.empty()) out += "  (" + change->detail + ")";
      out += "\n";
    }
  }
  return out;
}

std::string JsonReport(const RunOutcome& o) {
  std::string out = "{\n";
  out += "  \"flavour\": " + JsonString(o.flavour) + ",\n";
  if (o.result) out += "  \"result\": " + std::to_string(*o.result) + ",\n";
  out += std::string("  \"rebootNeeded\": ") + (o.rebootNeeded ? "true" : "false") + ",\n";
  out += "  \"dialog\": {\"status\": " + std::to_string(o.last.status) +
         ", \"statusText\": " + JsonString(o.last.statusText) +
         ", \"install\": " + ControlJson(o.last.install) +
         ", \"exit\": " + ControlJson(o.last.exit) + ", \"states\": [";
  for (std::size_t i = 0; i < o.states.size(); ++i)
    out += (i ? ", " : "") + JsonString(o.states[i]);
  out +=
      "], \"ended\": " + (o.last.ended.empty() ? std::string("null") : JsonString(o.last.ended)) +
      "},\n";
  out += "  \"messageBoxes\": [";
  for (std::size_t i = 0; i < o.boxes.size(); ++i) {
    const sim::MessageBoxRecord& b = o.boxes[i];
    out += std::string(i ? "," : "") + "\n    {\"owner\": " + JsonString(b.owner) +
           ", \"caption\": " + JsonString(b.caption) + ", \"text\": " + JsonString(b.text) +
           ", \"icon\": " + JsonString(b.icon) + ", \"buttons\": " + JsonString(b.buttons) +
           ", \"answer\": " + JsonString(b.answer) +
           ", \"statusWhileShown\": " + std::to_string(b.statusWhileShown) + "}";
  }
  out += o.boxes.empty() ? "],\n" : "\n  ],\n";
  out += std::string("  \"restart\": {\"requested\": ") + (o.restart.requested ? "true" : "false") +
         ", \"flags\": " + std::to_string(o.restart.flags) + "},\n";
  out += "  \"changes\": [";
  for (std::size_t i = 0; i < o.changes.size(); ++i) {
    const sim::Change& c = o.changes[i];
    out += std::string(i ? "," : "") + "\n    {\"kind\": " + JsonString(c.kind) +
           ", \"op\": " + JsonString(c.op) + ", \"path\": " + JsonString(c.path);
    if (!c.detail.empty()) out += ", \"detail\": " + JsonString(c.detail);
    out += "}";
  }
  out += o.changes.empty() ? "]\n" : "\n  ]\n";
  out += "}\n";
  return out;
}

}  // namespace setupsim
