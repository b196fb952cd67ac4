// The undo journal as the writing commands use it: one record per command, written before any
// file changes; a journal that cannot be written stops the command with nothing changed.
#pragma once

#include "tx/UTxJournalBatch.h"

#include <string>

class CliJournal {
public:
    // The command as history lists it: its name and options, without the files.
    explicit CliJournal(std::string strCommand, std::uint64_t qwUndoes = 0);
    TxJournalRecord& Record() { return m_record; }
    // For a batch's beforeWrite: appends the record with the batch's files.
    std::function<bool(const TxRewriteBatch&)> Hook() { return TxJournalHook(m_journal, m_record, m_strError); }
    // For commands that change time stamps only.
    bool Append() { return TxJournalAppendIfAny(m_journal, m_record, m_strError); }
    // "velmora-cli shift: the undo journal cannot be written (...); no file was changed".
    void ReportFailure(const char* pszCommand) const;

private:
    TxJournal m_journal;
    TxJournalRecord m_record;
    std::string m_strError;
};

// The options of a command line joined into the text history shows: "shift --original +1:00".
std::string CommandText(const char* pszCommand, char** argv, int nArgs);
