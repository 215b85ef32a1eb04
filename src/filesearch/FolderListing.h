// One folder enumeration with a wildcard pattern, with the framework's look-ahead:
// FindFile loads the first match, each FindNextFile makes the loaded entry the
// current one, loads the next and tells whether there was one.
#pragma once

#include <string_view>

#include "common/PathBuffer.h"
#include "platform/Platform.h"

class FolderListing {
 public:
  explicit FolderListing(plat::IFileSystem& files) : m_files(files) {}
  ~FolderListing() { Close(); }
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  // False when nothing matches, the folder cannot be listed or its full path
  // cannot be formed.
  bool FindFile(const char* pattern);
  // Advances to the next entry; false when that entry is the last one.
  bool FindNextFile();
  void Close();

  const plat::FindDataA& Entry() const { return m_current; }
  std::string_view GetFileName() const { return m_current.cFileName; }
  bool IsDots() const;
  bool IsDirectory() const { return MatchesMask(plat::kFileAttributeDirectory); }
  bool MatchesMask(plat::DWORD mask) const { return (m_current.dwFileAttributes & mask) != 0; }
  // The pattern's folder, a backslash unless it ends in one, and the name;
  // invalid when that does not fit in MAX_PATH.
  PathBuffer GetFilePath() const;

 private:
  plat::IFileSystem& m_files;
  plat::Handle m_find = plat::kInvalidHandle;
  bool m_hasNext = false;
  plat::FindDataA m_next = {};
  plat::FindDataA m_current = {};
  PathBuffer m_root;
};
