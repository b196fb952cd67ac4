// The places the box readers hand to the layout, each checked against the file first.
#include "exif/Uisoplaces.h"

#include <cstring>

namespace exif::iso {

bool ReadBody(Reader& reader, const Box& box, std::size_t cbMax, std::vector<std::uint8_t>& body)
{
    if (box.BodySize() > cbMax)
        return false;
    body.resize(std::size_t(box.BodySize()));
    return reader.Bytes(box.qwBody, box.qwEnd, body.data(), body.size());
}

bool AddTiff(Reader& reader, ContainerLayout& layout, std::uint64_t qwOffset, std::uint64_t qwLength,
             const char* pszWhere, bool bExifIfd)
{
    char ab[2];
    if (qwLength < 8 || !reader.Bytes(qwOffset, reader.FileSize(), ab, 2) || qwLength > reader.FileSize() - qwOffset ||
        !((ab[0] == 'I' && ab[1] == 'I') || (ab[0] == 'M' && ab[1] == 'M')))
        return false;
    TiffPlace place;
    place.qwOffset = qwOffset;
    place.qwLength = qwLength;
    place.bExifIfd = bExifIfd;
    std::strncpy(place.szWhere, pszWhere, sizeof place.szWhere - 1);
    layout.tiff.push_back(place);
    return true;
}

void AddXmp(ContainerLayout& layout, std::uint64_t qwOffset, std::uint64_t qwLength)
{
    if (qwLength > 0)
        layout.xmp.push_back(XmpPlace{qwOffset, qwLength});
}

void AddJpeg(Reader& reader, ContainerLayout& layout, std::uint64_t qwOffset, std::uint64_t qwLength)
{
    std::uint8_t ab[3];
    if (qwLength <= layout.qwJpegLength || qwLength < 4 || !reader.Bytes(qwOffset, reader.FileSize(), ab, 3) ||
        qwLength > reader.FileSize() - qwOffset || ab[0] != 0xFF || ab[1] != 0xD8 || ab[2] != 0xFF)
        return;
    layout.qwJpegOffset = qwOffset;
    layout.qwJpegLength = qwLength;
}

}  // namespace exif::iso
