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

char* strcpy(char* target, const char* source) {
  char* to = target;
  while ((*to++ = *source++) != '\0') {
  }
  return target;
}

char* strncpy(char* target, const char* source, size_t count) {
  size_t i = 0;
  for (; i < count && source[i] != '\0'; ++i) target[i] = source[i];
  for (; i < count; ++i) target[i] = '\0';
  return target;
}

char* strcat(char* target, const char* source) {
  strcpy(target + strlen(target), source);
  return target;
}

char* strstr(const char* text, const char* part) {
  size_t length = strlen(part);
  if (length == 0) return const_cast<char*>(text);
  for (; *text != '\0'; ++text) {
    if (*text == *part && strncmp(text, part, length) == 0) return const_cast<char*>(text);
  }
  return nullptr;
}

// The character classes of the "C" locale: ASCII only, as the C library's are
// before setlocale.
int isdigit(int c) { return c >= '0' && c <= '9'; }
int isupper(int c) { return c >= 'A' && c <= 'Z'; }
int islower(int c) { return c >= 'a' && c <= 'z'; }
int isalpha(int c) { return isupper(c) || islower(c); }
int isalnum(int c) { return isalpha(c) || isdigit(c); }
int isxdigit(int c) { return isdigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int isspace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
int tolower(int c) { return isupper(c) ? c - 'A' + 'a' : c; }
int toupper(int c) { return islower(c) ? c - 'a' + 'A' : c; }

// strtoul's digits; base 0 reads a 0x or 0 prefix. *negative reports a minus sign.
static unsigned long long ReadNumber(const char* text, char** end, int base, bool* negative,
                                     bool* overflow, unsigned long long limit) {
  const char* p = text;
  while (isspace(static_cast<unsigned char>(*p))) ++p;
  *negative = false;
  *overflow = false;
  if (*p == '+' || *p == '-') *negative = *p++ == '-';
  if ((base == 0 || base == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
      isxdigit(static_cast<unsigned char>(p[2]))) {
    p += 2;
    base = 16;
  } else if (base == 0) {
    base = *p == '0' ? 8 : 10;
  }
  unsigned long long value = 0;
  const char* digits = p;
  for (;; ++p) {
    int digit = isdigit(static_cast<unsigned char>(*p))   ? *p - '0'
                : isalpha(static_cast<unsigned char>(*p)) ? tolower(*p) - 'a' + 10
                                                          : 99;
    if (digit >= base) break;
    if (value > (limit - static_cast<unsigned>(digit)) / static_cast<unsigned>(base)) {
      *overflow = true;
      value = limit;
    } else if (!*overflow) {
      value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
  }
  if (end != nullptr) *end = const_cast<char*>(p == digits ? text : p);
  return value;
}

long strtol(const char* text, char** end, int base) {
  bool negative = false, overflow = false;
  unsigned long long magnitude = ReadNumber(text, end, base, &negative, &overflow, 0x80000000ULL);
  if (!negative && magnitude > 0x7FFFFFFFULL) return 0x7FFFFFFFL;
  if (overflow) return negative ? -0x7FFFFFFFL - 1 : 0x7FFFFFFFL;
  return negative ? -static_cast<long>(magnitude - 1) - 1 : static_cast<long>(magnitude);
}

unsigned long strtoul(const char* text, char** end, int base) {
  bool negative = false, overflow = false;
  unsigned long long magnitude = ReadNumber(text, end, base, &negative, &overflow, 0xFFFFFFFFULL);
  if (overflow) return 0xFFFFFFFFUL;
  unsigned long value = static_cast<unsigned long>(magnitude);
  return negative ? 0UL - value : value;
}

int atoi(const char* text) { return static_cast<int>(strtol(text, nullptr, 10)); }

// The headers declare the character classes as DLL imports: their callers reach
// them through these pointers.
decltype(&isdigit) _imp__isdigit = &isdigit;
decltype(&isupper) _imp__isupper = &isupper;
decltype(&islower) _imp__islower = &islower;
decltype(&isalpha) _imp__isalpha = &isalpha;
decltype(&isalnum) _imp__isalnum = &isalnum;
decltype(&isxdigit) _imp__isxdigit = &isxdigit;
decltype(&isspace) _imp__isspace = &isspace;
decltype(&tolower) _imp__tolower = &tolower;
decltype(&toupper) _imp__toupper = &toupper;

}  // extern "C"

#endif  // _WIN32
