// Reading the beginning (or all, or one stretch) of a regular file into memory, with a size limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Reads at most cbLimit bytes from the start of the regular file pszPath into *pData (replaced)
// and reports the file's size as it was when opened in *pqwFileSize. False, with the last error
// set, when the path cannot be opened or read or is not a regular file (a folder, a pipe or a
// device is refused without blocking). A file that grows or shrinks while it is read yields
// what could be read, never more than cbLimit bytes.
bool ReadFileHead(const char* pszPath, std::size_t cbLimit, std::vector<std::uint8_t>* pData,
                  std::uint64_t* pqwFileSize);

// Reads the cbLength bytes from qwOffset of the regular file pszPath into *pData (replaced),
// fewer when the file ends sooner (none when it ends before qwOffset), and reports the file's
// size as ReadFileHead does. False as ReadFileHead is.
bool ReadFileRange(const char* pszPath, std::uint64_t qwOffset, std::size_t cbLength,
                   std::vector<std::uint8_t>* pData, std::uint64_t* pqwFileSize);
