#include "Uexif_preview.h"

#include "exif/Ufilesource.h"
#include "exif/Ureaders.h"

bool ExifFindEmbeddedJpeg(const char* pszPath, std::uint64_t* pqwOffset, std::uint64_t* pqwLength)
{
    *pqwOffset = 0;
    *pqwLength = 0;
    exif::FileSource file;
    exif::ContainerLayout layout;
    if (!file.Open(pszPath))
        return false;
    exif::HeadCachedSource src(file);
    if (!exif::LocateContainer(src, layout) || layout.qwJpegLength == 0)
        return false;
    *pqwOffset = layout.qwJpegOffset;
    *pqwLength = layout.qwJpegLength;
    return true;
}
