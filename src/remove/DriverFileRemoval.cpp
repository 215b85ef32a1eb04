// The files an earlier installation put into the Windows folders: utilities,
// the legacy port driver, the drivers.
#include "remove/CDriverRemover.h"
#include "remove/RemovalKeys.h"
#include "remove/RemovalPaths.h"

void CDriverRemover::DeleteUtilityFiles() {
  PathBuffer system;
  if (!removal::SystemFolder(m_os.system, &system)) return;
  if (m_bWin2kXp)
    removal::RemoveFilesIn(m_os.files, system,
                           {"\\VyxUSBParallel.exe", "\\VyxUSBSerial.exe", "\\VyxUSBParPropPage.dll",
                            "\\VyxUSBSerPropPage.dll", "\\SerialMP.exe", "\\Config.ini"});
  else
    removal::RemoveFilesIn(m_os.files, system,
                           {"\\VyxUPar.exe", "\\VyxUSer.exe", "\\VYXUPAR.DLL", "\\VYXUSER.DLL",
                            "\\SerialMP.exe", "\\Config.ini"});
}

void CDriverRemover::RemoveLegacyFiles() {
  PathBuffer windows;
  bool haveWindows = removal::WindowsFolder(m_os.system, &windows);
  if (!m_bWin2kXp) {
    if (haveWindows)
      removal::RemoveFilesIn(m_os.files, windows, {"\\System\\VyxUsbPrintConfig.exe"});
    return;
  }

  // The "VyxPort" driver that came before the current port driver.
  PathBuffer system;
  if (removal::SystemFolder(m_os.system, &system))
    removal::RemoveFilesIn(m_os.files, system, {"\\drivers\\VyxPort.sys"});
  if (haveWindows)
    removal::RemoveFilesIn(m_os.files, windows, {"\\inf\\VyxPort.inf", "\\inf\\VyxPort.PNF"});
  for (const char* key : removal::kLegacyKeys) {
    GrantFullAccess(key);
    DeleteKey(plat::kHkeyLocalMachine, key);
  }
}

void CDriverRemover::DeleteDriverFiles() {
  PathBuffer system;
  if (!removal::SystemFolder(m_os.system, &system)) return;
  if (m_bWin2kXp)
    removal::RemoveFilesIn(m_os.files, system, {"\\drivers\\VyxUPort.sys"});
  else
    removal::RemoveFilesIn(m_os.files, system,
                           {"\\Vyxusbsr.sys", "\\Vyxusrpt.vxd", "\\Vyxuprpt.vxd", "\\Trqenum.vxd"});
}
