// Times the OEM INF purge's contents search over an INF folder of a real one's
// size against GNU grep and ripgrep over the same files, warm cache, one run.
//
//   bench_inf_search [--keep] [--runs N] [--finder-only N]
//
// --finder-only N runs just the finder N times (for a profiler).
//
// The INF folder (about 2,000 INF and PNF files, about 80 MB, a few matches at
// depth) is built in a temporary simulated machine; the finder searches it with
// the purge's parameters through the machine, grep and rg search its host folder.
// "finder*" is the same search with its file calls served straight from the host
// folder (one stat per listed entry), which separates the finder's own cost from
// the simulated machine's; a last run splits the finder's time by kind of call.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "filesearch/CFileFinder.h"
#include "platform/sim/Machine.h"
#include "remove/OemInfPurge.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kText = "vyxuport.sys";

// Plausible INF text: sections, models, file lists, strings.
class InfWriter {
 public:
  explicit InfWriter(unsigned seed) : random_(seed) {}

  std::string Make(std::size_t size, std::size_t index) {
    static const char* const kWords[] = {
        "usb",   "port",  "serial", "hid",   "disk", "class", "filter", "service",
        "net",   "audio", "video",  "mouse", "kbd",  "pci",   "acpi",   "storage",
        "modem", "print", "scan",   "bth",   "wudf", "ks",    "wdma",   "cdrom"};
    std::string out;
    out.reserve(size + 256);
    out += "; Copyright (c) Microsoft Corporation. All rights reserved.\r\n[Version]\r\n";
    out +=
        "Signature=\"$Windows NT$\"\r\nClass=Ports\r\nClassGuid={4D36E978-E325-11CE-BFC1-"
        "08002BE10318}\r\nProvider=%Msft%\r\nDriverVer=07/01/2001,5.1.2600.";
    out += std::to_string(index) + "\r\n\r\n";
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    std::uniform_int_distribution<int> number(0, 0xFFFF);
    std::uniform_int_distribution<int> kind(0, 9);
    char line[256];
    while (out.size() < size) {
      const char* a = kWords[word(random_)];
      const char* b = kWords[word(random_)];
      switch (kind(random_)) {
        case 0:
          std::snprintf(line, sizeof line, "\r\n[%s%s.Install.NT]\r\nCopyFiles=%s.CopyFiles\r\n", a,
                        b, a);
          break;
        case 1:
        case 2:
          std::snprintf(line, sizeof line,
                        "%%%s%s.DeviceDesc%%=%s_Inst,USB\\VID_%04X&PID_%04X&MI_%02X\r\n", a, b, b,
                        number(random_), number(random_), number(random_) & 0xF);
          break;
        case 3:
        case 4:
          std::snprintf(line, sizeof line, "%s%s%d.sys,,,0x%08X\r\n", a, b, number(random_) % 97,
                        number(random_) * 2654435761u);
          break;
        case 5:
          std::snprintf(line, sizeof line, "HKR,,%sPropPageProvider,0,\"%s%s.dll,%sPropPage\"\r\n",
                        a, a, b, b);
          break;
        case 6:
          std::snprintf(line, sizeof line,
                        "ServiceBinary = %%12%%\\%s%s.sys\r\nStartType = 3\r\nErrorControl = 1\r\n",
                        a, b);
          break;
        default:
          std::snprintf(line, sizeof line, "%s%sDesc = \"%s %s Device (%d)\"\r\n", a, b, a, b,
                        number(random_));
          break;
      }
      out += line;
    }
    return out;
  }

