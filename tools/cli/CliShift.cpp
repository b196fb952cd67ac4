// shift: each file's own dates moved by one offset (and to another time zone), written through
// the one batch write path after the journal record.
#include "CliCommands.h"

#include "CliDateText.h"
#include "CliJournal.h"
#include "CliOffset.h"
#include "CliOptions.h"
#include "CliPaths.h"
#include "CliReport.h"
#include "CliZone.h"
#include "exif/Uexif_batch.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDateTags[3] = {0x0132, 0x9003, 0x9004};

struct ShiftPlan {
    bool abWanted[3] = {};
    bool bTagsChosen = false;  // else all three, each shifted where the file has it
    bool bFileTime = false;
    ShiftOffset offset;
    ShiftZone zone;  // --zone
};

// One file's new dates; false (the reason named) when the file is to be left as it is.
bool PlanShift(const std::string& strPath, const ShiftPlan& plan, ExifDateJob& job, std::string& strLine,
               bool& bAllFound)
{
    auto pExif = std::make_unique<CExif>();  // the tag table is large: not on the stack
    if (!OpenExif(*pExif, strPath.c_str()))
        return false;
    std::string strMissing, strZones;
    FILETIME aftOld[3] = {};
    bool abHave[3] = {};
    std::int64_t anZoneShift[3] = {};
    if (plan.zone.bGiven && !PlanShiftZone(*pExif, plan.abWanted, plan.zone, job, anZoneShift, strZones)) {
        std::fprintf(stderr, "%s: no OffsetTime tags: the time zone the camera was set to is not known; the file "
                     "is left as it is\n", strPath.c_str());
        return false;
    }
    for (int k = 0; k < 3; ++k) {
        const ExifTagEntry* pTag = pExif->FindTag(kDateTags[k]);
        // A video without EXIF dates shifts its creation and modification times.
        abHave[k] = pExif->GetTagDate(k, aftOld[k]);
        if (!plan.abWanted[k])
            continue;
        if (!abHave[k]) {
            if (plan.bTagsChosen)
                strMissing += std::string(strMissing.empty() ? "" : ", ") + kDateTagNames[k] +
                              (pTag != nullptr && pTag->bPresent ? " holds no date" : " not found");
            continue;
        }
        job.aftNew[k] = aftOld[k];
        const ShiftOffset zoneShift{anZoneShift[k] < 0 ? -1 : +1, 0, 0, anZoneShift[k] < 0 ? -anZoneShift[k] : anZoneShift[k]};
        if (!ApplyShiftOffset(job.aftNew[k], plan.offset) || !ApplyShiftOffset(job.aftNew[k], zoneShift)) {
            std::fprintf(stderr, "%s: %s %s shifted gives a date that does not exist or lies outside 1601-9999; "
                         "the file is left as it is\n", strPath.c_str(), kDateTagNames[k], FormatDateText(aftOld[k]).c_str());
            return false;
        }
        job.abWanted[k] = true;
        strLine += std::string(strLine.empty() ? "" : ", ") + kDateTagNames[k] + " " + FormatDateText(aftOld[k]) +
                   " -> " + FormatDateText(job.aftNew[k]);
    }
    strLine += strZones;
    if (!plan.bTagsChosen && !abHave[0] && !abHave[1] && !abHave[2])
        strMissing = "no date to shift";
    if (!strMissing.empty()) {
        std::fprintf(stderr, "%s: %s\n", strPath.c_str(), strMissing.c_str());
        bAllFound = false;
    }
    if (plan.bFileTime) {
        // The time stamp follows DateTimeOriginal as it is after the shift.
        const FILETIME* pOriginal = job.abWanted[1] ? &job.aftNew[1] : abHave[1] ? &aftOld[1] : nullptr;
        if (pOriginal == nullptr || !StampForLocal(strPath, *pOriginal, job.ftWriteUtc)) {
            std::fprintf(stderr, "%s: no DateTimeOriginal to set the time stamp from; the time stamp is kept\n",
                         strPath.c_str());
            bAllFound = false;
        } else {
            job.bSetWriteTime = true;
            strLine += std::string(strLine.empty() ? "" : ", ") + "time stamp " + FormatDateText(*pOriginal);
        }
    }
    job.strPath = strPath;
    job.bShiftContainerTimes = true;
    return job.abWanted[0] || job.abWanted[1] || job.abWanted[2];
}

