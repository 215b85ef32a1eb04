#include "platform/sim/Machine.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#include "platform/sim/MachineIni.h"
#include "platform/sim/MachineState.h"
#include "platform/sim/RegFile.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

bool ReadWhole(const fs::path& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *out = buffer.str();
  return true;
}

bool WriteWhole(const fs::path& path, std::string_view text) {
  fs::path temp = path;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) return false;
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  return !ec;
}

void Wire(Machine::State& s) {
  s.system = MakeSimSystem(s);
  s.profile = MakeSimProfile(s);
  s.files = MakeSimFileSystem(s);
  s.registryApi = MakeSimRegistry(s);
  s.security = MakeSimSecurity(s);
  s.process = MakeSimProcess(s);
  s.shell = MakeSimShell(s);
  s.setupApi = MakeSimSetupApi(s);
  s.ui = MakeSimUi(s);
  s.platform.reset(new plat::Platform{*s.system, *s.profile, *s.files, *s.registryApi, *s.security,
                                      *s.process, *s.shell, *s.setupApi, *s.ui});
}

std::string Marks(const RegNode& node) {
  std::string marks;
  auto add = [&](const char* mark) {
    if (!marks.empty()) marks += ",";
    marks += mark;
  };
  if (node.denyFullAccess) add("deny-full-access");
  if (node.currentUserGrant)
    add(node.grantInherits ? "grant-current-user-inherit" : "grant-current-user");
  return marks;
}

std::vector<std::pair<std::string, std::string>> AclLines(const RegistryTree& tree) {
  std::vector<std::pair<std::string, std::string>> out;
  tree.ForEach([&](const RegNode& node) {
    std::string marks = Marks(node);
    if (!marks.empty()) out.emplace_back(node.Path(), marks);
  });
  return out;
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
  std::string out;
  char buffer[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x", data[i]);
    out += buffer;
  }
  return out;
}

std::string Render(const RegValue& value) {
  if (value.type == plat::kRegDword && value.data.size() == 4) {
    plat::DWORD n = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                    (static_cast<plat::DWORD>(value.data[3]) << 24);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "dword:0x%08X", n);
    return buffer;
  }
  if (value.type == plat::kRegSz && !value.data.empty() && value.data.back() == 0) {
    bool printable = std::all_of(value.data.begin(), value.data.end() - 1,
                                 [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
    if (printable) return "\"" + std::string(value.data.begin(), value.data.end() - 1) + "\"";
  }
  return "hex(" + std::to_string(value.type) + "):" + HexBytes(value.data);
}

// For binary values of equal size: which bytes changed.
std::string ByteChanges(const RegValue& before, const RegValue& after) {
  if (before.type != after.type || before.data.size() == after.data.size()) {
    if (before.type == after.type && before.data.size() == after.data.size()) {
      std::string out;
      char buffer[48];
      for (std::size_t i = 0; i < before.data.size(); ++i) {
        if (before.data[i] != after.data[i]) {
          std::snprintf(buffer, sizeof buffer, "%sbyte %zu: %02x -> %02x", out.empty() ? "" : ", ",
                        i, before.data[i], after.data[i]);
          out += buffer;
        }
      }
      if (before.type == plat::kRegBinary) return out;
    }
  }
  return Render(before) + " -> " + Render(after);
}

void DiffRegistry(const RegNode* before, const RegNode* after, std::vector<Change>* out) {
  std::string path = (after != nullptr ? after : before)->Path();
  if (before == nullptr) {
    if (after->parent != nullptr) out->push_back({"key", "added", path, ""});
    for (const auto& [name, value] : after->values)
      out->push_back({"value", "added", path + "\\[" + name + "]", Render(value)});
    if (!Marks(*after).empty()) out->push_back({"acl", "added", path, Marks(*after)});
    for (const auto& child : after->subkeys) DiffRegistry(nullptr, child.get(), out);
    return;
  }
  if (after == nullptr) {
    for (const auto& child : before->subkeys) DiffRegistry(child.get(), nullptr, out);
    for (const auto& [name, value] : before->values)
      out->push_back({"value", "removed", path + "\\[" + name + "]", Render(value)});
    if (before->parent != nullptr) out->push_back({"key", "removed", path, ""});
    return;
  }
  for (const auto& [name, value] : before->values) {
    const RegValue* now = after->Value(name);
    if (now == nullptr)
      out->push_back({"value", "removed", path + "\\[" + name + "]", Render(value)});
    else if (now->type != value.type || now->data != value.data)
      out->push_back({"value", "changed", path + "\\[" + name + "]", ByteChanges(value, *now)});
  }
  for (const auto& [name, value] : after->values)
    if (before->Value(name) == nullptr)
      out->push_back({"value", "added", path + "\\[" + name + "]", Render(value)});
  std::string marksBefore = Marks(*before), marksAfter = Marks(*after);
  if (marksBefore != marksAfter)
    out->push_back({"acl",
                    marksBefore.empty()  ? "added"
                    : marksAfter.empty() ? "removed"
                                         : "changed",
                    path, marksAfter});
  // Both child lists are sorted the same way: merge them.
  std::size_t i = 0, j = 0;
  while (i < before->subkeys.size() || j < after->subkeys.size()) {
    int order = i == before->subkeys.size() ? 1
                : j == after->subkeys.size()
                    ? -1
                    : CompareNoCase(before->subkeys[i]->name, after->subkeys[j]->name);
    if (order < 0) {
      DiffRegistry(before->subkeys[i++].get(), nullptr, out);
    } else if (order > 0) {
      DiffRegistry(nullptr, after->subkeys[j++].get(), out);
    } else {
      DiffRegistry(before->subkeys[i++].get(), after->subkeys[j++].get(), out);
    }
  }
}

}  // namespace

