#include "platform/ShellPath.h"

#include <cstring>

namespace plat {

const char* PathGetArgsA(const char* line) {
  bool quoted = false;
  for (; *line != '\0'; ++line) {
    if (*line == ' ' && !quoted) return line + 1;
    if (*line == '"') quoted = !quoted;
  }
  return line;
}

char* PathGetArgsA(char* line) {
  return const_cast<char*>(PathGetArgsA(static_cast<const char*>(line)));
}

void PathRemoveArgsA(char* line) {
  char* arguments = PathGetArgsA(line);
  // Either the arguments follow a space, or the line ends without one; in both
  // cases a space right before the position found is the one to cut at.
  if (arguments != line && arguments[-1] == ' ') arguments[-1] = '\0';
}

void PathUnquoteSpacesA(char* path) {
  if (path[0] != '"') return;
  std::size_t last = std::strlen(path) - 1;
  if (path[last] != '"') return;
  path[last] = '\0';
  std::memmove(path, path + 1, last);
}

SplitPathParts SplitPath(const char* path) {
  SplitPathParts parts;
  if (path[0] != '\0' && path[1] == ':') {
    parts.drive.assign(path, 2);
    path += 2;
  }
  const char* component = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '\\' || *p == '/') component = p + 1;
  parts.dir.assign(path, component);
  const char* dot = std::strrchr(component, '.');
  if (dot == nullptr) {
    parts.fname = component;
  } else {
    parts.fname.assign(component, dot);
    parts.ext = dot;
  }
  return parts;
}

}  // namespace plat
