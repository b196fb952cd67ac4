// shift: each file's own dates moved by one offset; file-time: each file's time stamp set from
// its EXIF date. Both write through the one batch write path, after the journal record.
#include "CliCommands.h"

#include "CliDateText.h"
#include "CliJournal.h"
#include "CliOffset.h"
#include "CliPaths.h"
#include "CliReport.h"
#include "app/UexifDate.h"
#include "exif/Uexif_batch.h"
#include "platform/winfile.h"
#include "platform/wintime.h"
#include "tx/UTxStamp.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDateTags[3] = {0x0132, 0x9003, 0x9004};

// The options both commands share; ParseOption takes one and says whether it was one of them.
struct CommonOptions {
    bool bRecursive = false;
    bool bDryRun = false;
    bool bAllowHardLinks = false;
    bool ParseOption(const char* pszArg)
    {
        if (std::strcmp(pszArg, "-r") == 0 || std::strcmp(pszArg, "--recursive") == 0)
            return bRecursive = true;
        if (std::strcmp(pszArg, "-n") == 0 || std::strcmp(pszArg, "--dry-run") == 0)
            return bDryRun = true;
        if (std::strcmp(pszArg, "--allow-hard-links") == 0)
            return bAllowHardLinks = true;
        return false;
    }
};

// An option, as opposed to an offset ("-1:00") or a file: "-" and a letter or a second "-".
bool IsOption(const char* pszArg)
{
    return pszArg[0] == '-' && (pszArg[1] == '-' || std::isalpha(static_cast<unsigned char>(pszArg[1])));
}

// The file's time stamp for a local date: with the offset in force at that date; in the hour
// the clocks show twice, the occurrence nearer the file's present time stamp.
bool StampForLocal(const std::string& strPath, const FILETIME& ftLocal, FILETIME& ftUtc)
{
    FILETIME ftNow{};
    const bool bNow = GetFileLastWriteTime(strPath.c_str(), &ftNow);
    return LocalFileTimeToFileTimeNear(&ftLocal, bNow ? &ftNow : nullptr, &ftUtc);
}

struct ShiftPlan {
    bool abWanted[3] = {};
    bool bFileTime = false;
    ShiftOffset offset;
    bool bZone = false;       // --zone: the camera's offsets are replaced by this one
    int nZoneMinutes = 0;
    char szZone[7] = {};
};

const char* const kZoneNames[3] = {"OffsetTime", "OffsetTimeOriginal", "OffsetTimeDigitized"};

// The minutes of an offset text of the shape "+HH:MM".
int ZoneMinutes(const char* pszText)
{
    const int nMinutes = ((pszText[1] - '0') * 10 + (pszText[2] - '0')) * 60 + (pszText[4] - '0') * 10 + (pszText[5] - '0');
    return pszText[0] == '-' ? -nMinutes : nMinutes;
}

// "+HH:MM" or "-HH:MM", at most 14 hours (the widest offset in use).
bool ParseZone(const char* pszText, ShiftPlan& plan)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (std::strlen(pszText) != 6 || (pszText[0] != '+' && pszText[0] != '-') || !digit(pszText[1]) ||
        !digit(pszText[2]) || pszText[3] != ':' || !digit(pszText[4]) || !digit(pszText[5]))
        return false;
    const int nMinutes = ZoneMinutes(pszText);
    if (nMinutes > 14 * 60 || nMinutes < -14 * 60 || pszText[4] > '5')
        return false;
    plan.bZone = true;
    plan.nZoneMinutes = nMinutes;
    std::memcpy(plan.szZone, pszText, 6);
    return true;
}

