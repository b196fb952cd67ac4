// A walk over the IFDs of a TIFF structure straight from the file, for the container readers:
// which IFDs there are, their entries, and the bytes the TIFF walker will need of them.
#pragma once

#include "exif/Ucontainer.h"

#include <functional>
#include <vector>

namespace exif {

struct TiffEntry {
    std::uint16_t wTag = 0, wType = 0;
    std::uint32_t dwCount = 0, dwValue = 0;
    // Bytes of the value (count times the type's size; 0 for a type not known).
    std::uint64_t ValueSize() const;
};

// The structure stands at qwBase of the source; its offsets count from there and nothing at or
// beyond qwBase + qwLength is read. The walk reaches IFD0 (or, for a structure that starts with
// its Exif IFD, that one), the IFDs chained after it, and the IFDs the pointer tags lead to
// (SubIFDs, Exif, GPS, Interoperability), each once, at most kMaxIfds of them, each with at most
// kMaxEntries entries read. IFDs that lie outside the structure are skipped, with a log record.
class TiffScan {
public:
    static constexpr int kMaxIfds = 64;
    static constexpr std::uint32_t kMaxEntries = 1024;

    TiffScan(ByteSource& src, std::uint64_t qwBase, std::uint64_t qwLength)
        : m_src(src), m_qwBase(qwBase), m_qwLength(qwLength) {}

    // The byte order and the first IFD's offset from the header; false when there is none.
    bool ReadHeader();
    bool IsMotorola() const { return m_bMotorola; }
    std::uint32_t Get32(const std::uint8_t* p) const;

    // Calls visit with each IFD's offset, its entries, and its place in the walk (0 = the first).
    using Visit = std::function<void(std::uint32_t dwIfd, const std::vector<TiffEntry>& entries, int nIfd)>;
    void Walk(const Visit& visit);

private:
    bool Read(std::uint64_t qwPos, void* p, std::size_t cb);

    ByteSource& m_src;
    std::uint64_t m_qwBase;
    std::uint64_t m_qwLength;
    bool m_bMotorola = false;
    std::uint32_t m_dwFirstIfd = 0;
};

}  // namespace exif
