// File masks of several patterns, such as "*.jpg;*.cr2;*.heic;*.mov".
#pragma once

#include <string>
#include <vector>

// The patterns of a mask, in their order: the text between semicolons, with the blanks around
// each taken off; empty patterns (";;", a trailing ";", an empty mask) are left out.
std::vector<std::string> SplitFileMask(const char* pszMask);

// True when the name matches any of the patterns, each a shell wildcard pattern ("*", "?",
// "[...]") compared without regard to the case of letters.
bool MatchesFileMask(const std::vector<std::string>& patterns, const char* pszName);
