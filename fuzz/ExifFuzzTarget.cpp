// Fuzz target: any bytes, written to a scratch file, go through Open, GetDateTime, DumpText
// and WriteDateTags. Besides the sanitizers, it checks what the engine promises: the listing
// fits its buffer, and rewriting the dates changes nothing but the 19 characters of each date
// tag that was written, never the file's length.
#include "exif/Uexif.h"
#include "platform/wintime.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// One scratch file per process, removed at exit; in memory where the system offers a folder
// for that, since rewriting a file on disk thousands of times a second waits for the disk.
class ScratchFile {
public:
    ScratchFile()
    {
        std::random_device rd;
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
        m_dir = base /
                ("velmora-exif-fuzz-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(m_dir);
        m_path = (m_dir / "input.jpg").string();
    }
    ~ScratchFile()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    const std::string& Write(const std::uint8_t* pData, std::size_t cbData) const
    {
        std::ofstream f(m_path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(pData), std::streamsize(cbData));
        return m_path;
    }
    Bytes Read() const
    {
        std::ifstream f(m_path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path m_dir;
    std::string m_path;
};

void Require(bool bCondition)
{
    if (!bCondition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t cbData)
{
    static ScratchFile scratch;
    const std::string& path = scratch.Write(pData, cbData);

    CExif object;
    CExif* exif = &object;
    exif->SetUnknownTagStream(nullptr);
    if (!exif->Open(path.c_str()))
        return 0;

    FILETIME ft{};
    exif->GetDateTime(ft);

    std::vector<char> listing(20000, '#');
    exif->DumpText(listing.data(), DWORD(listing.size()));
    Require(std::memchr(listing.data(), 0, listing.size()) != nullptr);
    const DWORD dwSmall = DWORD(cbData % 300);
    if (dwSmall > 0) {
        exif->DumpText(listing.data(), dwSmall);
        Require(std::strlen(listing.data()) < dwSmall);
    }

    static const FILETIME ftNew = [] {
        const SYSTEMTIME st{2010, 1, 0, 2, 3, 4, 5, 0};
        FILETIME ft{};
        SystemTimeToFileTime(&st, &ft);
        return ft;
    }();
    ExifWriteReport report;
    exif->WriteDateTags(ftNew, true, true, true, &report);

    const Bytes after = scratch.Read();
    Require(after.size() == cbData);
    // Only the 19 bytes of each copy reported written may differ, and they hold the new text.
    std::vector<bool> mayChange(cbData, false);
    for (const ExifCopyReport& copy : report.copies) {
        if (copy.result != ExifWriteResult::Written)
            continue;
        Require(copy.qwFilePos + 19 <= cbData);
        Require(std::memcmp(after.data() + copy.qwFilePos, "2010:01:02 03:04:05", 19) == 0);
        for (DWORD k = 0; k < 19; ++k)
            mayChange[copy.qwFilePos + k] = true;
    }
    for (std::size_t i = 0; i < cbData; ++i)
        Require(mayChange[i] || after[i] == pData[i]);
    return 0;
}
