// uidriver: works a program's dialog under Wine (or Windows) as a user would,
// and writes down everything it saw. It never waits on the other program's
// message loop: it reads window state and posts its clicks and answers.
//
//   uidriver.exe [--transcript FILE] [--timeout MS] [--caption TEXT] STEP...
//
// Steps, run in order (the first one that fails ends the run with status 1):
//   wait-dialog              the dialog with the caption is up (and visible)
//   snapshot [ID...]         records the dialog: control 1000's text and the
//                            state of controls 1 and 1001 (or of the given ids)
//   wait-text ID TEXT        control ID shows TEXT
//   wait-change ID           control ID's text differs from its last snapshot
//   wait-enabled ID          control ID is enabled
//   press ID                 posts control ID's click (BN_CLICKED) to the dialog
//   key VK                   posts a key press (decimal virtual-key code) to the
//                            control that has the focus
//   answer ok|cancel [CAPTION]
//                            waits for a message box (with that caption), records
//                            it and presses OK or Cancel
//   no-box MS                no message box comes up within MS milliseconds
//   wait-closed              the dialog is gone
//   sleep MS
// The default caption is "USB Compound Device Setup"; the timeout of each wait
// is 30000 ms.

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "Transcript.h"
#include "WindowQuery.h"

namespace uidriver {
namespace {

struct Options {
  std::string transcript;
  DWORD timeout = 30000;
  std::string caption = "USB Compound Device Setup";
  std::vector<std::string> steps;
};

class Driver {
 public:
  Driver(const Options& options, Transcript& out) : options_(options), out_(out) {}

  int Run() {
    const std::vector<std::string>& s = options_.steps;
    for (std::size_t i = 0; i < s.size();) {
      const std::string& step = s[i++];
      auto argument = [&](const char* what) -> std::string {
        if (i < s.size()) return s[i++];
        Fail(step + ": " + what + " missing");
        return {};
      };
      bool ok = true;
      if (step == "wait-dialog") {
        ok = WaitDialog();
      } else if (step == "snapshot") {
        std::vector<int> ids;
        while (i < s.size() && IsNumber(s[i])) ids.push_back(std::atoi(s[i++].c_str()));
        ok = Snapshot(ids.empty() ? std::vector<int>{1000, 1, 1001} : ids);
      } else if (step == "wait-text") {
        int id = std::atoi(argument("control id").c_str());
        ok = failed_.empty() && WaitText(id, argument("text"));
      } else if (step == "wait-change") {
        ok = WaitChange(std::atoi(argument("control id").c_str()));
      } else if (step == "wait-enabled") {
        ok = WaitEnabled(std::atoi(argument("control id").c_str()));
      } else if (step == "press") {
        ok = Press(std::atoi(argument("control id").c_str()));
      } else if (step == "key") {
        ok = Key(std::atoi(argument("virtual-key code").c_str()));
      } else if (step == "answer") {
        std::string answer = argument("ok or cancel");
        std::string caption;
        if (i < s.size() && !IsStep(s[i])) caption = s[i++];
        ok = failed_.empty() && Answer(answer, caption);
      } else if (step == "no-box") {
        ok = NoBox(static_cast<DWORD>(std::atoi(argument("milliseconds").c_str())));
      } else if (step == "wait-closed") {
        ok = WaitClosed();
      } else if (step == "sleep") {
        Sleep(static_cast<DWORD>(std::atoi(argument("milliseconds").c_str())));
      } else {
        ok = Fail("unknown step " + Quote(step));
      }
      if (!ok || !failed_.empty()) return 1;
    }
    out_.Line("done");
    return 0;
  }

 private:
  static bool IsNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  }
  static bool IsStep(const std::string& text) {
    for (const char* step : {"wait-dialog", "snapshot", "wait-text", "wait-change", "wait-enabled",
                             "press", "key", "answer", "no-box", "wait-closed", "sleep"}) {
      if (text == step) return true;
    }
    return false;
  }

  bool Fail(const std::string& why) {
    failed_ = why;
    out_.Line("error " + Quote(why));
    return false;
  }

  // Polls until condition holds or the timeout passes.
  template <typename Condition>
  bool WaitFor(Condition condition, DWORD timeout) {
    DWORD start = GetTickCount();
    for (;;) {
      if (condition()) return true;
      if (GetTickCount() - start >= timeout) return false;
      Sleep(50);
    }
  }

  bool DialogUp() {
    if (dialog_ != nullptr && IsWindow(dialog_)) return true;
    dialog_ = FindDialog(options_.caption);
    return dialog_ != nullptr;
  }

  bool WaitDialog() {
    if (!WaitFor([&] { return DialogUp(); }, options_.timeout))
      return Fail("no dialog " + Quote(options_.caption) + " appeared");
    out_.Line("dialog caption=" + Quote(options_.caption));
    return true;
  }

