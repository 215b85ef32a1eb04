// The INF files of an earlier installation, recognised by their contents: every
// file below the Windows INF folder whose name contains ".inf" and whose text
// names a port driver of either package flavour.
#include "remove/OemInfPurge.h"

#include <string>

#include "common/FileHelpers.h"
#include "common/PathBuffer.h"
#include "remove/CDriverRemover.h"

namespace {

// The driver files the INF files of the two package flavours name.
constexpr const char* kDriverNames[] = {"vyxuport.sys", "VYXUPRPT.vxd"};
constexpr const char* kInfFolder = "\\inf";
constexpr const char* kInfExtension = "*.inf";

// Read-only, hidden, system, archive, temporary, compressed.
constexpr plat::DWORD kPurgeAttributes = 0x927;

}  // namespace

void DeleteFoundInfFile(CFileFinder* finder, int event, FindUserValue /*userValue*/) {
  if (event != FIND_EVENT_FOUND) return;
  const int last = finder->GetCount() - 1;
  std::string path = finder->GetSplitPath(last).GetFullPath();
  // Only the very entry accepted, and never a folder: the joined path must give
  // back what the finder stored.
  if (path.empty() || path != finder->GetFilePath(last) || path.back() == '\\') return;
  RemoveFile(finder->Os().files, path.c_str());
}

void SetPurgeSearch(CFileFinderParams& params, const char* folder, const char* text) {
  params.m_strFolder = folder;
  params.m_strMask = std::string("*") + kInfExtension + "*";
  params.m_bSubfolders = 1;
  params.m_dwFlags |= FIND_BY_ATTRIBUTES | FIND_BY_CONTENTS;
  params.m_dwAttributes |= kPurgeAttributes;
  params.m_strText = text;
}

void CDriverRemover::PurgeOemInfFiles() {
  CFileFinder finder(m_os);
  finder.SetCallback(DeleteFoundInfFile, reinterpret_cast<FindUserValue>(this));
  CFileFinderParams params;
  params.Reset();

  PathBuffer infFolder;
  plat::UINT length = m_os.system.GetWindowsDirectoryA(infFolder.Data(), plat::kMaxPath);
  // Without the Windows folder "\inf" would name the INF folder of whichever
  // drive is current: nothing is searched then.
  if (length == 0 || length >= plat::kMaxPath) return;
  infFolder.Adopt();
  if (!infFolder.Append(kInfFolder)) return;
  for (const char* driver : kDriverNames) {
    SetPurgeSearch(params, infFolder.c_str(), driver);
    finder.ClearResults();
    finder.Search(params);
  }
}
