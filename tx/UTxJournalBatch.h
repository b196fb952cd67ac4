// Filling a journal record from what a write is about to do, and the hook that writes it
// before a batch changes any byte.
#pragma once

#include "UTxJournal.h"
#include "UTxRewrite.h"

#include <functional>
#include <string>

// Each file of the batch that is about to be written: its ranges and the time it is to get. The
// journal keeps each path from the root, so that an undo from another folder finds the file.
void TxJournalAddBatch(TxJournalRecord& record, const TxRewriteBatch& batch);
// A file whose time stamp alone is about to change.
void TxJournalAddStamp(TxJournalRecord& record, const std::string& strPath, const FileStamp& stampBefore,
                       std::int64_t nNewWriteSec, std::int64_t nNewWriteNsec);

// For TxRewriteBatch::beforeWrite: adds the batch to the record and appends it; false (and the
// reason in strError) when the journal cannot be written, which stops the batch. A batch that
// changes nothing and a record without files append nothing.
std::function<bool(const TxRewriteBatch&)> TxJournalHook(TxJournal& journal, TxJournalRecord& record,
                                                         std::string& strError);
// Appends the record unless it has no files; the same rule as the hook.
bool TxJournalAppendIfAny(TxJournal& journal, TxJournalRecord& record, std::string& strError);
