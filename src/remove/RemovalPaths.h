// Paths of the files the removal deletes, built on the Windows and system
// folders. A folder that cannot be read gives no path at all: the fixed
// suffixes alone would name files at the root of the current drive.
#pragma once

#include <initializer_list>
#include <string_view>

#include "common/PathBuffer.h"
#include "platform/Platform.h"

namespace removal {

// False when the folder could not be read (or does not fit a path buffer).
bool WindowsFolder(plat::ISystem& system, PathBuffer* folder);
bool SystemFolder(plat::ISystem& system, PathBuffer* folder);

// folder followed by the parts; invalid when the result does not fit.
PathBuffer Join(const PathBuffer& folder, std::initializer_list<std::string_view> parts);

// Removes folder + each suffix in turn (attributes reset, then deleted).
void RemoveFilesIn(plat::IFileSystem& files, const PathBuffer& folder,
                   std::initializer_list<const char*> suffixes);

}  // namespace removal
