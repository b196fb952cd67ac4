// Reading the date of 1,000 raw files and 100 videos of 100 MB each beside a bare open, read of
// 64 KiB and close of the same files, and rewriting their dates in place beside exiftool, which
// rewrites each whole file (timed on a part of the same files; figures compared per file).
//   bench_formats [--raws N] [--videos N] [--raw-mb M] [--video-mb M]
//                 [--exiftool-raws N] [--exiftool-videos N] [--dir FOLDER]
#include "BenchRun.h"
#include "FormatFiles.h"
#include "exif/Uexif.h"
#include "exif/Uexif_batch.h"
#include "platform/wintime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace bench;

namespace {

int ReadDates(const std::vector<std::string>& paths)
{
    int nOk = 0;
    for (const std::string& p : paths) {
        auto exif = std::make_unique<CExif>();
        FILETIME ft{};
        exif->SetUnknownTagStream(nullptr);
        nOk += exif->Open(p.c_str()) && exif->GetDateTime(ft);
    }
    return nOk;
}

// The fastest of three runs: the files are in the page cache for both sides alike.
double Fastest(const std::vector<std::string>& paths, int (*read)(const std::vector<std::string>&), int& nOk)
{
    double best = 1e9;
    for (int k = 0; k < 3; ++k) {
        const auto start = Clock::now();
        nOk = read(paths);
        best = std::min(best, Seconds(start));
    }
    return best;
}

// The dates a file of the kind carries: a video has no DateTimeDigitized.
double WriteAll(const std::vector<std::string>& paths, bool bVideo, int& nOk)
{
    const SYSTEMTIME st{2019, 5, 0, 6, 8, 8, 9, 0};
    FILETIME ftNew{};
    SystemTimeToFileTime(&st, &ftNew);
    std::vector<ExifDateJob> jobs(paths.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
        jobs[k].strPath = paths[k];
        jobs[k].SetNewTime(ftNew);
        jobs[k].abWanted[0] = jobs[k].abWanted[1] = true;
        jobs[k].abWanted[2] = !bVideo;
    }
    const auto start = Clock::now();
    WriteDateBatch(jobs);
    const double seconds = Seconds(start);
    nOk = int(std::count_if(jobs.begin(), jobs.end(), [](const ExifDateJob& j) { return j.bOpened && j.report.AllWritten(); }));
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    int nRaws = 1000, nVideos = 100, nToolRaws = 100, nToolVideos = 10;
    double rawMb = 25, videoMb = 100;
    std::string given;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* a = argv[i];
        const char* v = argv[i + 1];
        if (!std::strcmp(a, "--raws")) nRaws = std::atoi(v);
        else if (!std::strcmp(a, "--videos")) nVideos = std::atoi(v);
        else if (!std::strcmp(a, "--raw-mb")) rawMb = std::atof(v);
        else if (!std::strcmp(a, "--video-mb")) videoMb = std::atof(v);
        else if (!std::strcmp(a, "--exiftool-raws")) nToolRaws = std::atoi(v);
        else if (!std::strcmp(a, "--exiftool-videos")) nToolVideos = std::atoi(v);
        else if (!std::strcmp(a, "--dir")) given = v;
    }
    const std::string folder = BenchFolder(given, "velmora-bench-formats-");
    auto start = Clock::now();
    const std::vector<std::string> raws = MakeRawFiles(folder, nRaws, std::uint64_t(rawMb * 1048576));
    const std::vector<std::string> videos = MakeVideos(folder, nVideos, std::uint64_t(videoMb * 1048576));
    std::printf("%d raw files of %.0f MB and %d videos of %.0f MB in %s (sparse; made in %.1f s)\n\n", nRaws, rawMb,
                nVideos, videoMb, folder.c_str(), Seconds(start));
    std::vector<std::string> all = raws;
    all.insert(all.end(), videos.begin(), videos.end());

    std::printf("Reading the date:\n");
    int nOk = 0;
    const double bare = Fastest(all, BareReads, nOk);
    Report("bare open, read of 64 KiB, close", nOk, int(all.size()), bare);
    const double ours = Fastest(all, ReadDates, nOk);
    Report("CExif Open + GetDateTime", nOk, int(all.size()), ours);
    const double oursRaw = Fastest(raws, ReadDates, nOk);
    Report("  of which the raw files", nOk, nRaws, oursRaw);
    const double oursVideo = Fastest(videos, ReadDates, nOk);
    Report("  of which the videos", nOk, nVideos, oursVideo);

    std::printf("\nRewriting the dates in place:\n");
    const double writeRaw = WriteAll(raws, false, nOk);
    Report("WriteDateBatch, raw files (three dates)", nOk, nRaws, writeRaw);
    const double writeVideo = WriteAll(videos, true, nOk);
    Report("WriteDateBatch, videos (creation and modification)", nOk, nVideos, writeVideo);

    double toolRaw = 0, toolVideo = 0;
    const bool bExiftool = Installed("exiftool");
    nToolRaws = std::min(nToolRaws, nRaws);
    nToolVideos = std::min(nToolVideos, nVideos);
    if (bExiftool && nToolRaws > 0 && nToolVideos > 0) {
        const std::string rawList = ArgFile(folder, {raws.begin(), raws.begin() + nToolRaws}, "raws.txt");
        const std::string videoList = ArgFile(folder, {videos.begin(), videos.begin() + nToolVideos}, "videos.txt");
        nOk = RunLines("exiftool -q -AllDates+=1 -overwrite_original -@ '" + rawList + "'", toolRaw) == 0 ? nToolRaws : 0;
        Report("exiftool -AllDates+=1 -overwrite_original, raw files", nOk, nToolRaws, toolRaw);
        nOk = RunLines("exiftool -q -overwrite_original -CreateDate+=1 -ModifyDate+=1 -TrackCreateDate+=1 "
                       "-TrackModifyDate+=1 -MediaCreateDate+=1 -MediaModifyDate+=1 -Keys:CreationDate+=1 -@ '" +
                           videoList + "'",
                       toolVideo) == 0
                  ? nToolVideos
                  : 0;
        Report("exiftool the same dates, videos", nOk, nToolVideos, toolVideo);
    }

    std::printf("\nRatios (same files, same run):\n");
    Ratio("reading: bare read x 1.5 / CExif (ours within 1.5x)", bare * 1.5, ours, 1);
    if (bExiftool && nToolRaws > 0 && nToolVideos > 0) {
        Ratio("rewriting per raw file: exiftool / WriteDateBatch", toolRaw / nToolRaws, writeRaw / nRaws, 20);
        Ratio("rewriting per video: exiftool / WriteDateBatch", toolVideo / nToolVideos, writeVideo / nVideos, 20);
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    return 0;
}
