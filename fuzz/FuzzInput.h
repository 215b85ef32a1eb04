// Reads a fuzzer's bytes as a stream of small choices; past the end every read
// gives zeros, so any input is a complete description.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint32_t Below(std::uint32_t limit) {  // 0 .. limit - 1
    std::uint32_t v = Byte();
    v = v << 8 | Byte();
    return limit == 0 ? 0 : v % limit;
  }
  bool Flag() { return Byte() & 1; }
  std::vector<std::uint8_t> Bytes(std::size_t n) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < n && !Empty(); ++i) out.push_back(Byte());
    return out;
  }
  std::string Text(std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n && !Empty(); ++i) out += static_cast<char>(Byte());
    return out;
  }
  // Everything not read yet.
  std::string Rest() {
    std::string out(reinterpret_cast<const char*>(data_) + (pos_ < size_ ? pos_ : size_),
                    pos_ < size_ ? size_ - pos_ : 0);
    pos_ = size_;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Aborts with a message when a property does not hold, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition, what)                                                      \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, __FILE__, __LINE__); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)
