#include "Transcript.h"

namespace uidriver {

std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    switch (c) {
      case '\\':
        quoted += "\\\\";
        break;
      case '"':
        quoted += "\\\"";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      default:
        quoted += c;
    }
  }
  return quoted + "\"";
}

Transcript::Transcript(const std::string& path) : path_(path) {
  if (!path_.empty()) file_ = std::fopen(path_.c_str(), "wb");
}

Transcript::~Transcript() {
  if (file_ != nullptr) std::fclose(file_);
}

void Transcript::Line(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
  if (file_ != nullptr) {
    std::fputs((line + "\n").c_str(), file_);
    std::fflush(file_);
  }
}

}  // namespace uidriver
