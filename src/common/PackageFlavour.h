// The package flavour and the OS-version test that decides it.
#pragma once

#include "platform/Platform.h"

// Subfolder of the medium (and of the staging folder) for a flavour flag.
inline const char* FlavourSubfolder(int bWin2kXp) { return bWin2kXp ? "\\win2k&xp" : "\\win98&me"; }

constexpr const char* kOsVersionErrorText = "Error In Getting OS Version Information!";

// The OS-version test on *bWin2kXp: the 156-byte query, then the 148-byte one.
// NT 5.x sets the flag to 1, Windows 4.x with a minor version above 0 sets it to
// 0, any other version leaves it. Returns 1 when the version was read, 0 when
// both queries failed (the flag is then unchanged). Shows nothing: the callers
// decide whether the failure is reported.
int QueryOsFlavour(plat::ISystem& system, int* bWin2kXp);
