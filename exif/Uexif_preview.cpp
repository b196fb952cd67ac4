#include "Uexif_preview.h"

bool ExifFindEmbeddedJpeg(const char* /*pszPath*/, std::uint64_t* pqwOffset,
                          std::uint64_t* pqwLength)
{
    // No container reader knows embedded pictures yet.
    *pqwOffset = 0;
    *pqwLength = 0;
    return false;
}
