// Stub until shell links land: the class is not registered.
#include "platform/sim/MachineState.h"

namespace sim {
plat::HRESULT CreateSimShellLink(Machine::State&, const plat::Guid&, void** object) {
  *object = nullptr;
  return plat::kRegDbEClassNotReg;
}
}  // namespace sim
