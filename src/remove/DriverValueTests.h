// The tests the class-key steps apply to the values of a driver key. A value
// counts only when it was read whole into the buffer and is at least 5 bytes
// long (terminating zero included); it is lower-cased (A to Z only) and then
// compared byte by byte with a lower-case literal. Each test reads afresh.
#pragma once

#include <string_view>

#include "platform/Platform.h"

namespace removal {

// The value's first literal.size() characters equal literal.
bool ValueBeginsWith(plat::IRegistry& registry, plat::HKey key, const char* valueName,
                     std::string_view literal);
// The whole value equals literal.
bool ValueEquals(plat::IRegistry& registry, plat::HKey key, const char* valueName,
                 std::string_view literal);

}  // namespace removal
