// Reading the picture date of 1,000 camera-like files and rewriting their three date tags,
// with the EXIF engine and, on the same files in the same run, with exiftool and exiv2 where
// they are installed; the rewrite again on 200 of them whose dates are copied into XMP and
// IPTC; velmora-cli shift of the three dates, undo journal included, beside jhead -ta and
// exiftool -AllDates+=; then the memory one Open holds, for files of every size.
// (Raw files and videos: bench_formats.)
//   bench_exif [--files N] [--image-mb M] [--dir FOLDER]
#include "BenchFiles.h"
#include "BenchRun.h"
#include "BenchMemory.h"
#include "exif/Uexif.h"
#include "exif/Uexif_batch.h"
#include "platform/wintime.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace bench;

namespace {

struct OpenMemory {
    std::size_t peak, held;
    long rssDeltaKiB;
    bool bOpened;
};

OpenMemory MeasureOpen(const std::string& path)
{
    auto exif = std::make_unique<CExif>();  // the object itself: the fixed tag table
    exif->SetUnknownTagStream(nullptr);
    const std::size_t base = HeapInUse();
    const long rssBefore = long(ResidentKiB());
    ResetHeapPeak();
    const bool bOpened = exif->Open(path.c_str());
    return {HeapPeak() - base, HeapInUse() - base, long(ResidentKiB()) - rssBefore, bOpened};
}

}  // namespace

