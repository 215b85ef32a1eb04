// setup-sim: runs the setup program on a simulated Windows machine held in a
// folder and reports every dialog text, message box and change it made.
//
//   setup-sim init DIR [--os 95|98|me|nt4|2000|xp|vista] [--earlier-installation] [--no-medium]
//                      [--layout windows|wine] [--desktop PATH]
//   setup-sim run [DIR] [--answer ok|cancel] [--then reboot-now|reboot-later|exit] [--json]
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "RunReport.h"
#include "SampleMachine.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitUsage = 1;
constexpr int kExitBadMachine = 2;

int Usage(const char* why) {
  std::fprintf(stderr,
               "setup-sim: %s\n"
               "usage: setup-sim init DIR [--os 95|98|me|nt4|2000|xp|vista] [--earlier-installation] [--no-medium]\n"
               "                      [--layout windows|wine] [--desktop PATH]\n"
               "       setup-sim run [DIR] [--answer ok|cancel] [--then reboot-now|reboot-later|exit] [--json]\n",
               why);
  return kExitUsage;
}

int Init(const std::vector<std::string>& args) {
  setupsim::InitOptions options;
  std::string dir;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--os" && i + 1 < args.size()) {
      options.os = args[++i];
    } else if (arg == "--earlier-installation") {
      options.earlierInstallation = true;
    } else if (arg == "--no-medium") {
      options.medium = false;
    } else if (arg == "--layout" && i + 1 < args.size()) {
      options.layout = args[++i];
    } else if (arg == "--desktop" && i + 1 < args.size()) {
      options.desktop = args[++i];
    } else if (!arg.empty() && arg[0] != '-' && dir.empty()) {
      dir = arg;
    } else {
      return Usage(("unexpected argument " + arg).c_str());
    }
  }
  if (dir.empty()) return Usage("init needs a folder");
  std::string error;
  if (!setupsim::WriteSampleMachine(dir, options, &error)) {
    std::fprintf(stderr, "setup-sim: %s\n", error.c_str());
    return kExitBadMachine;
  }
  std::printf("setup-sim: wrote a Windows %s machine%s%s to %s\n", options.os.c_str(),
              options.earlierInstallation ? " with an earlier installation" : "",
              options.medium ? " and the sample medium in E:\\" : "", dir.c_str());
  return 0;
}

int Run(const std::vector<std::string>& args) {
  setupsim::RunOptions options;
  bool json = false;
  std::string dir;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--answer" && i + 1 < args.size()) {
      const std::string& answer = args[++i];
      if (answer != "ok" && answer != "cancel") return Usage("--answer takes ok or cancel");
      options.answer = answer == "ok" ? plat::kIdOk : plat::kIdCancel;
    } else if (arg == "--then" && i + 1 < args.size()) {
      const std::string& then = args[++i];
      if (then == "reboot-now")
        options.then = setupsim::Then::kRebootNow;
      else if (then == "reboot-later")
        options.then = setupsim::Then::kRebootLater;
      else if (then == "exit")
        options.then = setupsim::Then::kExit;
      else
        return Usage("--then takes reboot-now, reboot-later or exit");
    } else if (arg == "--json") {
      json = true;
    } else if (!arg.empty() && arg[0] != '-' && dir.empty()) {
      dir = arg;
    } else {
      return Usage(("unexpected argument " + arg).c_str());
    }
  }

  // Without a folder: the default machine, Windows XP with an earlier
  // installation and the sample medium, in a temporary folder.
  fs::path temp;
  if (dir.empty()) {
    temp = fs::temp_directory_path() / ("setup-sim-" + std::to_string(::getpid()));
    fs::remove_all(temp);
    setupsim::InitOptions defaults;
    defaults.earlierInstallation = true;
    std::string error;
    if (!setupsim::WriteSampleMachine(temp, defaults, &error)) {
      std::fprintf(stderr, "setup-sim: %s\n", error.c_str());
      fs::remove_all(temp);
      return kExitBadMachine;
    }
    dir = temp.string();
  }

  std::string error;
  auto machine = sim::Machine::Load(dir, &error);
  if (!machine) {
    std::fprintf(stderr, "setup-sim: %s\n", error.c_str());
    if (!temp.empty()) fs::remove_all(temp);
    return kExitBadMachine;
  }
  setupsim::RunOutcome outcome = setupsim::RunSetup(*machine, options);
  bool saved = machine->Save(&error);
  std::string report = json ? setupsim::JsonReport(outcome) : setupsim::TextReport(outcome);
  std::fputs(report.c_str(), stdout);
  machine.reset();
  if (!temp.empty()) fs::remove_all(temp);
  if (!saved) {
    std::fprintf(stderr, "setup-sim: %s\n", error.c_str());
    return kExitBadMachine;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command");
  std::string command = args.front();
  args.erase(args.begin());
  if (command == "init") return Init(args);
  if (command == "run") return Run(args);
  if (command == "--help" || command == "-h") {
    Usage("help");
    return 0;
  }
  return Usage(("unknown command " + command).c_str());
}
