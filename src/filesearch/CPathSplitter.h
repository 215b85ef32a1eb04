// A path, optionally followed by command-line arguments, taken apart into drive,
// folder, name and extension, and joined again on request. The folder names and
// the argument records are cut on first use.
#pragma once

#include <string>
#include <vector>

#include "filesearch/CPathArgument.h"
#include "platform/Win32Types.h"

class CPathSplitter {
 public:
  // A text longer than MAX_PATH - 1 characters is refused: the splitter then
  // holds the empty text, so that no part of it is ever joined into a path.
  explicit CPathSplitter(const char* text = "", plat::BOOL lastIsFolder = 0,
                         plat::BOOL hasArguments = 0);
  virtual ~CPathSplitter();
  CPathSplitter(const CPathSplitter&) = default;
  CPathSplitter& operator=(const CPathSplitter&) = default;

  // drive + folder + name + extension; valid until the next call or the end of
  // the object.
  const char* GetFullPath();
  // The source text (fromSource) or the joined parts, then, withArguments, a
  // space and the arguments text.
  std::string BuildPath(plat::BOOL withArguments, plat::BOOL fromSource) const;
  std::string GetDriveAndFolder() const;
  std::string GetNameAndExtension() const;
  // "." + the extension, or empty.
  std::string GetExtension() const;

  const std::string& GetSource() const { return m_strSource; }
  const std::string& GetDrive() const { return m_strDrive; }
  const std::string& GetName() const { return m_strName; }

  bool HasName() const { return !m_strName.empty(); }
  bool IsRelative() const { return m_bRelative != 0; }
  bool HasDriveAndRoot() const { return !m_strDrive.empty() && !IsRelative(); }

  int GetFolderCount() const;
  // index < 0: the whole folder; a valid index: that folder name; else empty.
  std::string GetFolder(int index) const;

  int GetArgumentCount() const;
  // index < 0: the arguments text; a valid index: that record's name
  // (wantName) or value; else empty.
  std::string GetArgument(int index, plat::BOOL wantName) const;

 private:
  void SetPath(const char* text, bool lastIsFolder, bool hasArguments);
  void SplitFolder() const;
  void ParseArguments() const;

  std::string m_strSource;
  std::string m_strDrive;
  mutable std::vector<std::string> m_folderNames;
  std::string m_strFolder;
  std::string m_strName;
  std::string m_strExtension;
  std::string m_strArguments;
  mutable std::vector<CPathArgument> m_arguments;
  plat::BOOL m_bRelative = 0;
  std::string m_strFullPath;
};
