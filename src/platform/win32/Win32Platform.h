// Every platform interface over the real Windows API, bundled as the program
// receives them.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Security.h"
#include "platform/win32/Win32SetupApi.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Ui.h"

namespace win32 {

class Win32Platform {
 public:
  // instance: the module whose resources the program uses (the executable).
  explicit Win32Platform(HINSTANCE instance);
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  plat::Platform& Os() { return os_; }

 private:
  Win32System system_;
  Win32Profile profile_;
  Win32FileSystem files_;
  Win32Registry registry_;
  Win32Security security_;
  Win32Process process_;
  Win32Shell shell_;
  Win32SetupApi setupApi_;
  Win32Ui ui_;
  plat::Platform os_;
};

}  // namespace win32
