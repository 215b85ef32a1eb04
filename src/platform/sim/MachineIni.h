// machine.ini of a simulated machine: the Windows version and folders, the
// drives, file attributes, key access marks and injected faults.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sim/MachineState.h"

namespace sim {

struct MachineIni {
  OsConfig os;
  std::vector<std::pair<char, std::string>>
      drives;  // letter, folder relative to the machine folder
  std::vector<std::pair<std::string, plat::DWORD>> attributes;  // Windows path, bits
  // Key path, marks: "deny-full-access", "grant-current-user", "grant-current-user-inherit".
  std::vector<std::pair<std::string, std::vector<std::string>>> acl;
  std::vector<FaultRule> faults;
  std::vector<std::string> lines;  // the text as read
};

// On malformed text returns false and sets *error to "machine.ini:LINE: what".
bool ParseMachineIni(std::string_view text, MachineIni* out, std::string* error);

// The text of a machine.ini: the lines of `original` with the [Attributes] and
// [Acl] sections replaced by the given ones (added at the end when missing).
std::string FormatMachineIni(const std::vector<std::string>& original,
                             const std::vector<std::pair<std::string, plat::DWORD>>& attributes,
                             const std::vector<std::pair<std::string, std::string>>& acl);

// A complete machine.ini for a new machine.
std::string NewMachineIni(const OsConfig& os,
                          const std::vector<std::pair<char, std::string>>& drives);

}  // namespace sim
