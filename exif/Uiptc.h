// IPTC dates in a JPEG APP13 segment: its Photoshop image resources ("8BIM"), the IPTC record
// (resource 0x0404) with its datasets 2:55 DateCreated / 2:60 TimeCreated and 2:62
// DigitalCreationDate / 2:63 DigitalCreationTime, and the IPTC digest (resource 0x0425, the
// MD5 of the record) that readers compare to trust the record.
#pragma once

#include "exif/Utextdate.h"

#include <array>
#include <cstdint>
#include <vector>

struct TxFileRewrite;
struct TxPatch;

namespace exif {

// A record and the digest beside it: the digest is recomputed after a change of the record
// only where it matched the record as read.
struct IptcDigest {
    std::uint64_t qwRecordPos = 0;   // file offset of the record's first byte
    std::vector<BYTE> record;        // the record as read
    std::uint64_t qwDigestPos = 0;   // file offset of the 16 digest bytes
    std::array<BYTE, 16> abDigest{};
    bool bMatched = false;
};

// The date copies of the Photoshop resources pResources[0, cbResources) (an APP13 segment's
// bytes after its "Photoshop 3.0" signature), whose first byte stands at file offset
// qwFileOffset. Only those bytes are read. Each date with its time is one copy; a record whose
// datasets run past its resource, or resources that run past the segment, have the copies
// found in them left alone. A segment with one record and one digest of 16 bytes gives digests
// an entry.
void FindIptcDates(const BYTE* pResources, std::size_t cbResources, std::uint64_t qwFileOffset,
                   std::vector<TextDateCopy>& out, std::vector<IptcDigest>& digests);

// For each digest that matched: when ranges planned in the file change its record, a range
// that writes the record's new digest (its cookie is that of the first such range).
void PlanIptcDigests(const std::vector<IptcDigest>& digests, TxFileRewrite& file);

// After a write: the record and digest now hold what the range wrote.
void NoteIptcWritten(std::vector<IptcDigest>& digests, const TxPatch& patch);

}  // namespace exif
