// Walking the paths of a command line.
#include "CliPaths.h"

#include "platform/winerror.h"
#include "platform/winfile.h"
#include "platform/winrewrite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>
#include <utility>

namespace {

using FolderId = std::pair<std::uint64_t, std::uint64_t>;  // device, inode of a folder or file

bool IsFolder(const std::string& strPath)
{
    const DWORD dwAttributes = GetFileAttributesA(strPath.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A regular file that can be opened; else why not.
bool IsRegularFile(const std::string& strPath, std::string& strWhy)
{
    const int hFile = FileOpen(strPath.c_str(), FileOpenMode::ReadExisting);
    if (hFile != INVALID_FILE_HANDLE) {
        FileClose(hFile);
        return true;
    }
    // FileOpen refuses what is not a regular file with EINVAL.
    strWhy = GetLastError() == EINVAL ? "not a regular file (a pipe, a device or a socket)"
                                      : FormatErrorText(GetLastError());
    return false;
}

void Walk(const std::string& strFolder, std::set<FolderId>& walked, std::vector<std::string>& files)
{
    FileStamp stamp{};
    if (!FileGetStampByPath(strFolder.c_str(), &stamp) || !walked.insert({stamp.qwDevice, stamp.qwInode}).second)
        return;
    const std::string strPrefix = strFolder.back() == '/' ? strFolder : strFolder + "/";
    FolderSearch search;
    FindData data;
    for (bool bFound = search.First(strPrefix.c_str(), "*", &data); bFound; bFound = search.Next(&data)) {
        if (data.cFileName.empty() || data.cFileName[0] == '.')
            continue;
        const std::string strPath = strPrefix + data.cFileName;
        std::string strWhy;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Walk(strPath, walked, files);
        else if (IsRegularFile(strPath, strWhy))
            files.push_back(strPath);
    }
}

}  // namespace

bool CollectFiles(char** argv, int nArgs, bool bRecursive, std::vector<std::string>& files)
{
    bool bAllFound = true;
    std::set<FolderId> walked;
    for (int i = 0; i < nArgs; ++i) {
        const std::string strPath = argv[i];
        std::string strWhy;
        if (IsFolder(strPath)) {
            if (bRecursive) {
                Walk(strPath, walked, files);
                continue;
            }
            strWhy = "a folder (give -r to work on the files in it)";
        } else if (IsRegularFile(strPath, strWhy)) {
            files.push_back(strPath);
            continue;
        }
        std::fprintf(stderr, "%s: %s\n", strPath.c_str(), strWhy.c_str());
        bAllFound = false;
    }
    // A file reached twice (given twice, through a link, or inside a folder also given) is
    // worked on once: a second write from the same reading would find it changed.
    std::set<FolderId> seen;
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&seen](const std::string& strPath) {
                                   FileStamp stamp{};
                                   return FileGetStampByPath(strPath.c_str(), &stamp) &&
                                          !seen.insert({stamp.qwDevice, stamp.qwInode}).second;
                               }),
                files.end());
    return bAllFound;
}
