// The shell link object of the simulated machine (CLSID_ShellLink with
// IShellLinkA and IPersistFile). Save writes a real shell link file in the
// published binary format: the header, a LinkInfo with the volume and the local
// path of the target, and the description as the name string, so that any link
// parser reads back what Windows would have written.
#include <cctype>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/sim/MachineState.h"

namespace sim {
namespace {

// LinkFlags.
constexpr plat::DWORD kHasLinkInfo = 0x2;
constexpr plat::DWORD kHasName = 0x4;
constexpr plat::DWORD kIsUnicode = 0x80;
// LinkInfoFlags.
constexpr plat::DWORD kVolumeIdAndLocalBasePath = 0x1;
constexpr plat::DWORD kDriveFixed = 3;
constexpr plat::DWORD kShowNormal = 1;
constexpr plat::DWORD kHeaderSize = 0x4C;
constexpr plat::DWORD kLinkInfoHeaderSize = 0x1C;
// Longest description the shell keeps (INFOTIPSIZE).
constexpr std::size_t kMaxDescription = 1024;

constexpr plat::HRESULT kEInvalidArg = static_cast<plat::HRESULT>(0x80070057u);
constexpr plat::HRESULT kEPointer = static_cast<plat::HRESULT>(0x80004003u);

// A [Faults] code as the HRESULT a COM call answers: Win32 codes are wrapped,
// HRESULTs pass as they are.
plat::HRESULT FaultResult(plat::DWORD code) {
  if (code == 0) return plat::kEFail;
  if (code & 0x80000000u) return static_cast<plat::HRESULT>(code);
  return plat::HresultFromWin32(code);
}

class Writer {
 public:
  void U16(plat::WORD value) {
    bytes_.push_back(static_cast<char>(value & 0xFF));
    bytes_.push_back(static_cast<char>(value >> 8));
  }
  void U32(plat::DWORD value) {
    U16(static_cast<plat::WORD>(value & 0xFFFF));
    U16(static_cast<plat::WORD>(value >> 16));
  }
  void U64(std::uint64_t value) {
    U32(static_cast<plat::DWORD>(value & 0xFFFFFFFFu));
    U32(static_cast<plat::DWORD>(value >> 32));
  }
  void Guid(const plat::Guid& guid) {
    U32(guid.Data1);
    U16(guid.Data2);
    U16(guid.Data3);
    for (plat::BYTE b : guid.Data4) bytes_.push_back(static_cast<char>(b));
  }
  void Ansi(std::string_view text) {  // with its terminating zero
    bytes_.append(text);
    bytes_.push_back('\0');
  }
  // A counted string of StringData, UTF-16 without a terminating zero.
  void CountedUnicode(std::string_view text) {
    U16(static_cast<plat::WORD>(text.size()));
    for (char c : text) U16(static_cast<unsigned char>(c));
  }
  void Append(std::string_view raw) { bytes_.append(raw); }
  std::size_t Size() const { return bytes_.size(); }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

struct TargetInfo {
  plat::DWORD attributes = 0;
  plat::DWORD size = 0;
};

// VolumeID, LocalBasePath and an empty CommonPathSuffix for a local path.
std::string LinkInfo(std::string_view localPath) {
  Writer volume;
  std::string_view label = "";
  volume.U32(static_cast<plat::DWORD>(16 + label.size() + 1));  // VolumeIDSize
  volume.U32(kDriveFixed);
  // A serial number of our own per drive letter.
  volume.U32(0x5A0C0000u | static_cast<unsigned char>(UpperAscii(localPath.substr(0, 1))[0]));
  volume.U32(16);  // VolumeLabelOffset
  volume.Ansi(label);

  plat::DWORD localBasePathOffset = kLinkInfoHeaderSize + static_cast<plat::DWORD>(volume.Size());
  plat::DWORD suffixOffset = localBasePathOffset + static_cast<plat::DWORD>(localPath.size() + 1);
  plat::DWORD total = suffixOffset + 1;

  Writer info;
  info.U32(total);
  info.U32(kLinkInfoHeaderSize);
  info.U32(kVolumeIdAndLocalBasePath);
  info.U32(kLinkInfoHeaderSize);  // VolumeIDOffset
  info.U32(localBasePathOffset);
  info.U32(0);  // CommonNetworkRelativeLinkOffset
  info.U32(suffixOffset);
  info.Append(volume.Bytes());
  info.Ansi(localPath);
  info.Ansi("");
  return info.Bytes();
}

bool IsLocalPath(std::string_view path) {
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
         path[2] == '\\';
}

std::string EncodeShellLink(const std::string& target, const TargetInfo& info,
                            const std::string& description) {
  plat::DWORD flags = kIsUnicode;
  if (IsLocalPath(target)) flags |= kHasLinkInfo;
  if (!description.empty()) flags |= kHasName;

  Writer link;
  link.U32(kHeaderSize);
  link.Guid(plat::kClsidShellLink);
  link.U32(flags);
  link.U32(info.attributes);
  link.U64(0);  // CreationTime
  link.U64(0);  // AccessTime
  link.U64(0);  // WriteTime
  link.U32(info.size);
  link.U32(0);  // IconIndex
  link.U32(kShowNormal);
  link.U16(0);  // HotKey
  link.U16(0);  // Reserved1
  link.U32(0);  // Reserved2
  link.U32(0);  // Reserved3
  if (flags & kHasLinkInfo) link.Append(LinkInfo(target));
  if (flags & kHasName) link.CountedUnicode(description);
  link.U32(0);  // TerminalBlock
  return link.Bytes();
}

// UTF-16 to the machine's ANSI code page, which the sim takes as Latin-1: a
// character beyond it has no ANSI name.
std::optional<std::string> NarrowPath(const char16_t* wide) {
  std::string narrow;
  for (std::size_t i = 0; wide[i] != 0; ++i) {
    if (wide[i] > 0xFF || i >= plat::kMaxPath) return std::nullopt;
    narrow.push_back(static_cast<char>(wide[i]));
  }
  return narrow;
}

class SimShellLink final : public plat::IShellLinkA, public plat::IPersistFile {
 public:
  explicit SimShellLink(Machine::State& state) : state_(state) {}