Machine::Machine(std::unique_ptr<State> state) : state_(std::move(state)) { Wire(*state_); }
Machine::~Machine() = default;

std::unique_ptr<Machine> Machine::Load(const fs::path& folder, std::string* error) {
  auto state = std::make_unique<State>();
  std::error_code ec;
  state->folder = fs::absolute(folder, ec);
  std::string text;
  if (!ReadWhole(folder / "machine.ini", &text)) {
    *error = "machine.ini: cannot be read in " + folder.string();
    return nullptr;
  }
  MachineIni ini;
  if (!ParseMachineIni(text, &ini, error)) return nullptr;
  state->os = ini.os;
  state->iniLines = ini.lines;
  state->faults = ini.faults;
  fs::path canonicalFolder = fs::weakly_canonical(state->folder, ec);
  for (const auto& [letter, relative] : ini.drives) {
    std::string rel = relative;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    fs::path host = fs::weakly_canonical(state->folder / rel, ec);
    auto inside = host.lexically_relative(canonicalFolder);
    if (fs::path(rel).is_absolute() || inside.empty() || *inside.begin() == "..") {
      *error =
          "machine.ini: drive " + std::string(1, letter) + " must lie inside the machine folder";
      return nullptr;
    }
    state->drives[letter] = host;
  }
  std::string reg;
  if (!ReadWhole(folder / "registry.reg", &reg)) {
    *error = "registry.reg: cannot be read in " + folder.string();
    return nullptr;
  }
  RegistryTree read;
  if (!ReadRegFile(reg, &read, error)) return nullptr;
  for (const auto& [path, marks] : ini.acl) {
    RegNode* node = read.Find(path);
    if (node == nullptr) node = read.Create(path);
    if (node == nullptr) {
      *error = "machine.ini: [Acl] names a key outside HKLM and HKCU: " + path;
      return nullptr;
    }
    for (const std::string& mark : marks) {
      if (mark == "deny-full-access") node->denyFullAccess = true;
      if (mark == "grant-current-user") node->currentUserGrant = true;
      if (mark == "grant-current-user-inherit") node->currentUserGrant = node->grantInherits = true;
    }
  }
  for (const auto& [path, bits] : ini.attributes) {
    auto normalized = state->Normalize(path);
    if (!normalized) {
      *error = "machine.ini: [Attributes] names a path on no drive: " + path;
      return nullptr;
    }
    state->attributes[UpperAscii(*normalized)] = bits;
  }
  // Only a machine that loaded whole gets its empty drive folders.
  for (const auto& [letter, host] : state->drives) fs::create_directories(host, ec);
  // The registry the program walks is a copy of what was read, not the tree
  // the reader built among its own scraps: a copy lays out each key next to
  // its values, in the order of a walk over the subkeys.
  state->registry = read;
  state->registryAtLoad = read;
  state->registryOnDisk = std::move(read);
  state->attributesAtLoad = state->attributes;
  state->attributesOnDisk = state->attributes;
  return std::unique_ptr<Machine>(new Machine(std::move(state)));
}

std::unique_ptr<Machine> Machine::Create(const fs::path& folder, const OsConfig& os) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  std::vector<std::pair<char, std::string>> drives = {{'C', "drives\\C"}, {'E', "drives\\E"}};
  char windowsDrive = FoldCase(os.windowsFolder.empty() ? 'C' : os.windowsFolder[0]);
  char currentDrive = FoldCase(os.currentFolder.empty() ? 'E' : os.currentFolder[0]);
  for (char letter : {windowsDrive, currentDrive})
    if (std::none_of(drives.begin(), drives.end(),
                     [&](const auto& d) { return d.first == letter; }))
      drives.emplace_back(letter, std::string("drives\\") + letter);
  std::string ini = NewMachineIni(os, drives);
  WriteWhole(folder / "machine.ini", ini);
  WriteWhole(folder / "registry.reg", "REGEDIT4\r\n\r\n");
  std::string error;
  auto machine = Load(folder, &error);
  if (machine) {
    machine->MakeFolder(os.windowsFolder);
    machine->MakeFolder(os.systemFolder);
  }
  return machine;
}

