// Files and folders of a simulated machine, with the Windows semantics the
// program relies on: case-insensitive names, kept attributes, read-only files
// refusing deletion and overwrite, FindFirstFile wildcards with "." and "..".
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/sim/MachineState.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

// 100 ns intervals from 1601 to 1970.
constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

struct FindEntry {
  std::string path;  // normalised Windows path of the entry
  fs::path host;
  plat::FindDataA data;  // as listed
};

struct FindState {
  std::string pattern;
  std::string folder;  // normalised folder
  std::vector<FindEntry> entries;
  std::size_t next = 0;
  std::uint64_t removals = 0;  // the machine's count when listed
};

struct OpenFile {
  std::string path;  // normalised, upper-cased
  std::string display;
  int descriptor = -1;
};

class SimFileSystem final : public plat::IFileSystem {
 public:
  explicit SimFileSystem(Machine::State& state) : s_(state) {}
  ~SimFileSystem() override {
    for (auto& [handle, file] : files_) ::close(file.descriptor);
  }

  plat::BOOL CreateDirectoryA(const char* path) override {
    if (s_.Fault("CreateDirectory", path)) return 0;
    auto target = Resolve(path);
    if (!target) return Fail(plat::kErrorPathNotFound);
    auto& [normalized, host] = *target;
    std::error_code ec;
    if (s_.IsOnRoot(normalized)) return Fail(plat::kErrorAlreadyExists);
    if (fs::symlink_status(host, ec).type() != fs::file_type::not_found)
      return Fail(plat::kErrorAlreadyExists);
    if (!fs::is_directory(host.parent_path(), ec)) return Fail(plat::kErrorPathNotFound);
    s_.Touch(normalized);
    if (!fs::create_directory(host, ec)) return Fail(plat::kErrorAccessDenied);
    return 1;
  }

  plat::BOOL CopyFileA(const char* source, const char* target, plat::BOOL failIfExists) override {
    if (s_.Fault2("CopyFile", source, target)) return 0;
    auto from = Resolve(source);
    auto to = Resolve(target);
    if (!from) return Fail(plat::kErrorPathNotFound);
    if (!to) return Fail(plat::kErrorPathNotFound);
    std::error_code ec;
    auto fromStatus = fs::status(from->second, ec);
    if (ec || fromStatus.type() == fs::file_type::not_found) return Fail(plat::kErrorFileNotFound);
    if (fs::is_directory(fromStatus)) return Fail(plat::kErrorAccessDenied);
    if (IsOpen(from->first)) return Fail(plat::kErrorSharingViolation);
    if (!fs::is_directory(to->second.parent_path(), ec)) return Fail(plat::kErrorPathNotFound);
    auto toStatus = fs::symlink_status(to->second, ec);
    if (toStatus.type() != fs::file_type::not_found) {
      if (failIfExists) return Fail(plat::kErrorFileExists);
      if (fs::is_directory(fs::status(to->second, ec))) return Fail(plat::kErrorAccessDenied);
      // Replacing a read-only file is refused; so is replacing a hidden or system
      // file with one that lacks those bits (CREATE_ALWAYS semantics).
      plat::DWORD existing = s_.AttributesOf(to->first, to->second);
      plat::DWORD incoming = s_.AttributesOf(from->first, from->second);
      plat::DWORD guarded = existing & (plat::kFileAttributeHidden | plat::kFileAttributeSystem);
      if ((existing & plat::kFileAttributeReadonly) || (guarded & ~incoming) != 0)
        return Fail(plat::kErrorAccessDenied);
      if (IsOpen(to->first)) return Fail(plat::kErrorSharingViolation);
    }
    if (UpperAscii(from->first) == UpperAscii(to->first)) return Fail(plat::kErrorSharingViolation);
    plat::DWORD attributes = s_.AttributesOf(from->first, from->second);
    s_.Touch(to->first);
    fs::copy_file(from->second, to->second, fs::copy_options::overwrite_existing, ec);
    if (ec) return Fail(plat::kErrorAccessDenied);
    // A copy carries the source's attributes plus the archive bit.
    attributes &= ~(plat::kFileAttributeNormal | plat::kFileAttributeReparsePoint |
                    plat::kFileAttributeDirectory);
    s_.SetAttributesOf(to->first, attributes | plat::kFileAttributeArchive, false);
    return 1;
  }

  plat::DWORD GetFileAttributesA(const char* path) override {
    if (s_.Fault("GetFileAttributes", path)) return plat::kInvalidFileAttributes;
    auto target = Resolve(path);
    if (!target) {
      s_.lastError = plat::kErrorPathNotFound;
      return plat::kInvalidFileAttributes;
    }
    plat::DWORD attributes = s_.AttributesOf(target->first, target->second);
    if (attributes == plat::kInvalidFileAttributes) s_.lastError = MissingCode(target->second);
    return attributes;
  }

