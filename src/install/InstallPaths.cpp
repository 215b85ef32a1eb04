#include "install/InstallPaths.h"

#include "common/SetupFolders.h"

bool ReadMediumPath(plat::ISystem& system, PathBuffer* folder) {
  *folder = PathBuffer();
  plat::DWORD result = system.GetCurrentDirectoryA(plat::kMaxPath, folder->Data());
  if (result >= plat::kMaxPath) {
    // The size needed came back: the buffer holds nothing usable.
    folder->Data()[0] = '\0';
    folder->Adopt();
    return false;
  }
  if (result == 0) folder->Data()[0] = '\0';
  folder->Adopt();
  if (folder->Length() == 3) folder->Truncate(2);
  return true;
}

bool ReadStagingPath(plat::ISystem& system, PathBuffer* folder) {
  PathBuffer windows;
  *folder = PathBuffer();
  if (ReadWindowsFolder(system, &windows) == 0 || windows.Length() < 2) return false;
  // The folder is deleted with its content when it stands in the way, so it must
  // name a drive: "X:\VyxUZorp", never a path made from anything else.
  char drive = windows.View()[0];
  bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  if (!letter || windows.View()[1] != ':') return false;
  folder->Append(windows.View().substr(0, 1));
  folder->Append(kStagingFolderSuffix);
  return folder->Valid();
}

PathBuffer JoinPath(const PathBuffer& folder, const char* suffix) {
  PathBuffer path;
  // An invalid folder stays invalid: an append of MAX_PATH characters never fits.
  static constexpr char kNeverFits[plat::kMaxPath] = {};
  if (!folder.Valid()) path.Append(std::string_view(kNeverFits, sizeof kNeverFits));
  path.Append(folder.View());
  path.Append(suffix);
  return path;
}

PathBuffer JoinPath(const PathBuffer& folder, const char* suffix1, const char* suffix2) {
  PathBuffer path = JoinPath(folder, suffix1);
  path.Append(suffix2);
  return path;
}
