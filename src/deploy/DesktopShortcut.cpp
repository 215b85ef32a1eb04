// A shell link on the current user's Desktop to one of the utilities copied into
// the system folder. The removal deletes the links by the upper-cased file name
// without its extension, so that is the link's name.
#include <cstring>
#include <utility>

#include "common/SetupFolders.h"
#include "install/CDriverInstaller.h"
#include "platform/ScopedKey.h"

namespace {

constexpr const char* kIconCreationFailed = "Failure::Icon creation on Desktop Failed";
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Owns one interface pointer and releases it.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }
  void Reset() {
    if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
  }
  Interface* operator->() const { return object_; }
  void** Out() {
    Reset();
    return reinterpret_cast<void**>(&object_);
  }
  Interface* Get() const { return object_; }

 private:
  Interface* object_ = nullptr;
};

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

enum class DesktopRead { kRead, kMissing, kTooLong };

// The current user's Desktop folder from the shell's folder list.
DesktopRead ReadDesktopFolder(plat::IRegistry& registry, PathBuffer* folder) {
  plat::ScopedKey key(registry);
  if (key.Open(plat::kHkeyCurrentUser, kShellFoldersKey, plat::kKeyQueryValue) !=
      plat::kErrorSuccess)
    return DesktopRead::kMissing;
  plat::DWORD type = plat::kRegNone;
  plat::DWORD size = plat::kMaxPath;
  plat::LONG result = registry.RegQueryValueExA(
      key.Get(), "Desktop", &type, reinterpret_cast<plat::BYTE*>(folder->Data()), &size);
  if (result == plat::kErrorMoreData) return DesktopRead::kTooLong;
  if (result != plat::kErrorSuccess || type != plat::kRegSz) return DesktopRead::kMissing;
  if (size > plat::kMaxPath) return DesktopRead::kTooLong;
  // The value need not carry its zero; the text ends at the first one.
  const char* text = folder->Data();
  const void* zero = std::memchr(text, '\0', size);
  std::size_t length = zero != nullptr ? static_cast<const char*>(zero) - text : size;
  if (length >= plat::kMaxPath) return DesktopRead::kTooLong;
  folder->Data()[length] = '\0';
  folder->Adopt();
  return folder->Empty() ? DesktopRead::kMissing : DesktopRead::kRead;
}

}  // namespace

int CDriverInstaller::CreateDesktopShortcut(const char* name) {
  // Upper-cased copy and the description made from it.
  PathBuffer upperName(name);
  for (std::size_t i = 0; i < upperName.Length(); ++i)
    upperName.Data()[i] = UpperAscii(upperName.Data()[i]);
  PathBuffer description("Shortcut to ");
  description.Append(upperName.View());

  PathBuffer target;
  if (ReadWindowsFolder(m_os.system, &target) == 0) {
    ShowError("GetWindowsDirectory failed!");
    return 0;
  }
  target.Append(m_bWin2kXp ? "\\System32" : "\\System");
  target.Append("\\");
  target.Append(name);

  // Without a Desktop folder there is no place for the link; the drive root is
  // no substitute.
  PathBuffer link;
  DesktopRead desktop = ReadDesktopFolder(m_os.registry, &link);
  if (desktop == DesktopRead::kMissing) return 0;
  if (desktop == DesktopRead::kTooLong) {
    ShowError(kIconCreationFailed);
    return 0;
  }
  if (link.View().back() != '\\') link.Append("\\");
  std::string_view baseName = upperName.View().substr(0, upperName.View().find('.'));
  link.Append(baseName);
  link.Append(".LNK");

  if (!upperName.Valid() || !description.Valid() || !target.Valid() || !link.Valid()) {
    ShowError(kIconCreationFailed);
    return 0;
  }

  // Initialising again on later calls does no harm; COM stays up for the thread.
  m_os.shell.CoInitialize(nullptr);
  ComPtr<plat::IShellLinkA> shellLink;
  if (!plat::Succeeded(m_os.shell.CoCreateInstance(plat::kClsidShellLink, nullptr,
                                                   plat::kClsctxInprocServer, plat::kIidIShellLinkA,
                                                   shellLink.Out()))) {
    ShowError(kIconCreationFailed);
    return 0;
  }
  ComPtr<plat::IPersistFile> persistFile;
  if (!plat::Succeeded(shellLink->QueryInterface(plat::kIidIPersistFile, persistFile.Out()))) {
    ShowError(kIconCreationFailed);
    return 0;
  }
  // A link without its target is still written; the user sees the message.
  if (!plat::Succeeded(shellLink->SetPath(target.c_str()))) ShowError("SetPath failed!");
  shellLink->SetDescription(description.c_str());
  char16_t wideLink[plat::kMaxPath];
  std::memset(wideLink, 0, sizeof wideLink);
  // The link path fits in MAX_PATH characters, so it fits in as many wide ones.
  if (m_os.system.MultiByteToWideChar(plat::kCpAcp, 0, link.c_str(), -1, wideLink,
                                      plat::kMaxPath) == 0) {
    ShowError(kIconCreationFailed);
    return 0;
  }
  persistFile->Save(wideLink, 1);
  persistFile.Reset();
  shellLink.Reset();
  return 1;
}
