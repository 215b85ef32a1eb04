// Registry texts are compared with lower-case literals byte by byte; only the
// ASCII letters are folded, so bytes of other code pages keep their value.
#include "remove/CDriverRemover.h"

void CDriverRemover::LowerAscii(char* text) {
  for (; *text != '\0'; ++text)
    if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text + ('a' - 'A'));
}
