#include "common/SetupFolders.h"

namespace {

// Windows' folder queries return the length copied, or the size needed when the
// buffer is too small; only the first counts as a folder read.
bool Fits(plat::DWORD result) { return result != 0 && result < plat::kMaxPath; }

}  // namespace

plat::DWORD ReadMediumFolder(plat::ISystem& system, PathBuffer* folder) {
  plat::DWORD result = system.GetCurrentDirectoryA(plat::kMaxPath, folder->Data());
  if (!Fits(result)) folder->Data()[0] = '\0';
  folder->Adopt();
  if (folder->Length() == 3) folder->Truncate(2);
  return Fits(result) ? result : 0;
}

plat::UINT ReadWindowsFolder(plat::ISystem& system, PathBuffer* folder) {
  plat::UINT result = system.GetWindowsDirectoryA(folder->Data(), plat::kMaxPath);
  if (!Fits(result)) folder->Data()[0] = '\0';
  folder->Adopt();
  return Fits(result) ? result : 0;
}

plat::UINT ReadSystemFolder(plat::ISystem& system, PathBuffer* folder) {
  plat::UINT result = system.GetSystemDirectoryA(folder->Data(), plat::kMaxPath);
  if (!Fits(result)) folder->Data()[0] = '\0';
  folder->Adopt();
  return Fits(result) ? result : 0;
}

PathBuffer StagingFolder(plat::ISystem& system) {
  PathBuffer windows;
  ReadWindowsFolder(system, &windows);
  windows.Truncate(1);
  windows.Append(kStagingFolderSuffix);
  return windows;
}
