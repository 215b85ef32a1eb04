// Full access for the current user on a key before the removal changes it. The
// grant is inherited, so the subkeys the steps then open and delete are covered.
// Windows 98/Me has no access control: nothing to do there.
#include "common/PathBuffer.h"
#include "remove/CDriverRemover.h"
#include "remove/LocalMemory.h"
#include "remove/RemovalKeys.h"

int CDriverRemover::GrantFullAccess(const char* keyPath) {
  if (!m_bWin2kXp) return 1;

  PathBuffer objectName("MACHINE\\");
  objectName.Append(keyPath);
  if (!objectName.Valid()) return 0;

  plat::ISecurity& security = m_os.security;
  void* dacl = nullptr;  // points into the descriptor
  LocalMemory<void> descriptor(m_os.system);
  plat::DWORD got =
      security.GetNamedSecurityInfoA(objectName.c_str(), plat::kSeRegistryKey,
                                     plat::kDaclSecurityInformation, &dacl, descriptor.Receive());
  if (got == plat::kErrorFileNotFound) return 1;  // no such key: nothing to grant
  if (got != plat::kErrorSuccess) {
    ShowBox(removal::kGetSecurityFailedText, nullptr, plat::kMbOk);
    return 0;
  }

  plat::ExplicitAccessA access{};
  security.BuildExplicitAccessWithNameA(&access, "CURRENT_USER", plat::kGenericAll,
                                        plat::kGrantAccess, plat::kSubContainersAndObjectsInherit);
  LocalMemory<void> newDacl(m_os.system);
  if (security.SetEntriesInAclA(1, &access, dacl, newDacl.Receive()) != plat::kErrorSuccess) {
    ShowBox(removal::kSetEntriesFailedText, nullptr, plat::kMbOk);
    return 0;
  }
  if (security.SetNamedSecurityInfoA(objectName.c_str(), plat::kSeRegistryKey,
                                     plat::kDaclSecurityInformation, nullptr, nullptr,
                                     newDacl.Get(), nullptr) != plat::kErrorSuccess) {
    ShowBox(removal::kSetSecurityFailedText, nullptr, plat::kMbOk);
    return 0;
  }
  return 1;
}
