// The file list over a folder of 10,000 photographs: ScanFolder into the real list (offscreen)
// measured beside a bare directory read with a status read per entry of the same folder, in
// the same run, alternating, and the sort by each column. Prints the medians and the ratio of
// the scan to the bare read (target: at most 3), and the time from the start of the scan until
// the background reader's EXIF date of every file is shown, with its ratio to the scan.
//
// Run: bench_filelist [file count]
#include "app/Fmain.h"
#include "tests/exif/ExifFiles.h"

#include <QApplication>
#include <QTreeWidget>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 9;

double Milliseconds(const std::function<void()>& fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The least any listing of the folder costs: every entry read and its status taken once.
int BareReadAndStat(const fs::path& folder)
{
    int nFiles = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        nFiles += entry.status().type() == fs::file_type::regular;
    return nFiles;
}

}  // namespace

int main(int argc, char** argv)
{
    const int nFiles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setlocale(LC_ALL, "");

    char pattern[] = "/tmp/velmora-bench-list-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const fs::path folder = root / "Photos";
    fs::create_directory(folder);
    for (int i = 0; i < nFiles; ++i) {
        // Names and times in different orders, so that each sort has work to do.
        // Photographs with a camera's EXIF block, each with its own date.
        const fs::path file = folder / ("IMG_" + std::to_string((i * 7919) % nFiles) + ".JPG");
        char szDate[32];
        std::snprintf(szDate, sizeof szDate, "20%02d:%02d:%02d %02d:%02d:%02d", 10 + i % 10, 1 + i % 12,
                      1 + i % 28, i % 24, i % 60, (i / 60) % 60);
        const exiftest::Bytes bytes = exiftest::Jpeg(exiftest::Camera(false, {szDate, szDate, szDate}).Build());
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::seconds((i * 104729) % 86400000));
    }
    std::ofstream(root / "velmora.ini") << "[Settings]\nFolder=" << folder.string() << "\n";
    TFormMain::SetSettingsPath((root / "velmora.ini").c_str());

    {
        TFormMain form;
        form.show();  // its start-up scans once, which also warms the file system's caches
        form.WaitForExifDates();
        std::vector<double> bare, scan, dates;
        int nUnread = 0;
        for (int i = 0; i < kRounds; ++i) {
            bare.push_back(Milliseconds([&] { BareReadAndStat(folder); }));
            // The scan returns with the list shown; the dates follow from the background reader.
            const auto start = std::chrono::steady_clock::now();
            scan.push_back(Milliseconds([&] { form.ScanFolder(); }));
            form.WaitForExifDates();
            dates.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            nUnread += form.RowsWithUnreadExifDate() + form.RowsWithoutExifDate();
        }
        if (nUnread != 0)
            std::fprintf(stderr, "%d rows without their EXIF date\n", nUnread);
        if (form.ListViewFiles->topLevelItemCount() != nFiles)
            std::fprintf(stderr, "unexpected row count %d\n", form.ListViewFiles->topLevelItemCount());
        const double dBare = Median(bare);
        const double dScan = Median(scan);
        std::printf("files: %d\n", nFiles);
        std::printf("bare readdir+stat:   %8.2f ms\n", dBare);
        std::printf("ScanFolder:          %8.2f ms   ratio %.2f (target <= 3)\n", dScan, dScan / dBare);
        const double dDates = Median(dates);
        std::printf("every EXIF date shown: %6.2f ms   ratio to the scan %.2f, to the bare read %.2f\n", dDates,
                    dDates / dScan, dDates / dBare);

        const char* const names[] = {"by name (File)", "by original time", "by new time", "by EXIF date"};
        for (int nColumn = 0; nColumn < 4; ++nColumn) {
            std::vector<double> sort;
            for (int i = 0; i < kRounds; ++i) {
                form.ScanFolder();  // every sort starts from the enumeration order
                form.WaitForExifDates();
                sort.push_back(Milliseconds([&] { form.ListViewFilesColumnClick(nColumn); }));
            }
            std::printf("sort %-18s %8.2f ms   ratio to bare read %.2f\n", names[nColumn], Median(sort),
                        Median(sort) / dBare);
        }
        form.m_bChanged = false;
        form.close();
    }
    fs::remove_all(root);
    return 0;
}
