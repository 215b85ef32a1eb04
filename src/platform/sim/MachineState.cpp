#include "platform/sim/MachineState.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>

#include "res/StatusId.h"

namespace fs = std::filesystem;

namespace sim {

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = FoldCase(c);
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(FoldCase(a[i]));
    auto y = static_cast<unsigned char>(FoldCase(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool WildcardMatch(std::string_view pattern, std::string_view text) {
  // Iterative matcher with one backtrack point for the last star.
  std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(text[t]))) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// ---- ChildIndex ----

RegNode* ChildIndex::Erased() {
  static RegNode marker;
  return &marker;
}

std::size_t ChildIndex::Hash(std::string_view name) {
  std::size_t hash = 1469598103934665603ull;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211ull;
  return hash;
}

RegNode* ChildIndex::Find(std::string_view name) const {
  if (slots_.empty()) return nullptr;
  const std::size_t hash = Hash(name), mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.node == nullptr) return nullptr;
    if (slot.hash == hash && Live(slot) && EqualNoCase(slot.node->name, name)) return slot.node;
  }
}

void ChildIndex::Insert(RegNode* child) {
  if (2 * (used_ + 1) > slots_.size()) Grow();
  const std::size_t hash = Hash(child->name), mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (Live(slots_[i])) i = (i + 1) & mask;
  if (slots_[i].node == nullptr) ++used_;
  slots_[i] = Slot{hash, child};
}

void ChildIndex::Erase(const RegNode* child) {
  if (slots_.empty()) return;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = Hash(child->name) & mask; slots_[i].node != nullptr; i = (i + 1) & mask) {
    if (slots_[i].node == child) {
      slots_[i].node = Erased();
      return;
    }
  }
}

// Runs when half the slots are in use, erased ones included: rebuilds at four
// times the live children and drops the erased slots, so that a table that
// only churns keeps its size.
void ChildIndex::Grow() {
  std::size_t live = 0;
  for (const Slot& slot : slots_) live += Live(slot);
  std::size_t size = 8;
  while (size < 4 * (live + 1)) size *= 2;
  std::vector<Slot> old(size);
  old.swap(slots_);
  used_ = 0;
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (!Live(slot)) continue;
    std::size_t i = slot.hash & mask;
    while (slots_[i].node != nullptr) i = (i + 1) & mask;
    slots_[i] = slot;
    ++used_;
  }
}

// ---- RegNode ----

std::size_t RegNode::LowerBound(std::string_view childName) const {
  auto it = std::lower_bound(subkeys.begin(), subkeys.end(), childName,
                             [](const std::shared_ptr<RegNode>& node, std::string_view name) {
                               return CompareNoCase(node->name, name) < 0;
                             });
  return static_cast<std::size_t>(it - subkeys.begin());
}

RegNode* RegNode::Child(std::string_view childName) const {
  if (lastEnumerated < subkeys.size()) {
    RegNode* recent = subkeys[lastEnumerated].get();
    if (EqualNoCase(recent->name, childName)) return recent;
  }
  return index.Find(childName);
}

RegNode* RegNode::AddChild(std::string_view childName) {
  if (RegNode* existing = Child(childName)) return existing;
  std::size_t i = LowerBound(childName);
  auto node = std::make_shared<RegNode>();
  node->name = std::string(childName);
  node->parent = this;
  RegNode* raw = node.get();
  subkeys.insert(subkeys.begin() + static_cast<std::ptrdiff_t>(i), std::move(node));
  index.Insert(raw);
  return raw;
}

void RegNode::AdoptChild(std::shared_ptr<RegNode> child) {
  child->parent = this;
  index.Insert(child.get());
  subkeys.push_back(std::move(child));
}

namespace {
// Open handles may outlive a deleted subtree; its nodes keep their old path and
// lose their parent, which may be gone before them.
void MarkDeleted(RegNode& node, const std::string& path) {
  for (auto& child : node.subkeys) MarkDeleted(*child, path + "\\" + child->name);
  node.deleted = true;
  node.formerPath = path;
  node.parent = nullptr;
}
}  // namespace