int main(int argc, char** argv)
{
    int nFiles = 1000;
    double imageMb = 3;
    std::string folder;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--files"))
            nFiles = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--image-mb"))
            imageMb = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--dir"))
            folder = argv[i + 1];
    }
    folder = BenchFolder(folder, "velmora-bench-exif-");

    auto start = Clock::now();
    const std::size_t cbImage = std::size_t(imageMb * 1024 * 1024);
    const std::vector<std::string> paths = MakeCameraFiles(folder, nFiles, cbImage);
    std::printf("%d files of %.1f MB image data each in %s (made in %.1f s)\n\n", nFiles, imageMb, folder.c_str(),
                Seconds(start));
    const std::string list = ArgFile(folder, paths);

    std::printf("Reading the picture date:\n");
    start = Clock::now();
    int nOk = 0;
    for (const std::string& p : paths) {
        CExif exif;
        FILETIME ft{};
        exif.SetUnknownTagStream(nullptr);
        nOk += exif.Open(p.c_str()) && exif.GetDateTime(ft);
    }
    const double ourRead = Seconds(start);
    Report("CExif Open + GetDateTime", nOk, nFiles, ourRead);
    start = Clock::now();
    nOk = BareReads(paths);
    const double bareRead = Seconds(start);
    Report("bare open, read of 64 KiB, close", nOk, nFiles, bareRead);
    double cliRead = 0;
    nOk = RunLines("xargs -a '" + list + "' -d '\\n' '" VELMORA_CLI "' date 2>/dev/null", cliRead);
    Report("velmora-cli date (one process)", nOk, nFiles, cliRead);

    double exiftoolRead = 0, exiv2Read = 0, exiftoolWrite = 0;
    const bool bExiftool = Installed("exiftool"), bExiv2 = Installed("exiv2");
    if (bExiftool) {
        nOk = RunLines("exiftool -q -fast2 -DateTimeOriginal -s3 -@ '" + list + "'", exiftoolRead);
        Report("exiftool -fast2 -DateTimeOriginal (one process)", nOk, nFiles, exiftoolRead);
    }
    if (bExiv2) {
        nOk = RunLines("xargs -a '" + list + "' -d '\\n' exiv2 -q -Pv -g Exif.Photo.DateTimeOriginal pr", exiv2Read);
        Report("exiv2 -g Exif.Photo.DateTimeOriginal pr (one process)", nOk, nFiles, exiv2Read);
    }

    std::printf("\nRewriting the three date tags:\n");
    const SYSTEMTIME st{2012, 6, 0, 15, 10, 20, 30, 0};
    FILETIME ftNew{};
    SystemTimeToFileTime(&st, &ftNew);
    start = Clock::now();
    nOk = 0;
    for (const std::string& p : paths) {
        CExif exif;
        ExifWriteReport report;
        exif.SetUnknownTagStream(nullptr);
        if (exif.Open(p.c_str())) {
            exif.WriteDateTags(ftNew, true, true, true, &report);
            nOk += report.AllWritten();
        }
    }
    const double ourWriteEach = Seconds(start);
    Report("CExif Open + WriteDateTags (each file flushed)", nOk, nFiles, ourWriteEach);
    // The batch the window and velmora-cli use: all files written, then flushed together.
    SystemTimeToFileTime(&st, &ftNew);
    std::vector<ExifDateJob> jobs(paths.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
        jobs[k].strPath = paths[k];
        jobs[k].SetNewTime(ftNew);
        jobs[k].abWanted[0] = jobs[k].abWanted[1] = jobs[k].abWanted[2] = true;
    }
    start = Clock::now();
    WriteDateBatch(jobs);
    const double ourWrite = Seconds(start);
    nOk = int(std::count_if(jobs.begin(), jobs.end(), [](const ExifDateJob& j) { return j.report.AllWritten(); }));
    Report("WriteDateBatch (written, then flushed together)", nOk, nFiles, ourWrite);
    // The command a user runs instead of jhead or exiftool: each file's own dates shifted by one
    // hour, with the undo journal written and flushed first (into a journal of its own here).
    // What earlier steps left unflushed is flushed first, untimed: the flush of the shift would
    // otherwise pay for it.
    std::fflush(stdout);
    if (std::system("sync") != 0)
        std::printf("  (sync failed)\n");
    double cliShift = 0;
    nOk = RunLines("XDG_STATE_HOME='" + folder + "/state' xargs -a '" + list + "' -d '\\n' '" VELMORA_CLI
                   "' shift +1:00", cliShift);
    Report("velmora-cli shift +1:00 (one process, journal included)", nOk, nFiles, cliShift);
    std::error_code journalError;
    const double journalBytes = double(std::filesystem::file_size(folder + "/state/velmora/journal", journalError));
    std::printf("  %-52s %6.0f bytes per file\n", "undo journal", journalError ? 0.0 : journalBytes / nFiles);
    double jheadWrite = 0;
    const bool bJhead = Installed("jhead");
    if (bJhead) {
        nOk = RunLines("xargs -a '" + list + "' -d '\\n' jhead -q -ta+1:00", jheadWrite) >= 0 ? nFiles : 0;
        Report("jhead -ta+1:00 (one process)", nOk, nFiles, jheadWrite);
    }
    if (bExiftool) {
        nOk = RunLines("exiftool -q -AllDates+=1 -overwrite_original -@ '" + list + "'", exiftoolWrite) == 0 ? nFiles : 0;
        Report("exiftool -AllDates+=1 -overwrite_original (one process)", nOk, nFiles, exiftoolWrite);
    }

    // The same write on files whose dates are copied into XMP and IPTC (with its digest): the
    // copies move too. The copies are added by exiftool (not timed), to the first files.
    double ourTextWrite = 0, exiftoolTextWrite = 0;
    if (bExiftool) {
        std::printf("\nRewriting the three date tags with their XMP and IPTC copies:\n");
        const std::vector<std::string> textPaths(paths.begin(), paths.begin() + std::min<std::size_t>(paths.size(), 200));
        const std::string textList = ArgFile(folder, textPaths);
        double made = 0;
        RunLines("exiftool -q -q -overwrite_original '-XMP-exif:DateTimeOriginal<DateTimeOriginal' "
                 "'-XMP-photoshop:DateCreated<DateTimeOriginal' '-XMP-xmp:CreateDate<CreateDate' "
                 "'-XMP-xmp:ModifyDate<ModifyDate' '-IPTC:DateCreated<DateTimeOriginal' '-IPTC:TimeCreated<DateTimeOriginal' "
                 "-IPTCDigest=new -@ '" + textList + "' 2>/dev/null", made);
        RunLines("sync", made);  // exiftool's rewrite of the files is not flushed in our time
        std::vector<ExifDateJob> textJobs(textPaths.size());
        for (std::size_t k = 0; k < textPaths.size(); ++k) {
            textJobs[k].strPath = textPaths[k];
            textJobs[k].SetNewTime(ftNew);
            textJobs[k].abWanted[0] = textJobs[k].abWanted[1] = textJobs[k].abWanted[2] = true;
        }
        start = Clock::now();
        WriteDateBatch(textJobs);
        ourTextWrite = Seconds(start);
        nOk = int(std::count_if(textJobs.begin(), textJobs.end(), [](const ExifDateJob& j) {
            return j.report.AllWritten() && std::count_if(j.report.copies.begin(), j.report.copies.end(), [](const ExifCopyReport& c) {
                       return c.szName[0] != 0 && c.result == ExifWriteResult::Written;
                   }) == 5;  // four XMP properties and the IPTC date with its time
        }));
        Report("WriteDateBatch (EXIF, XMP and IPTC copies)", nOk, int(textPaths.size()), ourTextWrite);
        nOk = RunLines("exiftool -q -AllDates+=1 -overwrite_original -@ '" + textList + "'", exiftoolTextWrite) == 0
                  ? int(textPaths.size())
                  : 0;
        Report("exiftool -AllDates+=1 -overwrite_original (one process)", nOk, int(textPaths.size()), exiftoolTextWrite);
    }

    std::printf("\nRatios (their time / ours, same files, same run):\n");
    Ratio("reading: bare read / CExif (target: ours within 1.25x)", bareRead * 1.25, ourRead, 1);
    if (bJhead) {
        Ratio("rewriting: jhead / WriteDateBatch", jheadWrite, ourWrite, 20);
        Ratio("shifting: jhead -ta+1:00 / velmora-cli shift", jheadWrite, cliShift, 20);
    }
    if (bExiftool) {
        Ratio("reading: exiftool / CExif", exiftoolRead, ourRead, 20);
        Ratio("reading: exiftool / velmora-cli", exiftoolRead, cliRead, 20);
    }
    if (bExiv2) {
        Ratio("reading: exiv2 / CExif", exiv2Read, ourRead, 2);
        Ratio("reading: exiv2 / velmora-cli", exiv2Read, cliRead, 2);
    }
    if (bExiftool) {
        Ratio("rewriting: exiftool / CExif", exiftoolWrite, ourWrite, 50);
        Ratio("shifting: exiftool -AllDates+=1 / velmora-cli shift", exiftoolWrite, cliShift, 50);
        Ratio("rewriting with XMP and IPTC: exiftool / WriteDateBatch", exiftoolTextWrite, ourTextWrite, 20);
    }

    std::printf("\nMemory one Open allocates (the object's own %zu-byte tag table aside):\n", sizeof(CExif));
    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"camera file", paths.front()},
        {"50 MB file, EXIF block at the start", MakeLargeFile(folder, 50u << 20, true)},
        {"50 MB file without EXIF block (searched to the end)", MakeLargeFile(folder, 50u << 20, false)},
    };
    for (const auto& c : cases) {
        const OpenMemory m = MeasureOpen(c.path);
        std::printf("  %-52s peak %7zu B, held after Open %6zu B, RSS %+ld KiB (%s; target 256 KiB: %s)\n", c.what,
                    m.peak, m.held, m.rssDeltaKiB, m.bOpened ? "opened" : "no block",
                    m.peak <= 256 * 1024 ? "met" : "NOT met");
    }

    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