bool Machine::Save(std::string* error) {
  State& s = *state_;
  std::vector<Change> registryChanges;
  DiffRegistry(s.registryOnDisk.Root("HKLM"), s.registry.Root("HKLM"), &registryChanges);
  DiffRegistry(s.registryOnDisk.Root("HKCU"), s.registry.Root("HKCU"), &registryChanges);
  bool registryChanged = std::any_of(registryChanges.begin(), registryChanges.end(),
                                     [](const Change& c) { return c.kind != "acl"; });
  bool aclChanged = std::any_of(registryChanges.begin(), registryChanges.end(),
                                [](const Change& c) { return c.kind == "acl"; });
  if (registryChanged && !WriteWhole(s.folder / "registry.reg", WriteRegFile(s.registry))) {
    *error = "registry.reg: cannot be written";
    return false;
  }
  if (aclChanged || s.attributes != s.attributesOnDisk) {
    std::vector<std::pair<std::string, plat::DWORD>> attributes;
    for (const auto& [key, bits] : s.attributes) attributes.emplace_back(key, bits);
    if (!WriteWhole(s.folder / "machine.ini",
                    FormatMachineIni(s.iniLines, attributes, AclLines(s.registry)))) {
      *error = "machine.ini: cannot be written";
      return false;
    }
  }
  s.registryOnDisk = s.registry;
  s.attributesOnDisk = s.attributes;
  return true;
}

plat::Platform& Machine::Os() { return *state_->platform; }
const OsConfig& Machine::Config() const { return state_->os; }
const fs::path& Machine::Folder() const { return state_->folder; }
Machine::State& Machine::Internal() { return *state_; }

void Machine::CreateKey(std::string_view key) {
  state_->registry.Create(key);
  state_->registryAtLoad.Create(key);
}

void Machine::SetValue(std::string_view key, std::string_view name, plat::DWORD type,
                       std::vector<std::uint8_t> data) {
  for (RegistryTree* tree : {&state_->registry, &state_->registryAtLoad})
    if (RegNode* node = tree->Create(key)) node->SetValue(name, RegValue{type, data});
}

void Machine::SetString(std::string_view key, std::string_view name, std::string_view text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(key, name, plat::kRegSz, std::move(data));
}

