#include "filesearch/CPathArgument.h"

#include <algorithm>

namespace {

// Removes every c from text; true when there was one.
bool RemoveAll(std::string& text, char c) {
  auto end = std::remove(text.begin(), text.end(), c);
  bool removed = end != text.end();
  text.erase(end, text.end());
  return removed;
}

}  // namespace

void CPathArgument::SetName(const std::string& text) {
  m_strName = text;
  if (RemoveAll(m_strName, '/')) m_cSwitch = '/';
  if (RemoveAll(m_strName, '-')) m_cSwitch = '-';
  RemoveAll(m_strName, ' ');
}

std::string CPathArgument::GetText() const {
  std::string text;
  if (!m_strName.empty()) {
    text += ' ';
    text += m_cSwitch;
    text += m_strName;
  }
  if (!m_strValue.empty()) {
    text += ' ';
    if (m_strValue.find(' ') != std::string::npos)
      text += '"' + m_strValue + '"';
    else
      text += m_strValue;
  }
  return text;
}
