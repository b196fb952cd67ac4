// The help button: the help page opened in the user's browser, or a word why it cannot be.
#include "Fmain.h"

#include "../platform/winfile.h"
#include "Ulang.h"
#include "UMessageBox.h"
#include "Uutils.h"

#include <string>

namespace {

constexpr const char* kHelpFileName = "Velmora.html";

bool IsFile(const std::string& strPath)
{
    const DWORD dwAttributes = GetFileAttributesA(strPath.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string Formatted(const char* pszFormat, const std::string& strPath)
{
    std::string strText(pszFormat);
    strText.replace(strText.find("%s"), 2, strPath);
    return strText;
}

}  // namespace

TxString HelpFileFor(const std::string& strExecutableFolder)
{
    const std::string strFolder = strExecutableFolder == "/" ? std::string() : strExecutableFolder;
    const std::string strBeside = strFolder + "/" + kHelpFileName;
    if (IsFile(strBeside))
        return TxString(strBeside.c_str());
    const std::size_t nSlash = strFolder.rfind('/');
    if (nSlash != std::string::npos) {
        const std::string strInstalled = strFolder.substr(0, nSlash) + "/share/velmora/" + kHelpFileName;
        if (IsFile(strInstalled))
            return TxString(strInstalled.c_str());
    }
    return TxString(strBeside.c_str());
}

void TFormMain::ButtonHelpClick()
{
    const std::string strHelp = HelpFileFor(ExecutableFolder().Text()).Text();
    std::string strReport;
    if (!IsFile(strHelp))
        strReport = Formatted(kHelpMissingText, strHelp);
    else if (!ShellOpen(this, strHelp.c_str()))
        strReport = Formatted(kHelpNoViewerText, strHelp);
    if (!strReport.empty())
        ShowMessageBox(this, strReport.c_str(), UiStrings[24], MsgButtons::Ok, MsgIcon::Information);
}
