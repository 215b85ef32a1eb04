#ifdef _WIN32  // the source glob of the portable library reaches this folder too

// The program's entry. As with the framework it stands in for, the single
// application object exists before the program starts; start-up runs its
// InitInstance, and the program ends when that returns.

#include "app/CSetupApp.h"
#include "platform/win32/Win32Platform.h"

namespace {

// Defined before the application object in this file, so constructed before it.
win32::Win32Platform g_platform(::GetModuleHandleA(nullptr));

}  // namespace

CSetupApp theApp(g_platform.Os());

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // InitInstance returns FALSE once the dialog has closed: no message loop follows.
  theApp.InitInstance();
  return 0;
}

#endif  // _WIN32
