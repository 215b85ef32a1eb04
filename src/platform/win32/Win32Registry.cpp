#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32Registry.h"

#include "platform/win32/WindowsApi.h"

namespace win32 {
namespace {

// Windows' DWORD is an unsigned long, ours a 32-bit unsigned int: the in/out
// counts go through one of these, which passes "no pointer" on as null.
class DwordArg {
 public:
  explicit DwordArg(plat::DWORD* target) : target_(target), value_(target ? *target : 0) {}
  DwordArg(const DwordArg&) = delete;
  DwordArg& operator=(const DwordArg&) = delete;
  ~DwordArg() {
    if (target_ != nullptr) *target_ = static_cast<plat::DWORD>(value_);
  }
  DWORD* Get() { return target_ != nullptr ? &value_ : nullptr; }

 private:
  plat::DWORD* target_;
  DWORD value_;
};

}  // namespace

plat::LONG Win32Registry::RegOpenKeyExA(plat::HKey parent, const char* subKey, plat::DWORD options,
                                        plat::DWORD desiredAccess, plat::HKey* result) {
  HKEY opened = nullptr;
  LONG code = ::RegOpenKeyExA(ToHkey(parent), subKey, options, desiredAccess, &opened);
  if (result != nullptr) *result = code == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return code;
}

plat::LONG Win32Registry::RegCreateKeyExA(plat::HKey parent, const char* subKey,
                                          const char* keyClass, plat::DWORD options,
                                          plat::DWORD desiredAccess, plat::HKey* result,
                                          plat::DWORD* disposition) {
  HKEY created = nullptr;
  DwordArg disp(disposition);
  LONG code = ::RegCreateKeyExA(ToHkey(parent), subKey, 0, const_cast<char*>(keyClass), options,
                                desiredAccess, nullptr, &created, disp.Get());
  if (result != nullptr) *result = code == ERROR_SUCCESS ? FromHkey(created) : 0;
  return code;
}

plat::LONG Win32Registry::RegQueryValueExA(plat::HKey key, const char* valueName, plat::DWORD* type,
                                           plat::BYTE* data, plat::DWORD* dataSize) {
  DwordArg kind(type);
  DwordArg size(dataSize);
  return ::RegQueryValueExA(ToHkey(key), valueName, nullptr, kind.Get(), data, size.Get());
}

plat::LONG Win32Registry::RegSetValueExA(plat::HKey key, const char* valueName, plat::DWORD type,
                                         const plat::BYTE* data, plat::DWORD dataSize) {
  return ::RegSetValueExA(ToHkey(key), valueName, 0, type, data, dataSize);
}

plat::LONG Win32Registry::RegEnumKeyA(plat::HKey key, plat::DWORD index, char* name,
                                      plat::DWORD nameSize) {
  return ::RegEnumKeyA(ToHkey(key), index, name, nameSize);
}

plat::LONG Win32Registry::RegEnumKeyExA(plat::HKey key, plat::DWORD index, char* name,
                                        plat::DWORD* nameSize) {
  DwordArg size(nameSize);
  return ::RegEnumKeyExA(ToHkey(key), index, name, size.Get(), nullptr, nullptr, nullptr, nullptr);
}

plat::LONG Win32Registry::RegEnumValueA(plat::HKey key, plat::DWORD index, char* name,
                                        plat::DWORD* nameSize, plat::DWORD* type, plat::BYTE* data,
                                        plat::DWORD* dataSize) {
  DwordArg nameCount(nameSize);
  DwordArg kind(type);
  DwordArg size(dataSize);
  return ::RegEnumValueA(ToHkey(key), index, name, nameCount.Get(), nullptr, kind.Get(), data,
                         size.Get());
}

plat::LONG Win32Registry::RegDeleteKeyA(plat::HKey parent, const char* subKey) {
  return ::RegDeleteKeyA(ToHkey(parent), subKey);
}

plat::LONG Win32Registry::RegDeleteValueA(plat::HKey key, const char* valueName) {
  return ::RegDeleteValueA(ToHkey(key), valueName);
}

plat::LONG Win32Registry::RegCloseKey(plat::HKey key) { return ::RegCloseKey(ToHkey(key)); }

}  // namespace win32

#endif  // _WIN32