  bool NeedDialog() {
    if (DialogUp()) return true;
    return Fail("the dialog is not up");
  }

  bool Snapshot(const std::vector<int>& ids) {
    if (!NeedDialog()) return false;
    for (int id : ids) {
      ControlState c = ReadControl(dialog_, id);
      if (!c.exists) return Fail("no control " + std::to_string(id));
      lastText_[id] = c.text;
      out_.Line("control id=" + std::to_string(id) + " text=" + Quote(c.text) +
                " enabled=" + (c.enabled ? "1" : "0") + " visible=" + (c.visible ? "1" : "0") +
                " focused=" + (c.focused ? "1" : "0"));
    }
    return true;
  }

  bool WaitText(int id, const std::string& text) {
    if (!NeedDialog()) return false;
    if (!WaitFor([&] { return ReadControl(dialog_, id).text == text; }, options_.timeout))
      return Fail("control " + std::to_string(id) + " never showed " + Quote(text));
    return Snapshot({id});
  }

  bool WaitChange(int id) {
    if (!NeedDialog()) return false;
    std::string before = lastText_.count(id) ? lastText_[id] : ReadControl(dialog_, id).text;
    if (!WaitFor([&] { return ReadControl(dialog_, id).text != before; }, options_.timeout))
      return Fail("control " + std::to_string(id) + " kept its text");
    return Snapshot({id});
  }

  bool WaitEnabled(int id) {
    if (!NeedDialog()) return false;
    if (!WaitFor([&] { return ReadControl(dialog_, id).enabled; }, options_.timeout))
      return Fail("control " + std::to_string(id) + " stayed disabled");
    return Snapshot({id});
  }

  bool Press(int id) {
    if (!NeedDialog()) return false;
    HWND control = GetDlgItem(dialog_, id);
    if (control == nullptr) return Fail("no control " + std::to_string(id));
    out_.Line("press id=" + std::to_string(id));
    PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
    return true;
  }

  bool Key(int virtualKey) {
    if (!NeedDialog()) return false;
    HWND target = FocusOf(dialog_);
    if (target == nullptr) target = dialog_;
    out_.Line("key vk=" + std::to_string(virtualKey));
    PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(virtualKey), 0xC0000001);
    return true;
  }

  bool Answer(const std::string& answer, const std::string& caption) {
    if (answer != "ok" && answer != "cancel") return Fail("answer must be ok or cancel");
    HWND exclude = DialogUp() ? dialog_ : nullptr;
    HWND box = nullptr;
    auto boxUp = [&] {
      box = FindMessageBox(exclude);
      return box != nullptr && (caption.empty() || WindowText(box) == caption);
    };
    if (!WaitFor(boxUp, options_.timeout))
      return Fail("no message box" + (caption.empty() ? "" : " " + Quote(caption)) + " came up");
    BoxState state = ReadMessageBox(box);
    std::string owner = state.owner == nullptr   ? "none"
                        : state.owner == exclude ? "dialog"
                                                 : "other";
    out_.Line("box owner=" + owner + " caption=" + Quote(state.caption) +
              " text=" + Quote(state.text) + " icon=" + state.icon + " buttons=" + state.buttons +
              " answer=" + answer);
    int id = answer == "ok" ? IDOK : IDCANCEL;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    if (!WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, options_.timeout))
      return Fail("the message box stayed up");
    return true;
  }

  bool NoBox(DWORD milliseconds) {
    HWND exclude = DialogUp() ? dialog_ : nullptr;
    if (WaitFor([&] { return FindMessageBox(exclude) != nullptr; }, milliseconds)) {
      BoxState state = ReadMessageBox(FindMessageBox(exclude));
      return Fail("unexpected message box " + Quote(state.caption) + " " + Quote(state.text));
    }
    return true;
  }

  bool WaitClosed() {
    if (!WaitFor([&] { return FindDialog(options_.caption) == nullptr; }, options_.timeout))
      return Fail("the dialog stayed up");
    dialog_ = nullptr;
    out_.Line("closed");
    return true;
  }

  const Options& options_;
  Transcript& out_;
  HWND dialog_ = nullptr;
  std::string failed_;
  std::map<int, std::string> lastText_;
};

}  // namespace
}  // namespace uidriver

int main(int argc, char** argv) {
  uidriver::Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--transcript" && i + 1 < argc) {
      options.transcript = argv[++i];
    } else if (arg == "--timeout" && i + 1 < argc) {
      options.timeout = static_cast<DWORD>(std::atoi(argv[++i]));
    } else if (arg == "--caption" && i + 1 < argc) {
      options.caption = argv[++i];
    } else {
      options.steps.push_back(arg);
    }
  }
  uidriver::Transcript out(options.transcript);
  if (!out.Ok()) {
    std::fprintf(stderr, "uidriver: cannot write %s\n", options.transcript.c_str());
    return 2;
  }
  return uidriver::Driver(options, out).Run();
}
