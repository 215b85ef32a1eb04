#include "e2e/Differences.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace e2e {
namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool Under(const std::string& path, const std::string& root) {
  std::string p = Lower(path), r = Lower(root);
  return p == r || (p.size() > r.size() && p.compare(0, r.size(), r) == 0 && p[r.size()] == '\\');
}

std::string Trim(std::string text) {
  text.erase(0, text.find_first_not_of(" \t\r\n"));
  text.erase(text.find_last_not_of(" \t\r\n") + 1);
  return text;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char buffer[4];
  for (std::size_t i = 0; i < bytes.size() && i < 64; ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
    out += (i ? "," : "") + std::string(buffer);
  }
  return bytes.size() > 64 ? out + ",..." : out;
}

std::string ShowValue(const sim::RegValue& v) {
  if ((v.type == plat::kRegSz || v.type == plat::kRegExpandSz) && !v.data.empty() &&
      v.data.back() == 0)
    return "type " + std::to_string(v.type) + " \"" +
           std::string(v.data.begin(), v.data.end() - 1) + "\"";
  return "type " + std::to_string(v.type) + " " + Hex(v.data);
}

// Every key below a root (the root too): lower-case path -> the path as stored.
void CollectKeys(const sim::Machine& m, const std::string& key,
                 std::map<std::string, std::string>* out) {
  if (!m.KeyExists(key)) return;
  (*out)[Lower(key)] = key;
  for (const std::string& sub : m.SubKeys(key)) CollectKeys(m, key + "\\" + sub, out);
}

// lnkinfo's target and description of a link file, or "" when it cannot read it.
std::string LinkSummary(const std::filesystem::path& file) {
  std::string command = "lnkinfo '" + file.string() + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string target, description;
  char line[2048];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    // "\tLocal path\t\t\t: C:\..."
    std::string text(line);
    std::size_t colon = text.find(':');
    std::string key = Trim(text.substr(0, colon == std::string::npos ? 0 : colon));
    auto field = [&](const char* name) -> std::string {
      return colon != std::string::npos && key == name ? Trim(text.substr(colon + 1)) : "";
    };
    if (std::string v = field("Local path"); !v.empty()) target = v;
    if (std::string v = field("Description"); !v.empty()) description = v;
  }
  ::pclose(pipe);
  if (target.empty()) return "";
  return "link to " + target + ", \"" + description + "\"";
}

bool EndsWithLnk(const std::string& path) {
  return path.size() > 4 && Lower(path.substr(path.size() - 4)) == ".lnk";
}

void CompareFile(const sim::Machine& sim, const sim::Machine& wine, const std::string& simPath,
                 const std::string& winePath, std::vector<Difference>* out) {
  std::optional<std::string> a = sim.ReadFile(simPath), b = wine.ReadFile(winePath);
  if (a != b) {
    std::string sa, sb;
    if (EndsWithLnk(simPath)) {
      sa = LinkSummary(sim.HostPath(simPath));
      sb = LinkSummary(wine.HostPath(winePath));
    }
    if (sa.empty() || sb.empty() || !SameName(sa, sb)) {
      if (sa.empty()) sa = std::to_string(a ? a->size() : 0) + " bytes";
      if (sb.empty()) sb = std::to_string(b ? b->size() : 0) + " bytes";
      out->push_back({simPath, "contents differ: simulation " + sa + ", Wine " + sb});
    }
  }
  // Read-only, hidden and system; every file has the archive bit on both sides.
  plat::DWORD mask = plat::kFileAttributeReadonly | plat::kFileAttributeHidden | 0x4;
  plat::DWORD x = sim.Attributes(simPath) & mask, y = wine.Attributes(winePath) & mask;
  if (x != y) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "attributes differ: simulation 0x%X, Wine 0x%X", x, y);
    out->push_back({simPath, buffer});
  }
}

