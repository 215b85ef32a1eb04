// The Setup API of the simulated machine, as far as the setup program uses it:
// the library "SETUPAPI" (on the NT family only) and SetupCopyOEMInfA with a path
// source. As on Windows, an INF is copied into the INF folder under the next free
// oemN.inf with a compiled oemN.PNF beside it, and an INF identical to one
// already there is answered with that name instead of a new copy.
#include <cctype>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/sim/MachineState.h"

namespace sim {
namespace {

constexpr std::string_view kSetupApiModule = "SETUPAPI";
constexpr std::string_view kCopyOemInfName = "SetupCopyOEMInfA";
constexpr plat::Proc kCopyOemInfProc = 0x77E10000u;
// Setup API error of a file that is no INF of the Windows NT style.
constexpr plat::DWORD kErrorWrongInfStyle = 0xE0000100u;
// Windows names no more oemN.inf files than this before giving up.
constexpr int kMaxOemNumber = 9999;

// "setupapi", "SETUPAPI.DLL" and "C:\WINDOWS\System32\setupapi.dll" name the same module.
std::string ModuleBaseName(std::string_view name) {
  std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string upper = UpperAscii(name);
  if (upper.size() > 4 && upper.ends_with(".DLL")) upper.resize(upper.size() - 4);
  return upper;
}

std::optional<std::string> ReadHostFile(const std::filesystem::path& host) {
  std::ifstream in(host, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(text).str();
}

bool WriteHostFile(const std::filesystem::path& host, std::string_view contents) {
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  return static_cast<bool>(out.flush());
}

// An INF of the Windows NT style names its [Version] section; the section name
// may stand after blanks and in any letter case.
bool LooksLikeInf(std::string_view fileName, std::string_view contents) {
  if (fileName.size() < 5 || !EqualNoCase(fileName.substr(fileName.size() - 4), ".inf"))
    return false;
  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t end = contents.find('\n', start);
    if (end == std::string_view::npos) end = contents.size();
    std::string_view line = contents.substr(start, end - start);
    std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string_view::npos) {
      line.remove_prefix(first);
      if (line.size() >= 9 && EqualNoCase(line.substr(0, 9), "[version]")) return true;
    }
    start = end + 1;
  }
  return false;
}

// oemN.inf, N decimal.
bool IsOemInfName(std::string_view name) {
  if (name.size() < 8 || !EqualNoCase(name.substr(0, 3), "oem") ||
      !EqualNoCase(name.substr(name.size() - 4), ".inf"))
    return false;
  for (char c : name.substr(3, name.size() - 7))
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

std::string FolderOf(std::string_view path) {
  std::size_t slash = path.find_last_of('\\');
  if (slash == std::string_view::npos) return {};
  // Keep the backslash of a drive root ("C:\").
  return std::string(path.substr(0, slash == 2 ? 3 : slash));
}

std::string NameOf(std::string_view path) {
  std::size_t slash = path.find_last_of('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// Our compiled form of an INF: what the system needs later, above all where the
// INF came from.
std::string CompiledInf(std::string_view oemName, std::string_view originalName,
                        plat::DWORD mediaType, std::string_view location) {
  std::string text = "SIMPNF 1\r\n";
  text += "InfName=" + std::string(oemName) + "\r\n";
  text += "OriginalInfName=" + std::string(originalName) + "\r\n";
  text += "SourceMediaType=" + std::to_string(mediaType) + "\r\n";
  text += "OriginalLocation=" + std::string(location) + "\r\n";
  return text;
}

class SimSetupApi final : public plat::ISetupApi {
 public:
  explicit SimSetupApi(Machine::State& state) : state_(state) {}

  plat::BOOL SetupCopyOEMInfA(plat::Proc function, const char* sourceInfFileName,
                              const char* oemSourceMediaLocation, plat::DWORD oemSourceMediaType,
                              plat::DWORD copyStyle, char* destinationInfFileName,
                              plat::DWORD destinationInfFileNameSize, plat::DWORD* requiredSize,
                              char** destinationInfFileNameComponent) override {
    (void)copyStyle;  // the program asks for no copy style; none is simulated
    if (function != kCopyOemInfProc || sourceInfFileName == nullptr)
      return Fail(plat::kErrorInvalidParameter);
    if (state_.Fault("SetupCopyOEMInf", sourceInfFileName)) return 0;

    // The source: an existing INF file on a drive of the machine.
    std::optional<std::string> source = state_.Normalize(sourceInfFileName);
    if (!source) return Fail(plat::kErrorFileNotFound);
    std::optional<std::filesystem::path> sourceHost = state_.ToHost(*source);
    std::error_code error;
    if (!sourceHost || !std::filesystem::is_regular_file(*sourceHost, error))
      return Fail(plat::kErrorFileNotFound);
    std::optional<std::string> contents = ReadHostFile(*sourceHost);
    if (!contents) return Fail(plat::kErrorAccessDenied);
    if (!LooksLikeInf(NameOf(*source), *contents)) return Fail(kErrorWrongInfStyle);

    std::optional<std::string> infFolder = state_.Normalize(state_.os.windowsFolder + "\\inf");
    if (!infFolder) return Fail(plat::kErrorPathNotFound);
    std::optional<std::filesystem::path> infHost = state_.ToHost(*infFolder);
    if (!infHost) return Fail(plat::kErrorPathNotFound);

    // An identical INF already in the store keeps its name.
    std::string oemName = FindIdentical(*infHost, *contents);
    bool copy = oemName.empty();
    if (copy) {
      oemName = NextFreeName(*infFolder);
      if (oemName.empty()) return Fail(plat::kErrorFileExists);
    }

    std::string destination = *infFolder + "\\" + oemName;
    plat::DWORD needed = static_cast<plat::DWORD>(destination.size() + 1);
    if (requiredSize != nullptr) *requiredSize = needed;
    if (destinationInfFileName != nullptr && destinationInfFileNameSize < needed)
      return Fail(plat::kErrorInsufficientBuffer);

    std::string pnfName = oemName.substr(0, oemName.size() - 4) + ".PNF";
    std::string pnf = *infFolder + "\\" + pnfName;
    if (copy) {
      if (!MakeFolder(*infFolder, *infHost)) return Fail(plat::kErrorAccessDenied);
      if (!WriteNew(destination, *contents)) return Fail(plat::kErrorAccessDenied);
    }
    std::optional<std::filesystem::path> pnfHost = state_.ToHost(pnf);
    if (copy || (pnfHost && !std::filesystem::exists(*pnfHost, error))) {
      // With a path source and no location given, the INF's own folder is its origin.
      std::string location;
      if (oemSourceMediaLocation != nullptr)
        location = oemSourceMediaLocation;
      else if (oemSourceMediaType == plat::kSpostPath)
        location = FolderOf(*source);
      if (!WriteNew(pnf, CompiledInf(oemName, NameOf(*source), oemSourceMediaType, location)))
        return Fail(plat::kErrorAccessDenied);
    }

    if (destinationInfFileName != nullptr) {
      destination.copy(destinationInfFileName, destination.size());
      destinationInfFileName[destination.size()] = '\0';
      if (destinationInfFileNameComponent != nullptr)
        *destinationInfFileNameComponent =
            destinationInfFileName + destination.size() - oemName.size();
    } else if (destinationInfFileNameComponent != nullptr) {
      *destinationInfFileNameComponent = nullptr;
    }
    state_.lastError = plat::kErrorSuccess;
    return 1;
  }

 private:
  plat::BOOL Fail(plat::DWORD code) {
    state_.lastError = code;
    return 0;
  }

  // The name of an oemN.inf in the store with exactly these bytes, empty when none.
  std::string FindIdentical(const std::filesystem::path& infHost, const std::string& contents) {
    std::error_code error;
    std::string found;
    for (std::filesystem::directory_iterator it(infHost, error), end; !error && it != end;
         it.increment(error)) {
      std::error_code ignored;
      std::string name = it->path().filename().string();
      if (!IsOemInfName(name) || !it->is_regular_file(ignored)) continue;
      if (std::filesystem::file_size(it->path(), ignored) != contents.size()) continue;
      std::optional<std::string> other = ReadHostFile(it->path());
      // The lowest number wins when there are several, as the host lists in any order.
      if (other && *other == contents && (found.empty() || OemNumber(name) < OemNumber(found)))
        found = name;
    }
    return found;
  }

  // N of oemN.inf; names with more digits than any real store holds count as largest.
  static unsigned long OemNumber(std::string_view name) {
    std::string_view digits = name.substr(3, name.size() - 7);
    if (digits.size() > 9) return ~0ul;
    unsigned long number = 0;
    for (char c : digits) number = number * 10 + static_cast<unsigned long>(c - '0');
    return number;
  }

  // The first oemN.inf for which neither the INF nor its PNF exists.
  std::string NextFreeName(const std::string& infFolder) {
    std::error_code error;
    for (int number = 0; number <= kMaxOemNumber; ++number) {
      std::string base = infFolder + "\\oem" + std::to_string(number);
      std::optional<std::filesystem::path> inf = state_.ToHost(base + ".inf");
      std::optional<std::filesystem::path> pnf = state_.ToHost(base + ".PNF");
      if (!inf || !pnf) continue;
      if (!std::filesystem::exists(*inf, error) && !std::filesystem::exists(*pnf, error))
        return "oem" + std::to_string(number) + ".inf";
    }
    return {};
  }

  // The INF folder always exists on Windows; a bare simulated machine may lack it.
  bool MakeFolder(const std::string& folder, const std::filesystem::path& host) {
    std::error_code error;
    if (std::filesystem::is_directory(host, error)) return true;
    state_.Touch(folder);
    return std::filesystem::create_directories(host, error);
  }

  // Writes a file of the store; new files carry the archive bit alone.
  bool WriteNew(const std::string& path, std::string_view contents) {
    std::optional<std::filesystem::path> host = state_.ToHost(path);
    if (!host) return false;
    std::error_code error;
    bool existed = std::filesystem::exists(*host, error);
    state_.Touch(path);
    if (!WriteHostFile(*host, contents)) return false;
    if (!existed) state_.SetAttributesOf(path, plat::kFileAttributeArchive, false);
    return true;
  }

  Machine::State& state_;
};

}  // namespace

std::unique_ptr<plat::ISetupApi> MakeSimSetupApi(Machine::State& state) {
  return std::make_unique<SimSetupApi>(state);
}

bool SimModuleExists(const Machine::State& state, std::string_view name) {
  return state.os.IsNt() && ModuleBaseName(name) == kSetupApiModule;
}

plat::Proc SimProcAddress(const Machine::State& state, std::string_view module,
                          std::string_view name) {
  // Exported names are matched exactly, as GetProcAddress does.
  if (!SimModuleExists(state, module) || name != kCopyOemInfName) return 0;
  return kCopyOemInfProc;
}

}  // namespace sim