void RegNode::RemoveChild(RegNode* child) {
  std::size_t i = LowerBound(child->name);
  if (i < subkeys.size() && subkeys[i].get() == child) {
    index.Erase(child);
    MarkDeleted(*child, child->Path());
    subkeys.erase(subkeys.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

const RegValue* RegNode::Value(std::string_view valueName) const {
  for (const auto& [name, value] : values)
    if (EqualNoCase(name, valueName)) return &value;
  return nullptr;
}

RegValue* RegNode::Value(std::string_view valueName) {
  for (auto& [name, value] : values)
    if (EqualNoCase(name, valueName)) return &value;
  return nullptr;
}

void RegNode::SetValue(std::string_view valueName, RegValue value) {
  if (RegValue* existing = Value(valueName)) {
    *existing = std::move(value);
    return;
  }
  values.emplace_back(std::string(valueName), std::move(value));
}

bool RegNode::RemoveValue(std::string_view valueName) {
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (EqualNoCase(it->first, valueName)) {
      values.erase(it);
      return true;
    }
  }
  return false;
}

const std::string& RegNode::Path() const {
  if (deleted) return formerPath;
  if (parent == nullptr) return name;
  // A key's name and parent never change while it lives, so its path can be kept.
  if (pathCache.empty()) pathCache = parent->Path() + "\\" + name;
  return pathCache;
}

bool RegNode::FullAccessAllowed() const {
  if (!denyFullAccess || currentUserGrant) return true;
  for (const RegNode* up = parent; up != nullptr; up = up->parent)
    if (up->currentUserGrant && up->grantInherits) return true;
  return false;
}

// ---- RegistryTree ----

RegistryTree::RegistryTree()
    : hklm_(std::make_shared<RegNode>()), hkcu_(std::make_shared<RegNode>()) {
  hklm_->name = "HKLM";
  hkcu_->name = "HKCU";
}

namespace {
std::shared_ptr<RegNode> CopyTree(const RegNode& from, RegNode* parent) {
  auto node = std::make_shared<RegNode>();
  node->name = from.name;
  node->parent = parent;
  node->values = from.values;
  node->denyFullAccess = from.denyFullAccess;
  node->currentUserGrant = from.currentUserGrant;
  node->grantInherits = from.grantInherits;
  node->subkeys.reserve(from.subkeys.size());
  for (const auto& child : from.subkeys) node->AdoptChild(CopyTree(*child, node.get()));
  return node;
}

void Visit(const RegNode& node, const std::function<void(const RegNode&)>& visit) {
  visit(node);
  for (const auto& child : node.subkeys) Visit(*child, visit);
}

// Calls part(component) for each non-empty component of "a\\b\\c", in order,
// until it returns false.
template <typename Part>
void ForEachPathPart(std::string_view path, Part part) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (i > start && !part(path.substr(start, i - start))) return;
      start = i + 1;
    }
  }
}

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
  std::vector<std::string_view> parts;
  ForEachPathPart(path, [&](std::string_view part) {
    parts.push_back(part);
    return true;
  });
  return parts;
}
}  // namespace

RegistryTree::RegistryTree(const RegistryTree& other)
    : hklm_(CopyTree(*other.hklm_, nullptr)), hkcu_(CopyTree(*other.hkcu_, nullptr)) {}

RegistryTree& RegistryTree::operator=(const RegistryTree& other) {
  if (this != &other) {
    hklm_ = CopyTree(*other.hklm_, nullptr);
    hkcu_ = CopyTree(*other.hkcu_, nullptr);
  }
  return *this;
}

RegNode* RegistryTree::Root(std::string_view rootName) const {
  if (EqualNoCase(rootName, "HKLM") || EqualNoCase(rootName, "HKEY_LOCAL_MACHINE"))
    return hklm_.get();
  if (EqualNoCase(rootName, "HKCU") || EqualNoCase(rootName, "HKEY_CURRENT_USER"))
    return hkcu_.get();
  return nullptr;
}

RegNode* RegistryTree::Root(plat::HKey predefined) const {
  if (predefined == plat::kHkeyLocalMachine) return hklm_.get();
  if (predefined == plat::kHkeyCurrentUser) return hkcu_.get();
  return nullptr;
}

RegNode* RegistryTree::Walk(RegNode* node, std::string_view sub) {
  ForEachPathPart(sub, [&](std::string_view part) {
    node = node == nullptr ? nullptr : node->Child(part);
    return node != nullptr;
  });
  return node;
}

