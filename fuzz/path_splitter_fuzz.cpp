// CPathSplitter: any text with any flags is taken apart and joined without harm;
// and every path the file finder can hand out (a drive or network path, folders,
// a name with or without extensions, a folder's trailing backslash) comes back
// unchanged from GetFullPath.
#include <string>

#include "FuzzInput.h"
#include "filesearch/CPathSplitter.h"

namespace {

// A character Windows allows in a file name.
char NameChar(FuzzInput& in) {
  static const std::string kUsual = "abcXYZ019 .-_~!#$%&'()+,;=@[]^`{}";
  std::uint8_t b = in.Byte();
  if (b < 200) return kUsual[b % kUsual.size()];
  char c = static_cast<char>(b);  // bytes of the ANSI code page above 0x7F
  return c;
}

// A name as a folder listing gives it: not empty, not "." or "..", and not ending
// in a dot or a blank (Windows drops those).
std::string Component(FuzzInput& in) {
  std::string name;
  std::size_t n = 1 + in.Below(16);
  for (std::size_t i = 0; i < n; ++i) name += NameChar(in);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  if (name.empty() || name == "." || name == "..") name = "n";
  return name;
}

void Exercise(CPathSplitter& s) {
  (void)s.GetFullPath();
  for (int withArguments = 0; withArguments < 2; ++withArguments)
    for (int fromSource = 0; fromSource < 2; ++fromSource)
      (void)s.BuildPath(withArguments, fromSource);
  (void)s.GetDriveAndFolder();
  (void)s.GetNameAndExtension();
  int folders = s.GetFolderCount();
  for (int i = -1; i <= folders; ++i) (void)s.GetFolder(i);
  int arguments = s.GetArgumentCount();
  for (int i = -1; i <= arguments; ++i) {
    (void)s.GetArgument(i, 0);
    (void)s.GetArgument(i, 1);
  }
  FUZZ_CHECK(s.GetFolder(folders).empty(), "a folder index past the end gives the empty text");
  FUZZ_CHECK(s.GetArgument(arguments, 0).empty(),
             "an argument index past the end gives the empty text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  std::uint8_t mode = in.Byte();
  if (mode & 1) {
    // Any text, up to well past MAX_PATH, with any flags.
    plat::BOOL lastIsFolder = (mode >> 1) & 1;
    plat::BOOL hasArguments = (mode >> 2) & 1;
    std::string text = in.Rest();
    text = text.substr(0, text.find('\0'));
    CPathSplitter s(text.c_str(), lastIsFolder, hasArguments);
    Exercise(s);
    CPathSplitter copy = s;
    Exercise(copy);
    if (text.size() > 259)
      FUZZ_CHECK(std::string(s.GetFullPath()).empty(), "an over-long text is refused");
    return 0;
  }
  // A path as the finder makes it: the full folder as GetFullPathNameA gives it,
  // a backslash and the entry's name; a folder's entry ends in a backslash.
  std::string path;
  if ((mode >> 1) & 1) {
    path = "\\\\" + Component(in) + "\\" + Component(in) + "\\";
  } else {
    path = std::string(1, static_cast<char>('A' + in.Below(26))) + ":\\";
  }
  std::size_t depth = in.Below(6);
  for (std::size_t d = 0; d < depth; ++d) path += Component(in) + "\\";
  bool folderEntry = (mode >> 2) & 1;
  std::string name = Component(in);
  if (!folderEntry && in.Flag()) name += "." + Component(in);
  path += name;
  if (folderEntry) path += "\\";
  if (path.size() > 259) return 0;
  CPathSplitter s(path.c_str(), 0, 0);
  std::string joined = s.GetFullPath();
  if (joined != path)
    std::fprintf(stderr, "path  \"%s\"\njoined \"%s\"\n", path.c_str(), joined.c_str());
  FUZZ_CHECK(joined == path, "GetFullPath gives back the finder's path");
  Exercise(s);
  return 0;
}
