// win32check: runs every platform interface of the Windows build against the
// real API (under Wine in the tests) and checks what comes back. Prints one line
// per failed check and a summary; the exit status is the number of failures.
//
// It works in a folder of its own under the temporary folder and under the key
// HKEY_CURRENT_USER\Software\ZorpPlatformCheck, and removes both at the end.

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/Owners.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowsApi.h"
#include "res/StringTable.h"

namespace {

int g_checks = 0;
int g_failures = 0;

void Check(bool ok, const char* what, int line, const std::string& detail = "") {
  ++g_checks;
  if (ok) return;
  ++g_failures;
  std::printf("FAIL line %d: %s%s%s\n", line, what, detail.empty() ? "" : " -- ", detail.c_str());
}

std::string Str(long long value) { return std::to_string(value); }

#define CHECK(cond) Check((cond), #cond, __LINE__)
#define CHECK_EQ(a, b)                                     \
  do {                                                     \
    auto check_a = (a);                                    \
    auto check_b = (b);                                    \
    Check(check_a == check_b, #a " == " #b, __LINE__,      \
          Describe(check_a) + " vs " + Describe(check_b)); \
  } while (0)

std::string Describe(const std::string& s) { return "\"" + s + "\""; }
std::string Describe(const char* s) { return s ? Describe(std::string(s)) : "null"; }
template <typename T>
std::string Describe(T value) {
  return Str(static_cast<long long>(value));
}

void Section(const char* name) { std::printf("== %s\n", name); }

std::string g_work;  // the check's own folder, with a trailing backslash

std::string Work(const char* name) { return g_work + name; }

void WriteText(const std::string& path, const char* text) {
  win32::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  ::WriteFile(file.Get(), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void CheckSystem(plat::ISystem& system) {
  Section("ISystem");
  plat::OsVersionInfoEx info = {};
  info.dwOSVersionInfoSize = plat::kOsVersionInfoExSize;
  CHECK(system.GetVersionExA(&info));
  CHECK(info.dwMajorVersion >= 4);
  plat::OsVersionInfoEx basic = {};
  basic.dwOSVersionInfoSize = plat::kOsVersionInfoSize;
  CHECK(system.GetVersionExA(&basic));
  CHECK_EQ(basic.dwMajorVersion, info.dwMajorVersion);
  CHECK_EQ(basic.dwPlatformId, info.dwPlatformId);
  plat::OsVersionInfoEx wrong = {};
  wrong.dwOSVersionInfoSize = 10;
  CHECK(!system.GetVersionExA(&wrong));

  char folder[MAX_PATH] = {};
  DWORD length = system.GetCurrentDirectoryA(MAX_PATH, folder);
  CHECK(length > 0 && length == std::strlen(folder));
  char tiny[2] = {};
  CHECK(system.GetCurrentDirectoryA(sizeof tiny, tiny) > sizeof tiny);  // the size needed
  UINT windows = system.GetWindowsDirectoryA(folder, MAX_PATH);
  CHECK(windows > 3 && folder[1] == ':');
  UINT systemLength = system.GetSystemDirectoryA(folder, MAX_PATH);
  CHECK(systemLength > windows);

  system.SetLastError(1234);
  CHECK_EQ(system.GetLastError(), 1234u);

  char* text = nullptr;
  DWORD count =
      system.FormatMessageA(plat::kFormatMessageAllocateBuffer | plat::kFormatMessageFromSystem |
                                plat::kFormatMessageIgnoreInserts,
                            plat::kErrorFileNotFound, plat::kLangUserDefault, &text);
  CHECK(count > 0 && text != nullptr);
  if (text != nullptr) CHECK_EQ(std::strlen(text), static_cast<std::size_t>(count));
  CHECK(system.LocalFree(text) == nullptr);
  // A source the interface has no place for is never read.
  text = nullptr;
  count = system.FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                plat::kErrorAccessDenied, plat::kLangUserDefault, &text);
  CHECK(count > 0 && text != nullptr);
  system.LocalFree(text);
  CHECK_EQ(system.FormatMessageA(plat::kFormatMessageFromSystem, 0xDEAD, 0, nullptr), 0u);

  char16_t wide[8] = {};
  CHECK_EQ(system.MultiByteToWideChar(plat::kCpAcp, 0, "abc", -1, wide, 8), 4);
  CHECK(wide[0] == u'a' && wide[2] == u'c' && wide[3] == 0);

  plat::Module kernel = system.LoadLibraryA("KERNEL32.DLL");
  CHECK(kernel != 0);
  CHECK(system.GetProcAddress(kernel, "GetVersionExA") != 0);
  CHECK(system.GetProcAddress(kernel, "NoSuchFunction") == 0);
  CHECK(system.FreeLibrary(kernel));
  CHECK(system.LoadLibraryA("NOSUCHLIBRARY") == 0);
  // Windows NT says 126, Windows 9x 1157 (ERROR_DLL_NOT_FOUND).
  DWORD missing = system.GetLastError();
  Check(missing == plat::kErrorModNotFound || missing == 1157, "missing library's error", __LINE__,
        Str(missing));
  CHECK(!system.CloseHandle(0));
}

void CheckProfile(plat::IProfile& profile) {
  Section("IProfile");
  std::string ini = Work("settings.ini");
  WriteText(ini, "[DisplayError]\r\nDisplay=0\r\nOther= 12abc\r\n");
  CHECK_EQ(profile.GetPrivateProfileIntA("DisplayError", "Display", 1, ini.c_str()), 0u);
  CHECK_EQ(profile.GetPrivateProfileIntA("DisplayError", "Other", 1, ini.c_str()), 12u);
  CHECK_EQ(profile.GetPrivateProfileIntA("DisplayError", "Missing", 7, ini.c_str()), 7u);
  CHECK_EQ(profile.GetPrivateProfileIntA("DisplayError", "Display", 1, Work("none.ini").c_str()),
           1u);
}

void CheckFiles(plat::IFileSystem& files, plat::ISystem& system) {
  Section("IFileSystem");
  std::string dir = Work("tree");
  CHECK(files.CreateDirectoryA(dir.c_str()));
  CHECK(!files.CreateDirectoryA(dir.c_str()));
  CHECK_EQ(system.GetLastError(), plat::kErrorAlreadyExists);
  std::string a = dir + "\\a.txt", b = dir + "\\B.inf";
  WriteText(a, "hello");
  CHECK(files.CopyFileA(a.c_str(), b.c_str(), FALSE));
  CHECK(!files.CopyFileA(a.c_str(), b.c_str(), TRUE));
  CHECK(!files.CopyFileA((dir + "\\missing").c_str(), b.c_str(), FALSE));
  CHECK_EQ(system.GetLastError(), plat::kErrorFileNotFound);
  DWORD attributes = files.GetFileAttributesA(b.c_str());
  CHECK(attributes != plat::kInvalidFileAttributes &&
        !(attributes & plat::kFileAttributeDirectory));
  CHECK(files.GetFileAttributesA(dir.c_str()) & plat::kFileAttributeDirectory);
  CHECK_EQ(files.GetFileAttributesA((dir + "\\missing").c_str()), plat::kInvalidFileAttributes);
  CHECK(files.SetFileAttributesA(b.c_str(), plat::kFileAttributeReadonly));
  CHECK(files.GetFileAttributesA(b.c_str()) & plat::kFileAttributeReadonly);
  CHECK(!files.DeleteFileA(b.c_str()));
  CHECK_EQ(system.GetLastError(), plat::kErrorAccessDenied);
  CHECK(files.SetFileAttributesA(b.c_str(), plat::kFileAttributeNormal));

  // The listing of the folder: the dot entries, both files, their sizes and times.
  plat::FindDataA data = {};
  plat::Handle find = files.FindFirstFileA((dir + "\\*.*").c_str(), &data);
  CHECK(find != plat::kInvalidHandle);
  std::set<std::string> names;
  bool sizes = true, times = true;
  if (find != plat::kInvalidHandle) {
    do {
      names.insert(data.cFileName);
      if (!(data.dwFileAttributes & plat::kFileAttributeDirectory)) {
        sizes = sizes && data.nFileSizeLow == 5 && data.nFileSizeHigh == 0;
        times = times && data.ftLastWriteTime > 125'000'000'000'000'000ULL;  // after 1997
      }
    } while (files.FindNextFileA(find, &data));
    CHECK_EQ(system.GetLastError(), plat::kErrorNoMoreFiles);
    CHECK(files.FindClose(find));
  }
  CHECK((names == std::set<std::string>{".", "..", "a.txt", "B.inf"}));
  CHECK(sizes);
  CHECK(times);
  CHECK_EQ(files.FindFirstFileA((dir + "\\*.none").c_str(), &data), plat::kInvalidHandle);

  char full[MAX_PATH] = {};
  char* part = nullptr;
  DWORD length = files.GetFullPathNameA((dir + "\\.\\a.txt").c_str(), MAX_PATH, full, &part);
  CHECK_EQ(std::string(full), a);
  CHECK(length == a.size() && part != nullptr && std::string(part) == "a.txt");

  plat::Handle file = files.CreateFileA(a.c_str(), plat::kGenericRead, 0, plat::kOpenExisting, 0);
  CHECK(file != plat::kInvalidHandle);
  char buffer[16] = {};
  plat::DWORD read = 99;
  CHECK(files.ReadFile(file, buffer, sizeof buffer, &read));
  CHECK_EQ(read, 5u);
  CHECK_EQ(std::string(buffer, read), std::string("hello"));
  CHECK(files.ReadFile(file, buffer, sizeof buffer, &read));
  CHECK_EQ(read, 0u);  // the end of the file
  CHECK(system.CloseHandle(file));
  CHECK_EQ(
      files.CreateFileA((dir + "\\missing").c_str(), plat::kGenericRead, 0, plat::kOpenExisting, 0),
      plat::kInvalidHandle);
  CHECK_EQ(system.GetLastError(), plat::kErrorFileNotFound);
  CHECK(files.DeleteFileA(b.c_str()));
  CHECK(!files.DeleteFileA(b.c_str()));
  CHECK_EQ(system.GetLastError(), plat::kErrorFileNotFound);
}

constexpr const char* kCheckKey = "Software\\ZorpPlatformCheck";

void CheckRegistry(plat::IRegistry& registry) {
  Section("IRegistry");
  plat::HKey key = 0;
  plat::DWORD disposition = 0;
  CHECK_EQ(registry.RegCreateKeyExA(plat::kHkeyCurrentUser, kCheckKey, nullptr, 0,
                                    plat::kKeyAllAccess, &key, &disposition),
           0);
  CHECK_EQ(disposition, plat::kRegCreatedNewKey);
  plat::HKey again = 0;
  CHECK_EQ(registry.RegCreateKeyExA(plat::kHkeyCurrentUser, kCheckKey, nullptr, 0,
                                    plat::kKeyAllAccess, &again, &disposition),
           0);
  CHECK_EQ(disposition, plat::kRegOpenedExistingKey);
  CHECK_EQ(registry.RegCloseKey(again), 0);

  const char text[] = "hello";
  CHECK_EQ(registry.RegSetValueExA(key, "Text", plat::kRegSz,
                                   reinterpret_cast<const plat::BYTE*>(text), sizeof text),
           0);
  plat::BYTE number[4] = {1, 2, 0, 0};
  CHECK_EQ(registry.RegSetValueExA(key, "Number", plat::kRegDword, number, 4), 0);
  plat::DWORD type = 0, size = 0;
  CHECK_EQ(registry.RegQueryValueExA(key, "Text", &type, nullptr, &size), 0);
  CHECK_EQ(type, plat::kRegSz);
  CHECK_EQ(size, 6u);
  plat::BYTE small[3] = {};
  size = sizeof small;
  CHECK_EQ(registry.RegQueryValueExA(key, "Text", nullptr, small, &size),
           static_cast<plat::LONG>(plat::kErrorMoreData));
  CHECK_EQ(size, 6u);
  plat::BYTE got[16] = {};
  size = sizeof got;
  CHECK_EQ(registry.RegQueryValueExA(key, "Number", &type, got, &size), 0);
  CHECK(type == plat::kRegDword && size == 4 && got[0] == 1 && got[1] == 2);
  CHECK_EQ(registry.RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr),
           static_cast<plat::LONG>(plat::kErrorFileNotFound));

  plat::HKey sub = 0;
  CHECK_EQ(registry.RegCreateKeyExA(key, "Sub", nullptr, 0, plat::kKeyAllAccess, &sub, nullptr), 0);
  CHECK_EQ(registry.RegCloseKey(sub), 0);
  char name[MAX_PATH] = {};
  CHECK_EQ(registry.RegEnumKeyA(key, 0, name, MAX_PATH), 0);
  CHECK_EQ(std::string(name), std::string("Sub"));
  CHECK_EQ(registry.RegEnumKeyA(key, 1, name, MAX_PATH),
           static_cast<plat::LONG>(plat::kErrorNoMoreItems));
  plat::DWORD nameSize = MAX_PATH;
  CHECK_EQ(registry.RegEnumKeyExA(key, 0, name, &nameSize), 0);
  CHECK_EQ(nameSize, 3u);
  std::set<std::string> values;
  for (plat::DWORD i = 0;; ++i) {
    nameSize = MAX_PATH;
    size = sizeof got;
    if (registry.RegEnumValueA(key, i, name, &nameSize, &type, got, &size) != 0) break;
    CHECK_EQ(nameSize, std::strlen(name));
    values.insert(name);
  }
  CHECK((values == std::set<std::string>{"Number", "Text"}));
  nameSize = MAX_PATH;
  CHECK_EQ(registry.RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr), 0);

