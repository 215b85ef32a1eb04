#include "remove/DriverValueTests.h"

#include "remove/CDriverRemover.h"
#include "remove/RegistryText.h"

namespace removal {
namespace {

constexpr plat::DWORD kShortestValue = 5;

// The lower-cased text of the value, or false when it does not count.
bool ReadLowered(plat::IRegistry& registry, plat::HKey key, const char* valueName,
                 RegistryText* value) {
  if (value->Read(registry, key, valueName) != plat::kErrorSuccess) return false;
  if (value->Size() < kShortestValue) return false;
  CDriverRemover::LowerAscii(value->Text());
  return true;
}

}  // namespace

bool ValueBeginsWith(plat::IRegistry& registry, plat::HKey key, const char* valueName,
                     std::string_view literal) {
  RegistryText value;
  if (!ReadLowered(registry, key, valueName, &value)) return false;
  return value.View().substr(0, literal.size()) == literal;
}

bool ValueEquals(plat::IRegistry& registry, plat::HKey key, const char* valueName,
                 std::string_view literal) {
  RegistryText value;
  if (!ReadLowered(registry, key, valueName, &value)) return false;
  return value.View() == literal;
}

}  // namespace removal
