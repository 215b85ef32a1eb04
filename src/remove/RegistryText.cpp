#include "remove/RegistryText.h"

#include <cstring>

plat::LONG RegistryText::Read(plat::IRegistry& registry, plat::HKey key, const char* valueName) {
  std::memset(text_, 0, sizeof text_);
  size_ = kBufferSize;
  result_ = registry.RegQueryValueExA(key, valueName, nullptr, reinterpret_cast<plat::BYTE*>(text_),
                                      &size_);
  if (result_ != plat::kErrorSuccess) {
    // What a failed read left in the buffer is not a value.
    std::memset(text_, 0, sizeof text_);
    if (result_ != static_cast<plat::LONG>(plat::kErrorMoreData)) size_ = 0;
    return result_;
  }
  if (size_ > kBufferSize) size_ = kBufferSize;
  text_[size_] = '\0';
  return result_;
}

std::size_t RegistryText::Length() const { return std::strlen(text_); }