  CHECK_EQ(registry.RegDeleteValueA(key, "Number"), 0);
  CHECK_EQ(registry.RegDeleteValueA(key, "Number"),
           static_cast<plat::LONG>(plat::kErrorFileNotFound));
  plat::HKey missing = 77;
  CHECK_EQ(registry.RegOpenKeyExA(key, "Missing", 0, plat::kKeyRead, &missing),
           static_cast<plat::LONG>(plat::kErrorFileNotFound));
  CHECK_EQ(missing, 0u);
  plat::HKey opened = 0;
  CHECK_EQ(registry.RegOpenKeyExA(plat::kHkeyCurrentUser, kCheckKey, 0, plat::kKeyRead, &opened),
           0);
  CHECK(opened != 0);
  CHECK_EQ(registry.RegCloseKey(opened), 0);
  CHECK_EQ(registry.RegDeleteKeyA(key, "Sub"), 0);
  CHECK_EQ(registry.RegDeleteKeyA(key, "Sub"), static_cast<plat::LONG>(plat::kErrorFileNotFound));
  CHECK_EQ(registry.RegCloseKey(key), 0);
  // The key stays for the security checks; main removes it.
}

void CheckSecurity(plat::ISecurity& security, plat::ISystem& system) {
  Section("ISecurity");
  std::string name = std::string("CURRENT_USER\\") + kCheckKey;
  void* dacl = nullptr;
  void* descriptor = nullptr;
  CHECK_EQ(security.GetNamedSecurityInfoA(name.c_str(), plat::kSeRegistryKey,
                                          plat::kDaclSecurityInformation, &dacl, &descriptor),
           0u);
  CHECK(descriptor != nullptr);
  plat::ExplicitAccessA access = {};
  security.BuildExplicitAccessWithNameA(&access, "CURRENT_USER", plat::kGenericAll,
                                        plat::kGrantAccess, plat::kSubContainersAndObjectsInherit);
  CHECK_EQ(access.grfAccessPermissions, plat::kGenericAll);
  CHECK_EQ(access.grfAccessMode, plat::kGrantAccess);
  CHECK_EQ(access.grfInheritance, plat::kSubContainersAndObjectsInherit);
  CHECK_EQ(access.trusteeName, "CURRENT_USER");
  void* newAcl = nullptr;
  CHECK_EQ(security.SetEntriesInAclA(1, &access, dacl, &newAcl), 0u);
  CHECK(newAcl != nullptr);
  CHECK_EQ(security.SetNamedSecurityInfoA(name.c_str(), plat::kSeRegistryKey,
                                          plat::kDaclSecurityInformation, nullptr, nullptr, newAcl,
                                          nullptr),
           0u);
  CHECK(system.LocalFree(newAcl) == nullptr);
  CHECK(system.LocalFree(descriptor) == nullptr);
  descriptor = reinterpret_cast<void*>(1);
  CHECK_EQ(security.GetNamedSecurityInfoA((name + "\\Missing").c_str(), plat::kSeRegistryKey,
                                          plat::kDaclSecurityInformation, &dacl, &descriptor),
           plat::kErrorFileNotFound);
  CHECK(descriptor == nullptr);

  // As on Windows 98: the functions are not there, every call fails with 120.
  win32::Win32Security absent("NOSUCHLIBRARY.DLL");
  CHECK_EQ(absent.GetNamedSecurityInfoA(name.c_str(), plat::kSeRegistryKey,
                                        plat::kDaclSecurityInformation, &dacl, &descriptor),
           plat::kErrorCallNotImplemented);
  CHECK(dacl == nullptr && descriptor == nullptr);
  plat::ExplicitAccessA filled = {};
  absent.BuildExplicitAccessWithNameA(&filled, "CURRENT_USER", plat::kGenericAll,
                                      plat::kGrantAccess, plat::kSubContainersAndObjectsInherit);
  CHECK_EQ(filled.grfAccessPermissions, plat::kGenericAll);
  CHECK_EQ(absent.SetEntriesInAclA(1, &filled, nullptr, &newAcl), plat::kErrorCallNotImplemented);
  CHECK(newAcl == nullptr);
  CHECK_EQ(absent.SetNamedSecurityInfoA(name.c_str(), plat::kSeRegistryKey,
                                        plat::kDaclSecurityInformation, nullptr, nullptr, nullptr,
                                        nullptr),
           plat::kErrorCallNotImplemented);
}

