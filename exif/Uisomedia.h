// ISO base media files (HEIC, HEIF, AVIF, CR3, MP4, MOV, 3GP and the like): where their boxes
// keep the dates.
#pragma once

#include "exif/Ucontainer.h"

namespace exif {

// True when the file starts like an ISO base media file (a box of a known top-level type).
bool LooksLikeIsoMedia(ByteSource& src);
// Fills the layout with what the boxes hold: the Exif TIFF structures (a HEIF Exif item, a
// CR3's CMT1 and CMT2 boxes), the XMP packets, the movie, track and media header times, the
// QuickTime creation-date text and the largest embedded JPEG picture. False when the boxes do
// not hold together far enough to find anything.
bool LocateIsoMedia(ByteSource& src, ContainerLayout& layout);

}  // namespace exif
