#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32Security.h"

#include <vector>

namespace win32 {

Win32Security::Win32Security(const char* library)
    : getNamedSecurityInfo_(library, "GetNamedSecurityInfoA"),
      buildExplicitAccess_(library, "BuildExplicitAccessWithNameA"),
      setEntriesInAcl_(library, "SetEntriesInAclA"),
      setNamedSecurityInfo_(library, "SetNamedSecurityInfoA") {}

plat::DWORD Win32Security::GetNamedSecurityInfoA(const char* objectName, plat::DWORD objectType,
                                                 plat::DWORD securityInfo, void** dacl,
                                                 void** securityDescriptor) {
  if (dacl != nullptr) *dacl = nullptr;
  if (securityDescriptor != nullptr) *securityDescriptor = nullptr;
  auto* function = getNamedSecurityInfo_.Get();
  if (function == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD code = function(const_cast<char*>(objectName), static_cast<SE_OBJECT_TYPE>(objectType),
                        securityInfo, nullptr, nullptr, dacl != nullptr ? &acl : nullptr, nullptr,
                        securityDescriptor != nullptr ? &descriptor : nullptr);
  if (dacl != nullptr) *dacl = acl;
  if (securityDescriptor != nullptr) *securityDescriptor = descriptor;
  return code;
}

void Win32Security::BuildExplicitAccessWithNameA(plat::ExplicitAccessA* access,
                                                 const char* trusteeName, plat::DWORD permissions,
                                                 plat::DWORD mode, plat::DWORD inheritance) {
  if (access == nullptr) return;
  // The entry keeps what the system's call records; the trustee (a name, of
  // unknown type) is rebuilt from the name when the entries go to SetEntriesInAclA.
  access->grfAccessPermissions = permissions;
  access->grfAccessMode = mode;
  access->grfInheritance = inheritance;
  access->trusteeName = trusteeName;
  if (auto* function = buildExplicitAccess_.Get()) {
    EXPLICIT_ACCESS_A built = {};
    function(&built, const_cast<char*>(trusteeName), permissions, static_cast<ACCESS_MODE>(mode),
             inheritance);
    access->grfAccessPermissions = built.grfAccessPermissions;
    access->grfAccessMode = static_cast<plat::DWORD>(built.grfAccessMode);
    access->grfInheritance = built.grfInheritance;
  }
}

plat::DWORD Win32Security::SetEntriesInAclA(plat::DWORD count, const plat::ExplicitAccessA* entries,
                                            void* oldAcl, void** newAcl) {
  if (newAcl != nullptr) *newAcl = nullptr;
  auto* setEntries = setEntriesInAcl_.Get();
  auto* build = buildExplicitAccess_.Get();
  if (setEntries == nullptr || build == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  if (newAcl == nullptr || (count != 0 && entries == nullptr)) return ERROR_INVALID_PARAMETER;
  std::vector<EXPLICIT_ACCESS_A> list(count);
  for (plat::DWORD i = 0; i < count; ++i) {
    build(&list[i], const_cast<char*>(entries[i].trusteeName), entries[i].grfAccessPermissions,
          static_cast<ACCESS_MODE>(entries[i].grfAccessMode), entries[i].grfInheritance);
  }
  PACL acl = nullptr;
  DWORD code =
      setEntries(count, list.empty() ? nullptr : list.data(), static_cast<PACL>(oldAcl), &acl);
  *newAcl = acl;
  return code;
}

plat::DWORD Win32Security::SetNamedSecurityInfoA(const char* objectName, plat::DWORD objectType,
                                                 plat::DWORD securityInfo, void* owner, void* group,
                                                 void* dacl, void* sacl) {
  auto* function = setNamedSecurityInfo_.Get();
  if (function == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  return function(const_cast<char*>(objectName), static_cast<SE_OBJECT_TYPE>(objectType),
                  securityInfo, static_cast<PSID>(owner), static_cast<PSID>(group),
                  static_cast<PACL>(dacl), static_cast<PACL>(sacl));
}

}  // namespace win32

#endif  // _WIN32
