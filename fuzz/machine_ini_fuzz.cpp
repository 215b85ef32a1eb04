// machine.ini: any text is read or refused with a line number; what was read,
// written again (the whole file, or a new one from its Windows and drives), is
// read back to the same settings.
#include <string>

#include "FuzzInput.h"
#include "platform/sim/MachineIni.h"

namespace {

std::string Dump(const sim::MachineIni& ini, bool all) {
  const sim::OsConfig& os = ini.os;
  std::string out = std::to_string(os.platformId) + "." + std::to_string(os.major) + "." +
                    std::to_string(os.minor) + "." + std::to_string(os.build) + "." +
                    (os.extendedVersionInfo ? "x" : "-") + "|" + os.windowsFolder + "|" +
                    os.systemFolder + "|" + os.currentFolder + "\n";
  for (const auto& [letter, folder] : ini.drives)
    out += std::string(1, letter) + "=" + folder + "\n";
  if (!all) return out;
  for (const auto& [path, bits] : ini.attributes)
    out += "A " + path + "=" + std::to_string(bits) + "\n";
  for (const auto& [path, marks] : ini.acl) {
    out += "L " + path + "=";
    for (const std::string& mark : marks) out += mark + ",";
    out += "\n";
  }
  for (const sim::FaultRule& f : ini.faults)
    out += "F " + f.operation + " " + f.target + "=" + std::to_string(f.code) + "\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  sim::MachineIni ini;
  std::string error;
  if (!sim::ParseMachineIni(text, &ini, &error)) {
    FUZZ_CHECK(error.rfind("machine.ini:", 0) == 0, "a refusal names the file and line");
    return 0;
  }

  std::vector<std::pair<std::string, std::string>> acl;
  for (const auto& [path, marks] : ini.acl) {
    std::string joined;
    for (const std::string& mark : marks) joined += (joined.empty() ? "" : ",") + mark;
    acl.emplace_back(path, joined);
  }
  std::string rewritten = sim::FormatMachineIni(ini.lines, ini.attributes, acl);
  sim::MachineIni again;
  bool read = sim::ParseMachineIni(rewritten, &again, &error);
  if (!read) std::fprintf(stderr, "rewritten machine.ini refused: %s\n", error.c_str());
  FUZZ_CHECK(read, "a machine.ini written again is read back");
  FUZZ_CHECK(Dump(again, true) == Dump(ini, true),
             "a machine.ini written again keeps its settings");

  sim::MachineIni fresh;
  read = sim::ParseMachineIni(sim::NewMachineIni(ini.os, ini.drives), &fresh, &error);
  if (!read) std::fprintf(stderr, "new machine.ini refused: %s\n", error.c_str());
  FUZZ_CHECK(read, "a new machine.ini of the same Windows is read back");
  FUZZ_CHECK(Dump(fresh, false) == Dump(ini, false),
             "a new machine.ini keeps the Windows and the drives");
  return 0;
}
