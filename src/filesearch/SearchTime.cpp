#include "filesearch/SearchTime.h"

#include <ctime>

namespace {

constexpr std::int64_t kFileTimeTicksPerSecond = 10'000'000;
constexpr std::int64_t kFileTimeUnixEpochSeconds = 11'644'473'600;  // 1601 to 1970

}  // namespace

SearchTime CurrentSearchTime() { return static_cast<SearchTime>(std::time(nullptr)); }

SearchTime SearchTimeFromFileTime(plat::FileTime fileTime) {
  SearchTime utc =
      static_cast<SearchTime>(fileTime / kFileTimeTicksPerSecond) - kFileTimeUnixEpochSeconds;
  std::time_t asTime = static_cast<std::time_t>(utc);
  if (static_cast<SearchTime>(asTime) != utc) return utc;
  std::tm* local = std::localtime(&asTime);
  if (local == nullptr) return utc;
  std::tm wall = *local;
  wall.tm_isdst = -1;
  std::time_t back = std::mktime(&wall);
  return back == static_cast<std::time_t>(-1) ? utc : static_cast<SearchTime>(back);
}
