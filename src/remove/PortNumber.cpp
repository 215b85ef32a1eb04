#include "remove/PortNumber.h"

#include <algorithm>

namespace removal {

long ParsePortNumber(const char* digits) {
  constexpr long long kCeiling = 1000000000LL;
  const char* p = digits;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = std::min(kCeiling, value * 10 + (*p - '0'));
  return static_cast<long>(negative ? -value : value);
}

}  // namespace removal