void CheckProcess(plat::IProcess& process, plat::ISystem& system) {
  Section("IProcess");
  plat::Handle token = 0;
  CHECK(process.OpenProcessToken(plat::kTokenAdjustPrivileges | plat::kTokenQuery, &token));
  CHECK(token != 0);
  plat::Luid luid = {};
  CHECK(process.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid));
  CHECK(luid.LowPart != 0);
  CHECK(!process.LookupPrivilegeValueA(nullptr, "NoSuchPrivilege", &luid));
  plat::TokenPrivileges1 privileges = {1, luid, plat::kSePrivilegeEnabled};
  CHECK(process.AdjustTokenPrivileges(token, FALSE, &privileges));
  CHECK(system.CloseHandle(token));

  win32::Win32Process absent("NOSUCHLIBRARY.DLL");
  token = 5;
  system.SetLastError(0);
  CHECK(!absent.OpenProcessToken(plat::kTokenAdjustPrivileges, &token));
  CHECK_EQ(system.GetLastError(), plat::kErrorCallNotImplemented);
  CHECK_EQ(token, 0u);
  CHECK(!absent.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid));
  CHECK_EQ(system.GetLastError(), plat::kErrorCallNotImplemented);
  CHECK(!absent.AdjustTokenPrivileges(1, FALSE, &privileges));
  CHECK_EQ(system.GetLastError(), plat::kErrorCallNotImplemented);
}

