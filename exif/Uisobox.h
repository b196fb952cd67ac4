// The boxes of an ISO base media file: reading a box's header inside its parent, and the
// big-endian numbers of a box's body, every read bounds-checked through the ByteSource. The
// readers of the box kinds that hold dates (Uisomedia.cpp, Uisometa.cpp) walk with these.
#pragma once

#include "exif/Ucontainer.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace exif::iso {

constexpr std::uint32_t Fourcc(const char (&sz)[5])
{
    return std::uint32_t(std::uint8_t(sz[0])) << 24 | std::uint32_t(std::uint8_t(sz[1])) << 16 |
           std::uint32_t(std::uint8_t(sz[2])) << 8 | std::uint32_t(std::uint8_t(sz[3]));
}

// Boxes nested deeper than this are not entered; a file holding more boxes than kMaxBoxes is
// read only as far as its first kMaxBoxes (a fragmented movie has two for each fragment, so this still
// reaches a movie box written at the end of hours of fragments).
constexpr int kMaxDepth = 16;
constexpr unsigned kMaxBoxes = 200000;

struct Box {
    std::uint32_t type = 0;
    std::uint64_t qwStart = 0;  // the first byte of its header
    std::uint64_t qwBody = 0;   // the first byte after its header (and a 'uuid' box's 16 bytes)
    std::uint64_t qwEnd = 0;    // one past its last byte
    std::uint8_t abUuid[16] = {};
    std::uint64_t BodySize() const { return qwEnd - qwBody; }
};

class Reader {
public:
    explicit Reader(ByteSource& src) : m_src(src), m_qwSize(src.Size()) {}

    std::uint64_t FileSize() const { return m_qwSize; }
    // The box whose header stands at qwPos, inside a parent that ends at qwParentEnd: false when
    // its header does not fit, its size is below its header's or runs past the parent, or the
    // file's box budget is spent. Size 0 runs to the parent's end, size 1 is a 64-bit size.
    bool BoxAt(std::uint64_t qwPos, std::uint64_t qwParentEnd, Box& box);

    // Big-endian unsigned numbers of 1, 2, 4 or 8 bytes (and 0 bytes, which read as 0) at
    // qwPos, which must lie before qwLimit: false when they do not.
    bool Number(std::uint64_t qwPos, std::uint64_t qwLimit, int nBytes, std::uint64_t& qwValue);
    bool U32(std::uint64_t qwPos, std::uint64_t qwLimit, std::uint32_t& dwValue);
    // Bytes that must lie before qwLimit.
    bool Bytes(std::uint64_t qwPos, std::uint64_t qwLimit, void* pBuffer, std::size_t cb);
    // Reads the start of [qwFrom, qwEnd) (up to kWindow bytes) ahead, for a walk inside a box.
    void ReadAhead(std::uint64_t qwFrom, std::uint64_t qwEnd);

private:
    // Reads inside a container box are served from a window of it read ahead: a walk reads
    // many headers of a few bytes close together, and one larger read costs less than many
    // small ones. Reads outside the window (the top-level boxes, far apart in a long movie) go
    // to the source as they are.
    static constexpr std::size_t kWindow = 16384;

    bool Holds(std::uint64_t qwPos, std::size_t cb) const;  // whether the window holds those bytes

    ByteSource& m_src;
    std::uint64_t m_qwSize;
    unsigned m_nBoxes = 0;
    std::vector<std::uint8_t> m_window;
    std::uint64_t m_qwWindow = 0;  // the file position of m_window[0]
};

// Sequential big-endian fields of a box body held in memory. A field that runs past the end
// reads as 0 (or empty) and clears bOk, which stays cleared.
struct Cursor {
    const std::uint8_t* pData = nullptr;
    std::size_t cbData = 0;
    std::size_t nPos = 0;
    bool bOk = true;

    Cursor(const std::uint8_t* p, std::size_t cb) : pData(p), cbData(cb) {}
    std::uint64_t Get(int nBytes);  // 0 to 8 bytes
    // A text that ends with a zero byte (the zero is passed); at the end without one, the rest.
    std::string_view CString();
    std::size_t Left() const { return cbData - nPos; }
};

// Calls fn(box) for each child box in [qwFrom, qwEnd) until a header does not hold or fn
// returns false. Children of a box that runs past its parent are never seen: the walk stops
// at it.
template <class Fn>
void ForEachBox(Reader& reader, std::uint64_t qwFrom, std::uint64_t qwEnd, Fn&& fn)
{
    Box box;
    for (std::uint64_t qwPos = qwFrom; qwPos < qwEnd && reader.BoxAt(qwPos, qwEnd, box); qwPos = box.qwEnd)
        if (!fn(box))
            return;
}

}  // namespace exif::iso
