// The settings of one file search. A plain record, copied field by field.
#pragma once

#include <cstdint>
#include <string>

#include "filesearch/SearchTime.h"
#include "platform/Win32Types.h"

// Filter flags.
constexpr plat::DWORD FIND_BY_SIZE = 0x01;
constexpr plat::DWORD FIND_BY_WRITE_TIME = 0x02;
constexpr plat::DWORD FIND_BY_CREATION_TIME = 0x04;
constexpr plat::DWORD FIND_BY_ACCESS_TIME = 0x08;
constexpr plat::DWORD FIND_BY_ATTRIBUTES = 0x10;
constexpr plat::DWORD FIND_BY_CONTENTS = 0x20;

class CFileFinderParams {
 public:
  CFileFinderParams() { Reset(); }

  // Every field but the text back to its default; the time bounds become the
  // current time.
  void Reset();

  std::string m_strFolder;  // Search appends a separator to it
  std::string m_strMask;    // wildcard pattern of the examined names
  std::string m_strText;    // what the contents filter looks for
  plat::BOOL m_bSubfolders = 0;
  plat::DWORD m_dwFlags = 0;    // FIND_BY_...
  std::int64_t m_nMinSize = 0;  // inclusive bounds, bytes
  std::int64_t m_nMaxSize = 0;
  SearchTime m_tCreatedFrom = 0;  // inclusive bounds
  SearchTime m_tCreatedTo = 0;
  SearchTime m_tWrittenFrom = 0;
  SearchTime m_tWrittenTo = 0;
  SearchTime m_tAccessedFrom = 0;
  SearchTime m_tAccessedTo = 0;
  plat::DWORD m_dwAttributes = 0;  // an entry must carry at least one of these bits
};
