// IRegistry over the Windows API. Key values are the system's HKEY values, so the
// predefined roots are 0x80000001 (HKEY_CURRENT_USER) and 0x80000002 (HKEY_LOCAL_MACHINE).
#pragma once

#include "platform/Platform.h"

namespace win32 {

class Win32Registry final : public plat::IRegistry {
 public:
  plat::LONG RegOpenKeyExA(plat::HKey parent, const char* subKey, plat::DWORD options,
                           plat::DWORD desiredAccess, plat::HKey* result) override;
  plat::LONG RegCreateKeyExA(plat::HKey parent, const char* subKey, const char* keyClass,
                             plat::DWORD options, plat::DWORD desiredAccess, plat::HKey* result,
                             plat::DWORD* disposition) override;
  plat::LONG RegQueryValueExA(plat::HKey key, const char* valueName, plat::DWORD* type,
                              plat::BYTE* data, plat::DWORD* dataSize) override;
  plat::LONG RegSetValueExA(plat::HKey key, const char* valueName, plat::DWORD type,
                            const plat::BYTE* data, plat::DWORD dataSize) override;
  plat::LONG RegEnumKeyA(plat::HKey key, plat::DWORD index, char* name,
                         plat::DWORD nameSize) override;
  plat::LONG RegEnumKeyExA(plat::HKey key, plat::DWORD index, char* name,
                           plat::DWORD* nameSize) override;
  plat::LONG RegEnumValueA(plat::HKey key, plat::DWORD index, char* name, plat::DWORD* nameSize,
                           plat::DWORD* type, plat::BYTE* data, plat::DWORD* dataSize) override;
  plat::LONG RegDeleteKeyA(plat::HKey parent, const char* subKey) override;
  plat::LONG RegDeleteValueA(plat::HKey key, const char* valueName) override;
  plat::LONG RegCloseKey(plat::HKey key) override;
};

}  // namespace win32
