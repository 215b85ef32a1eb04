// The registry of a simulated machine as regedit's export text.
#pragma once

#include <string>
#include <string_view>

#include "platform/sim/MachineState.h"

namespace sim {

// Reads "REGEDIT4" or "Windows Registry Editor Version 5.00" text (ANSI, UTF-8 or
// UTF-16LE with its byte-order mark) into tree. On malformed text returns false
// and sets *error to "FILE:LINE: what".
bool ReadRegFile(std::string_view text, RegistryTree* tree, std::string* error,
                 std::string_view fileName = "registry.reg");

// Writes the tree as REGEDIT4 text that ReadRegFile reads back to the same tree:
// every key, every value with its type and bytes exactly.
std::string WriteRegFile(const RegistryTree& tree);

}  // namespace sim
