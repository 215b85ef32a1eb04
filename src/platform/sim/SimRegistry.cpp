// The registry of a simulated machine, with the semantics the program relies on:
// subkeys enumerate by index in sorted order, values in insertion order, sizes
// count the zero of strings, strings come back as stored, too-small buffers give
// 234 and the size needed, NT refuses to delete a key that has subkeys.
#include <cstring>

#include "platform/sim/MachineState.h"

namespace sim {
namespace {

// Access that goes beyond reading.
constexpr plat::DWORD kBeyondRead = ~plat::kKeyRead;
constexpr plat::DWORD kDeleteAccess = 0x10000;

class SimRegistry final : public plat::IRegistry {
 public:
  explicit SimRegistry(Machine::State& state) : s_(state) {}

  plat::LONG RegOpenKeyExA(plat::HKey parent, const char* subKey, plat::DWORD, plat::DWORD access,
                           plat::HKey* result) override {
    *result = 0;
    auto base = s_.NodeOf(parent);
    plat::DWORD code = 0;
    if (s_.FaultOn(
            "RegOpenKey", [&] { return Target(base, subKey); }, &code))
      return static_cast<plat::LONG>(code);
    if (!base) return plat::kErrorInvalidHandle;
    if (base->deleted) return plat::kErrorKeyDeleted;
    RegNode* node = subKey == nullptr ? base.get() : RegistryTree::Walk(base.get(), subKey);
    if (node == nullptr) return plat::kErrorFileNotFound;
    if ((access & kBeyondRead) != 0 && !node->FullAccessAllowed()) return plat::kErrorAccessDenied;
    *result = NewHandle(node, access);
    return 0;
  }

  plat::LONG RegCreateKeyExA(plat::HKey parent, const char* subKey, const char*, plat::DWORD,
                             plat::DWORD access, plat::HKey* result,
                             plat::DWORD* disposition) override {
    *result = 0;
    auto base = s_.NodeOf(parent);
    plat::DWORD code = 0;
    if (s_.FaultOn(
            "RegCreateKey", [&] { return Target(base, subKey); }, &code))
      return static_cast<plat::LONG>(code);
    if (!base) return plat::kErrorInvalidHandle;
    if (base->deleted) return plat::kErrorKeyDeleted;
    RegNode* existing = subKey == nullptr ? base.get() : RegistryTree::Walk(base.get(), subKey);
    if (existing == nullptr) {
      // Creating below needs the right to add subkeys to the nearest existing key.
      if (!base->FullAccessAllowed()) return plat::kErrorAccessDenied;
      existing = RegistryTree::CreateBelow(base.get(), subKey);
      if (disposition != nullptr) *disposition = plat::kRegCreatedNewKey;
    } else {
      if ((access & kBeyondRead) != 0 && !existing->FullAccessAllowed())
        return plat::kErrorAccessDenied;
      if (disposition != nullptr) *disposition = plat::kRegOpenedExistingKey;
    }
    *result = NewHandle(existing, access);
    return 0;
  }

  plat::LONG RegQueryValueExA(plat::HKey key, const char* valueName, plat::DWORD* type,
                              plat::BYTE* data, plat::DWORD* dataSize) override {
    auto node = s_.NodeOf(key);
    std::string_view name = valueName != nullptr ? valueName : "";
    plat::DWORD code = 0;
    if (s_.FaultOn(
            "RegQueryValue", [&] { return ValueTarget(node, name); }, &code))
      return static_cast<plat::LONG>(code);
    if (!node) return plat::kErrorInvalidHandle;
    if (node->deleted) return plat::kErrorKeyDeleted;
    if (data != nullptr && dataSize == nullptr) return plat::kErrorInvalidParameter;
    const RegValue* value = node->Value(name);
    if (value == nullptr) return plat::kErrorFileNotFound;
    if (type != nullptr) *type = value->type;
    return CopyData(*value, data, dataSize);
  }

