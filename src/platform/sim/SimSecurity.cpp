// Access control on the simulated registry, as far as the program relies on it:
// a key's DACL either holds a GENERIC_ALL grant to CURRENT_USER (inherited by
// subkeys or not) or it does not. The descriptors and ACLs handed out are small
// records in memory of the machine, released through ISystem::LocalFree.
// Windows 9x has no access control: every call fails there with 120.
#include <cstddef>
#include <cstring>
#include <map>
#include <string>

#include "platform/sim/MachineState.h"

namespace sim {
namespace {

constexpr plat::DWORD kAclMagic = 0x4C434153;         // "SACL"
constexpr plat::DWORD kDescriptorMagic = 0x44534153;  // "SASD"
constexpr plat::DWORD kContainerInherit = 0x2;
constexpr plat::DWORD kGrantAccessMode = plat::kGrantAccess;

// What the program may hold of a key's DACL.
struct SimAcl {
  plat::DWORD magic = kAclMagic;
  plat::DWORD currentUserGrant = 0;
  plat::DWORD grantInherits = 0;
};

struct SimDescriptor {
  plat::DWORD magic = kDescriptorMagic;
  SimAcl dacl;
};

// A security object name: "MACHINE\path" or "CURRENT_USER\path" (or the root alone).
bool RegistryPathOf(const char* objectName, std::string* path) {
  std::string_view name(objectName);
  for (auto [prefix, root] : {std::pair<std::string_view, std::string_view>{"MACHINE", "HKLM"},
                              {"CURRENT_USER", "HKCU"}}) {
    if (name.size() < prefix.size() || !EqualNoCase(name.substr(0, prefix.size()), prefix))
      continue;
    std::string_view rest = name.substr(prefix.size());
    if (!rest.empty() && rest[0] != '\\') continue;
    *path = std::string(root) + std::string(rest);
    return true;
  }
  return false;
}

class SimSecurity final : public plat::ISecurity {
 public:
  explicit SimSecurity(Machine::State& state) : state_(state) {}

  plat::DWORD GetNamedSecurityInfoA(const char* objectName, plat::DWORD objectType,
                                    plat::DWORD securityInfo, void** dacl,
                                    void** securityDescriptor) override {
    if (dacl != nullptr) *dacl = nullptr;
    if (securityDescriptor != nullptr) *securityDescriptor = nullptr;
    std::string path;
    bool named = objectName != nullptr && RegistryPathOf(objectName, &path);
    plat::DWORD code = 0;
    if (state_.Fault("GetNamedSecurityInfo", named ? path : Printable(objectName), &code))
      return code;
    if (!state_.os.IsNt()) return Fail(plat::kErrorCallNotImplemented);
    if (objectType != plat::kSeRegistryKey || !named || securityDescriptor == nullptr)
      return Fail(plat::kErrorInvalidParameter);
    if ((securityInfo & plat::kDaclSecurityInformation) != 0 && dacl == nullptr)
      return Fail(plat::kErrorInvalidParameter);
    const RegNode* node = state_.registry.Find(path);
    if (node == nullptr || node->deleted) return Fail(plat::kErrorFileNotFound);

    SimDescriptor descriptor;
    descriptor.dacl.currentUserGrant = node->currentUserGrant ? 1 : 0;
    descriptor.dacl.grantInherits = node->grantInherits ? 1 : 0;
    void* memory = state_.Allocate(sizeof descriptor);
    std::memcpy(memory, &descriptor, sizeof descriptor);
    *securityDescriptor = memory;
    void* inside = Publish(memory, offsetof(SimDescriptor, dacl), descriptor.dacl);
    if ((securityInfo & plat::kDaclSecurityInformation) != 0) *dacl = inside;
    return 0;
  }

  void BuildExplicitAccessWithNameA(plat::ExplicitAccessA* access, const char* trusteeName,
                                    plat::DWORD permissions, plat::DWORD mode,
                                    plat::DWORD inheritance) override {
    state_.Fault("BuildExplicitAccessWithName", Printable(trusteeName));
    if (access == nullptr) return;
    access->grfAccessPermissions = permissions;
    access->grfAccessMode = mode;
    access->grfInheritance = inheritance;
    access->trusteeName = trusteeName;
  }

