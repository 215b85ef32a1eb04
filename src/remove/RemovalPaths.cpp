#include "remove/RemovalPaths.h"

#include "common/FileHelpers.h"
#include "common/SetupFolders.h"

namespace removal {

bool WindowsFolder(plat::ISystem& system, PathBuffer* folder) {
  return ReadWindowsFolder(system, folder) != 0 && !folder->Empty();
}

bool SystemFolder(plat::ISystem& system, PathBuffer* folder) {
  return ReadSystemFolder(system, folder) != 0 && !folder->Empty();
}

PathBuffer Join(const PathBuffer& folder, std::initializer_list<std::string_view> parts) {
  PathBuffer path = folder;  // an invalid folder stays invalid
  for (std::string_view part : parts) path.Append(part);
  return path;
}

void RemoveFilesIn(plat::IFileSystem& files, const PathBuffer& folder,
                   std::initializer_list<const char*> suffixes) {
  for (const char* suffix : suffixes) {
    PathBuffer path = Join(folder, {suffix});
    if (path.Valid()) RemoveFile(files, path.c_str());
  }
}

}  // namespace removal
