#include "filesearch/CFileFinderParams.h"

void CFileFinderParams::Reset() {
  m_strFolder.clear();
  m_strMask = "*.*";
  m_bSubfolders = 0;
  m_dwFlags = 0;
  m_nMinSize = 0;
  m_nMaxSize = 0;
  m_tCreatedFrom = CurrentSearchTime();
  m_tCreatedTo = CurrentSearchTime();
  m_tWrittenFrom = CurrentSearchTime();
  m_tWrittenTo = CurrentSearchTime();
  m_tAccessedFrom = CurrentSearchTime();
  m_tAccessedTo = CurrentSearchTime();
  m_dwAttributes = 0;
}
