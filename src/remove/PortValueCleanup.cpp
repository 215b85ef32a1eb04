// The port-name values of the removed COM ports in the Windows NT Ports key.
// COM names of other devices, LPT names and names in other letter case stay.
#include <cstring>
#include <string>

#include "platform/ScopedKey.h"
#include "remove/CDriverRemover.h"
#include "remove/PortNumber.h"
#include "remove/RemovalKeys.h"

void CDriverRemover::DeletePortValues() {
  if (!m_bWin2kXp) return;
  plat::IRegistry& registry = m_os.registry;
  GrantFullAccess(removal::kNtPortsKey);
  plat::ScopedKey ports(registry);
  plat::DWORD opened = static_cast<plat::DWORD>(
      ports.Open(plat::kHkeyLocalMachine, removal::kNtPortsKey, plat::kKeyAllAccess));
  if (opened == plat::kErrorFileNotFound) return;
  if (opened != plat::kErrorSuccess) {
    ReportRegistryError(opened);
    return;
  }

  plat::DWORD index = 0;
  std::string deleted;
  for (;;) {
    char name[plat::kMaxPath] = {};
    plat::DWORD nameSize = plat::kMaxPath;
    plat::DWORD type = 0;
    if (registry.RegEnumValueA(ports.Get(), index, name, &nameSize, &type, nullptr, nullptr) !=
        plat::kErrorSuccess)
      break;
    name[plat::kMaxPath - 1] = '\0';
    // A value reported deleted that is still in its place: go past it.
    if (!deleted.empty() && deleted == name) {
      deleted.clear();
      ++index;
      continue;
    }
    deleted.clear();
    if (std::strlen(name) >= 4 && std::strncmp(name, "COM", 3) == 0) {
      long number = removal::ParsePortNumber(name + 3);
      // A deleted value's place is taken by the next one: read this index again.
      if (removal::IsComPortNumber(number) && IsRemovedPort(static_cast<unsigned>(number)) &&
          registry.RegDeleteValueA(ports.Get(), name) == plat::kErrorSuccess) {
        deleted = name;
        continue;
      }
    }
    ++index;
  }
}
