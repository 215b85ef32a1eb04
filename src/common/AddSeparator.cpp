#include "common/AddSeparator.h"

std::string AddSeparator(std::string text, bool slash) {
  if (text.empty() || text.back() == '\\' || text.back() == '/') return text;
  text.push_back(slash ? '/' : '\\');
  return text;
}
