#include "remove/PortNumber.h"

namespace removal {

long ParsePortNumber(const char* digits) {
  constexpr long kCeiling = 1000000000L;
  const char* p = digits;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p)
    if (value < kCeiling) value = value * 10 + (*p - '0');
  return negative ? -value : value;
}

}  // namespace removal
