// IFileSystem over the Windows API.
#pragma once

#include "platform/Platform.h"

namespace win32 {

class Win32FileSystem final : public plat::IFileSystem {
 public:
  plat::BOOL CreateDirectoryA(const char* path) override;
  plat::BOOL CopyFileA(const char* source, const char* target, plat::BOOL failIfExists) override;
  plat::DWORD GetFileAttributesA(const char* path) override;
  plat::BOOL SetFileAttributesA(const char* path, plat::DWORD attributes) override;
  plat::BOOL DeleteFileA(const char* path) override;
  plat::Handle FindFirstFileA(const char* pattern, plat::FindDataA* data) override;
  plat::BOOL FindNextFileA(plat::Handle find, plat::FindDataA* data) override;
  plat::BOOL FindClose(plat::Handle find) override;
  plat::DWORD GetFullPathNameA(const char* path, plat::DWORD bufferSize, char* buffer,
                               char** filePart) override;
  plat::Handle CreateFileA(const char* path, plat::DWORD desiredAccess, plat::DWORD shareMode,
                           plat::DWORD creationDisposition,
                           plat::DWORD flagsAndAttributes) override;
  plat::BOOL ReadFile(plat::Handle file, void* buffer, plat::DWORD bytesToRead,
                      plat::DWORD* bytesRead) override;
};

}  // namespace win32
