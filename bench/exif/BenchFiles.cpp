// Generation of the benchmark's files, on the test-file writer.
#include "BenchFiles.h"

#include "ExifFiles.h"

#include <cstdio>
#include <fstream>
#include <random>

using namespace exiftest;

namespace {

// Entropy-coded image data: random bytes with every 0xFF followed by a stuffed zero.
const Bytes& ImageData(std::size_t cbImage)
{
    static Bytes data;
    if (data.size() != cbImage) {
        std::mt19937 rng(42);
        data.clear();
        data.reserve(cbImage);
        while (data.size() + 1 < cbImage) {
            const std::uint8_t b = std::uint8_t(rng());
            data.push_back(b);
            if (b == 0xFF)
                data.push_back(0);
        }
        data.resize(cbImage, 0);
    }
    return data;
}

Bytes CameraTiff(int nIndex)
{
    char szDate[32];
    std::snprintf(szDate, sizeof(szDate), "2006:%02d:%02d %02d:%02d:%02d", 1 + nIndex % 12, 1 + nIndex % 28,
                  nIndex % 24, nIndex % 60, (nIndex * 7) % 60);
    const Bytes thumbnail = [] {
        Bytes t = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43};
        t.resize(6000, 0x33);
        t.push_back(0xFF);
        t.push_back(0xD9);
        return t;
    }();
    std::uint32_t thumbOffset = 0;
    Bytes tiff;
    for (int pass = 0; pass < 2; ++pass) {
        Tiff t = Camera(false, {szDate, szDate, szDate});
        // More of what cameras write: a maker note, exposure details, a comment.
        Bytes maker(2400);
        for (std::size_t i = 0; i < maker.size(); ++i)
            maker[i] = std::uint8_t(i * 31 + 7);
        t.Undefined(1, 37500, maker).Rational(1, 37377, {{8, 1}}).Rational(1, 37378, {{3, 1}});
        t.Rational(1, 37381, {{3, 1}}).Short(1, 37384, {0}).Undefined(1, 41728, {3}).Undefined(1, 41729, {1});
        t.Raw(3, 513, kLong, 1, thumbOffset).Raw(3, 514, kLong, 1, std::uint32_t(thumbnail.size()));
        tiff = t.SortEntries().Build();
        thumbOffset = std::uint32_t(tiff.size());
    }
    tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
    return tiff;
}

void WriteFile(const std::string& path, const Bytes& head, const Bytes& body)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
    f.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
}

// The file's head up to its image data: markers, EXIF block, tables, frame and scan headers.
Bytes Head(const Bytes& tiff)
{
    JpegParts parts;
    parts.imageBytes = 0;
    Bytes head = Jpeg(tiff, parts);
    head.resize(head.size() - 2);  // the end marker comes after the image data
    return head;
}

}  // namespace

std::vector<std::string> MakeCameraFiles(const std::string& folder, int nFiles, std::size_t cbImage)
{
    Bytes body = ImageData(cbImage);
    body.push_back(0xFF);
    body.push_back(0xD9);
    std::vector<std::string> paths;
    for (int i = 0; i < nFiles; ++i) {
        char szName[32];
        std::snprintf(szName, sizeof(szName), "/IMG_%04d.JPG", i);
        paths.push_back(folder + szName);
        WriteFile(paths.back(), Head(CameraTiff(i)), body);
    }
    return paths;
}

std::string MakeLargeFile(const std::string& folder, std::size_t cbTotal, bool bWithExif)
{
    Bytes head = bWithExif ? Head(CameraTiff(0)) : Bytes{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43};
    Bytes body = ImageData(cbTotal > head.size() + 2 ? cbTotal - head.size() - 2 : 0);
    body.push_back(0xFF);
    body.push_back(0xD9);
    const std::string path = folder + (bWithExif ? "/large-exif.jpg" : "/large-plain.jpg");
    WriteFile(path, head, body);
    return path;
}
