// The end of the program on an error it cannot go on from (out of memory, a
// broken invariant of the standard library): a system box with the reason, then
// the process ends.
#pragma once

namespace runtime {

[[noreturn]] void Fatal(const char* reason);

}  // namespace runtime
