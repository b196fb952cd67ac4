// A journal record from a planned batch.
#include "UTxJournalBatch.h"

#include "../platform/winfile.h"

#include <ctime>

void TxJournalAddBatch(TxJournalRecord& record, const TxRewriteBatch& batch)
{
    for (const TxFileRewrite& file : batch.files) {
        if (file.patches.empty() || !file.bStampRead || file.outcome != TxFileRewrite::Outcome::Pending)
            continue;
        TxJournalFile entry;
        entry.strPath = GetFullPathNameA(file.strPath);
        entry.stampBefore = file.stampRead;
        entry.bNewWriteTime = file.bNewWriteTime;
        entry.nNewWriteSec = file.bNewWriteTime ? file.stampNew.nWriteSec : file.stampRead.nWriteSec;
        entry.nNewWriteNsec = file.bNewWriteTime ? file.stampNew.nWriteNsec : file.stampRead.nWriteNsec;
        for (const TxPatch& patch : file.patches)
            entry.ranges.push_back(TxJournalRange{patch.qwOffset, patch.abOld, patch.abNew});
        record.files.push_back(std::move(entry));
    }
}

void TxJournalAddStamp(TxJournalRecord& record, const std::string& strPath, const FileStamp& stampBefore,
                       std::int64_t nNewWriteSec, std::int64_t nNewWriteNsec)
{
    TxJournalFile entry;
    entry.strPath = GetFullPathNameA(strPath);
    entry.stampBefore = stampBefore;
    entry.bNewWriteTime = true;
    entry.nNewWriteSec = nNewWriteSec;
    entry.nNewWriteNsec = nNewWriteNsec;
    record.files.push_back(std::move(entry));
}

bool TxJournalAppendIfAny(TxJournal& journal, TxJournalRecord& record, std::string& strError)
{
    if (record.files.empty())
        return true;
    if (record.nWhen == 0)
        record.nWhen = std::int64_t(std::time(nullptr));
    return journal.Append(record, strError);
}

std::function<bool(const TxRewriteBatch&)> TxJournalHook(TxJournal& journal, TxJournalRecord& record,
                                                         std::string& strError)
{
    return [&journal, &record, &strError](const TxRewriteBatch& batch) {
        TxJournalAddBatch(record, batch);
        return TxJournalAppendIfAny(journal, record, strError);
    };
}
