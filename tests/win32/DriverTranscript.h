// Reads the transcript that tools/uidriver writes: one event per line,
//   <event> key="quoted value" key=value ...
// with \\, \", \n and \r escapes inside quoted values.
#pragma once

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace win32test {

struct DriverEvent {
  std::string event;
  std::map<std::string, std::string> fields;
  std::string Field(const std::string& key) const {
    auto it = fields.find(key);
    return it == fields.end() ? "<none>" : it->second;
  }
};

// Null on a malformed line.
inline std::optional<DriverEvent> ParseDriverLine(const std::string& line) {
  DriverEvent parsed;
  std::size_t i = line.find(' ');
  parsed.event = line.substr(0, i);
  if (parsed.event.empty()) return std::nullopt;
  while (i != std::string::npos && i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size()) break;
    std::size_t equals = line.find('=', i);
    if (equals == std::string::npos) return std::nullopt;
    std::string key = line.substr(i, equals - i);
    std::string value;
    i = equals + 1;
    if (i < line.size() && line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          char e = line[i++];
          value += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
          value += c;
        }
      }
      if (!closed) return std::nullopt;
    } else {
      std::size_t end = line.find(' ', i);
      value = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
      i = end;
    }
    parsed.fields[key] = value;
  }
  return parsed;
}

// Every line parsed; *bad receives the first malformed line.
inline std::vector<DriverEvent> ParseDriverTranscript(const std::string& text, std::string* bad) {
  std::vector<DriverEvent> events;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::optional<DriverEvent> event = ParseDriverLine(line);
    if (!event) {
      if (bad != nullptr && bad->empty()) *bad = line;
      continue;
    }
    events.push_back(*event);
  }
  return events;
}

}  // namespace win32test