  std::string Binary(std::size_t size) {
    std::string out(size, '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t i = 0; i < size; ++i)
      out[i] = (i % 7 < 3) ? '\0' : static_cast<char>(byte(random_));
    return out;
  }

  std::size_t Size() {
    // Mostly small files, some large ones, as in a Windows INF folder.
    std::uniform_int_distribution<int> percent(0, 99);
    int p = percent(random_);
    std::uniform_int_distribution<std::size_t> small(1000, 20000);
    std::uniform_int_distribution<std::size_t> medium(20000, 100000);
    std::uniform_int_distribution<std::size_t> large(100000, 1200000);
    return p < 70 ? small(random_) : p < 95 ? medium(random_) : large(random_);
  }

 private:
  std::mt19937 random_;
};

std::string Utf16(const std::string& text) {
  std::string wide = "\xff\xfe";
  wide.reserve(2 * text.size() + 2);
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

void Write(const fs::path& path, const std::string& contents) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

struct Tree {
  std::size_t files = 0;
  std::size_t infFiles = 0;
  std::uintmax_t bytes = 0;
  std::uintmax_t infBytes = 0;
  std::set<std::string> matches;  // relative host paths
};

Tree BuildInfFolder(const fs::path& root) {
  Tree tree;
  InfWriter writer(1234);
  const char* const kSubfolders[] = {"", "", "", "", "", "", "", "", "en-US", "oem\\vendor\\usb"};
  // Sizes drawn, then scaled to 52 MB of INF text (about 80 MB with the PNF files).
  std::vector<std::size_t> sizes(1000);
  double total = 0;
  for (std::size_t& size : sizes) total += static_cast<double>(size = writer.Size());
  for (std::size_t& size : sizes)
    size = static_cast<std::size_t>(static_cast<double>(size) * 52e6 / total);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    std::string folder = kSubfolders[i % std::size(kSubfolders)];
    std::string base =
        (folder.empty() ? "" : folder + "\\") + (i < 200 ? "oem" : "drv") + std::to_string(i);
    for (char& c : base)
      if (c == '\\') c = '/';
    std::size_t size = sizes[i];
    std::string inf = writer.Make(size, i);
    // A few INF files of the product, two of them at depth, in different case.
    if (i == 17 || i == 530 || i == 779 || i == 999) {
      inf.insert(inf.size() * (i % 3 + 1) / 4,
                 i == 530 ? "\r\nVYXUPORT.SYS = 1\r\n" : "\r\nvyxuport.sys = 1,,\r\n");
      tree.matches.insert(base + ".inf");
    }
    if (i % 20 == 3) inf = Utf16(inf);  // some INF files are UTF-16
    Write(root / (base + ".inf"), inf);
    std::string pnf = writer.Binary(size / 2 + 512);
    Write(root / (base + ".PNF"), pnf);
    tree.files += 2;
    tree.infFiles += 1;
    tree.bytes += inf.size() + pnf.size();
    tree.infBytes += inf.size();
  }
  return tree;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Timing {
  std::vector<double> runs;
  double Median() const {
    std::vector<double> sorted = runs;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
  }
  double Best() const { return runs.empty() ? 0 : *std::min_element(runs.begin(), runs.end()); }
};

// Runs a shell command, returns its output lines (relative to root) and the time.
std::set<std::string> RunTool(const std::string& command, const fs::path& root, Timing* timing) {
  auto start = Clock::now();
  FILE* pipe = ::popen(command.c_str(), "r");
  std::set<std::string> lines;
  if (pipe == nullptr) return lines;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    std::string line = buffer;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    lines.insert(fs::path(line).lexically_relative(root).generic_string());
  }
  ::pclose(pipe);
  if (timing != nullptr) timing->runs.push_back(Seconds(Clock::now() - start));
  return lines;
}

// The machine's file system, with the time spent in each kind of call.
class TimedFiles final : public plat::IFileSystem {
 public:
  explicit TimedFiles(plat::IFileSystem& inner) : inner_(inner) {}

  enum Kind { kList, kPath, kOpen, kRead, kOther, kKinds };
  double seconds[kKinds] = {};
  long calls[kKinds] = {};

  template <typename F>
  decltype(std::declval<F>()()) Time(Kind kind, F call) {
    auto start = Clock::now();
    auto result = call();
    seconds[kind] += std::chrono::duration<double>(Clock::now() - start).count();
    ++calls[kind];
    return result;
  }

