// The finder's time stamps: seconds since 1970-01-01 00:00:00 UTC, held in 64
// bits so that no file time of the listing can wrap.
#pragma once

#include <cstdint>

#include "platform/Win32Types.h"

using SearchTime = std::int64_t;

// The clock, to the second.
SearchTime CurrentSearchTime();

// A listing's FILETIME, converted through local time as the framework's time
// class does (the result differs from the UTC count only inside the repeated
// hour of a daylight-saving change).
SearchTime SearchTimeFromFileTime(plat::FileTime fileTime);
