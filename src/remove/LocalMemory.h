// Owns memory that a Windows call allocated for the caller (FormatMessageA's
// text, a security descriptor, an ACL) and releases it with LocalFree.
#pragma once

#include "platform/Platform.h"

template <typename T>
class LocalMemory {
 public:
  explicit LocalMemory(plat::ISystem& system) : system_(system) {}
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
  ~LocalMemory() {
    if (memory_ != nullptr) system_.LocalFree(memory_);
  }

  T** Receive() { return &memory_; }
  T* Get() const { return memory_; }

 private:
  plat::ISystem& system_;
  T* memory_ = nullptr;
};
