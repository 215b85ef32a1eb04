// Removes every trace of an earlier installation, in a fixed order of steps.
#pragma once

#include <bitset>

#include "platform/Platform.h"

class CSetupApp;

class CDriverRemover {
 public:
  CDriverRemover(plat::Platform& os, const CSetupApp& app);
  virtual ~CDriverRemover();
  CDriverRemover(const CDriverRemover&) = delete;
  CDriverRemover& operator=(const CDriverRemover&) = delete;

  void RemovePreviousInstallation();

  // The removed-ports set: COM port numbers 1 to 256; other values are ignored.
  void AddRemovedPort(unsigned port);
  bool IsRemovedPort(unsigned port) const;

  // Step 6: INF files of the INF folder that name the port drivers.
  void PurgeOemInfFiles();

  int m_bWin2kXp = 0;

 private:
  plat::Platform& m_os;
  const CSetupApp& m_app;
  std::bitset<256> m_removedPorts;
};
