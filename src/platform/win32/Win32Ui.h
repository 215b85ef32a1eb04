// IUi over the Windows API: message boxes, the string table and icons of the
// program's resources, and the modal dialog.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

namespace win32 {

class Win32Ui final : public plat::IUi {
 public:
  explicit Win32Ui(HINSTANCE instance);

  int MessageBoxA(plat::Hwnd owner, const char* text, const char* caption,
                  plat::UINT type) override;
  int AfxMessageBox(const char* text, plat::UINT type) override;
  int LoadStringA(plat::UINT id, char* buffer, int bufferSize) override;
  plat::Hwnd MainWindow() override { return mainWindow_; }
  const char* AppTitle() override { return title_; }
  int DoModal(int templateId, plat::IDialogEvents& events) override;

  HINSTANCE Instance() const { return instance_; }

 private:
  HINSTANCE instance_;
  plat::Hwnd mainWindow_ = plat::kNoWindow;
  char title_[MAX_PATH] = {};
};

// The program's title as the framework takes it from the executable's path: the
// file name without its extension ("C:\SETUP\Setup.exe" gives "Setup").
void TitleFromModulePath(const char* path, char* title, unsigned titleSize);

}  // namespace win32
