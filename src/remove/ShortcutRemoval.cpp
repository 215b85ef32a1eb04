// A Desktop shortcut of the earlier installation and the program it pointed at.
#include "platform/ScopedKey.h"
#include "remove/CDriverRemover.h"
#include "remove/RegistryText.h"
#include "remove/RemovalKeys.h"
#include "remove/RemovalPaths.h"

void CDriverRemover::DeleteShortcutAndProgram(const char* name) {
  plat::ScopedKey shellFolders(m_os.registry);
  if (shellFolders.Open(plat::kHkeyCurrentUser, removal::kShellFoldersKey, plat::kKeyQueryValue) !=
      plat::kErrorSuccess)
    return;
  RegistryText desktop;
  desktop.Read(m_os.registry, shellFolders.Get(), removal::kDesktopValue);
  shellFolders.Close();

  // Without a Desktop folder the link path would name a file at the root of the
  // current drive, which is not ours: no shortcut is deleted then.
  if (desktop.Ok() && desktop.Length() != 0) {
    PathBuffer link = removal::Join(PathBuffer(desktop.View()), {"\\", name, ".lnk"});
    // The link keeps its attributes: a read-only one stays.
    if (link.Valid()) m_os.files.DeleteFileA(link.c_str());
  }

  PathBuffer windows;
  if (!removal::WindowsFolder(m_os.system, &windows)) return;
  removal::RemoveFilesIn(
      m_os.files, removal::Join(windows, {m_bWin2kXp ? "\\System32" : "\\System", "\\", name}),
      {".exe"});
}
