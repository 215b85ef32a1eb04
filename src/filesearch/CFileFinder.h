// Recursive file search: a folder (and, on request, every folder below it) is
// searched for entries whose names match a wildcard mask and that pass the
// enabled filters. Accepted entries collect in a result list; every step is
// reported to an optional callback, which may stop the search.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "filesearch/CFileFinderParams.h"
#include "filesearch/CPathSplitter.h"
#include "platform/Platform.h"

// Events handed to the callback.
constexpr int FIND_EVENT_FOUND = 0;     // accepted; the last entry of the result list
constexpr int FIND_EVENT_REJECTED = 1;  // examined and failed a filter
constexpr int FIND_EVENT_FOLDER = 2;    // the current folder's entries come next
constexpr int FIND_EVENT_PROGRESS = 3;  // the contents filter read ten more blocks

class CFileFinder;

// Wide enough for a pointer on every platform.
using FindUserValue = std::uintptr_t;
using FindCallback = void (*)(CFileFinder* finder, int event, FindUserValue userValue);

class CFileFinder {
 public:
  explicit CFileFinder(plat::Platform& os);
  virtual ~CFileFinder();
  CFileFinder(const CFileFinder&) = delete;
  CFileFinder& operator=(const CFileFinder&) = delete;

  // A null callback silences every event.
  void SetCallback(FindCallback callback, FindUserValue userValue);
  // Ends the search before the next entry.
  void Stop();
  void ClearResults();
  int GetCount() const;
  // The result at index; the empty text for an index out of range.
  const std::string& GetFilePath(int index) const;
  // A splitter of the result at index (no folder flag, no arguments); of the
  // empty text for an index out of range.
  CPathSplitter GetSplitPath(int index) const;
  // The folder last reported with FIND_EVENT_FOLDER.
  const std::string& GetCurrentFolder() const { return m_strCurrentFolder; }
  plat::Platform& Os() { return m_os; }

  // Searches as params says (appending a separator to its folder) and returns
  // the number of entries in the result list, those of earlier searches included.
  int Search(CFileFinderParams& params);

  // Whether text occurs in the file, ignoring NUL bytes and the case of ASCII
  // letters. False when text is null, or the file cannot be opened or read.
  bool ContainsText(const char* path, const char* text);

 private:
  bool PassesFilters(const plat::FindDataA& entry, const CFileFinderParams& params,
                     const char* path);
  void Notify(int event);

  plat::Platform& m_os;
  std::vector<std::string> m_results;
  bool m_bStop = false;
  FindCallback m_callback = nullptr;
  FindUserValue m_userValue = 0;
  std::string m_strCurrentFolder;

  // Read and work space of ContainsText, kept across files.
  std::vector<unsigned char> m_scanBuffer;
  bool m_bScanBufferInUse = false;
};
