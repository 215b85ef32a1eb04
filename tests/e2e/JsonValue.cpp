#include "e2e/JsonValue.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {
namespace {

class Parser {
 public:
  explicit Parser(const std::string& text) : t_(text) {}

  bool Value(JsonValue* out) {
    Blank();
    if (i_ >= t_.size()) return Fail("value expected");
    char c = t_[i_];
    if (c == '{') return Object(out);
    if (c == '[') return Array(out);
    if (c == '"') {
      out->kind = JsonValue::Kind::kString;
      return String(&out->text);
    }
    if (Word("true")) {
      out->kind = JsonValue::Kind::kBool;
      out->boolean = true;
      return true;
    }
    if (Word("false")) {
      out->kind = JsonValue::Kind::kBool;
      return true;
    }
    if (Word("null")) {
      out->kind = JsonValue::Kind::kNull;
      return true;
    }
    const char* start = t_.c_str() + i_;
    char* end = nullptr;
    out->number = std::strtod(start, &end);
    if (end == start) return Fail("unexpected character");
    out->kind = JsonValue::Kind::kNumber;
    i_ += static_cast<std::size_t>(end - start);
    return true;
  }

  bool End() {
    Blank();
    return i_ == t_.size() || Fail("text after the value");
  }
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + " at offset " + std::to_string(i_);
    return false;
  }
  void Blank() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t'))
      ++i_;
  }
  bool Word(const char* word) {
    std::string w(word);
    if (t_.compare(i_, w.size(), w) != 0) return false;
    i_ += w.size();
    return true;
  }
  bool String(std::string* out) {
    ++i_;  // the opening quote
    while (i_ < t_.size()) {
      char c = t_[i_++];
      if (c == '"') return true;
      if (c != '\\') {
        *out += c;
        continue;
      }
      if (i_ >= t_.size()) break;
      char e = t_[i_++];
      switch (e) {
        case 'n':
          *out += '\n';
          break;
        case 'r':
          *out += '\r';
          break;
        case 't':
          *out += '\t';
          break;
        case 'b':
          *out += '\b';
          break;
        case 'f':
          *out += '\f';
          break;
        case 'u': {
          if (i_ + 4 > t_.size()) return Fail("short \\u escape");
          unsigned code =
              static_cast<unsigned>(std::strtoul(t_.substr(i_, 4).c_str(), nullptr, 16));
          i_ += 4;
          *out += static_cast<char>(code < 256 ? code : '?');
          break;
        }
        default:
          *out += e;
      }
    }
    return Fail("unterminated string");
  }
  bool Array(JsonValue* out) {
    out->kind = JsonValue::Kind::kArray;
    ++i_;
    Blank();
    if (i_ < t_.size() && t_[i_] == ']') return ++i_, true;
    for (;;) {
      out->items.emplace_back();
      if (!Value(&out->items.back())) return false;
      Blank();
      if (i_ < t_.size() && t_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < t_.size() && t_[i_] == ']') return ++i_, true;
      return Fail("',' or ']' expected");
    }
  }
  bool Object(JsonValue* out) {
    out->kind = JsonValue::Kind::kObject;
    ++i_;
    Blank();
    if (i_ < t_.size() && t_[i_] == '}') return ++i_, true;
    for (;;) {
      Blank();
      std::string key;
      if (i_ >= t_.size() || t_[i_] != '"' || !String(&key)) return Fail("member name expected");
      Blank();
      if (i_ >= t_.size() || t_[i_++] != ':') return Fail("':' expected");
      if (!Value(&out->members[key])) return false;
      Blank();
      if (i_ < t_.size() && t_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < t_.size() && t_[i_] == '}') return ++i_, true;
      return Fail("',' or '}' expected");
    }
  }

  const std::string& t_;
  std::size_t i_ = 0;
  std::string error_;
};

}  // namespace

std::string JsonValue::Show() const {
  switch (kind) {
    case Kind::kMissing:
      return "(absent)";
    case Kind::kNull:
      return "null";
    case Kind::kBool:
      return boolean ? "true" : "false";
    case Kind::kNumber: {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%g", number);
      return buffer;
    }
    case Kind::kString: {
      std::string out = "\"";
      for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
      return out + "\"";
    }
    case Kind::kArray: {
      std::string out = "[";
      for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + items[i].Show();
      return out + "]";
    }
    case Kind::kObject: {
      std::string out = "{";
      bool first = true;
      for (const auto& [key, value] : members) {
        out += (first ? "" : ", ") + key + ": " + value.Show();
        first = false;
      }
      return out + "}";
    }
  }
  return "";
}

std::unique_ptr<JsonValue> ParseJson(const std::string& text, std::string* error) {
  auto value = std::make_unique<JsonValue>();
  Parser parser(text);
  if (!parser.Value(value.get()) || !parser.End()) {
    if (error != nullptr) *error = parser.Error();
    return nullptr;
  }
  return value;
}

}  // namespace e2e
