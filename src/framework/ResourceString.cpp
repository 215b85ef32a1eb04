#include "framework/ResourceString.h"

std::string LoadResourceString(plat::IUi& ui, plat::UINT id, const char* fallback) {
  char buffer[1024] = {};
  int length = ui.LoadStringA(id, buffer, static_cast<int>(sizeof buffer));
  if (length <= 0) return fallback != nullptr ? fallback : "";
  buffer[sizeof buffer - 1] = '\0';
  if (static_cast<std::size_t>(length) < sizeof buffer) buffer[length] = '\0';
  return buffer;
}
