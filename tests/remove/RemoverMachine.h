// Simulated machines for the removal's tests, a remover bound to one, and a
// registry wrapper that records the enumeration calls the removal makes.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CSetupApp.h"
#include "install/SetupMachine.h"
#include "platform/sim/Machine.h"
#include "remove/CDriverRemover.h"

namespace remove_test {

inline constexpr const char* kPortsClassNt =
    "HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E978-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kUsbClassNt =
    "HKLM\\System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}";
inline constexpr const char* kPortsClass9x =
    "HKLM\\System\\CurrentControlSet\\Services\\Class\\Ports";
inline constexpr const char* kUsbClass9x = "HKLM\\System\\CurrentControlSet\\Services\\Class\\USB";
inline constexpr const char* kUsbEnumNt = "HKLM\\System\\CurrentControlSet\\Enum\\USB";
inline constexpr const char* kUsbEnum9x = "HKLM\\Enum\\USB";
inline constexpr const char* kMakerEnumNt = "HKLM\\System\\CurrentControlSet\\Enum\\QUORVEX";
inline constexpr const char* kMakerEnum9x = "HKLM\\Enum\\QUORVEX";
inline constexpr const char* kNtPorts =
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
inline constexpr const char* kArbiter =
    "HKLM\\System\\CurrentControlSet\\Control\\COM Name Arbiter";
inline constexpr const char* kServiceKey = "HKLM\\System\\CurrentControlSet\\Services\\VyxUPort";
inline constexpr const char* kSerialMap9x = "HKLM\\Hardware\\DeviceMap\\SerialComm";
inline constexpr const char* kParallelMap9x = "HKLM\\Hardware\\DeviceMap\\Parallel";
inline constexpr const char* kShellFolders =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kUninstall =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

using setup_test::Os98;
using setup_test::OsXp;

// One RegEnumKeyA call: the key path, the index asked for, the name returned
// ("" when the call failed).
struct EnumCall {
  std::string key;
  plat::DWORD index;
  std::string name;
};

// Passes every call on to the machine's registry and records the enumerations.
class RecordingRegistry : public plat::IRegistry {
 public:
  explicit RecordingRegistry(plat::IRegistry& inner) : inner_(inner) {}

  plat::LONG RegOpenKeyExA(plat::HKey parent, const char* subKey, plat::DWORD options,
                           plat::DWORD access, plat::HKey* result) override {
    plat::LONG code = inner_.RegOpenKeyExA(parent, subKey, options, access, result);
    if (code == 0) paths_[*result] = PathOf(parent) + "\\" + (subKey != nullptr ? subKey : "");
    return code;
  }
  plat::LONG RegCreateKeyExA(plat::HKey parent, const char* subKey, const char* keyClass,
                             plat::DWORD options, plat::DWORD access, plat::HKey* result,
                             plat::DWORD* disposition) override {
    return inner_.RegCreateKeyExA(parent, subKey, keyClass, options, access, result, disposition);
  }
  plat::LONG RegQueryValueExA(plat::HKey key, const char* valueName, plat::DWORD* type,
                              plat::BYTE* data, plat::DWORD* dataSize) override {
    return inner_.RegQueryValueExA(key, valueName, type, data, dataSize);
  }
  plat::LONG RegSetValueExA(plat::HKey key, const char* valueName, plat::DWORD type,
                            const plat::BYTE* data, plat::DWORD dataSize) override {
    return inner_.RegSetValueExA(key, valueName, type, data, dataSize);
  }
  plat::LONG RegEnumKeyA(plat::HKey key, plat::DWORD index, char* name,
                         plat::DWORD nameSize) override {
    plat::LONG code = inner_.RegEnumKeyA(key, index, name, nameSize);
    enumKeys.push_back({PathOf(key), index, code == 0 ? std::string(name) : std::string()});
    return code;
  }
  plat::LONG RegEnumKeyExA(plat::HKey key, plat::DWORD index, char* name,
                           plat::DWORD* nameSize) override {
    return inner_.RegEnumKeyExA(key, index, name, nameSize);
  }
  plat::LONG RegEnumValueA(plat::HKey key, plat::DWORD index, char* name, plat::DWORD* nameSize,
                           plat::DWORD* type, plat::BYTE* data, plat::DWORD* dataSize) override {
    plat::LONG code = inner_.RegEnumValueA(key, index, name, nameSize, type, data, dataSize);
    enumValues.push_back({PathOf(key), index, code == 0 ? std::string(name) : std::string()});
    return code;
  }
  plat::LONG RegDeleteKeyA(plat::HKey parent, const char* subKey) override {
    plat::LONG code = inner_.RegDeleteKeyA(parent, subKey);
    deletedKeys.push_back({PathOf(parent) + "\\" + subKey, static_cast<plat::DWORD>(code), ""});
    return code;
  }
  plat::LONG RegDeleteValueA(plat::HKey key, const char* valueName) override {
    return inner_.RegDeleteValueA(key, valueName);
  }
  plat::LONG RegCloseKey(plat::HKey key) override {
    paths_.erase(key);
    return inner_.RegCloseKey(key);
  }

  // The enumerations of the key at path (as the removal named it, below HKLM).
  std::vector<std::pair<plat::DWORD, std::string>> EnumKeysOf(const std::string& path) const {
    std::vector<std::pair<plat::DWORD, std::string>> out;
    for (const EnumCall& call : enumKeys)
      if (call.key == path) out.emplace_back(call.index, call.name);
    return out;
  }

