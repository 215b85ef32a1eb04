#include "filesearch/FoldedSearch.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kCaseBit = 0x2020202020202020ull;

std::uint64_t Load(const unsigned char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

// The high bit of every byte of word that is zero, and nothing else.
std::uint64_t ZeroBytes(std::uint64_t word) { return ~(((word & kLow7) + kLow7) | word | kLow7); }

}  // namespace

std::string FoldCase(std::string text) {
  for (char& c : text) c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
  return text;
}

FoldedSearch::FoldedSearch(const std::string& text) : m_folded(FoldCase(text)) {}

bool FoldedSearch::MatchesAt(const unsigned char* at) const {
  const auto* text = reinterpret_cast<const unsigned char*>(m_folded.data());
  for (std::size_t j = 0; j < m_folded.size(); ++j)
    if (FoldCase(at[j]) != text[j]) return false;
  return true;
}

// Eight starting positions at a time: a position is looked at closely only when
// its first and last bytes can be those of the text. OR-ing the case bit into a
// byte maps both cases of a letter to one value (and lets a few other bytes pass,
// which the close look rejects).
std::size_t FoldedSearch::Find(const unsigned char* data, std::size_t length) const {
  const std::size_t n = m_folded.size();
  if (n == 0) return 0;
  if (length < n) return npos;
  const std::size_t starts = length - n + 1;
  const auto* text = reinterpret_cast<const unsigned char*>(m_folded.data());
  const std::uint64_t first = kOnes * (text[0] | 0x20u);
  const std::uint64_t last = kOnes * (text[n - 1] | 0x20u);
  std::size_t i = 0;
  for (; i + 8 <= starts; i += 8) {
    std::uint64_t heads = Load(data + i) | kCaseBit;
    std::uint64_t tails = Load(data + i + n - 1) | kCaseBit;
    std::uint64_t candidates = ZeroBytes(heads ^ first) & ZeroBytes(tails ^ last);
    while (candidates != 0) {
      std::size_t at = i + (static_cast<unsigned>(std::countr_zero(candidates)) >> 3);
      if (MatchesAt(data + at)) return at;
      candidates &= candidates - 1;
    }
  }
  for (; i < starts; ++i)
    if (MatchesAt(data + i)) return i;
  return npos;
}