  // The object keeps itself alive while references to it are out.
  static plat::HRESULT Create(Machine::State& state, const plat::Guid& iid, void** object) {
    auto link = std::make_shared<SimShellLink>(state);
    link->self_ = link;
    link->references_ = 1;
    plat::HRESULT result = link->QueryInterface(iid, object);
    link->Release();
    return result;
  }

  plat::HRESULT QueryInterface(const plat::Guid& iid, void** object) override {
    if (object == nullptr) return kEPointer;
    *object = nullptr;
    if (iid == plat::kIidIUnknown || iid == plat::kIidIShellLinkA) {
      *object = static_cast<plat::IShellLinkA*>(this);
    } else if (iid == plat::kIidIPersistFile) {
      if (state_.Fault("QueryInterface", "IPersistFile")) return plat::kENoInterface;
      *object = static_cast<plat::IPersistFile*>(this);
    } else {
      return plat::kENoInterface;
    }
    AddRef();
    return plat::kSOk;
  }

  plat::DWORD AddRef() override { return ++references_; }

  plat::DWORD Release() override {
    plat::DWORD left = --references_;
    // The last reference gone, the object ends with this call.
    if (left == 0) {
      std::shared_ptr<SimShellLink> last = std::move(self_);
    }
    return left;
  }

  plat::HRESULT SetPath(const char* file) override {
    if (file == nullptr) return kEInvalidArg;
    plat::DWORD code = 0;
    if (state_.Fault("SetPath", file, &code)) return FaultResult(code);
    if (std::strlen(file) >= plat::kMaxPath) return kEInvalidArg;
    path_ = file;
    return plat::kSOk;
  }

  plat::HRESULT SetDescription(const char* description) override {
    if (description == nullptr) return kEInvalidArg;
    plat::DWORD code = 0;
    if (state_.Fault("SetDescription", description, &code)) return FaultResult(code);
    description_.assign(description, strnlen(description, kMaxDescription - 1));
    return plat::kSOk;
  }

  plat::HRESULT Save(const char16_t* fileName, plat::BOOL remember) override {
    std::string linkPath;
    if (fileName == nullptr) {
      if (savedAs_.empty()) return kEInvalidArg;
      linkPath = savedAs_;
    } else {
      std::optional<std::string> narrow = NarrowPath(fileName);
      if (!narrow) return plat::HresultFromWin32(plat::kErrorInvalidName);
      linkPath = *narrow;
    }
    plat::DWORD code = 0;
    if (state_.Fault("Save", linkPath, &code)) return FaultResult(code);

    std::optional<std::string> normalized = state_.Normalize(linkPath);
    if (!normalized) return plat::HresultFromWin32(plat::kErrorPathNotFound);
    std::optional<std::filesystem::path> host = state_.ToHost(*normalized);
    if (!host) return plat::HresultFromWin32(plat::kErrorAccessDenied);
    std::error_code error;
    if (!std::filesystem::is_directory(host->parent_path(), error))
      return plat::HresultFromWin32(plat::kErrorPathNotFound);
    bool existed = std::filesystem::exists(*host, error);
    if (existed) {
      plat::DWORD attributes = state_.AttributesOf(*normalized, *host);
      if (attributes & (plat::kFileAttributeReadonly | plat::kFileAttributeDirectory))
        return plat::HresultFromWin32(plat::kErrorAccessDenied);
    }

    std::string bytes = EncodeShellLink(path_, Target(), description_);
    state_.Touch(*normalized);
    std::ofstream out(*host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) return plat::HresultFromWin32(plat::kErrorAccessDenied);
    if (!existed) state_.SetAttributesOf(*normalized, plat::kFileAttributeArchive, false);
    if (remember) savedAs_ = *normalized;
    return plat::kSOk;
  }

 private:
  // What the header records of the target, when it exists.
  TargetInfo Target() const {
    TargetInfo info;
    std::optional<std::string> normalized = state_.Normalize(path_);
    if (path_.empty() || !normalized) return info;
    std::optional<std::filesystem::path> host = state_.ToHost(*normalized);
    std::error_code error;
    if (!host || !std::filesystem::exists(*host, error)) return info;
    info.attributes = state_.AttributesOf(*normalized, *host);
    if (std::filesystem::is_regular_file(*host, error)) {
      std::uintmax_t size = std::filesystem::file_size(*host, error);
      info.size = error ? 0 : static_cast<plat::DWORD>(size & 0xFFFFFFFFu);
    }
    return info;
  }

  Machine::State& state_;
  std::shared_ptr<SimShellLink> self_;
  plat::DWORD references_ = 0;
  std::string path_;
  std::string description_;
  std::string savedAs_;
};

}  // namespace

plat::HRESULT CreateSimShellLink(Machine::State& state, const plat::Guid& iid, void** object) {
  if (object == nullptr) return kEPointer;
  *object = nullptr;
  plat::DWORD code = 0;
  if (state.Fault("CoCreateInstance", "ShellLink", &code)) return FaultResult(code);
  return SimShellLink::Create(state, iid, object);
}

}  // namespace sim
