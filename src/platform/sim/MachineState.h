// The inside of a simulated machine: its registry tree, its drives, its faults,
// what it has recorded. The sim's services (Sim*.cpp) work on this state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/Machine.h"

namespace sim {

// ASCII case folding, as the registry and the file system compare names.
char FoldCase(char c);
std::string UpperAscii(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);
struct LessNoCase {
  bool operator()(const std::string& a, const std::string& b) const {
    return CompareNoCase(a, b) < 0;
  }
};
// "*" and "?" wildcards, case-insensitive, as FindFirstFile and [Faults] match names.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// ---- Registry ----

struct RegNode;

// A key's children by name without regard to case: open addressing over slots
// of (hash, child), so that a lookup reads one slot array and the child it
// finds, and costs the same whatever the number of siblings.
class ChildIndex {
 public:
  RegNode* Find(std::string_view name) const;
  void Insert(RegNode* child);  // its name is not in the index yet
  void Erase(const RegNode* child);

 private:
  struct Slot {
    std::size_t hash = 0;
    RegNode* node = nullptr;  // null: never used; Erased(): free again
  };
  static RegNode* Erased();
  static bool Live(const Slot& slot) { return slot.node != nullptr && slot.node != Erased(); }
  static std::size_t Hash(std::string_view name);
  void Grow();
  std::vector<Slot> slots_;  // a power of two in size, at most half in use
  std::size_t used_ = 0;     // slots that are not empty, erased ones included
};

struct RegNode : std::enable_shared_from_this<RegNode> {
  std::string name;  // as created
  RegNode* parent = nullptr;
  std::vector<std::pair<std::string, RegValue>> values;  // insertion order
  std::vector<std::shared_ptr<RegNode>> subkeys;         // sorted without regard to case
  ChildIndex index;                                      // the same children by name
  // The child RegEnumKey last named: callers that walk the subkeys open the
  // name they were just given, and find it here without the index.
  std::size_t lastEnumerated = 0;
  mutable std::string pathCache;
  bool deleted = false;
  std::string formerPath;  // a deleted key's path: it no longer has a parent
  // Access control, as far as the program relies on it.
  bool denyFullAccess = false;    // full-access opens and deletion refused until granted
  bool currentUserGrant = false;  // CURRENT_USER holds GENERIC_ALL
  bool grantInherits = false;     // that grant reaches every subkey

  RegNode* Child(std::string_view childName) const;
  // Index of the child in subkeys, or of where it would go.
  std::size_t LowerBound(std::string_view childName) const;
  RegNode* AddChild(std::string_view childName);    // existing or new
  void AdoptChild(std::shared_ptr<RegNode> child);  // appended: callers keep the order
  void RemoveChild(RegNode* child);
  const RegValue* Value(std::string_view valueName) const;
  RegValue* Value(std::string_view valueName);
  void SetValue(std::string_view valueName, RegValue value);
  bool RemoveValue(std::string_view valueName);
  // "HKLM\a\b" for this node.
  const std::string& Path() const;
  // Whether a grant to CURRENT_USER on this key or (inherited) on a parent lets it
  // be opened for full access.
  bool FullAccessAllowed() const;
};

class RegistryTree {
 public:
  RegistryTree();
  RegistryTree(const RegistryTree& other);  // deep copy
  RegistryTree& operator=(const RegistryTree& other);
  RegistryTree(RegistryTree&& other) = default;
  RegistryTree& operator=(RegistryTree&& other) = default;

  // Roots by short name "HKLM"/"HKCU" or long "HKEY_LOCAL_MACHINE"/"HKEY_CURRENT_USER".
  RegNode* Root(std::string_view rootName) const;
  RegNode* Root(plat::HKey predefined) const;
  // Splits "HKLM\a\b" and walks it; null when missing. Both separators count.
  RegNode* Find(std::string_view path) const;
  RegNode* Create(std::string_view path);
  bool Remove(std::string_view path);  // the key and its subtree
  // Walks sub below node ("a\b"); null when missing.
  static RegNode* Walk(RegNode* node, std::string_view sub);
  static RegNode* CreateBelow(RegNode* node, std::string_view sub);