std::string LinkTarget(const std::string& linkFile) {
  // Read back with the system's own shell link object.
  void* created = nullptr;
  if (FAILED(::CoCreateInstance(win32::ToGuid(plat::kClsidShellLink), nullptr, CLSCTX_INPROC_SERVER,
                                win32::ToGuid(plat::kIidIShellLinkA), &created)))
    return "<no link object>";
  win32::ComPtr<::IShellLinkA> link(static_cast<::IShellLinkA*>(created));
  void* persist = nullptr;
  if (FAILED(link->QueryInterface(win32::ToGuid(plat::kIidIPersistFile), &persist)))
    return "<no IPersistFile>";
  win32::ComPtr<::IPersistFile> file(static_cast<::IPersistFile*>(persist));
  WCHAR wide[MAX_PATH] = {};
  ::MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH);
  if (FAILED(file->Load(wide, STGM_READ))) return "<not loaded>";
  char path[MAX_PATH] = {};
  char description[MAX_PATH] = {};
  link->GetPath(path, MAX_PATH, nullptr, 0);
  link->GetDescription(description, MAX_PATH);
  return std::string(path) + "|" + description;
}

void CheckShell(plat::IShell& shell, plat::IFileSystem& files, plat::ISystem& system) {
  Section("IShell");
  // SHFileOperationA deletes a tree with a read-only file in it.
  std::string tree = Work("doomed");
  files.CreateDirectoryA(tree.c_str());
  files.CreateDirectoryA((tree + "\\inner").c_str());
  WriteText(tree + "\\inner\\locked.txt", "x");
  files.SetFileAttributesA((tree + "\\inner\\locked.txt").c_str(), plat::kFileAttributeReadonly);
  std::string list = tree + '\0';
  plat::ShFileOpStructA operation = {};
  operation.wFunc = plat::kFoDelete;
  operation.pFrom = list.c_str();
  operation.fFlags = plat::kFofNoConfirmation | plat::kFofNoErrorUi;
  operation.lpszProgressTitle = "check";
  CHECK_EQ(shell.SHFileOperationA(&operation), 0);
  CHECK(!operation.fAnyOperationsAborted);
  CHECK_EQ(files.GetFileAttributesA(tree.c_str()), plat::kInvalidFileAttributes);

  plat::HRESULT init = shell.CoInitialize(nullptr);
  CHECK(init == plat::kSOk || init == plat::kSFalse);
  void* object = nullptr;
  CHECK_EQ(shell.CoCreateInstance(plat::kClsidShellLink, nullptr, plat::kClsctxInprocServer,
                                  plat::kIidIShellLinkA, &object),
           plat::kSOk);
  auto* link = static_cast<plat::IShellLinkA*>(object);
  CHECK(link != nullptr);
  if (link == nullptr) return;
  std::string target = Work("target.exe");
  WriteText(target, "MZ");
  CHECK_EQ(link->SetPath(target.c_str()), plat::kSOk);
  CHECK_EQ(link->SetDescription("Check link"), plat::kSOk);
  void* persistObject = nullptr;
  CHECK_EQ(link->QueryInterface(plat::kIidIPersistFile, &persistObject), plat::kSOk);
  auto* persist = static_cast<plat::IPersistFile*>(persistObject);
  void* none = reinterpret_cast<void*>(1);
  CHECK_EQ(link->QueryInterface(plat::Guid{0x12345678, 1, 2, {3}}, &none), plat::kENoInterface);
  CHECK(none == nullptr);
  void* same = nullptr;
  CHECK_EQ(persist->QueryInterface(plat::kIidIShellLinkA, &same), plat::kSOk);
  if (same != nullptr) static_cast<plat::IShellLinkA*>(same)->Release();
  std::string linkFile = Work("check.lnk");
  char16_t wide[MAX_PATH] = {};
  system.MultiByteToWideChar(plat::kCpAcp, 0, linkFile.c_str(), -1, wide, MAX_PATH);
  CHECK_EQ(persist->Save(wide, TRUE), plat::kSOk);
  CHECK_EQ(persist->Release(), 0u);
  CHECK_EQ(link->Release(), 0u);
  CHECK(files.GetFileAttributesA(linkFile.c_str()) != plat::kInvalidFileAttributes);
  CHECK_EQ(LinkTarget(linkFile), target + "|Check link");

  int outer = 0;
  CHECK_EQ(shell.CoCreateInstance(plat::kClsidShellLink, &outer, plat::kClsctxInprocServer,
                                  plat::kIidIShellLinkA, &object),
           plat::kClassENoAggregation);
  CHECK(shell.CoCreateInstance(plat::Guid{0x12345678, 1, 2, {3}}, nullptr,
                               plat::kClsctxInprocServer, plat::kIidIShellLinkA, &object) < 0);
  CHECK(object == nullptr);
}

