#include "filesearch/CFileFinder.h"

#include <algorithm>
#include <cstring>

#include "common/AddSeparator.h"
#include "common/PathBuffer.h"
#include "filesearch/FoldedSearch.h"
#include "filesearch/FolderListing.h"

namespace {

// The file is read in chunks of this size; the logical blocks of the contents
// filter are cut from memory.
constexpr std::size_t kReadChunk = 256 * 1024;

// The smallest block of the contents filter; a longer text makes it twice its length.
constexpr std::size_t kMinBlock = 128;
constexpr std::uint64_t kBlocksPerProgress = 10;

const std::string kEmpty;

class ScopedFile {
 public:
  ScopedFile(plat::ISystem& system, plat::Handle handle) : m_system(system), m_handle(handle) {}
  ~ScopedFile() {
    if (m_handle != plat::kInvalidHandle) m_system.CloseHandle(m_handle);
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;

 private:
  plat::ISystem& m_system;
  plat::Handle m_handle;
};

// Copies the bytes of raw other than NUL to out; returns how many.
std::size_t RemoveNuls(const unsigned char* raw, std::size_t length, unsigned char* out) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < length; ++i) {
    out[kept] = raw[i];
    kept += raw[i] != 0;
  }
  return kept;
}

// Position in raw of its kept-th byte other than NUL (0-based).
std::size_t RawPosition(const unsigned char* raw, std::size_t length, std::size_t kept) {
  for (std::size_t i = 0; i < length; ++i) {
    if (raw[i] == 0) continue;
    if (kept == 0) return i;
    --kept;
  }
  return length;
}

// An occurrence of the text in carry (n characters) followed by data: the index
// in data of its last character, kInCarry when it lies inside the carry, kNone.
constexpr std::int64_t kNone = -2;
constexpr std::int64_t kInCarry = -1;

std::int64_t FindEnd(const FoldedSearch& search, const unsigned char* carry,
                     const unsigned char* data, std::size_t length, unsigned char* seam) {
  const std::size_t n = search.Length();
  if (n == 0) return kInCarry;
  // What straddles the seam: the carry and the first n - 1 characters of data.
  std::size_t head = std::min(n - 1, length);
  std::memcpy(seam, carry, n);
  std::memcpy(seam + n, data, head);
  std::size_t at = search.Find(seam, n + head);
  if (at != FoldedSearch::npos) {
    std::size_t last = at + n - 1;
    return last < n ? kInCarry : static_cast<std::int64_t>(last - n);
  }
  at = search.Find(data, length);
  if (at != FoldedSearch::npos) return static_cast<std::int64_t>(at + n - 1);
  return kNone;
}

}  // namespace

CFileFinder::CFileFinder(plat::Platform& os) : m_os(os) {}

CFileFinder::~CFileFinder() = default;

void CFileFinder::SetCallback(FindCallback callback, FindUserValue userValue) {
  m_callback = callback;
  m_userValue = userValue;
}

void CFileFinder::Stop() { m_bStop = true; }

void CFileFinder::ClearResults() { m_results.clear(); }

int CFileFinder::GetCount() const { return static_cast<int>(m_results.size()); }

const std::string& CFileFinder::GetFilePath(int index) const {
  if (index < 0 || index >= GetCount()) return kEmpty;
  return m_results[static_cast<std::size_t>(index)];
}

CPathSplitter CFileFinder::GetSplitPath(int index) const {
  return CPathSplitter(GetFilePath(index).c_str(), 0, 0);
}

void CFileFinder::Notify(int event) {
  if (m_callback != nullptr) m_callback(this, event, m_userValue);
}

int CFileFinder::Search(CFileFinderParams& params) {
  m_bStop = false;
  params.m_strFolder = AddSeparator(params.m_strFolder, false);
  const std::string& folder = params.m_strFolder;

  if (params.m_bSubfolders) {
    FolderListing listing(m_os.files);
    PathBuffer pattern(folder);
    pattern.Append("*.*");
    bool more = pattern.Valid() && listing.FindFile(pattern.c_str());
    while (more) {
      if (m_bStop) break;
      more = listing.FindNextFile();
      if (!listing.IsDirectory() || listing.IsDots()) continue;
      // Links and junctions lead elsewhere, possibly back up: never followed.
      if (listing.MatchesMask(plat::kFileAttributeReparsePoint)) continue;
      // The subfolder's path, with the separator its search appends, must be a path.
      std::string_view name = listing.GetFileName();
      if (folder.size() + name.size() + 1 >= plat::kMaxPath) continue;
      CFileFinderParams sub = params;
      sub.m_strFolder = folder;
      sub.m_strFolder += name;
      Search(sub);
    }
  }

  m_strCurrentFolder = folder;
  Notify(FIND_EVENT_FOLDER);

  FolderListing listing(m_os.files);
  PathBuffer pattern(folder);
  pattern.Append(params.m_strMask);
  bool more = pattern.Valid() && listing.FindFile(pattern.c_str());
  while (more) {
    if (m_bStop) break;
    more = listing.FindNextFile();
    if (listing.IsDots()) continue;
    PathBuffer path = listing.GetFilePath();
    if (listing.IsDirectory()) path.Append("\\");
    // An entry whose path does not fit is never handed on.
    bool passed = path.Valid() && PassesFilters(listing.Entry(), params, path.c_str());
    if (passed) m_results.emplace_back(path.View());
    Notify(passed ? FIND_EVENT_FOUND : FIND_EVENT_REJECTED);
  }
  return GetCount();
}

