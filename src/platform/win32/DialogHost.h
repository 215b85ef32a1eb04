// Runs one modal dialog: the dialog procedure that routes the window's messages
// to the program's IDialogEvents, and the IDialogWindow the handlers act on.
#pragma once

#include <optional>

#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

namespace win32 {

class DialogWindow final : public plat::IDialogWindow {
 public:
  DialogWindow(HINSTANCE instance, HWND window) : instance_(instance), window_(window) {}

  plat::Hwnd Window() override { return FromHwnd(window_); }
  plat::Icon LoadIconA(int resourceId) override;
  void SetIcon(int which, plat::Icon icon) override;
  void SetDlgItemTextA(int id, const char* text) override;
  void EnableDlgItem(int id, plat::BOOL enable) override;
  void SetFocusToDlgItem(int id) override;
  plat::BOOL IsIconic() override;
  int GetSystemMetrics(int index) override;
  plat::Rect GetClientRect() override;
  void PaintIcon(plat::Icon icon, int x, int y) override;
  void DefaultPaint() override { painted_ = false; }
  void EndDialog(int result) override;

  // Whether the last WM_PAINT was painted by the handler (else the system paints).
  void BeginPaintMessage() { painted_ = false; }
  bool Painted() const { return painted_; }

 private:
  HINSTANCE instance_;
  HWND window_;
  bool painted_ = false;
};

class DialogHost {
 public:
  DialogHost(HINSTANCE instance, plat::IDialogEvents& events, plat::Hwnd* mainWindow)
      : instance_(instance), events_(events), mainWindow_(mainWindow) {}
  DialogHost(const DialogHost&) = delete;
  DialogHost& operator=(const DialogHost&) = delete;

  // DialogBoxParamA's result: the value given to EndDialog, -1 when it could not run.
  int Run(int templateId);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  plat::IDialogEvents& events_;
  plat::Hwnd* mainWindow_;
  std::optional<DialogWindow> window_;  // from WM_INITDIALOG until the dialog ends
};

}  // namespace win32