void CheckSetupApi(plat::ISetupApi& setupApi, plat::ISystem& system, plat::IFileSystem& files) {
  Section("ISetupApi");
  std::string inf = Work("ZorpCheck.inf");
  WriteText(inf, "[Version]\r\nSignature=\"$CHICAGO$\"\r\nClass=Ports\r\n");
  plat::Module library = system.LoadLibraryA("SETUPAPI");
  CHECK(library != 0);
  plat::Proc copy = system.GetProcAddress(library, "SetupCopyOEMInfA");
  CHECK(copy != 0);
  char destination[MAX_PATH] = {};
  plat::DWORD required = 0;
  char* component = nullptr;
  CHECK(setupApi.SetupCopyOEMInfA(copy, inf.c_str(), nullptr, plat::kSpostPath, 0, destination,
                                  MAX_PATH, &required, &component));
  CHECK(required == std::strlen(destination) + 1);
  CHECK(component != nullptr && component > destination);
  files.SetFileAttributesA(destination, plat::kFileAttributeNormal);
  files.DeleteFileA(destination);
  CHECK(!setupApi.SetupCopyOEMInfA(copy, Work("missing.inf").c_str(), nullptr, plat::kSpostPath, 0,
                                   destination, MAX_PATH, nullptr, nullptr));
  CHECK(system.FreeLibrary(library));
  CHECK(!setupApi.SetupCopyOEMInfA(0, inf.c_str(), nullptr, plat::kSpostPath, 0, destination,
                                   MAX_PATH, nullptr, nullptr));
  CHECK_EQ(system.GetLastError(), plat::kErrorProcNotFound);
}

