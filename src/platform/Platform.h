// The Windows services the program uses, one small interface per service. Each
// operation is named after, and behaves as, the Windows call it stands for: same
// inputs, same outcomes, Win32 error codes by value. Two implementations exist:
// win32/ (the real API) and sim/ (a simulated machine held in a folder).
//
// The program receives a Platform by reference; nothing in it reaches Windows
// any other way.
#pragma once

#include "platform/Win32Types.h"

namespace plat {

// System information, folders, error texts, libraries, handles.
class ISystem {
 public:
  virtual ~ISystem() = default;
  // Reads info->dwOSVersionInfoSize (156 or 148) to decide which record to fill.
  virtual BOOL GetVersionExA(OsVersionInfoEx* info) = 0;
  // The three return the length copied (without the zero), the size needed when
  // the buffer is too small, or 0 on failure.
  virtual DWORD GetCurrentDirectoryA(DWORD bufferSize, char* buffer) = 0;
  virtual UINT GetWindowsDirectoryA(char* buffer, UINT bufferSize) = 0;
  virtual UINT GetSystemDirectoryA(char* buffer, UINT bufferSize) = 0;
  virtual DWORD GetLastError() = 0;
  virtual void SetLastError(DWORD code) = 0;
  // FORMAT_MESSAGE_FROM_SYSTEM with ALLOCATE_BUFFER: *allocated receives a buffer
  // to be released with LocalFree. Returns the number of characters, 0 on failure.
  virtual DWORD FormatMessageA(DWORD flags, DWORD messageId, DWORD languageId,
                               char** allocated) = 0;
  // Frees what FormatMessageA and the security calls allocated. Returns null.
  virtual void* LocalFree(void* memory) = 0;
  virtual int MultiByteToWideChar(UINT codePage, DWORD flags, const char* source, int sourceLength,
                                  char16_t* target, int targetLength) = 0;
  virtual Module LoadLibraryA(const char* name) = 0;
  virtual Proc GetProcAddress(Module module, const char* name) = 0;
  virtual BOOL FreeLibrary(Module module) = 0;
  virtual BOOL CloseHandle(Handle handle) = 0;
};

// Initialisation files.
class IProfile {
 public:
  virtual ~IProfile() = default;
  virtual UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                     const char* fileName) = 0;
};

// Files and folders. Failures set the last error of ISystem.
class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual BOOL CreateDirectoryA(const char* path) = 0;  // default security
  virtual BOOL CopyFileA(const char* source, const char* target, BOOL failIfExists) = 0;
  virtual DWORD GetFileAttributesA(const char* path) = 0;  // kInvalidFileAttributes on failure
  virtual BOOL SetFileAttributesA(const char* path, DWORD attributes) = 0;
  virtual BOOL DeleteFileA(const char* path) = 0;
  // Returns kInvalidHandle when nothing matches or the folder cannot be listed.
  virtual Handle FindFirstFileA(const char* pattern, FindDataA* data) = 0;
  virtual BOOL FindNextFileA(Handle find, FindDataA* data) = 0;
  virtual BOOL FindClose(Handle find) = 0;
  virtual DWORD GetFullPathNameA(const char* path, DWORD bufferSize, char* buffer,
                                 char** filePart) = 0;
  // Opens for reading (the program asks for GENERIC_READ, no sharing,
  // OPEN_EXISTING). Returns kInvalidHandle on failure; close with ISystem::CloseHandle.
  virtual Handle CreateFileA(const char* path, DWORD desiredAccess, DWORD shareMode,
                             DWORD creationDisposition, DWORD flagsAndAttributes) = 0;
  virtual BOOL ReadFile(Handle file, void* buffer, DWORD bytesToRead, DWORD* bytesRead) = 0;
};

