#include "FormatFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

void Run(const std::string& command)
{
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

std::vector<char> ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::uint32_t Be32(const char* p)
{
    return std::uint32_t(std::uint8_t(p[0])) << 24 | std::uint32_t(std::uint8_t(p[1])) << 16 |
           std::uint32_t(std::uint8_t(p[2])) << 8 | std::uint8_t(p[3]);
}

// Writes the bytes, then leaves a hole up to qwSize (only where the file is shorter).
void WriteSparse(const std::string& path, const std::vector<char>& bytes, std::uint64_t qwSize)
{
    const int h = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (h < 0 || write(h, bytes.data(), bytes.size()) != ssize_t(bytes.size()) ||
        (qwSize > bytes.size() && ftruncate(h, off_t(qwSize)) != 0) || close(h) != 0)
        throw std::runtime_error("cannot write " + path);
}

std::string Numbered(const std::string& folder, const char* pszStem, int n, const char* pszExt)
{
    char name[64];
    std::snprintf(name, sizeof(name), "%s_%04d.%s", pszStem, n, pszExt);
    return folder + "/" + name;
}

}  // namespace

std::vector<std::string> MakeRawFiles(const std::string& folder, int nFiles, std::uint64_t qwSize)
{
    // The metadata first, then the image data: a TIFF whose strips lie after its IFDs, so the
    // hole that follows is more image data as far as any reader is concerned.
    const char* const endian[2] = {"LSB", "MSB"};
    std::vector<char> templates[2];
    for (int k = 0; k < 2; ++k) {
        const std::string tmpl = folder + "/template_" + endian[k] + ".tif";
        Run("convert -size 320x240 gradient:gray20-gray80 -depth 16 -endian " + std::string(endian[k]) + " '" + tmpl + "'");
        Run("exiftool -q -overwrite_original -ModifyDate='2019:05:06 07:08:09' -DateTimeOriginal='2019:05:06 07:08:09' "
            "-CreateDate='2019:05:06 07:08:09' '" + tmpl + "'");
        templates[k] = ReadAll(tmpl);
        std::remove(tmpl.c_str());
    }
    std::vector<std::string> paths;
    for (int i = 0; i < nFiles; ++i) {
        paths.push_back(Numbered(folder, "RAW", i, "tif"));
        WriteSparse(paths.back(), templates[i % 2], qwSize);
    }
    return paths;
}

std::vector<std::string> MakeVideos(const std::string& folder, int nFiles, std::uint64_t qwSize)
{
    const std::string tmpl = folder + "/template.mp4";
    Run("ffmpeg -y -loglevel error -f lavfi -i testsrc=size=160x120:rate=10:duration=1 -c:v mpeg4 "
        "-metadata creation_time=2019-05-06T05:08:09Z -movflags use_metadata_tags "
        "-metadata com.apple.quicktime.creationdate=2019-05-06T07:08:09+0200 '" + tmpl + "'");
    const std::vector<char> small = ReadAll(tmpl);
    std::remove(tmpl.c_str());
    // The top-level boxes as ffmpeg wrote them; the media data box grows by a hole at its end,
    // so the movie box after it moves out to the end of a file of qwSize bytes.
    std::vector<std::pair<std::size_t, std::size_t>> boxes;  // offset, size
    std::size_t mdat = 0;
    for (std::size_t p = 0; p + 8 <= small.size();) {
        const std::size_t size = Be32(&small[p]);
        if (size < 8 || p + size > small.size())
            throw std::runtime_error("unexpected box layout from ffmpeg");
        if (std::string(&small[p + 4], 4) == "mdat")
            mdat = boxes.size();
        boxes.emplace_back(p, size);
        p += size;
    }
    const std::uint64_t qwGrow = qwSize > small.size() ? qwSize - small.size() : 0;
    if (boxes.empty() || std::uint64_t(boxes[mdat].second) + qwGrow > 0xFFFFFFFFu)
        throw std::runtime_error("cannot grow the media data box");
    std::vector<std::string> paths;
    for (int i = 0; i < nFiles; ++i) {
        paths.push_back(Numbered(folder, "MVI", i, "mp4"));
        const int h = open(paths.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        bool bOk = h >= 0;
        for (std::size_t b = 0; b < boxes.size() && bOk; ++b) {
            std::vector<char> box(small.begin() + long(boxes[b].first), small.begin() + long(boxes[b].first + boxes[b].second));
            if (b == mdat) {
                const std::uint32_t size = std::uint32_t(box.size() + qwGrow);
                box[0] = char(size >> 24), box[1] = char(size >> 16), box[2] = char(size >> 8), box[3] = char(size);
            }
            bOk = write(h, box.data(), box.size()) == ssize_t(box.size()) &&
                  (b != mdat || lseek(h, off_t(qwGrow), SEEK_CUR) >= 0);
        }
        bOk = bOk && ftruncate(h, off_t(small.size() + qwGrow)) == 0;  // a media data box that ends the file
        if (!bOk || close(h) != 0)
            throw std::runtime_error("cannot write " + paths.back());
    }
    return paths;
}
