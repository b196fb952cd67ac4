// ISO base media files for the tests: boxes put together by hand for the cases no tool makes
// (broken sizes, item locations of every version, Canon raw pictures), a ByteSource over a
// file on disk, and running the tools that make and read real files.
#pragma once

#include "ExifFiles.h"
#include "exif/Ucontainer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace exiftest {

Bytes Be(std::uint64_t qwValue, int nBytes);
Bytes Cat(std::initializer_list<Bytes> parts);
// A box with the given body; a full box puts its version and flags (zero) first.
Bytes IsoBox(const char* pszType, const Bytes& body);
Bytes IsoFullBox(const char* pszType, int nVersion, const Bytes& body);
// A movie, track or media header of version 0 (32-bit times) or 1 (64-bit): creation time,
// modification time, then the rest of a real header's length in zeros.
Bytes TimeHeader(const char* pszType, int nVersion, std::uint64_t qwCreated, std::uint64_t qwModified);
Bytes Ftyp(const char* pszBrand);

struct Extent {
    std::uint64_t qwOffset = 0, qwLength = 0;
};

// An item location box: items 1, 2, ... each stored as the extent given (twice with
// bTwoExtents), at base offset qwBase (nBaseSize bytes), with construction method nMethod.
struct Iloc {
    int nVersion = 0, nOffsetSize = 4, nLengthSize = 4, nBaseSize = 0, nMethod = 0;
    std::uint64_t qwBase = 0;
    bool bTwoExtents = false;
    Bytes Build(const std::vector<Extent>& extents) const;
};

// An item: its type, a 'mime' item's content type, its data, and how far its location is
// moved from where the data really stands.
struct HeifItem {
    const char* pszType;
    std::string contentType;
    Bytes data;
    std::int64_t nShift = 0;
};
HeifItem ExifItem(std::uint32_t dwTiffSkip, std::int64_t nShift = 0);  // "Exif\0\0" and a camera's TIFF
HeifItem XmpItem();

struct HeifFile {
    Bytes bytes;
    std::vector<Extent> places;  // where each item's data really stands
};
// A HEIF file whose 'meta' box names the items (ids 1, 2, ...), stored in 'mdat' after it;
// extra: more boxes of the 'meta' box.
HeifFile Heif(const Iloc& iloc, const std::vector<HeifItem>& items, const Bytes& extra = {});

// A Canon raw file: CMT1, CMT2 and a thumbnail (THMB) in the movie box's Canon box, and a
// preview (PRVW) in a box of its own. A length field of 0 stands for the picture's true length.
Bytes CanonRaw(const Bytes& thumbnail, std::uint32_t dwThumbLength, const Bytes& preview, std::uint32_t dwPreviewLength);

// The bytes of a file on disk, read as they are asked for.
class FileByteSource : public exif::ByteSource {
public:
    explicit FileByteSource(const std::string& path);
    ~FileByteSource() override;
    std::uint64_t Size() const override { return m_qwSize; }
    bool Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb) override;
    int Reads() const { return m_nReads; }
    std::uint64_t BytesRead() const { return m_qwBytesRead; }

private:
    int m_fd;
    std::uint64_t m_qwSize = 0, m_qwBytesRead = 0;
    int m_nReads = 0;
};

bool HaveTool(const char* pszProgram);
bool RunTool(const std::string& command);  // true when it exits with 0
std::string Output(const std::string& command);  // its standard output

}  // namespace exiftest
