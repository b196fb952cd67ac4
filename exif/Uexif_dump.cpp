// DumpText: the listing of every slot found, one line each, in the fixed listing order.
#include "exif/Uexif.h"

#include "exif/Uexif_tags.h"

#include <cstring>

void CExif::DumpText(char* pszOut, DWORD dwCapacity) const
{
    if (!pszOut || dwCapacity == 0)
        return;
    pszOut[0] = 0;
    size_t nLength = 0;
    // Room for the longest line: a 27-column name, "=", a full value text and the line end.
    char szLine[27 + 1 + kMaxValueChars + 2 + 1];
    const int* pOrder = exif::ListingOrder();
    for (int i = 0; i < kTagCount; ++i) {
        const ExifTagEntry& e = m_aTags[pOrder[i]];
        if (!e.bPresent)
            continue;
        const int n = std::snprintf(szLine, sizeof(szLine), "%27s=%.4199s\r\n", e.szName, e.szValue);
        if (n < 0)
            continue;
        // A line that does not fit is skipped; a later, shorter one may still fit.
        if (nLength + size_t(n) < dwCapacity) {
            std::memcpy(pszOut + nLength, szLine, size_t(n) + 1);
            nLength += size_t(n);
        }
    }
}
