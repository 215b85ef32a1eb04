// The two file operations every part shares.
#pragma once

#include "platform/Platform.h"

// CopyFileA, then, whatever its outcome, the target's read-only bit cleared
// (every other bit kept). Returns CopyFileA's result.
plat::BOOL CopyFileWritable(plat::IFileSystem& files, const char* source, const char* target,
                            plat::BOOL failIfExists);

// Clears the read-only bit of path, keeping the others; nothing when it is missing.
void ClearReadOnly(plat::IFileSystem& files, const char* path);

// SetFileAttributesA(FILE_ATTRIBUTE_NORMAL), then DeleteFileA; results ignored.
void RemoveFile(plat::IFileSystem& files, const char* path);
