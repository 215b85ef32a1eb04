// String-table loading (CString::LoadString of the framework).
#pragma once

#include <string>

#include "platform/Platform.h"

// String resource id; fallback when the resource cannot be loaded, so that no
// box or status line ever comes up blank.
std::string LoadResourceString(plat::IUi& ui, plat::UINT id, const char* fallback);
