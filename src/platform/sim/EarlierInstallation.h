// Writes into a simulated machine what an earlier installation of the adapter's
// drivers leaves behind (files, INF and PNF files, class and enumeration keys,
// port names, COM database bits, service and uninstall keys, Desktop shortcuts,
// the staging folder), together with drivers and ports of other makers that
// every removal must leave alone. Tests and `setup-sim init` use it.
#pragma once

#include <string_view>

#include "platform/sim/Machine.h"

namespace sim {

// win2kXp selects the traces of the Windows 2000/XP set, else the 98/Me set. The
// machine's Windows and system folders decide where the files go; the shortcuts
// go to desktopFolder, or when it is empty to that Windows family's usual one.
void WriteEarlierInstallation(Machine& machine, bool win2kXp, std::string_view desktopFolder = {});

// The facts the traces are built on, for checks after a removal.
namespace earlier {

// COM ports: the adapter's two serial interfaces and two ports of other devices.
constexpr unsigned kAdapterComPorts[] = {3, 5};
constexpr unsigned kOtherComPorts[] = {1, 4};
constexpr const char* kDesktopFolderNt = "C:\\Documents and Settings\\User\\Desktop";
constexpr const char* kDesktopFolder9x = "C:\\WINDOWS\\Desktop";

}  // namespace earlier
}  // namespace sim
