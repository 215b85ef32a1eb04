#include "filesearch/FoldedSearch.h"

std::string FoldCase(std::string text) {
  for (char& c : text) c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
  return text;
}

FoldedSearch::FoldedSearch(const std::string& text)
    : m_folded(FoldCase(text)), m_length(m_folded.size()) {
  const auto* folded = reinterpret_cast<const unsigned char*>(m_folded.data());
  for (std::uint32_t& skip : m_skip) skip = static_cast<std::uint32_t>(m_length);
  // The shift for a byte at the window's end: how far its last occurrence in the
  // text (the final position left out) lies from the end, for both letter cases.
  for (std::size_t i = 0; i + 1 < m_length; ++i) {
    auto shift = static_cast<std::uint32_t>(m_length - 1 - i);
    unsigned char c = folded[i];
    m_skip[c] = shift;
    if (c >= 'A' && c <= 'Z') m_skip[c + 32] = shift;
  }
}

std::size_t FoldedSearch::Find(const unsigned char* data, std::size_t length) const {
  if (m_length == 0) return 0;
  if (length < m_length) return npos;
  const auto* text = reinterpret_cast<const unsigned char*>(m_folded.data());
  const std::size_t lastIndex = m_length - 1;
  const unsigned char last = text[lastIndex];
  const unsigned char* end = data + length - m_length;  // last possible start
  for (const unsigned char* p = data; p <= end;) {
    unsigned char c = p[lastIndex];
    if (FoldCase(c) == last) {
      std::size_t j = 0;
      while (j < lastIndex && FoldCase(p[j]) == text[j]) ++j;
      if (j == lastIndex) return static_cast<std::size_t>(p - data);
    }
    p += m_skip[c];
  }
  return npos;
}