  plat::BOOL SetFileAttributesA(const char* path, plat::DWORD attributes) override {
    if (s_.Fault("SetFileAttributes", path)) return 0;
    auto target = Resolve(path);
    if (!target) return Fail(plat::kErrorPathNotFound);
    plat::DWORD current = s_.AttributesOf(target->first, target->second);
    if (current == plat::kInvalidFileAttributes) return Fail(MissingCode(target->second));
    constexpr plat::DWORD kSettable = plat::kFileAttributeReadonly | plat::kFileAttributeHidden |
                                      plat::kFileAttributeSystem | plat::kFileAttributeArchive |
                                      plat::kFileAttributeTemporary |
                                      0x2000 /* not content indexed */;
    bool folder = (current & plat::kFileAttributeDirectory) != 0;
    plat::DWORD kept = current & (plat::kFileAttributeCompressed);
    plat::DWORD value = (attributes & kSettable) | kept;
    if (!folder && value == 0) value = plat::kFileAttributeNormal;
    s_.Touch(target->first);
    s_.SetAttributesOf(target->first, value, folder);
    return 1;
  }

  plat::BOOL DeleteFileA(const char* path) override {
    if (s_.Fault("DeleteFile", path)) return 0;
    auto target = Resolve(path);
    if (!target) return Fail(plat::kErrorPathNotFound);
    auto& [normalized, host] = *target;
    std::error_code ec;
    auto status = fs::symlink_status(host, ec);
    if (ec || status.type() == fs::file_type::not_found) return Fail(MissingCode(host));
    if (fs::is_directory(status)) return Fail(plat::kErrorAccessDenied);
    if (s_.AttributesOf(normalized, host) & plat::kFileAttributeReadonly)
      return Fail(plat::kErrorAccessDenied);
    if (IsOpen(normalized)) return Fail(plat::kErrorSharingViolation);
    s_.Touch(normalized);
    if (!fs::remove(host, ec)) return Fail(plat::kErrorAccessDenied);
    s_.FileRemoved();
    s_.ForgetAttributes(normalized);
    return 1;
  }

  plat::Handle FindFirstFileA(const char* pattern, plat::FindDataA* data) override {
    if (s_.Fault("FindFirstFile", pattern)) return plat::kInvalidHandle;
    std::string text(pattern);
    std::replace(text.begin(), text.end(), '/', '\\');
    std::size_t cut = text.rfind('\\');
    std::string folderPart = cut == std::string::npos ? "" : text.substr(0, cut + 1);
    std::string namePart = cut == std::string::npos ? text : text.substr(cut + 1);
    if (folderPart.size() == 2 && folderPart[1] == ':') folderPart += "\\";
    if (namePart.empty()) {
      s_.lastError = plat::kErrorFileNotFound;
      return plat::kInvalidHandle;
    }
    auto folder = Resolve(folderPart.empty() ? "." : folderPart);
    std::error_code ec;
    if (!folder || !fs::is_directory(folder->second, ec)) {
      s_.lastError = plat::kErrorPathNotFound;
      return plat::kInvalidHandle;
    }
    auto state = std::make_unique<FindState>();
    state->pattern = text;
    state->folder = folder->first;
    state->removals = s_.removals;
    std::string base = folder->first;
    if (base.back() != '\\') base += '\\';
    if (!s_.IsOnRoot(folder->first)) {
      for (const char* dots : {".", ".."}) {
        if (!NameMatches(namePart, dots)) continue;
        FindEntry entry{folder->first, folder->second, {}};
        std::memset(&entry.data, 0, sizeof entry.data);
        entry.data.dwFileAttributes = plat::kFileAttributeDirectory;
        std::memcpy(entry.data.cFileName, dots, std::strlen(dots) + 1);
        state->entries.push_back(std::move(entry));
      }
    }
    std::vector<FindEntry> found;
    for (fs::directory_iterator it(folder->second, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (name.size() >= plat::kMaxPath || !NameMatches(namePart, name)) continue;
      FindEntry entry{base + name, it->path(), {}};
      if (!Describe(entry)) continue;
      std::memcpy(entry.data.cFileName, name.c_str(), name.size() + 1);
      found.push_back(std::move(entry));
    }
    // Sorted by name without regard to case, as NTFS lists a folder.
    std::vector<std::pair<std::string, std::size_t>> order;
    order.reserve(found.size());
    for (std::size_t i = 0; i < found.size(); ++i)
      order.emplace_back(UpperAscii(found[i].data.cFileName), i);
    std::sort(order.begin(), order.end());
    state->entries.reserve(state->entries.size() + found.size());
    for (const auto& [folded, i] : order) state->entries.push_back(std::move(found[i]));
    if (!Next(*state, data)) {
      s_.lastError = plat::kErrorFileNotFound;
      return plat::kInvalidHandle;
    }
    plat::Handle handle = s_.NewHandle();
    finds_[handle] = std::move(state);
    return handle;
  }

  plat::BOOL FindNextFileA(plat::Handle find, plat::FindDataA* data) override {
    auto it = finds_.find(find);
    if (s_.Fault("FindNextFile", it == finds_.end() ? "" : it->second->pattern)) return 0;
    if (it == finds_.end()) return Fail(plat::kErrorInvalidHandle);
    if (!Next(*it->second, data)) return Fail(plat::kErrorNoMoreFiles);
    return 1;
  }

  plat::BOOL FindClose(plat::Handle find) override {
    auto it = finds_.find(find);
    if (it == finds_.end()) return Fail(plat::kErrorInvalidHandle);
    finds_.erase(it);
    return 1;
  }

  plat::DWORD GetFullPathNameA(const char* path, plat::DWORD size, char* buffer,
                               char** filePart) override {
    if (s_.Fault("GetFullPathName", path)) return 0;
    std::string full = FullPath(path);
    if (full.empty()) {
      s_.lastError = plat::kErrorInvalidName;
      return 0;
    }
    if (full.size() + 1 > size) return static_cast<plat::DWORD>(full.size() + 1);
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart != nullptr) {
      std::size_t cut = full.rfind('\\');
      *filePart = (cut == std::string::npos || cut + 1 == full.size()) ? nullptr : buffer + cut + 1;
    }
    return static_cast<plat::DWORD>(full.size());
  }

