// Records the debug-message driver of the Windows 98/Me set as a kernel-driver
// service. Values already under the key that are not ours stay; the key is never
// removed again.
#include <cstring>

#include "install/CDriverInstaller.h"
#include "platform/ScopedKey.h"

namespace {

void SetDword(plat::IRegistry& registry, plat::HKey key, const char* name, plat::DWORD value) {
  plat::BYTE data[4];
  std::memcpy(data, &value, sizeof data);
  registry.RegSetValueExA(key, name, plat::kRegDword, data, sizeof data);
}

// REG_SZ with its terminating zero counted.
void SetString(plat::IRegistry& registry, plat::HKey key, const char* name, const char* text) {
  registry.RegSetValueExA(key, name, plat::kRegSz, reinterpret_cast<const plat::BYTE*>(text),
                          static_cast<plat::DWORD>(std::strlen(text) + 1));
}

}  // namespace

int CDriverInstaller::RegisterDebugMessageService() {
  // Without administrative rights neither key opens: nothing is written, and the
  // installation goes on.
  plat::ScopedKey services(m_os.registry);
  if (services.Open(plat::kHkeyLocalMachine, "System\\CurrentControlSet\\Services",
                    plat::kKeyAllAccess) != plat::kErrorSuccess)
    return 1;
  plat::ScopedKey service(m_os.registry);
  if (service.Create(services.Get(), "DbgMsg", plat::kKeyAllAccess) != plat::kErrorSuccess)
    return 1;

  // A failed write does not keep the others from being tried.
  SetDword(m_os.registry, service.Get(), "ErrorControl", 1);  // SERVICE_ERROR_NORMAL
  SetDword(m_os.registry, service.Get(), "Type", 1);          // SERVICE_KERNEL_DRIVER
  SetDword(m_os.registry, service.Get(), "Start", 2);         // SERVICE_AUTO_START
  SetString(m_os.registry, service.Get(), "ImagePath",
            "\\SystemRoot\\System32\\drivers\\dbgmsg9x.sys");
  SetString(m_os.registry, service.Get(), "Group", "Extended Base");
  services.Close();
  return 1;
}
