// Rewriting the date tags of many files together: each file is read and its copies planned,
// then every file is written through the one write path, flushed together, and stamped.
#pragma once

#include "exif/Uexif.h"
#include "tx/UTxRewrite.h"

#include <functional>
#include <string>
#include <vector>

// One file of a batch, with what became of it.
struct ExifDateJob {
    std::string strPath;
    FILETIME aftNew[3] = {};        // the new local time of DateTime, DateTimeOriginal, DateTimeDigitized
    bool abWanted[3] = {};
    // After the flush, the file's last-write time becomes this (UTC); else the file keeps its
    // time stamp.
    bool bSetWriteTime = false;
    // A shift: the file's movie times and date texts each move by their tag's step (see
    // CExif::SetShiftContainerTimes) rather than all taking the tag's new time.
    bool bShiftContainerTimes = false;
    FILETIME ftWriteUtc{};
    // More ranges of the file written with its dates (the time-zone offsets a shift rewrites);
    // each one's result is filled in.
    std::vector<TxPatch> extraPatches;

    bool bOpened = false;           // the file has an EXIF block (else nothing was planned)
    ExifWriteReport report;
    TxFileRewrite::Outcome outcome = TxFileRewrite::Outcome::Pending;
    bool bAnyWritten = false;       // some bytes of the file changed
    bool bTimeSet = false;          // its time stamp is what was asked (set, or kept)
    FileStamp stampRead{};          // the file as it was read, and as it is at the end
    FileStamp stampAfter{};

    void SetNewTime(const FILETIME& ft) { aftNew[0] = aftNew[1] = aftNew[2] = ft; }
};

struct ExifBatchOptions {
    bool bAllowHardLinks = false;
    // Called with the planned batch before any file changes; false stops it with nothing
    // changed (a journal that cannot be written).
    std::function<bool(const TxRewriteBatch&)> beforeWrite;
};

// False when beforeWrite stopped the batch; each job says what became of its file.
bool WriteDateBatch(std::vector<ExifDateJob>& jobs, const ExifBatchOptions& options = {});
