// A small JSON reader for the two run reports (setup-sim's and uidriver's).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

struct JsonValue {
  enum class Kind { kMissing, kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kMissing;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  // A member, or a value of kind kMissing.
  const JsonValue& operator[](const std::string& key) const {
    static const JsonValue missing;
    auto it = members.find(key);
    return it == members.end() ? missing : it->second;
  }
  bool Missing() const { return kind == Kind::kMissing; }
  // The value as a short text for messages and comparisons.
  std::string Show() const;
};

// Null on malformed text; *error then says where.
std::unique_ptr<JsonValue> ParseJson(const std::string& text, std::string* error);

}  // namespace e2e
