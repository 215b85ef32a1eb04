// The remover object: its flavour, the removed-ports set and its boxes.
#include "remove/CDriverRemover.h"

#include "app/CSetupApp.h"

CDriverRemover::CDriverRemover(plat::Platform& os, const CSetupApp& app) : m_os(os), m_app(app) {}
CDriverRemover::~CDriverRemover() = default;

void CDriverRemover::AddRemovedPort(unsigned port) {
  if (port >= 1 && port <= 256) m_removedPorts.set(port - 1);
}

bool CDriverRemover::IsRemovedPort(unsigned port) const {
  return port >= 1 && port <= 256 && m_removedPorts.test(port - 1);
}

void CDriverRemover::ShowBox(const char* text, const char* caption, plat::UINT type) {
  if (m_app.m_nDisplayError != 0) m_os.ui.MessageBoxA(plat::kNoWindow, text, caption, type);
}