RegNode* RegistryTree::CreateBelow(RegNode* node, std::string_view sub) {
  ForEachPathPart(sub, [&](std::string_view part) {
    node = node->AddChild(part);
    return true;
  });
  return node;
}

RegNode* RegistryTree::Find(std::string_view path) const {
  std::size_t cut = path.find('\\');
  RegNode* root = Root(path.substr(0, cut));
  if (root == nullptr || cut == std::string_view::npos) return root;
  return Walk(root, path.substr(cut + 1));
}

RegNode* RegistryTree::Create(std::string_view path) {
  std::size_t cut = path.find('\\');
  RegNode* root = Root(path.substr(0, cut));
  if (root == nullptr) return nullptr;
  if (cut == std::string_view::npos) return root;
  return CreateBelow(root, path.substr(cut + 1));
}

bool RegistryTree::Remove(std::string_view path) {
  RegNode* node = Find(path);
  if (node == nullptr || node->parent == nullptr) return false;
  node->parent->RemoveChild(node);
  return true;
}

void RegistryTree::ForEach(const std::function<void(const RegNode&)>& visit) const {
  Visit(*hklm_, visit);
  Visit(*hkcu_, visit);
}

// ---- State ----

void* Machine::State::Allocate(std::size_t bytes) {
  std::shared_ptr<char[]> block(new char[bytes == 0 ? 1 : bytes]());
  void* raw = block.get();
  allocations.emplace(raw, std::shared_ptr<void>(block, raw));
  return raw;
}

bool Machine::State::Free(void* memory) { return allocations.erase(memory) != 0; }

namespace {
std::string WithBackslashes(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}
}  // namespace

const FaultRule* Machine::State::MatchFault(std::string_view operation,
                                            std::string_view target) const {
  for (const FaultRule& rule : faults) {
    if (!EqualNoCase(rule.operation, operation)) continue;
    if (rule.target == "*" || WildcardMatch(WithBackslashes(rule.target), WithBackslashes(target)))
      return &rule;
  }
  return nullptr;
}

bool Machine::State::Fault(std::string_view operation, std::string_view target, plat::DWORD* code) {
  ++callCount;
  if (recordCalls) calls.push_back({std::string(operation), std::string(target)});
  const FaultRule* rule = MatchFault(operation, target);
  if (rule == nullptr) return false;
  lastError = rule->code;
  if (code != nullptr) *code = rule->code;
  return true;
}

bool Machine::State::Fault2(std::string_view operation, std::string_view target1,
                            std::string_view target2, plat::DWORD* code) {
  ++callCount;
  if (recordCalls)
    calls.push_back({std::string(operation), std::string(target1) + " -> " + std::string(target2)});
  const FaultRule* rule = MatchFault(operation, target1);
  if (rule == nullptr) rule = MatchFault(operation, target2);
  if (rule == nullptr) return false;
  lastError = rule->code;
  if (code != nullptr) *code = rule->code;
  return true;
}

std::optional<std::string> Machine::State::Normalize(std::string_view path) const {
  std::string text(path);
  std::replace(text.begin(), text.end(), '/', '\\');
  if (text.empty()) return std::nullopt;
  if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') return std::nullopt;  // network paths
  std::string full;
  if (text.size() >= 2 && text[1] == ':') {
    full = text;
    if (full.size() == 2 || full[2] != '\\') full.insert(2, "\\");
  } else if (text[0] == '\\') {
    full = os.currentFolder.substr(0, 2) + text;
  } else {
    full = os.currentFolder;
    if (full.empty() || full.back() != '\\') full += '\\';
    full += text;
  }
  char letter = FoldCase(full[0]);
  if (drives.find(letter) == drives.end()) return std::nullopt;
  std::vector<std::string> parts;
  for (std::string_view part : SplitKeyPath(std::string_view(full).substr(3))) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.emplace_back(part);
  }
  std::string out;
  out += letter;
  out += ":\\";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  return out;
}

bool Machine::State::IsOnRoot(std::string_view normalizedPath) const {
  return normalizedPath.size() == 3;
}

namespace {
bool IsInside(const fs::path& path, const fs::path& root) {
  auto rel = path.lexically_relative(root);
  return !rel.empty() && *rel.begin() != "..";
}
}  // namespace

