// The user interface of a simulated machine: boxes and the dialog are recorded,
// not drawn, and a scripted user answers and clicks.
#include <cstring>

#include "platform/sim/MachineState.h"
#include "res/StatusId.h"

namespace sim {
namespace {

constexpr plat::Hwnd kDialogWindow = 0x10102;
constexpr int kSetupDialogTemplate = 102;
constexpr int kInstallButton = 1;
constexpr int kHiddenExitButton = 2;
constexpr int kStatusText = 1000;
constexpr int kExitButton = 1001;

class SimDialogWindow final : public plat::IDialogWindow {
 public:
  explicit SimDialogWindow(Machine::State& state) : s_(state) {}

  plat::Hwnd Window() override { return kDialogWindow; }
  plat::Icon LoadIconA(int resourceId) override {
    return static_cast<plat::Icon>(0x2000 + resourceId);
  }
  void SetIcon(int, plat::Icon) override {}

  void SetDlgItemTextA(int id, const char* text) override {
    if (ControlState* control = Control(id)) control->text = text;
    if (id == kStatusText) s_.dialog.statusText = text;
    s_.RecordDialog();
  }

  void EnableDlgItem(int id, plat::BOOL enable) override {
    if (ControlState* control = Control(id)) {
      control->enabled = enable != 0;
      // A control that is disabled loses the focus, as in a real dialog.
      if (!control->enabled) control->focused = false;
    }
    s_.RecordDialog();
  }

  void SetFocusToDlgItem(int id) override {
    s_.dialog.install.focused = id == kInstallButton;
    s_.dialog.exit.focused = id == kExitButton;
    s_.RecordDialog();
  }

  plat::BOOL IsIconic() override { return 0; }
  int GetSystemMetrics(int index) override {
    return index == plat::kSmCxIcon || index == plat::kSmCyIcon ? 32 : 0;
  }
  plat::Rect GetClientRect() override { return {0, 0, 426, 168}; }
  void PaintIcon(plat::Icon, int, int) override {}
  void DefaultPaint() override {}

  void EndDialog(int result) override {
    ended_ = true;
    result_ = result;
    s_.dialog.ended = result == plat::kIdOk       ? "IDOK"
                      : result == plat::kIdCancel ? "IDCANCEL"
                                                  : std::to_string(result);
    s_.RecordDialog();
  }

  bool ended() const { return ended_; }
  int result() const { return result_; }

 private:
  ControlState* Control(int id) {
    if (id == kInstallButton) return &s_.dialog.install;
    if (id == kExitButton) return &s_.dialog.exit;
    return nullptr;
  }

  Machine::State& s_;
  bool ended_ = false;
  int result_ = 0;
};

class SimUi final : public plat::IUi {
 public:
  explicit SimUi(Machine::State& state) : s_(state) {}

  int MessageBoxA(plat::Hwnd owner, const char* text, const char* caption,
                  plat::UINT type) override {
    return Show(owner, text, caption != nullptr ? caption : "Error", type, false);
  }

  int AfxMessageBox(const char* text, plat::UINT type) override {
    return Show(MainWindow(), text, AppTitle(), type, true);
  }

  int LoadStringA(plat::UINT id, char* buffer, int bufferSize) override {
    if (s_.Fault("LoadString", std::to_string(id))) return 0;
    if (buffer == nullptr || bufferSize <= 0) return 0;
    if (id < static_cast<plat::UINT>(res::kFirstString) ||
        id > static_cast<plat::UINT>(res::kLastString)) {
      buffer[0] = '\0';
      s_.lastError = 1814;  // ERROR_RESOURCE_NAME_NOT_FOUND
      return 0;
    }
    std::size_t length = std::strlen(res::kStrings[id]);
    std::size_t copied = std::min(length, static_cast<std::size_t>(bufferSize - 1));
    std::memcpy(buffer, res::kStrings[id], copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
  }

  plat::Hwnd MainWindow() override { return s_.dialogOpen ? kDialogWindow : plat::kNoWindow; }
  const char* AppTitle() override { return "Setup"; }

  int DoModal(int templateId, plat::IDialogEvents& events) override {
    if (s_.Fault("DialogBox", std::to_string(templateId))) return -1;
    if (templateId != kSetupDialogTemplate || s_.dialogOpen) return -1;
    SimDialogWindow window(s_);
    s_.dialog = DialogSnapshot{};
    s_.dialog.statusText = "Static";
    s_.dialog.install = ControlState{"&Install", true, false, true};
    s_.dialog.exit = ControlState{"&Exit", true, false, true};
    s_.dialogOpen = true;
    events.Attach(&window);
    if (events.OnInitDialog()) {
      // The system gives the focus to the first tab stop: the Install button.
      s_.dialog.install.focused = s_.dialog.install.enabled;
    }
    s_.RecordDialog();
    for (UserAction action : s_.userActions) {
      if (window.ended()) break;
      switch (action) {
        case UserAction::kPressInstall:
          if (s_.dialog.install.enabled && s_.dialog.install.visible) events.OnOK();
          break;
        case UserAction::kPressExit:
          if (s_.dialog.exit.enabled && s_.dialog.exit.visible)
            events.OnCommand(kExitButton, plat::kBnClicked);
          break;
        case UserAction::kPressEscape:
          events.OnCancel();
          break;
      }
      s_.RecordDialog();
    }
    s_.dialogOpen = false;
    events.Attach(nullptr);
    (void)kHiddenExitButton;
    return window.ended() ? window.result() : 0;
  }

 private:
  int Show(plat::Hwnd owner, const char* text, const char* caption, plat::UINT type,
           bool framework) {
    if (s_.Fault("MessageBox", caption)) return 0;
    MessageBoxRecord box;
    box.owner = owner == kDialogWindow && owner != plat::kNoWindow ? "dialog" : "none";
    box.caption = caption;
    box.text = text != nullptr ? text : "";
    switch (type & plat::kMbIconMask) {
      case plat::kMbIconExclamation:
        // One value serves both names; the framework's boxes say exclamation.
        box.icon = framework ? "exclamation" : "warning";
        break;
      case plat::kMbIconInformation:
        box.icon = "information";
        break;
      case plat::kMbIconQuestion:
        box.icon = "question";
        break;
      case plat::kMbIconHand:
        box.icon = "error";
        break;
      default:
        box.icon = "none";
    }
    bool okCancel = (type & plat::kMbTypeMask) == plat::kMbOkCancel;
    box.buttons = okCancel ? "okcancel" : "ok";
    int answer = okCancel ? s_.questionAnswer : plat::kIdOk;
    box.answer = answer == plat::kIdCancel ? "cancel" : "ok";
    box.statusWhileShown = s_.dialogOpen ? res::StatusIdOf(s_.dialog.statusText) : 0;
    s_.messageBoxes.push_back(std::move(box));
    return answer;
  }

  Machine::State& s_;
};

}  // namespace

std::unique_ptr<plat::IUi> MakeSimUi(Machine::State& state) {
  return std::make_unique<SimUi>(state);
}

}  // namespace sim
