// runtimecheck: the run-time support that Setup.exe is linked with
// (src/platform/win32/runtime) run against the real API: start-up and exit,
// the heap, the string functions, the clock and its local-time conversions,
// and the standard library templates the program uses on top of them. Linked
// exactly as Setup.exe is (no C run-time library), as a console program.
// Prints one line per failed check and a summary; the exit status is the
// number of failures.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace {

int g_checks = 0;
int g_failures = 0;
std::string g_order;  // what the static objects and exit functions did, in order

void Write(const std::string& text) {
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

void Check(bool ok, const char* what, int line) {
  ++g_checks;
  if (ok) return;
  ++g_failures;
  Write("FAIL line " + std::to_string(line) + ": " + what + "\n");
}
#define CHECK(cond) Check((cond), #cond, __LINE__)

struct Recorder {
  explicit Recorder(char name) : name_(name) { g_order += name_; }
  ~Recorder() {
    // Runs after WinMain: reported on the output, checked by the test.
    Write(std::string("destroyed ") + name_ + "\n");
  }
  char name_;
};
Recorder g_first('a');
Recorder g_second('b');

void CheckStartup() {
  // Static objects are constructed before WinMain, in the order of their definitions.
  CHECK(g_order == "ab");
  CHECK(std::atexit([] { Write("exit function 1\n"); }) == 0);
  CHECK(std::atexit([] { Write("exit function 2\n"); }) == 0);
  CHECK(std::atexit(nullptr) != 0);
}

void CheckStrings() {
  char buffer[16] = "abcdefghij";
  std::memmove(buffer + 2, buffer, 5);  // overlapping, forwards
  CHECK(std::strcmp(buffer, "ababcdehij") == 0);
  std::memmove(buffer, buffer + 2, 5);  // overlapping, backwards
  CHECK(std::strncmp(buffer, "abcdecdehij", 5) == 0);
  std::memset(buffer, 'x', 3);
  CHECK(std::memcmp(buffer, "xxx", 3) == 0);
  CHECK(std::memcmp("a\x80", "a\x01", 2) > 0);  // bytes compare unsigned
  CHECK(std::memcmp("ab", "ac", 2) < 0);
  CHECK(std::memcmp("ab", "ac", 1) == 0);
  CHECK(std::memchr("hello", 'l', 5) == static_cast<const void*>(&"hello"[2]) ||
        std::strchr("hello", 'l') != nullptr);
  const char* text = "a\\b\\c.txt";
  CHECK(std::strrchr(text, '\\') == text + 3);
  CHECK(std::strrchr(text, '/') == nullptr);
  CHECK(std::strchr(text, '\0') == text + std::strlen(text));
  CHECK(std::strlen("") == 0 && std::strlen("four") == 4);
  CHECK(std::strcmp("abc", "abd") < 0 && std::strcmp("b", "abc") > 0 && std::strcmp("", "") == 0);
  CHECK(std::strcmp("\xE4", "a") > 0);
  CHECK(std::strncmp("abcX", "abcY", 3) == 0 && std::strncmp("ab", "abc", 3) < 0);
}

void CheckHeap() {
  void* block = std::malloc(0);
  CHECK(block != nullptr);
  std::free(block);
  std::free(nullptr);
  auto* numbers = static_cast<int*>(std::calloc(100, sizeof(int)));
  bool zero = numbers != nullptr;
  for (int i = 0; zero && i < 100; ++i) zero = numbers[i] == 0;
  CHECK(zero);
  numbers = static_cast<int*>(std::realloc(numbers, 100000 * sizeof(int)));
  CHECK(numbers != nullptr && numbers[99] == 0);
  std::free(numbers);
  volatile std::size_t huge = static_cast<std::size_t>(-1) / 2;
  CHECK(std::calloc(huge, 4) == nullptr);  // the product overflows
  CHECK(std::realloc(std::malloc(8), 0) == nullptr);

  auto owned = std::make_unique<std::string>(300, 'z');
  CHECK(owned->size() == 300 && (*owned)[299] == 'z');
  std::vector<std::string> list;
  for (int i = 0; i < 1000; ++i) list.push_back("item " + std::to_string(i));
  CHECK(list[999] == "item 999");
  std::map<std::string, int> sorted;
  for (int i = 0; i < 50; ++i) sorted["k" + std::to_string(i % 10)] += i;
  CHECK(sorted.size() == 10 && sorted.begin()->first == "k0" &&
        sorted["k9"] == 9 + 19 + 29 + 39 + 49);
  std::string joined;
  for (const auto& [key, value] : sorted) joined += key;
  CHECK(joined.find("k3k4") != std::string::npos);
}

void CheckConversions() {
  // Reached through the headers' declarations, as the program's code reaches them.
  CHECK(std::atoi("  -42abc") == -42 && std::atoi("x") == 0 && std::atoi("12") == 12);
  char* end = nullptr;
  CHECK(std::strtol("0x1F!", &end, 16) == 31 && *end == '!');
  CHECK(std::strtol("0x1F", &end, 0) == 31 && std::strtol("017", &end, 0) == 15);
  CHECK(std::strtol("99999999999", &end, 10) == 0x7FFFFFFFL && *end == '\0');
  CHECK(std::strtol("-99999999999", nullptr, 10) == -0x7FFFFFFFL - 1);
  CHECK(std::strtol("-2147483648", nullptr, 10) == -0x7FFFFFFFL - 1);
  CHECK(std::strtoul("4294967295", nullptr, 10) == 0xFFFFFFFFUL);
  CHECK(std::strtoul("4294967296", nullptr, 10) == 0xFFFFFFFFUL);
  const char* none = "  +";
  CHECK(std::strtol(none, &end, 10) == 0 && end == none);
  CHECK(std::isdigit('7') && !std::isdigit('a') && std::isxdigit('F') && !std::isxdigit('g'));
  CHECK(std::isspace('\t') && std::isspace(' ') && !std::isspace('x'));
  CHECK(std::isalpha('q') && !std::isalpha('1') && std::isalnum('1') && !std::isalnum('-'));
  CHECK(std::tolower('Q') == 'q' && std::tolower('1') == '1' && std::toupper('z') == 'Z');
  CHECK(!std::isalpha(0xE4) && std::tolower(0xC4) == 0xC4);  // "C" locale: ASCII only
  char buffer[32];
  std::strcpy(buffer, "C:");
  std::strcat(buffer, "\\VyxUZorp");
  CHECK(std::strcmp(buffer, "C:\\VyxUZorp") == 0);
  CHECK(std::strstr(buffer, "Zorp") == buffer + 7 && std::strstr(buffer, "zorp") == nullptr);
  CHECK(std::strstr(buffer, "") == buffer);
  std::strncpy(buffer, "ab", 5);
  CHECK(buffer[0] == 'a' && buffer[2] == '\0' && buffer[4] == '\0');
  CHECK(std::snprintf(buffer, sizeof buffer, "%s\\%04X-%d", "E:", 0x3Fu, -1) == 10);
  CHECK(std::strcmp(buffer, "E:\\003F--1") == 0);
  CHECK(std::snprintf(buffer, 4, "%d", 123456) == 6 && std::strcmp(buffer, "123") == 0);
  CHECK(std::to_string(-77) == "-77");
}

// FILETIME seconds since 1970 for a local wall-clock time, as Windows converts it.
long long WindowsLocalToUtc(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME wall = {};
  wall.wYear = static_cast<WORD>(year);
  wall.wMonth = static_cast<WORD>(month);
  wall.wDay = static_cast<WORD>(day);
  wall.wHour = static_cast<WORD>(hour);
  wall.wMinute = static_cast<WORD>(minute);
  wall.wSecond = static_cast<WORD>(second);
  FILETIME local, utc;
  ::SystemTimeToFileTime(&wall, &local);
  ::LocalFileTimeToFileTime(&local, &utc);
  unsigned long long ticks =
      (static_cast<unsigned long long>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  return static_cast<long long>(ticks / 10'000'000ULL) - 11'644'473'600LL;
}

void CheckClock() {
  std::time_t now = 0;
  std::time_t returned = std::time(&now);
  CHECK(returned == now);
  FILETIME system;
  ::GetSystemTimeAsFileTime(&system);
  unsigned long long ticks =
      (static_cast<unsigned long long>(system.dwHighDateTime) << 32) | system.dwLowDateTime;
  long long expected = static_cast<long long>(ticks / 10'000'000ULL) - 11'644'473'600LL;
  CHECK(now - expected <= 2 && expected - now <= 2);
  CHECK(now > 946'684'800);  // after 2000

  struct Case {
    int year, month, day, hour, minute, second;
  };
  const Case cases[] = {{1970, 1, 2, 0, 0, 0},   {1999, 12, 31, 23, 59, 59},
                        {2000, 2, 29, 12, 0, 0}, {2004, 7, 15, 8, 30, 5},
                        {2024, 3, 31, 2, 30, 0}, {2037, 12, 31, 0, 0, 0}};
  for (const Case& c : cases) {
    std::tm wall = {};
    wall.tm_year = c.year - 1900;
    wall.tm_mon = c.month - 1;
    wall.tm_mday = c.day;
    wall.tm_hour = c.hour;
    wall.tm_min = c.minute;
    wall.tm_sec = c.second;
    wall.tm_isdst = -1;
    std::time_t t = std::mktime(&wall);
    CHECK(t == WindowsLocalToUtc(c.year, c.month, c.day, c.hour, c.minute, c.second));
    std::tm* back = std::localtime(&t);
    CHECK(back != nullptr && back->tm_year == c.year - 1900 && back->tm_mon == c.month - 1 &&
          back->tm_mday == c.day && back->tm_hour == c.hour && back->tm_min == c.minute &&
          back->tm_sec == c.second);
  }
  // Fields out of range carry over, and come back normalised.
  std::tm carry = {};
  carry.tm_year = 2003 - 1900;
  carry.tm_mon = 13;   // February of the next year
  carry.tm_mday = 30;  // ... its 30th is 1 March 2004 (a leap year)
  carry.tm_hour = 25;  // ... and one more day: 2 March, 01:00
  carry.tm_isdst = -1;
  std::time_t t = std::mktime(&carry);
  CHECK(t == WindowsLocalToUtc(2004, 3, 2, 1, 0, 0));
  CHECK(carry.tm_year == 104 && carry.tm_mon == 2 && carry.tm_mday == 2 && carry.tm_hour == 1);
  CHECK(carry.tm_yday == 31 + 29 + 1);
  CHECK(carry.tm_wday == 2);  // a Tuesday
  std::time_t before1970 = -5;
  CHECK(std::localtime(&before1970) == nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CheckStartup();
  CheckStrings();
  CheckHeap();
  CheckConversions();
  CheckClock();
  Write("runtimecheck: " + std::to_string(g_checks) + " checks, " + std::to_string(g_failures) +
        " failed\n");
  return g_failures;
}