// What a message box showed, read by a second thread that then presses OK.
struct SeenBox {
  std::string caption;
  std::string text;
  HWND owner = nullptr;
  HICON icon = nullptr;
  bool found = false;
};

DWORD WINAPI AnswerBox(void* parameter) {
  auto* seen = static_cast<SeenBox*>(parameter);
  for (int i = 0; i < 200 && !seen->found; ++i) {
    ::Sleep(50);
    HWND box = ::FindWindowA("#32770", seen->caption.c_str());
    if (box == nullptr || ::GetDlgItem(box, 0xFFFF) == nullptr) continue;
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seen->text = text;
    seen->owner = ::GetWindow(box, GW_OWNER);
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ::IsWindowVisible(child))
        seen->icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
    }
    seen->found = true;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  return 0;
}

SeenBox ShowAndAnswer(const char* caption, auto show, int* result) {
  SeenBox seen;
  seen.caption = caption;
  HANDLE thread = ::CreateThread(nullptr, 0, AnswerBox, &seen, 0, nullptr);
  *result = show();
  ::WaitForSingleObject(thread, 15000);
  ::CloseHandle(thread);
  return seen;
}

class CheckDialog : public plat::IDialogEvents {
 public:
  CheckDialog(plat::IUi& ui) : ui_(ui) {}

