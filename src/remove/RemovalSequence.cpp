// The order of the removal steps. Steps 9 (the only writer of the removed-ports
// set) must come before 16 and 17, which read it; 5 reads the class keys that
// 10 and 11 delete. No step can stop a later one.
#include "remove/CDriverRemover.h"
#include "remove/RemovalKeys.h"

void CDriverRemover::RemovePreviousInstallation() {
  DeleteStagingFolder();
  DeleteUtilityFiles();
  GrantSerialCommAccess();
  RemoveLegacyFiles();
  DeleteInfFiles();
  PurgeOemInfFiles();
  DeleteDriverFiles();
  DeleteUsbEnumKeys();
  DeleteInterfaceEnumKeys();
  DeletePortsClassKeys();
  DeleteUsbClassKeys();
  DeleteShortcutAndProgram("VYXUSBPRINTCONFIG");
  DeleteShortcutAndProgram("SERIALMP");
  DeleteShortcutAndProgram("CONFIG");
  DeleteUninstallKeys();
  DeletePortValues();
  ReleaseComDbPorts();
  DeleteServiceKey();
}

void CDriverRemover::GrantSerialCommAccess() {
  if (!m_bWin2kXp) return;
  GrantFullAccess(removal::kSerialCommKeyNt);
}
