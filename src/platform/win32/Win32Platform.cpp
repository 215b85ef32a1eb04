#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32Platform.h"

namespace win32 {

Win32Platform::Win32Platform(HINSTANCE instance)
    : ui_(instance), os_{system_,  profile_, files_,    registry_, security_,
                         process_, shell_,   setupApi_, ui_} {}

}  // namespace win32

#endif  // _WIN32
