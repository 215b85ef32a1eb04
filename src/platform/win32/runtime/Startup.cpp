#ifdef _WIN32  // the source glob of the portable library reaches this folder too

// The start and end of Setup.exe. It is linked without the C run-time library
// (Windows 98 has no C++ run-time DLL, and the program needs little of C's), so
// this is what that library's start-up did: run the constructors of the static
// objects, call WinMain, run the functions registered with atexit (the static
// destructors among them) in reverse order, and end the process.

#include "platform/win32/WindowsApi.h"

extern "C" {

using StaticFunction = void (*)();

// The linker's table of static constructors: a count or -1, the entries, a zero.
extern StaticFunction __CTOR_LIST__[];

namespace {

constexpr int kMaxExitFunctions = 64;
StaticFunction g_exitFunctions[kMaxExitFunctions];
int g_exitFunctionCount = 0;

void RunConstructors() {
  auto count = reinterpret_cast<UINT_PTR>(__CTOR_LIST__[0]);
  if (count == static_cast<UINT_PTR>(-1)) {
    count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) ++count;
  }
  // Entries run last to first, as the compiler's own start-up runs them.
  for (UINT_PTR i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

void RunExitFunctions() {
  while (g_exitFunctionCount > 0) g_exitFunctions[--g_exitFunctionCount]();
}

}  // namespace

int atexit(StaticFunction function) {
  if (function == nullptr || g_exitFunctionCount == kMaxExitFunctions) return -1;
  g_exitFunctions[g_exitFunctionCount++] = function;
  return 0;
}

void exit(int code) {
  RunExitFunctions();
  ::ExitProcess(static_cast<UINT>(code));
}

// The entry point named in the link. Windows may enter with a stack aligned to
// four bytes only.
__attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup() {
  RunConstructors();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  int code = WinMain(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), show);
  exit(code);
  __builtin_unreachable();
}

}  // extern "C"

#endif  // _WIN32
