// A Windows function that not every Windows exports (Windows 98 and Me have no
// security API of their own), looked up at run time on first use so that
// Setup.exe loads on every system. Absent, Get() returns null.
#pragma once

#include "platform/win32/Owners.h"
#include "platform/win32/WindowsApi.h"

namespace win32 {

template <typename Function>
class OptionalFunction {
 public:
  OptionalFunction(const char* library, const char* name) : library_(library), name_(name) {}
  OptionalFunction(const OptionalFunction&) = delete;
  OptionalFunction& operator=(const OptionalFunction&) = delete;

  Function* Get() {
    if (!lookedUp_) {
      lookedUp_ = true;
      DWORD savedError = ::GetLastError();
      module_.Reset(::LoadLibraryA(library_));
      if (module_) function_ = ToFunction<Function>(::GetProcAddress(module_.Get(), name_));
      // The look-up is no call of the program's: its errors are not the caller's.
      ::SetLastError(savedError);
    }
    return function_;
  }

 private:
  const char* library_;
  const char* name_;
  bool lookedUp_ = false;
  UniqueModule module_;
  Function* function_ = nullptr;
};

}  // namespace win32
