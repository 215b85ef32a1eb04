// The shell's light-weight path functions and the run-time's path splitting, as
// the path splitter uses them. They are implemented here instead of imported:
// Setup.exe may import only from KERNEL32, USER32, GDI32, ADVAPI32, SHELL32 and
// OLE32, and SHLWAPI (home of PathGetArgsA and its kin) is not among them.
// All work byte by byte on ANSI text.
#pragma once

#include <string>

namespace plat {

// The argument part of a command line: the text after the first space that is
// not inside double quotes; the line's terminating zero when there is none.
const char* PathGetArgsA(const char* line);
char* PathGetArgsA(char* line);

// Ends the line at the space that begins its argument part, if any.
void PathRemoveArgsA(char* line);

// Removes the enclosing double quotes when the path begins and ends with one.
void PathUnquoteSpacesA(char* path);

// _splitpath: drive is the first character and the colon when the second
// character is a colon; dir runs up to and including the last backslash or
// "/"; ext is the final component from its last "." on, the dot included;
// fname is the rest of the final component.
struct SplitPathParts {
  std::string drive;
  std::string dir;
  std::string fname;
  std::string ext;
};
SplitPathParts SplitPath(const char* path);

}  // namespace plat
