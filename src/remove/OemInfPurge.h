// The handler of the OEM INF purge: deletes each file the finder accepts, at once.
#pragma once

#include "filesearch/CFileFinder.h"

// On FIND_EVENT_FOUND: clears the attributes of the accepted entry (the last of
// the finder's results) and deletes it; every other event is ignored. userValue
// is not used.
void DeleteFoundInfFile(CFileFinder* finder, int event, FindUserValue userValue);

// Sets params for one search of the purge: folder and every folder below it,
// names that contain ".inf", entries of any attributes the purge clears, and
// contents that name text.
void SetPurgeSearch(CFileFinderParams& params, const char* folder, const char* text);
