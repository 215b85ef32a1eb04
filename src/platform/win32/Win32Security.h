// ISecurity over the Windows API. Windows 98 and Me export none of these
// functions, so each is looked up at run time; where it is absent the call fails
// with ERROR_CALL_NOT_IMPLEMENTED.
#pragma once

#include <aclapi.h>

#include "platform/Platform.h"
#include "platform/win32/OptionalFunction.h"

namespace win32 {

class Win32Security final : public plat::ISecurity {
 public:
  // library: where the functions are looked up (another name only in tests,
  // to see the calls fail as on a system without them).
  explicit Win32Security(const char* library = "ADVAPI32.DLL");

  plat::DWORD GetNamedSecurityInfoA(const char* objectName, plat::DWORD objectType,
                                    plat::DWORD securityInfo, void** dacl,
                                    void** securityDescriptor) override;
  void BuildExplicitAccessWithNameA(plat::ExplicitAccessA* access, const char* trusteeName,
                                    plat::DWORD permissions, plat::DWORD mode,
                                    plat::DWORD inheritance) override;
  plat::DWORD SetEntriesInAclA(plat::DWORD count, const plat::ExplicitAccessA* entries,
                               void* oldAcl, void** newAcl) override;
  plat::DWORD SetNamedSecurityInfoA(const char* objectName, plat::DWORD objectType,
                                    plat::DWORD securityInfo, void* owner, void* group, void* dacl,
                                    void* sacl) override;

 private:
  OptionalFunction<decltype(::GetNamedSecurityInfoA)> getNamedSecurityInfo_;
  OptionalFunction<decltype(::BuildExplicitAccessWithNameA)> buildExplicitAccess_;
  OptionalFunction<decltype(::SetEntriesInAclA)> setEntriesInAcl_;
  OptionalFunction<decltype(::SetNamedSecurityInfoA)> setNamedSecurityInfo_;
};

}  // namespace win32
