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
//   play ANSWER THEN         a whole run as a user makes it: presses Install,
//                            answers the question box with ANSWER (ok or cancel)
//                            and every other box with OK, and once the run has
//                            ended presses THEN: reboot-now, reboot-later or exit
//                            (default: Reboot Later when a restart is offered,
//                            else Exit); then waits for the program to end
// The default caption is "USB Compound Device Setup"; the timeout of each wait
// is 30000 ms.
//
// More options:
//   --json FILE        after play, the run in the shape of setup-sim's JSON report
//   --shots FOLDER     play saves the screen of each state the user sees as
//                      FOLDER\<state>.bmp (ready, installing-question,
//                      restart-offered, completed, update-declined, failed)
//   --relay-log FILE   the program's Wine relay log, where its ExitWindowsEx call
//                      and flags show (WINEDEBUG=+relay, RelayInclude
//                      user32.ExitWindowsEx)
//
// The driver keeps a hidden top-level window: a restart (ExitWindowsEx) asks
// every such window whether the session may end, so the driver sees it happen.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Report.h"
#include "Transcript.h"
#include "WindowQuery.h"
#include "common/DialogStates.h"
#include "res/StatusId.h"

namespace uidriver {
namespace {

struct Options {
  std::string transcript;
  DWORD timeout = 30000;
  std::string caption = "USB Compound Device Setup";
  std::string json;
  std::string shots;
  std::string relayLog;
  std::vector<std::string> steps;
};

class Driver;
Driver* g_driver = nullptr;  // for the session watcher's window procedure

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
      } else if (step == "play") {
        std::string answer = argument("ok or cancel");
        std::string then = i < s.size() && !IsStep(s[i]) ? s[i++] : "default";
        ok = failed_.empty() && Play(answer, then);
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
                             "press", "key", "answer", "no-box", "wait-closed", "sleep", "play"}) {
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
  // Messages to the driver's own window are handled meanwhile.
  template <typename Condition>
  bool WaitFor(Condition condition, DWORD timeout, DWORD poll = 50) {
    DWORD start = GetTickCount();
    for (;;) {
      if (condition()) return true;
      if (GetTickCount() - start >= timeout) return false;
      if (poll > 0)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, poll, QS_ALLINPUT);
      else
        Sleep(0);  // only gives way to a thread that is ready
      Pump();
    }
  }

 public:
  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

  // The session watcher's window got WM_QUERYENDSESSION: a restart or shutdown
  // was asked for. Wine's ExitWindowsEx returns before the session end is sent,
  // so the program may be gone by now; the state is the last one seen.
  void SessionEnding() {
    if (report_.sessionEndQueried) return;
    report_.sessionEndQueried = true;
    Observe();
    report_.stateAtSessionEnd = report_.states.empty() ? "" : report_.states.back();
    out_.Line("session-end state=" + Quote(report_.stateAtSessionEnd));
  }

 private:
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

  DialogSeen Read() {
    DialogSeen seen;
    ControlState status = ReadControl(dialog_, 1000);
    seen.statusText = status.text;
    seen.status = res::StatusIdOf(status.text);
    for (auto [id, button] : {std::pair<int, ButtonSeen*>{1, &seen.install}, {1001, &seen.exit}}) {
      ControlState c = ReadControl(dialog_, id);
      button->text = c.text;
      button->enabled = c.enabled;
      button->focused = c.focused;
    }
    return seen;
  }

  // Records the dialog when it changed and the state it is in, if any. The
  // report's dialog is the last one in a named state: what the user saw last,
  // not the controls of a window being taken down.
  void Observe() {
    if (dialog_ == nullptr || !IsWindow(dialog_)) return;
    DialogSeen seen = Read();
    if (!IsWindow(dialog_)) return;
    if (observed_ && seen == lastRead_) return;
    observed_ = true;
    lastRead_ = seen;
    std::string name = report::StateName(seen);
    out_.Line("dialog-state status=" + std::to_string(seen.status) +
              " install=" + Quote(seen.install.text) +
              (seen.install.enabled ? " enabled" : " disabled") + " exit=" + Quote(seen.exit.text) +
              (seen.exit.enabled ? " enabled" : " disabled") + " focus=" +
              (seen.install.focused ? "install"
               : seen.exit.focused  ? "exit"
                                    : "none") +
              " state=" + Quote(name) + " ms=" + std::to_string(GetTickCount() - started_));
    if (name.empty()) return;
    // Once the button that ends the dialog is pressed, only a new state counts:
    // the focus leaves the buttons while the dialog is taken down.
    if (closing_ && !report_.states.empty() && report_.states.back() == name) return;
    report_.last = seen;
    if (report_.states.empty() || report_.states.back() != name) report_.states.push_back(name);
  }

  static std::string ShotName(const std::string& state) {
    std::string name;
    for (char c : state)
      name += c == ' ' ? '-' : static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
  }

  // The screen around the dialog (and a box over it) as FOLDER\name.bmp.
  void Shot(const std::string& name, HWND box = nullptr) {
    if (options_.shots.empty() || dialog_ == nullptr) return;
    // Invalidated only: the program's own loop repaints, nothing waits on it.
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    Sleep(300);
    RECT area = {};
    GetWindowRect(dialog_, &area);
    if (box != nullptr) {
      RECT boxArea = {};
      GetWindowRect(box, &boxArea);
      UnionRect(&area, &area, &boxArea);
    }
    InflateRect(&area, 8, 8);
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&area, &area, &screen);
    std::string path = options_.shots + "\\" + name + ".bmp";
    bool saved = SaveScreenBitmap(area, path);
    out_.Line("shot file=" + Quote(path) + (saved ? "" : " failed"));
  }

  // A message box of the program's own (not of Wine's or another program's).
  HWND ProgramBox() {
    for (HWND window : TopLevelDialogs()) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      if (window != dialog_ && pid == pid_ && GetDlgItem(window, 0xFFFF) != nullptr) return window;
    }
    return nullptr;
  }

  bool HandleBox(HWND box, const std::string& questionAnswer) {
    BoxState state = ReadMessageBox(box);
    BoxSeen seen;
    seen.owner = state.owner == nullptr ? "none" : state.owner == dialog_ ? "dialog" : "other";
    seen.caption = state.caption;
    seen.text = state.text;
    seen.icon = state.icon;
    seen.buttons = state.buttons;
    seen.answer = state.buttons == "okcancel" ? questionAnswer : "ok";
    seen.statusWhileShown = res::StatusIdOf(ReadControl(dialog_, 1000).text);
    Observe();
    if (state.buttons == "okcancel" && !questionShot_) {
      questionShot_ = true;
      Shot(ShotName(report::StateName(report_.last)) + "-question", box);
    }
    out_.Line("box owner=" + seen.owner + " caption=" + Quote(seen.caption) +
              " text=" + Quote(seen.text) + " icon=" + seen.icon + " buttons=" + seen.buttons +
              " answer=" + seen.answer + " status=" + std::to_string(seen.statusWhileShown));
    report_.boxes.push_back(seen);
    int id = seen.answer == "ok" ? IDOK : IDCANCEL;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    if (!WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, options_.timeout))
      return Fail("the message box stayed up");
    return true;
  }

  static bool Final(const std::string& state) {
    return state == "Restart offered" || state == "Completed" || state == "Update declined" ||
           state == "Failed";
  }

  bool Play(const std::string& answer, const std::string& then) {
    if (answer != "ok" && answer != "cancel") return Fail("play: the answer must be ok or cancel");
    if (then != "default" && then != "reboot-now" && then != "reboot-later" && then != "exit")
      return Fail("play: then must be reboot-now, reboot-later or exit");
    if (!WaitDialog()) return false;
    GetWindowThreadProcessId(dialog_, &pid_);
    HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid_);
    if (process == nullptr) return Fail("cannot open the program's process");
    Observe();
    Shot("ready");
    bool ok = PlayRun(answer, then, process);
    // The program must end by itself; what a restart would do is done if it does not.
    if (WaitForSingleObject(process, options_.timeout) == WAIT_TIMEOUT) {
      report_.terminated = true;
      TerminateProcess(process, 1);
      WaitForSingleObject(process, options_.timeout);
      out_.Line("terminated");
    }
    DWORD code = 0;
    if (GetExitCodeProcess(process, &code)) report_.exitCode = static_cast<long>(code);
    CloseHandle(process);
    out_.Line("exited code=" + std::to_string(report_.exitCode));
    ReadRelayLog();
    if (!options_.json.empty()) {
      FILE* file = std::fopen(options_.json.c_str(), "wb");
      std::string text = Json(report_);
      if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size())
        ok = Fail("cannot write " + options_.json);
      if (file != nullptr) std::fclose(file);
    }
    return ok;
  }

  bool PlayRun(const std::string& answer, const std::string& then, HANDLE process) {
    // The driver reads without pause from here on; ahead of the program, where
    // the system honours priorities, so that it is not kept waiting by it.
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    if (!Press(1)) return false;
    // Until the run has ended: every state change, every box. The dialog is read
    // without pause (Wine sends no WinEvent when a text changes), so that a state
    // of a few milliseconds, the Installing of a run that fails at once, is seen.
    bool ended = WaitFor(
        [&] {
          Observe();
          if (HWND box = ProgramBox()) {
            if (!HandleBox(box, answer)) return true;
          }
          return !IsWindow(dialog_) || (!report_.states.empty() && Final(report_.states.back()));
        },
        options_.timeout * 4, 0);
    if (!failed_.empty()) return false;
    if (!ended || !IsWindow(dialog_)) return Fail("the run did not end in a final state");
    // The dialog settles (the focus moves last) before the user reads it and goes on.
    DWORD lastChange = GetTickCount();
    WaitFor(
        [&] {
          DialogSeen before = lastRead_;
          Observe();
          if (!(lastRead_ == before)) lastChange = GetTickCount();
          return GetTickCount() - lastChange >= 300;
        },
        options_.timeout, 10);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    std::string final = report_.states.back();
    Shot(ShotName(final));
    bool restart = final == "Restart offered";
    if (then == "reboot-now" && !restart) return Fail("play: no restart was offered");
    int button = then == "reboot-now" ? 1 : 1001;
    closing_ = true;
    if (!Press(button)) return false;
    bool closed = WaitFor(
        [&] {
          Observe();
          if (HWND box = ProgramBox()) {
            if (!HandleBox(box, answer)) return true;
          }
          return !IsWindow(dialog_) || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        },
        options_.timeout, 2);
    if (!failed_.empty()) return false;
    if (!closed) return Fail("the dialog stayed up");
    report_.ended = button == 1 ? "IDOK" : "IDCANCEL";
    out_.Line("closed");
    // Wine's ExitWindowsEx has the session end sent after it returned: wait for
    // it to reach the driver's window too.
    if (then == "reboot-now") WaitFor([&] { return report_.sessionEndQueried; }, 15000);
    return true;
  }

  // Wine's relay log of the program's calls (debugstr quoting) back to the text.
  static std::string RelayText(const char* quoted) {
    std::string text;
    for (const char* c = quoted; *c != '\0' && *c != '"'; ++c) {
      if (*c != '\\' || c[1] == '\0') {
        text += *c;
        continue;
      }
      ++c;
      if (*c == 'n')
        text += '\n';
      else if (*c == 'r')
        text += '\r';
      else if (*c == 't')
        text += '\t';
      else if (*c == 'x' && c[1] != '\0' && c[2] != '\0') {
        text += static_cast<char>(std::strtol(std::string(c + 1, 2).c_str(), nullptr, 16));
        c += 2;
      } else {
        text += *c;
      }
    }
    return text;
  }

  // The relay log has the restart's call, "Call user32.ExitWindowsEx(00000003,
  // ffffffff)", and every text the program gave the status control,
  // "Call user32.SetDlgItemTextA(hwnd,000003e8,ptr "text")".
  void ReadRelayLog() {
    if (options_.relayLog.empty()) {
      report_.restartRequested = report_.sessionEndQueried;
      return;
    }
    FILE* file = std::fopen(options_.relayLog.c_str(), "rb");
    if (file == nullptr) {
      out_.Line("error " + Quote("cannot read the relay log " + options_.relayLog));
      return;
    }
    char line[4096];
    const char* restart = "Call user32.ExitWindowsEx(";
    const char* text = "Call user32.SetDlgItemTextA(";
    while (std::fgets(line, sizeof line, file) != nullptr) {
      if (const char* found = std::strstr(line, restart); found != nullptr) {
        if (report_.restartRequested) continue;
        report_.restartRequested = true;
        report_.restartFlags = std::strtol(found + std::strlen(restart), nullptr, 16);
        out_.Line("restart flags=" + std::to_string(report_.restartFlags));
      } else if (const char* found = std::strstr(line, text); found != nullptr) {
        const char* id = std::strchr(found, ',');
        const char* quote = std::strstr(found, " \"");
        if (id == nullptr || quote == nullptr || std::strtol(id + 1, nullptr, 16) != 1000) continue;
        report_.statusSet.push_back(res::StatusIdOf(RelayText(quote + 2)));
      }
    }
    std::fclose(file);
    FillInShortInstalling();
  }

  // The Installing of a run that fails at once lasts a few milliseconds, and
  // Wine sends no WinEvent when a text changes: when the screen reading missed
  // it, the program's own record (the relay log) shows it was there.
  void FillInShortInstalling() {
    std::vector<std::string>& states = report_.states;
    bool set = false;
    for (std::size_t i = 1; i < report_.statusSet.size(); ++i)
      set = set || (report_.statusSet[i - 1] == 1 && report_.statusSet[i] == 7);
    bool seen = false;
    for (const std::string& state : states) seen = seen || state == "Installing";
    if (!set || seen || states.empty() || states.front() != "Ready" || states.size() < 2) return;
    states.insert(states.begin() + 1, "Installing");
    report_.statesFromRelay.push_back("Installing");
    out_.Line("state name=\"Installing\" from=relay-log");
  }

  const Options& options_;
  Transcript& out_;
  HWND dialog_ = nullptr;
  std::string failed_;
  std::map<int, std::string> lastText_;
  RunReport report_;
  bool observed_ = false;
  bool closing_ = false;
  DWORD started_ = GetTickCount();  // for the times in the event log
  DialogSeen lastRead_;
  bool questionShot_ = false;
  DWORD pid_ = 0;
};

