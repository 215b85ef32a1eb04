// ISystem over the Windows API.
#pragma once

#include "platform/Platform.h"

namespace win32 {

class Win32System final : public plat::ISystem {
 public:
  plat::BOOL GetVersionExA(plat::OsVersionInfoEx* info) override;
  plat::DWORD GetCurrentDirectoryA(plat::DWORD bufferSize, char* buffer) override;
  plat::UINT GetWindowsDirectoryA(char* buffer, plat::UINT bufferSize) override;
  plat::UINT GetSystemDirectoryA(char* buffer, plat::UINT bufferSize) override;
  plat::DWORD GetLastError() override;
  void SetLastError(plat::DWORD code) override;
  plat::DWORD FormatMessageA(plat::DWORD flags, plat::DWORD messageId, plat::DWORD languageId,
                             char** allocated) override;
  void* LocalFree(void* memory) override;
  int MultiByteToWideChar(plat::UINT codePage, plat::DWORD flags, const char* source,
                          int sourceLength, char16_t* target, int targetLength) override;
  plat::Module LoadLibraryA(const char* name) override;
  plat::Proc GetProcAddress(plat::Module module, const char* name) override;
  plat::BOOL FreeLibrary(plat::Module module) override;
  plat::BOOL CloseHandle(plat::Handle handle) override;
};

}  // namespace win32
