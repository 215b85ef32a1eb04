// Deleting a key with everything below it. Windows NT refuses to delete a key
// that still has subkeys, so on 2000/XP the tree is taken down depth-first;
// Windows 98/Me deletes a whole subtree in one call.
#include <string>

#include "platform/ScopedKey.h"
#include "remove/CDriverRemover.h"
#include "remove/RemovalKeys.h"

int CDriverRemover::DeleteKey(plat::HKey parent, const char* subKey) {
  plat::DWORD result = m_bWin2kXp
                           ? MySHDeleteKey(parent, subKey)
                           : static_cast<plat::DWORD>(m_os.registry.RegDeleteKeyA(parent, subKey));
  if (result == plat::kErrorSuccess || result == plat::kErrorFileNotFound) return 1;

  std::string text = "Failed to delete";
  text += " HKEY_LOCAL_MACHINE Registry Key\n";
  text += subKey;
  text += ".";
  ShowBox(text.c_str(), removal::kDeleteKeyCaption, plat::kMbOk | plat::kMbIconWarning);
  return 0;
}

plat::DWORD CDriverRemover::MySHDeleteKey(plat::HKey parent, const char* subKey) {
  plat::IRegistry& registry = m_os.registry;
  const plat::UINT boxType = plat::kMbOk | plat::kMbIconWarning;

  plat::ScopedKey key(registry);
  plat::DWORD opened = static_cast<plat::DWORD>(key.Open(parent, subKey, plat::kKeyAllAccess));
  if (opened == plat::kErrorFileNotFound) return opened;
  if (opened != plat::kErrorSuccess) {
    ShowBox(subKey, removal::kMySHDeleteKeyCaption, boxType);
    return opened;
  }

  // Each deletion moves the next child to the front, so index 0 is read every time.
  plat::DWORD listed;
  std::string deletedChild;
  for (;;) {
    char child[plat::kMaxPath] = {};
    listed = static_cast<plat::DWORD>(registry.RegEnumKeyA(key.Get(), 0, child, plat::kMaxPath));
    if (listed != plat::kErrorSuccess) break;
    child[plat::kMaxPath - 1] = '\0';
    // A child reported deleted that is still listed would be tried for ever.
    if (!deletedChild.empty() && deletedChild == child) return plat::kErrorAccessDenied;
    plat::DWORD childResult = MySHDeleteKey(key.Get(), child);
    if (childResult == plat::kErrorSuccess) {
      deletedChild = child;
      continue;
    }
    // A child that was just listed but is "not found" has not gone: this key
    // still has it and cannot be deleted. Not found would tell the caller the
    // key is gone.
    if (childResult == plat::kErrorFileNotFound) return plat::kErrorAccessDenied;
    return childResult;  // the failing level has shown its box
  }
  key.Close();

  if (listed == plat::kErrorNoMoreItems) {
    plat::DWORD deleted = static_cast<plat::DWORD>(registry.RegDeleteKeyA(parent, subKey));
    if (deleted != plat::kErrorSuccess) ShowBox(subKey, removal::kMySHDeleteKeyCaption, boxType);
    return deleted;
  }
  if (listed != plat::kErrorFileNotFound) ShowBox(subKey, removal::kMySHDeleteKeyCaption, boxType);
  return listed;
}
