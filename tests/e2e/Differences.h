// What differs between a run of the setup on the simulated machine and a run of
// the real Setup.exe under Wine on the same machine: the two reports and the
// two end states, over the keys and folders the setup reads or changes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/JsonValue.h"
#include "platform/sim/Machine.h"

namespace e2e {

struct Difference {
  std::string path;  // a file, a key, a value (key\[name]) or "transcript <field>"
  std::string what;  // the two sides
};

// tests/e2e/roots.txt: "key HKLM\..." and "folder C:\..." lines; %Desktop% is the
// Desktop folder that the machine's Shell Folders key names.
struct Roots {
  std::vector<std::string> keys;
  std::vector<std::string> folders;
  bool Covers(const std::string& path) const;  // a file or key path (values as key\[name])
};
Roots ReadRoots(const std::filesystem::path& file, const sim::Machine& machine);

// The two reports: dialog states, the last dialog, every box, the restart.
std::vector<Difference> CompareReports(const JsonValue& sim, const JsonValue& wine);

// The two end states below the roots: keys and their values, files with their
// bytes (shell links by their target and description) and their read-only,
// hidden and system bits. Access-control marks are not compared: Wine's export
// carries none.
std::vector<Difference> CompareStates(const sim::Machine& sim, const sim::Machine& wine,
                                      const Roots& roots);

// Changes made outside the roots: the simulation's (its report's "changes"), and
// the paths listed in Wine's export as changed or removed by the run.
std::vector<Difference> ChangesOutsideRoots(const JsonValue& simReport,
                                            const std::vector<std::string>& wineChanged,
                                            const std::vector<std::string>& wineRemoved,
                                            const Roots& roots);

// tests/e2e/known-differences.txt: "scenario | path | reason", one a line.
struct KnownDifference {
  std::string scenario;
  std::string path;
  std::string reason;
  int line = 0;
};
std::vector<KnownDifference> ReadKnownDifferences(const std::filesystem::path& file,
                                                  std::string* error);

// Ascii case-insensitive equality, as Windows compares paths and names.
bool SameName(const std::string& a, const std::string& b);

}  // namespace e2e