  plat::Handle CreateFileA(const char* path, plat::DWORD desiredAccess, plat::DWORD shareMode,
                           plat::DWORD creationDisposition,
                           plat::DWORD flagsAndAttributes) override {
    if (s_.Fault("CreateFile", path)) return plat::kInvalidHandle;
    auto target = Resolve(path);
    if (!target) {
      s_.lastError = plat::kErrorPathNotFound;
      return plat::kInvalidHandle;
    }
    if (creationDisposition != plat::kOpenExisting || (desiredAccess & ~plat::kGenericRead) != 0) {
      s_.lastError = plat::kErrorAccessDenied;  // the program only ever reads
      return plat::kInvalidHandle;
    }
    std::string key = UpperAscii(target->first);
    if (IsOpen(target->first)) {
      s_.lastError = plat::kErrorSharingViolation;
      return plat::kInvalidHandle;
    }
    int descriptor = ::open(target->second.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
      s_.lastError = errno == ENOENT ? MissingCode(target->second) : plat::kErrorAccessDenied;
      return plat::kInvalidHandle;
    }
    struct stat st;
    if (::fstat(descriptor, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(descriptor);
      s_.lastError = plat::kErrorAccessDenied;  // a folder cannot be opened for reading
      return plat::kInvalidHandle;
    }
    plat::Handle handle = s_.NewHandle();
    files_[handle] = OpenFile{key, target->first, descriptor};
    s_.handleClosers[handle] = [this, handle] {
      auto it = files_.find(handle);
      if (it == files_.end()) return;
      ::close(it->second.descriptor);
      files_.erase(it);
    };
    return handle;
  }

  plat::BOOL ReadFile(plat::Handle file, void* buffer, plat::DWORD bytesToRead,
                      plat::DWORD* bytesRead) override {
    auto it = files_.find(file);
    if (bytesRead != nullptr) *bytesRead = 0;
    if (s_.Fault("ReadFile", it == files_.end() ? "" : it->second.display)) return 0;
    if (it == files_.end()) return Fail(plat::kErrorInvalidHandle);
    // Like ReadFile on a disk file: fewer bytes than asked only at the end.
    auto* out = static_cast<char*>(buffer);
    plat::DWORD total = 0;
    while (total < bytesToRead) {
      ssize_t got = ::read(it->second.descriptor, out + total, bytesToRead - total);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return Fail(plat::kErrorInvalidData);
      if (got == 0) break;
      total += static_cast<plat::DWORD>(got);
    }
    if (bytesRead != nullptr) *bytesRead = total;
    return 1;
  }

 private:
  plat::BOOL Fail(plat::DWORD code) {
    s_.lastError = code;
    return 0;
  }

  // Missing file (2) or missing folder on the way (3).
  plat::DWORD MissingCode(const fs::path& host) const {
    std::error_code ec;
    return fs::is_directory(host.parent_path(), ec) ? plat::kErrorFileNotFound
                                                    : plat::kErrorPathNotFound;
  }

  std::optional<std::pair<std::string, fs::path>> Resolve(std::string_view path) const {
    if (path.size() >= plat::kMaxPath) return std::nullopt;
    auto normalized = s_.Normalize(path);
    if (!normalized) return std::nullopt;
    auto host = s_.ToHost(*normalized);
    if (!host) return std::nullopt;
    return std::make_pair(*normalized, *host);
  }

  bool IsOpen(std::string_view normalized) const {
    std::string key = UpperAscii(normalized);
    return std::any_of(files_.begin(), files_.end(),
                       [&](const auto& f) { return f.second.path == key; });
  }

  // FindFirstFile's matching: "*.*" and "*" match every name; a pattern ending
  // in ".*" also matches names without an extension.
  static bool NameMatches(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*" || pattern == "*") return true;
    if (WildcardMatch(pattern, name)) return true;
    if (pattern.size() > 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos)
      return WildcardMatch(pattern.substr(0, pattern.size() - 2), name);
    return false;
  }

  // Lexical full path, as GetFullPathNameA gives it (drive letter as written).
  std::string FullPath(std::string_view path) const {
    std::string text(path);
    std::replace(text.begin(), text.end(), '/', '\\');
    if (text.empty()) return {};
    std::string prefix, rest;
    if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') {
      std::size_t server = text.find('\\', 2);
      std::size_t share =
          server == std::string::npos ? std::string::npos : text.find('\\', server + 1);
      prefix = share == std::string::npos ? text : text.substr(0, share);
      rest = share == std::string::npos ? "" : text.substr(share);
    } else if (text.size() >= 2 && text[1] == ':') {
      prefix = text.substr(0, 2);
      rest = text.substr(2);
      if (rest.empty() || rest[0] != '\\') rest = "\\" + rest;
    } else if (text[0] == '\\') {
      prefix = s_.os.currentFolder.substr(0, 2);
      rest = text;
    } else {
      prefix = s_.os.currentFolder.substr(0, 2);
      rest = s_.os.currentFolder.substr(2) + "\\" + text;
    }
    bool trailing = !rest.empty() && rest.back() == '\\';
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
      if (i == rest.size() || rest[i] == '\\') {
        std::string part = rest.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
          if (!parts.empty()) parts.pop_back();
          continue;
        }
        parts.push_back(part);
      }
    }
    std::string out = prefix;
    for (const auto& part : parts) out += "\\" + part;
    if (parts.empty() || trailing) out += "\\";
    return out;
  }

  // The listing data of an entry, from one lstat (and a stat through a link).
  bool Describe(FindEntry& entry) const {
    std::memset(&entry.data, 0, sizeof entry.data);
    struct stat st;
    if (::lstat(entry.host.c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) {
      entry.data.dwFileAttributes = s_.AttributesOf(entry.path, entry.host);
    } else {
      bool folder = S_ISDIR(st.st_mode);
      plat::DWORD value = folder ? plat::kFileAttributeDirectory : plat::kFileAttributeArchive;
      if (!s_.attributes.empty()) {
        auto it = s_.attributes.find(UpperAscii(entry.path));
        if (it != s_.attributes.end())
          value = it->second | (folder ? plat::kFileAttributeDirectory : 0);
      }
      entry.data.dwFileAttributes = value;
    }
    if (S_ISREG(st.st_mode)) {
      auto size = static_cast<std::uint64_t>(st.st_size);
      entry.data.nFileSizeHigh = static_cast<plat::DWORD>(size >> 32);
      entry.data.nFileSizeLow = static_cast<plat::DWORD>(size);
    }
    plat::FileTime stamp = kUnixEpochAsFileTime +
                           static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 10000000ull +
                           static_cast<std::uint64_t>(st.st_mtim.tv_nsec) / 100;
    // All three stamps are the host file's modification time: the host's access
    // time moves with every read and would make runs differ.
    entry.data.ftCreationTime = entry.data.ftLastWriteTime = entry.data.ftLastAccessTime = stamp;
    return true;
  }

  // Fills data with the next entry that still exists; false at the end. As on
  // NTFS, an entry removed after the listing is not returned.
  bool Next(FindState& state, plat::FindDataA* data) {
    while (state.next < state.entries.size()) {
      const FindEntry& entry = state.entries[state.next++];
      if (state.removals != s_.removals) {
        struct stat st;
        if (::lstat(entry.host.c_str(), &st) != 0) continue;
      }
      *data = entry.data;
      return true;
    }
    return false;
  }

  Machine::State& s_;
  std::map<plat::Handle, std::unique_ptr<FindState>> finds_;
  std::map<plat::Handle, OpenFile> files_;
};

}  // namespace

std::unique_ptr<plat::IFileSystem> MakeSimFileSystem(Machine::State& state) {
  return std::make_unique<SimFileSystem>(state);
}

}  // namespace sim
