// IProfile over the Windows API.
#pragma once

#include "platform/Platform.h"

namespace win32 {

class Win32Profile final : public plat::IProfile {
 public:
  plat::UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                   const char* fileName) override;
};

}  // namespace win32
