// history: the journal's records; undo: a record played backwards, byte for byte and time stamp
// for time stamp, on each file that still holds what was written (and is the same file).
#include "CliCommands.h"

#include "CliJournal.h"
#include "platform/winfile.h"
#include "platform/wintime.h"
#include "tx/UTxStamp.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kStampToleranceNs = 2000000000;

bool ReadJournal(const TxJournal& journal, TxJournalContents& contents, const char* pszCommand)
{
    std::string strError;
    if (!journal.Read(contents, strError)) {
        std::fprintf(stderr, "velmora-cli %s: %s\n", pszCommand, strError.c_str());
        return false;
    }
    if (contents.nSkippedParts > 0)
        std::fprintf(stderr, "velmora-cli %s: the journal %s is damaged: %llu bytes in %d places were skipped; "
                     "the records around them are read\n", pszCommand, journal.Path().c_str(),
                     static_cast<unsigned long long>(contents.qwSkippedBytes), contents.nSkippedParts);
    return true;
}

// A whole number from nMin on; false for anything else.
bool ParseCount(const char* pszText, long long nMin, long long& nValue)
{
    char* pEnd = nullptr;
    errno = 0;
    nValue = std::strtoll(pszText, &pEnd, 10);
    return pszText[0] != '\0' && *pEnd == '\0' && errno == 0 && nValue >= nMin && std::isdigit(
        static_cast<unsigned char>(pszText[0]));
}

std::string LocalTimeText(std::int64_t nWhen)
{
    const std::time_t t = std::time_t(nWhen);
    std::tm tm{};
    char sz[32] = "?";
    if (localtime_r(&t, &tm) != nullptr)
        std::strftime(sz, sizeof(sz), "%Y-%m-%d %H:%M:%S", &tm);
    return sz;
}

// Whether the file still holds the bytes that were written, and is the same file; else why not.
bool StillAsWritten(const TxJournalFile& entry, FileStamp& now, std::string& strWhy)
{
    if (!FileGetStampByPath(entry.strPath.c_str(), &now)) {
        strWhy = "it is gone";
        return false;
    }
    if (!now.SameFile(entry.stampBefore)) {
        strWhy = "another file stands under its name since it was written";
        return false;
    }
    if (entry.ranges.empty()) {
        // Only its time stamp was set: it must still show that time (within the 2 seconds a
        // FAT or exFAT card rounds it to).
        const std::int64_t nDiffNs = (now.nWriteSec - entry.nNewWriteSec) * 1000000000 + (now.nWriteNsec - entry.nNewWriteNsec);
        if (nDiffNs <= -kStampToleranceNs || nDiffNs >= kStampToleranceNs) {
            strWhy = "its time stamp was changed since it was written";
            return false;
        }
        return true;
    }
    if (now.qwSize != entry.stampBefore.qwSize) {
        strWhy = "its size changed since it was written";
        return false;
    }
    const int hFile = FileOpen(entry.strPath.c_str(), FileOpenMode::ReadExisting);
    if (hFile == INVALID_FILE_HANDLE) {
        strWhy = "it cannot be opened";
        return false;
    }
    bool bSame = true;
    std::vector<BYTE> abNow;
    for (const TxJournalRange& range : entry.ranges) {
        abNow.assign(range.abNew.size(), 0);
        std::uint32_t dwRead = 0;
        bSame = bSame && FileReadAt(hFile, range.qwOffset, abNow.data(), std::uint32_t(abNow.size()), &dwRead) &&
                dwRead == abNow.size() && abNow == range.abNew;
    }
    FileClose(hFile);
    if (!bSame)
        strWhy = "its bytes were changed since they were written";
    return bSame;
}

