// The container readers: each finds where one kind of file keeps its TIFF structures, XMP
// packets, checksums and embedded JPEG picture, and fills a ContainerLayout. The kind is told
// by the file's first bytes, never by its name.
#pragma once

#include "exif/Ucontainer.h"

#include <functional>

namespace exif {

// What the first bytes say: Tiff (the TIFF-based raw formats included), Png, Webp, IsoMedia,
// Jpeg (FF D8 at the start), else Unknown (a JPEG with bytes before its start is Unknown: the
// JPEG reader searches for its start).
ContainerKind SniffContainer(ByteSource& src);
// Fills the layout with the reader for the kind SniffContainer tells; false when it is not one
// of the containers these readers know (JPEG and Unknown) or nothing could be located. The
// embedded JPEG picture is located only when bWantJpeg is set.
bool LocateContainer(ByteSource& src, ContainerLayout& layout, bool bWantJpeg = true);

// A TIFF header: "II*\0", "MM\0*", or a raw format's own variant of it (ORF's "IIRO", "IIRS",
// "MMOR"; RW2's "IIU\0"), the first IFD's offset following in the same byte order.
bool IsTiffHeader(const std::uint8_t* p4);

bool LocateTiff(ByteSource& src, ContainerLayout& layout);
bool LocatePng(ByteSource& src, ContainerLayout& layout);
bool LocateWebp(ByteSource& src, ContainerLayout& layout);

// The CRC-32 of [qwOffset, qwOffset + qwLength), read in pieces; overlay, when given, may change
// each piece (its file offset, bytes, count) before it counts. False when the file does not
// hold the stretch.
using StretchOverlay = std::function<void(std::uint64_t, std::uint8_t*, std::size_t)>;
bool CrcOfStretch(ByteSource& src, std::uint64_t qwOffset, std::uint64_t qwLength, std::uint32_t& crc,
                  const StretchOverlay& overlay = {});

}  // namespace exif
