#ifdef _WIN32  // the source glob of the portable library reaches this folder too

// snprintf and its relatives, under the names the headers give them (the C++
// headers route them to the __mingw_ functions), over FormatEngine.h.

#include <cstdarg>
#include <cstddef>

#include "platform/win32/runtime/FormatEngine.h"

extern "C" {

int __mingw_vsnprintf(char* buffer, std::size_t size, const char* format, va_list args) {
  return runtime::FormatV(buffer, size, format, args);
}

int __mingw_snprintf(char* buffer, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int length = runtime::FormatV(buffer, size, format, args);
  va_end(args);
  return length;
}

int __mingw_vsprintf(char* buffer, const char* format, va_list args) {
  return runtime::FormatV(buffer, static_cast<std::size_t>(-1), format, args);
}

int __mingw_sprintf(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int length = runtime::FormatV(buffer, static_cast<std::size_t>(-1), format, args);
  va_end(args);
  return length;
}

int vsnprintf(char* buffer, std::size_t size, const char* format, va_list args) {
  return runtime::FormatV(buffer, size, format, args);
}

int snprintf(char* buffer, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int length = runtime::FormatV(buffer, size, format, args);
  va_end(args);
  return length;
}

}  // extern "C"

#endif  // _WIN32
