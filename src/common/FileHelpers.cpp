#include "common/FileHelpers.h"

plat::BOOL CopyFileWritable(plat::IFileSystem& files, const char* source, const char* target,
                            plat::BOOL failIfExists) {
  plat::BOOL copied = files.CopyFileA(source, target, failIfExists);
  ClearReadOnly(files, target);
  return copied;
}

void ClearReadOnly(plat::IFileSystem& files, const char* path) {
  plat::DWORD attributes = files.GetFileAttributesA(path);
  if (attributes == plat::kInvalidFileAttributes) return;
  files.SetFileAttributesA(path, attributes & ~plat::kFileAttributeReadonly);
}

void RemoveFile(plat::IFileSystem& files, const char* path) {
  files.SetFileAttributesA(path, plat::kFileAttributeNormal);
  files.DeleteFileA(path);
}
