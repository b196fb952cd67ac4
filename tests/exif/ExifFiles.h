// Test files made on the spot: a small writer of TIFF structures in either byte order, JPEG
// files around them, and a scratch folder.
#pragma once

#include "TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace exiftest {

using Bytes = std::vector<std::uint8_t>;

enum TiffType : std::uint16_t {
    kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSByte = 6, kUndefined = 7,
    kSShort = 8, kSLong = 9,
};

// A TIFF structure: IFD 0 is IFD0; other IFDs are reached through next links or pointer tags.
// Values of 4 bytes or fewer go into the value field, longer ones after the IFDs.
class Tiff {
public:
    explicit Tiff(bool bMotorola) : m_bMotorola(bMotorola) { m_ifds.resize(1); }

    int AddIfd();  // index of a new, empty IFD
    Tiff& Ascii(int ifd, std::uint16_t tag, const std::string& text);          // with its zero
    Tiff& Text(int ifd, std::uint16_t tag, const std::string& bytes, std::uint32_t count);
    Tiff& Short(int ifd, std::uint16_t tag, std::vector<std::uint16_t> values, std::uint16_t type = kShort);
    Tiff& Long(int ifd, std::uint16_t tag, std::vector<std::uint32_t> values);
    Tiff& Rational(int ifd, std::uint16_t tag, std::vector<std::pair<std::uint32_t, std::uint32_t>> values);
    Tiff& Undefined(int ifd, std::uint16_t tag, const Bytes& bytes, std::uint16_t type = kUndefined);
    // A value field taken as it is (an offset that points anywhere, say).
    Tiff& Raw(int ifd, std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value);
    // A LONG whose value is the offset of another IFD (ExifOffset, ExifInteroperabilityOffset).
    Tiff& Pointer(int ifd, std::uint16_t tag, int target);
    Tiff& Next(int ifd, int target);                   // next-IFD link
    Tiff& RawNext(int ifd, std::uint32_t offset);      // next-IFD offset taken as it is
    Tiff& IfdZeroOffset(std::uint32_t offset) { m_ifd0Offset = offset; return *this; }
    Tiff& SortEntries();  // each IFD's entries in ascending tag order, as TIFF wants them

    Bytes Build();
    std::uint32_t IfdOffset(int ifd) const { return m_offsets.at(ifd); }  // after Build

    Bytes U16(std::uint32_t v) const;
    Bytes U32(std::uint32_t v) const;

private:
    struct Entry {
        Entry(std::uint16_t t, std::uint16_t ty, std::uint32_t c, Bytes d = {})
            : tag(t), type(ty), count(c), data(std::move(d)) {}
        std::uint16_t tag, type;
        std::uint32_t count;
        Bytes data;
        std::optional<std::uint32_t> raw;
        int target = -1;
        std::uint32_t dataOffset = 0;  // where Build put the data
    };
    struct Ifd {
        std::vector<Entry> entries;
        int next = -1;
        std::optional<std::uint32_t> rawNext;
    };
    Tiff& Add(int ifd, Entry e);

    bool m_bMotorola;
    std::vector<Ifd> m_ifds;
    std::vector<std::uint32_t> m_offsets;
    std::optional<std::uint32_t> m_ifd0Offset;
};

// A typical camera's TIFF structure: IFD0 (0) with ExifOffset to the Exif sub-IFD (1), which
// points to the Interoperability IFD (2); IFD0's next link leads to the thumbnail IFD1 (3).
// The three dates are given; an empty one is left out.
struct CameraDates {
    std::string dateTime = "2006:12:24 17:05:09";
    std::string original = "2006:12:24 17:05:09";
    std::string digitized = "2006:12:24 17:05:09";
};
Tiff Camera(bool bMotorola, const CameraDates& dates = {});

// A JPEG file: optional bytes before FF D8, optional APP0 and XMP APP1 segments, the EXIF APP1
// segment around the TIFF bytes (its length field as given, or the true one), some table bytes
// and image data, and the end marker.
struct JpegParts {
    Bytes garbageBefore;
    bool app0 = true;
    bool xmpBefore = false;
    std::optional<std::uint32_t> lengthField;
    std::size_t imageBytes = 64;
};
Bytes Jpeg(const Bytes& tiff, const JpegParts& parts = {});
// File offset of the TIFF header (block position 8) in a file made by Jpeg.
std::size_t TiffStart(const JpegParts& parts = {});

// A folder that is removed with everything in it when the object goes.
class ScratchDir : public TempFolder {
public:
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        return TempFolder::Write(name, std::string(bytes.begin(), bytes.end()));
    }
    std::string Path(const std::string& name) const { return File(name); }
    std::filesystem::path Dir() const { return TempFolder::Path(); }
};
Bytes ReadAll(const std::string& path);

}  // namespace exiftest
