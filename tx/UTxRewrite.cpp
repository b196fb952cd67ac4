// The in-place write path: prepare, write, flush, stamp.
#include "UTxRewrite.h"

#include "../platform/winfile.h"
#include "UTxUtils.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// A batch of one file flushes that file; a larger batch flushes each file system once, which
// costs one device flush instead of one per file.
constexpr std::size_t kFlushEachUpTo = 1;

bool Writable(const TxFileRewrite& file)
{
    return !file.patches.empty() && file.outcome == TxFileRewrite::Outcome::Pending;
}

}  // namespace

bool TxFileRewrite::AnyWritten() const
{
    return std::any_of(patches.begin(), patches.end(),
                       [](const TxPatch& p) { return p.result == TxPatch::Result::Written; });
}

const char* TxRewriteOutcomeText(TxFileRewrite::Outcome outcome)
{
    switch (outcome) {
    case TxFileRewrite::Outcome::Pending: return "not written";
    case TxFileRewrite::Outcome::Done: return "written";
    case TxFileRewrite::Outcome::NotOpened: return "could not be opened for writing";
    case TxFileRewrite::Outcome::Replaced: return "replaced by another file since it was read";
    case TxFileRewrite::Outcome::HardLinked: return "has other hard links";
    case TxFileRewrite::Outcome::TimeNotSettable: return "its time stamp cannot be set by this user";
    case TxFileRewrite::Outcome::WriteFailed: return "could not be written";
    case TxFileRewrite::Outcome::FlushFailed: return "could not be flushed to the device";
    }
    return "";
}

void TxRewriteBatch::Prepare(TxFileRewrite& file)
{
    if (file.bStampRead)
        return;
    if (!FileGetStampByPath(file.strPath.c_str(), &file.stampRead)) {
        TX_LOG("TxRewriteBatch: cannot read the state of %s", file.strPath.c_str());
        file.outcome = TxFileRewrite::Outcome::NotOpened;
        return;
    }
    file.bStampRead = true;
}

bool TxRewriteBatch::Run(const TxRewriteOptions& options)
{
    std::size_t nWritable = 0;
    for (TxFileRewrite& file : files) {
        if (file.patches.empty())
            continue;
        Prepare(file);
        nWritable += Writable(file) ? 1 : 0;
    }
    if (beforeWrite && !beforeWrite(*this)) {
        TX_LOG("TxRewriteBatch: stopped before writing: nothing was changed");
        return false;
    }
    const bool bFlushEach = nWritable <= kFlushEachUpTo;
    for (TxFileRewrite& file : files)
        if (Writable(file))
            WriteFile(file, options, bFlushEach);
    if (!bFlushEach)
        FlushAll();
    StampAll();
    return true;
}

