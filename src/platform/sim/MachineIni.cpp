#include "platform/sim/MachineIni.h"

#include <cstdio>
#include <cstdlib>

namespace sim {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// A comment starts with ";" at the line's start or after a blank.
std::string_view StripComment(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == ';' && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '\t'))
      return text.substr(0, i);
  return text;
}

bool ParseNumber(std::string_view text, unsigned long long limit, plat::DWORD* out) {
  std::string digits(Trim(text));
  if (digits.empty()) return false;
  int base = 10;
  std::size_t start = 0;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    start = 2;
  }
  unsigned long long value = 0;
  for (std::size_t i = start; i < digits.size(); ++i) {
    char c = digits[i];
    int d = (c >= '0' && c <= '9')                 ? c - '0'
            : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
    if (d < 0) return false;
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    if (value > limit) return false;
  }
  *out = static_cast<plat::DWORD>(value);
  return true;
}

}  // namespace

bool ParseMachineIni(std::string_view text, MachineIni* out, std::string* error) {
  auto fail = [&](int line, const std::string& what) {
    *error = "machine.ini:" + std::to_string(line) + ": " + what;
    return false;
  };
  std::string section;
  int number = 0;
  bool sawWindows = false;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    out->lines.emplace_back(raw);
    pos = end + 1;
    ++number;
    std::string_view line = Trim(StripComment(raw));
    if (line.empty()) {
      if (end == text.size()) break;
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']') return fail(number, "a section line must end with ]");
      section = UpperAscii(Trim(line.substr(1, line.size() - 2)));
      if (section == "WINDOWS") sawWindows = true;
      if (end == text.size()) break;
      continue;
    }
    std::size_t eq = section == "FAULTS" ? line.rfind('=') : line.find('=');
    if (eq == std::string_view::npos) return fail(number, "expected KEY=VALUE");
    std::string_view key = Trim(line.substr(0, eq));
    std::string_view value = Trim(line.substr(eq + 1));
    std::string upperKey = UpperAscii(key);
    plat::DWORD n = 0;
    if (section == "WINDOWS") {
      if (upperKey == "PLATFORM" || upperKey == "MAJOR" || upperKey == "MINOR" ||
          upperKey == "BUILD" || upperKey == "EXTENDEDVERSIONINFO") {
        if (!ParseNumber(value, 0xFFFFFFFFull, &n))
          return fail(number, std::string(key) + " needs a number");
        if (upperKey == "PLATFORM") out->os.platformId = n;
        if (upperKey == "MAJOR") out->os.major = n;
        if (upperKey == "MINOR") out->os.minor = n;
        if (upperKey == "BUILD") out->os.build = n;
        if (upperKey == "EXTENDEDVERSIONINFO") out->os.extendedVersionInfo = n != 0;
      } else if (upperKey == "WINDOWSFOLDER") {
        out->os.windowsFolder = value;
      } else if (upperKey == "SYSTEMFOLDER") {
        out->os.systemFolder = value;
      } else if (upperKey == "CURRENTFOLDER") {
        out->os.currentFolder = value;
      } else {
        return fail(number, "unknown key " + std::string(key) + " in [Windows]");
      }
    } else if (section == "DRIVES") {
      if (key.size() != 1 || FoldCase(key[0]) < 'A' || FoldCase(key[0]) > 'Z')
        return fail(number, "a drive is one letter");
      if (value.empty()) return fail(number, "a drive needs a folder");
      out->drives.emplace_back(FoldCase(key[0]), std::string(value));
    } else if (section == "ATTRIBUTES") {
      if (!ParseNumber(value, 0xFFFFFFFFull, &n)) return fail(number, "attributes need a number");
      out->attributes.emplace_back(std::string(key), n);
    } else if (section == "ACL") {
      std::vector<std::string> marks;
      std::size_t at = 0;
      while (at <= value.size()) {
        std::size_t comma = value.find(',', at);
        if (comma == std::string_view::npos) comma = value.size();
        std::string mark(Trim(value.substr(at, comma - at)));
        if (mark != "deny-full-access" && mark != "grant-current-user" &&
            mark != "grant-current-user-inherit")
          return fail(number, "unknown access mark \"" + mark + "\"");
        marks.push_back(mark);
        at = comma + 1;
      }
      out->acl.emplace_back(std::string(key), marks);
    } else if (section == "FAULTS") {
      std::size_t space = key.find(' ');
      if (space == std::string_view::npos) return fail(number, "expected OPERATION TARGET=CODE");
      if (!ParseNumber(value, 0xFFFFFFFFull, &n)) return fail(number, "a fault needs a number");
      out->faults.push_back(
          {std::string(key.substr(0, space)), std::string(Trim(key.substr(space + 1))), n});
    } else {
      return fail(number, "a line outside [Windows], [Drives], [Attributes], [Acl] or [Faults]");
    }
    if (end == text.size()) break;
  }
  if (!sawWindows) return fail(1, "no [Windows] section");
  if (out->drives.empty()) return fail(number, "no [Drives] section");
  return true;
}

std::string FormatMachineIni(const std::vector<std::string>& original,
                             const std::vector<std::pair<std::string, plat::DWORD>>& attributes,
                             const std::vector<std::pair<std::string, std::string>>& acl) {
  std::string out;
  bool skipping = false;
  for (const std::string& raw : original) {
    std::string_view line = Trim(StripComment(raw));
    if (!line.empty() && line.front() == '[') {
      std::string name = UpperAscii(Trim(line.substr(1, line.size() - 2)));
      skipping = name == "ATTRIBUTES" || name == "ACL";
    }
    if (!skipping) out += raw + "\r\n";
  }
  while (out.size() >= 4 && out.compare(out.size() - 4, 4, "\r\n\r\n") == 0)
    out.resize(out.size() - 2);
  char buffer[16];
  if (!attributes.empty()) {
    out += "\r\n[Attributes]\r\n";
    for (const auto& [path, bits] : attributes) {
      std::snprintf(buffer, sizeof buffer, "0x%X", bits);
      out += path + "=" + buffer + "\r\n";
    }
  }
  if (!acl.empty()) {
    out += "\r\n[Acl]\r\n";
    for (const auto& [path, marks] : acl) out += path + "=" + marks + "\r\n";
  }
  return out;
}

std::string NewMachineIni(const OsConfig& os,
                          const std::vector<std::pair<char, std::string>>& drives) {
  std::string out = "[Windows]\r\n";
  out += "Platform=" + std::to_string(os.platformId) + "\r\n";
  out += "Major=" + std::to_string(os.major) + "\r\n";
  out += "Minor=" + std::to_string(os.minor) + "\r\n";
  out += "Build=" + std::to_string(os.build) + "\r\n";
  out += std::string("ExtendedVersionInfo=") + (os.extendedVersionInfo ? "1" : "0") + "\r\n";
  out += "WindowsFolder=" + os.windowsFolder + "\r\n";
  out += "SystemFolder=" + os.systemFolder + "\r\n";
  out += "CurrentFolder=" + os.currentFolder + "\r\n";
  out += "\r\n[Drives]\r\n";
  for (const auto& [letter, folder] : drives) out += std::string(1, letter) + "=" + folder + "\r\n";
  return out;
}

}  // namespace sim
