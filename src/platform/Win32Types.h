// Plain value types and numeric constants of the Windows API, as the program uses
// them. They live in namespace plat under names of their own, so that this header
// can sit beside <windows.h> (whose macros would clobber the Windows spellings).
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using HRESULT = std::int32_t;

// Opaque handles. Their values mean something only to the platform that made them.
using HKey = std::uintptr_t;
using Hwnd = std::uintptr_t;
using Handle = std::uintptr_t;
using Module = std::uintptr_t;
using Proc = std::uintptr_t;
using Icon = std::uintptr_t;

constexpr HKey kHkeyCurrentUser = 0x80000001u;
constexpr HKey kHkeyLocalMachine = 0x80000002u;
constexpr Hwnd kNoWindow = 0;
constexpr Handle kInvalidHandle = ~Handle{0};

constexpr DWORD kMaxPath = 260;

// Win32 error codes, by value.
constexpr DWORD kErrorSuccess = 0;
constexpr DWORD kErrorFileNotFound = 2;
constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorAccessDenied = 5;
constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorNotEnoughMemory = 8;
constexpr DWORD kErrorWriteProtect = 19;
constexpr DWORD kErrorSharingViolation = 32;
constexpr DWORD kErrorFileExists = 80;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorCallNotImplemented = 120;
constexpr DWORD kErrorInsufficientBuffer = 122;
constexpr DWORD kErrorInvalidName = 123;
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;
constexpr DWORD kErrorDirNotEmpty = 145;
constexpr DWORD kErrorAlreadyExists = 183;
constexpr DWORD kErrorFilenameExcedRange = 206;
constexpr DWORD kErrorMoreData = 234;
constexpr DWORD kErrorNoMoreItems = 259;
constexpr DWORD kErrorNoMoreFiles = 18;
constexpr DWORD kErrorBadPathname = 161;
constexpr DWORD kErrorKeyDeleted = 1018;
constexpr DWORD kErrorInvalidData = 13;

constexpr HRESULT kSOk = 0;
constexpr HRESULT kSFalse = 1;
constexpr HRESULT kENoInterface = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT kEFail = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT kClassENoAggregation = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT kRegDbEClassNotReg = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT kEAccessDenied = static_cast<HRESULT>(0x80070005u);
constexpr inline bool Succeeded(HRESULT hr) { return hr >= 0; }
constexpr inline HRESULT HresultFromWin32(DWORD code) {
  return code == 0 ? kSOk : static_cast<HRESULT>((code & 0xFFFFu) | 0x80070000u);
}

// Version information.
constexpr DWORD kVerPlatformWin32Windows = 1;
constexpr DWORD kVerPlatformWin32Nt = 2;

