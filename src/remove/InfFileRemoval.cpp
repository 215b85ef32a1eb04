// The INF and PNF files of the earlier drivers. On 2000/XP the Setup API gave
// them names of its own (oemN.inf); the driver keys record those names in
// "InfPath", so they are read here, before the class-key steps delete the keys.
// Nothing of this step is reported.
#include <cstring>
#include <string_view>

#include "platform/ScopedKey.h"
#include "remove/CDriverRemover.h"
#include "remove/RegistryText.h"
#include "remove/RemovalKeys.h"
#include "remove/RemovalPaths.h"

namespace {

// An "InfPath" is a file name in the INF folder; one that names a path of its
// own would lead the deletion out of that folder.
bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("\\/:") == std::string_view::npos;
}

}  // namespace

void CDriverRemover::DeleteInfFiles() {
  PathBuffer windows;
  bool haveWindows = removal::WindowsFolder(m_os.system, &windows);
  if (!m_bWin2kXp) {
    if (haveWindows)
      removal::RemoveFilesIn(
          m_os.files, windows,
          {"\\inf\\Vyxusbsr.inf", "\\inf\\Vyxusbsr.PNF", "\\inf\\vyxuSrPt.inf",
           "\\inf\\vyxuSrPt.PNF", "\\inf\\other\\QUORVEX Semiconductor Pvt LtdvyxUsbSr.inf",
           "\\inf\\other\\QUORVEX Semiconductor Pvt LtdvyxuSrPt.inf"});
    return;
  }
  if (haveWindows)
    removal::RemoveFilesIn(m_os.files, windows,
                           {"\\inf\\VyxUComp.inf", "\\inf\\VyxUComp.PNF", "\\inf\\VyxUPort.inf",
                            "\\inf\\VyxUPort.PNF"});
  DeleteInfFilesOfClass(removal::kPortsClassKeyNt, "ProviderName", "quorvex");
  DeleteInfFilesOfClass(removal::kUsbClassKeyNt, "InfSection", "vyxusbcomp");
}

void CDriverRemover::DeleteInfFilesOfClass(const char* classPath, const char* valueOfTest,
                                           const char* prefix) {
  plat::IRegistry& registry = m_os.registry;
  plat::ScopedKey classKey(registry);
  if (classKey.Open(plat::kHkeyLocalMachine, classPath, plat::kKeyRead) != plat::kErrorSuccess)
    return;
  const std::string_view wanted(prefix);
  for (plat::DWORD index = 0;; ++index) {
    char name[plat::kMaxPath] = {};
    if (registry.RegEnumKeyA(classKey.Get(), index, name, plat::kMaxPath) != plat::kErrorSuccess)
      break;
    name[plat::kMaxPath - 1] = '\0';
    plat::ScopedKey driver(registry);
    if (driver.Open(classKey.Get(), name, plat::kKeyRead) != plat::kErrorSuccess) continue;
    RegistryText value;
    if (value.Read(registry, driver.Get(), valueOfTest) != plat::kErrorSuccess) continue;
    LowerAscii(value.Text());
    if (value.View().substr(0, wanted.size()) == wanted) DeleteInfFilesNamedBy(driver.Get());
  }
}

void CDriverRemover::DeleteInfFilesNamedBy(plat::HKey driverKey) {
  RegistryText infPath;
  if (infPath.Read(m_os.registry, driverKey, "InfPath") != plat::kErrorSuccess) return;
  if (infPath.Size() < 5) return;
  // "oem5.inf" becomes "oem5": a three-letter extension is cut.
  char* text = infPath.Text();
  std::size_t length = infPath.Length();
  if (length > 4 && text[length - 4] == '.') text[length - 4] = '\0';
  if (!IsPlainFileName(infPath.View())) return;

  PathBuffer windows;
  if (!removal::WindowsFolder(m_os.system, &windows)) return;
  PathBuffer base = removal::Join(windows, {"\\inf\\", infPath.View()});
  removal::RemoveFilesIn(m_os.files, base, {".inf", ".PNF"});
}
