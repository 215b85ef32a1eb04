// Releases the removed ports' numbers in the COM port database: "ComDB" holds one
// bit per COM port 1 to 256 (port n: bit (n-1) % 8 of byte (n-1) / 8); a port set
// in "ComDB Merge" is kept reserved. Nothing here is reported.
#include <cstring>

#include "platform/ScopedKey.h"
#include "remove/CDriverRemover.h"
#include "remove/RemovalKeys.h"

namespace {

constexpr plat::DWORD kComDbSize = 32;

bool BitOf(const plat::BYTE* bits, unsigned port) {
  return (bits[(port - 1) / 8] >> ((port - 1) % 8)) & 1u;
}

}  // namespace

void CDriverRemover::ReleaseComDbPorts() {
  if (!m_bWin2kXp) return;
  plat::IRegistry& registry = m_os.registry;
  GrantFullAccess(removal::kComNameArbiterKey);
  plat::ScopedKey arbiter(registry);
  if (arbiter.Open(plat::kHkeyLocalMachine, removal::kComNameArbiterKey, plat::kKeyAllAccess) !=
      plat::kErrorSuccess)
    return;

  plat::BYTE database[kComDbSize] = {};
  plat::BYTE merge[kComDbSize] = {};
  plat::DWORD type = 0;
  plat::DWORD size = kComDbSize;
  if (registry.RegQueryValueExA(arbiter.Get(), removal::kComDbValue, &type, database, &size) !=
          plat::kErrorSuccess ||
      type != plat::kRegBinary || size == 0)
    return;
  plat::DWORD mergeSize = kComDbSize;
  // Without a readable merge value no port is protected.
  if (registry.RegQueryValueExA(arbiter.Get(), removal::kComDbMergeValue, nullptr, merge,
                                &mergeSize) != plat::kErrorSuccess)
    std::memset(merge, 0, sizeof merge);

  bool changed = false;
  for (unsigned port = 1; port <= 256; ++port) {
    if (BitOf(database, port) && IsRemovedPort(port) && !BitOf(merge, port)) {
      database[(port - 1) / 8] &= static_cast<plat::BYTE>(~(1u << ((port - 1) % 8)));
      changed = true;
    }
  }
  if (changed)
    registry.RegSetValueExA(arbiter.Get(), removal::kComDbValue, plat::kRegBinary, database,
                            kComDbSize);
}