namespace {
// Resolves one component below host: the exact spelling, else a name equal
// without regard to case (looked up in the folder's names, read once while
// the folder stays unchanged). Fills st when it exists.
bool ResolveComponent(std::unordered_map<std::string, Machine::State::FolderNames>* cache,
                      fs::path* host, std::string_view part, struct stat* st) {
  fs::path exact = *host / std::string(part);
  if (::lstat(exact.c_str(), st) == 0) {
    *host = std::move(exact);
    return true;
  }
  struct stat folder;
  if (::stat(host->c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    *host = std::move(exact);
    return false;
  }
  Machine::State::FolderNames& entry = (*cache)[host->string()];
  if (entry.names.empty() || entry.seconds != folder.st_mtim.tv_sec ||
      entry.nanoseconds != folder.st_mtim.tv_nsec) {
    entry.names.clear();
    entry.seconds = folder.st_mtim.tv_sec;
    entry.nanoseconds = folder.st_mtim.tv_nsec;
    std::error_code ec;
    for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      entry.names.emplace(UpperAscii(name), name);
    }
  }
  auto found = entry.names.find(UpperAscii(part));
  if (found != entry.names.end()) {
    fs::path match = *host / found->second;
    if (::lstat(match.c_str(), st) == 0) {
      *host = std::move(match);
      return true;
    }
  }
  *host = std::move(exact);
  return false;
}
}  // namespace

std::optional<fs::path> Machine::State::ToHost(std::string_view normalizedPath) const {
  auto drive = drives.find(FoldCase(normalizedPath[0]));
  if (drive == drives.end()) return std::nullopt;
  std::vector<std::string_view> parts = SplitKeyPath(normalizedPath.substr(3));
  fs::path host = drive->second;
  std::size_t start = 0;
  // Most paths lie in a folder resolved before: try the parent first.
  if (parts.size() >= 2) {
    std::size_t cut = normalizedPath.rfind('\\');
    auto cached = folderCache.find(UpperAscii(normalizedPath.substr(0, cut)));
    if (cached != folderCache.end()) {
      host = cached->second;
      start = parts.size() - 1;
    }
  }
  std::string key = UpperAscii(normalizedPath.substr(0, 2));
  for (std::size_t i = 0; i < start; ++i) {
    key += '\\';
    key += UpperAscii(parts[i]);
  }
  bool exists = true;
  bool linked = false;
  for (std::size_t i = start; i < parts.size(); ++i) {
    key += '\\';
    key += UpperAscii(parts[i]);
    if (!exists) {
      host /= std::string(parts[i]);
      continue;
    }
    if (i + 1 < parts.size()) {
      auto cached = folderCache.find(key);
      if (cached != folderCache.end()) {
        host = cached->second;
        continue;
      }
    }
    struct stat st;
    exists = ResolveComponent(&folderNames, &host, parts[i], &st);
    if (!exists) continue;
    if (S_ISLNK(st.st_mode)) {
      linked = true;
      std::error_code ec;
      if (canonicalFolder.empty()) canonicalFolder = fs::weakly_canonical(folder, ec);
      fs::path target = fs::weakly_canonical(host, ec);
      if (ec || !IsInside(target, canonicalFolder)) return std::nullopt;
    } else if (S_ISDIR(st.st_mode) && !linked) {
      folderCache.emplace(key, host);
    }
  }
  return host;
}

std::string Machine::State::ToWindows(const fs::path& host) const {
  for (const auto& [letter, root] : drives) {
    if (host == root || IsInside(host, root)) {
      std::string out;
      out += letter;
      out += ":\\";
      auto rel = host.lexically_relative(root).string();
      if (rel == ".") rel.clear();
      std::replace(rel.begin(), rel.end(), '/', '\\');
      return out + rel;
    }
  }
  return {};
}

