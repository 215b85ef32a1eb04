#include "common/PackageFlavour.h"

#include <cstring>

int QueryOsFlavour(plat::ISystem& system, int* bWin2kXp) {
  plat::OsVersionInfoEx info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = plat::kOsVersionInfoExSize;
  if (!system.GetVersionExA(&info)) {
    info.dwOSVersionInfoSize = plat::kOsVersionInfoSize;
    if (!system.GetVersionExA(&info)) return 0;
  }
  if (info.dwPlatformId == plat::kVerPlatformWin32Nt && info.dwMajorVersion == 5)
    *bWin2kXp = 1;
  else if (info.dwPlatformId == plat::kVerPlatformWin32Windows && info.dwMajorVersion == 4 &&
           info.dwMinorVersion > 0)
    *bWin2kXp = 0;
  return 1;
}
