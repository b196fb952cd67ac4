// What the readers of ISO base media boxes hand to the layout, each place checked against the
// file first, and the reader of 'meta' boxes (HEIF items, QuickTime keys and item lists).
#pragma once

#include "exif/Uisobox.h"

#include <cstdint>
#include <vector>

namespace exif::iso {

// A box body read whole into memory, for the tables parsed field by field (item locations,
// item infos, keys); false when it is larger than cbMax or cannot be read.
bool ReadBody(Reader& reader, const Box& box, std::size_t cbMax, std::vector<std::uint8_t>& body);

// A TIFF structure at [qwOffset, qwOffset + qwLength): added when it starts with a byte order
// mark ("II" or "MM"). pszWhere: its name in reports ("" for the main one).
bool AddTiff(Reader& reader, ContainerLayout& layout, std::uint64_t qwOffset, std::uint64_t qwLength,
             const char* pszWhere, bool bExifIfd);
void AddXmp(ContainerLayout& layout, std::uint64_t qwOffset, std::uint64_t qwLength);
// A JPEG picture: kept when it starts with a JPEG's first marker and is larger than the one
// kept so far.
void AddJpeg(Reader& reader, ContainerLayout& layout, std::uint64_t qwOffset, std::uint64_t qwLength);

// A 'meta' box: ISO's (a full box) or QuickTime's (a plain one). Its Exif and XMP items, the
// QuickTime creation date and the cover picture go into the layout.
void ReadMeta(Reader& reader, const Box& meta, ContainerLayout& layout);

// The Exif and XMP items of a HEIF 'meta' box, from its item infos and item locations; the Exif
// item that the item references ('iref', type 0 when absent) tie to the primary item ('pitm')
// first.
void ReadItems(Reader& reader, const Box& iinf, const Box& iloc, const Box& pitm, const Box& iref,
               ContainerLayout& layout);

// The item list of a 'meta' box: the creation date text and the cover picture. keyDates and
// keyPictures: the 1-based indexes of the keys that name them (from the 'keys' box).
void ReadItemList(Reader& reader, const Box& ilst, const std::vector<std::uint32_t>& keyDates,
                  const std::vector<std::uint32_t>& keyPictures, ContainerLayout& layout);

}  // namespace exif::iso