plat::DWORD Machine::State::AttributesOf(std::string_view normalizedPath,
                                         const fs::path& host) const {
  struct stat st;
  if (::lstat(host.c_str(), &st) != 0) return plat::kInvalidFileAttributes;
  bool link = S_ISLNK(st.st_mode);
  bool folder = S_ISDIR(st.st_mode);
  if (link) {
    struct stat target;
    folder = ::stat(host.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
  }
  plat::DWORD value = folder ? plat::kFileAttributeDirectory : plat::kFileAttributeArchive;
  if (!attributes.empty()) {
    auto it = attributes.find(UpperAscii(normalizedPath));
    if (it != attributes.end()) value = it->second | (folder ? plat::kFileAttributeDirectory : 0);
  }
  if (link) value |= plat::kFileAttributeReparsePoint;
  return value;
}

void Machine::State::SetAttributesOf(std::string_view normalizedPath, plat::DWORD value,
                                     bool folder) {
  std::string key = UpperAscii(normalizedPath);
  plat::DWORD plain = folder ? plat::kFileAttributeDirectory : plat::kFileAttributeArchive;
  if (folder) value |= plat::kFileAttributeDirectory;
  if (value == plain)
    attributes.erase(key);
  else
    attributes[key] = value;
}

void Machine::State::ForgetAttributes(std::string_view normalizedPath) {
  std::string key = UpperAscii(normalizedPath);
  std::string below = key + "\\";
  for (auto it = attributes.begin(); it != attributes.end();) {
    if (it->first == key || it->first.compare(0, below.size(), below) == 0)
      it = attributes.erase(it);
    else
      ++it;
  }
}

std::uint64_t HashFile(const fs::path& host, std::uint64_t* size) {
  std::ifstream in(host, std::ios::binary);
  std::uint64_t hash = 1469598103934665603ull;
  char buffer[65536];
  *size = 0;
  while (in) {
    in.read(buffer, sizeof buffer);
    std::streamsize got = in.gcount();
    for (std::streamsize i = 0; i < got; ++i) {
      hash ^= static_cast<unsigned char>(buffer[i]);
      hash *= 1099511628211ull;
    }
    *size += static_cast<std::uint64_t>(got);
  }
  return hash;
}

void Machine::State::Touch(std::string_view normalizedPath) {
  // Whatever is about to change in a folder, its names must be read again.
  if (auto host = ToHost(normalizedPath)) folderNames.erase(host->parent_path().string());
  std::string key = UpperAscii(normalizedPath);
  if (touched.count(key) != 0) return;
  PriorFileState prior;
  if (auto host = ToHost(normalizedPath)) {
    std::error_code ec;
    auto status = fs::symlink_status(*host, ec);
    if (!ec && status.type() != fs::file_type::not_found) {
      prior.existed = true;
      prior.folder = fs::is_directory(*host, ec);
      prior.attributes = AttributesOf(normalizedPath, *host);
      if (!prior.folder && status.type() != fs::file_type::symlink)
        prior.hash = HashFile(*host, &prior.size);
    }
  }
  touched.emplace(key, std::make_pair(std::string(normalizedPath), prior));
}

void Machine::State::TouchTree(std::string_view normalizedPath) {
  Touch(normalizedPath);
  auto host = ToHost(normalizedPath);
  if (!host) return;
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(*host, ec))) return;
  std::string base(normalizedPath);
  for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
    std::string child = base;
    if (child.back() != '\\') child += '\\';
    child += it->path().filename().string();
    TouchTree(child);
  }
}

void Machine::State::RecordDialog() {
  dialog.status = res::StatusIdOf(dialog.statusText);
  if (!dialogHistory.empty()) {
    const DialogSnapshot& last = dialogHistory.back();
    auto same = [](const ControlState& a, const ControlState& b) {
      return a.text == b.text && a.enabled == b.enabled && a.focused == b.focused &&
             a.visible == b.visible;
    };
    if (last.statusText == dialog.statusText && same(last.install, dialog.install) &&
        same(last.exit, dialog.exit) && last.ended == dialog.ended)
      return;
  }
  dialogHistory.push_back(dialog);
}

std::shared_ptr<RegNode> Machine::State::SharedOf(RegNode* node) const {
  return node == nullptr ? nullptr : node->shared_from_this();
}

std::shared_ptr<RegNode> Machine::State::NodeOf(plat::HKey key) const {
  if (RegNode* root = registry.Root(key)) return SharedOf(root);
  auto it = openKeys.find(key);
  if (it == openKeys.end()) return nullptr;
  return it->second.node;
}

}  // namespace sim
