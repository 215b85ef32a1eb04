// Owns an open registry key and closes it through the registry it came from.
#pragma once

#include <utility>

#include "platform/Platform.h"

namespace plat {

class ScopedKey {
 public:
  explicit ScopedKey(IRegistry& registry) : registry_(&registry) {}
  ScopedKey(IRegistry& registry, HKey key) : registry_(&registry), key_(key) {}
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  ScopedKey(ScopedKey&& other) noexcept
      : registry_(other.registry_), key_(std::exchange(other.key_, HKey{0})) {}
  ~ScopedKey() { Close(); }

  // Opens parent\subKey; returns the Win32 code of RegOpenKeyExA.
  LONG Open(HKey parent, const char* subKey, DWORD access) {
    Close();
    return registry_->RegOpenKeyExA(parent, subKey, 0, access, &key_);
  }
  LONG Create(HKey parent, const char* subKey, DWORD access, DWORD* disposition = nullptr) {
    Close();
    return registry_->RegCreateKeyExA(parent, subKey, nullptr, kRegOptionNonVolatile, access, &key_,
                                      disposition);
  }
  void Close() {
    if (key_ != 0) registry_->RegCloseKey(std::exchange(key_, HKey{0}));
  }
  HKey Get() const { return key_; }
  bool IsOpen() const { return key_ != 0; }

 private:
  IRegistry* registry_;
  HKey key_ = 0;
};

}  // namespace plat
