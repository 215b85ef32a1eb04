// The settings file: a generated initialisation file, sections, keys, comments
// and values of any text, read by the simulated GetPrivateProfileIntA and by the
// program's start-up. The value must be what Windows' rules give for the first
// "Display" line of the first "DisplayError" sections, the default 1 without one.
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "FuzzMachine.h"
#include "app/CSetupApp.h"

namespace {

// Windows reads the value as a signed number: blanks, an optional sign, then "0x"
// and hex digits or decimal digits up to the first other character; no digits
// give 0. The number wraps to 32 bits.
std::uint32_t ProfileNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t value = 0;
  auto hex = [](char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
  };
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    for (i += 2; i < text.size() && hex(text[i]) >= 0; ++i)
      value = value * 16u + static_cast<std::uint32_t>(hex(text[i]));
  } else {
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  return negative ? 0u - value : value;
}

const char* const kSections[] = {
    "DisplayError", "displayerror", " DisplayError ", "DISPLAYERROR", "Display", "Other", ""};
const char* const kKeys[] = {"Display", "display", " Display\t", "DISPLAY", "Displays",
                             "Error",   ""};
const char* const kValueStarts[] = {"",   " ",   "-",  "+",           "0x",
                                    "0X", "-0x", "\t", "99999999999", "4294967295"};

// Characters of a value: digits and hex letters often, anything printable sometimes.
std::string ValueText(FuzzInput& in) {
  std::string v = kValueStarts[in.Below(10)];
  std::size_t n = in.Below(14);
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t b = in.Byte();
    char c = b < 160 ? "0123456789abcdefABCDEF x;=-"[b % 27] : static_cast<char>(0x20 + b % 95);
    v += c;
  }
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  bool nt = in.Flag();
  std::string text;
  bool inTarget = false;  // within a "DisplayError" section
  bool found = false;
  std::uint32_t expected = 1;
  std::size_t lines = in.Below(24);
  for (std::size_t l = 0; l < lines; ++l) {
    std::string eol = in.Flag() ? "\r\n" : "\n";
    std::string indent = in.Flag() ? std::string(in.Below(3), in.Flag() ? ' ' : '\t') : "";
    switch (in.Below(5)) {
      case 0: {  // a section header, sometimes broken
        std::string name = kSections[in.Below(7)];
        bool closed = in.Below(8) != 0;
        text += indent + "[" + name + (closed ? "]" : "") + (in.Flag() ? " ; note" : "") + eol;
        std::string trimmed = name;
        while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t'))
          trimmed.erase(0, 1);
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
          trimmed.pop_back();
        std::string lower;
        for (char c : trimmed) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        inTarget = closed && lower == "displayerror";
        break;
      }
      case 1:
      case 2: {  // a key line
        std::string key = kKeys[in.Below(7)];
        std::string value = ValueText(in);
        text += indent + key + (in.Flag() ? " = " : "=") + value + eol;
        std::string k = key;
        while (!k.empty() && (k.front() == ' ' || k.front() == '\t')) k.erase(0, 1);
        while (!k.empty() && (k.back() == ' ' || k.back() == '\t')) k.pop_back();
        std::string lower;
        for (char c : k) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (inTarget && !found && lower == "display") {
          found = true;
          std::string v = value;
          while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.erase(0, 1);
          expected = ProfileNumber(v);
        }
        break;
      }
      case 3:  // a comment, which may look like a key line
      {
        std::string note = in.Flag() ? "Display=7" : in.Text(in.Below(8));
        for (char& c : note)
          if (c == '\n' || c == '\r') c = ' ';
        text += indent + ";" + note + eol;
      } break;
      default:  // a line without "=" or "["
        text += indent + (in.Flag() ? std::string("Display") : std::string("garbage")) + eol;
        break;
    }
  }
  sim::OsConfig os;
  if (!nt) {
    os.platformId = plat::kVerPlatformWin32Windows;
    os.major = 4;
    os.minor = 10;
    os.extendedVersionInfo = false;
  }
  sim::Machine& m = FuzzMachine(os, nt ? "settings-xp" : "settings-98");
  const std::string path =
      std::string("E:\\") + (nt ? "win2k&xp" : "win98&me") + "\\ZorpInputs.ini";
  m.WriteFile(path, text);
  std::uint32_t read =
      m.Os().profile.GetPrivateProfileIntA("DisplayError", "Display", 1, path.c_str());
  if (read != expected)
    std::fprintf(stderr, "file:\n%s\nread %u, expected %u\n", text.c_str(), read, expected);
  FUZZ_CHECK(read == expected, "GetPrivateProfileIntA reads the value Windows' rules give");

  CSetupApp app(m.Os());
  app.DetectOSFlavour();
  FUZZ_CHECK(app.ReadSettings() == static_cast<int>(expected),
             "the DisplayError setting is the value read");
  FUZZ_CHECK(app.m_nDisplayError == static_cast<int>(expected), "the setting is kept");
  return 0;
}
