// velmora-cli history and undo: every write played backwards leaves each file byte for byte
// and time stamp for time stamp as it was; a file changed since, a record undone already and a
// damaged journal each get a clear, safe outcome.
#include "CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>

using namespace exiftest;

namespace {

struct timespec Mtime(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_mtim;
}

// The file's time stamp set to the nanosecond, so that a restore to the second would show.
void SetMtime(const std::string& path, long nSec, long nNsec)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {nSec, nNsec}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct File {
    std::string path;
    Bytes bytes;
    struct timespec mtime;
};

// Three photographs with odd time stamps, as they are before any write.
struct UndoTest : ::testing::Test {
    ScratchDir dir;
    std::vector<File> files;
    void SetUp() override
    {
        const Bytes photos[3] = {Jpeg(Camera(false).Build()), Jpeg(Camera(true).Build()),
                                 Jpeg(Camera(false, {"2010:05:06 07:08:09", "2010:05:06 07:08:09", ""}).Build())};
        for (int i = 0; i < 3; ++i) {
            const std::string path = dir.Write("p" + std::to_string(i) + ".jpg", photos[i]);
            SetMtime(path, 1100000000 + i, 123456789 + i);
            files.push_back(File{path, photos[i], Mtime(path)});
        }
    }
    std::string Paths() const
    {
        std::string text;
        for (const File& f : files)
            text += " " + Quote(f.path);
        return text;
    }
    void ExpectAsBefore(std::size_t i)
    {
        SCOPED_TRACE(files[i].path);
        EXPECT_EQ(ReadAll(files[i].path), files[i].bytes);
        EXPECT_EQ(Mtime(files[i].path).tv_sec, files[i].mtime.tv_sec);
        EXPECT_EQ(Mtime(files[i].path).tv_nsec, files[i].mtime.tv_nsec);
    }
};

}  // namespace

// Shifts, a time stamp from EXIF and an absolute date, then undone one by one and all at once.
TEST_F(UndoTest, EveryWriteUndoneLeavesEachFileAsItWas)
{
    const char* const writes[] = {"shift +1:00", "shift --file-time -- '-0:0:1 0:00'", "file-time",
                                  "set-exif --original '2011:02:03 04:05:06'", "shift '+1:2:0 0:00'"};
    for (const char* write : writes) {
        SCOPED_TRACE(write);
        EXPECT_LE(Cli(dir, std::string(write) + Paths(), "TZ=Europe/Prague").status, 1);
        const CliRun undo = Cli(dir, "undo");
        EXPECT_EQ(undo.status, 0) << undo.err;
        for (std::size_t i = 0; i < files.size(); ++i)
            ExpectAsBefore(i);
    }
    for (const char* write : writes)
        Cli(dir, std::string(write) + Paths(), "TZ=Europe/Prague");
    const CliRun all = Cli(dir, "undo 5", "TZ=Europe/Prague");
    EXPECT_EQ(all.status, 0) << all.err;
    for (std::size_t i = 0; i < files.size(); ++i)
        ExpectAsBefore(i);

    const CliRun history = Cli(dir, "history");
    EXPECT_EQ(history.status, 0);
    EXPECT_NE(history.out.find("\t3 files\tshift +1:00 (undone)\n"), std::string::npos) << history.out;
    EXPECT_NE(history.out.find("\t3 files\tundo 1: shift +1:00\n"), std::string::npos) << history.out;
}

// An undo is journalled too and can be undone in turn; a record undone already is not undone
// twice, and with nothing left to undo, undo says so.
TEST_F(UndoTest, UndoOfAnUndoAndASecondUndoOfTheSameRecord)
{
    ASSERT_EQ(Cli(dir, "shift +1:00" + Paths()).status, 0);  // p2 has no DateTimeDigitized: the others move
    const Bytes shifted = ReadAll(files[0].path);
    const CliRun dry = Cli(dir, "undo -n");
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find(files[0].path + ": would be restored (dry run)\n"), std::string::npos);
    EXPECT_EQ(ReadAll(files[0].path), shifted);
    ASSERT_EQ(Cli(dir, "undo").status, 0);
    ExpectAsBefore(0);

    const CliRun again = Cli(dir, "undo --record 1");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "velmora-cli undo: record 1 was undone already\n");
    const CliRun nothing = Cli(dir, "undo");
    EXPECT_EQ(nothing.status, 1);
    EXPECT_NE(nothing.err.find("nothing to undo"), std::string::npos);
    ExpectAsBefore(0);

    const CliRun redo = Cli(dir, "undo --record 2");
    EXPECT_EQ(redo.status, 0) << redo.err;
    EXPECT_EQ(ReadAll(files[0].path), shifted);
    ASSERT_EQ(Cli(dir, "undo").status, 0);  // the shift stands again, so it is the one undone
    ExpectAsBefore(0);
}