  void Attach(plat::IDialogWindow* window) override {
    window_ = window;
    events_.push_back("attach");
  }
  plat::BOOL OnInitDialog() override {
    events_.push_back("init");
    HWND hwnd = win32::ToHwnd(window_->Window());
    CHECK(hwnd != nullptr && ui_.MainWindow() == window_->Window());
    icon_ = window_->LoadIconA(128);
    CHECK(icon_ != 0);
    window_->SetIcon(plat::kIconBig, icon_);
    CHECK_EQ(static_cast<plat::Icon>(::SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0)), icon_);
    window_->SetDlgItemTextA(1000, "check text");
    // The presses a user would make, handled after this returns: the Escape key
    // (the dialog manager turns it into IDCANCEL), IDCANCEL, Exit, IDOK.
    ::PostMessageA(::GetDlgItem(hwnd, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hwnd, 1001)));
    ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hwnd, IDOK)));
    return TRUE;
  }
  void OnOK() override {
    events_.push_back("ok");
    HWND hwnd = win32::ToHwnd(window_->Window());
    char text[64] = {};
    ::GetDlgItemTextA(hwnd, 1000, text, sizeof text);
    CHECK_EQ(std::string(text), std::string("check text"));
    CHECK_EQ(static_cast<plat::Icon>(::SendMessageA(hwnd, WM_QUERYDRAGICON, 0, 0)), icon_);
    window_->EnableDlgItem(1001, FALSE);
    CHECK(!::IsWindowEnabled(::GetDlgItem(hwnd, 1001)));
    window_->EnableDlgItem(1001, TRUE);
    window_->SetFocusToDlgItem(1001);
    CHECK(::GetFocus() == ::GetDlgItem(hwnd, 1001));
    CHECK(!window_->IsIconic());
    plat::Rect client = window_->GetClientRect();
    CHECK(client.right > client.left && client.bottom > client.top);
    CHECK(window_->GetSystemMetrics(plat::kSmCxIcon) > 0);
    // WM_PAINT reaches OnPaint; its DefaultPaint leaves the painting to the
    // system, which validates the window.
    int paintsBefore = paints_;
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(paints_ > paintsBefore);
    CHECK(!::GetUpdateRect(hwnd, nullptr, FALSE));

    // The framework's box: owned by the dialog, captioned with the program's title.
    int answer = 0;
    SeenBox box = ShowAndAnswer(
        ui_.AppTitle(), [&] { return ui_.AfxMessageBox("framework box", MB_OK); }, &answer);
    CHECK(box.found);
    CHECK_EQ(answer, IDOK);
    CHECK_EQ(box.text, std::string("framework box"));
    CHECK(box.owner == hwnd);
    CHECK(box.icon == ::LoadIconA(nullptr, IDI_EXCLAMATION));
    box = ShowAndAnswer(
        "Registry Error",
        [&] {
          return ui_.MessageBoxA(plat::kNoWindow, "plain box", "Registry Error",
                                 MB_OK | MB_ICONINFORMATION);
        },
        &answer);
    CHECK(box.found);
    CHECK_EQ(box.text, std::string("plain box"));
    CHECK(box.owner == nullptr);
    CHECK(box.icon == ::LoadIconA(nullptr, IDI_ASTERISK));
    window_->EndDialog(7);
  }
  void OnCancel() override { events_.push_back("cancel"); }
  void OnCommand(int controlId, int notifyCode) override {
    events_.push_back("command " + std::to_string(controlId) + " " + std::to_string(notifyCode));
  }
  void OnPaint() override {
    ++paints_;
    window_->DefaultPaint();
  }
  plat::Icon OnQueryDragIcon() override { return icon_; }

  std::vector<std::string> events_;
  int paints_ = 0;

 private:
  plat::IUi& ui_;
  plat::IDialogWindow* window_ = nullptr;
  plat::Icon icon_ = 0;
};

