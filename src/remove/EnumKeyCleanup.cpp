// The devices Windows enumerated for the earlier installation: the adapter's USB
// device keys and the serial and parallel interface instances below the maker's
// own enumeration key.
#include <cstring>

#include "remove/CDriverRemover.h"
#include "remove/RemovalKeys.h"

namespace {

// The device keys of the adapter family, one per product ID, in the order tried.
constexpr const char* kDeviceKeyNames[] = {
    "Vid_5E3A&Pid_E4B2", "Vid_5E3A&Pid_E4B3", "Vid_5E3A&Pid_E4B4", "Vid_5E3A&Pid_E4B7",
    "Vid_5E3A&Pid_E4B5", "Vid_5E3A&Pid_E4B6", "Vid_5E3A&Pid_E4B1",
};
constexpr std::size_t kDeviceKeyLength = 17;

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// The first 17 characters of name equal the device key's, in any letter case; a
// name that ends earlier does not match.
bool IsAdapterDeviceKey(const char* name) {
  for (const char* device : kDeviceKeyNames) {
    std::size_t i = 0;
    while (i < kDeviceKeyLength && name[i] != '\0' && FoldAscii(name[i]) == FoldAscii(device[i]))
      ++i;
    if (i == kDeviceKeyLength) return true;
  }
  return false;
}

}  // namespace

void CDriverRemover::DeleteUsbEnumKeys() {
  SweepSubkeys(m_bWin2kXp ? removal::kUsbEnumKeyNt : removal::kUsbEnumKey9x, m_bWin2kXp != 0,
               [](plat::HKey, const char* name) { return IsAdapterDeviceKey(name); });
}

void CDriverRemover::DeleteInterfaceEnumKeys() {
  auto every = [](plat::HKey, const char*) { return true; };
  auto portName = [this](plat::HKey parent, const char* name) { RemovePortName(parent, name); };
  if (m_bWin2kXp) {
    // The parallel instances go with the maker's key below; only the serial
    // ones carry COM numbers to release.
    SweepSubkeys(removal::kSerialInterfaceKeyNt, true, every, portName);
    GrantFullAccess(removal::kMakerEnumKeyNt);
    DeleteKey(plat::kHkeyLocalMachine, removal::kMakerEnumKeyNt);
    return;
  }
  SweepSubkeys(removal::kSerialInterfaceKey9x, false, every, portName);
  SweepSubkeys(removal::kParallelInterfaceKey9x, false, every, portName);
  DeleteKey(plat::kHkeyLocalMachine, removal::kMakerEnumKey9x);
}
