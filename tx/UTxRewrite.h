// The one write path of the program: rewrites a few bytes of many files in place, so that a
// file is never left half-known. For each file, before any byte changes: it is the same file
// that was read (device and inode), it has no other hard link (changing it would change every
// backup snapshot that shares it), and its times can be set (only its owner may: a user who may
// merely write it would otherwise leave it with the time of the rewrite). Each range is
// written only where the file still holds the bytes it held when it was read. Then every
// written file is flushed to its device, and only then are the time stamps set: kept as they
// were, or set to the time the caller asks for. A failed write, flush or close is reported
// as such, never as written.
#pragma once

#include "../platform/winrewrite.h"
#include "../platform/wintypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One byte range to rewrite: what the file held when it was read, and what it gets.
struct TxPatch {
    enum class Result { Pending, Written, Changed, Failed };
    std::uint64_t qwOffset = 0;
    std::vector<BYTE> abOld;
    std::vector<BYTE> abNew;  // as long as abOld
    int nCookie = 0;          // the caller's mark (which copy of which field)
    Result result = Result::Pending;
};

// One file's ranges and what happens to its time stamps.
struct TxFileRewrite {
    enum class Outcome {
        Pending,
        Done,             // every range reached its end state (written or changed since read)
        NotOpened,        // missing, not a regular file, locked, or not writable
        Replaced,         // another file stands under the name since it was read
        HardLinked,       // more than one name: left alone
        TimeNotSettable,  // its times cannot be set by this user: left alone
        WriteFailed,      // a write or the close failed
        FlushFailed,      // written, but the flush to the device failed
    };
    std::string strPath;
    std::vector<TxPatch> patches;
    // The file as it was read (device, inode, size and times); filled by Prepare when unset.
    FileStamp stampRead{};
    bool bStampRead = false;
    // After the flush: the times set on the file. Unset = the times it had are kept.
    bool bNewWriteTime = false;
    FileStamp stampNew{};  // nWriteSec/nWriteNsec used; the last-access time is kept
    Outcome outcome = Outcome::Pending;
    bool bTimeSet = false;         // the time stamp is what it should be after the rewrite
    FileStamp stampAfter{};        // the file's stamp as read back at the end
    bool AnyWritten() const;
};

struct TxRewriteOptions {
    bool bAllowHardLinks = false;
};

// A batch of files written together: all are written first, then flushed together (one flush
// per file system instead of one per file), then stamped.
class TxRewriteBatch {
public:
    std::vector<TxFileRewrite> files;
    // Called once, after every file's present state is known and before any byte of any file
    // changes; false stops the batch with nothing changed (a journal that cannot be written).
    std::function<bool(const TxRewriteBatch&)> beforeWrite;

    // False when beforeWrite refused; each file's outcome says what happened to it.
    bool Run(const TxRewriteOptions& options = {});

private:
    void Prepare(TxFileRewrite& file);
    void WriteFile(TxFileRewrite& file, const TxRewriteOptions& options, bool bFlushHere);
    void FlushAll();
    void StampAll();
};

const char* TxRewriteOutcomeText(TxFileRewrite::Outcome outcome);