  // Every key, depth-first in enumeration order, with its values.
  void ForEach(const std::function<void(const RegNode&)>& visit) const;

 private:
  std::shared_ptr<RegNode> hklm_;
  std::shared_ptr<RegNode> hkcu_;
};

// ---- Files ----

// What a file or folder was before the program first changed it.
struct PriorFileState {
  bool existed = false;
  bool folder = false;
  std::uint64_t hash = 0;
  std::uint64_t size = 0;
  plat::DWORD attributes = 0;
};

// FNV-1a of a host file's bytes, and its size.
std::uint64_t HashFile(const std::filesystem::path& host, std::uint64_t* size);

// ---- Faults ----

struct FaultRule {
  std::string operation;
  std::string target;  // wildcard pattern, "*" for any
  plat::DWORD code = 0;
};

// ---- The whole state ----

struct Machine::State {
  std::filesystem::path folder;
  OsConfig os;
  std::map<char, std::filesystem::path> drives;  // upper-case letter -> host folder (absolute)

  RegistryTree registry;
  // The baseline that Changes() compares with: the state at load plus what the
  // test or tool set up through Machine's setters.
  RegistryTree registryAtLoad;
  // What registry.reg and machine.ini hold now, so that Save writes only changes.
  RegistryTree registryOnDisk;

  // Attribute bits of files that do not carry plain FILE_ATTRIBUTE_ARCHIVE, by
  // upper-cased Windows path. Folders carry FILE_ATTRIBUTE_DIRECTORY plus these.
  std::map<std::string, plat::DWORD> attributes;
  std::map<std::string, plat::DWORD> attributesAtLoad;
  std::map<std::string, plat::DWORD> attributesOnDisk;
  // Prior state of every path the program changed, by upper-cased Windows path.
  std::map<std::string, std::pair<std::string, PriorFileState>>
      touched;  // value: original spelling

  std::vector<FaultRule> faults;
  std::vector<CallRecord> calls;
  bool recordCalls = true;            // whether calls keeps a record of each call
  std::uint64_t callCount = 0;        // every call, recorded or not
  std::vector<std::string> iniLines;  // machine.ini as loaded, to keep what is not ours

  plat::DWORD lastError = 0;

  // Memory handed out to the program, freed by LocalFree.
  std::map<void*, std::shared_ptr<void>> allocations;
  void* Allocate(std::size_t bytes);
  bool Free(void* memory);

  // The simulated user and what the program showed.
  std::vector<UserAction> userActions;
  int questionAnswer = plat::kIdOk;
  std::vector<MessageBoxRecord> messageBoxes;
  std::vector<DialogSnapshot> dialogHistory;
  DialogSnapshot dialog;  // the current one
  bool dialogOpen = false;
  RestartRecord restart;

  // Records the call and answers whether a [Faults] rule makes it fail; sets
  // lastError and *code when it does. Operations on two targets ask twice.
  bool Fault(std::string_view operation, std::string_view target, plat::DWORD* code = nullptr);
  bool Fault2(std::string_view operation, std::string_view target1, std::string_view target2,
              plat::DWORD* code = nullptr);
  // The same for a call whose target text costs more to build than the call
  // itself: target() runs only when the log or a rule will read it.
  template <typename MakeTarget>
  bool FaultOn(std::string_view operation, MakeTarget&& target, plat::DWORD* code = nullptr) {
    if (!recordCalls && faults.empty()) {
      ++callCount;
      return false;
    }
    return Fault(operation, target(), code);
  }
  const FaultRule* MatchFault(std::string_view operation, std::string_view target) const;

  // ---- File system helpers, by Windows path ----
  // Normalised Windows path ("C:\A\b"), or nullopt when it is not a path on a
  // drive of this machine (relative paths are taken from the current folder).
  std::optional<std::string> Normalize(std::string_view path) const;
  // Host path of a normalised path, each component matched without regard to
  // case against what exists; components that do not exist keep their spelling.
  // Refuses (nullopt) paths that leave the machine folder through a host link.
  std::optional<std::filesystem::path> ToHost(std::string_view normalizedPath) const;
  // The Windows spelling of a host path inside a drive.
  std::string ToWindows(const std::filesystem::path& host) const;
  bool IsOnRoot(std::string_view normalizedPath) const;
  plat::DWORD AttributesOf(std::string_view normalizedPath,
                           const std::filesystem::path& host) const;
  void SetAttributesOf(std::string_view normalizedPath, plat::DWORD attributes, bool folder);
  void ForgetAttributes(std::string_view normalizedPath);  // the path and everything below
  // Before the program changes a path: remember what it was (once).
  void Touch(std::string_view normalizedPath);
  void TouchTree(std::string_view normalizedPath);