// GetVersionExA's record: the first 148 bytes are OSVERSIONINFOA, all 156 OSVERSIONINFOEXA.
struct OsVersionInfoEx {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
static_assert(sizeof(OsVersionInfoEx) == 156);
constexpr DWORD kOsVersionInfoExSize = 156;
constexpr DWORD kOsVersionInfoSize = 148;

// File attributes.
constexpr DWORD kFileAttributeReadonly = 0x1;
constexpr DWORD kFileAttributeHidden = 0x2;
constexpr DWORD kFileAttributeSystem = 0x4;
constexpr DWORD kFileAttributeDirectory = 0x10;
constexpr DWORD kFileAttributeArchive = 0x20;
constexpr DWORD kFileAttributeNormal = 0x80;
constexpr DWORD kFileAttributeTemporary = 0x100;
constexpr DWORD kFileAttributeReparsePoint = 0x400;
constexpr DWORD kFileAttributeCompressed = 0x800;
constexpr DWORD kInvalidFileAttributes = 0xFFFFFFFFu;

// CreateFileA, as the program uses it (reading only).
constexpr DWORD kGenericRead = 0x80000000u;
constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kOpenExisting = 3;

// A FILETIME as one 64-bit count of 100 ns since 1601-01-01 UTC.
using FileTime = std::uint64_t;

struct FindDataA {
  DWORD dwFileAttributes;
  FileTime ftCreationTime;
  FileTime ftLastAccessTime;
  FileTime ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  char cFileName[kMaxPath];
  char cAlternateFileName[14];
};

// Registry.
constexpr DWORD kKeyQueryValue = 0x0001;
constexpr DWORD kKeySetValue = 0x0002;
constexpr DWORD kKeyCreateSubKey = 0x0004;
constexpr DWORD kKeyEnumerateSubKeys = 0x0008;
constexpr DWORD kKeyNotify = 0x0010;
constexpr DWORD kKeyRead = 0x20019;
constexpr DWORD kKeyWrite = 0x20006;
constexpr DWORD kKeyAllAccess = 0xF003F;
constexpr DWORD kRegOptionNonVolatile = 0;
constexpr DWORD kRegCreatedNewKey = 1;
constexpr DWORD kRegOpenedExistingKey = 2;

constexpr DWORD kRegNone = 0;
constexpr DWORD kRegSz = 1;
constexpr DWORD kRegExpandSz = 2;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr DWORD kRegDwordBigEndian = 5;
constexpr DWORD kRegLink = 6;
constexpr DWORD kRegMultiSz = 7;
constexpr DWORD kRegQword = 11;

// FormatMessageA.
constexpr DWORD kFormatMessageAllocateBuffer = 0x100;
constexpr DWORD kFormatMessageIgnoreInserts = 0x200;
constexpr DWORD kFormatMessageFromSystem = 0x1000;
constexpr DWORD kLangUserDefault = 0x0400;

constexpr UINT kCpAcp = 0;

// Security.
constexpr DWORD kSeRegistryKey = 4;
constexpr DWORD kDaclSecurityInformation = 0x4;
constexpr DWORD kGrantAccess = 1;
constexpr DWORD kSubContainersAndObjectsInherit = 0x3;

// A filled EXPLICIT_ACCESS_A with a trustee given by name.
struct ExplicitAccessA {
  DWORD grfAccessPermissions;
  DWORD grfAccessMode;
  DWORD grfInheritance;
  const char* trusteeName;
};

// Process token and restart.
constexpr DWORD kTokenAdjustPrivileges = 0x20;
constexpr DWORD kTokenQuery = 0x8;
constexpr DWORD kSePrivilegeEnabled = 0x2;
constexpr UINT kEwxShutdown = 0x1;
constexpr UINT kEwxReboot = 0x2;

struct Luid {
  DWORD LowPart;
  LONG HighPart;
};
// TOKEN_PRIVILEGES with its one entry.
struct TokenPrivileges1 {
  DWORD PrivilegeCount;
  Luid luid;
  DWORD Attributes;
};

// Shell file operations.
constexpr UINT kFoDelete = 3;
constexpr WORD kFofNoConfirmation = 0x0010;
constexpr WORD kFofNoErrorUi = 0x0400;

struct ShFileOpStructA {
  Hwnd hwnd;
  UINT wFunc;
  const char* pFrom;  // a list of paths, each zero-terminated, ended by a second zero
  const char* pTo;
  WORD fFlags;
  BOOL fAnyOperationsAborted;
  void* hNameMappings;
  const char* lpszProgressTitle;
};

// COM.
struct Guid {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
constexpr bool operator==(const Guid& a, const Guid& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
constexpr Guid kClsidShellLink{0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid kIidIShellLinkA{0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid kIidIPersistFile{0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid kIidIUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr DWORD kClsctxInprocServer = 0x1;

// Setup API.
constexpr DWORD kSpostPath = 1;

// Message boxes and dialog results.
constexpr UINT kMbOk = 0x0;
constexpr UINT kMbOkCancel = 0x1;
constexpr UINT kMbIconHand = 0x10;
constexpr UINT kMbIconQuestion = 0x20;
constexpr UINT kMbIconExclamation = 0x30;
constexpr UINT kMbIconInformation = 0x40;
constexpr UINT kMbIconWarning = kMbIconExclamation;
constexpr UINT kMbTypeMask = 0xF;
constexpr UINT kMbIconMask = 0xF0;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Window messages and metrics the dialog uses.
constexpr int kIconSmall = 0;
constexpr int kIconBig = 1;
constexpr int kSmCxIcon = 11;
constexpr int kSmCyIcon = 12;

struct Rect {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

}  // namespace plat
