// <windows.h> as the Windows implementation of the platform includes it, and the
// conversions between the platform's handle values and the Windows types.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/Win32Types.h"

namespace win32 {

inline HKEY ToHkey(plat::HKey key) { return reinterpret_cast<HKEY>(key); }
inline plat::HKey FromHkey(HKEY key) { return reinterpret_cast<plat::HKey>(key); }
inline HWND ToHwnd(plat::Hwnd window) { return reinterpret_cast<HWND>(window); }
inline plat::Hwnd FromHwnd(HWND window) { return reinterpret_cast<plat::Hwnd>(window); }
inline HANDLE ToHandle(plat::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
inline plat::Handle FromHandle(HANDLE handle) { return reinterpret_cast<plat::Handle>(handle); }
inline HMODULE ToModule(plat::Module module) { return reinterpret_cast<HMODULE>(module); }
inline plat::Module FromModule(HMODULE module) { return reinterpret_cast<plat::Module>(module); }
inline HICON ToIcon(plat::Icon icon) { return reinterpret_cast<HICON>(icon); }
inline plat::Icon FromIcon(HICON icon) { return reinterpret_cast<plat::Icon>(icon); }
inline plat::Proc FromProc(FARPROC proc) { return reinterpret_cast<plat::Proc>(proc); }

// A looked-up function as the type it has; through void(*)() so that the compiler
// accepts the change of function type.
template <typename Function>
Function* ToFunction(FARPROC proc) {
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(proc));
}
template <typename Function>
Function* ToFunction(plat::Proc proc) {
  return reinterpret_cast<Function*>(proc);
}

static_assert(sizeof(plat::HKey) == sizeof(HKEY));
static_assert(sizeof(plat::Handle) == sizeof(HANDLE));

}  // namespace win32
