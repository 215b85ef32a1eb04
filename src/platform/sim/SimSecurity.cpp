// Stub until access control lands: every call fails as on Windows 9x.
#include "platform/sim/MachineState.h"

namespace sim {
namespace {
class SimSecurity final : public plat::ISecurity {
 public:
  explicit SimSecurity(Machine::State& state) : state_(state) {}
  plat::DWORD GetNamedSecurityInfoA(const char*, plat::DWORD, plat::DWORD, void**, void**) override {
    return plat::kErrorCallNotImplemented;
  }
  void BuildExplicitAccessWithNameA(plat::ExplicitAccessA*, const char*, plat::DWORD, plat::DWORD,
                                    plat::DWORD) override {}
  plat::DWORD SetEntriesInAclA(plat::DWORD, const plat::ExplicitAccessA*, void*, void**) override {
    return plat::kErrorCallNotImplemented;
  }
  plat::DWORD SetNamedSecurityInfoA(const char*, plat::DWORD, plat::DWORD, void*, void*, void*,
                                    void*) override {
    return plat::kErrorCallNotImplemented;
  }

 private:
  Machine::State& state_;
};
}  // namespace

std::unique_ptr<plat::ISecurity> MakeSimSecurity(Machine::State& state) {
  return std::make_unique<SimSecurity>(state);
}
}  // namespace sim
