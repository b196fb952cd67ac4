// A folder or picture named on the command line, as a file manager's "Open with" passes it: the
// window lists that folder (the picture's folder, with the picture selected) instead of the one
// kept in the settings.
#include "Fmain.h"

#include "../platform/winfile.h"

#include <QTreeWidget>

#include <string>

void TFormMain::SetStartPath(const char* pszPath)
{
    m_strStartPath = pszPath != nullptr ? pszPath : "";
}

void TFormMain::ApplyStartFolder()
{
    m_strStartName = TxString();
    std::string strPath = m_strStartPath.Text();
    if (strPath.empty())
        return;
    while (strPath.size() > 1 && strPath.back() == '/')
        strPath.pop_back();
    const DWORD dwAttributes = GetFileAttributesA(strPath.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        return;  // gone: the folder of the settings stays
    if ((dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        m_strFolder = strPath.c_str();
        return;
    }
    const std::size_t nSlash = strPath.rfind('/');
    const std::string strFolder = nSlash == std::string::npos ? "." : nSlash == 0 ? "/" : strPath.substr(0, nSlash);
    m_strFolder = strFolder.c_str();
    m_strStartName = strPath.substr(nSlash == std::string::npos ? 0 : nSlash + 1).c_str();
}

void TFormMain::SelectStartFile()
{
    if (m_strStartName.IsEmpty())
        return;
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i) {
        QTreeWidgetItem* pItem = ListViewFiles->topLevelItem(i);
        if (FileOfRow(pItem)->m_strName.Equals(m_strStartName.Text())) {
            ListViewFiles->setCurrentItem(pItem);  // selects it, and so previews it
            ListViewFiles->scrollToItem(pItem);
            break;
        }
    }
}
