// The printf formatting of Setup.exe's run time (snprintf and friends), kept free
// of any system header so that it builds and is tested on every platform.
// C99 semantics: at most size - 1 characters and a terminating zero are written,
// and the result is the length the whole text would have. Conversions d i u o x
// X c s p and %%, with flags, width, precision and the length modifiers hh h l
// ll j z t; the floating-point conversions consume their argument and write
// nothing (the program formats no numbers with fractions), and %n is not
// supported (it writes nothing anywhere).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace runtime {

namespace detail {

class Output {
 public:
  Output(char* buffer, std::size_t size) : buffer_(buffer), size_(size) {}
  void Put(char c) {
    if (length_ + 1 < size_) buffer_[length_] = c;
    ++length_;
  }
  void Repeat(char c, int count) {
    for (int i = 0; i < count; ++i) Put(c);
  }
  void Finish() {
    if (size_ == 0) return;
    buffer_[length_ < size_ ? length_ : size_ - 1] = '\0';
  }
  std::size_t Length() const { return length_; }

 private:
  char* buffer_;
  std::size_t size_;
  std::size_t length_ = 0;
};

struct Conversion {
  bool left = false, plus = false, space = false, alternate = false, zero = false;
  int width = 0;
  int precision = -1;
};

inline void PutPadded(Output& out, const Conversion& conv, const char* prefix, const char* digits,
                      int digitCount) {
  int prefixLength = 0;
  while (prefix[prefixLength] != '\0') ++prefixLength;
  int zeros = conv.precision > digitCount ? conv.precision - digitCount : 0;
  int body = prefixLength + zeros + digitCount;
  int pad = conv.width > body ? conv.width - body : 0;
  // The zero flag pads with zeros after the sign, unless a precision is given.
  if (conv.zero && !conv.left && conv.precision < 0) {
    zeros += pad;
    pad = 0;
  }
  if (!conv.left) out.Repeat(' ', pad);
  for (int i = 0; i < prefixLength; ++i) out.Put(prefix[i]);
  out.Repeat('0', zeros);
  for (int i = 0; i < digitCount; ++i) out.Put(digits[i]);
  if (conv.left) out.Repeat(' ', pad);
}

inline void PutInteger(Output& out, Conversion conv, std::uintmax_t magnitude, bool negative,
                       unsigned base, bool upper, bool isSigned, bool pointer = false) {
  char digits[32];
  int count = 0;
  const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  for (std::uintmax_t v = magnitude; v != 0; v /= base) digits[count++] = symbols[v % base];
  // A zero with precision 0 prints no digit; octal's alternate form keeps one.
  if (magnitude == 0 && (conv.precision != 0 || (base == 8 && conv.alternate)))
    digits[count++] = '0';
  for (int i = 0; i < count / 2; ++i) {
    char t = digits[i];
    digits[i] = digits[count - 1 - i];
    digits[count - 1 - i] = t;
  }
  const char* prefix = "";
  if (isSigned) {
    prefix = negative ? "-" : conv.plus ? "+" : conv.space ? " " : "";
  } else if (conv.alternate && base == 16 && (magnitude != 0 || pointer)) {
    prefix = upper ? "0X" : "0x";
  } else if (conv.alternate && base == 8 && digits[0] != '0') {
    prefix = "0";
  }
  PutPadded(out, conv, prefix, digits, count);
}

}  // namespace detail

