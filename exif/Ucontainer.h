// Where a file keeps its dates: what a container reader (JPEG segments, TIFF-based raw, PNG
// chunks, RIFF/WebP chunks, ISO base media boxes) finds and hands to the one TIFF walker and
// the one write path. A reader only locates; it never interprets a date or writes a byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace exif {

enum class ContainerKind { Unknown, Jpeg, Tiff, Png, Webp, IsoMedia };

// A TIFF structure inside the file: its header ("II*\0", "MM\0*" or a raw format's own variant)
// stands at qwOffset, and every offset inside it counts from there. qwLength bounds what may be
// read of it. bExifIfd: the structure's first IFD is an Exif IFD (a CR3's CMT2 box), not IFD0.
struct TiffPlace {
    std::uint64_t qwOffset = 0;
    std::uint64_t qwLength = 0;
    bool bExifIfd = false;
    char szWhere[16] = {};  // prefix of its copies' places in reports ("" for the main one, "CMT2")
};

// An XMP packet (its bytes, from the first byte after any signature to its end).
struct XmpPlace {
    std::uint64_t qwOffset = 0;
    std::uint64_t qwLength = 0;
};

// A movie, track or media header time: an unsigned big-endian count of seconds since
// 1904-01-01 00:00:00 UTC, 4 or 8 bytes wide. nDate 0 is a modification time (moves with
// DateTime), 1 a creation time (moves with DateTimeOriginal).
struct MovieTimeField {
    std::uint64_t qwOffset = 0;
    int nBytes = 4;
    int nDate = 1;
    std::uint64_t qwSeconds = 0;  // as read
    char szWhere[24] = {};        // "mvhd", "tkhd#1", "mdhd#2", ...
};

// A date written as ISO 8601 text in a fixed-length field ("2024-05-01T10:11:12+0200", the
// QuickTime keys' com.apple.quicktime.creationdate); its shape and zone are kept on a write.
struct TextTimeField {
    std::uint64_t qwOffset = 0;
    std::uint32_t dwLength = 0;
    int nDate = 1;
    char szName[48] = {};
};

// A checksum that covers a stretch of the file and must follow a change inside it (a PNG
// chunk's CRC-32 over its type and data, stored big-endian at qwCrcOffset). bValid: it matched
// when the file was read; a checksum that was already wrong is left as it was.
struct ChecksumPlace {
    std::uint64_t qwDataOffset = 0;
    std::uint64_t qwDataLength = 0;
    std::uint64_t qwCrcOffset = 0;
    bool bValid = false;
};

struct ContainerLayout {
    ContainerKind kind = ContainerKind::Unknown;
    std::vector<TiffPlace> tiff;  // the main picture's structure first
    std::vector<XmpPlace> xmp;
    std::vector<MovieTimeField> movieTimes;
    std::vector<TextTimeField> textTimes;
    std::vector<ChecksumPlace> checksums;
    // The largest JPEG picture the file embeds (a raw file's preview, a cover picture); 0 = none.
    std::uint64_t qwJpegOffset = 0;
    std::uint64_t qwJpegLength = 0;
    // Set by the caller: the embedded JPEG picture is wanted. Reading the dates does not need
    // it, and checking a candidate picture reads far into a large file.
    bool bWantJpeg = true;
};

// The bytes of the file being located, at 64-bit positions. Read is false, and fills nothing
// that counts, when [qwOffset, qwOffset + cb) is not wholly inside the file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb) = 0;
};

}  // namespace exif
