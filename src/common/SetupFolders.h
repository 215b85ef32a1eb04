// The folders every part of the setup builds its paths on.
#pragma once

#include "common/PathBuffer.h"
#include "platform/Platform.h"

// The medium folder: the current directory, a drive root ("E:\") cut after its
// colon so that a suffix beginning with a backslash can follow. Returns what
// GetCurrentDirectoryA returned; on failure (0, or a directory too long for the
// buffer) the buffer stays empty.
plat::DWORD ReadMediumFolder(plat::ISystem& system, PathBuffer* folder);

// GetWindowsDirectoryA / GetSystemDirectoryA into a buffer; the call's result.
// A result that does not fit leaves the buffer empty.
plat::UINT ReadWindowsFolder(plat::ISystem& system, PathBuffer* folder);
plat::UINT ReadSystemFolder(plat::ISystem& system, PathBuffer* folder);

// The staging folder: the Windows folder's drive letter + ":\VyxUZorp".
PathBuffer StagingFolder(plat::ISystem& system);

constexpr const char* kStagingFolderSuffix = ":\\VyxUZorp";
