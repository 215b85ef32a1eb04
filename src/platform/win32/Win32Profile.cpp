#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32Profile.h"

#include "platform/win32/WindowsApi.h"

namespace win32 {

plat::UINT Win32Profile::GetPrivateProfileIntA(const char* section, const char* key,
                                               int defaultValue, const char* fileName) {
  return ::GetPrivateProfileIntA(section, key, defaultValue, fileName);
}

}  // namespace win32

#endif  // _WIN32
