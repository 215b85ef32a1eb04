#include "filesearch/CPathSplitter.h"

#include <algorithm>
#include <cstring>

#include "common/AddSeparator.h"
#include "platform/ShellPath.h"

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void TrimLeft(std::string& text) {
  auto first = std::find_if_not(text.begin(), text.end(), IsWhiteSpace);
  text.erase(text.begin(), first);
}

void TrimRight(std::string& text) {
  while (!text.empty() && IsWhiteSpace(text.back())) text.pop_back();
}

}  // namespace

CPathSplitter::CPathSplitter(const char* text, plat::BOOL lastIsFolder, plat::BOOL hasArguments) {
  SetPath(text, lastIsFolder != 0, hasArguments != 0);
}

CPathSplitter::~CPathSplitter() = default;

void CPathSplitter::SetPath(const char* text, bool lastIsFolder, bool hasArguments) {
  m_strSource.clear();
  m_strDrive.clear();
  m_folderNames.clear();
  m_strFolder.clear();
  m_strName.clear();
  m_strExtension.clear();
  m_strArguments.clear();
  m_arguments.clear();
  m_bRelative = 0;

  if (text == nullptr) return;
  std::size_t length = std::strlen(text);
  if (length >= plat::kMaxPath) return;

  m_strSource.assign(text, length);
  char buffer[plat::kMaxPath] = {};
  std::memcpy(buffer, text, length);

  if (hasArguments) {
    m_strArguments = plat::PathGetArgsA(buffer);
    plat::PathRemoveArgsA(buffer);
  }
  plat::PathUnquoteSpacesA(buffer);
  if (buffer[0] == '\0') return;

  plat::SplitPathParts parts = plat::SplitPath(buffer);
  m_strDrive = parts.drive;
  m_strFolder = parts.dir;
  std::replace(m_strFolder.begin(), m_strFolder.end(), '/', '\\');
  if (lastIsFolder) {
    // The whole final component names the last folder, its dots included.
    m_strFolder = AddSeparator(AddSeparator(m_strFolder, false) + parts.fname + parts.ext, false);
  }
  if (!m_strFolder.empty()) m_bRelative = m_strFolder[0] != '\\';
  if (lastIsFolder) return;
  m_strName = parts.fname;
  // Kept even when the name is empty, so that a final component such as ".inf"
  // survives the join.
  m_strExtension = parts.ext;
  m_strExtension.erase(std::remove(m_strExtension.begin(), m_strExtension.end(), '.'),
                       m_strExtension.end());
}

const char* CPathSplitter::GetFullPath() {
  m_strFullPath = BuildPath(0, 0);
  return m_strFullPath.c_str();
}

std::string CPathSplitter::BuildPath(plat::BOOL withArguments, plat::BOOL fromSource) const {
  std::string path =
      fromSource ? m_strSource : m_strDrive + m_strFolder + m_strName + GetExtension();
  if (withArguments) {
    // The arguments text starts after the space that ended the path.
    std::string arguments = GetArgument(-1, 0);
    if (!path.empty() && !arguments.empty()) path += ' ';
    path += arguments;
  }
  return path;
}

std::string CPathSplitter::GetDriveAndFolder() const { return m_strDrive + GetFolder(-1); }

std::string CPathSplitter::GetNameAndExtension() const { return m_strName + GetExtension(); }

std::string CPathSplitter::GetExtension() const {
  return m_strExtension.empty() ? std::string() : "." + m_strExtension;
}

void CPathSplitter::SplitFolder() const {
  if (m_strFolder.empty() || !m_folderNames.empty()) return;
  std::size_t p = 0;
  if (HasDriveAndRoot()) {
    p = 1;
  } else if (!IsRelative()) {
    // Two backslashes begin a network path; one alone is the root of the
    // current drive.
    p = m_strFolder.compare(0, 2, "\\\\") == 0 ? 2 : 1;
  }
  for (std::size_t q = m_strFolder.find('\\', p); q != std::string::npos;
       q = m_strFolder.find('\\', p)) {
    m_folderNames.push_back(m_strFolder.substr(p, q - p));
    p = q + 1;
  }
}

int CPathSplitter::GetFolderCount() const {
  SplitFolder();
  return static_cast<int>(m_folderNames.size());
}

std::string CPathSplitter::GetFolder(int index) const {
  if (index < 0) return m_strFolder;
  if (index < GetFolderCount()) return m_folderNames[static_cast<std::size_t>(index)];
  return {};
}

void CPathSplitter::ParseArguments() const {
  if (m_strArguments.empty() || !m_arguments.empty()) return;
  CPathArgument current;
  std::string name;
  std::string value;
  auto add = [&] {
    current.SetName(name);
    current.SetValue(value);
    m_arguments.push_back(current);
    name.clear();
    value.clear();
  };

  std::string s = m_strArguments;
  TrimLeft(s);
  TrimRight(s);
  s += ' ';
  for (std::size_t i = s.find_first_of(" \""); i != std::string::npos; i = s.find_first_of(" \"")) {
    if (s[i] == '"') {
      std::size_t close = s.find('"', i + 1);
      if (close == std::string::npos) break;
      value = s.substr(i + 1, close - i - 1);
      i = close;
    } else if (s[0] == '/' || s[0] == '-') {
      if (!name.empty()) add();
      name = s.substr(0, i);
    } else {
      value = s.substr(0, i);
    }
    if (!value.empty()) add();
    s.erase(0, i + 1);
    TrimLeft(s);
  }
  if (!name.empty()) add();
}

int CPathSplitter::GetArgumentCount() const {
  ParseArguments();
  return static_cast<int>(m_arguments.size());
}

std::string CPathSplitter::GetArgument(int index, plat::BOOL wantName) const {
  if (index < 0) {
    if (!m_strArguments.empty()) return m_strArguments;
    std::string joined;
    for (const CPathArgument& argument : m_arguments) joined += argument.GetText();
    TrimLeft(joined);
    return joined;
  }
  if (index < GetArgumentCount()) {
    const CPathArgument& argument = m_arguments[static_cast<std::size_t>(index)];
    return wantName ? argument.GetName() : argument.GetValue();
  }
  return {};
}