  plat::BOOL CreateDirectoryA(const char* path) override {
    return Time(kOther, [&] { return inner_.CreateDirectoryA(path); });
  }
  plat::BOOL CopyFileA(const char* source, const char* target, plat::BOOL failIfExists) override {
    return Time(kOther, [&] { return inner_.CopyFileA(source, target, failIfExists); });
  }
  plat::DWORD GetFileAttributesA(const char* path) override {
    return Time(kOther, [&] { return inner_.GetFileAttributesA(path); });
  }
  plat::BOOL SetFileAttributesA(const char* path, plat::DWORD attributes) override {
    return Time(kOther, [&] { return inner_.SetFileAttributesA(path, attributes); });
  }
  plat::BOOL DeleteFileA(const char* path) override {
    return Time(kOther, [&] { return inner_.DeleteFileA(path); });
  }
  plat::Handle FindFirstFileA(const char* pattern, plat::FindDataA* data) override {
    return Time(kList, [&] { return inner_.FindFirstFileA(pattern, data); });
  }
  plat::BOOL FindNextFileA(plat::Handle find, plat::FindDataA* data) override {
    return Time(kList, [&] { return inner_.FindNextFileA(find, data); });
  }
  plat::BOOL FindClose(plat::Handle find) override {
    return Time(kList, [&] { return inner_.FindClose(find); });
  }
  plat::DWORD GetFullPathNameA(const char* path, plat::DWORD size, char* buffer,
                               char** filePart) override {
    return Time(kPath, [&] { return inner_.GetFullPathNameA(path, size, buffer, filePart); });
  }
  plat::Handle CreateFileA(const char* path, plat::DWORD access, plat::DWORD share,
                           plat::DWORD disposition, plat::DWORD flags) override {
    return Time(kOpen, [&] { return inner_.CreateFileA(path, access, share, disposition, flags); });
  }
  plat::BOOL ReadFile(plat::Handle file, void* buffer, plat::DWORD size,
                      plat::DWORD* read) override {
    return Time(kRead, [&] { return inner_.ReadFile(file, buffer, size, read); });
  }

 private:
  plat::IFileSystem& inner_;
};

// For comparison: the finder's file calls served straight from the host folder
// of drive C, one stat per listed entry, no case folding of paths, no faults,
// no call records. Shows what the finder itself costs on a lean platform.
bool Wildcard(const char* pattern, const char* name) {
  if (*pattern == '\0') return *name == '\0';
  if (*pattern == '*')
    return Wildcard(pattern + 1, name) || (*name != '\0' && Wildcard(pattern, name + 1));
  if (*name == '\0') return false;
  if (*pattern != '?' && std::tolower(static_cast<unsigned char>(*pattern)) !=
                             std::tolower(static_cast<unsigned char>(*name)))
    return false;
  return Wildcard(pattern + 1, name + 1);
}

class HostFiles final : public plat::IFileSystem {
 public:
  explicit HostFiles(fs::path driveRoot) : root_(std::move(driveRoot)) {}

  plat::BOOL CreateDirectoryA(const char*) override { return 0; }
  plat::BOOL CopyFileA(const char*, const char*, plat::BOOL) override { return 0; }
  plat::DWORD GetFileAttributesA(const char*) override { return plat::kInvalidFileAttributes; }
  plat::BOOL SetFileAttributesA(const char*, plat::DWORD) override { return 0; }
  plat::BOOL DeleteFileA(const char*) override { return 0; }

