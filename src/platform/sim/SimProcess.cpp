// The process token and the restart of a simulated machine: the restart is
// recorded, never carried out.
#include "platform/sim/MachineState.h"

namespace sim {
namespace {

constexpr plat::DWORD kShutdownPrivilegeLuid = 19;
constexpr plat::DWORD kErrorNoSuchPrivilege = 1313;

class SimProcess final : public plat::IProcess {
 public:
  explicit SimProcess(Machine::State& state) : s_(state) {}

  plat::BOOL OpenProcessToken(plat::DWORD, plat::Handle* token) override {
    *token = 0;
    if (s_.Fault("OpenProcessToken", "*")) return 0;
    if (!s_.os.IsNt()) return Fail(plat::kErrorCallNotImplemented);
    plat::Handle handle = s_.NewHandle();
    tokens_.insert(handle);
    s_.handleClosers[handle] = [this, handle] { tokens_.erase(handle); };
    *token = handle;
    return 1;
  }

  plat::BOOL LookupPrivilegeValueA(const char*, const char* name, plat::Luid* luid) override {
    if (s_.Fault("LookupPrivilegeValue", name)) return 0;
    if (!s_.os.IsNt()) return Fail(plat::kErrorCallNotImplemented);
    if (!EqualNoCase(name, "SeShutdownPrivilege")) return Fail(kErrorNoSuchPrivilege);
    luid->LowPart = kShutdownPrivilegeLuid;
    luid->HighPart = 0;
    return 1;
  }

  plat::BOOL AdjustTokenPrivileges(plat::Handle token, plat::BOOL,
                                   const plat::TokenPrivileges1* newState) override {
    if (s_.Fault("AdjustTokenPrivileges", "*")) return 0;
    if (tokens_.count(token) == 0) return Fail(plat::kErrorInvalidHandle);
    if (newState != nullptr && newState->PrivilegeCount == 1 &&
        newState->luid.LowPart == kShutdownPrivilegeLuid &&
        (newState->Attributes & plat::kSePrivilegeEnabled) != 0)
      s_.restart.privilegeEnabled = true;
    s_.lastError = 0;
    return 1;
  }

  plat::BOOL ExitWindowsEx(plat::UINT flags, plat::DWORD) override {
    if (s_.Fault("ExitWindowsEx", "*")) return 0;
    // NT refuses a restart without the shutdown privilege enabled.
    if (s_.os.IsNt() && !s_.restart.privilegeEnabled) return Fail(1314);
    s_.restart.requested = true;
    s_.restart.flags = flags;
    return 1;
  }

 private:
  plat::BOOL Fail(plat::DWORD code) {
    s_.lastError = code;
    return 0;
  }

  Machine::State& s_;
  std::set<plat::Handle> tokens_;
};

}  // namespace

std::unique_ptr<plat::IProcess> MakeSimProcess(Machine::State& state) {
  return std::make_unique<SimProcess>(state);
}

}  // namespace sim
