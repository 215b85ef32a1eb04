// Whether the adapter's driver is already installed: a driver instance of the
// USB class whose description begins with one of the known texts.
#include <cstddef>
#include <string>

#include "app/CSetupApp.h"
#include "install/CDriverInstaller.h"
#include "platform/ScopedKey.h"

namespace {

constexpr const char* kUsbClassKeyNt =
    "System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}";
constexpr const char* kUsbClassKey9x = "System\\CurrentControlSet\\Services\\Class\\USB";
constexpr const char* kRegistryErrorCaption = "Registry Error";

constexpr std::string_view kKnownDescriptions[] = {
    "quorvex usb compound device",
    "tarvi usb compound device",
    "usb compound device",
};

constexpr plat::DWORD kDescriptionBufferSize = 260;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether the description, of size bytes as the registry returned them, begins
// with known in any letter case. Nothing past size is read, so a text stored
// without its terminating zero is safe.
bool BeginsWith(const plat::BYTE* description, std::size_t size, std::string_view known) {
  if (size < known.size()) return false;
  for (std::size_t i = 0; i < known.size(); ++i) {
    char c = static_cast<char>(description[i]);
    if (c == '\0' || LowerAscii(c) != known[i]) return false;
  }
  return true;
}

}  // namespace

int CDriverInstaller::IsDriverInstalled() {
  plat::IRegistry& registry = m_os.registry;
  plat::ScopedKey classKey(registry);
  plat::LONG opened = classKey.Open(plat::kHkeyLocalMachine,
                                    m_bWin2kXp ? kUsbClassKeyNt : kUsbClassKey9x, plat::kKeyRead);
  if (opened != plat::kErrorSuccess) {
    // No such class on this system: nothing can be installed there.
    if (opened == static_cast<plat::LONG>(plat::kErrorFileNotFound)) return 0;
    char* text = nullptr;
    plat::DWORD length = m_os.system.FormatMessageA(
        plat::kFormatMessageFromSystem | plat::kFormatMessageIgnoreInserts |
            plat::kFormatMessageAllocateBuffer,
        static_cast<plat::DWORD>(opened), plat::kLangUserDefault, &text);
    if (m_app.m_nDisplayError != 0) {
      std::string shown = length != 0 && text != nullptr
                              ? std::string(text, length)
                              : "Registry error " + std::to_string(opened) + ".";
      m_os.ui.MessageBoxA(plat::kNoWindow, shown.c_str(), kRegistryErrorCaption,
                          plat::kMbOk | plat::kMbIconInformation);
    }
    if (text != nullptr) m_os.system.LocalFree(text);
    return 0;
  }

  int found = 0;
  for (plat::DWORD index = 0;; ++index) {
    char name[plat::kMaxPath] = {};
    if (registry.RegEnumKeyA(classKey.Get(), index, name, plat::kMaxPath) != plat::kErrorSuccess)
      break;
    name[plat::kMaxPath - 1] = '\0';

    plat::ScopedKey instance(registry);
    if (instance.Open(classKey.Get(), name, plat::kKeyRead) != plat::kErrorSuccess) continue;

    plat::BYTE description[kDescriptionBufferSize] = {};
    plat::DWORD size = kDescriptionBufferSize;
    if (registry.RegQueryValueExA(instance.Get(), "DriverDesc", nullptr, description, &size) !=
        plat::kErrorSuccess)
      continue;
    if (size <= 4) continue;
    if (size > kDescriptionBufferSize) size = kDescriptionBufferSize;
    // Every instance is read, even after a match.
    for (std::string_view known : kKnownDescriptions) {
      if (BeginsWith(description, size, known)) {
        found = 1;
        break;
      }
    }
  }
  return found;
}
