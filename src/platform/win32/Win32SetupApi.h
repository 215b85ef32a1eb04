// ISetupApi: calls SetupCopyOEMInfA through the address the program looked up.
#pragma once

#include "platform/Platform.h"

namespace win32 {

class Win32SetupApi final : public plat::ISetupApi {
 public:
  plat::BOOL SetupCopyOEMInfA(plat::Proc function, const char* sourceInfFileName,
                              const char* oemSourceMediaLocation, plat::DWORD oemSourceMediaType,
                              plat::DWORD copyStyle, char* destinationInfFileName,
                              plat::DWORD destinationInfFileNameSize, plat::DWORD* requiredSize,
                              char** destinationInfFileNameComponent) override;
};

}  // namespace win32