// The file's way back: the written ranges get their old bytes, the file its old time stamp.
TxFileRewrite Reversal(const TxJournalFile& entry, const FileStamp& now)
{
    TxFileRewrite file;
    file.strPath = entry.strPath;
    file.stampRead = now;
    file.bStampRead = true;
    file.bNewWriteTime = true;
    file.stampNew.nWriteSec = entry.stampBefore.nWriteSec;
    file.stampNew.nWriteNsec = entry.stampBefore.nWriteNsec;
    for (const TxJournalRange& range : entry.ranges) {
        TxPatch patch;
        patch.qwOffset = range.qwOffset;
        patch.abOld = range.abNew;
        patch.abNew = range.abOld;
        file.patches.push_back(std::move(patch));
    }
    return file;
}

struct UndoOptions {
    bool bDryRun = false;
    bool bAllowHardLinks = false;
};

// Plays one record backwards, its files in reverse order; false when any file was left alone.
bool UndoRecord(const TxJournalRecord& record, const UndoOptions& options)
{
    std::printf("undo of record %llu (%s, %s):\n", static_cast<unsigned long long>(record.qwId),
                LocalTimeText(record.nWhen).c_str(), record.strCommand.c_str());
    CliJournal journal("undo " + std::to_string(record.qwId) + ": " + record.strCommand, record.qwId);
    TxRewriteBatch batch;
    std::vector<std::size_t> stampOnly;  // index in the undo's record of each file of that kind
    bool bAllOk = true;
    for (auto it = record.files.rbegin(); it != record.files.rend(); ++it) {
        FileStamp now{};
        std::string strWhy;
        if (!StillAsWritten(*it, now, strWhy)) {
            std::fprintf(stderr, "%s: left as it is: %s\n", it->strPath.c_str(), strWhy.c_str());
            bAllOk = false;
        } else if (options.bDryRun) {
            std::printf("%s: would be restored (dry run)\n", it->strPath.c_str());
        } else if (it->ranges.empty()) {
            stampOnly.push_back(journal.Record().files.size());
            TxJournalAddStamp(journal.Record(), it->strPath, now, it->stampBefore.nWriteSec, it->stampBefore.nWriteNsec);
        } else {
            batch.files.push_back(Reversal(*it, now));
        }
    }
    if (options.bDryRun)
        return bAllOk;
    batch.beforeWrite = journal.Hook();
    TxRewriteOptions rewrite;
    rewrite.bAllowHardLinks = options.bAllowHardLinks;
    if (!batch.Run(rewrite)) {
        journal.ReportFailure("undo");
        return false;
    }
    for (const TxFileRewrite& file : batch.files) {
        const bool bOk = file.outcome == TxFileRewrite::Outcome::Done && file.bTimeSet &&
                         std::all_of(file.patches.begin(), file.patches.end(),
                                     [](const TxPatch& p) { return p.result == TxPatch::Result::Written; });
        if (bOk)
            std::printf("%s: restored\n", file.strPath.c_str());
        else
            std::fprintf(stderr, "%s: not restored: %s\n", file.strPath.c_str(),
                         file.outcome == TxFileRewrite::Outcome::Done ? "it changed while it was being restored"
                                                                       : TxRewriteOutcomeText(file.outcome));
        bAllOk = bAllOk && bOk;
    }
    for (std::size_t nEntry : stampOnly) {
        const TxJournalFile& file = journal.Record().files[nEntry];
        const bool bOk = TxSetWriteTime(file.strPath, file.stampBefore, file.nNewWriteSec, file.nNewWriteNsec) ==
                         TxStampResult::Set;
        std::fprintf(bOk ? stdout : stderr, "%s: %s\n", file.strPath.c_str(),
                     bOk ? "time stamp restored" : "time stamp not restored: it cannot be set by this user");
        bAllOk = bAllOk && bOk;
    }
    return bAllOk;
}

}  // namespace

