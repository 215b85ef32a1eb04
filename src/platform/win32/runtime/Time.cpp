#ifdef _WIN32  // the source glob of the portable library reaches this folder too

// The C run-time's clock and its conversions to and from local time, over the
// system's clock and time zone. Both conversions use the zone's present offset
// from UTC (as FileTimeToLocalFileTime does), so each undoes the other. time_t
// is 32 bits in this build, as the headers declare it (_time32 and friends).
//
// The headers declare these functions as DLL imports, so callers reach them
// through a pointer named __imp_<name>; each pointer is defined next to its function.

#include "platform/win32/WindowsApi.h"

namespace {

// struct tm, as <time.h> lays it out.
struct CrtTm {
  int tm_sec, tm_min, tm_hour, tm_mday, tm_mon, tm_year, tm_wday, tm_yday, tm_isdst;
};
using Time32 = long;

constexpr long long kTicksPerSecond = 10'000'000;
constexpr long long kUnixEpochSeconds = 11'644'473'600LL;  // 1601-01-01 to 1970-01-01

long long SecondsSince1601(const FILETIME& time) {
  unsigned long long ticks =
      (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<long long>(ticks / kTicksPerSecond);
}

FILETIME FileTimeFromSeconds(long long seconds) {
  unsigned long long ticks = static_cast<unsigned long long>(seconds) * kTicksPerSecond;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

// Days from 1970-01-01 to the given civil date (month 1 to 12).
long long DaysFromCivil(long long year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  long long era = (year >= 0 ? year : year - 399) / 400;
  long long yearOfEra = year - era * 400;
  long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CrtTm g_localTime;  // localtime's result, overwritten by each call as the C library's is

}  // namespace

extern "C" {

Time32 _time32(Time32* result) {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  Time32 seconds = static_cast<Time32>(SecondsSince1601(now) - kUnixEpochSeconds);
  if (result != nullptr) *result = seconds;
  return seconds;
}

CrtTm* _localtime32(const Time32* time) {
  if (time == nullptr || *time < 0) return nullptr;
  FILETIME utc = FileTimeFromSeconds(static_cast<long long>(*time) + kUnixEpochSeconds);
  FILETIME local;
  SYSTEMTIME parts;
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &parts))
    return nullptr;
  g_localTime.tm_sec = parts.wSecond;
  g_localTime.tm_min = parts.wMinute;
  g_localTime.tm_hour = parts.wHour;
  g_localTime.tm_mday = parts.wDay;
  g_localTime.tm_mon = parts.wMonth - 1;
  g_localTime.tm_year = parts.wYear - 1900;
  g_localTime.tm_wday = parts.wDayOfWeek;
  g_localTime.tm_yday = static_cast<int>(DaysFromCivil(parts.wYear, parts.wMonth, parts.wDay) -
                                         DaysFromCivil(parts.wYear, 1, 1));
  g_localTime.tm_isdst = 0;
  return &g_localTime;
}

Time32 _mktime32(CrtTm* wall) {
  if (wall == nullptr) return -1;
  // Fields out of their ranges carry into the next larger ones, as mktime's do.
  long long month = wall->tm_mon;
  long long year = 1900LL + wall->tm_year + month / 12;
  month %= 12;
  if (month < 0) {
    month += 12;
    --year;
  }
  long long days = DaysFromCivil(year, static_cast<int>(month) + 1, 1) + wall->tm_mday - 1;
  long long localSeconds =
      days * 86400 + wall->tm_hour * 3600LL + wall->tm_min * 60LL + wall->tm_sec;
  long long since1601 = localSeconds + kUnixEpochSeconds;
  if (since1601 < 0) return -1;
  FILETIME local = FileTimeFromSeconds(since1601);
  FILETIME utc;
  if (!::LocalFileTimeToFileTime(&local, &utc)) return -1;
  long long result = SecondsSince1601(utc) - kUnixEpochSeconds;
  if (result < 0 || result > 0x7FFFFFFFLL) return -1;
  Time32 seconds = static_cast<Time32>(result);
  // The fields come back normalised.
  if (CrtTm* normal = _localtime32(&seconds)) *wall = *normal;
  return seconds;
}

// The pointers through which the headers' DLL-import declarations reach these.
decltype(&_time32) _imp___time32 = &_time32;
decltype(&_localtime32) _imp___localtime32 = &_localtime32;
decltype(&_mktime32) _imp___mktime32 = &_mktime32;

}  // extern "C"

#endif  // _WIN32
