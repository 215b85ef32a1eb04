#include "platform/sim/RegFile.h"

#include <cstdio>
#include <vector>

namespace sim {
namespace {

// UTF-16LE text (after its byte-order mark) to single bytes; characters beyond
// Latin-1 become '?'.
std::string NarrowUtf16(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned code =
        static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    out.push_back(code < 256 ? static_cast<char>(code) : '?');
  }
  return out;
}

struct Line {
  std::string text;
  int number;
};

// Whether a value line's data is a quoted string, which never goes on in the
// next line. The name is skipped as quoted text first, since it may itself hold
// '=' and '"'.
bool HasStringData(std::string_view line) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string_view::npos) return false;
  if (line[i] == '@') {
    ++i;
  } else if (line[i] == '"') {
    for (++i; i < line.size() && line[i] != '"'; ++i)
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
    if (i == line.size()) return false;
    ++i;
  } else {
    return false;
  }
  while (i < line.size() && line[i] == ' ') ++i;
  if (i == line.size() || line[i] != '=') return false;
  for (++i; i < line.size() && line[i] == ' ';) ++i;
  return i < line.size() && line[i] == '"';
}

// Splits into lines and joins continuations (a line ending in a backslash goes
// on in the next, whose leading blanks are dropped).
std::vector<Line> LogicalLines(std::string_view text) {
  std::vector<Line> lines;
  int number = 0;
  std::size_t pos = 0;
  bool continuing = false;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (continuing) {
      std::size_t first = raw.find_first_not_of(" \t");
      raw = first == std::string_view::npos ? std::string_view{} : raw.substr(first);
      lines.back().text.append(raw);
    } else {
      lines.push_back({std::string(raw), number});
    }
    std::string& current = lines.back().text;
    std::size_t last = current.find_last_not_of(" \t");
    continuing = last != std::string::npos && current[last] == '\\' &&
                 current.find('=') != std::string::npos && current[0] != '[' &&
                 !HasStringData(current);
    if (continuing) current.erase(last);
    if (end == text.size()) break;
  }
  return lines;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>* out) {
  std::size_t i = 0;
  auto skip = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  };
  skip();
  if (i == text.size()) return true;
  while (true) {
    skip();
    if (i + 1 >= text.size() + 0 && i >= text.size()) return false;
    int hi = i < text.size() ? HexDigit(text[i]) : -1;
    int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (hi < 0) return false;
    if (lo < 0) {  // a single digit
      out->push_back(static_cast<std::uint8_t>(hi));
      i += 1;
    } else {
      out->push_back(static_cast<std::uint8_t>(hi * 16 + lo));
      i += 2;
    }
    skip();
    if (i == text.size()) return true;
    if (text[i] != ',') return false;
    ++i;
    skip();
    if (i == text.size()) return true;  // a trailing comma
  }
}

// Parses a quoted text at text[*pos] (the opening quote); regedit escapes only
// the backslash and the double quote.
bool ParseQuoted(std::string_view text, std::size_t* pos, std::string* out) {
  if (*pos >= text.size() || text[*pos] != '"') return false;
  std::size_t i = *pos + 1;
  out->clear();
  while (i < text.size()) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      out->push_back(text[i + 1]);
      i += 2;
    } else if (c == '"') {
      *pos = i + 1;
      return true;
    } else {
      out->push_back(c);
      ++i;
    }
  }
  return false;
}

std::vector<std::uint8_t> Utf16ToAnsi(const std::vector<std::uint8_t>& data) {
  std::string narrow =
      NarrowUtf16(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
  return std::vector<std::uint8_t>(narrow.begin(), narrow.end());
}

}  // namespace