  // Host folders already resolved, by upper-cased Windows path; only real
  // folders reached without a link. Cleared whenever a folder is removed.
  mutable std::unordered_map<std::string, std::filesystem::path> folderCache;
  mutable std::filesystem::path canonicalFolder;  // the machine folder, links resolved
  // The names in a host folder by folded spelling, for lookups that miss the
  // exact spelling; kept with the folder's modification time when read, and
  // dropped when the machine changes something in that folder.
  struct FolderNames {
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    std::unordered_map<std::string, std::string> names;
  };
  mutable std::unordered_map<std::string, FolderNames> folderNames;
  // Counts removals of files and folders, so that enumerations know when to
  // look again whether an entry still exists.
  std::uint64_t removals = 0;
  void FileRemoved() { ++removals; }
  void FolderRemoved() {
    ++removals;
    folderCache.clear();
  }

  // ---- Dialog and boxes ----
  void RecordDialog();  // pushes dialog onto dialogHistory when it changed

  // The services and the bundle the program receives.
  std::unique_ptr<plat::ISystem> system;
  std::unique_ptr<plat::IProfile> profile;
  std::unique_ptr<plat::IFileSystem> files;
  std::unique_ptr<plat::IRegistry> registryApi;
  std::unique_ptr<plat::ISecurity> security;
  std::unique_ptr<plat::IProcess> process;
  std::unique_ptr<plat::IShell> shell;
  std::unique_ptr<plat::ISetupApi> setupApi;
  std::unique_ptr<plat::IUi> ui;
  std::unique_ptr<plat::Platform> platform;

  // Open registry keys by handle; predefined roots are not in here.
  struct OpenKey {
    std::shared_ptr<RegNode> node;
    plat::DWORD access = 0;
  };
  std::map<plat::HKey, OpenKey> openKeys;
  plat::HKey nextKeyHandle = 0x1000;
  std::shared_ptr<RegNode> NodeOf(plat::HKey key) const;  // null when not a valid handle
  std::shared_ptr<RegNode> SharedOf(RegNode* node) const;

  // Generic handles (find handles, files, tokens, modules) share one counter;
  // ISystem::CloseHandle runs the closer its service registered.
  plat::Handle nextHandle = 0x100;
  plat::Handle NewHandle() { return nextHandle += 4; }
  std::map<plat::Handle, std::function<void()>> handleClosers;
};

// Factories of the services, one per file.
std::unique_ptr<plat::ISystem> MakeSimSystem(Machine::State& state);
std::unique_ptr<plat::IProfile> MakeSimProfile(Machine::State& state);
std::unique_ptr<plat::IFileSystem> MakeSimFileSystem(Machine::State& state);
std::unique_ptr<plat::IRegistry> MakeSimRegistry(Machine::State& state);
std::unique_ptr<plat::ISecurity> MakeSimSecurity(Machine::State& state);
std::unique_ptr<plat::IProcess> MakeSimProcess(Machine::State& state);
std::unique_ptr<plat::IShell> MakeSimShell(Machine::State& state);
std::unique_ptr<plat::ISetupApi> MakeSimSetupApi(Machine::State& state);
std::unique_ptr<plat::IUi> MakeSimUi(Machine::State& state);

// The shell link object behind IShell::CoCreateInstance(CLSID_ShellLink).
plat::HRESULT CreateSimShellLink(Machine::State& state, const plat::Guid& iid, void** object);

// Whether LoadLibraryA/GetProcAddress know a module or function (SimSystem asks).
bool SimModuleExists(const Machine::State& state, std::string_view name);
// A Proc value for a function of a module, 0 when it has none of that name.
plat::Proc SimProcAddress(const Machine::State& state, std::string_view module,
                          std::string_view name);

}  // namespace sim