inline int FormatV(char* buffer, std::size_t size, const char* format, std::va_list args) {
  detail::Output out(buffer, size);
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      out.Put(*p);
      continue;
    }
    const char* start = p++;
    detail::Conversion conv;
    for (;; ++p) {
      if (*p == '-')
        conv.left = true;
      else if (*p == '+')
        conv.plus = true;
      else if (*p == ' ')
        conv.space = true;
      else if (*p == '#')
        conv.alternate = true;
      else if (*p == '0')
        conv.zero = true;
      else
        break;
    }
    if (*p == '*') {
      conv.width = va_arg(args, int);
      if (conv.width < 0) {
        conv.left = true;
        conv.width = conv.width == -2147483647 - 1 ? 0 : -conv.width;
      }
      ++p;
    } else {
      while (*p >= '0' && *p <= '9' && conv.width < 100000)
        conv.width = conv.width * 10 + (*p++ - '0');
    }
    if (*p == '.') {
      ++p;
      conv.precision = 0;
      if (*p == '*') {
        conv.precision = va_arg(args, int);
        if (conv.precision < 0) conv.precision = -1;
        ++p;
      } else {
        while (*p >= '0' && *p <= '9' && conv.precision < 100000)
          conv.precision = conv.precision * 10 + (*p++ - '0');
      }
    }
    enum class Size { kInt, kChar, kShort, kLong, kLongLong, kMax, kSize, kPtrdiff, kLongDouble };
    Size length = Size::kInt;
    switch (*p) {
      case 'h':
        length = p[1] == 'h' ? (++p, Size::kChar) : Size::kShort;
        ++p;
        break;
      case 'l':
        length = p[1] == 'l' ? (++p, Size::kLongLong) : Size::kLong;
        ++p;
        break;
      case 'j':
        length = Size::kMax, ++p;
        break;
      case 'z':
        length = Size::kSize, ++p;
        break;
      case 't':
        length = Size::kPtrdiff, ++p;
        break;
      case 'L':
        length = Size::kLongDouble, ++p;
        break;
      default:
        break;
    }
    char conversion = *p;
    switch (conversion) {
      case 'd':
      case 'i': {
        std::intmax_t value;
        switch (length) {
          case Size::kChar:
            value = static_cast<signed char>(va_arg(args, int));
            break;
          case Size::kShort:
            value = static_cast<short>(va_arg(args, int));
            break;
          case Size::kLong:
            value = va_arg(args, long);
            break;
          case Size::kLongLong:
            value = va_arg(args, long long);
            break;
          case Size::kMax:
            value = va_arg(args, std::intmax_t);
            break;
          case Size::kSize:
            value = static_cast<std::intmax_t>(va_arg(args, std::size_t));
            break;
          case Size::kPtrdiff:
            value = va_arg(args, std::ptrdiff_t);
            break;
          default:
            value = va_arg(args, int);
            break;
        }
        std::uintmax_t magnitude =
            value < 0 ? 0 - static_cast<std::uintmax_t>(value) : static_cast<std::uintmax_t>(value);
        detail::PutInteger(out, conv, magnitude, value < 0, 10, false, true);
        break;
      }
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        std::uintmax_t value;
        switch (length) {
          case Size::kChar:
            value = static_cast<unsigned char>(va_arg(args, unsigned));
            break;
          case Size::kShort:
            value = static_cast<unsigned short>(va_arg(args, unsigned));
            break;
          case Size::kLong:
            value = va_arg(args, unsigned long);
            break;
          case Size::kLongLong:
            value = va_arg(args, unsigned long long);
            break;
          case Size::kMax:
            value = va_arg(args, std::uintmax_t);
            break;
          case Size::kSize:
            value = va_arg(args, std::size_t);
            break;
          case Size::kPtrdiff:
            value = static_cast<std::uintmax_t>(va_arg(args, std::ptrdiff_t));
            break;
          default:
            value = va_arg(args, unsigned);
            break;
        }
        unsigned base = conversion == 'o' ? 8 : conversion == 'u' ? 10 : 16;
        detail::PutInteger(out, conv, value, false, base, conversion == 'X', false);
        break;
      }
      case 'p': {
        auto value = reinterpret_cast<std::uintptr_t>(va_arg(args, void*));
        conv.alternate = true;
        detail::PutInteger(out, conv, value, false, 16, false, false, true);
        break;
      }
      case 'c': {
        char c = static_cast<char>(va_arg(args, int));
        conv.precision = -1;
        detail::PutPadded(out, conv, "", &c, 1);
        break;
      }
      case 's': {
        const char* text = va_arg(args, const char*);
        if (text == nullptr) text = "(null)";
        int count = 0;
        while (text[count] != '\0' && (conv.precision < 0 || count < conv.precision)) ++count;
        conv.precision = -1;
        conv.zero = false;
        detail::PutPadded(out, conv, "", text, count);
        break;
      }
      case '%':
        out.Put('%');
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        if (length == Size::kLongDouble) {
          (void)va_arg(args, long double);
        } else {
          (void)va_arg(args, double);
        }
        break;
      case 'n':
        (void)va_arg(args, void*);
        break;
      default:
        // Not a conversion: the text stands as it is.
        for (const char* q = start; q <= p && *q != '\0'; ++q) out.Put(*q);
        if (*p == '\0') --p;
        break;
    }
  }
  out.Finish();
  std::size_t length = out.Length();
  return length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(length);
}

}  // namespace runtime