bool ReadRegFile(std::string_view input, RegistryTree* tree, std::string* error,
                 std::string_view fileName) {
  std::string converted;
  if (input.size() >= 2 && static_cast<unsigned char>(input[0]) == 0xFF &&
      static_cast<unsigned char>(input[1]) == 0xFE) {
    converted = NarrowUtf16(input.substr(2));
    input = converted;
  } else if (input.size() >= 3 && input.substr(0, 3) == "\xEF\xBB\xBF") {
    input.remove_prefix(3);
  }
  auto fail = [&](int line, const std::string& what) {
    *error = std::string(fileName) + ":" + std::to_string(line) + ": " + what;
    return false;
  };
  std::vector<Line> lines = LogicalLines(input);
  bool headerSeen = false;
  bool unicode = false;
  RegNode* current = nullptr;
  bool inDeletedSection = false;
  for (const Line& line : lines) {
    std::string_view text = line.text;
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) continue;
    text.remove_prefix(first);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text[0] == ';') continue;
    if (!headerSeen) {
      if (text == "REGEDIT4") {
        headerSeen = true;
        continue;
      }
      if (text == "Windows Registry Editor Version 5.00") {
        headerSeen = true;
        unicode = true;
        continue;
      }
      return fail(line.number, "expected REGEDIT4 or \"Windows Registry Editor Version 5.00\"");
    }
    if (text[0] == '[') {
      if (text.back() != ']') return fail(line.number, "a key line must end with ]");
      std::string_view path = text.substr(1, text.size() - 2);
      bool remove = !path.empty() && path[0] == '-';
      if (remove) path.remove_prefix(1);
      std::size_t cut = path.find('\\');
      if (tree->Root(path.substr(0, cut)) == nullptr)
        return fail(line.number, "unknown root key \"" + std::string(path.substr(0, cut)) + "\"");
      if (remove) {
        tree->Remove(path);
        current = nullptr;
        inDeletedSection = true;
      } else {
        current = tree->Create(path);
        inDeletedSection = false;
      }
      continue;
    }
    // A value line.
    if (current == nullptr && !inDeletedSection) return fail(line.number, "a value before any key");
    std::string name;
    std::size_t pos = 0;
    if (text[0] == '@') {
      pos = 1;
    } else if (!ParseQuoted(text, &pos, &name)) {
      return fail(line.number, "expected a quoted value name or @");
    }
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos >= text.size() || text[pos] != '=')
      return fail(line.number, "expected = after the value name");
    ++pos;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    std::string_view data = text.substr(pos);
    RegValue value;
    if (data == "-") {
      if (current != nullptr) current->RemoveValue(name);
      continue;
    }
    if (!data.empty() && data[0] == '"') {
      std::string str;
      std::size_t at = 0;
      if (!ParseQuoted(data, &at, &str) || at != data.size())
        return fail(line.number, "unterminated or malformed string");
      value.type = plat::kRegSz;
      value.data.assign(str.begin(), str.end());
      value.data.push_back(0);
    } else if (data.substr(0, 6) == "dword:") {
      std::string_view digits = data.substr(6);
      if (digits.empty() || digits.size() > 8)
        return fail(line.number, "dword: needs 1 to 8 hex digits");
      plat::DWORD number = 0;
      for (char c : digits) {
        int d = HexDigit(c);
        if (d < 0) return fail(line.number, "dword: needs hex digits");
        number = number * 16 + static_cast<plat::DWORD>(d);
      }
      value.type = plat::kRegDword;
      for (int i = 0; i < 4; ++i)
        value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    } else if (data.substr(0, 4) == "hex:" || data.substr(0, 4) == "hex(") {
      std::size_t colon = data.find(':');
      if (data[3] == '(') {
        std::size_t close = data.find(')');
        if (close == std::string_view::npos || close + 1 != colon || close == 4)
          return fail(line.number, "malformed hex(type)");
        plat::DWORD type = 0;
        for (char c : data.substr(4, close - 4)) {
          int d = HexDigit(c);
          if (d < 0 || type > 0x0FFFFFFF) return fail(line.number, "malformed hex(type)");
          type = type * 16 + static_cast<plat::DWORD>(d);
        }
        value.type = type;
      } else {
        value.type = plat::kRegBinary;
      }
      if (!ParseHexBytes(data.substr(colon + 1), &value.data))
        return fail(line.number, "malformed hex bytes");
      if (unicode && (value.type == plat::kRegExpandSz || value.type == plat::kRegMultiSz))
        value.data = Utf16ToAnsi(value.data);
    } else {
      return fail(line.number, "unknown value data \"" + std::string(data.substr(0, 20)) + "\"");
    }
    if (current != nullptr) current->SetValue(name, std::move(value));
  }
  if (!headerSeen) return fail(1, "empty file: expected REGEDIT4");
  return true;
}

namespace {

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

bool PrintableString(const RegValue& value) {
  if (value.type != plat::kRegSz || value.data.empty() || value.data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < value.data.size(); ++i)
    if (value.data[i] < 0x20 || value.data[i] > 0x7E) return false;
  return true;
}

void WriteValue(std::string& out, const std::string& name, const RegValue& value) {
  std::string line = name.empty() ? "@=" : "\"" + Escape(name) + "\"=";
  char buffer[32];
  if (PrintableString(value)) {
    line += "\"" +
            Escape(std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                    value.data.size() - 1)) +
            "\"";
    out += line + "\r\n";
    return;
  }
  if (value.type == plat::kRegDword && value.data.size() == 4) {
    plat::DWORD number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                         (static_cast<plat::DWORD>(value.data[3]) << 24);
    std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
    out += line + buffer + "\r\n";
    return;
  }
  if (value.type == plat::kRegBinary) {
    line += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
    line += buffer;
  }
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", value.data[i]);
    line += buffer;
    if (i + 1 < value.data.size()) {
      line += ",";
      if (line.size() > 76) {
        out += line + "\\\r\n";
        line = "  ";
      }
    }
  }
  out += line + "\r\n";
}

}  // namespace

std::string WriteRegFile(const RegistryTree& tree) {
  std::string out = "REGEDIT4\r\n";
  tree.ForEach([&](const RegNode& node) {
    if (node.parent == nullptr && node.values.empty()) return;  // roots always exist
    std::string path = node.Path();
    std::size_t cut = path.find('\\');
    std::string root = path.substr(0, cut) == "HKLM" ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    out += "\r\n[" + root + (cut == std::string::npos ? "" : path.substr(cut)) + "]\r\n";
    for (const auto& [name, value] : node.values) WriteValue(out, name, value);
  });
  out += "\r\n";
  return out;
}

}  // namespace sim