std::string IconName(const JsonValue& v) {
  // MB_ICONWARNING and MB_ICONEXCLAMATION are one value and one picture.
  return v.text == "warning" ? "exclamation" : v.text;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

bool Roots::Covers(const std::string& path) const {
  for (const std::string& root : keys)
    if (Under(path, root)) return true;
  for (const std::string& root : folders)
    if (Under(path, root)) return true;
  return false;
}

Roots ReadRoots(const std::filesystem::path& file, const sim::Machine& machine) {
  Roots roots;
  std::ifstream in(file);
  std::string line;
  std::optional<sim::RegValue> desktop = machine.GetValue(
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Desktop");
  while (std::getline(in, line)) {
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    std::string kind = line.substr(0, line.find(' '));
    std::string target = Trim(line.substr(kind.size()));
    if (kind == "key") {
      roots.keys.push_back(target);
    } else if (kind == "folder") {
      if (target.find("%Desktop%") != std::string::npos) {
        if (!desktop || desktop->data.empty()) continue;
        std::string folder(desktop->data.begin(), desktop->data.end());
        folder.erase(folder.find('\0') == std::string::npos ? folder.size() : folder.find('\0'));
        target.replace(target.find("%Desktop%"), 9, folder);
      }
      roots.folders.push_back(target);
    }
  }
  return roots;
}

std::vector<Difference> CompareReports(const JsonValue& sim, const JsonValue& wine) {
  std::vector<Difference> out;
  auto same = [&](const std::string& field, const JsonValue& a, const JsonValue& b) {
    if (a.Show() != b.Show())
      out.push_back({"transcript " + field, "simulation " + a.Show() + ", Wine " + b.Show()});
  };
  same("result", sim["result"], wine["result"]);
  same("rebootNeeded", sim["rebootNeeded"], wine["rebootNeeded"]);
  const JsonValue& sd = sim["dialog"];
  const JsonValue& wd = wine["dialog"];
  for (const char* field : {"states", "status", "statusText", "ended"})
    same(std::string("dialog.") + field, sd[field], wd[field]);
  for (const char* button : {"install", "exit"})
    for (const char* field : {"text", "enabled", "focused"})
      same(std::string("dialog.") + button + "." + field, sd[button][field], wd[button][field]);
  const auto& sb = sim["messageBoxes"].items;
  const auto& wb = wine["messageBoxes"].items;
  if (sb.size() != wb.size())
    out.push_back({"transcript messageBoxes", "simulation " + std::to_string(sb.size()) +
                                                  " boxes, Wine " + std::to_string(wb.size())});
  for (std::size_t i = 0; i < sb.size() && i < wb.size(); ++i) {
    std::string box = "box " + std::to_string(i + 1) + ".";
    for (const char* field : {"owner", "caption", "text", "buttons", "answer", "statusWhileShown"})
      same(box + field, sb[i][field], wb[i][field]);
    if (IconName(sb[i]["icon"]) != IconName(wb[i]["icon"]))
      out.push_back({"transcript " + box + "icon",
                     "simulation " + sb[i]["icon"].Show() + ", Wine " + wb[i]["icon"].Show()});
  }
  same("restart.requested", sim["restart"]["requested"], wine["restart"]["requested"]);
  if (sim["restart"]["requested"].boolean)
    same("restart.flags", sim["restart"]["flags"], wine["restart"]["flags"]);
  return out;
}

std::vector<Difference> CompareStates(const sim::Machine& sim, const sim::Machine& wine,
                                      const Roots& roots) {
  std::vector<Difference> out;
  for (const std::string& root : roots.keys) {
    std::map<std::string, std::string> a, b;
    CollectKeys(sim, root, &a);
    CollectKeys(wine, root, &b);
    for (const auto& [lower, key] : a) {
      auto other = b.find(lower);
      if (other == b.end()) {
        // One line for a missing subtree, not one for each key in it.
        std::string parent = lower.substr(0, lower.rfind('\\'));
        if (lower == Lower(root) || b.count(parent))
          out.push_back({key, "key only in the simulation"});
        continue;
      }
      std::map<std::string, std::string> names;
      for (const std::string& name : sim.ValueNames(key)) names[Lower(name)] = name;
      for (const std::string& name : wine.ValueNames(other->second))
        names.emplace(Lower(name), name);
      for (const auto& [unused, name] : names) {
        std::optional<sim::RegValue> x = sim.GetValue(key, name);
        std::optional<sim::RegValue> y = wine.GetValue(other->second, name);
        std::string path = key + "\\[" + name + "]";
        if (!y) {
          out.push_back({path, "value only in the simulation: " + ShowValue(*x)});
        } else if (!x) {
          out.push_back({path, "value only under Wine: " + ShowValue(*y)});
        } else if (x->type != y->type || x->data != y->data) {
          out.push_back({path, "simulation " + ShowValue(*x) + ", Wine " + ShowValue(*y)});
        }
      }
    }
    for (const auto& [lower, key] : b) {
      std::string parent = lower.substr(0, lower.rfind('\\'));
      if (!a.count(lower) && (lower == Lower(root) || a.count(parent)))
        out.push_back({key, "key only under Wine"});
    }
  }

  for (const std::string& root : roots.folders) {
    std::map<std::string, std::string> a, b;
    if (sim.FolderExists(root)) a[Lower(root)] = root;
    if (wine.FolderExists(root)) b[Lower(root)] = root;
    for (const std::string& path : sim.ListTree(root)) a[Lower(path)] = path;
    for (const std::string& path : wine.ListTree(root)) b[Lower(path)] = path;
    auto reported = [&](const std::map<std::string, std::string>& other, const std::string& lower) {
      std::string parent = lower.substr(0, lower.rfind('\\'));
      return lower == Lower(root) || other.count(parent) > 0;
    };
    for (const auto& [lower, path] : a) {
      auto other = b.find(lower);
      if (other == b.end()) {
        if (reported(b, lower))
          out.push_back({path, sim.FolderExists(path) ? "folder only in the simulation"
                                                      : "file only in the simulation"});
      } else if (sim.FolderExists(path) != wine.FolderExists(other->second)) {
        out.push_back({path, "a folder on one side, a file on the other"});
      } else if (sim.FileExists(path)) {
        CompareFile(sim, wine, path, other->second, &out);
      }
    }
    for (const auto& [lower, path] : b) {
      if (!a.count(lower) && reported(a, lower))
        out.push_back(
            {path, wine.FolderExists(path) ? "folder only under Wine" : "file only under Wine"});
    }
  }
  return out;
}

std::vector<Difference> ChangesOutsideRoots(const JsonValue& simReport,
                                            const std::vector<std::string>& wineChanged,
                                            const std::vector<std::string>& wineRemoved,
                                            const Roots& roots) {
  std::vector<Difference> out;
  for (const JsonValue& change : simReport["changes"].items) {
    const std::string& path = change["path"].text;
    if (!roots.Covers(path))
      out.push_back({path, "the simulation's " + change["kind"].text + " " + change["op"].text +
                               " outside the compared keys and folders"});
  }
  for (const std::string& path : wineChanged)
    if (!roots.Covers(path))
      out.push_back({path, "written under Wine outside the compared folders"});
  for (const std::string& path : wineRemoved)
    out.push_back({path, "one of Wine's own files, removed by the run"});
  return out;
}

std::vector<KnownDifference> ReadKnownDifferences(const std::filesystem::path& file,
                                                  std::string* error) {
  std::vector<KnownDifference> known;
  std::ifstream in(file);
  if (!in) {
    *error = "cannot read " + file.string();
    return known;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    std::string text = Trim(line);
    if (text.empty() || text[0] == '#') continue;
    std::size_t first = text.find(" | ");
    std::size_t second = first == std::string::npos ? first : text.find(" | ", first + 3);
    if (second == std::string::npos) {
      *error = file.filename().string() + ":" + std::to_string(number) +
               ": expected \"scenario | path | reason\"";
      return {};
    }
    KnownDifference k{Trim(text.substr(0, first)), Trim(text.substr(first + 3, second - first - 3)),
                      Trim(text.substr(second + 3)), number};
    if (k.scenario.empty() || k.path.empty() || k.reason.empty()) {
      *error = file.filename().string() + ":" + std::to_string(number) + ": an empty field";
      return {};
    }
    known.push_back(k);
  }
  return known;
}

}  // namespace e2e