  plat::DWORD SetEntriesInAclA(plat::DWORD count, const plat::ExplicitAccessA* entries,
                               void* oldAcl, void** newAcl) override {
    if (newAcl != nullptr) *newAcl = nullptr;
    plat::DWORD code = 0;
    for (plat::DWORD i = 0; entries != nullptr && i < count; ++i)
      if (state_.Fault("SetEntriesInAcl", Printable(entries[i].trusteeName), &code)) return code;
    if (count == 0 || entries == nullptr) state_.Fault("SetEntriesInAcl", "", nullptr);
    if (!state_.os.IsNt()) return Fail(plat::kErrorCallNotImplemented);
    if (newAcl == nullptr || (count != 0 && entries == nullptr))
      return Fail(plat::kErrorInvalidParameter);

    SimAcl acl;
    if (oldAcl != nullptr) {
      if (!IsAcl(oldAcl)) return Fail(plat::kErrorInvalidParameter);
      std::memcpy(&acl, oldAcl, sizeof acl);
    }
    for (plat::DWORD i = 0; i < count; ++i) {
      const plat::ExplicitAccessA& entry = entries[i];
      if (entry.trusteeName == nullptr) return Fail(plat::kErrorInvalidParameter);
      // Other trustees and modes change nothing the program relies on.
      if (entry.grfAccessMode != kGrantAccessMode ||
          !EqualNoCase(entry.trusteeName, "CURRENT_USER") ||
          (entry.grfAccessPermissions & plat::kGenericAll) == 0)
        continue;
      acl.currentUserGrant = 1;
      if ((entry.grfInheritance & kContainerInherit) != 0) acl.grantInherits = 1;
    }
    *newAcl = Publish(state_.Allocate(sizeof acl), 0, acl);
    return 0;
  }

  plat::DWORD SetNamedSecurityInfoA(const char* objectName, plat::DWORD objectType,
                                    plat::DWORD securityInfo, void* owner, void* group, void* dacl,
                                    void* sacl) override {
    std::string path;
    bool named = objectName != nullptr && RegistryPathOf(objectName, &path);
    plat::DWORD code = 0;
    if (state_.Fault("SetNamedSecurityInfo", named ? path : Printable(objectName), &code))
      return code;
    if (!state_.os.IsNt()) return Fail(plat::kErrorCallNotImplemented);
    if (objectType != plat::kSeRegistryKey || !named) return Fail(plat::kErrorInvalidParameter);
    RegNode* node = state_.registry.Find(path);
    if (node == nullptr || node->deleted) return Fail(plat::kErrorFileNotFound);
    if ((securityInfo & plat::kDaclSecurityInformation) == 0) return 0;
    if (dacl == nullptr) {
      // A null DACL lets everyone in, but passes nothing on to the subkeys.
      node->currentUserGrant = true;
      node->grantInherits = false;
      return 0;
    }
    if (!IsAcl(dacl)) return Fail(plat::kErrorInvalidParameter);
    SimAcl acl;
    std::memcpy(&acl, dacl, sizeof acl);
    node->currentUserGrant = acl.currentUserGrant != 0;
    node->grantInherits = acl.currentUserGrant != 0 && acl.grantInherits != 0;
    return 0;
  }

 private:
  static std::string Printable(const char* text) { return text != nullptr ? text : "(null)"; }

  plat::DWORD Fail(plat::DWORD code) {
    state_.lastError = code;
    return code;
  }

  // Hands out an ACL record inside the machine's memory block at block.
  void* Publish(void* block, std::size_t offset, const SimAcl& acl) {
    // Forget ACLs whose memory was freed: their addresses may come back.
    std::erase_if(
        acls_, [this](const auto& entry) { return state_.allocations.count(entry.second) == 0; });
    void* at = static_cast<char*>(block) + offset;
    std::memcpy(at, &acl, sizeof acl);
    acls_[at] = block;
    return at;
  }

  // Whether memory is an ACL this machine handed out whose block is not freed.
  bool IsAcl(const void* memory) const {
    auto it = acls_.find(memory);
    return it != acls_.end() && state_.allocations.count(it->second) != 0;
  }

  std::map<const void*, void*> acls_;  // ACL -> the memory block that holds it
  Machine::State& state_;
};

}  // namespace

std::unique_ptr<plat::ISecurity> MakeSimSecurity(Machine::State& state) {
  return std::make_unique<SimSecurity>(state);
}

}  // namespace sim
