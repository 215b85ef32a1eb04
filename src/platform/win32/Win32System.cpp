#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32System.h"

#include <cstddef>

#include "platform/win32/WindowsApi.h"

namespace win32 {

static_assert(sizeof(plat::OsVersionInfoEx) == sizeof(OSVERSIONINFOEXA));
static_assert(offsetof(plat::OsVersionInfoEx, szCSDVersion) ==
              offsetof(OSVERSIONINFOEXA, szCSDVersion));
static_assert(offsetof(plat::OsVersionInfoEx, wProductType) ==
              offsetof(OSVERSIONINFOEXA, wProductType));
static_assert(sizeof(char16_t) == sizeof(WCHAR));

plat::BOOL Win32System::GetVersionExA(plat::OsVersionInfoEx* info) {
  // The record's size field tells Windows which of the two records it is.
  return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info));
}

plat::DWORD Win32System::GetCurrentDirectoryA(plat::DWORD bufferSize, char* buffer) {
  return ::GetCurrentDirectoryA(bufferSize, buffer);
}

plat::UINT Win32System::GetWindowsDirectoryA(char* buffer, plat::UINT bufferSize) {
  return ::GetWindowsDirectoryA(buffer, bufferSize);
}

plat::UINT Win32System::GetSystemDirectoryA(char* buffer, plat::UINT bufferSize) {
  return ::GetSystemDirectoryA(buffer, bufferSize);
}

plat::DWORD Win32System::GetLastError() { return ::GetLastError(); }

void Win32System::SetLastError(plat::DWORD code) { ::SetLastError(code); }

plat::DWORD Win32System::FormatMessageA(plat::DWORD flags, plat::DWORD messageId,
                                        plat::DWORD languageId, char** allocated) {
  if (allocated == nullptr) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  *allocated = nullptr;
  // Only the system's message table is asked, and the text is always allocated
  // by the call: no source and no argument list is ever handed over.
  flags &= ~static_cast<plat::DWORD>(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE |
                                     FORMAT_MESSAGE_ARGUMENT_ARRAY);
  flags |= FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM;
  return ::FormatMessageA(flags, nullptr, messageId, languageId, reinterpret_cast<LPSTR>(allocated),
                          0, nullptr);
}

void* Win32System::LocalFree(void* memory) { return ::LocalFree(memory); }

int Win32System::MultiByteToWideChar(plat::UINT codePage, plat::DWORD flags, const char* source,
                                     int sourceLength, char16_t* target, int targetLength) {
  return ::MultiByteToWideChar(codePage, flags, source, sourceLength,
                               reinterpret_cast<LPWSTR>(target), targetLength);
}

plat::Module Win32System::LoadLibraryA(const char* name) {
  return FromModule(::LoadLibraryA(name));
}

plat::Proc Win32System::GetProcAddress(plat::Module module, const char* name) {
  return FromProc(::GetProcAddress(ToModule(module), name));
}

plat::BOOL Win32System::FreeLibrary(plat::Module module) { return ::FreeLibrary(ToModule(module)); }

plat::BOOL Win32System::CloseHandle(plat::Handle handle) { return ::CloseHandle(ToHandle(handle)); }

}  // namespace win32

#endif  // _WIN32