void Machine::SetDword(std::string_view key, std::string_view name, plat::DWORD value) {
  SetValue(key, name, plat::kRegDword,
           {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

bool Machine::KeyExists(std::string_view key) const {
  return state_->registry.Find(key) != nullptr;
}

std::optional<RegValue> Machine::GetValue(std::string_view key, std::string_view name) const {
  RegNode* node = state_->registry.Find(key);
  if (node == nullptr) return std::nullopt;
  const RegValue* value = node->Value(name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

std::vector<std::string> Machine::SubKeys(std::string_view key) const {
  std::vector<std::string> names;
  if (RegNode* node = state_->registry.Find(key))
    for (const auto& child : node->subkeys) names.push_back(child->name);
  return names;
}

std::vector<std::string> Machine::ValueNames(std::string_view key) const {
  std::vector<std::string> names;
  if (RegNode* node = state_->registry.Find(key))
    for (const auto& [name, value] : node->values) names.push_back(name);
  return names;
}

void Machine::DeleteKeyTree(std::string_view key) {
  state_->registry.Remove(key);
  state_->registryAtLoad.Remove(key);
}

void Machine::DenyFullAccess(std::string_view key) {
  for (RegistryTree* tree : {&state_->registry, &state_->registryAtLoad})
    if (RegNode* node = tree->Create(key)) node->denyFullAccess = true;
}

bool Machine::HasCurrentUserGrant(std::string_view key) const {
  RegNode* node = state_->registry.Find(key);
  return node != nullptr && node->currentUserGrant;
}

void Machine::WriteFile(std::string_view path, std::string_view contents, plat::DWORD attributes) {
  auto normalized = state_->Normalize(path);
  if (!normalized) return;
  auto host = state_->ToHost(*normalized);
  if (!host) return;
  std::error_code ec;
  fs::create_directories(host->parent_path(), ec);
  WriteWhole(*host, contents);
  state_->folderNames.clear();
  state_->SetAttributesOf(*normalized, attributes, false);
  state_->attributesAtLoad = state_->attributes;
}

void Machine::MakeFolder(std::string_view path) {
  auto normalized = state_->Normalize(path);
  if (!normalized) return;
  auto host = state_->ToHost(*normalized);
  if (!host) return;
  std::error_code ec;
  fs::create_directories(*host, ec);
  state_->folderNames.clear();
}

bool Machine::FileExists(std::string_view path) const {
  plat::DWORD a = Attributes(path);
  return a != plat::kInvalidFileAttributes && (a & plat::kFileAttributeDirectory) == 0;
}

bool Machine::FolderExists(std::string_view path) const {
  plat::DWORD a = Attributes(path);
  return a != plat::kInvalidFileAttributes && (a & plat::kFileAttributeDirectory) != 0;
}

std::optional<std::string> Machine::ReadFile(std::string_view path) const {
  auto normalized = state_->Normalize(path);
  if (!normalized) return std::nullopt;
  auto host = state_->ToHost(*normalized);
  std::string text;
  if (!host || fs::is_directory(*host) || !ReadWhole(*host, &text)) return std::nullopt;
  return text;
}

plat::DWORD Machine::Attributes(std::string_view path) const {
  auto normalized = state_->Normalize(path);
  if (!normalized) return plat::kInvalidFileAttributes;
  auto host = state_->ToHost(*normalized);
  if (!host) return plat::kInvalidFileAttributes;
  return state_->AttributesOf(*normalized, *host);
}

void Machine::SetAttributes(std::string_view path, plat::DWORD attributes) {
  auto normalized = state_->Normalize(path);
  if (!normalized) return;
  state_->SetAttributesOf(*normalized, attributes, FolderExists(path));
  state_->attributesAtLoad = state_->attributes;
}

fs::path Machine::HostPath(std::string_view path) const {
  auto normalized = state_->Normalize(path);
  if (!normalized) return {};
  auto host = state_->ToHost(*normalized);
  return host ? *host : fs::path{};
}

std::vector<std::string> Machine::ListTree(std::string_view folder) const {
  std::vector<std::string> out;
  fs::path host = HostPath(folder);
  std::error_code ec;
  if (host.empty() || !fs::is_directory(host, ec)) return out;
  for (fs::recursive_directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec))
    out.push_back(state_->ToWindows(it->path()));
  std::sort(out.begin(), out.end(),
            [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
  return out;
}

void Machine::AddFault(std::string_view operation, std::string_view target, plat::DWORD code) {
  state_->faults.push_back({std::string(operation), std::string(target), code});
}

const std::vector<CallRecord>& Machine::Calls() const { return state_->calls; }
void Machine::SetUserActions(std::vector<UserAction> actions) {
  state_->userActions = std::move(actions);
}
void Machine::SetQuestionAnswer(int answer) { state_->questionAnswer = answer; }
const std::vector<MessageBoxRecord>& Machine::MessageBoxes() const { return state_->messageBoxes; }
const std::vector<DialogSnapshot>& Machine::DialogHistory() const { return state_->dialogHistory; }
const RestartRecord& Machine::Restart() const { return state_->restart; }

std::vector<Change> Machine::Changes() const {
  const State& s = *state_;
  std::vector<Change> out;
  for (const auto& [key, entry] : s.touched) {
    const auto& [path, prior] = entry;
    auto host = s.ToHost(path);
    PriorFileState now;
    std::error_code ec;
    if (host) {
      auto status = fs::symlink_status(*host, ec);
      if (!ec && status.type() != fs::file_type::not_found) {
        now.existed = true;
        now.folder = fs::is_directory(*host, ec);
        now.attributes = s.AttributesOf(path, *host);
        if (!now.folder) {
          now.hash = HashFile(*host, &now.size);
        }
      }
    }
    std::string displayPath = now.existed && host ? s.ToWindows(*host) : path;
    if (!prior.existed && now.existed) {
      out.push_back({now.folder ? "folder" : "file", "added", displayPath, ""});
    } else if (prior.existed && !now.existed) {
      out.push_back({prior.folder ? "folder" : "file", "removed", path, ""});
    } else if (prior.existed && now.existed) {
      if (prior.folder != now.folder) {
        out.push_back({prior.folder ? "folder" : "file", "removed", path, ""});
        out.push_back({now.folder ? "folder" : "file", "added", displayPath, ""});
      } else if (prior.hash != now.hash || prior.size != now.size) {
        out.push_back({"file", "changed", displayPath, "contents"});
      } else if (prior.attributes != now.attributes) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "attributes 0x%X -> 0x%X", prior.attributes,
                      now.attributes);
        out.push_back({now.folder ? "folder" : "file", "changed", displayPath, buffer});
      }
    }
  }
  DiffRegistry(s.registryAtLoad.Root("HKLM"), s.registry.Root("HKLM"), &out);
  DiffRegistry(s.registryAtLoad.Root("HKCU"), s.registry.Root("HKCU"), &out);
  return out;
}

}  // namespace sim
