// Search for one text in memory, ignoring the letter case of ASCII letters.
#pragma once

#include <cstddef>
#include <string>

// The byte with ASCII letters upper-cased; other bytes unchanged.
inline unsigned char FoldCase(unsigned char c) {
  return static_cast<unsigned char>(static_cast<unsigned>(c - 'a') < 26u ? c - 32 : c);
}

// Upper-cases the ASCII letters of text.
std::string FoldCase(std::string text);

class FoldedSearch {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  explicit FoldedSearch(const std::string& text);

  std::size_t Length() const { return m_folded.size(); }
  // Start of the first occurrence in data[0, length), or npos.
  std::size_t Find(const unsigned char* data, std::size_t length) const;

 private:
  bool MatchesAt(const unsigned char* at) const;

  std::string m_folded;
};
