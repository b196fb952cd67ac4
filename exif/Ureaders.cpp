// Telling a container by its first bytes, and handing it to its reader.
#include "exif/Ureaders.h"

#include "tx/UTxCrc32.h"
#include "exif/Uisomedia.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace exif {

bool IsTiffHeader(const std::uint8_t* p)
{
    static const std::uint8_t kHeaders[][4] = {
        {'I', 'I', 0x2A, 0}, {'M', 'M', 0, 0x2A},       // TIFF, DNG, CR2, NEF, ARW, PEF, ...
        {'I', 'I', 'R', 'O'}, {'I', 'I', 'R', 'S'}, {'M', 'M', 'O', 'R'},  // ORF
        {'I', 'I', 'U', 0},                               // RW2
    };
    return std::any_of(std::begin(kHeaders), std::end(kHeaders),
                       [p](const std::uint8_t(&h)[4]) { return std::memcmp(p, h, 4) == 0; });
}

ContainerKind SniffContainer(ByteSource& src)
{
    std::uint8_t head[12] = {};
    const std::size_t cb = std::size_t(std::min<std::uint64_t>(src.Size(), sizeof(head)));
    if (!src.Read(0, head, cb))
        return ContainerKind::Unknown;
    static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (cb >= 2 && head[0] == 0xFF && head[1] == 0xD8)
        return ContainerKind::Jpeg;
    if (cb >= 8 && IsTiffHeader(head))
        return ContainerKind::Tiff;
    if (cb >= 8 && std::memcmp(head, kPng, 8) == 0)
        return ContainerKind::Png;
    if (cb >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0)
        return ContainerKind::Webp;
    if (LooksLikeIsoMedia(src))
        return ContainerKind::IsoMedia;
    return ContainerKind::Unknown;
}

bool LocateContainer(ByteSource& src, ContainerLayout& layout, bool bWantJpeg)
{
    layout = ContainerLayout{};
    layout.bWantJpeg = bWantJpeg;
    layout.kind = SniffContainer(src);
    switch (layout.kind) {
    case ContainerKind::Tiff: return LocateTiff(src, layout);
    case ContainerKind::Png: return LocatePng(src, layout);
    case ContainerKind::Webp: return LocateWebp(src, layout);
    case ContainerKind::IsoMedia: return LocateIsoMedia(src, layout);
    case ContainerKind::Jpeg:
    case ContainerKind::Unknown: break;
    }
    return false;
}

bool CrcOfStretch(ByteSource& src, std::uint64_t qwOffset, std::uint64_t qwLength, std::uint32_t& crc,
                  const StretchOverlay& overlay)
{
    constexpr std::size_t kPiece = 64 * 1024;
    std::vector<std::uint8_t> piece(std::size_t(std::min<std::uint64_t>(qwLength, kPiece)));
    crc = 0;
    for (std::uint64_t qwDone = 0; qwDone < qwLength;) {
        const std::size_t cb = std::size_t(std::min<std::uint64_t>(qwLength - qwDone, kPiece));
        if (!src.Read(qwOffset + qwDone, piece.data(), cb))
            return false;
        if (overlay)
            overlay(qwOffset + qwDone, piece.data(), cb);
        crc = tx::Crc32(crc, piece.data(), cb);
        qwDone += cb;
    }
    return true;
}

}  // namespace exif
