// The string id of a text the dialog's status line shows, for the simulated
// dialog and for the driver that reads the real one from the screen.
#pragma once

#include <string_view>

#include "res/StringTable.h"

namespace res {

// The id (1 to 7) whose text is exactly this, or 0 for another text.
inline int StatusIdOf(std::string_view text) {
  for (int id = kFirstString; id <= kLastString; ++id)
    if (text == kStrings[id]) return id;
  return 0;
}

}  // namespace res