  plat::Handle FindFirstFileA(const char* pattern, plat::FindDataA* data) override {
    std::string text = pattern;
    std::size_t cut = text.rfind('\\');
    auto listing = std::make_unique<Listing>();
    listing->folder = Host(text.substr(0, cut));
    std::string mask = text.substr(cut + 1);
    if (mask == "*.*") mask = "*";  // every name, with a dot or without
    for (const char* dots : {".", ".."})
      if (Wildcard(mask.c_str(), dots)) listing->names.push_back(dots);
    std::error_code ec;
    for (fs::directory_iterator it(listing->folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (Wildcard(mask.c_str(), name.c_str())) listing->names.push_back(name);
    }
    std::sort(listing->names.begin() + 0, listing->names.end());
    if (!Next(*listing, data)) return plat::kInvalidHandle;
    listings_.push_back(std::move(listing));
    return listings_.size();
  }
  plat::BOOL FindNextFileA(plat::Handle find, plat::FindDataA* data) override {
    return Next(*listings_[find - 1], data);
  }
  plat::BOOL FindClose(plat::Handle find) override {
    listings_[find - 1].reset();
    return 1;
  }
  plat::DWORD GetFullPathNameA(const char* path, plat::DWORD size, char* buffer, char**) override {
    std::size_t length = std::strlen(path);
    if (length + 1 > size) return static_cast<plat::DWORD>(length + 1);
    std::memcpy(buffer, path, length + 1);
    return static_cast<plat::DWORD>(length);
  }
  plat::Handle CreateFileA(const char* path, plat::DWORD, plat::DWORD, plat::DWORD,
                           plat::DWORD) override {
    int fd = ::open(Host(path).c_str(), O_RDONLY);
    return fd < 0 ? plat::kInvalidHandle : kFileBase + static_cast<plat::Handle>(fd);
  }
  plat::BOOL ReadFile(plat::Handle file, void* buffer, plat::DWORD size,
                      plat::DWORD* read) override {
    ssize_t got = ::read(static_cast<int>(file - kFileBase), buffer, size);
    *read = got < 0 ? 0 : static_cast<plat::DWORD>(got);
    return got >= 0;
  }
  static constexpr plat::Handle kFileBase = 0x100000;

 private:
  struct Listing {
    fs::path folder;
    std::vector<std::string> names;
    std::size_t next = 0;
  };

  fs::path Host(std::string path) const {
    std::replace(path.begin(), path.end(), '\\', '/');
    return root_ / path.substr(3);
  }

  static bool Next(Listing& listing, plat::FindDataA* data) {
    while (listing.next < listing.names.size()) {
      const std::string& name = listing.names[listing.next++];
      struct stat info;
      if (::lstat((listing.folder / name).c_str(), &info) != 0) continue;
      std::memset(data, 0, sizeof *data);
      data->dwFileAttributes = S_ISDIR(info.st_mode)   ? plat::kFileAttributeDirectory
                               : S_ISLNK(info.st_mode) ? plat::kFileAttributeReparsePoint
                                                       : plat::kFileAttributeArchive;
      data->nFileSizeLow = static_cast<plat::DWORD>(info.st_size);
      data->nFileSizeHigh =
          static_cast<plat::DWORD>(static_cast<std::uint64_t>(info.st_size) >> 32);
      data->ftLastWriteTime = data->ftCreationTime = data->ftLastAccessTime =
          116444736000000000ull + static_cast<std::uint64_t>(info.st_mtime) * 10000000ull;
      std::snprintf(data->cFileName, sizeof data->cFileName, "%s", name.c_str());
      return true;
    }
    return false;
  }

  fs::path root_;
  std::vector<std::unique_ptr<Listing>> listings_;
};

// The machine's system calls, with the host file handles closed here.
class HostSystem final : public plat::ISystem {
 public:
  explicit HostSystem(plat::ISystem& inner) : inner_(inner) {}
  plat::BOOL GetVersionExA(plat::OsVersionInfoEx* info) override {
    return inner_.GetVersionExA(info);
  }
  plat::DWORD GetCurrentDirectoryA(plat::DWORD size, char* buffer) override {
    return inner_.GetCurrentDirectoryA(size, buffer);
  }
  plat::UINT GetWindowsDirectoryA(char* buffer, plat::UINT size) override {
    return inner_.GetWindowsDirectoryA(buffer, size);
  }
  plat::UINT GetSystemDirectoryA(char* buffer, plat::UINT size) override {
    return inner_.GetSystemDirectoryA(buffer, size);
  }
  plat::DWORD GetLastError() override { return inner_.GetLastError(); }
  void SetLastError(plat::DWORD code) override { inner_.SetLastError(code); }
  plat::DWORD FormatMessageA(plat::DWORD flags, plat::DWORD id, plat::DWORD language,
                             char** allocated) override {
    return inner_.FormatMessageA(flags, id, language, allocated);
  }
  void* LocalFree(void* memory) override { return inner_.LocalFree(memory); }
  int MultiByteToWideChar(plat::UINT codePage, plat::DWORD flags, const char* source,
                          int sourceLength, char16_t* target, int targetLength) override {
    return inner_.MultiByteToWideChar(codePage, flags, source, sourceLength, target, targetLength);
  }
  plat::Module LoadLibraryA(const char* name) override { return inner_.LoadLibraryA(name); }
  plat::Proc GetProcAddress(plat::Module module, const char* name) override {
    return inner_.GetProcAddress(module, name);
  }
  plat::BOOL FreeLibrary(plat::Module module) override { return inner_.FreeLibrary(module); }
  plat::BOOL CloseHandle(plat::Handle handle) override {
    if (handle >= HostFiles::kFileBase)
      return ::close(static_cast<int>(handle - HostFiles::kFileBase)) == 0;
    return inner_.CloseHandle(handle);
  }

