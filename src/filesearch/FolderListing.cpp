#include "filesearch/FolderListing.h"

namespace {

void Terminate(plat::FindDataA& data) {
  data.cFileName[plat::kMaxPath - 1] = '\0';
  data.cAlternateFileName[sizeof data.cAlternateFileName - 1] = '\0';
}

}  // namespace

bool FolderListing::FindFile(const char* pattern) {
  Close();
  m_find = m_files.FindFirstFileA(pattern, &m_next);
  if (m_find == plat::kInvalidHandle) return false;
  Terminate(m_next);

  PathBuffer full;
  char* filePart = nullptr;
  plat::DWORD length = m_files.GetFullPathNameA(pattern, plat::kMaxPath, full.Data(), &filePart);
  if (length == 0 || length >= plat::kMaxPath) {
    Close();
    return false;
  }
  full.Adopt();
  // The root is the full pattern up to its last separator, that one excluded.
  std::size_t cut = full.View().find_last_of("\\/");
  if (cut != std::string_view::npos) full.Truncate(cut);
  m_root = full;
  m_hasNext = true;
  return true;
}

bool FolderListing::FindNextFile() {
  if (!m_hasNext) return false;
  m_current = m_next;
  m_hasNext = m_files.FindNextFileA(m_find, &m_next) != 0;
  if (m_hasNext) Terminate(m_next);
  return m_hasNext;
}

void FolderListing::Close() {
  if (m_find != plat::kInvalidHandle) m_files.FindClose(m_find);
  m_find = plat::kInvalidHandle;
  m_hasNext = false;
}

bool FolderListing::IsDots() const {
  const char* name = m_current.cFileName;
  return IsDirectory() && name[0] == '.' &&
         (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

PathBuffer FolderListing::GetFilePath() const {
  PathBuffer path(m_root.View());
  if (!path.Empty() && path.View().back() != '\\' && path.View().back() != '/') path.Append("\\");
  path.Append(GetFileName());
  return path;
}
