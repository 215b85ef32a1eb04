// Placeholder until the removal lands: the sequence does nothing.
#include "remove/CDriverRemover.h"

CDriverRemover::CDriverRemover(plat::Platform& os, const CSetupApp& app) : m_os(os), m_app(app) {}
CDriverRemover::~CDriverRemover() = default;

void CDriverRemover::RemovePreviousInstallation() {}

void CDriverRemover::AddRemovedPort(unsigned port) {
  if (port >= 1 && port <= 256) m_removedPorts.set(port - 1);
}

bool CDriverRemover::IsRemovedPort(unsigned port) const {
  return port >= 1 && port <= 256 && m_removedPorts.test(port - 1);
}