 private:
  plat::ISystem& inner_;
};

void CountFound(CFileFinder*, int event, FindUserValue userValue) {
  if (event == FIND_EVENT_FOUND) ++*reinterpret_cast<int*>(userValue);
}

std::set<std::string> RunFinder(sim::Machine& machine, plat::Platform& os, const fs::path& root,
                                Timing* timing) {
  auto start = Clock::now();
  CFileFinder finder(os);
  int found = 0;
  finder.SetCallback(CountFound, reinterpret_cast<FindUserValue>(&found));
  CFileFinderParams params;
  params.Reset();
  SetPurgeSearch(params, "C:\\WINDOWS\\inf", kText);
  finder.ClearResults();
  finder.Search(params);
  if (timing != nullptr) timing->runs.push_back(Seconds(Clock::now() - start));
  std::set<std::string> results;
  for (int i = 0; i < finder.GetCount(); ++i)
    results.insert(
        machine.HostPath(finder.GetFilePath(i)).lexically_relative(root).generic_string());
  return results;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

void Report(const char* what, const std::set<std::string>& got, const std::set<std::string>& want) {
  std::printf("  %-8s %zu matches%s\n", what, got.size(), got == want ? "" : "  (DIFFERS)");
  if (got != want)
    for (const std::string& m : got) std::printf("           %s\n", m.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  bool keep = false;
  int runs = 7;
  int finderOnly = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--keep") keep = true;
    if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    if (arg == "--finder-only" && i + 1 < argc) finderOnly = std::max(1, std::atoi(argv[++i]));
  }

  const fs::path folder = fs::temp_directory_path() / ("inf-bench-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  std::unique_ptr<sim::Machine> machine = sim::Machine::Create(folder, sim::OsConfig{});
  if (machine == nullptr) {
    std::fprintf(stderr, "cannot create a machine in %s\n", folder.c_str());
    return 1;
  }
  machine->MakeFolder("C:\\WINDOWS\\inf");
  const fs::path root = machine->HostPath("C:\\WINDOWS\\inf");

  auto buildStart = Clock::now();
  Tree tree = BuildInfFolder(root);
  std::printf("INF folder %s\n  %zu files (%zu INF), %.1f MB (INF %.1f MB), built in %.1f s\n",
              root.c_str(), tree.files, tree.infFiles, tree.bytes / 1e6, tree.infBytes / 1e6,
              Seconds(Clock::now() - buildStart));

  if (finderOnly > 0) {
    Timing only;
    for (int i = 0; i < finderOnly; ++i) RunFinder(*machine, machine->Os(), root, &only);
    std::printf("finder, %d runs: median %.4f s, best %.4f s\n", finderOnly, only.Median(),
                only.Best());
    machine.reset();
    if (!keep) fs::remove_all(folder);
    return 0;
  }

  const bool haveRg = std::system("command -v rg >/dev/null 2>&1") == 0;
  const std::string grepCommand =
      "LC_ALL=C grep -rlia --include='*.inf*' " + std::string(kText) + " " + Quote(root);
  const std::string grepLocaleCommand =
      "grep -rlia --include='*.inf*' " + std::string(kText) + " " + Quote(root);
  const std::string rgCommand =
      "rg -l -i -a -uu -g '*.inf*' " + std::string(kText) + " " + Quote(root);

  // Warm the cache and check that all agree.
  std::printf("Matches (expected %zu):\n", tree.matches.size());
  Report("finder", RunFinder(*machine, machine->Os(), root, nullptr), tree.matches);
  plat::Platform& simOs = machine->Os();
  HostFiles hostFiles(machine->HostPath("C:\\"));
  HostSystem hostSystem(simOs.system);
  plat::Platform hostOs{hostSystem,     simOs.profile,  hostFiles,
                        simOs.registry, simOs.security, simOs.process,
                        simOs.shell,    simOs.setupApi, simOs.ui};
  Report("finder*", RunFinder(*machine, hostOs, root, nullptr), tree.matches);
  Report("grep", RunTool(grepCommand, root, nullptr), tree.matches);
  if (haveRg) Report("rg", RunTool(rgCommand, root, nullptr), tree.matches);

  Timing finder, finderHost, grep, grepLocale, rg;
  for (int i = 0; i < runs; ++i) {
    RunFinder(*machine, machine->Os(), root, &finder);
    RunFinder(*machine, hostOs, root, &finderHost);
    RunTool(grepCommand, root, &grep);
    RunTool(grepLocaleCommand, root, &grepLocale);
    if (haveRg) RunTool(rgCommand, root, &rg);
  }

  std::printf("Times over %d runs, median (best), seconds:\n", runs);
  std::printf("  finder            %.4f (%.4f)\n", finder.Median(), finder.Best());
  std::printf("  finder*           %.4f (%.4f)\n", finderHost.Median(), finderHost.Best());
  std::printf("  grep, LC_ALL=C    %.4f (%.4f)\n", grep.Median(), grep.Best());
  std::printf("  grep, own locale  %.4f (%.4f)\n", grepLocale.Median(), grepLocale.Best());
  if (haveRg)
    std::printf("  rg                %.4f (%.4f)\n", rg.Median(), rg.Best());
  else
    std::printf("  rg                not installed (scripts/install-deps.sh native)\n");
  std::printf("Ratios finder / tool, medians:\n");
  std::printf("  finder / grep (LC_ALL=C)   %.2f\n", finder.Median() / grep.Median());
  std::printf("  finder / grep (own locale) %.2f\n", finder.Median() / grepLocale.Median());
  if (haveRg) std::printf("  finder / rg                %.2f\n", finder.Median() / rg.Median());
  std::printf("  finder* / grep (LC_ALL=C)  %.2f\n", finderHost.Median() / grep.Median());
  if (haveRg) std::printf("  finder* / rg               %.2f\n", finderHost.Median() / rg.Median());
  std::printf(
      "(finder: through the simulated machine; finder*: the same search with its file\n"
      " calls served straight from the host folder, for comparison)\n");

  // Where the finder's time goes: the machine's file calls, and the rest.
  plat::Platform& os = machine->Os();
  TimedFiles timed(os.files);
  plat::Platform timedOs{os.system,  os.profile, timed,       os.registry, os.security,
                         os.process, os.shell,   os.setupApi, os.ui};
  Timing profiled;
  RunFinder(*machine, timedOs, root, &profiled);
  static const char* const kKindNames[] = {"listing", "full path", "open", "read", "other"};
  double inCalls = 0;
  std::printf("One finder run, %.4f s, of which in the simulated machine's file calls:\n",
              profiled.Best());
  for (int k = 0; k < TimedFiles::kKinds; ++k) {
    if (timed.calls[k] == 0) continue;
    std::printf("  %-10s %6ld calls %.4f s\n", kKindNames[k], timed.calls[k], timed.seconds[k]);
    inCalls += timed.seconds[k];
  }
  std::printf("  the finder itself, outside those calls: %.4f s\n", profiled.Best() - inCalls);

  machine.reset();
  if (!keep) fs::remove_all(folder);
  return 0;
}
