// Folder names and paths as the folder chooser shows and matches them.
#include "FolderNames.h"

#include <string>

namespace {

// Bytes taken by the UTF-8 character that starts at the beginning of the text (at least one, so
// that a name which is not valid UTF-8 still keeps its first byte).
int FirstCharacterLength(const char* pszText, int nLength)
{
    int n = 1;
    while (n < nLength && (static_cast<unsigned char>(pszText[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

TxString FolderDisplayName(const TxString& strName)
{
    TxString strUpper(strName);
    strUpper.ToUpper();
    if (strName.IsEmpty() || !strUpper.Equals(strName))
        return strName;
    int nFirst = FirstCharacterLength(strName.Text(), strName.Length());
    TxString strRest(strName.Text() + nFirst);
    strRest.ToLower();
    TxString strDisplay(strName);
    strDisplay.SetLength(nFirst);
    strDisplay.Append(strRest);
    return strDisplay;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    }
    return true;
}

TxString JoinPath(const TxString& strBase, std::string_view name)
{
    TxString strPath(strBase);
    if (strPath.IsEmpty() || strPath.Text()[strPath.Length() - 1] != '/')
        strPath.Append("/");
    strPath.Append(std::string(name).c_str());
    return strPath;
}

std::size_t RootPrefixLength(std::string_view root, std::string_view path)
{
    if (root.empty() || path.substr(0, root.size()) != root)
        return 0;
    if (path.size() == root.size() || root.back() == '/' || path[root.size()] == '/')
        return root.size();
    return 0;
}

std::string_view FirstPathName(std::string_view path, std::string_view* pRest)
{
    std::size_t nStart = path.find_first_not_of('/');
    if (nStart == std::string_view::npos) {
        *pRest = std::string_view();
        return std::string_view();
    }
    path.remove_prefix(nStart);
    std::size_t nSlash = path.find('/');
    if (nSlash == std::string_view::npos) {
        *pRest = std::string_view();
        return path;
    }
    *pRest = path.substr(nSlash + 1);
    return path.substr(0, nSlash);
}
