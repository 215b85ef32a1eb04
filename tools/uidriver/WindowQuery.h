// What the driver reads of other programs' windows. Nothing here sends a message
// that could wait on a busy program: texts and states are read from the window
// manager, a box's icon from the screen.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

struct ControlState {
  bool exists = false;
  std::string text;
  bool enabled = false;
  bool visible = false;
  bool focused = false;
};

struct BoxState {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  std::string icon;     // "exclamation", "information", "question", "error", "none" or "unknown"
  std::string buttons;  // "ok", "okcancel", "yesno", ... from the visible buttons
  HWND owner = nullptr;
};

std::string WindowText(HWND window);
std::string ClassName(HWND window);

// Visible top-level dialog windows (class #32770), in Z order.
std::vector<HWND> TopLevelDialogs();

// The first visible top-level dialog with exactly this caption, or null.
HWND FindDialog(const std::string& caption);

ControlState ReadControl(HWND dialog, int id);

// A message box: a visible top-level dialog other than `exclude` that has the
// message text control. Null when none is up.
HWND FindMessageBox(HWND exclude);
BoxState ReadMessageBox(HWND box);

// Writes what the screen shows in the area as a 32-bit BMP file.
bool SaveScreenBitmap(const RECT& area, const std::string& path);

// The window that has the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window);

}  // namespace uidriver