int CommandHistory(int argc, char** argv)
{
    long long nPruneDays = -1;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--prune") == 0 && i + 1 < argc && ParseCount(argv[i + 1], 0, nPruneDays)) {
            ++i;
            continue;
        }
        std::fprintf(stderr, "velmora-cli history: %s (see velmora-cli history --help)\n",
                     std::strcmp(argv[i], "--prune") == 0 ? "--prune needs a number of days" : "unknown argument");
        return kExitUsage;
    }
    TxJournal journal;
    if (nPruneDays >= 0) {
        int nRemoved = 0;
        std::string strError;
        const std::int64_t nKeepFrom = std::int64_t(std::time(nullptr)) - std::min(nPruneDays, 1000000LL) * 86400;
        if (!journal.Prune(nKeepFrom, nRemoved, strError)) {
            std::fprintf(stderr, "velmora-cli history: %s\n", strError.c_str());
            return kExitFailed;
        }
        std::printf("%d records older than %lld days removed\n", nRemoved, nPruneDays);
        return kExitOk;
    }
    TxJournalContents contents;
    if (!ReadJournal(journal, contents, "history"))
        return kExitFailed;
    const std::vector<bool> undone = TxJournalUndone(contents.records);
    for (std::size_t i = 0; i < contents.records.size(); ++i) {
        const TxJournalRecord& r = contents.records[i];
        std::printf("%llu\t%s\t%zu file%s\t%s%s\n", static_cast<unsigned long long>(r.qwId),
                    LocalTimeText(r.nWhen).c_str(), r.files.size(), r.files.size() == 1 ? "" : "s",
                    r.strCommand.c_str(), undone[i] ? " (undone)" : "");
    }
    return contents.nSkippedParts > 0 ? kExitFailed : kExitOk;
}

int CommandUndo(int argc, char** argv)
{
    UndoOptions options;
    long long nCount = 1, nRecord = 0;
    bool bCountGiven = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "-n") == 0 || std::strcmp(argv[i], "--dry-run") == 0)
            options.bDryRun = true;
        else if (std::strcmp(argv[i], "--allow-hard-links") == 0)
            options.bAllowHardLinks = true;
        else if (std::strcmp(argv[i], "--record") == 0 && i + 1 < argc && ParseCount(argv[i + 1], 1, nRecord))
            ++i;
        else if (!bCountGiven && ParseCount(argv[i], 1, nCount))
            bCountGiven = true;
        else {
            std::fprintf(stderr, "velmora-cli undo: unknown argument %s (see velmora-cli undo --help)\n", argv[i]);
            return kExitUsage;
        }
    }
    TxJournal journal;
    TxJournalContents contents;
    if (!ReadJournal(journal, contents, "undo"))
        return kExitFailed;
    const std::vector<bool> undone = TxJournalUndone(contents.records);
    std::vector<const TxJournalRecord*> chosen;
    if (nRecord > 0) {
        // One record by its number: an undo too, which then is done again.
        std::size_t i = 0;
        while (i < contents.records.size() && contents.records[i].qwId != std::uint64_t(nRecord))
            ++i;
        if (i == contents.records.size()) {
            std::fprintf(stderr, "velmora-cli undo: the journal has no record %lld\n", nRecord);
            return kExitFailed;
        }
        if (undone[i]) {
            std::fprintf(stderr, "velmora-cli undo: record %lld was undone already\n", nRecord);
            return kExitFailed;
        }
        chosen.push_back(&contents.records[i]);
    } else {
        // The last records that are not undos and were not undone, newest first: each undo
        // steps one command further back.
        for (std::size_t i = contents.records.size(); i-- > 0 && chosen.size() < std::size_t(nCount);)
            if (!undone[i] && contents.records[i].qwUndoes == 0)
                chosen.push_back(&contents.records[i]);
        if (chosen.empty()) {
            std::fprintf(stderr, "velmora-cli undo: nothing to undo: the journal %s holds no record that was not "
                         "undone\n", journal.Path().c_str());
            return kExitFailed;
        }
    }
    bool bAllOk = contents.nSkippedParts == 0;
    for (const TxJournalRecord* pRecord : chosen)
        bAllOk = UndoRecord(*pRecord, options) && bAllOk;
    return bAllOk ? kExitOk : kExitFailed;
}
