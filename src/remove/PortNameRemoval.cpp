// The port name an interface instance had been given. On 2000/XP its COM number
// is collected so that the later steps release the name and the COM database
// bit; on 98/Me the name's value leaves the device map here.
#include <cstring>

#include "common/PathBuffer.h"
#include "platform/ScopedKey.h"
#include "remove/CDriverRemover.h"
#include "remove/PortNumber.h"
#include "remove/RegistryText.h"
#include "remove/RemovalKeys.h"

namespace {

constexpr plat::DWORD kShortestPortName = 4;  // "COM" or "LPT", a digit, the zero

}  // namespace

void CDriverRemover::RemovePortName(plat::HKey interfaceKey, const char* instance) {
  plat::IRegistry& registry = m_os.registry;
  plat::ScopedKey key(registry);
  RegistryText portName;

  if (m_bWin2kXp) {
    // An instance name too long for the path buffer: its port name is not read
    // (the instance is still deleted by the caller).
    PathBuffer parameters(instance);
    parameters.Append(removal::kDeviceParametersSuffix);
    if (!parameters.Valid()) return;
    if (key.Open(interfaceKey, parameters.c_str(), plat::kKeyAllAccess) != plat::kErrorSuccess)
      return;
    if (portName.Read(registry, key.Get(), removal::kPortNameValue) != plat::kErrorSuccess) return;
    if (portName.Size() < kShortestPortName) return;
    if (std::strncmp(portName.Text(), "COM", 3) != 0) return;
    long number = removal::ParsePortNumber(portName.Text() + 3);
    if (removal::IsComPortNumber(number)) AddRemovedPort(static_cast<unsigned>(number));
    return;
  }

  if (key.Open(interfaceKey, instance, plat::kKeyAllAccess) != plat::kErrorSuccess) return;
  if (portName.Read(registry, key.Get(), removal::kPortNameValue) != plat::kErrorSuccess) return;
  if (portName.Size() < kShortestPortName) return;
  const char* deviceMap = nullptr;
  if (std::strncmp(portName.Text(), "COM", 3) == 0)
    deviceMap = removal::kSerialDeviceMap9x;
  else if (std::strncmp(portName.Text(), "LPT", 3) == 0)
    deviceMap = removal::kParallelDeviceMap9x;
  else
    return;
  GrantFullAccess(deviceMap);
  plat::ScopedKey map(registry);
  if (map.Open(plat::kHkeyLocalMachine, deviceMap, plat::kKeyAllAccess) != plat::kErrorSuccess)
    return;
  registry.RegDeleteValueA(map.Get(), portName.Text());
}
