// IShell over the Windows API: SHFileOperationA and the COM calls of the shell
// link. The objects that CoCreateInstance hands out are our adapters over the
// system's interfaces (ShellLinkAdapters.h).
#pragma once

#include "platform/Platform.h"
#include "platform/win32/ShellLinkAdapters.h"

namespace win32 {

class Win32Shell final : public plat::IShell {
 public:
  int SHFileOperationA(plat::ShFileOpStructA* operation) override;
  plat::HRESULT CoInitialize(void* reserved) override;
  plat::HRESULT CoCreateInstance(const plat::Guid& clsid, void* outer, plat::DWORD context,
                                 const plat::Guid& iid, void** object) override;

 private:
  ComAdapterPool adapters_;
};

}  // namespace win32