// A file changed or replaced since the write is named and left alone; the others are restored.
TEST_F(UndoTest, AFileChangedSinceIsLeftAlone)
{
    struct Case {
        const char* name;
        void (*change)(const std::string& path);
        const char* why;
    };
    const Case cases[] = {
        {"bytes changed in place",
         [](const std::string& path) {
             std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
             Bytes b = ReadAll(path);
             for (std::size_t i = 0; i + 19 <= b.size(); ++i)
                 if (std::string(b.begin() + long(i), b.begin() + long(i) + 19) == "2006:12:24 18:05:09") {
                     f.seekp(long(i));
                     f.write("1999", 4);
                 }
         },
         "its bytes were changed since they were written"},
        {"replaced by another file",
         [](const std::string& path) {
             const Bytes b = ReadAll(path);
             std::ofstream(path + ".new", std::ios::binary).write(reinterpret_cast<const char*>(b.data()), long(b.size()));
             std::filesystem::rename(path + ".new", path);
         },
         "another file stands under its name since it was written"},
        {"gone", [](const std::string& path) { std::filesystem::remove(path); }, "it is gone"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        for (File& f : files) {
            dir.Write(std::filesystem::path(f.path).filename(), f.bytes);
            SetMtime(f.path, f.mtime.tv_sec, f.mtime.tv_nsec);
        }
        ASSERT_EQ(Cli(dir, "shift +1:00 " + Quote(files[0].path) + " " + Quote(files[1].path)).status, 0);
        test.change(files[0].path);
        const Bytes changed = std::filesystem::exists(files[0].path) ? ReadAll(files[0].path) : Bytes{};
        const CliRun undo = Cli(dir, "undo");
        EXPECT_EQ(undo.status, 1);
        EXPECT_EQ(undo.err, files[0].path + ": left as it is: " + test.why + "\n");
        EXPECT_EQ(std::filesystem::exists(files[0].path) ? ReadAll(files[0].path) : Bytes{}, changed);
        ExpectAsBefore(1);
    }
}

// A journal cut short or damaged: the records that hold together are read and undone, and what
// was skipped is said.
TEST_F(UndoTest, ADamagedJournalIsReadAsFarAsItHoldsTogether)
{
    ASSERT_EQ(Cli(dir, "shift +1:00 " + Quote(files[0].path)).status, 0);
    ASSERT_EQ(Cli(dir, "shift +1:00 " + Quote(files[1].path)).status, 0);
    const std::string journal = dir.Path("state/velmora/journal");
    std::filesystem::resize_file(journal, std::filesystem::file_size(journal) - 10);  // the second record cut
    std::ofstream(journal, std::ios::binary | std::ios::app) << "VMJ1 garbage";

    const CliRun history = Cli(dir, "history");
    EXPECT_EQ(history.status, 1);
    EXPECT_NE(history.err.find("is damaged"), std::string::npos);
    EXPECT_NE(history.out.find("1 file\tshift +1:00\n"), std::string::npos);
    EXPECT_EQ(history.out.find("\n2\t"), std::string::npos);

    const CliRun undo = Cli(dir, "undo");
    EXPECT_EQ(undo.status, 1);
    EXPECT_NE(undo.err.find("were skipped"), std::string::npos);
    ExpectAsBefore(0);

    // Pruning keeps what is recent and drops the damage.
    const CliRun prune = Cli(dir, "history --prune 30");
    EXPECT_EQ(prune.status, 0) << prune.err;
    EXPECT_EQ(prune.out, "0 records older than 30 days removed\n");
    EXPECT_EQ(Cli(dir, "history").status, 0);
    EXPECT_EQ(Cli(dir, "history --prune 0").status, 0);
    for (const char* usage : {"history --prune", "history --prune -1", "history x", "undo 0", "undo x", "undo 1 2",
                              "undo --record"})
        EXPECT_EQ(Cli(dir, usage).status, 2) << usage;
}

// The journal keeps paths from the root: files shifted by relative names in one folder are
// restored by an undo run from another.
TEST_F(UndoTest, RelativePathsAreUndoneFromAnyFolder)
{
    const std::string shift = "cd " + Quote(dir.Dir().string()) + " && XDG_STATE_HOME=" + Quote(dir.Path("state")) +
                              " '" VELMORA_CLI "' shift --file-time +1:00 p0.jpg p1.jpg >/dev/null";
    ASSERT_EQ(Shell(shift), 0);
    ASSERT_NE(ReadAll(files[0].path), files[0].bytes);
    const CliRun undo = Cli(dir, "undo");
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_NE(undo.out.find(files[0].path + ": restored\n"), std::string::npos) << undo.out;
    ExpectAsBefore(0);
    ExpectAsBefore(1);
}
