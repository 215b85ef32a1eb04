// The four copy steps: one file of the package from the medium into a folder of
// the Windows folder. They differ only in source folder, destination folder and
// the message a failed copy shows.
#include "common/FileHelpers.h"
#include "common/PackageFlavour.h"
#include "common/SetupFolders.h"
#include "install/CDriverInstaller.h"

namespace {

constexpr const char* kCurrentDirectoryFailed = "GetCurrentDirectory failed!";
constexpr const char* kWindowsDirectoryFailed = "GetWindowsDirectory failed!";

// Copies medium folder [+ flavour subfolder] + name to Windows folder +
// destinationSubfolder + name. Returns null when the file was copied, else the
// message that reports why not (failedCopyText for the copy itself, also when a
// path would not fit: no shortened path is ever handed on).
const char* CopyComponent(plat::Platform& os, const char* flavourSubfolder,
                          const char* destinationSubfolder, const char* name,
                          const char* failedCopyText) {
  PathBuffer source;
  if (ReadMediumFolder(os.system, &source) == 0) return kCurrentDirectoryFailed;
  if (flavourSubfolder != nullptr) source.Append(flavourSubfolder);
  source.Append(name);

  PathBuffer destination;
  if (ReadWindowsFolder(os.system, &destination) == 0) return kWindowsDirectoryFailed;
  destination.Append(destinationSubfolder);
  destination.Append(name);

  if (!source.Valid() || !destination.Valid()) return failedCopyText;
  if (!CopyFileWritable(os.files, source.c_str(), destination.c_str(), 0)) return failedCopyText;
  return nullptr;
}

}  // namespace

int CDriverInstaller::CopyInfFile(const char* name) {
  const char* error = CopyComponent(m_os, FlavourSubfolder(m_bWin2kXp), "\\inf", name,
                                    "Error in Copying Inf file...!");
  if (error != nullptr) ShowError(error);
  return error == nullptr;
}

int CDriverInstaller::CopyDriverFile(const char* name) {
  const char* error = CopyComponent(m_os, FlavourSubfolder(m_bWin2kXp), "\\System", name,
                                    "Error in Copying Driver file...!");
  if (error != nullptr) ShowError(error);
  return error == nullptr;
}

int CDriverInstaller::CopyApplicationFile(const char* name) {
  const char* error =
      CopyComponent(m_os, FlavourSubfolder(m_bWin2kXp), m_bWin2kXp ? "\\System32" : "\\System",
                    name, "Error in Copying Uninstall Application...!");
  if (error != nullptr) ShowError(error);
  return error == nullptr;
}

// The uninstaller sits beside the setup program, not in a flavour subfolder.
int CDriverInstaller::CopyUninstaller(const char* name) {
  const char* error =
      CopyComponent(m_os, nullptr, "\\System", name, "Error in Copying Uninstall Application...!");
  if (error != nullptr) ShowError(error);
  return error == nullptr;
}
