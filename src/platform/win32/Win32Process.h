// IProcess over the Windows API. The token functions are looked up at run time:
// Windows 98 and Me have them only as stubs that fail with ERROR_CALL_NOT_IMPLEMENTED,
// and where they are missing altogether the call fails the same way.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/OptionalFunction.h"

namespace win32 {

class Win32Process final : public plat::IProcess {
 public:
  // library: where the functions are looked up (another name only in tests,
  // to see the calls fail as on a system without them).
  explicit Win32Process(const char* library = "ADVAPI32.DLL");

  plat::BOOL OpenProcessToken(plat::DWORD desiredAccess, plat::Handle* token) override;
  plat::BOOL LookupPrivilegeValueA(const char* systemName, const char* name,
                                   plat::Luid* luid) override;
  plat::BOOL AdjustTokenPrivileges(plat::Handle token, plat::BOOL disableAll,
                                   const plat::TokenPrivileges1* newState) override;
  plat::BOOL ExitWindowsEx(plat::UINT flags, plat::DWORD reason) override;

 private:
  OptionalFunction<decltype(::OpenProcessToken)> openProcessToken_;
  OptionalFunction<decltype(::LookupPrivilegeValueA)> lookupPrivilegeValue_;
  OptionalFunction<decltype(::AdjustTokenPrivileges)> adjustTokenPrivileges_;
};

}  // namespace win32
