// The driver's record of what it saw and did, one line per event:
//   <event> key="value" key=value ...
// Text values are quoted; a backslash, a double quote and line breaks inside
// them are written as \\, \", \n and \r.
#pragma once

#include <cstdio>
#include <string>

namespace uidriver {

std::string Quote(const std::string& text);

class Transcript {
 public:
  // Writes to the file (when a path is given) and to standard output.
  explicit Transcript(const std::string& path);
  ~Transcript();
  Transcript(const Transcript&) = delete;
  Transcript& operator=(const Transcript&) = delete;

  bool Ok() const { return path_.empty() || file_ != nullptr; }
  void Line(const std::string& line);

 private:
  std::string path_;
  FILE* file_ = nullptr;
};

}  // namespace uidriver
