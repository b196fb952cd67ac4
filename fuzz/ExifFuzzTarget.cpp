// Fuzz target: any bytes, written to a scratch file, go through Open (and with it the container
// reader their first bytes choose: JPEG, TIFF-based raw, PNG, WebP, ISO base media),
// GetDateTime, DumpText, ListDateCopies, the embedded-JPEG locator and a write of the three
// dates; the same bytes go to the XMP and IPTC readers as a packet and as Photoshop resources,
// and to the ISO base media box reader whatever they start with. Besides the sanitizers, it checks what the engine
// promises: the listing fits its buffer, every text copy found lies in its input, and
// rewriting the dates changes nothing but the ranges of the copies reported written (each EXIF
// copy to the new date text, each XMP or IPTC text in its digits only, the IPTC digest),
// never the file's length; a checksum (a PNG chunk's CRC) that held before the write holds after it.
#include "exif/Uexif.h"
#include "exif/Uexif_preview.h"
#include "exif/Ufilesource.h"
#include "exif/Ureaders.h"
#include "exif/Uiptc.h"
#include "exif/Uisomedia.h"
#include "exif/Umemsource.h"
#include "exif/Uxmp.h"
#include "platform/wintime.h"
#include "tx/UTxRewrite.h"

#include <algorithm>
#include <cctype>
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

    // The readers on the raw bytes: each text found is where it says.
    std::vector<exif::TextDateCopy> copies;
    std::vector<exif::IptcDigest> digests;
    exif::FindXmpDates(pData, cbData, 0, "XMP", false, copies);
    exif::FindIptcDates(pData, cbData, 0, copies, digests);
    for (const exif::TextDateCopy& c : copies)
        for (const exif::TextDatePart& part : c.parts)
            Require(part.qwFilePos + part.strOld.size() <= cbData &&
                    std::memcmp(pData + part.qwFilePos, part.strOld.data(), part.strOld.size()) == 0);
    for (const exif::IptcDigest& d : digests)
        Require(d.qwDigestPos + 16 <= cbData && d.qwRecordPos + d.record.size() <= cbData);

    // The box reader on the raw bytes, and the reader their first bytes choose: every place
    // they report lies inside them.
    const auto inside = [cbData](std::uint64_t qwOffset, std::uint64_t qwLength) {
        return qwOffset <= cbData && qwLength <= cbData - qwOffset;
    };
    // (The box reader places only TIFF structures that hold a header; a chunk reader may hand
    // over a shorter one, which the walk then finds too short.)
    const auto requireInside = [&inside](const exif::ContainerLayout& layout, std::uint64_t qwMinTiff) {
        for (const exif::TiffPlace& t : layout.tiff)
            Require(inside(t.qwOffset, t.qwLength) && t.qwLength >= qwMinTiff);
        for (const exif::XmpPlace& x : layout.xmp)
            Require(inside(x.qwOffset, x.qwLength));
        for (const exif::MovieTimeField& m : layout.movieTimes)
            Require(inside(m.qwOffset, std::uint64_t(m.nBytes)) && (m.nBytes == 4 || m.nBytes == 8));
        for (const exif::TextTimeField& t : layout.textTimes)
            Require(inside(t.qwOffset, t.dwLength));
        Require(inside(layout.qwJpegOffset, layout.qwJpegLength));
    };
    exif::MemoryByteSource source(pData, cbData);
    exif::ContainerLayout isoLayout;
    exif::LocateIsoMedia(source, isoLayout);
    requireInside(isoLayout, 8);
    std::uint64_t qwJpeg = 0, qwJpegLength = 0;
    if (ExifFindEmbeddedJpeg(path.c_str(), &qwJpeg, &qwJpegLength))
        Require(qwJpeg + qwJpegLength <= cbData && qwJpegLength >= 4 && pData[qwJpeg] == 0xFF && pData[qwJpeg + 1] == 0xD8);
    exif::ContainerLayout before;
    exif::LocateContainer(source, before);
    requireInside(before, 0);

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
    std::vector<ExifDateListing> dates;
    exif->ListDateCopies(dates);

    ExifWriteReport report;
    const bool abAll[3] = {true, true, true};
    TxRewriteBatch batch;
    batch.files.emplace_back();
    exif->PlanDateTags(ftNew, abAll, batch.files.back(), report);
    batch.Run();
    CExif::SettleReport(batch.files.back(), report);

    const Bytes after = scratch.Read();
    Require(after.size() == cbData);
    // Only the ranges of copies reported written may differ, and they hold what was planned.
    std::vector<bool> mayChange(cbData, false);
    for (const TxPatch& patch : batch.files.back().patches) {
        if (std::any_of(before.checksums.begin(), before.checksums.end(),
                        [&](const exif::ChecksumPlace& sum) { return sum.qwCrcOffset == patch.qwOffset; })) {
            // A checksum that follows the copies inside its stretch: checked below.
            Require(patch.abNew.size() == 4 && patch.qwOffset + 4 <= cbData);
            for (std::size_t k = 0; k < 4; ++k)
                mayChange[patch.qwOffset + k] = true;
            continue;
        }
        Require(patch.nCookie >= 0 && std::size_t(patch.nCookie) < report.copies.size());
        const ExifCopyReport& copy = report.copies[std::size_t(patch.nCookie)];
        if (copy.result != ExifWriteResult::Written)
            continue;
        Require(patch.qwOffset + patch.abNew.size() <= cbData && patch.abOld.size() == patch.abNew.size());
        Require(std::memcmp(after.data() + patch.qwOffset, patch.abNew.data(), patch.abNew.size()) == 0);
        if (copy.szName[0] == 0)
            Require(patch.abNew.size() == 19 && std::memcmp(patch.abNew.data(), "2010:01:02 03:04:05", 19) == 0);
        const bool bDigest = (std::strcmp(copy.szWhere, "IPTC") == 0 && patch.abNew.size() == 16) ||
                             std::strcmp(copy.szName, "CreationTime") == 0 ||
                             std::strcmp(copy.szName, "ModificationTime") == 0;  // binary movie times
        for (std::size_t k = 0; k < patch.abNew.size(); ++k) {
            const BYTE bOld = patch.abOld[k], bNew = patch.abNew[k];
            // An EXIF copy may hold blanks or zeros where the digits go; a text copy holds digits.
            Require(copy.szName[0] == 0 || bDigest || bOld == bNew || (std::isdigit(bOld) && std::isdigit(bNew)));
            mayChange[patch.qwOffset + k] = true;
        }
    }
    for (std::size_t i = 0; i < cbData; ++i)
        Require(mayChange[i] || after[i] == pData[i]);
    exif::ContainerLayout layoutAfter;
    exif::MemoryByteSource src(after.data(), after.size());
    exif::LocateContainer(src, layoutAfter);
    for (const exif::ChecksumPlace& sum : before.checksums) {
        if (!sum.bValid || !batch.files.back().AnyWritten())
            continue;
        bool bHolds = false;
        for (const exif::ChecksumPlace& now : layoutAfter.checksums)
            bHolds = bHolds || (now.qwCrcOffset == sum.qwCrcOffset && now.bValid);
        Require(bHolds);
    }

    return 0;
}
