// The folders the installation engine builds its paths on, read so that a
// folder too long for a path buffer is told apart from one that is empty.
#pragma once

#include "common/PathBuffer.h"
#include "platform/Platform.h"

// The medium folder (the current directory, a drive root cut after its colon).
// False when the current directory does not fit a path buffer: no path may be
// built on it. A failed read leaves the folder empty and counts as read, so the
// suffixes then name paths from the root of the current drive.
bool ReadMediumPath(plat::ISystem& system, PathBuffer* folder);

// The staging folder: the Windows folder's drive letter + ":\VyxUZorp". False
// when the Windows folder cannot be read or does not begin with a drive letter,
// since there is no drive to name then.
bool ReadStagingPath(plat::ISystem& system, PathBuffer* folder);

// folder + suffix, invalid when it does not fit.
PathBuffer JoinPath(const PathBuffer& folder, const char* suffix);
PathBuffer JoinPath(const PathBuffer& folder, const char* suffix1, const char* suffix2);
