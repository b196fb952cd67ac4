// The batch of date rewrites.
#include "exif/Uexif_batch.h"

#include "platform/wintime.h"
#include "tx/UTxUtils.h"

#include <memory>

bool WriteDateBatch(std::vector<ExifDateJob>& jobs, const ExifBatchOptions& options)
{
    TxRewriteBatch batch;
    batch.files.resize(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ExifDateJob& job = jobs[i];
        TxFileRewrite& file = batch.files[i];
        file.strPath = job.strPath;
        auto pExif = std::make_unique<CExif>();  // the tag table is large: not on the stack
        pExif->SetUnknownTagStream(nullptr);
        // The file's state before it is read: a file that changes between the read and the
        // write is then found replaced or changed, never written from a stale read.
        file.bStampRead = FileGetStampByPath(job.strPath.c_str(), &file.stampRead);
        job.bOpened = file.bStampRead && pExif->Open(job.strPath.c_str());
        if (!job.bOpened) {
            TX_LOG("Cannot read EXIF from %s", job.strPath.c_str());
            continue;
        }
        pExif->SetShiftContainerTimes(job.bShiftContainerTimes);
        pExif->PlanDateTags(job.aftNew, job.abWanted, file, job.report);
        for (TxPatch patch : job.extraPatches) {
            patch.nCookie = -1;  // not a copy of a date: the report leaves it out
            file.patches.push_back(std::move(patch));
        }
        if (job.bSetWriteTime) {
            std::int64_t nSec = 0, nNsec = 0;
            file.bNewWriteTime = FileTimeToUnix(job.ftWriteUtc, &nSec, &nNsec);
            file.stampNew.nWriteSec = nSec;
            file.stampNew.nWriteNsec = nNsec;
        }
    }
    batch.beforeWrite = options.beforeWrite;
    TxRewriteOptions rewrite;
    rewrite.bAllowHardLinks = options.bAllowHardLinks;
    const bool bRan = batch.Run(rewrite);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ExifDateJob& job = jobs[i];
        const TxFileRewrite& file = batch.files[i];
        if (!job.bOpened)
            continue;
        CExif::SettleReport(file, job.report);
        const std::size_t nFirstExtra = file.patches.size() - job.extraPatches.size();
        for (std::size_t k = 0; k < job.extraPatches.size(); ++k)
            job.extraPatches[k].result = file.patches[nFirstExtra + k].result;
        job.outcome = file.patches.empty() ? TxFileRewrite::Outcome::Done : file.outcome;
        job.bAnyWritten = file.AnyWritten();
        job.bTimeSet = file.bTimeSet || !job.bAnyWritten;
        job.stampRead = file.stampRead;
        job.stampAfter = file.patches.empty() ? file.stampRead : file.stampAfter;
    }
    return bRan;
}