  std::vector<EnumCall> enumKeys;
  std::vector<EnumCall> enumValues;
  std::vector<EnumCall> deletedKeys;  // index holds the result

 private:
  std::string PathOf(plat::HKey key) const {
    if (key == plat::kHkeyLocalMachine) return "HKLM";
    if (key == plat::kHkeyCurrentUser) return "HKCU";
    auto it = paths_.find(key);
    return it == paths_.end() ? "?" : it->second;
  }

  plat::IRegistry& inner_;
  std::map<plat::HKey, std::string> paths_;
};

// A fresh machine folder per test, removed with the fixture; a remover on it.
class RemoverTest : public ::testing::Test {
 protected:
  void TearDown() override {
    remover_.reset();
    app_.reset();
    platform_.reset();
    recorder_.reset();
    machine_.reset();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }

  // A machine of that flavour with its Windows folders and a Desktop.
  sim::Machine& NewMachine(bool win2kXp) {
    static std::atomic<int> counter{0};
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("remove-test-") + test->test_suite_name() + "-" + test->name() +
                       "-" + std::to_string(counter++);
    for (char& c : name)
      if (c == '/') c = '_';
    folder_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder_);
    win2kXp_ = win2kXp;
    machine_ = sim::Machine::Create(folder_, win2kXp ? OsXp() : Os98());
    EXPECT_NE(machine_, nullptr);
    sim::Machine& m = *machine_;
    m.MakeFolder("C:\\WINDOWS\\inf");
    m.MakeFolder(m.Config().systemFolder);
    std::string desktop = Desktop();
    m.MakeFolder(desktop);
    m.SetString(kShellFolders, "Desktop", desktop);
    return m;
  }

  std::string Desktop() const {
    return win2kXp_ ? "C:\\Documents and Settings\\User\\Desktop" : "C:\\WINDOWS\\Desktop";
  }

  // The remover, made on first use, with the flavour of the machine. With
  // record set, its registry calls go through the recorder.
  CDriverRemover& Remover(int displayError = 1, bool record = false) {
    if (!remover_) {
      plat::Platform& os = machine_->Os();
      if (record) {
        recorder_ = std::make_unique<RecordingRegistry>(os.registry);
        platform_ = std::make_unique<plat::Platform>(
            plat::Platform{os.system, os.profile, os.files, *recorder_, os.security, os.process,
                           os.shell, os.setupApi, os.ui});
      }
      plat::Platform& used = record ? *platform_ : os;
      app_ = std::make_unique<CSetupApp>(used);
      app_->m_nDisplayError = displayError;
      remover_ = std::make_unique<CDriverRemover>(used, *app_);
      remover_->m_bWin2kXp = win2kXp_ ? 1 : 0;
    }
    return *remover_;
  }
  RecordingRegistry& Recorder() { return *recorder_; }

  // An open key of the machine for primitives that take a parent handle.
  plat::HKey OpenKey(const std::string& pathBelowHklm) {
    plat::HKey key = 0;
    EXPECT_EQ(Os().registry.RegOpenKeyExA(plat::kHkeyLocalMachine, pathBelowHklm.c_str(), 0,
                                          plat::kKeyAllAccess, &key),
              0);
    return key;
  }
  plat::Platform& Os() { return platform_ ? *platform_ : machine_->Os(); }

  struct Box {
    std::string caption, text, icon;
    bool operator==(const Box&) const = default;
    friend void PrintTo(const Box& box, std::ostream* out) {
      *out << "{" << box.caption << " | " << box.text << " | " << box.icon << "}";
    }
  };
  std::vector<Box> Boxes() const {
    std::vector<Box> boxes;
    for (const sim::MessageBoxRecord& box : machine_->MessageBoxes()) {
      EXPECT_EQ(box.owner, "none");
      EXPECT_EQ(box.buttons, "ok");
      boxes.push_back({box.caption, box.text, box.icon});
    }
    return boxes;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const Box& box : Boxes()) texts.push_back(box.text);
    return texts;
  }
  // The calls of one operation, by target.
  std::vector<std::string> CallsOf(const std::string& operation) const {
    std::vector<std::string> targets;
    for (const sim::CallRecord& call : machine_->Calls())
      if (call.operation == operation) targets.push_back(call.target);
    return targets;
  }
  // Every change but the access grants.
  std::vector<sim::Change> ChangesButAcl() const {
    std::vector<sim::Change> out;
    for (const sim::Change& change : machine_->Changes())
      if (change.kind != "acl") out.push_back(change);
    return out;
  }

  bool win2kXp_ = true;
  std::filesystem::path folder_;
  std::unique_ptr<sim::Machine> machine_;
  std::unique_ptr<RecordingRegistry> recorder_;
  std::unique_ptr<plat::Platform> platform_;
  std::unique_ptr<CSetupApp> app_;
  std::unique_ptr<CDriverRemover> remover_;
};

inline std::string DeleteKeyText(const std::string& subKey) {
  return "Failed to delete HKEY_LOCAL_MACHINE Registry Key\n" + subKey + ".";
}

// A REG_SZ value's bytes without the terminating zero.
inline std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace remove_test
