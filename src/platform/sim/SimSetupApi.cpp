// Stub until the Setup API lands: no module is known.
#include "platform/sim/MachineState.h"

namespace sim {
namespace {
class SimSetupApi final : public plat::ISetupApi {
 public:
  explicit SimSetupApi(Machine::State& state) : state_(state) {}
  plat::BOOL SetupCopyOEMInfA(plat::Proc, const char*, const char*, plat::DWORD, plat::DWORD, char*,
                              plat::DWORD, plat::DWORD*, char**) override {
    state_.lastError = plat::kErrorCallNotImplemented;
    return 0;
  }

 private:
  Machine::State& state_;
};
}  // namespace

std::unique_ptr<plat::ISetupApi> MakeSimSetupApi(Machine::State& state) {
  return std::make_unique<SimSetupApi>(state);
}
bool SimModuleExists(const Machine::State&, std::string_view) { return false; }
plat::Proc SimProcAddress(const Machine::State&, std::string_view, std::string_view) { return 0; }
}  // namespace sim
