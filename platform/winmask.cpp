#include "winmask.h"

#include <cstring>
#include <fnmatch.h>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitFileMask(const char* pszMask)
{
    std::vector<std::string> patterns;
    if (pszMask == nullptr)
        return patterns;
    const char* pAt = pszMask;
    for (;;) {
        const char* pEnd = std::strchr(pAt, ';');
        if (pEnd == nullptr)
            pEnd = pAt + std::strlen(pAt);
        const char* pFirst = pAt;
        const char* pLast = pEnd;
        while (pFirst < pLast && IsBlank(*pFirst))
            ++pFirst;
        while (pLast > pFirst && IsBlank(pLast[-1]))
            --pLast;
        if (pFirst < pLast)
            patterns.emplace_back(pFirst, pLast);
        if (*pEnd == '\0')
            return patterns;
        pAt = pEnd + 1;
    }
}

bool MatchesFileMask(const std::vector<std::string>& patterns, const char* pszName)
{
    for (const std::string& strPattern : patterns) {
        if (fnmatch(strPattern.c_str(), pszName, FNM_CASEFOLD) == 0)
            return true;
    }
    return false;
}
