#ifdef _WIN32  // the source glob of the portable library reaches this folder too

// The memory and string functions of the C run-time that the program and the
// compiler's generated code call. Plain loops: the program's strings are short.
// This file is compiled with -fno-builtin and without loop-to-call rewriting, so
// that none of them turns into a call of itself.

#include <cstddef>

using std::size_t;

extern "C" {

void* memcpy(void* target, const void* source, size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  auto* from = static_cast<const unsigned char*>(source);
  while (count-- != 0) *to++ = *from++;
  return target;
}

void* memmove(void* target, const void* source, size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  auto* from = static_cast<const unsigned char*>(source);
  if (to == from || count == 0) return target;
  if (to < from) {
    while (count-- != 0) *to++ = *from++;
  } else {
    to += count;
    from += count;
    while (count-- != 0) *--to = *--from;
  }
  return target;
}

void* memset(void* target, int value, size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  while (count-- != 0) *to++ = static_cast<unsigned char>(value);
  return target;
}

int memcmp(const void* left, const void* right, size_t count) {
  auto* a = static_cast<const unsigned char*>(left);
  auto* b = static_cast<const unsigned char*>(right);
  for (; count != 0; --count, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

void* memchr(const void* memory, int value, size_t count) {
  auto* p = static_cast<const unsigned char*>(memory);
  for (; count != 0; --count, ++p) {
    if (*p == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(p);
  }
  return nullptr;
}

size_t strlen(const char* text) {
  const char* end = text;
  while (*end != '\0') ++end;
  return static_cast<size_t>(end - text);
}

int strcmp(const char* left, const char* right) {
  auto* a = reinterpret_cast<const unsigned char*>(left);
  auto* b = reinterpret_cast<const unsigned char*>(right);
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

int strncmp(const char* left, const char* right, size_t count) {
  auto* a = reinterpret_cast<const unsigned char*>(left);
  auto* b = reinterpret_cast<const unsigned char*>(right);
  for (; count != 0; --count, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
    if (*a == '\0') return 0;
  }
  return 0;
}

char* strchr(const char* text, int value) {
  const char wanted = static_cast<char>(value);
  for (;; ++text) {
    if (*text == wanted) return const_cast<char*>(text);
    if (*text == '\0') return nullptr;
  }
}

char* strrchr(const char* text, int value) {
  const char wanted = static_cast<char>(value);
  const char* found = nullptr;
  for (;; ++text) {
    if (*text == wanted) found = text;
    if (*text == '\0') return const_cast<char*>(found);
  }
}

}  // extern "C"

#endif  // _WIN32
