// regvolatile KEY...: creates registry keys (and the missing keys above them) as
// volatile keys. Windows keeps HKLM\HARDWARE only in memory, and a key below a
// volatile key must be volatile itself, so the machine loader
// (tools/wineprefix/wineprefix.py) cannot import such keys with regedit.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const char* path = argv[i];
    const char* slash = std::strchr(path, '\\');
    HKEY root = nullptr;
    if (slash != nullptr && slash - path == 4 && std::strncmp(path, "HKLM", 4) == 0)
      root = HKEY_LOCAL_MACHINE;
    if (slash != nullptr && slash - path == 4 && std::strncmp(path, "HKCU", 4) == 0)
      root = HKEY_CURRENT_USER;
    if (root == nullptr) {
      std::fprintf(stderr, "regvolatile: %s: give HKLM\\... or HKCU\\...\n", path);
      status = 1;
      continue;
    }
    HKEY key = nullptr;
    LONG error = RegCreateKeyExA(root, slash + 1, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS) {
      std::fprintf(stderr, "regvolatile: %s: error %ld\n", path, error);
      status = 1;
      continue;
    }
    RegCloseKey(key);
  }
  return status;
}
