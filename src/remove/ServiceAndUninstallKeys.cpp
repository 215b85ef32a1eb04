// The uninstall entries of earlier installations and the port driver's service.
#include "remove/CDriverRemover.h"
#include "remove/RemovalKeys.h"

void CDriverRemover::DeleteUninstallKeys() {
  for (const char* key : removal::kUninstallKeys) {
    GrantFullAccess(key);
    DeleteKey(plat::kHkeyLocalMachine, key);
  }
}

void CDriverRemover::DeleteServiceKey() {
  if (!m_bWin2kXp) return;
  GrantFullAccess(removal::kPortServiceKey);
  if (DeleteKey(plat::kHkeyLocalMachine, removal::kPortServiceKey) == 0)
    ShowBox(removal::kServiceFailedText, removal::kRegistryErrorCaption,
            plat::kMbOk | plat::kMbIconInformation);
}
