#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32Process.h"

namespace win32 {

Win32Process::Win32Process(const char* library)
    : openProcessToken_(library, "OpenProcessToken"),
      lookupPrivilegeValue_(library, "LookupPrivilegeValueA"),
      adjustTokenPrivileges_(library, "AdjustTokenPrivileges") {}

plat::BOOL Win32Process::OpenProcessToken(plat::DWORD desiredAccess, plat::Handle* token) {
  if (token != nullptr) *token = 0;
  auto* function = openProcessToken_.Get();
  if (function == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  HANDLE opened = nullptr;
  BOOL ok = function(::GetCurrentProcess(), desiredAccess, &opened);
  if (token != nullptr) *token = ok ? FromHandle(opened) : 0;
  return ok;
}

plat::BOOL Win32Process::LookupPrivilegeValueA(const char* systemName, const char* name,
                                               plat::Luid* luid) {
  auto* function = lookupPrivilegeValue_.Get();
  if (function == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  LUID value = {};
  BOOL ok = function(systemName, name, &value);
  if (ok && luid != nullptr) {
    luid->LowPart = value.LowPart;
    luid->HighPart = value.HighPart;
  }
  return ok;
}

plat::BOOL Win32Process::AdjustTokenPrivileges(plat::Handle token, plat::BOOL disableAll,
                                               const plat::TokenPrivileges1* newState) {
  auto* function = adjustTokenPrivileges_.Get();
  if (function == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  TOKEN_PRIVILEGES privileges = {};
  if (newState != nullptr) {
    // TOKEN_PRIVILEGES holds exactly one entry, as ours does.
    privileges.PrivilegeCount = newState->PrivilegeCount > 1 ? 1 : newState->PrivilegeCount;
    privileges.Privileges[0].Luid.LowPart = newState->luid.LowPart;
    privileges.Privileges[0].Luid.HighPart = newState->luid.HighPart;
    privileges.Privileges[0].Attributes = newState->Attributes;
  }
  return function(ToHandle(token), disableAll, newState != nullptr ? &privileges : nullptr, 0,
                  nullptr, nullptr);
}

plat::BOOL Win32Process::ExitWindowsEx(plat::UINT flags, plat::DWORD reason) {
  return ::ExitWindowsEx(flags, reason);
}

}  // namespace win32

#endif  // _WIN32
