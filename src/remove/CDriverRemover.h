// Removes every trace of an earlier installation, in a fixed order of steps.
// A short-lived object: the installer sets the flavour, runs the removal once
// and destroys it. Every step goes on whatever failed before it.
#pragma once

#include <bitset>
#include <functional>

#include "platform/Platform.h"

class CSetupApp;

class CDriverRemover {
 public:
  CDriverRemover(plat::Platform& os, const CSetupApp& app);
  virtual ~CDriverRemover();
  CDriverRemover(const CDriverRemover&) = delete;
  CDriverRemover& operator=(const CDriverRemover&) = delete;

  // The eighteen steps, in order.
  void RemovePreviousInstallation();

  // The removed-ports set: COM port numbers 1 to 256; other values are ignored.
  void AddRemovedPort(unsigned port);
  bool IsRemovedPort(unsigned port) const;

  // ---- Steps ----
  void DeleteStagingFolder();      // 1
  void DeleteUtilityFiles();       // 2
  void GrantSerialCommAccess();    // 3 (2000/XP)
  void RemoveLegacyFiles();        // 4
  void DeleteInfFiles();           // 5
  void PurgeOemInfFiles();         // 6: INF files of the INF folder that name the port drivers
  void DeleteDriverFiles();        // 7
  void DeleteUsbEnumKeys();        // 8
  void DeleteInterfaceEnumKeys();  // 9: fills the removed-ports set on 2000/XP
  void DeletePortsClassKeys();     // 10
  void DeleteUsbClassKeys();       // 11
  void DeleteShortcutAndProgram(const char* name);  // 12 to 14
  void DeleteUninstallKeys();                       // 15
  void DeletePortValues();                          // 16 (2000/XP)
  void ReleaseComDbPorts();                         // 17 (2000/XP)
  void DeleteServiceKey();                          // 18 (2000/XP)

  // ---- Registry primitives ----
  // Grants CURRENT_USER full access (inherited by subkeys) on HKLM\keyPath.
  // 1 when granted or when there is nothing to do (98/Me, missing key), 0 on failure.
  int GrantFullAccess(const char* keyPath);
  // 1 when parent\subKey is gone (deleted or absent), 0 when it stays; shows the
  // "RegDeleteKey Failed" box then. Depth-first on 2000/XP.
  int DeleteKey(plat::HKey parent, const char* subKey);
  // Deletes parent\subKey and everything below it, deepest keys first; the Win32
  // code of the deletion (0 deleted, 2 absent).
  plat::DWORD MySHDeleteKey(plat::HKey parent, const char* subKey);
  // The system's text for code in a "Registry Error" box.
  void ReportRegistryError(plat::DWORD code);
  // Lower-cases the letters A to Z in place; every other byte stays.
  static void LowerAscii(char* text);

  // Decides whether a subkey (by its open parent and its name) is to be deleted.
  using SubkeyTest = std::function<bool(plat::HKey parent, const char* name)>;
  // Runs on a subkey before its test.
  using SubkeyAction = std::function<void(plat::HKey parent, const char* name)>;
  // Walks the subkeys of HKLM\parentPath and deletes those that pass test. After
  // a deletion at index i the walk reads index i - 1 (0 at the front), so no
  // subkey is skipped; otherwise it goes on at i + 1.
  void SweepSubkeys(const char* parentPath, bool grantFirst, const SubkeyTest& test,
                    const SubkeyAction& action = {});

  // Deals with the port name of one interface instance below interfaceKey: on
  // 2000/XP its COM number goes into the removed-ports set, on 98/Me its value
  // leaves the serial or parallel device map.
  void RemovePortName(plat::HKey interfaceKey, const char* instance);

  int m_bWin2kXp = 0;

 private:
  // A removal box without owner, shown only while the DisplayError setting is on.
  void ShowBox(const char* text, const char* caption, plat::UINT type);

  // The class-key value tests.
  bool MatchesPortsDriver(plat::HKey driverKey);
  bool MatchesUsbDriver(plat::HKey driverKey);
  // Reads the driver keys of a class read-only and removes the INF and PNF files
  // named by the "InfPath" of each one whose value valueOfTest begins with prefix.
  void DeleteInfFilesOfClass(const char* classPath, const char* valueOfTest, const char* prefix);
  void DeleteInfFilesNamedBy(plat::HKey driverKey);

  plat::Platform& m_os;
  const CSetupApp& m_app;
  std::bitset<256> m_removedPorts;
};
