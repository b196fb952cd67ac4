// Folder names and paths as the folder chooser shows and matches them.
#pragma once

#include "../tx/UTxStrings.h"

#include <cstddef>
#include <string_view>

// The name a folder is shown with: a name without lower-case letters keeps its first character
// and has the rest in lower case (DCIM is shown as Dcim, 100CANON as 100canon); any other name
// is shown unchanged.
TxString FolderDisplayName(const TxString& strName);

// True when both texts have the same length and differ at most in the case of A to Z; other
// characters, accented letters included, must match exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// strBase, a "/" unless strBase already ends in one, and strName.
TxString JoinPath(const TxString& strBase, std::string_view name);

// The length of strRoot when strPath lies in it (the path is the root itself or continues below
// it after a "/"), else 0.
std::size_t RootPrefixLength(std::string_view root, std::string_view path);

// Splits the first folder name off a path relative to some node: leading "/" are skipped, the
// name runs up to the next "/" and pRest receives what follows it.
std::string_view FirstPathName(std::string_view path, std::string_view* pRest);
