// XMP packets: finds the properties that copy a date tag (xmp:ModifyDate, tiff:DateTime,
// exif:DateTimeOriginal, photoshop:DateCreated, xmp:CreateDate, exif:DateTimeDigitized), in
// attribute form (prop="...") and element form (<prop>...</prop>), by namespace, whatever
// prefix the packet gives it. Each becomes a copy whose one range is the property's text.
//
// Any reader of a container that carries XMP (a JPEG APP1 segment, a PNG iTXt chunk, a WebP
// XMP chunk, a HEIC item, an MP4 box) hands the packet's place in the file to ReadXmpDates;
// the copies found go through PlanTextDateCopies (exif/Utextdate.h) into the one write path.
#pragma once

#include "exif/Ucontainer.h"
#include "exif/Utextdate.h"

#include <cstdint>
#include <vector>

namespace exif {

// Larger packets are not read.
constexpr std::uint64_t kMaxXmpPacket = 16u << 20;

// The date copies of the packet held in memory, whose first byte stands at file offset
// qwFileOffset. Only the packet's bytes are read. A packet that is not well-formed (cut short,
// tags that do not match, a quote never closed) has every copy found in it left alone, and so
// has every copy when bLeaveAlone is set (a chunk of extended XMP, which must stay as its
// digest in the main packet says).
void FindXmpDates(const BYTE* pPacket, std::size_t cbPacket, std::uint64_t qwFileOffset, const char* pszWhere,
                  bool bLeaveAlone, std::vector<TextDateCopy>& out);

// The same for the packet the open file holds at [qwOffset, qwOffset + qwLength). False (with a
// log record) when the file does not hold that span, it is larger than kMaxXmpPacket, or it
// cannot be read.
bool ReadXmpDates(ByteSource& src, std::uint64_t qwOffset, std::uint64_t qwLength, const char* pszWhere,
                  std::vector<TextDateCopy>& out);

}  // namespace exif
