// Initialisation-file reading of a simulated machine, with GetPrivateProfileIntA's rules.
#include <fstream>
#include <sstream>

#include "platform/sim/MachineState.h"

namespace sim {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// Windows reads the value as a signed number: optional blanks and sign, then
// "0x" and hex digits or decimal digits, up to the first other character.
plat::UINT ParseProfileInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  plat::UINT value = 0;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    for (i += 2; i < text.size(); ++i) {
      char c = text[i];
      int d = (c >= '0' && c <= '9')   ? c - '0'
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                       : -1;
      if (d < 0) break;
      value = value * 16u + static_cast<plat::UINT>(d);
    }
  } else {
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      value = value * 10u + static_cast<plat::UINT>(text[i] - '0');
  }
  return negative ? 0u - value : value;
}

class SimProfile final : public plat::IProfile {
 public:
  explicit SimProfile(Machine::State& state) : s_(state) {}

  plat::UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                   const char* fileName) override {
    auto fallback = static_cast<plat::UINT>(defaultValue);
    if (s_.Fault("GetPrivateProfileInt", fileName)) return fallback;
    auto normalized = s_.Normalize(fileName);
    if (!normalized) return fallback;
    auto host = s_.ToHost(*normalized);
    if (!host) return fallback;
    std::ifstream in(*host, std::ios::binary);
    if (!in) return fallback;
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
      std::string_view text = Trim(line);
      if (text.empty() || text[0] == ';') continue;
      if (text[0] == '[') {
        std::size_t close = text.find(']');
        inSection = close != std::string_view::npos &&
                    EqualNoCase(Trim(text.substr(1, close - 1)), section);
        continue;
      }
      if (!inSection) continue;
      std::size_t eq = text.find('=');
      if (eq == std::string_view::npos) continue;
      if (EqualNoCase(Trim(text.substr(0, eq)), key))
        return ParseProfileInt(Trim(text.substr(eq + 1)));
    }
    return fallback;
  }

 private:
  Machine::State& s_;
};

}  // namespace

std::unique_ptr<plat::IProfile> MakeSimProfile(Machine::State& state) {
  return std::make_unique<SimProfile>(state);
}

}  // namespace sim
