// ContainsText against a plain search: the text occurs, letters compared without
// case, in n spaces followed by the file with its NUL bytes left out. Files of
// any bytes and length (across many read blocks), texts of any length.
#include <string>

#include "FuzzInput.h"
#include "FuzzMachine.h"
#include "filesearch/CFileFinder.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool NaiveContains(const std::string& file, const std::string& text) {
  std::string stream(text.size(), ' ');
  for (char c : file)
    if (c != '\0') stream += Upper(c);
  std::string wanted;
  for (char c : text) wanted += Upper(c);
  if (wanted.empty()) return true;
  for (std::size_t i = 0; i + wanted.size() <= stream.size(); ++i)
    if (stream.compare(i, wanted.size(), wanted) == 0) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  std::string text = in.Text(in.Byte() % 80);
  text = text.substr(0, text.find('\0'));
  std::string file = in.Rest();
  // Long files from short inputs: repeat the bytes, so matches straddle many blocks.
  std::uint8_t repeat = file.empty() ? 1 : static_cast<std::uint8_t>(file[0]);
  if (repeat > 200 && file.size() > 1) {
    std::string once = file.substr(1);
    file.clear();
    for (int i = 0; i < repeat - 200; ++i) file += once;
  }
  sim::Machine& m = FuzzMachine(sim::OsConfig{}, "contains-text");
  m.WriteFile("C:\\scan.bin", file);
  CFileFinder finder(m.Os());
  bool found = finder.ContainsText("C:\\scan.bin", text.c_str());
  bool expected = NaiveContains(file, text);
  if (found != expected)
    std::fprintf(stderr, "text \"%s\" (%zu bytes) in %zu bytes: found %d, expected %d\n",
                 text.c_str(), text.size(), file.size(), found, expected);
  FUZZ_CHECK(found == expected, "ContainsText agrees with the plain search");
  FUZZ_CHECK(!finder.ContainsText("C:\\missing.bin", text.c_str()), "a missing file holds nothing");
  FUZZ_CHECK(!finder.ContainsText("C:\\scan.bin", nullptr), "no text is never found");
  return 0;
}