// With --zone: each chosen date moves by the difference between the new zone and its own offset
// (OffsetTimeOriginal's when it has none), and every offset of a chosen date is rewritten. False
// when the file holds no offset at all: its zone is not known.
bool PlanZone(const CExif& exif, const ShiftPlan& plan, ExifDateJob& job, std::int64_t anZoneShift[3],
              std::string& strLine)
{
    const ExifZoneOffset* apZone[3] = {};
    for (const ExifZoneOffset& zone : exif.ZoneOffsets())
        if (apZone[zone.nDate] == nullptr)
            apZone[zone.nDate] = &zone;
    for (int k = 0; k < 3; ++k) {
        const ExifZoneOffset* pZone = apZone[k] ? apZone[k] : apZone[1];
        if (plan.abWanted[k] && pZone == nullptr)
            return false;
        anZoneShift[k] = pZone ? std::int64_t(plan.nZoneMinutes - ZoneMinutes(pZone->szText)) * 60 : 0;
    }
    for (const ExifZoneOffset& zone : exif.ZoneOffsets()) {
        if (!plan.abWanted[zone.nDate] || std::memcmp(zone.szText, plan.szZone, 6) == 0)
            continue;
        TxPatch patch;
        patch.qwOffset = zone.qwFilePos;
        patch.abOld.assign(zone.szText, zone.szText + 6);
        patch.abNew.assign(plan.szZone, plan.szZone + 6);
        job.extraPatches.push_back(std::move(patch));
        strLine += std::string(", ") + kZoneNames[zone.nDate] + " " + zone.szText + " -> " + plan.szZone;
    }
    return true;
}

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
    if (plan.bZone && !PlanZone(*pExif, plan, job, anZoneShift, strZones)) {
        std::fprintf(stderr, "%s: no OffsetTime tags: the time zone the camera was set to is not known; the file "
                     "is left as it is\n", strPath.c_str());
        return false;
    }
    for (int k = 0; k < 3; ++k) {
        const ExifTagEntry* pTag = pExif->FindTag(kDateTags[k]);
        abHave[k] = pTag != nullptr && pTag->bPresent && pExif->ParseDateTag(*pTag, aftOld[k]);
        if (!plan.abWanted[k])
            continue;
        if (!abHave[k]) {
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
            if (!ParseZone(pszZone, plan)) {
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

int CommandFileTime(int argc, char** argv)
{
    CommonOptions common;
    int i = 0;
    for (; i < argc && IsOption(argv[i]); ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            ++i;
            break;
        }
        if (!common.ParseOption(argv[i])) {
            std::fprintf(stderr, "velmora-cli file-time: unknown option %s (see velmora-cli file-time --help)\n",
                         argv[i]);
            return kExitUsage;
        }
    }
    if (i >= argc) {
        std::fprintf(stderr, "velmora-cli file-time: give at least one file\n");
        return kExitUsage;
    }
    std::vector<std::string> paths;
    bool bAllOk = CollectFiles(argv + i, argc - i, common.bRecursive, paths);
    CliJournal journal(CommandText("file-time", argv, i));
    struct Line {
        std::string strPath, strDate;
        int nEntry;  // its file in the journal record; -1 when its time stamp is right already
    };
    std::vector<Line> lines;
    for (const std::string& strPath : paths) {
        const ExifDateInfo info = ReadExifDate(strPath.c_str());
        FILETIME ftUtc{};
        FileStamp stamp{};
        std::int64_t nSec = 0, nNsec = 0;
        if (!info.HasDate()) {
            std::fprintf(stderr, "%s: %s\n", strPath.c_str(),
                         info.state == ExifDateState::NoExif ? OpenFailureText(strPath.c_str()).c_str()
                                                              : "no DateTimeOriginal or DateTime that holds a date");
            bAllOk = false;
            continue;
        }
        if (!StampForLocal(strPath, info.ft, ftUtc) || !FileTimeToUnix(ftUtc, &nSec, &nNsec) ||
            !FileGetStampByPath(strPath.c_str(), &stamp)) {
            std::fprintf(stderr, "%s: %s has no time stamp in this time zone\n", strPath.c_str(),
                         FormatDateText(info.ft).c_str());
            bAllOk = false;
            continue;
        }
        const std::string strDate = FormatDateText(info.ft);
        if (common.bDryRun) {
            std::printf("%s: %s (not written: dry run)\n", strPath.c_str(), strDate.c_str());
            continue;
        }
        const bool bChange = stamp.nWriteSec != nSec || stamp.nWriteNsec != nNsec;
        lines.push_back(Line{strPath, strDate, bChange ? int(journal.Record().files.size()) : -1});
        if (bChange)
            TxJournalAddStamp(journal.Record(), strPath, stamp, nSec, nNsec);
    }
    if (!journal.Append()) {
        journal.ReportFailure("file-time");
        return kExitFailed;
    }
    for (const Line& line : lines) {
        TxStampResult result = TxStampResult::Set;
        if (line.nEntry >= 0) {
            const TxJournalFile& file = journal.Record().files[std::size_t(line.nEntry)];
            result = TxSetWriteTime(file.strPath, file.stampBefore, file.nNewWriteSec, file.nNewWriteNsec);
        }
        if (result == TxStampResult::Set) {
            std::printf("%s: %s\n", line.strPath.c_str(), line.strDate.c_str());
            continue;
        }
        std::fprintf(stderr, "%s: %s\n", line.strPath.c_str(),
                     result == TxStampResult::Replaced ? "replaced by another file since it was read"
                                                       : "its time stamp cannot be set by this user");
        bAllOk = false;
    }
    return bAllOk ? kExitOk : kExitFailed;
}
