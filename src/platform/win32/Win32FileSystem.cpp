#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32FileSystem.h"

#include <cstring>

#include "platform/win32/WindowsApi.h"

namespace win32 {
namespace {

plat::FileTime ToFileTime(const FILETIME& time) {
  return (static_cast<plat::FileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void CopyFindData(const WIN32_FIND_DATAA& from, plat::FindDataA* to) {
  to->dwFileAttributes = from.dwFileAttributes;
  to->ftCreationTime = ToFileTime(from.ftCreationTime);
  to->ftLastAccessTime = ToFileTime(from.ftLastAccessTime);
  to->ftLastWriteTime = ToFileTime(from.ftLastWriteTime);
  to->nFileSizeHigh = from.nFileSizeHigh;
  to->nFileSizeLow = from.nFileSizeLow;
  static_assert(sizeof to->cFileName == sizeof from.cFileName);
  static_assert(sizeof to->cAlternateFileName == sizeof from.cAlternateFileName);
  std::memcpy(to->cFileName, from.cFileName, sizeof to->cFileName);
  std::memcpy(to->cAlternateFileName, from.cAlternateFileName, sizeof to->cAlternateFileName);
  // Terminated whatever the system left in the buffers.
  to->cFileName[sizeof to->cFileName - 1] = '\0';
  to->cAlternateFileName[sizeof to->cAlternateFileName - 1] = '\0';
}

}  // namespace

plat::BOOL Win32FileSystem::CreateDirectoryA(const char* path) {
  return ::CreateDirectoryA(path, nullptr);
}

plat::BOOL Win32FileSystem::CopyFileA(const char* source, const char* target,
                                      plat::BOOL failIfExists) {
  return ::CopyFileA(source, target, failIfExists);
}

plat::DWORD Win32FileSystem::GetFileAttributesA(const char* path) {
  return ::GetFileAttributesA(path);
}

plat::BOOL Win32FileSystem::SetFileAttributesA(const char* path, plat::DWORD attributes) {
  return ::SetFileAttributesA(path, attributes);
}

plat::BOOL Win32FileSystem::DeleteFileA(const char* path) { return ::DeleteFileA(path); }

plat::Handle Win32FileSystem::FindFirstFileA(const char* pattern, plat::FindDataA* data) {
  WIN32_FIND_DATAA found = {};
  HANDLE find = ::FindFirstFileA(pattern, &found);
  if (find != INVALID_HANDLE_VALUE && data != nullptr) CopyFindData(found, data);
  return FromHandle(find);
}

plat::BOOL Win32FileSystem::FindNextFileA(plat::Handle find, plat::FindDataA* data) {
  WIN32_FIND_DATAA found = {};
  BOOL more = ::FindNextFileA(ToHandle(find), &found);
  if (more && data != nullptr) CopyFindData(found, data);
  return more;
}

plat::BOOL Win32FileSystem::FindClose(plat::Handle find) { return ::FindClose(ToHandle(find)); }

plat::DWORD Win32FileSystem::GetFullPathNameA(const char* path, plat::DWORD bufferSize,
                                              char* buffer, char** filePart) {
  return ::GetFullPathNameA(path, bufferSize, buffer, filePart);
}

plat::Handle Win32FileSystem::CreateFileA(const char* path, plat::DWORD desiredAccess,
                                          plat::DWORD shareMode, plat::DWORD creationDisposition,
                                          plat::DWORD flagsAndAttributes) {
  return FromHandle(::CreateFileA(path, desiredAccess, shareMode, nullptr, creationDisposition,
                                  flagsAndAttributes, nullptr));
}

plat::BOOL Win32FileSystem::ReadFile(plat::Handle file, void* buffer, plat::DWORD bytesToRead,
                                     plat::DWORD* bytesRead) {
  DWORD read = 0;
  BOOL ok = ::ReadFile(ToHandle(file), buffer, bytesToRead, &read, nullptr);
  if (bytesRead != nullptr) *bytesRead = read;
  return ok;
}

}  // namespace win32

#endif  // _WIN32
