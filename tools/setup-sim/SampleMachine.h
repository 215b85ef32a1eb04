// The machines `setup-sim init` writes: a plausible Windows of a chosen version,
// the sample installation medium and, on request, an earlier installation.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/sim/Machine.h"

namespace setupsim {

struct InitOptions {
  std::string os = "xp";  // 95, 98, me, nt4, 2000, xp, vista
  bool earlierInstallation = false;
  bool medium = true;
  // "windows": the folders of a real installation of that version; "wine": Wine's
  // (C:\windows, C:\windows\system32 and the user profile's Desktop), so that the
  // same machine can be loaded into a Wine prefix and both runs compared.
  std::string layout = "windows";
  // The Desktop folder of the wine layout; empty: C:\users\<login name>\Desktop.
  std::string desktop;
};

// The Windows of a version name, or nullopt for an unknown name.
std::optional<sim::OsConfig> WindowsOf(const std::string& name);

// Writes a new machine folder; false (and *error) when it cannot.
bool WriteSampleMachine(const std::filesystem::path& folder, const InitOptions& options, std::string* error);

}  // namespace setupsim
