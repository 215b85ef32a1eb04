// One simulated machine per fuzzer process, in a folder of its own that goes
// when the process ends. Targets reset what they use before each input.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/sim/Machine.h"
#include "platform/sim/MachineState.h"

struct FuzzMachines {
  std::map<std::string, std::pair<std::filesystem::path, std::unique_ptr<sim::Machine>>> byName;
  ~FuzzMachines() {
    for (auto& [name, entry] : byName) {
      entry.second.reset();
      std::error_code ec;
      std::filesystem::remove_all(entry.first, ec);
    }
  }
};

// The machine of this name, made with os the first time.
inline sim::Machine& FuzzMachine(const sim::OsConfig& os, const std::string& name) {
  static FuzzMachines machines;
  auto& [folder, machine] = machines.byName[name];
  if (!machine) {
    folder = std::filesystem::temp_directory_path() /
             ("fuzz-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    machine = sim::Machine::Create(folder, os);
    if (!machine) std::abort();
  }
  // What the machine recorded for earlier inputs would only grow.
  machine->Internal().calls.clear();
  machine->Internal().messageBoxes.clear();
  return *machine;
}