void CheckUi(plat::IUi& ui) {
  Section("IUi");
  CHECK_EQ(std::string(ui.AppTitle()), std::string("win32check"));
  char text[1024] = {};
  for (int id = res::kFirstString; id <= res::kLastString; ++id) {
    int length = ui.LoadStringA(id, text, sizeof text);
    CHECK_EQ(std::string(text, length > 0 ? length : 0), std::string(res::kStrings[id]));
  }
  CHECK_EQ(ui.LoadStringA(99, text, sizeof text), 0);
  CHECK_EQ(ui.LoadStringA(1, text, 0), 0);

  CHECK_EQ(ui.MainWindow(), plat::kNoWindow);
  CheckDialog dialog(ui);
  CHECK_EQ(ui.DoModal(102, dialog), 7);
  CHECK_EQ(ui.MainWindow(), plat::kNoWindow);
  CHECK((dialog.events_ ==
         std::vector<std::string>{"attach", "init", "cancel", "cancel", "command 1001 0", "ok"}));
  CheckDialog unused(ui);
  CHECK_EQ(ui.DoModal(4321, unused), -1);  // no such template
  CHECK(unused.events_.empty());

  struct Title {
    const char* path;
    const char* title;
  };
  const Title titles[] = {{"C:\\SETUP\\Setup.exe", "Setup"},   {"E:\\SETUP.EXE", "SETUP"},
                          {"C:\\a.b\\Setup", "Setup"},         {"Setup.exe", "Setup"},
                          {"C:\\x\\my.setup.exe", "my.setup"}, {"", ""}};
  for (const Title& t : titles) {
    char title[MAX_PATH] = {};
    win32::TitleFromModulePath(t.path, title, sizeof title);
    CHECK_EQ(std::string(title), std::string(t.title));
  }
  char shortTitle[4] = {};
  win32::TitleFromModulePath("C:\\Setup.exe", shortTitle, sizeof shortTitle);
  CHECK_EQ(std::string(shortTitle), std::string("Set"));
}

}  // namespace

int main() {
  win32::Win32Platform platform(::GetModuleHandleA(nullptr));
  plat::Platform& os = platform.Os();
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  g_work = std::string(temp) + "zorpcheck-" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(g_work.c_str(), nullptr);
  g_work += "\\";

  CheckSystem(os.system);
  CheckProfile(os.profile);
  CheckFiles(os.files, os.system);
  CheckRegistry(os.registry);
  CheckSecurity(os.security, os.system);
  CheckProcess(os.process, os.system);
  CheckShell(os.shell, os.files, os.system);
  CheckSetupApi(os.setupApi, os.system, os.files);
  CheckUi(os.ui);

  ::RegDeleteKeyA(HKEY_CURRENT_USER, kCheckKey);
  std::string list = g_work.substr(0, g_work.size() - 1) + '\0';
  SHFILEOPSTRUCTA cleanup = {};
  cleanup.wFunc = FO_DELETE;
  cleanup.pFrom = list.c_str();
  cleanup.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  ::SHFileOperationA(&cleanup);

  std::printf("win32check: %d checks, %d failed\n", g_checks, g_failures);
  return g_failures;
}
