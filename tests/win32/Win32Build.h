// Where the tests find the Windows build: build/win32/bin of the source tree
// (cmake --preset win32 && cmake --build --preset win32), or the folder named by
// the environment variable SETUP_WIN32_BIN.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace win32test {

inline std::filesystem::path Win32BinDir() {
  if (const char* dir = std::getenv("SETUP_WIN32_BIN"); dir != nullptr && *dir != '\0') return dir;
  return std::filesystem::path(SETUP_SOURCE_DIR) / "build" / "win32" / "bin";
}

inline std::filesystem::path SetupExe() { return Win32BinDir() / "Setup.exe"; }

inline std::string MissingBuildMessage(const std::filesystem::path& file) {
  return file.string() +
         " is missing: build it with `cmake --preset win32 && cmake --build --preset win32`";
}

// Runs a shell command; returns its standard output, *status its exit status.
inline std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    *status = -1;
    return output;
  }
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  int raw = ::pclose(pipe);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

}  // namespace win32test
