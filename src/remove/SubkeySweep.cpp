// The walk over the subkeys of a key that deletes those a step recognises.
// After a deletion at index i the walk reads i - 1 again: the keys behind the
// deleted one have moved up by one, and the one before it is tested again, so
// none is skipped. A key whose deletion failed is stepped over; it is tested
// (and tried) again when the deletion of the key after it lets the walk back.
// A key whose deletion was reported done but that is still listed (the registry
// answered "not found" for it) is stepped over from then on, so the walk ends.
#include <set>
#include <string>

#include "platform/ScopedKey.h"
#include "remove/CDriverRemover.h"

void CDriverRemover::SweepSubkeys(const char* parentPath, bool grantFirst, const SubkeyTest& test,
                                  const SubkeyAction& action) {
  plat::IRegistry& registry = m_os.registry;
  if (grantFirst) GrantFullAccess(parentPath);

  plat::ScopedKey parent(registry);
  plat::DWORD opened = static_cast<plat::DWORD>(
      parent.Open(plat::kHkeyLocalMachine, parentPath, plat::kKeyAllAccess));
  if (opened == plat::kErrorFileNotFound) return;  // nothing to remove
  if (opened != plat::kErrorSuccess) {
    ReportRegistryError(opened);
    return;
  }

  std::set<std::string> deleted;
  plat::DWORD index = 0;
  for (;;) {
    char name[plat::kMaxPath] = {};
    if (registry.RegEnumKeyA(parent.Get(), index, name, plat::kMaxPath) != plat::kErrorSuccess)
      break;
    name[plat::kMaxPath - 1] = '\0';
    if (action) action(parent.Get(), name);
    if (deleted.count(name) == 0 && test(parent.Get(), name) && DeleteKey(parent.Get(), name)) {
      deleted.insert(name);
      index = index > 0 ? index - 1 : 0;
    } else {
      ++index;
    }
  }
}
