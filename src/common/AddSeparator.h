#pragma once

#include <string>

// Appends one separator, "\" (slash false) or "/" (slash true), unless text is
// empty or already ends in either.
std::string AddSeparator(std::string text, bool slash);
