// A path in a zero-filled buffer of MAX_PATH characters, built by appending.
// An append that would not fit leaves the text unchanged and marks the buffer
// overflowed: such a path is never handed to the system.
#pragma once

#include <cstring>
#include <string_view>

#include "platform/Win32Types.h"

class PathBuffer {
 public:
  PathBuffer() = default;
  explicit PathBuffer(std::string_view text) { Append(text); }

  // Appends text; false (and the buffer marked overflowed) when the result would
  // pass MAX_PATH - 1 characters.
  bool Append(std::string_view text) {
    if (length_ + text.size() >= plat::kMaxPath) {
      overflowed_ = true;
      return false;
    }
    std::memcpy(text_ + length_, text.data(), text.size());
    length_ += text.size();
    text_[length_] = '\0';
    return true;
  }
  // Ends the text after its first count characters.
  void Truncate(std::size_t count) {
    if (count < length_) {
      std::memset(text_ + count, 0, length_ - count);
      length_ = count;
    }
  }
  // Takes over what a Windows call wrote into Data(); the text ends at its first zero.
  void Adopt() {
    text_[plat::kMaxPath - 1] = '\0';
    length_ = std::strlen(text_);
  }

  const char* c_str() const { return text_; }
  char* Data() { return text_; }
  std::size_t Length() const { return length_; }
  bool Empty() const { return length_ == 0; }
  bool Valid() const { return !overflowed_; }
  std::string_view View() const { return {text_, length_}; }

 private:
  char text_[plat::kMaxPath] = {};
  std::size_t length_ = 0;
  bool overflowed_ = false;
};
