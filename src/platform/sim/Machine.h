// A simulated Windows machine held in a folder:
//   machine.ini    the Windows version and folders, the drives, file attributes,
//                  key ACL marks and injected faults
//   registry.reg   the registry, in regedit's export format
//   drives/X/...   the files of each drive
// Machine implements every platform interface over that state, records what the
// program shows (message boxes, the dialog) and what it changes, and writes the
// state back with Save.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace sim {

struct OsConfig {
  plat::DWORD platformId = plat::kVerPlatformWin32Nt;
  plat::DWORD major = 5;
  plat::DWORD minor = 1;
  plat::DWORD build = 2600;
  // False: the 156-byte version query fails, as on Windows 98 (148 works).
  bool extendedVersionInfo = true;
  std::string windowsFolder = "C:\\WINDOWS";
  std::string systemFolder = "C:\\WINDOWS\\System32";
  std::string currentFolder = "E:\\";
  bool IsNt() const { return platformId == plat::kVerPlatformWin32Nt; }
};

struct RegValue {
  plat::DWORD type = plat::kRegNone;
  std::vector<std::uint8_t> data;
};

struct MessageBoxRecord {
  std::string owner;  // "dialog" or "none"
  std::string caption;
  std::string text;
  std::string icon;          // "exclamation", "information", "warning" or "none"
  std::string buttons;       // "ok" or "okcancel"
  std::string answer;        // "ok" or "cancel"
  int statusWhileShown = 0;  // string id of the dialog's status text, 0 when none
};

struct ControlState {
  std::string text;
  bool enabled = true;
  bool focused = false;
  bool visible = true;
};

// The dialog as the user sees it at one moment.
struct DialogSnapshot {
  int status = 0;  // string id 1 to 7 shown, 0 when another text
  std::string statusText;
  ControlState install;  // control 1
  ControlState exit;     // control 1001
  std::string ended;     // "", "IDOK" or "IDCANCEL"
};

// What the simulated user does once the dialog is up, in order.
enum class UserAction { kPressInstall, kPressExit, kPressEscape };

struct RestartRecord {
  bool requested = false;
  plat::UINT flags = 0;
  bool privilegeEnabled = false;  // SeShutdownPrivilege was enabled before
};

struct Change {
  std::string kind;    // "file", "folder", "key", "value" or "acl"
  std::string op;      // "added", "removed" or "changed"
  std::string path;    // Windows path, or key path ("HKLM\..."), value as key + "\\" + "[name]"
  std::string detail;  // optional: e.g. the bytes of a changed value
};

// One platform call as the fault matcher saw it.
struct CallRecord {
  std::string operation;
  std::string target;
};

class Machine {
 public:
  // Loads a machine folder. On a missing or malformed machine.ini or registry.reg
  // returns null and sets *error to "FILE:LINE: what"; the folder is not touched.
  static std::unique_ptr<Machine> Load(const std::filesystem::path& folder, std::string* error);
  // A new, empty machine in folder (created when missing): the given Windows, its
  // drive C (and E for the medium) as empty host folders, an empty registry.
  static std::unique_ptr<Machine> Create(const std::filesystem::path& folder, const OsConfig& os);
  ~Machine();

  // Writes registry.reg and machine.ini back when their state changed.
  bool Save(std::string* error);

  plat::Platform& Os();
  const OsConfig& Config() const;
  const std::filesystem::path& Folder() const;

  // Registry, by key path with its root: "HKLM\System\..." or "HKCU\Software\...".
  // Setters create missing keys.
  void CreateKey(std::string_view key);
  void SetValue(std::string_view key, std::string_view name, plat::DWORD type,
                std::vector<std::uint8_t> data);
  void SetString(std::string_view key, std::string_view name,
                 std::string_view text);  // REG_SZ + zero
  void SetDword(std::string_view key, std::string_view name, plat::DWORD value);
  bool KeyExists(std::string_view key) const;
  std::optional<RegValue> GetValue(std::string_view key, std::string_view name) const;
  std::vector<std::string> SubKeys(std::string_view key) const;  // enumeration order
  std::vector<std::string> ValueNames(std::string_view key) const;
  void DeleteKeyTree(std::string_view key);
  // Marks the key so that opening it for full access (or deleting it) is denied
  // with 5 until a grant to CURRENT_USER is set on it or on a parent with inheritance.
  void DenyFullAccess(std::string_view key);
  bool HasCurrentUserGrant(std::string_view key) const;

  // Files, by Windows path ("C:\WINDOWS\inf\oem3.inf"). Missing folders are made.
  void WriteFile(std::string_view path, std::string_view contents,
                 plat::DWORD attributes = plat::kFileAttributeArchive);
  void MakeFolder(std::string_view path);
  bool FileExists(std::string_view path) const;
  bool FolderExists(std::string_view path) const;
  std::optional<std::string> ReadFile(std::string_view path) const;
  plat::DWORD Attributes(std::string_view path) const;  // kInvalidFileAttributes when missing
  void SetAttributes(std::string_view path, plat::DWORD attributes);
  // Host path of a Windows path (inside the machine folder), empty when outside every drive.
  std::filesystem::path HostPath(std::string_view path) const;
  // Every file and folder below a Windows folder, as Windows paths, sorted.
  std::vector<std::string> ListTree(std::string_view folder) const;

  // Faults: "OPERATION TARGET" as in machine.ini's [Faults]; target may be "*".
  void AddFault(std::string_view operation, std::string_view target, plat::DWORD code);
  // Every platform call made so far, in order.
  const std::vector<CallRecord>& Calls() const;

  // The simulated user.
  void SetUserActions(std::vector<UserAction> actions);
  void SetQuestionAnswer(int answer);  // kIdOk (default) or kIdCancel for OK/Cancel boxes
  const std::vector<MessageBoxRecord>& MessageBoxes() const;
  const std::vector<DialogSnapshot>& DialogHistory() const;  // after every change
  const RestartRecord& Restart() const;

  // Everything added, removed or changed since Load or Create, in a stable order.
  std::vector<Change> Changes() const;

  struct State;  // the machine's state; the sim's services work on it
  State& Internal();

 private:
  explicit Machine(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace sim
