#include "WindowQuery.h"

namespace uidriver {
namespace {

// The static control that holds a message box's text.
constexpr int kBoxTextId = 0xFFFF;

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && ClassName(window) == "#32770")
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

bool ButtonShown(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return button != nullptr && IsWindowVisible(button);
}

std::string IconName(HWND box) {
  // The icon control of a message box has no fixed id; it is the static with SS_ICON.
  HWND icon = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) == "Static" &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      icon = child;
      break;
    }
  }
  if (icon == nullptr || !IsWindowVisible(icon)) return "none";
  DWORD_PTR shown = 0;
  if (!SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 1000, &shown))
    return "unknown";
  struct Known {
    LPCSTR id;
    const char* name;
  };
  const Known known[] = {{IDI_EXCLAMATION, "exclamation"},
                         {IDI_ASTERISK, "information"},
                         {IDI_QUESTION, "question"},
                         {IDI_HAND, "stop"}};
  for (const Known& k : known) {
    if (reinterpret_cast<DWORD_PTR>(LoadIconA(nullptr, k.id)) == shown) return k.name;
  }
  return "unknown";
}

}  // namespace

std::string WindowText(HWND window) {
  // For windows of another process GetWindowText reads the stored text and
  // sends nothing to that process.
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<HWND> TopLevelDialogs() {
  std::vector<HWND> dialogs;
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

HWND FindDialog(const std::string& caption) {
  for (HWND dialog : TopLevelDialogs()) {
    if (WindowText(dialog) == caption) return dialog;
  }
  return nullptr;
}

ControlState ReadControl(HWND dialog, int id) {
  ControlState state;
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return state;
  state.exists = true;
  state.text = WindowText(control);
  state.enabled = IsWindowEnabled(control) != FALSE;
  state.visible = IsWindowVisible(control) != FALSE;
  state.focused = FocusOf(dialog) == control;
  return state;
}

HWND FindMessageBox(HWND exclude) {
  for (HWND dialog : TopLevelDialogs()) {
    if (dialog != exclude && GetDlgItem(dialog, kBoxTextId) != nullptr) return dialog;
  }
  return nullptr;
}

BoxState ReadMessageBox(HWND box) {
  BoxState state;
  state.window = box;
  state.caption = WindowText(box);
  state.text = WindowText(GetDlgItem(box, kBoxTextId));
  state.icon = IconName(box);
  state.owner = GetWindow(box, GW_OWNER);
  struct Layout {
    int first, second, third;
    const char* name;
  };
  const Layout layouts[] = {{IDABORT, IDRETRY, IDIGNORE, "abortretryignore"},
                            {IDYES, IDNO, IDCANCEL, "yesnocancel"},
                            {IDYES, IDNO, 0, "yesno"},
                            {IDRETRY, IDCANCEL, 0, "retrycancel"},
                            {IDOK, IDCANCEL, 0, "okcancel"},
                            {IDOK, 0, 0, "ok"}};
  state.buttons = "unknown";
  for (const Layout& layout : layouts) {
    bool shown = ButtonShown(box, layout.first) &&
                 (layout.second == 0 || ButtonShown(box, layout.second)) &&
                 (layout.third == 0 || ButtonShown(box, layout.third));
    if (shown) {
      state.buttons = layout.name;
      break;
    }
  }
  return state;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (!GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace uidriver
