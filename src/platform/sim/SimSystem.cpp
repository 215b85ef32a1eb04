// System information, folders, error texts, libraries and handles of a simulated machine.
#include <cstring>

#include "platform/sim/MachineState.h"

namespace sim {
namespace {

struct SystemText {
  plat::DWORD code;
  const char* text;
};

// The texts Windows XP gives for the codes the program can meet.
constexpr SystemText kSystemTexts[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough storage is available to process this command.\r\n"},
    {13, "The data is invalid.\r\n"},
    {19, "The media is write protected.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {80, "The file exists.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {120, "This function is not supported on this system.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {127, "The specified procedure could not be found.\r\n"},
    {161, "The specified path is invalid.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {1009, "The configuration registry database is corrupt.\r\n"},
    {1010, "The configuration registry key is invalid.\r\n"},
    {1011, "The configuration registry key could not be opened.\r\n"},
    {1012, "The configuration registry key could not be read.\r\n"},
    {1013, "The configuration registry key could not be written.\r\n"},
    {1015, "The registry is corrupted.\r\n"},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1021,
     "Cannot create a symbolic link in a registry key that already has subkeys or values.\r\n"},
    {1313, "A specified privilege does not exist.\r\n"},
    {1314, "A required privilege is not held by the client.\r\n"},
};

const char* BuiltinModules[] = {"KERNEL32", "USER32", "GDI32", "ADVAPI32", "SHELL32", "OLE32"};

std::string ModuleKey(std::string_view name) {
  std::string key = UpperAscii(name);
  if (key.size() > 4 && key.compare(key.size() - 4, 4, ".DLL") == 0) key.resize(key.size() - 4);
  return key;
}

class SimSystem final : public plat::ISystem {
 public:
  explicit SimSystem(Machine::State& state) : s_(state) {}

  plat::BOOL GetVersionExA(plat::OsVersionInfoEx* info) override {
    plat::DWORD size = info->dwOSVersionInfoSize;
    if (s_.Fault("VersionQuery", std::to_string(size))) return 0;
    if (size != plat::kOsVersionInfoSize && size != plat::kOsVersionInfoExSize) {
      s_.lastError = plat::kErrorInsufficientBuffer;
      return 0;
    }
    if (size == plat::kOsVersionInfoExSize && !s_.os.extendedVersionInfo) {
      s_.lastError = plat::kErrorInsufficientBuffer;
      return 0;
    }
    const OsConfig& os = s_.os;
    info->dwMajorVersion = os.major;
    info->dwMinorVersion = os.minor;
    info->dwBuildNumber =
        os.IsNt() ? os.build : ((os.major << 24) | (os.minor << 16) | (os.build & 0xFFFF));
    info->dwPlatformId = os.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    if (size == plat::kOsVersionInfoExSize) {
      info->wServicePackMajor = 0;
      info->wServicePackMinor = 0;
      info->wSuiteMask = 0;
      info->wProductType = 1;  // a workstation
      info->wReserved = 0;
    }
    return 1;
  }

  plat::DWORD GetCurrentDirectoryA(plat::DWORD size, char* buffer) override {
    if (s_.Fault("GetCurrentDirectory", s_.os.currentFolder)) return 0;
    return CopyOut(s_.os.currentFolder, buffer, size);
  }

  plat::UINT GetWindowsDirectoryA(char* buffer, plat::UINT size) override {
    if (s_.Fault("GetWindowsDirectory", s_.os.windowsFolder)) return 0;
    return CopyOut(s_.os.windowsFolder, buffer, size);
  }

  plat::UINT GetSystemDirectoryA(char* buffer, plat::UINT size) override {
    if (s_.Fault("GetSystemDirectory", s_.os.systemFolder)) return 0;
    return CopyOut(s_.os.systemFolder, buffer, size);
  }

  plat::DWORD GetLastError() override { return s_.lastError; }
  void SetLastError(plat::DWORD code) override { s_.lastError = code; }

  plat::DWORD FormatMessageA(plat::DWORD flags, plat::DWORD messageId, plat::DWORD languageId,
                             char** allocated) override {
    *allocated = nullptr;
    if (s_.Fault("FormatMessage", std::to_string(messageId))) return 0;
    if ((flags & plat::kFormatMessageFromSystem) == 0 ||
        (flags & plat::kFormatMessageAllocateBuffer) == 0) {
      s_.lastError = plat::kErrorInvalidParameter;
      return 0;
    }
    for (const SystemText& entry : kSystemTexts) {
      if (entry.code == messageId) {
        std::size_t length = std::strlen(entry.text);
        char* text = static_cast<char*>(s_.Allocate(length + 1));
        std::memcpy(text, entry.text, length + 1);
        *allocated = text;
        return static_cast<plat::DWORD>(length);
      }
    }
    s_.lastError = 317;  // ERROR_MR_MID_NOT_FOUND
    return 0;
  }

  void* LocalFree(void* memory) override {
    if (memory == nullptr) return nullptr;
    if (!s_.Free(memory)) {
      s_.lastError = plat::kErrorInvalidHandle;
      return memory;
    }
    return nullptr;
  }

  int MultiByteToWideChar(plat::UINT codePage, plat::DWORD flags, const char* source,
                          int sourceLength, char16_t* target, int targetLength) override {
    if (s_.Fault("MultiByteToWideChar", source != nullptr ? source : "")) return 0;
    if (source == nullptr) {
      s_.lastError = plat::kErrorInvalidParameter;
      return 0;
    }
    std::size_t count =
        sourceLength < 0 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceLength);
    if (targetLength == 0) return static_cast<int>(count);
    if (static_cast<std::size_t>(targetLength) < count) {
      s_.lastError = plat::kErrorInsufficientBuffer;
      return 0;
    }
    // The machine's ANSI code page is Latin-1 as far as the program's texts go.
    for (std::size_t i = 0; i < count; ++i) target[i] = static_cast<unsigned char>(source[i]);
    return static_cast<int>(count);
  }

  plat::Module LoadLibraryA(const char* name) override {
    if (s_.Fault("LoadLibrary", name)) return 0;
    std::string key = ModuleKey(name);
    bool known = SimModuleExists(s_, key);
    for (const char* builtin : BuiltinModules) known = known || key == builtin;
    if (!known) {
      s_.lastError = plat::kErrorModNotFound;
      return 0;
    }
    plat::Handle handle = s_.NewHandle();
    modules_[handle] = key;
    return handle;
  }

  plat::Proc GetProcAddress(plat::Module module, const char* name) override {
    if (s_.Fault("GetProcAddress", name)) return 0;
    auto it = modules_.find(module);
    if (it == modules_.end()) {
      s_.lastError = plat::kErrorInvalidHandle;
      return 0;
    }
    plat::Proc proc = SimProcAddress(s_, it->second, name);
    if (proc == 0) s_.lastError = plat::kErrorProcNotFound;
    return proc;
  }

  plat::BOOL FreeLibrary(plat::Module module) override {
    auto it = modules_.find(module);
    if (s_.Fault("FreeLibrary", it == modules_.end() ? "" : it->second)) return 0;
    if (it == modules_.end()) {
      s_.lastError = plat::kErrorInvalidHandle;
      return 0;
    }
    modules_.erase(it);
    return 1;
  }

  plat::BOOL CloseHandle(plat::Handle handle) override {
    if (s_.Fault("CloseHandle", std::to_string(handle))) return 0;
    auto it = s_.handleClosers.find(handle);
    if (it == s_.handleClosers.end()) {
      s_.lastError = plat::kErrorInvalidHandle;
      return 0;
    }
    auto closer = std::move(it->second);
    s_.handleClosers.erase(it);
    if (closer) closer();
    return 1;
  }

 private:
  // Windows' folder queries: the length without the zero when it fits, else the
  // size needed (zero included) and nothing written.
  static plat::DWORD CopyOut(const std::string& text, char* buffer, plat::DWORD size) {
    if (text.size() + 1 > size) return static_cast<plat::DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<plat::DWORD>(text.size());
  }

  Machine::State& s_;
  std::map<plat::Handle, std::string> modules_;
};

}  // namespace

std::unique_ptr<plat::ISystem> MakeSimSystem(Machine::State& state) {
  return std::make_unique<SimSystem>(state);
}

}  // namespace sim
