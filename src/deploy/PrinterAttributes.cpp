// Turns off bidirectional communication for every printer of the system: the
// adapter's parallel port does not carry it.
#include <cstring>

#include "common/PathBuffer.h"
#include "install/CDriverInstaller.h"
#include "platform/ScopedKey.h"

namespace {

constexpr const char* kPrintersKey = "System\\CurrentControlSet\\Control\\Print\\Printers";
constexpr plat::DWORD kPrinterAttributeEnableBidi = 0x800;

// Clears the bidirectional bit of one printer. A key without a readable 4-byte
// REG_DWORD "Attributes" is no printer we understand and is left as it is.
void ClearBidiBit(plat::IRegistry& registry, const char* printerName) {
  PathBuffer path(kPrintersKey);
  path.Append("\\");
  path.Append(printerName);
  if (!path.Valid()) return;

  plat::ScopedKey printer(registry);
  if (printer.Open(plat::kHkeyLocalMachine, path.c_str(), plat::kKeyAllAccess) !=
      plat::kErrorSuccess)
    return;
  plat::DWORD type = plat::kRegNone;
  plat::BYTE data[4] = {};
  plat::DWORD size = sizeof data;
  if (registry.RegQueryValueExA(printer.Get(), "Attributes", &type, data, &size) !=
          plat::kErrorSuccess ||
      type != plat::kRegDword || size != sizeof data)
    return;
  plat::DWORD attributes = 0;
  std::memcpy(&attributes, data, sizeof attributes);
  attributes &= ~kPrinterAttributeEnableBidi;
  std::memcpy(data, &attributes, sizeof attributes);
  registry.RegSetValueExA(printer.Get(), "Attributes", plat::kRegDword, data, sizeof data);
}

}  // namespace

plat::DWORD CDriverInstaller::ClearPrinterBidiAttribute() {
  plat::ScopedKey printers(m_os.registry);
  plat::LONG opened = printers.Open(plat::kHkeyLocalMachine, kPrintersKey, plat::kKeyAllAccess);
  if (opened != plat::kErrorSuccess) return static_cast<plat::DWORD>(opened);

  // Failures on single printers pass silently; the status says only whether the
  // printers could be reached at all.
  for (plat::DWORD index = 0;; ++index) {
    char name[plat::kMaxPath];
    std::memset(name, 0, sizeof name);
    plat::DWORD nameSize = plat::kMaxPath;
    if (m_os.registry.RegEnumKeyExA(printers.Get(), index, name, &nameSize) != plat::kErrorSuccess)
      break;
    name[plat::kMaxPath - 1] = '\0';
    ClearBidiBit(m_os.registry, name);
  }
  return plat::kErrorSuccess;
}
