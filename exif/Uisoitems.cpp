// The items of a HEIF 'meta' box that hold metadata: the 'Exif' items and the XMP ones (a
// 'mime' item of content type application/rdf+xml), found through the item infos ('iinf') and
// placed through the item locations ('iloc'). Only an item stored as one extent of this file
// is taken; one placed anywhere else (inside 'idat', in another file, in pieces, outside the
// file) is left alone.
#include "exif/Uisoplaces.h"

#include <cstdio>
#include <cstring>

namespace exif::iso {

namespace {

constexpr std::size_t kMaxTable = 4u << 20;  // larger item tables are not read
constexpr std::size_t kMaxInfe = 4096;

enum class ItemKind { Exif, Xmp };

struct Item {
    std::uint32_t dwId = 0;
    ItemKind kind = ItemKind::Exif;
};

// One item info entry: an Exif or XMP item is added to items.
void ReadInfe(Reader& reader, const Box& infe, std::vector<Item>& items)
{
    std::vector<std::uint8_t> body;
    if (!ReadBody(reader, infe, kMaxInfe, body))
        return;
    Cursor c(body.data(), body.size());
    const int nVersion = int(c.Get(1));
    c.Get(3);  // flags
    Item item;
    std::string_view contentType, encoding;
    if (nVersion >= 2) {
        item.dwId = std::uint32_t(c.Get(nVersion == 2 ? 2 : 4));
        c.Get(2);  // protection index
        const std::uint32_t dwType = std::uint32_t(c.Get(4));
        c.CString();  // name
        if (dwType == Fourcc("Exif")) {
            if (c.bOk)
                items.push_back(item);
            return;
        }
        if (dwType != Fourcc("mime"))
            return;
    } else {
        item.dwId = std::uint32_t(c.Get(2));
        c.Get(2);
        c.CString();
    }
    contentType = c.CString();
    if (c.Left() > 0)
        encoding = c.CString();
    if (c.bOk && contentType == "application/rdf+xml" && encoding.empty()) {
        item.kind = ItemKind::Xmp;
        items.push_back(item);
    }
}

// Where an item lies: its one extent in this file. False for anything else.
struct Extent {
    std::uint64_t qwOffset = 0;
    std::uint64_t qwLength = 0;
};

bool SizeAllowed(int n) { return n == 0 || n == 4 || n == 8; }

// The item locations of the wanted items, in the order of items (0 length: not placed).
std::vector<Extent> ReadIloc(Reader& reader, const Box& iloc, const std::vector<Item>& items)
{
    std::vector<Extent> extents(items.size());
    std::vector<std::uint8_t> body;
    if (!ReadBody(reader, iloc, kMaxTable, body))
        return extents;
    Cursor c(body.data(), body.size());
    const int nVersion = int(c.Get(1));
    c.Get(3);
    const int nSizes = int(c.Get(1)), nSizes2 = int(c.Get(1));
    const int nOffsetSize = nSizes >> 4, nLengthSize = nSizes & 15, nBaseSize = nSizes2 >> 4;
    const int nIndexSize = nVersion >= 1 ? nSizes2 & 15 : 0;
    if (nVersion > 2 || !SizeAllowed(nOffsetSize) || !SizeAllowed(nLengthSize) || !SizeAllowed(nBaseSize) ||
        !SizeAllowed(nIndexSize))
        return extents;
    const std::uint64_t qwCount = c.Get(nVersion < 2 ? 2 : 4);
    for (std::uint64_t n = 0; n < qwCount && c.bOk; ++n) {
        const std::uint32_t dwId = std::uint32_t(c.Get(nVersion < 2 ? 2 : 4));
        const int nMethod = nVersion >= 1 ? int(c.Get(2) & 15) : 0;
        const std::uint64_t qwDataRef = c.Get(2);
        const std::uint64_t qwBase = c.Get(nBaseSize);
        const std::uint64_t qwExtents = c.Get(2);
        Extent first;
        for (std::uint64_t e = 0; e < qwExtents && c.bOk; ++e) {
            c.Get(nIndexSize);
            const std::uint64_t qwOffset = c.Get(nOffsetSize), qwLength = c.Get(nLengthSize);
            if (e == 0)
                first = Extent{qwOffset, qwLength};
        }
        if (!c.bOk || nMethod != 0 || qwDataRef != 0 || qwExtents != 1 || first.qwLength == 0 ||
            first.qwOffset > ~std::uint64_t(0) - qwBase)
            continue;
        const std::uint64_t qwStart = qwBase + first.qwOffset;
        if (qwStart > reader.FileSize() || first.qwLength > reader.FileSize() - qwStart)
            continue;  // outside the file
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].dwId == dwId && extents[i].qwLength == 0)
                extents[i] = Extent{qwStart, first.qwLength};
    }
    return extents;
}

