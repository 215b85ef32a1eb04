// A fresh machine folder per test, removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "platform/sim/Machine.h"

namespace simtest {

inline std::filesystem::path NewTempFolder() {
  static int counter = 0;
  auto base = std::filesystem::temp_directory_path() /
              ("sim-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  std::filesystem::remove_all(base);
  std::filesystem::create_directories(base);
  return base;
}

class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = NewTempFolder(); }
  void TearDown() override {
    machine_.reset();
    std::filesystem::remove_all(folder_);
  }
  sim::Machine& Make(const sim::OsConfig& os = {}) {
    machine_ = sim::Machine::Create(folder_ / "m", os);
    return *machine_;
  }
  plat::Platform& Os() { return machine_->Os(); }

  std::filesystem::path folder_;
  std::unique_ptr<sim::Machine> machine_;
};

inline sim::OsConfig Win98() {
  sim::OsConfig os;
  os.platformId = plat::kVerPlatformWin32Windows;
  os.major = 4;
  os.minor = 10;
  os.extendedVersionInfo = false;
  os.systemFolder = "C:\\WINDOWS\\SYSTEM";
  return os;
}

}  // namespace simtest
