// The .reg reader and writer: any text is read or refused without harm; what
// was read, written again, reads back to the same tree; and any tree, with any
// names, types and bytes, is written so that it reads back equal.
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "platform/sim/RegFile.h"

namespace {

// Every key with its values, in enumeration order, as one comparable text.
std::string Dump(const sim::RegistryTree& tree) {
  std::string out;
  tree.ForEach([&](const sim::RegNode& node) {
    out += "[" + node.Path() + "]\n";
    for (const auto& [name, value] : node.values) {
      out += name + "=" + std::to_string(value.type) + ":";
      out.append(value.data.begin(), value.data.end());
      out += "\n";
    }
  });
  return out;
}

void RoundTrip(const sim::RegistryTree& tree) {
  std::string text = sim::WriteRegFile(tree);
  sim::RegistryTree again;
  std::string error;
  bool read = sim::ReadRegFile(text, &again, &error);
  if (!read)
    std::fprintf(stderr, "written text refused: %s\n%.4000s\n", error.c_str(), text.c_str());
  FUZZ_CHECK(read, "what the writer wrote is read back");
  FUZZ_CHECK(Dump(again) == Dump(tree), "what was written reads back to the same tree");
  FUZZ_CHECK(sim::WriteRegFile(again) == text, "writing again gives the same text");
}

// A printable character of the ANSI code page.
char Printable(std::uint8_t b) {
  return static_cast<char>(b < 0x20 || b == 0x7F ? 0x20 + b % 0x5F : b);
}

// A key name: any printable character but the backslash, as the registry allows.
std::string KeyName(FuzzInput& in) {
  std::string name;
  std::size_t n = 1 + in.Below(12);
  for (std::size_t i = 0; i < n; ++i) {
    char c = Printable(in.Byte());
    name += c == '\\' ? '_' : c;
  }
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1) {
    // Text as a machine folder may hold it.
    sim::RegistryTree tree;
    std::string error;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (sim::ReadRegFile(text, &tree, &error)) RoundTrip(tree);
    return 0;
  }
  // A tree built from the bytes.
  FuzzInput in(data + 1, size - 1);
  sim::RegistryTree tree;
  std::vector<std::string> keys;
  while (!in.Empty() && keys.size() < 64) {
    std::string path;
    if (!keys.empty() && in.Flag()) {
      path = keys[in.Below(static_cast<std::uint32_t>(keys.size()))];
    } else {
      path = in.Flag() ? "HKLM" : "HKCU";
      std::size_t depth = 1 + in.Below(4);
      for (std::size_t d = 0; d < depth; ++d) path += "\\" + KeyName(in);
      keys.push_back(path);
    }
    sim::RegNode* node = tree.Create(path);
    if (node == nullptr) continue;
    std::size_t values = in.Below(4);
    for (std::size_t v = 0; v < values; ++v) {
      // Value names may hold any printable character, the backslash and quotes
      // included; the empty name is the default value.
      std::string name = in.Text(in.Below(10));
      for (char& c : name) c = Printable(static_cast<std::uint8_t>(c));
      sim::RegValue value;
      std::uint32_t kind = in.Below(16);
      value.type = kind < 12 ? kind : (static_cast<plat::DWORD>(in.Byte()) << 24 | in.Below(65536));
      value.data = in.Bytes(in.Below(40));
      node->SetValue(name, value);
    }
  }
  RoundTrip(tree);
  return 0;
}