void TxRewriteBatch::WriteFile(TxFileRewrite& file, const TxRewriteOptions& options, bool bFlushHere)
{
    const char* pszPath = file.strPath.c_str();
    const int hFile = FileOpen(pszPath, FileOpenMode::ReadWriteExisting);
    if (hFile == INVALID_FILE_HANDLE) {
        TX_LOG("TxRewriteBatch: cannot open %s for writing", pszPath);
        file.outcome = TxFileRewrite::Outcome::NotOpened;
        return;
    }
    FileStamp now{};
    auto leave = [&](TxFileRewrite::Outcome outcome, const char* pszWhy) {
        TX_LOG("TxRewriteBatch: %s left as it was: %s", pszPath, pszWhy);
        file.outcome = outcome;
        FileClose(hFile);
    };
    if (!FileGetStamp(hFile, &now) || !now.SameFile(file.stampRead))
        return leave(TxFileRewrite::Outcome::Replaced, "another file stands under its name");
    if (now.qwLinks > 1 && !options.bAllowHardLinks)
        return leave(TxFileRewrite::Outcome::HardLinked, "it has other hard links");
    // Setting the present times back changes nothing, but tells whether the times can be set
    // at all, before any byte changes.
    if (!FileSetStampTimes(hFile, now))
        return leave(TxFileRewrite::Outcome::TimeNotSettable, "its times cannot be set by this user");

    bool bFailed = false;
    std::vector<BYTE> abNow;
    for (TxPatch& patch : file.patches) {
        abNow.assign(patch.abOld.size(), 0);
        std::uint32_t dwRead = 0;
        if (!FileReadAt(hFile, patch.qwOffset, abNow.data(), std::uint32_t(abNow.size()), &dwRead)) {
            patch.result = TxPatch::Result::Failed;
            bFailed = true;
            continue;
        }
        if (dwRead != abNow.size() || abNow != patch.abOld) {
            TX_LOG("TxRewriteBatch: %s changed at %llu since it was read", pszPath,
                   static_cast<unsigned long long>(patch.qwOffset));
            patch.result = TxPatch::Result::Changed;
            continue;
        }
        if (!FileWriteAt(hFile, patch.qwOffset, patch.abNew.data(), std::uint32_t(patch.abNew.size()))) {
            TX_LOG("TxRewriteBatch: writing %s at %llu failed", pszPath,
                   static_cast<unsigned long long>(patch.qwOffset));
            patch.result = TxPatch::Result::Failed;
            bFailed = true;
            continue;
        }
        patch.result = TxPatch::Result::Written;
    }
    // Kept times go back at once: whether the new bytes survive a power cut or not, the file
    // then shows the time it had.
    if (!file.bNewWriteTime && file.AnyWritten())
        file.bTimeSet = FileSetStampTimes(hFile, file.stampRead);
    if (bFlushHere && file.AnyWritten() && !FileSyncData(hFile)) {
        TX_LOG("TxRewriteBatch: flushing %s failed", pszPath);
        file.outcome = TxFileRewrite::Outcome::FlushFailed;
    }
    if (!FileCloseChecked(hFile)) {
        TX_LOG("TxRewriteBatch: closing %s failed", pszPath);
        bFailed = true;
    }
    if (file.outcome == TxFileRewrite::Outcome::Pending)
        file.outcome = bFailed ? TxFileRewrite::Outcome::WriteFailed : TxFileRewrite::Outcome::Done;
}

// One flush per file system that holds a written file; a failure counts for every file there.
void TxRewriteBatch::FlushAll()
{
    std::map<std::uint64_t, bool> flushed;  // device -> flush succeeded
    for (TxFileRewrite& file : files) {
        if (file.outcome != TxFileRewrite::Outcome::Done || !file.AnyWritten())
            continue;
        auto it = flushed.find(file.stampRead.qwDevice);
        if (it == flushed.end()) {
            const int hFile = FileOpen(file.strPath.c_str(), FileOpenMode::ReadExisting);
            const bool bOk = hFile != INVALID_FILE_HANDLE && FileSyncFileSystem(hFile);
            if (hFile != INVALID_FILE_HANDLE)
                FileClose(hFile);
            it = flushed.emplace(file.stampRead.qwDevice, bOk).first;
        }
        if (!it->second) {
            TX_LOG("TxRewriteBatch: flushing the file system of %s failed", file.strPath.c_str());
            file.outcome = TxFileRewrite::Outcome::FlushFailed;
        }
    }
}

// New time stamps are set only once the bytes they go with are on the device; every file's
// stamp is read back, so the caller can show what the file system really keeps.
void TxRewriteBatch::StampAll()
{
    for (TxFileRewrite& file : files) {
        if (file.outcome == TxFileRewrite::Outcome::Done && file.bNewWriteTime && file.AnyWritten()) {
            FileStamp stamp = file.stampRead;
            stamp.nWriteSec = file.stampNew.nWriteSec;
            stamp.nWriteNsec = file.stampNew.nWriteNsec;
            file.bTimeSet = FileSetStampTimesByPath(file.strPath.c_str(), stamp);
            if (!file.bTimeSet)
                TX_LOG("TxRewriteBatch: setting the time of %s failed", file.strPath.c_str());
        } else if (!file.AnyWritten()) {
            file.bTimeSet = true;  // nothing changed: the time is the one it had
        } else if (file.bNewWriteTime) {
            // Written in part, or not flushed: the file gets back the time it had rather than
            // the time of the write, so that its original time is never lost.
            FileSetStampTimesByPath(file.strPath.c_str(), file.stampRead);
        }
        if (!FileGetStampByPath(file.strPath.c_str(), &file.stampAfter))
            file.stampAfter = file.stampRead;
    }
}
