#include "userfolders.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsFolder(const std::string& strPath)
{
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HomeFolder()
{
    const char* pszHome = std::getenv("HOME");
    if (pszHome != nullptr && pszHome[0] == '/')
        return pszHome;
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* pFound = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &pFound) == 0 && pFound != nullptr &&
        pFound->pw_dir != nullptr && pFound->pw_dir[0] == '/')
        return pFound->pw_dir;
    return std::string();
}

// A relative XDG_* value is not valid and is passed over, as the base-directory rules say.
std::string XdgFolder(const char* pszVariable, const char* pszUnderHome)
{
    const char* pszValue = std::getenv(pszVariable);
    if (pszValue != nullptr && pszValue[0] == '/')
        return pszValue;
    const std::string strHome = HomeFolder();
    if (strHome.empty())
        return std::string();
    return strHome + (strHome.back() == '/' ? "" : "/") + pszUnderHome;
}

}  // namespace

bool IsFolderWritable(const char* pszFolder)
{
    return pszFolder != nullptr && IsFolder(pszFolder) && access(pszFolder, W_OK) == 0;
}

std::string UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }
std::string UserStateFolder() { return XdgFolder("XDG_STATE_HOME", ".local/state"); }

bool CreateFolderPath(const std::string& strFolder)
{
    if (strFolder.empty())
        return false;
    // Every folder from the top down: the ones that exist are passed, the others made.
    for (std::size_t nSlash = strFolder.find('/', 1);; nSlash = strFolder.find('/', nSlash + 1)) {
        const std::string strPart = strFolder.substr(0, nSlash);
        if (!strPart.empty() && mkdir(strPart.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (nSlash == std::string::npos)
            break;
    }
    return IsFolder(strFolder);
}