  plat::LONG RegSetValueExA(plat::HKey key, const char* valueName, plat::DWORD type,
                            const plat::BYTE* data, plat::DWORD dataSize) override {
    auto node = s_.NodeOf(key);
    std::string_view name = valueName != nullptr ? valueName : "";
    plat::DWORD code = 0;
    if (s_.FaultOn(
            "RegSetValue", [&] { return ValueTarget(node, name); }, &code))
      return static_cast<plat::LONG>(code);
    if (!node) return plat::kErrorInvalidHandle;
    if (node->deleted) return plat::kErrorKeyDeleted;
    if ((AccessOf(key) & plat::kKeySetValue) == 0) return plat::kErrorAccessDenied;
    if (data == nullptr && dataSize != 0) return plat::kErrorInvalidParameter;
    RegValue value;
    value.type = type;
    if (dataSize != 0) value.data.assign(data, data + dataSize);
    node->SetValue(name, std::move(value));
    return 0;
  }

  plat::LONG RegEnumKeyA(plat::HKey key, plat::DWORD index, char* name,
                         plat::DWORD nameSize) override {
    plat::DWORD size = nameSize;
    return EnumKey(key, index, name, &size, "RegEnumKey");
  }

  plat::LONG RegEnumKeyExA(plat::HKey key, plat::DWORD index, char* name,
                           plat::DWORD* nameSize) override {
    return EnumKey(key, index, name, nameSize, "RegEnumKeyEx");
  }

  plat::LONG RegEnumValueA(plat::HKey key, plat::DWORD index, char* name, plat::DWORD* nameSize,
                           plat::DWORD* type, plat::BYTE* data, plat::DWORD* dataSize) override {
    auto node = s_.NodeOf(key);
    plat::DWORD code = 0;
    if (s_.FaultOn(
            "RegEnumValue", [&] { return Target(node, nullptr); }, &code))
      return static_cast<plat::LONG>(code);
    if (!node) return plat::kErrorInvalidHandle;
    if (node->deleted) return plat::kErrorKeyDeleted;
    if (index >= node->values.size()) return plat::kErrorNoMoreItems;
    const auto& [valueName, value] = node->values[index];
    if (valueName.size() + 1 > *nameSize) return plat::kErrorMoreData;
    std::memcpy(name, valueName.c_str(), valueName.size() + 1);
    *nameSize = static_cast<plat::DWORD>(valueName.size());
    if (type != nullptr) *type = value.type;
    if (data != nullptr && dataSize == nullptr) return plat::kErrorInvalidParameter;
    if (dataSize == nullptr) return 0;
    return CopyData(value, data, dataSize);
  }

  plat::LONG RegDeleteKeyA(plat::HKey parent, const char* subKey) override {
    auto base = s_.NodeOf(parent);
    plat::DWORD code = 0;
    if (s_.FaultOn(
            "RegDeleteKey", [&] { return Target(base, subKey); }, &code))
      return static_cast<plat::LONG>(code);
    if (!base) return plat::kErrorInvalidHandle;
    if (base->deleted) return plat::kErrorKeyDeleted;
    if (subKey == nullptr || subKey[0] == '\0') return plat::kErrorInvalidParameter;
    RegNode* node = RegistryTree::Walk(base.get(), subKey);
    if (node == nullptr) return plat::kErrorFileNotFound;
    if (node->parent == nullptr) return plat::kErrorAccessDenied;
    if (!node->FullAccessAllowed()) return plat::kErrorAccessDenied;
    if (s_.os.IsNt() && !node->subkeys.empty()) return plat::kErrorAccessDenied;
    if (!s_.os.IsNt()) {
      // Windows 9x deletes the whole subtree, but not past a key it may not delete.
      bool blocked = false;
      Visit(node, [&](const RegNode& n) { blocked = blocked || !n.FullAccessAllowed(); });
      if (blocked) return plat::kErrorAccessDenied;
    }
    node->parent->RemoveChild(node);
    return 0;
  }

