// Windows 98/Me keep an index of the INF folder's drivers; deleting it makes the
// system rebuild it, so that the INF files just copied are found.
#include "common/FileHelpers.h"
#include "common/SetupFolders.h"
#include "install/CDriverInstaller.h"

void CDriverInstaller::DeleteDriverIndexCache() {
  // Without the Windows folder the paths would name files on the current drive.
  PathBuffer windows;
  if (ReadWindowsFolder(m_os.system, &windows) == 0) return;
  for (const char* name : {"\\inf\\Drvdata.bin", "\\inf\\Drvidx.bin"}) {
    PathBuffer path(windows.View());
    path.Append(name);
    if (!path.Valid()) continue;
    // A missing file is no error.
    ClearReadOnly(m_os.files, path.c_str());
    m_os.files.DeleteFileA(path.c_str());
  }
}