bool CFileFinder::PassesFilters(const plat::FindDataA& entry, const CFileFinderParams& params,
                                const char* path) {
  const plat::DWORD flags = params.m_dwFlags;
  if ((flags & FIND_BY_ATTRIBUTES) && (entry.dwFileAttributes & params.m_dwAttributes) == 0)
    return false;
  if (flags & FIND_BY_SIZE) {
    auto size =
        static_cast<std::int64_t>((std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
    if (size < params.m_nMinSize || size > params.m_nMaxSize) return false;
  }
  auto within = [](plat::FileTime stamp, SearchTime from, SearchTime to) {
    SearchTime t = SearchTimeFromFileTime(stamp);
    return from <= t && t <= to;
  };
  if ((flags & FIND_BY_WRITE_TIME) &&
      !within(entry.ftLastWriteTime, params.m_tWrittenFrom, params.m_tWrittenTo))
    return false;
  if ((flags & FIND_BY_CREATION_TIME) &&
      !within(entry.ftCreationTime, params.m_tCreatedFrom, params.m_tCreatedTo))
    return false;
  if ((flags & FIND_BY_ACCESS_TIME) &&
      !within(entry.ftLastAccessTime, params.m_tAccessedFrom, params.m_tAccessedTo))
    return false;
  if (flags & FIND_BY_CONTENTS) {
    // A folder has no contents to read.
    if (entry.dwFileAttributes & plat::kFileAttributeDirectory) return false;
    return ContainsText(path, params.m_strText.c_str());
  }
  return true;
}

// The contents filter works on logical blocks of B = max(128, 2n) bytes for a
// text of n bytes: each block is the last n characters of the block before (n
// spaces before the first) and the next B - n bytes of the file, with NUL bytes
// removed and letters upper-cased; the search stops at the first block holding
// the text or at the end of the file, and every tenth block of a file is
// reported with FIND_EVENT_PROGRESS. Since each block carries the end of the one
// before, the text is in some block exactly when it occurs in n spaces followed
// by the file without its NUL bytes; the block that finds it is the one holding
// the byte that ends the first occurrence. So the file is scanned as one stream,
// read in large chunks, and the blocks are counted from the byte positions.
bool CFileFinder::ContainsText(const char* path, const char* text) {
  if (text == nullptr) return false;
  plat::Handle file = m_os.files.CreateFileA(path, plat::kGenericRead, 0, plat::kOpenExisting, 0);
  if (file == plat::kInvalidHandle) return false;
  ScopedFile closer(m_os.system, file);

  const FoldedSearch search{std::string(text)};
  const std::size_t n = search.Length();
  const std::uint64_t readSize = std::max(kMinBlock, 2 * n) - n;  // B - n

  // One buffer: the chunk as read, the carry followed by the chunk without NUL
  // bytes, and the seam between carry and chunk. A callback that searches again
  // from inside this search gets a buffer of its own.
  std::vector<unsigned char> ownBuffer;
  std::vector<unsigned char>& buffer = m_bScanBufferInUse ? ownBuffer : m_scanBuffer;
  const bool owner = !m_bScanBufferInUse;
  m_bScanBufferInUse = true;
  struct Release {
    bool& inUse;
    bool owner;
    ~Release() {
      if (owner) inUse = false;
    }
  } release{m_bScanBufferInUse, owner};
  const std::size_t needed = kReadChunk + (n + kReadChunk) + 2 * n;
  if (buffer.size() < needed) buffer.resize(needed);
  unsigned char* raw = buffer.data();
  unsigned char* carry = raw + kReadChunk;
  unsigned char* compacted = carry + n;
  unsigned char* seam = compacted + kReadChunk;
  std::memset(carry, ' ', n);

  std::uint64_t blocksCounted = 0;
  auto countBlocks = [&](std::uint64_t total) {
    if (m_callback == nullptr) return;
    for (std::uint64_t b = blocksCounted / kBlocksPerProgress + 1; b <= total / kBlocksPerProgress;
         ++b)
      Notify(FIND_EVENT_PROGRESS);
    blocksCounted = std::max(blocksCounted, total);
  };

  std::uint64_t consumed = 0;  // bytes of the file searched so far
  for (;;) {
    plat::DWORD got = 0;
    // A read error: the file does not match.
    if (!m_os.files.ReadFile(file, raw, static_cast<plat::DWORD>(kReadChunk), &got)) return false;
    std::size_t length = std::min<std::size_t>(got, kReadChunk);
    const bool hasNuls = std::memchr(raw, 0, length) != nullptr;
    const unsigned char* data = raw;
    std::size_t kept = length;
    if (hasNuls) {
      kept = RemoveNuls(raw, length, compacted);
      data = compacted;
    }

    std::int64_t last = FindEnd(search, carry, data, kept, seam);
    if (last != kNone) {
      std::uint64_t block = 0;
      if (last != kInCarry) {
        auto index = static_cast<std::size_t>(last);
        std::uint64_t position = consumed + (hasNuls ? RawPosition(raw, length, index) : index);
        block = position / readSize;
      }
      countBlocks(block + 1);
      return true;
    }

    consumed += length;
    if (length < kReadChunk) {
      // The last block is the one whose read came up short, possibly empty.
      countBlocks(consumed / readSize + 1);
      return false;
    }
    countBlocks(consumed / readSize);

    // The next carry: the last n characters of carry and chunk.
    if (kept >= n) {
      std::memcpy(carry, data + kept - n, n);
    } else {
      std::memmove(carry, carry + kept, n - kept);
      std::memcpy(carry + n - kept, data, kept);
    }
  }
}
