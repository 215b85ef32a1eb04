// RAII owners of the Windows objects the platform holds: each closes its object
// with the call that belongs to it, once.
#pragma once

#include <utility>

#include "platform/win32/WindowsApi.h"

namespace win32 {

// Owns a value of type T that Close releases; Empty marks "nothing owned".
template <typename T, auto Close, T Empty>
class Owner {
 public:
  Owner() = default;
  explicit Owner(T value) : value_(value) {}
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& other) noexcept : value_(std::exchange(other.value_, Empty)) {}
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.value_, Empty));
    return *this;
  }
  ~Owner() { Reset(); }

  void Reset(T value = Empty) {
    if (value_ != Empty) Close(value_);
    value_ = value;
  }
  T Get() const { return value_; }
  T* Receive() {  // for calls that hand the object out through a pointer
    Reset();
    return &value_;
  }
  T Release() { return std::exchange(value_, Empty); }
  explicit operator bool() const { return value_ != Empty; }

 private:
  T value_ = Empty;
};

inline void CloseKernelHandle(HANDLE handle) { ::CloseHandle(handle); }
inline void CloseFindHandle(HANDLE find) { ::FindClose(find); }
inline void CloseRegistryKey(HKEY key) { ::RegCloseKey(key); }
inline void ReleaseLibrary(HMODULE module) { ::FreeLibrary(module); }
inline void ReleaseLocalMemory(void* memory) { ::LocalFree(memory); }

// Process tokens and other kernel handles that are null when absent.
using UniqueHandle = Owner<HANDLE, CloseKernelHandle, nullptr>;
// CreateFileA's handles, INVALID_HANDLE_VALUE when absent.
class UniqueFile {
 public:
  UniqueFile() = default;
  explicit UniqueFile(HANDLE file) : file_(file) {}
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  ~UniqueFile() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
  }
  HANDLE Get() const { return file_; }
  explicit operator bool() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};
using UniqueKey = Owner<HKEY, CloseRegistryKey, nullptr>;
using UniqueModule = Owner<HMODULE, ReleaseLibrary, nullptr>;
// Memory of LocalAlloc: FormatMessageA's texts, security descriptors and ACLs.
using UniqueLocal = Owner<void*, ReleaseLocalMemory, nullptr>;

// Holds one reference to a COM interface.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(Interface* adopted) : pointer_(adopted) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ~ComPtr() { Reset(); }

  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }
  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace win32
