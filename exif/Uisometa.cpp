// 'meta' boxes: ISO's full box (HEIF items, an MP4's item list) and QuickTime's plain one (its
// 'keys' name the entries of its item list: com.apple.quicktime.creationdate, the artwork).
#include "exif/Uisoplaces.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace exif::iso {

namespace {

constexpr std::size_t kMaxKeys = 1u << 20;  // larger key tables are not read
constexpr std::string_view kCreationDate = "com.apple.quicktime.creationdate";
constexpr std::string_view kArtwork = "com.apple.quicktime.artwork";

// The well-known types of an item list's 'data' box.
constexpr std::uint32_t kDataUtf8 = 1;
constexpr std::uint32_t kDataJpeg = 13;

// The 1-based indexes of the keys named kCreationDate and kArtwork.
void ReadKeys(Reader& reader, const Box& keys, std::vector<std::uint32_t>& dates, std::vector<std::uint32_t>& pictures)
{
    std::vector<std::uint8_t> body;
    if (!ReadBody(reader, keys, kMaxKeys, body))
        return;
    Cursor c(body.data(), body.size());
    c.Get(4);  // version and flags
    const std::uint64_t qwCount = c.Get(4);
    for (std::uint32_t n = 1; n <= qwCount && c.bOk; ++n) {
        const std::uint64_t qwSize = c.Get(4);
        c.Get(4);  // namespace ('mdta')
        if (!c.bOk || qwSize < 8 || qwSize - 8 > c.Left())
            return;
        const std::string_view name(reinterpret_cast<const char*>(body.data()) + c.nPos, std::size_t(qwSize - 8));
        c.nPos += std::size_t(qwSize - 8);
        if (name == kCreationDate)
            dates.push_back(n);
        else if (name == kArtwork)
            pictures.push_back(n);
    }
}

bool Holds(const std::vector<std::uint32_t>& v, std::uint32_t dw) { return std::find(v.begin(), v.end(), dw) != v.end(); }

// A date text's length without the zero bytes or blanks some writers pad it with; 0 for a
// value longer than any date text.
std::uint64_t TextLength(Reader& reader, std::uint64_t qwOffset, std::uint64_t qwLength)
{
    char sz[64];
    if (qwLength == 0 || qwLength > sizeof sz || !reader.Bytes(qwOffset, reader.FileSize(), sz, std::size_t(qwLength)))
        return 0;
    while (qwLength > 0 && (sz[qwLength - 1] == 0 || sz[qwLength - 1] == ' '))
        --qwLength;
    return qwLength;
}

// A 'data' box: 4 bytes of type, 4 of locale, then the value.
void ReadData(Reader& reader, const Box& data, bool bDate, bool bPicture, ContainerLayout& layout)
{
    std::uint32_t dwType = 0;
    if (data.BodySize() < 8 || !reader.U32(data.qwBody, data.qwEnd, dwType))
        return;
    const std::uint64_t qwValue = data.qwBody + 8, qwLength = data.qwEnd - qwValue;
    if (bDate && (dwType & 0xFFFFFF) == kDataUtf8) {
        const std::uint64_t qwText = TextLength(reader, qwValue, qwLength);
        if (qwText > 0) {
            TextTimeField field;
            field.qwOffset = qwValue;
            field.dwLength = std::uint32_t(qwText);
            field.nDate = 1;
            std::memcpy(field.szName, kCreationDate.data(), kCreationDate.size());
            layout.textTimes.push_back(field);
        }
    }
    if (bPicture && (dwType & 0xFFFFFF) == kDataJpeg)
        AddJpeg(reader, layout, qwValue, qwLength);
}

}  // namespace

void ReadItemList(Reader& reader, const Box& ilst, const std::vector<std::uint32_t>& keyDates,
                  const std::vector<std::uint32_t>& keyPictures, ContainerLayout& layout)
{
    ForEachBox(reader, ilst.qwBody, ilst.qwEnd, [&](const Box& entry) {
        const bool bDate = Holds(keyDates, entry.type);
        const bool bPicture = entry.type == Fourcc("covr") || Holds(keyPictures, entry.type);
        if (bDate || bPicture)
            ForEachBox(reader, entry.qwBody, entry.qwEnd, [&](const Box& data) {
                if (data.type == Fourcc("data"))
                    ReadData(reader, data, bDate, bPicture, layout);
                return true;
            });
        return true;
    });
}

void ReadMeta(Reader& reader, const Box& meta, ContainerLayout& layout)
{
    // ISO's 'meta' starts with its version and flags (zero); QuickTime's with its first box.
    std::uint32_t dwFirst = 0;
    reader.ReadAhead(meta.qwBody, meta.qwEnd);
    if (!reader.U32(meta.qwBody, meta.qwEnd, dwFirst))
        return;
    Box iinf, iloc, pitm, iref, keys, ilst;
    ForEachBox(reader, meta.qwBody + (dwFirst == 0 ? 4 : 0), meta.qwEnd, [&](const Box& box) {
        Box* pSlot = box.type == Fourcc("iinf")   ? &iinf
                     : box.type == Fourcc("iloc") ? &iloc
                     : box.type == Fourcc("pitm") ? &pitm
                     : box.type == Fourcc("iref") ? &iref
                     : box.type == Fourcc("keys") ? &keys
                     : box.type == Fourcc("ilst") ? &ilst
                                                  : nullptr;
        if (pSlot && pSlot->type == 0)
            *pSlot = box;
        return true;
    });
    if (iinf.type != 0 && iloc.type != 0)
        ReadItems(reader, iinf, iloc, pitm, iref, layout);
    if (ilst.type != 0) {
        std::vector<std::uint32_t> dates, pictures;
        if (keys.type != 0)
            ReadKeys(reader, keys, dates, pictures);
        ReadItemList(reader, ilst, dates, pictures, layout);
    }
}

}  // namespace exif::iso
