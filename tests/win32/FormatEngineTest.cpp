// The formatting behind Setup.exe's snprintf, against the host C library's.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/runtime/FormatEngine.h"

namespace {

int Format(char* buffer, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int length = runtime::FormatV(buffer, size, format, args);
  va_end(args);
  return length;
}

// Both formatters on the same arguments: same text, same length.
#define EXPECT_FORMATS_AS_LIBC(format, ...)                                      \
  do {                                                                           \
    char ours[256], theirs[256];                                                 \
    int ourLength = Format(ours, sizeof ours, format, __VA_ARGS__);              \
    int theirLength = std::snprintf(theirs, sizeof theirs, format, __VA_ARGS__); \
    EXPECT_EQ(std::string(ours), std::string(theirs)) << format;                 \
    EXPECT_EQ(ourLength, theirLength) << format;                                 \
  } while (0)

TEST(FormatEngine, IntegersMatchTheCLibrary) {
  EXPECT_FORMATS_AS_LIBC("%d|%i|%u", 42, -42, 42u);
  EXPECT_FORMATS_AS_LIBC("%d %d", INT_MIN, INT_MAX);
  EXPECT_FORMATS_AS_LIBC("%5d|%-5d|%05d|%+d|% d|%+05d", 42, 42, -42, 42, 42, 42);
  EXPECT_FORMATS_AS_LIBC("%.3d|%8.3d|%-8.3d|%.0d|%.0d", 7, -7, 7, 0, 1);
  EXPECT_FORMATS_AS_LIBC("%x|%X|%#x|%#X|%08X|%#08x|%#x", 0xBEEFu, 0xBEEFu, 255u, 255u, 0xABu, 0xABu,
                         0u);
  EXPECT_FORMATS_AS_LIBC("%o|%#o|%#o|%#.0o", 8u, 8u, 0u, 0u);
  EXPECT_FORMATS_AS_LIBC("%ld|%lu|%lx", -5L, 4000000000UL, 0xFFFFFFFFUL);
  EXPECT_FORMATS_AS_LIBC("%lld|%llu|%llX", LLONG_MIN, ULLONG_MAX, 0x123456789ABCDEFULL);
  EXPECT_FORMATS_AS_LIBC("%hhd|%hhu|%hd|%hu", 300, 300, 70000, 70000);
  EXPECT_FORMATS_AS_LIBC("%zu|%zx|%td|%jd", static_cast<std::size_t>(123),
                         static_cast<std::size_t>(0xFF), static_cast<std::ptrdiff_t>(-9),
                         static_cast<intmax_t>(-10));
  EXPECT_FORMATS_AS_LIBC("%*d|%-*d|%.*d|%*d", 6, 1, 6, 1, 4, 1, -6, 1);
}

TEST(FormatEngine, TextMatchesTheCLibrary) {
  EXPECT_FORMATS_AS_LIBC("%s|%10s|%-10s|%.3s|%10.2s", "path", "path", "path", "path", "path");
  EXPECT_FORMATS_AS_LIBC("%c%c|%3c|%-3c|", 'a', 'b', 'x', 'y');
  EXPECT_FORMATS_AS_LIBC("%s\\%s%%%s", "C:", "VyxUZorp", "x");
  EXPECT_FORMATS_AS_LIBC("%.*s|", 2, "abcdef");
  EXPECT_FORMATS_AS_LIBC("no conversions: 100%% %s", "");
}

TEST(FormatEngine, PointersAreHexWithPrefix) {
  char buffer[64];
  int value = 0;
  char expected[64];
  std::snprintf(expected, sizeof expected, "%p", static_cast<void*>(&value));
  Format(buffer, sizeof buffer, "%p", static_cast<void*>(&value));
  EXPECT_EQ(std::string(buffer), std::string(expected));
}

TEST(FormatEngine, TruncatesAndReportsTheFullLength) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(Format(buffer, 5, "%s-%d", "abcdef", 12), 9);
  EXPECT_EQ(std::string(buffer), "abcd");
  EXPECT_EQ(buffer[5], '#') << "nothing past the given size is written";
  EXPECT_EQ(Format(buffer, 1, "%d", 12345), 5);
  EXPECT_EQ(buffer[0], '\0');
  buffer[0] = '#';
  EXPECT_EQ(Format(buffer, 0, "%d", 12345), 5);
  EXPECT_EQ(buffer[0], '#') << "size 0 writes nothing";
  EXPECT_EQ(Format(nullptr, 0, "%s", "measure"), 7);
}

TEST(FormatEngine, UnsupportedConversionsStayHarmless) {
  char buffer[64];
  int written = 99;
  // %n writes nothing; floating-point arguments are consumed so that later
  // arguments stay in place.
  EXPECT_EQ(Format(buffer, sizeof buffer, "a%nb", &written), 2);
  EXPECT_EQ(std::string(buffer), "ab");
  EXPECT_EQ(written, 99);
  Format(buffer, sizeof buffer, "%f|%d|%Lg|%s", 1.5, 7, static_cast<long double>(2.5), "end");
  EXPECT_EQ(std::string(buffer), "|7||end");
  Format(buffer, sizeof buffer, "%s (null) %q %", static_cast<const char*>(nullptr));
  EXPECT_EQ(std::string(buffer), "(null) (null) %q %");
  // The zero flag gives way to a precision, as in the C library.
  Format(buffer, sizeof buffer, "%08.3d|", 7);
  EXPECT_EQ(std::string(buffer), "     007|");
}

}  // namespace
