// A registry value read as text: bounded by the buffer and always terminated,
// whatever type and length the value has in the registry.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/Platform.h"

class RegistryText {
 public:
  // The buffer the removal reads every value into, as the registry sees it.
  static constexpr plat::DWORD kBufferSize = plat::kMaxPath;

  // RegQueryValueExA with kBufferSize; returns its code. On success Size() is the
  // size the registry returned; the text ends at its first zero or at Size().
  plat::LONG Read(plat::IRegistry& registry, plat::HKey key, const char* valueName);

  bool Ok() const { return result_ == plat::kErrorSuccess; }
  plat::DWORD Size() const { return size_; }
  char* Text() { return text_; }
  const char* Text() const { return text_; }
  std::size_t Length() const;
  std::string_view View() const { return {text_, Length()}; }

 private:
  // One byte more than the registry may fill, so a value that uses all of the
  // buffer without a zero still ends in one.
  char text_[kBufferSize + 1] = {};
  plat::DWORD size_ = 0;
  plat::LONG result_ = static_cast<plat::LONG>(plat::kErrorFileNotFound);
};
