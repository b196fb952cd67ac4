// What CExif keeps of the dates outside its EXIF blocks: the XMP and IPTC copies and the IPTC
// digests beside them.
#pragma once

#include "exif/Uiptc.h"
#include "exif/Utextdate.h"

#include <vector>

namespace exif {

struct TextCopies {
    std::vector<TextDateCopy> copies;
    std::vector<IptcDigest> digests;
};

}  // namespace exif
