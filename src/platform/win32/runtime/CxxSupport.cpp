#ifdef _WIN32  // the source glob of the portable library reaches this folder too

// What compiled C++ needs of its run-time library, without exceptions: the
// standard library's "throw" points end the program (the program is built
// without exceptions, so nothing could catch them), as does a pure virtual call.

#include <cstdlib>
#include <string>  // declares the standard library's throw points

#include "platform/win32/runtime/Fatal.h"

extern "C" void abort() { runtime::Fatal("The program stopped on an internal error."); }

extern "C" void __cxa_pure_virtual() { runtime::Fatal("Pure virtual function called."); }

namespace std {

void __throw_bad_alloc() { runtime::Fatal("Out of memory."); }
void __throw_bad_array_new_length() { runtime::Fatal("Out of memory."); }
void __throw_length_error(const char*) { runtime::Fatal("A length limit was exceeded."); }
void __throw_logic_error(const char*) {
  runtime::Fatal("The program stopped on an internal error.");
}
void __throw_out_of_range(const char*) { runtime::Fatal("An index was out of range."); }
void __throw_out_of_range_fmt(const char*, ...) { runtime::Fatal("An index was out of range."); }
void __throw_invalid_argument(const char*) { runtime::Fatal("An argument was invalid."); }
void __throw_bad_function_call() { runtime::Fatal("An empty function was called."); }

}  // namespace std

#endif  // _WIN32
