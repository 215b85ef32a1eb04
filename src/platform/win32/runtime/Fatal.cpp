#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/runtime/Fatal.h"

#include "platform/win32/WindowsApi.h"

namespace runtime {

void Fatal(const char* reason) {
  ::FatalAppExitA(0, reason);
  ::ExitProcess(3);
}

}  // namespace runtime

#endif  // _WIN32