// The registry. Every call returns a Win32 error code (0 = success).
class IRegistry {
 public:
  virtual ~IRegistry() = default;
  virtual LONG RegOpenKeyExA(HKey parent, const char* subKey, DWORD options, DWORD desiredAccess,
                             HKey* result) = 0;
  virtual LONG RegCreateKeyExA(HKey parent, const char* subKey, const char* keyClass, DWORD options,
                               DWORD desiredAccess, HKey* result, DWORD* disposition) = 0;
  // data may be null to ask for the size only. A too-small buffer gives
  // kErrorMoreData and the size needed. Strings come back as stored.
  virtual LONG RegQueryValueExA(HKey key, const char* valueName, DWORD* type, BYTE* data,
                                DWORD* dataSize) = 0;
  virtual LONG RegSetValueExA(HKey key, const char* valueName, DWORD type, const BYTE* data,
                              DWORD dataSize) = 0;
  // nameSize counts the buffer in characters, zero included.
  virtual LONG RegEnumKeyA(HKey key, DWORD index, char* name, DWORD nameSize) = 0;
  // *nameSize: in, the buffer in characters; out, the length without the zero.
  virtual LONG RegEnumKeyExA(HKey key, DWORD index, char* name, DWORD* nameSize) = 0;
  // type, data and dataSize may be null.
  virtual LONG RegEnumValueA(HKey key, DWORD index, char* name, DWORD* nameSize, DWORD* type,
                             BYTE* data, DWORD* dataSize) = 0;
  virtual LONG RegDeleteKeyA(HKey parent, const char* subKey) = 0;
  virtual LONG RegDeleteValueA(HKey key, const char* valueName) = 0;
  virtual LONG RegCloseKey(HKey key) = 0;
};

// Access control on named objects (registry keys here). Absent on Windows 9x:
// there every call fails with kErrorCallNotImplemented.
class ISecurity {
 public:
  virtual ~ISecurity() = default;
  // *dacl points into *securityDescriptor; free the descriptor with LocalFree.
  virtual DWORD GetNamedSecurityInfoA(const char* objectName, DWORD objectType, DWORD securityInfo,
                                      void** dacl, void** securityDescriptor) = 0;
  virtual void BuildExplicitAccessWithNameA(ExplicitAccessA* access, const char* trusteeName,
                                            DWORD permissions, DWORD mode, DWORD inheritance) = 0;
  // *newAcl is freed with LocalFree.
  virtual DWORD SetEntriesInAclA(DWORD count, const ExplicitAccessA* entries, void* oldAcl,
                                 void** newAcl) = 0;
  virtual DWORD SetNamedSecurityInfoA(const char* objectName, DWORD objectType, DWORD securityInfo,
                                      void* owner, void* group, void* dacl, void* sacl) = 0;
};

// The process token and the restart.
class IProcess {
 public:
  virtual ~IProcess() = default;
  // For the current process. Close the token with ISystem::CloseHandle.
  virtual BOOL OpenProcessToken(DWORD desiredAccess, Handle* token) = 0;
  virtual BOOL LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) = 0;
  // No previous-state buffer.
  virtual BOOL AdjustTokenPrivileges(Handle token, BOOL disableAll,
                                     const TokenPrivileges1* newState) = 0;
  virtual BOOL ExitWindowsEx(UINT flags, DWORD reason) = 0;
};

// COM objects, as far as the shell link needs them.
class IUnknownA {
 public:
  virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;

 protected:
  ~IUnknownA() = default;
};

class IShellLinkA : public IUnknownA {
 public:
  virtual HRESULT SetPath(const char* file) = 0;
  virtual HRESULT SetDescription(const char* description) = 0;

 protected:
  ~IShellLinkA() = default;
};

class IPersistFile : public IUnknownA {
 public:
  virtual HRESULT Save(const char16_t* fileName, BOOL remember) = 0;

 protected:
  ~IPersistFile() = default;
};

// The shell: file operations and COM.
class IShell {
 public:
  virtual ~IShell() = default;
  // Returns 0 on success, an error code otherwise.
  virtual int SHFileOperationA(ShFileOpStructA* operation) = 0;
  virtual HRESULT CoInitialize(void* reserved) = 0;
  // *object receives an interface of the asked iid; Release it when done.
  virtual HRESULT CoCreateInstance(const Guid& clsid, void* outer, DWORD context, const Guid& iid,
                                   void** object) = 0;
};

