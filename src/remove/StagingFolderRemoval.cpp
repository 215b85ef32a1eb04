// The staging folder of the earlier installation goes with everything in it;
// the installation makes it afresh afterwards.
#include <array>
#include <cstring>

#include "common/SetupFolders.h"
#include "remove/CDriverRemover.h"
#include "remove/RemovalPaths.h"

void CDriverRemover::DeleteStagingFolder() {
  PathBuffer windows;
  if (!removal::WindowsFolder(m_os.system, &windows)) return;
  char drive = windows.c_str()[0];
  // Without a drive letter there is no staging folder to name.
  if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return;

  // SHFileOperationA takes a list of paths ended by a second zero.
  std::array<char, plat::kMaxPath + 1> list{};
  list[0] = drive;
  std::memcpy(list.data() + 1, kStagingFolderSuffix, std::strlen(kStagingFolderSuffix));

  plat::ShFileOpStructA operation{};
  operation.hwnd = m_os.ui.MainWindow();
  operation.wFunc = plat::kFoDelete;
  operation.pFrom = list.data();
  operation.pTo = nullptr;
  operation.fFlags = plat::kFofNoConfirmation | plat::kFofNoErrorUi;
  operation.fAnyOperationsAborted = 0;
  operation.hNameMappings = nullptr;
  operation.lpszProgressTitle = m_os.ui.AppTitle();
  m_os.shell.SHFileOperationA(&operation);
}