// An Exif item's data: a 4-byte offset from the end of that field to the TIFF header (after
// "Exif\0\0" as a rule), then the TIFF structure.
void AddExifItem(Reader& reader, ContainerLayout& layout, const Extent& extent, int nFound)
{
    std::uint32_t dwSkip = 0;
    if (!reader.U32(extent.qwOffset, extent.qwOffset + extent.qwLength, dwSkip) ||
        dwSkip > extent.qwLength - 4)
        return;
    const std::uint64_t qwTiff = extent.qwOffset + 4 + dwSkip;
    char szWhere[16] = "";
    if (nFound > 0)
        std::snprintf(szWhere, sizeof szWhere, "Exif#%d", nFound + 1);
    AddTiff(reader, layout, qwTiff, extent.qwLength - 4 - dwSkip, szWhere, false);
}

// The primary item ('pitm'): its id, or 0 when there is none.
std::uint32_t PrimaryItem(Reader& reader, const Box& pitm)
{
    std::uint8_t abVersion[1];
    std::uint64_t qwId = 0;
    if (pitm.type == 0 || !reader.Bytes(pitm.qwBody, pitm.qwEnd, abVersion, 1) ||
        !reader.Number(pitm.qwBody + 4, pitm.qwEnd, abVersion[0] == 0 ? 2 : 4, qwId))
        return 0;
    return std::uint32_t(qwId);
}

// Whether the item references ('iref') say that item dwItem describes item dwPrimary (a 'cdsc'
// reference from the one to the other).
bool Describes(Reader& reader, const Box& iref, std::uint32_t dwItem, std::uint32_t dwPrimary)
{
    std::vector<std::uint8_t> body;
    if (iref.type == 0 || dwPrimary == 0 || !ReadBody(reader, iref, kMaxTable, body) || body.empty())
        return false;
    const int nIdSize = body[0] == 0 ? 2 : 4;
    bool bFound = false;
    ForEachBox(reader, iref.qwBody + 4, iref.qwEnd, [&](const Box& ref) {
        std::vector<std::uint8_t> refBody;
        if (ref.type != Fourcc("cdsc") || !ReadBody(reader, ref, kMaxTable, refBody))
            return true;
        Cursor c(refBody.data(), refBody.size());
        const std::uint64_t qwFrom = c.Get(nIdSize), qwCount = c.Get(2);
        for (std::uint64_t n = 0; n < qwCount && c.bOk && qwFrom == dwItem; ++n)
            bFound = bFound || (c.Get(nIdSize) == dwPrimary && c.bOk);
        return !bFound;
    });
    return bFound;
}

}  // namespace

void ReadItems(Reader& reader, const Box& iinf, const Box& iloc, const Box& pitm, const Box& iref,
               ContainerLayout& layout)
{
    std::uint8_t abHead[4];
    if (!reader.Bytes(iinf.qwBody, iinf.qwEnd, abHead, 4))
        return;
    // The entry count (2 bytes in version 0, 4 after) is not needed: the entries are boxes.
    std::vector<Item> items;
    ForEachBox(reader, iinf.qwBody + (abHead[0] == 0 ? 6 : 8), iinf.qwEnd, [&](const Box& box) {
        if (box.type == Fourcc("infe"))
            ReadInfe(reader, box, items);
        return true;
    });
    if (items.empty())
        return;
    // The Exif item that describes the primary picture comes first: its dates are the file's.
    const std::uint32_t dwPrimary = PrimaryItem(reader, pitm);
    for (std::size_t i = 1; i < items.size(); ++i)
        if (items[i].kind == ItemKind::Exif && Describes(reader, iref, items[i].dwId, dwPrimary)) {
            const Item main = items[i];
            items.erase(items.begin() + long(i));
            items.insert(items.begin(), main);
            break;
        }
    const std::vector<Extent> extents = ReadIloc(reader, iloc, items);
    int nExif = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (extents[i].qwLength == 0)
            continue;
        if (items[i].kind == ItemKind::Xmp) {
            AddXmp(layout, extents[i].qwOffset, extents[i].qwLength);
        } else {
            const std::size_t nBefore = layout.tiff.size();
            AddExifItem(reader, layout, extents[i], nExif);
            nExif += layout.tiff.size() > nBefore ? 1 : 0;
        }
    }
}

}  // namespace exif::iso
