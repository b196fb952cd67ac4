// dump, date, dates and set-exif. Tags the engine does not know, which it reports on standard output,
// go to standard error for dump and are not reported by date, dates and set-exif, so that standard
// output carries only each command's result and standard error only its failures.
#include "CliCommands.h"

#include "CliDateText.h"
#include "CliJournal.h"
#include "CliReport.h"
#include "exif/Uexif.h"
#include "exif/Uexif_batch.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

int CommandDump(int argc, char** argv)
{
    if (argc != 1) {
        std::fprintf(stderr, "velmora-cli dump: give exactly one file\n");
        return kExitUsage;
    }
    CExif exif;
    if (!OpenExif(exif, argv[0], stderr))
        return kExitFailed;
    std::vector<char> text(20000);
    exif.DumpText(text.data(), DWORD(text.size()));
    std::fwrite(text.data(), 1, std::strlen(text.data()), stdout);
    return kExitOk;
}

int CommandDate(int argc, char** argv)
{
    if (argc >= 1 && std::strcmp(argv[0], "--") == 0) {  // "--" ends the (absent) options
        ++argv;
        --argc;
    }
    if (argc < 1) {
        std::fprintf(stderr, "velmora-cli date: give at least one file\n");
        return kExitUsage;
    }
    int nStatus = kExitOk;
    for (int i = 0; i < argc; ++i) {
        CExif exif;
        FILETIME ft{};
        if (!OpenExif(exif, argv[i])) {
            nStatus = kExitFailed;
        } else if (!exif.GetDateTime(ft)) {
            std::fprintf(stderr, "%s: no usable date\n", argv[i]);
            nStatus = kExitFailed;
        } else {
            std::printf("%s\t%s\n", FormatDateText(ft).c_str(), argv[i]);
        }
    }
    return nStatus;
}

int CommandDates(int argc, char** argv)
{
    if (argc >= 1 && std::strcmp(argv[0], "--") == 0) {
        ++argv;
        --argc;
    }
    if (argc < 1) {
        std::fprintf(stderr, "velmora-cli dates: give at least one file\n");
        return kExitUsage;
    }
    int nStatus = kExitOk;
    for (int i = 0; i < argc; ++i) {
        auto pExif = std::make_unique<CExif>();  // the tag table is large: not on the stack
        if (!OpenExif(*pExif, argv[i])) {
            nStatus = kExitFailed;
            continue;
        }
        std::vector<ExifDateListing> listing;
        pExif->ListDateCopies(listing);
        for (const ExifDateListing& l : listing)
            std::printf("%s\t%s\t%s\t%s\t%s\n", argv[i], l.strWhere.c_str(), l.strName.c_str(), l.strText.c_str(),
                        ExifDateAgreementText(l.agreement));
    }
    return nStatus;
}

int CommandSetExif(int argc, char** argv)
{
    bool abWanted[3] = {false, false, false};
    ExifBatchOptions options;
    int i = 0;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (argv[i][2] == '\0') {  // "--" ends the options
            ++i;
            break;
        }
        if (std::strcmp(argv[i], "--allow-hard-links") == 0) {
            options.bAllowHardLinks = true;
            continue;
        }
        if (!TakeDateTagOption(argv[i], abWanted)) {
            std::fprintf(stderr, "velmora-cli set-exif: unknown option %s\n", argv[i]);
            return kExitUsage;
        }
    }
    AllDateTagsUnlessChosen(abWanted);
    FILETIME ft{};
    if (i >= argc || !ParseDateText(argv[i], ft)) {
        std::fprintf(stderr, "velmora-cli set-exif: give a date as \"YYYY:MM:DD HH:MM:SS\" (years 1601 to 9999)\n");
        return kExitUsage;
    }
    if (++i >= argc) {
        std::fprintf(stderr, "velmora-cli set-exif: give at least one file\n");
        return kExitUsage;
    }
    // The dates inside are rewritten in place, all files together; each file keeps its time
    // stamp, so that the photograph does not look modified now.
    std::vector<ExifDateJob> jobs(std::size_t(argc - i));
    for (std::size_t k = 0; k < jobs.size(); ++k) {
        jobs[k].strPath = argv[i + int(k)];
        jobs[k].SetNewTime(ft);
        std::copy(abWanted, abWanted + 3, jobs[k].abWanted);
    }
    CliJournal journal(CommandText("set-exif", argv, i));
    options.beforeWrite = journal.Hook();
    if (!WriteDateBatch(jobs, options)) {
        journal.ReportFailure("set-exif");
        return kExitFailed;
    }
    int nStatus = kExitOk;
    for (const ExifDateJob& job : jobs) {
        if (!job.bOpened) {
            std::fprintf(stderr, "%s: %s\n", job.strPath.c_str(), OpenFailureText(job.strPath.c_str()).c_str());
            nStatus = kExitFailed;
            continue;
        }
        std::string line = job.strPath;
        const char* pszSep = ": ";
        for (int k = 0; k < 3; ++k) {
            if (abWanted[k]) {
                line += pszSep + TagReport(job.report, k, kDateTagNames[k]);
                pszSep = ", ";
            }
        }
        if (!job.bTimeSet)
            line += " (its time stamp could not be kept)";
        const bool bOk = job.report.AllWritten() && job.bTimeSet;
        std::fprintf(bOk ? stdout : stderr, "%s\n", line.c_str());
        if (!bOk)
            nStatus = kExitFailed;
    }
    return nStatus;
}