// What became of a written file: its line on standard output, or on standard error when any
// chosen date was not written in full.
bool ReportShift(const ExifDateJob& job, const std::string& strPlanned)
{
    std::string strFailed;
    for (int k = 0; k < 3; ++k)
        if (job.abWanted[k] && job.report.aResult[k] != ExifWriteResult::Written)
            strFailed += (strFailed.empty() ? "" : ", ") + TagReport(job.report, k, kDateTagNames[k]);
    for (const TxPatch& patch : job.extraPatches)
        if (patch.result != TxPatch::Result::Written)
            strFailed += std::string(strFailed.empty() ? "" : ", ") + "a time-zone offset was not written (" +
                         (patch.result == TxPatch::Result::Changed ? "the file changed meanwhile" : TxRewriteOutcomeText(job.outcome)) + ")";
    if (!job.bTimeSet)
        strFailed += std::string(strFailed.empty() ? "" : ", ") + "its time stamp could not be set";
    if (strFailed.empty())
        std::printf("%s: %s\n", job.strPath.c_str(), strPlanned.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", job.strPath.c_str(), strFailed.c_str());
    return strFailed.empty();
}

}  // namespace

int CommandShift(int argc, char** argv)
{
    ShiftPlan plan;
    CommonOptions common;
    int i = 0;
    for (; i < argc && IsOption(argv[i]); ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            ++i;
            break;
        }
        if (common.ParseOption(argv[i]))
            continue;
        if (std::strcmp(argv[i], "--file-time") == 0) {
            plan.bFileTime = true;
            continue;
        }
        if (std::strncmp(argv[i], "--zone", 6) == 0 && (argv[i][6] == '=' || argv[i][6] == '\0')) {
            const char* pszZone = argv[i][6] == '=' ? argv[i] + 7 : (i + 1 < argc ? argv[++i] : "");
            if (!ParseShiftZone(pszZone, plan.zone)) {
                std::fprintf(stderr, "velmora-cli shift: give the zone as +HH:MM or -HH:MM (at most 14 hours), not %s\n",
                             pszZone);
                return kExitUsage;
            }
            continue;
        }
        if (!TakeDateTagOption(argv[i], plan.abWanted)) {
            std::fprintf(stderr, "velmora-cli shift: unknown option %s (see velmora-cli shift --help)\n", argv[i]);
            return kExitUsage;
        }
    }
    plan.bTagsChosen = plan.abWanted[0] || plan.abWanted[1] || plan.abWanted[2];
    AllDateTagsUnlessChosen(plan.abWanted);
    if (i >= argc || !ParseShiftOffset(argv[i], plan.offset)) {
        std::fprintf(stderr, "velmora-cli shift: give the shift as [+|-][[Y:]M:D ]H:M[:S], such as +1:00 or "
                             "\"-0:0:1 0:00\"%s%s\n", i < argc ? ", not " : "", i < argc ? argv[i] : "");
        return kExitUsage;
    }
    const int nOptions = ++i;
    if (i >= argc) {
        std::fprintf(stderr, "velmora-cli shift: give at least one file\n");
        return kExitUsage;
    }
    std::vector<std::string> paths;
    bool bAllOk = CollectFiles(argv + i, argc - i, common.bRecursive, paths);
    std::vector<ExifDateJob> jobs;
    std::vector<std::string> lines;
    for (const std::string& strPath : paths) {
        ExifDateJob job;
        std::string strLine;
        if (!PlanShift(strPath, plan, job, strLine, bAllOk)) {
            bAllOk = false;
            continue;
        }
        if (common.bDryRun)
            std::printf("%s: %s (not written: dry run)\n", strPath.c_str(), strLine.c_str());
        jobs.push_back(std::move(job));
        lines.push_back(std::move(strLine));
    }
    if (common.bDryRun || jobs.empty())
        return bAllOk ? kExitOk : kExitFailed;
    CliJournal journal(CommandText("shift", argv, nOptions));
    ExifBatchOptions options;
    options.bAllowHardLinks = common.bAllowHardLinks;
    options.beforeWrite = journal.Hook();
    if (!WriteDateBatch(jobs, options)) {
        journal.ReportFailure("shift");
        return kExitFailed;
    }
    for (std::size_t k = 0; k < jobs.size(); ++k)
        bAllOk = ReportShift(jobs[k], lines[k]) && bAllOk;
    return bAllOk ? kExitOk : kExitFailed;
}
