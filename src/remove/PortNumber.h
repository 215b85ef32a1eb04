// The number of a port name such as "COM5" or "COM12:".
#pragma once

namespace removal {

// The C library's atoi over digits: optional leading white space and sign, then
// decimal digits up to the first other character; 0 when there are none.
// Unlike atoi it cannot overflow: the value saturates far beyond any port number.
long ParsePortNumber(const char* digits);

// Whether n names a port of the COM port database.
inline bool IsComPortNumber(long n) { return n >= 1 && n <= 256; }

}  // namespace removal
