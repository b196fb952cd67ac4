// ISO base media files: the walk from the top-level boxes down to the ones that hold dates.
//   ftyp                          the file type (its brands are not needed: the boxes decide)
//   meta                          HEIF items: Exif, XMP (Uisometa.cpp, Uisoitems.cpp)
//   moov > mvhd                   the movie's creation and modification times
//   moov > trak > tkhd            each track's
//   moov > trak > mdia > mdhd     each track's media
//   moov [> trak] [> udta] > meta QuickTime keys and item list, or ISO items
//   moov [> trak] > udta > XMP_   an XMP packet
//   uuid be7acfcb-...             an XMP packet
//   moov > uuid 85c0b687-... > CMT1, CMT2, THMB    a Canon raw file's TIFF structures, thumbnail
//   uuid eaf42b5e-... > PRVW      a Canon raw file's preview picture
#include "exif/Uisomedia.h"

#include "exif/Uisoplaces.h"

#include <cstdio>
#include <cstring>

namespace exif {

using namespace iso;

namespace {

constexpr std::uint8_t kUuidXmp[16] = {0xbe, 0x7a, 0xcf, 0xcb, 0x97, 0xa9, 0x42, 0xe8,
                                       0x9c, 0x71, 0x99, 0x94, 0x91, 0xe3, 0xaf, 0xac};
constexpr std::uint8_t kUuidCanon[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                         0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
constexpr std::uint8_t kUuidPreview[16] = {0xea, 0xf4, 0x2b, 0x5e, 0x1c, 0x98, 0x4b, 0x88,
                                           0xb9, 0xfb, 0xb7, 0xdc, 0x40, 0x6e, 0x4d, 0x16};
// The parent a Canon 'uuid' box stands for in the walk.
constexpr std::uint32_t kCanonBox = Fourcc("CNuu");
constexpr std::uint32_t kTop = 0;

// Box types a file may start with.
constexpr std::uint32_t kFirstTypes[] = {Fourcc("ftyp"), Fourcc("moov"), Fourcc("mdat"), Fourcc("wide"),
                                         Fourcc("free"), Fourcc("skip"), Fourcc("pnot")};

bool IsUuid(const Box& box, const std::uint8_t (&ab)[16])
{
    return box.type == Fourcc("uuid") && std::memcmp(box.abUuid, ab, 16) == 0;
}

struct WalkState {
    Reader& reader;
    ContainerLayout& layout;
    int nTracks = 0;
    bool bMovie = false;
};

// A movie, track or media header: version 0 holds 32-bit times, version 1 64-bit ones,
// creation first, then modification.
void ReadTimes(WalkState& w, const Box& box, const char* pszName, int nTrack)
{
    std::uint8_t abVersion[1];
    if (!w.reader.Bytes(box.qwBody, box.qwEnd, abVersion, 1) || abVersion[0] > 1)
        return;
    const int nBytes = abVersion[0] == 0 ? 4 : 8;
    MovieTimeField fields[2];
    for (int k = 0; k < 2; ++k) {
        MovieTimeField& f = fields[k];
        f.qwOffset = box.qwBody + 4 + std::uint64_t(k * nBytes);
        f.nBytes = nBytes;
        f.nDate = k == 0 ? 1 : 0;
        if (!w.reader.Number(f.qwOffset, box.qwEnd, nBytes, f.qwSeconds))
            return;
        if (nTrack > 0)
            std::snprintf(f.szWhere, sizeof f.szWhere, "%s#%d", pszName, nTrack);
        else
            std::snprintf(f.szWhere, sizeof f.szWhere, "%s", pszName);
    }
    w.layout.movieTimes.insert(w.layout.movieTimes.end(), fields, fields + 2);
}

// A Canon thumbnail ('THMB'): version and flags, width and height (2 bytes each), the JPEG's
// length (4 bytes), 4 more bytes, then the JPEG. A preview ('PRVW'): 4 bytes, 2, width and
// height, 2 more, the JPEG's length, then the JPEG.
void ReadCanonPicture(WalkState& w, const Box& box, std::uint64_t qwLengthAt)
{
    std::uint32_t dwLength = 0;
    if (w.reader.U32(box.qwBody + qwLengthAt, box.qwEnd, dwLength) && box.BodySize() >= 16 &&
        dwLength <= box.BodySize() - 16)
        AddJpeg(w.reader, w.layout, box.qwBody + 16, dwLength);
}

void Walk(WalkState& w, std::uint64_t qwFrom, std::uint64_t qwEnd, std::uint32_t parent, int nDepth);

void Visit(WalkState& w, const Box& box, std::uint32_t parent, int nDepth)
{
    const std::uint32_t t = box.type;
    const bool bInMovie = parent == Fourcc("moov");
    if (t == Fourcc("moov") && parent == kTop && !w.bMovie) {
        w.bMovie = true;
        Walk(w, box.qwBody, box.qwEnd, t, nDepth + 1);
    } else if (t == Fourcc("trak") && bInMovie) {
        ++w.nTracks;
        Walk(w, box.qwBody, box.qwEnd, t, nDepth + 1);
    } else if ((t == Fourcc("mdia") && parent == Fourcc("trak")) ||
               (t == Fourcc("udta") && (bInMovie || parent == Fourcc("trak")))) {
        Walk(w, box.qwBody, box.qwEnd, t, nDepth + 1);
    } else if (t == Fourcc("mvhd") && bInMovie) {
        ReadTimes(w, box, "mvhd", 0);
    } else if (t == Fourcc("tkhd") && parent == Fourcc("trak")) {
        ReadTimes(w, box, "tkhd", w.nTracks);
    } else if (t == Fourcc("mdhd") && parent == Fourcc("mdia")) {
        ReadTimes(w, box, "mdhd", w.nTracks);
    } else if (t == Fourcc("meta") && (parent == kTop || bInMovie || parent == Fourcc("trak") || parent == Fourcc("udta"))) {
        ReadMeta(w.reader, box, w.layout);
    } else if (t == Fourcc("XMP_") && parent == Fourcc("udta")) {
        AddXmp(w.layout, box.qwBody, box.BodySize());
    } else if (IsUuid(box, kUuidXmp) && (parent == kTop || bInMovie)) {
        AddXmp(w.layout, box.qwBody, box.BodySize());
    } else if (IsUuid(box, kUuidCanon) && bInMovie) {
        Walk(w, box.qwBody, box.qwEnd, kCanonBox, nDepth + 1);
    } else if (IsUuid(box, kUuidPreview) && parent == kTop) {
        // 8 bytes, then the 'PRVW' box.
        Box preview;
        if (w.reader.BoxAt(box.qwBody + 8, box.qwEnd, preview) && preview.type == Fourcc("PRVW"))
            ReadCanonPicture(w, preview, 12);
    } else if (parent == kCanonBox) {
        if (t == Fourcc("CMT1"))
            AddTiff(w.reader, w.layout, box.qwBody, box.BodySize(), "", false);
        else if (t == Fourcc("CMT2"))
            AddTiff(w.reader, w.layout, box.qwBody, box.BodySize(), "CMT2", true);
        else if (t == Fourcc("THMB"))
            ReadCanonPicture(w, box, 8);
    }
}

void Walk(WalkState& w, std::uint64_t qwFrom, std::uint64_t qwEnd, std::uint32_t parent, int nDepth)
{
    if (nDepth > kMaxDepth)
        return;
    if (nDepth > 0)
        w.reader.ReadAhead(qwFrom, qwEnd);
    ForEachBox(w.reader, qwFrom, qwEnd, [&](const Box& box) {
        Visit(w, box, parent, nDepth);
        return true;
    });
}

}  // namespace

bool LooksLikeIsoMedia(ByteSource& src)
{
    Reader reader(src);
    Box box;
    if (!reader.BoxAt(0, reader.FileSize(), box))
        return false;
    for (std::uint32_t t : kFirstTypes)
        if (box.type == t)
            return true;
    return false;
}

bool LocateIsoMedia(ByteSource& src, ContainerLayout& layout)
{
    if (!LooksLikeIsoMedia(src))
        return false;
    layout.kind = ContainerKind::IsoMedia;
    Reader reader(src);
    WalkState w{reader, layout};
    Walk(w, 0, reader.FileSize(), kTop, 0);
    return !layout.tiff.empty() || !layout.xmp.empty() || !layout.movieTimes.empty() || !layout.textTimes.empty() ||
           layout.qwJpegLength > 0;
}

}  // namespace exif
