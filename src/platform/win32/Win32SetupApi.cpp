#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32SetupApi.h"

#include "platform/win32/WindowsApi.h"

namespace win32 {
namespace {

// SetupCopyOEMInfA as setupapi.h declares it.
using SetupCopyOemInfFunction = BOOL WINAPI(PCSTR sourceInfFileName, PCSTR oemSourceMediaLocation,
                                            DWORD oemSourceMediaType, DWORD copyStyle,
                                            PSTR destinationInfFileName,
                                            DWORD destinationInfFileNameSize, PDWORD requiredSize,
                                            PSTR* destinationInfFileNameComponent);

}  // namespace

plat::BOOL Win32SetupApi::SetupCopyOEMInfA(plat::Proc function, const char* sourceInfFileName,
                                           const char* oemSourceMediaLocation,
                                           plat::DWORD oemSourceMediaType, plat::DWORD copyStyle,
                                           char* destinationInfFileName,
                                           plat::DWORD destinationInfFileNameSize,
                                           plat::DWORD* requiredSize,
                                           char** destinationInfFileNameComponent) {
  if (function == 0) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  DWORD required = 0;
  BOOL ok = ToFunction<SetupCopyOemInfFunction>(function)(
      sourceInfFileName, oemSourceMediaLocation, oemSourceMediaType, copyStyle,
      destinationInfFileName, destinationInfFileNameSize,
      requiredSize != nullptr ? &required : nullptr, destinationInfFileNameComponent);
  if (requiredSize != nullptr) *requiredSize = required;
  return ok;
}

}  // namespace win32

#endif  // _WIN32