LRESULT CALLBACK WatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYENDSESSION) {
    if (g_driver != nullptr) g_driver->SessionEnding();
    // No: a session end that every window agreed to ends their programs too
    // (wineboot does so), and the driver has its report still to write.
    return FALSE;
  }
  if (message == WM_ENDSESSION) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden top-level window: the system asks every top-level window before a
// session ends, which is how the driver learns of a restart.
HWND CreateSessionWatcher() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WatcherProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "uidriver session watcher";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, windowClass.lpszClassName, "uidriver", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
}

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
    } else if (arg == "--json" && i + 1 < argc) {
      options.json = argv[++i];
    } else if (arg == "--shots" && i + 1 < argc) {
      options.shots = argv[++i];
    } else if (arg == "--relay-log" && i + 1 < argc) {
      options.relayLog = argv[++i];
    } else {
      options.steps.push_back(arg);
    }
  }
  uidriver::Transcript out(options.transcript);
  if (!out.Ok()) {
    std::fprintf(stderr, "uidriver: cannot write %s\n", options.transcript.c_str());
    return 2;
  }
  uidriver::Driver driver(options, out);
  uidriver::g_driver = &driver;
  HWND watcher = uidriver::CreateSessionWatcher();
  int status = driver.Run();
  uidriver::g_driver = nullptr;
  if (watcher != nullptr) DestroyWindow(watcher);
  return status;
}