  plat::LONG RegDeleteValueA(plat::HKey key, const char* valueName) override {
    auto node = s_.NodeOf(key);
    std::string_view name = valueName != nullptr ? valueName : "";
    plat::DWORD code = 0;
    if (s_.FaultOn(
            "RegDeleteValue", [&] { return ValueTarget(node, name); }, &code))
      return static_cast<plat::LONG>(code);
    if (!node) return plat::kErrorInvalidHandle;
    if (node->deleted) return plat::kErrorKeyDeleted;
    if ((AccessOf(key) & plat::kKeySetValue) == 0) return plat::kErrorAccessDenied;
    return node->RemoveValue(name) ? 0 : plat::kErrorFileNotFound;
  }

  plat::LONG RegCloseKey(plat::HKey key) override {
    if (s_.registry.Root(key) != nullptr) return 0;
    auto it = s_.openKeys.find(key);
    if (it == s_.openKeys.end()) return plat::kErrorInvalidHandle;
    s_.openKeys.erase(it);
    return 0;
  }

 private:
  template <typename F>
  static void Visit(const RegNode* node, F&& visit) {
    visit(*node);
    for (const auto& child : node->subkeys) Visit(child.get(), visit);
  }

  // The key path a call aims at, for faults and the call log.
  static std::string Target(const std::shared_ptr<RegNode>& base, const char* subKey) {
    std::string path = base ? base->Path() : "?";
    if (subKey != nullptr && subKey[0] != '\0') {
      path += '\\';
      path += subKey;
    }
    return path;
  }

  static std::string ValueTarget(const std::shared_ptr<RegNode>& node, std::string_view name) {
    std::string path = Target(node, nullptr);
    path += '\\';
    path += name;
    return path;
  }

  plat::DWORD AccessOf(plat::HKey key) const {
    if (s_.registry.Root(key) != nullptr) return plat::kKeyAllAccess;
    auto it = s_.openKeys.find(key);
    return it == s_.openKeys.end() ? 0 : it->second.access;
  }

  plat::HKey NewHandle(RegNode* node, plat::DWORD access) {
    plat::HKey handle = s_.nextKeyHandle += 4;
    s_.openKeys[handle] = Machine::State::OpenKey{s_.SharedOf(node), access};
    return handle;
  }

  plat::LONG EnumKey(plat::HKey key, plat::DWORD index, char* name, plat::DWORD* nameSize,
                     const char* op) {
    auto node = s_.NodeOf(key);
    plat::DWORD code = 0;
    if (s_.FaultOn(
            op, [&] { return Target(node, nullptr); }, &code))
      return static_cast<plat::LONG>(code);
    if (!node) return plat::kErrorInvalidHandle;
    if (node->deleted) return plat::kErrorKeyDeleted;
    if (index >= node->subkeys.size()) return plat::kErrorNoMoreItems;
    node->lastEnumerated = index;
    const std::string& child = node->subkeys[index]->name;
    if (child.size() + 1 > *nameSize) return plat::kErrorMoreData;
    std::memcpy(name, child.c_str(), child.size() + 1);
    *nameSize = static_cast<plat::DWORD>(child.size());
    return 0;
  }

  static plat::LONG CopyData(const RegValue& value, plat::BYTE* data, plat::DWORD* dataSize) {
    auto size = static_cast<plat::DWORD>(value.data.size());
    if (data == nullptr) {
      if (dataSize != nullptr) *dataSize = size;
      return 0;
    }
    if (*dataSize < size) {
      *dataSize = size;
      return plat::kErrorMoreData;
    }
    if (size != 0) std::memcpy(data, value.data.data(), size);
    *dataSize = size;
    return 0;
  }

  Machine::State& s_;
};

}  // namespace

std::unique_ptr<plat::IRegistry> MakeSimRegistry(Machine::State& state) {
  return std::make_unique<SimRegistry>(state);
}

}  // namespace sim
