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
  OptionalFunction<decltype(::GetNamedSecurityInfoA)> getNamedSecurityInfo_{
      "ADVAPI32.DLL", "GetNamedSecurityInfoA"};
  OptionalFunction<decltype(::BuildExplicitAccessWithNameA)> buildExplicitAccess_{
      "ADVAPI32.DLL", "BuildExplicitAccessWithNameA"};
  OptionalFunction<decltype(::SetEntriesInAclA)> setEntriesInAcl_{"ADVAPI32.DLL",
                                                                  "SetEntriesInAclA"};
  OptionalFunction<decltype(::SetNamedSecurityInfoA)> setNamedSecurityInfo_{
      "ADVAPI32.DLL", "SetNamedSecurityInfoA"};
};

}  // namespace win32