// The Setup API, called through a function looked up with GetProcAddress.
class ISetupApi {
 public:
  virtual ~ISetupApi() = default;
  virtual BOOL SetupCopyOEMInfA(Proc function, const char* sourceInfFileName,
                                const char* oemSourceMediaLocation, DWORD oemSourceMediaType,
                                DWORD copyStyle, char* destinationInfFileName,
                                DWORD destinationInfFileNameSize, DWORD* requiredSize,
                                char** destinationInfFileNameComponent) = 0;
};

class IDialogWindow;

// What the window procedure of a modal dialog routes to the dialog's code.
class IDialogEvents {
 public:
  virtual ~IDialogEvents() = default;
  // Before WM_INITDIALOG: the window the handlers act on, valid until DoModal returns.
  virtual void Attach(IDialogWindow* window) = 0;
  virtual BOOL OnInitDialog() = 0;  // WM_INITDIALOG
  virtual void OnOK() = 0;          // WM_COMMAND IDOK
  virtual void OnCancel() = 0;      // WM_COMMAND IDCANCEL (Escape, close requests)
  virtual void OnCommand(int controlId, int notifyCode) = 0;  // any other WM_COMMAND
  virtual void OnPaint() = 0;                                 // WM_PAINT
  virtual Icon OnQueryDragIcon() = 0;                         // WM_QUERYDRAGICON
};
constexpr int kBnClicked = 0;

// Message boxes, the program's resources and its modal dialog.
class IUi {
 public:
  virtual ~IUi() = default;
  virtual int MessageBoxA(Hwnd owner, const char* text, const char* caption, UINT type) = 0;
  // The framework's message box: owned by the main window, captioned with the
  // program's title; kMbOk with the exclamation icon unless type says otherwise.
  virtual int AfxMessageBox(const char* text, UINT type) = 0;
  // Copies string resource id into buffer; returns its length, 0 when absent.
  virtual int LoadStringA(UINT id, char* buffer, int bufferSize) = 0;
  // The program's main window (the setup dialog), kNoWindow before it exists.
  virtual Hwnd MainWindow() = 0;
  // The program's title, from the executable's file name.
  virtual const char* AppTitle() = 0;
  // Runs dialog template templateId modally and routes its messages to events;
  // returns the value passed to IDialogWindow::EndDialog, -1 when it could not run.
  virtual int DoModal(int templateId, IDialogEvents& events) = 0;
};

// The setup dialog's window, as its handlers use it.
class IDialogWindow {
 public:
  virtual ~IDialogWindow() = default;
  virtual Hwnd Window() = 0;
  virtual Icon LoadIconA(int resourceId) = 0;
  virtual void SetIcon(int which, Icon icon) = 0;  // WM_SETICON, kIconBig or kIconSmall
  virtual void SetDlgItemTextA(int id, const char* text) = 0;
  virtual void EnableDlgItem(int id, BOOL enable) = 0;
  virtual void SetFocusToDlgItem(int id) = 0;
  virtual BOOL IsIconic() = 0;
  virtual int GetSystemMetrics(int index) = 0;
  virtual Rect GetClientRect() = 0;
  // BeginPaint, WM_ICONERASEBKGND with the paint context, DrawIcon at x,y, EndPaint.
  virtual void PaintIcon(Icon icon, int x, int y) = 0;
  virtual void DefaultPaint() = 0;  // the framework's own painting
  virtual void EndDialog(int result) = 0;
};

// Everything the program reaches, handed to it as one bundle of references.
struct Platform {
  ISystem& system;
  IProfile& profile;
  IFileSystem& files;
  IRegistry& registry;
  ISecurity& security;
  IProcess& process;
  IShell& shell;
  ISetupApi& setupApi;
  IUi& ui;
};

}  // namespace plat
