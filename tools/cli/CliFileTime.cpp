// file-time: each file's time stamp set from its EXIF date, as "time from EXIF" and Apply do,
// after the journal record; the bytes of the file stay as they are.
#include "CliCommands.h"

#include "CliDateText.h"
#include "CliJournal.h"
#include "CliOptions.h"
#include "CliPaths.h"
#include "CliReport.h"
#include "app/UexifDate.h"
#include "platform/wintime.h"
#include "tx/UTxStamp.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
