#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32Ui.h"

#include <cstring>

#include "platform/win32/DialogHost.h"

namespace win32 {

void TitleFromModulePath(const char* path, char* title, unsigned titleSize) {
  if (titleSize == 0) return;
  title[0] = '\0';
  if (path == nullptr) return;
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  }
  const char* end = std::strrchr(name, '.');
  std::size_t length = end != nullptr ? static_cast<std::size_t>(end - name) : std::strlen(name);
  if (length >= titleSize) length = titleSize - 1;
  std::memcpy(title, name, length);
  title[length] = '\0';
}

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {
  char path[MAX_PATH + 1] = {};
  DWORD length = ::GetModuleFileNameA(instance_, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) path[0] = '\0';
  TitleFromModulePath(path, title_, sizeof title_);
}

int Win32Ui::MessageBoxA(plat::Hwnd owner, const char* text, const char* caption, plat::UINT type) {
  return ::MessageBoxA(ToHwnd(owner), text, caption, type);
}

int Win32Ui::AfxMessageBox(const char* text, plat::UINT type) {
  // As the framework does: a box without an icon of its own gets the one that
  // fits its buttons.
  if ((type & MB_ICONMASK) == 0) {
    switch (type & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL:
        type |= MB_ICONEXCLAMATION;
        break;
      case MB_YESNO:
      case MB_YESNOCANCEL:
        type |= MB_ICONQUESTION;
        break;
      default:
        break;
    }
  }
  return ::MessageBoxA(ToHwnd(mainWindow_), text, title_, type);
}

int Win32Ui::LoadStringA(plat::UINT id, char* buffer, int bufferSize) {
  if (buffer == nullptr || bufferSize <= 0) return 0;
  return ::LoadStringA(instance_, id, buffer, bufferSize);
}

int Win32Ui::DoModal(int templateId, plat::IDialogEvents& events) {
  DialogHost host(instance_, events, &mainWindow_);
  return host.Run(templateId);
}

}  // namespace win32

#endif  // _WIN32
