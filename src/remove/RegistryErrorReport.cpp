// The box for a key that a step wanted to walk but could not open.
#include <string>

#include "remove/CDriverRemover.h"
#include "remove/LocalMemory.h"
#include "remove/RemovalKeys.h"

void CDriverRemover::ReportRegistryError(plat::DWORD code) {
  LocalMemory<char> text(m_os.system);
  plat::DWORD length = m_os.system.FormatMessageA(plat::kFormatMessageAllocateBuffer |
                                                      plat::kFormatMessageFromSystem |
                                                      plat::kFormatMessageIgnoreInserts,
                                                  code, plat::kLangUserDefault, text.Receive());
  // The system may know no text for the code; the box still says what failed.
  std::string shown = length != 0 && text.Get() != nullptr
                          ? std::string(text.Get(), length)
                          : "Registry error " + std::to_string(code) + ".";
  ShowBox(shown.c_str(), removal::kRegistryErrorCaption, plat::kMbOk | plat::kMbIconInformation);
}
