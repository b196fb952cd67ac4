// One journal record per command.
#include "CliJournal.h"

#include <cstdio>

CliJournal::CliJournal(std::string strCommand, std::uint64_t qwUndoes)
{
    m_record.strCommand = std::move(strCommand);
    m_record.qwUndoes = qwUndoes;
}

void CliJournal::ReportFailure(const char* pszCommand) const
{
    std::fprintf(stderr, "velmora-cli %s: the undo journal cannot be written (%s); no file was changed\n", pszCommand,
                 m_strError.c_str());
}

std::string CommandText(const char* pszCommand, char** argv, int nArgs)
{
    std::string text = pszCommand;
    for (int i = 0; i < nArgs; ++i)
        text += std::string(" ") + argv[i];
    return text;
}
