// Reference versions of the value tests the setup applies to registry values,
// written from the rules rather than from the code: a value as stored (type and
// bytes) goes in, the decision comes out. The fault matrix, the bad-input table
// and the fuzzers compare the program's decisions with these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

// What RegQueryValueExA into a zero-filled 260-byte buffer gives the program:
// nothing when the value is missing or does not fit; else the size returned and
// the text up to the first zero (or the end of the data).
struct ReadValue {
  std::size_t size = 0;
  std::string text;
};

constexpr std::size_t kValueBuffer = 260;

inline std::optional<ReadValue> Read(const std::optional<std::vector<std::uint8_t>>& data,
                                     std::size_t buffer = kValueBuffer) {
  if (!data || data->size() > buffer) return std::nullopt;
  ReadValue value;
  value.size = data->size();
  for (std::uint8_t byte : *data) {
    if (byte == 0) break;
    value.text += static_cast<char>(byte);
  }
  return value;
}

inline std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Installation detection: the read succeeded, more than 4 bytes came back and the
// description begins with a known text, letters compared without case.
inline bool DescriptionDetected(const std::optional<std::vector<std::uint8_t>>& data) {
  auto value = Read(data);
  if (!value || value->size <= 4) return false;
  std::string lowered = Lower(value->text);
  for (std::string_view known :
       {"quorvex usb compound device", "tarvi usb compound device", "usb compound device"})
    if (lowered.compare(0, known.size(), known) == 0 && lowered.size() >= known.size()) return true;
  return false;
}

// "V begins with L" of the class-key steps: read whole, at least 5 bytes, lower-cased.
inline bool BeginsWith(const std::optional<std::vector<std::uint8_t>>& data,
                       std::string_view literal) {
  auto value = Read(data);
  if (!value || value->size < 5) return false;
  std::string lowered = Lower(value->text);
  return lowered.size() >= literal.size() && lowered.compare(0, literal.size(), literal) == 0;
}

inline bool EqualsWhole(const std::optional<std::vector<std::uint8_t>>& data,
                        std::string_view literal) {
  auto value = Read(data);
  if (!value || value->size < 5) return false;
  return Lower(value->text) == literal;
}

// The values of one driver key, by name; a missing one is nullopt.
struct DriverValues {
  std::optional<std::vector<std::uint8_t>> providerName, driverDesc, infPath, infSection,
      matchingDeviceId, portDriver, ntmpDriver;
};

inline bool PortsDriverMatches(const DriverValues& v, bool win2kXp) {
  if (win2kXp)
    return BeginsWith(v.providerName, "quorvex") || BeginsWith(v.driverDesc, "quorvex") ||
           BeginsWith(v.infPath, "quorvex") || EqualsWhole(v.infPath, "vyxuport.inf") ||
           BeginsWith(v.matchingDeviceId, "quorvex\\usb_serial_interface") ||
           BeginsWith(v.matchingDeviceId, "quorvex\\usb_parallel_interface");
  return BeginsWith(v.driverDesc, "usb-to-serial port driver") ||
         BeginsWith(v.driverDesc, "usb-to-paralell port driver") ||
         BeginsWith(v.portDriver, "vyxusrpt") || BeginsWith(v.portDriver, "vyxuprpt");
}

inline bool UsbDriverMatches(const DriverValues& v, bool win2kXp) {
  if (win2kXp)
    return BeginsWith(v.infSection, "vyxusbcomp") || BeginsWith(v.ntmpDriver, "vyxuport") ||
           BeginsWith(v.matchingDeviceId, "usb\\vid_5e3a");
  return BeginsWith(v.driverDesc, "quorvex usb compound device") ||
         BeginsWith(v.driverDesc, "tarvi usb compound device") ||
         BeginsWith(v.driverDesc, "usb compound device") || BeginsWith(v.ntmpDriver, "vyxusbsr");
}

// The INF-file walk of the 2000/XP removal: any successful read of the test value
// counts, whatever its size. Returns the INF base name to delete, if any.
inline bool InfWalkSelects(const std::optional<std::vector<std::uint8_t>>& testValue,
                           std::string_view prefix) {
  auto value = Read(testValue);
  if (!value) return false;
  std::string lowered = Lower(value->text);
  return lowered.size() >= prefix.size() && lowered.compare(0, prefix.size(), prefix) == 0;
}

inline std::optional<std::string> InfBaseName(
    const std::optional<std::vector<std::uint8_t>>& infPath) {
  auto value = Read(infPath);
  if (!value || value->size < 5) return std::nullopt;
  std::string text = value->text;
  if (text.size() > 4 && text[text.size() - 4] == '.') text.resize(text.size() - 4);
  return text;
}

// The C library's atoi over the text after "COM".
inline long AtoiLike(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long n = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 100000)
    n = n * 10 + (text[i++] - '0');
  return negative ? -n : n;
}

// The COM port a "PortName" value names for the removed-ports set, 0 for none.
inline unsigned ComPortOf(const std::optional<std::vector<std::uint8_t>>& portName) {
  auto value = Read(portName);
  if (!value || value->size < 4 || value->text.compare(0, 3, "COM") != 0) return 0;
  long n = AtoiLike(std::string_view(value->text).substr(3));
  return n >= 1 && n <= 256 ? static_cast<unsigned>(n) : 0;
}

// Case-insensitive search with NUL bytes of the file dropped, as the purge's
// contents filter finds a driver name.
inline bool ContainsFolded(std::string_view haystack, std::string_view needle) {
  std::string folded;
  folded.reserve(haystack.size());
  for (char c : haystack)
    if (c != '\0') folded += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  std::string wanted;
  for (char c : needle) wanted += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return folded.find(wanted) != std::string::npos;
}

}  // namespace reference
