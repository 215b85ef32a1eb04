// uidriverdemo: message boxes of known kinds, one after the other, so that the
// tests can check what uidriver reads of them (caption, text, owner, icon,
// buttons) and that its answers arrive. Writes each box's result to standard
// output.

#include <windows.h>

#include <cstdio>

int main() {
  struct Box {
    const char* text;
    UINT type;
  };
  const Box boxes[] = {{"first\nsecond line", MB_OK | MB_ICONEXCLAMATION},
                       {"information", MB_OK | MB_ICONINFORMATION},
                       {"question", MB_OKCANCEL | MB_ICONQUESTION},
                       {"plain", MB_OK}};
  for (const Box& box : boxes) {
    int answer = MessageBoxA(nullptr, box.text, "uidriver demo", box.type);
    std::printf("answer %d\n", answer);
    std::fflush(stdout);
  }
  return 0;
}
