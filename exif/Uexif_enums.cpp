// The enumeration texts: for each enumerated tag, the number that selects its text, the table
// of texts, and the text written for a number outside the table.
#include "exif/Uexif_tags.h"

#include <cstdio>

namespace exif {
namespace {

enum Key { kKeyL0, kKeyV };

struct EnumText {
    DWORD dwKey;
    const char* pszText;
};

struct Enumeration {
    WORD wTag;
    Key key;
    const EnumText* pTexts;
    int nTexts;
    const char* pszFallback;  // printf format with one number
    Key fallbackArg;
};

const EnumText kNewSubfileType[] = {{0, "indicates main image\""}, {1, "indicates thumbnail\""}};
const EnumText kCompression[] = {{1, "no compression"}, {7, "TIFF/JPEG compression"}};
const EnumText kPhotometric[] = {
    {1, "BlackIsZero"}, {2, "RGB"}, {6, "YCbCr color space"}, {32803, "CFA"}};
const EnumText kOrientation[] = {
    {1, "upper left"}, {3, "lower right"}, {6, "upper right"}, {8, "lower left"}, {9, "undefined"}};
const EnumText kSamplesPerPixel[] = {{1, "1"}, {3, "3"}};
const EnumText kPlanar[] = {{1, "chunky format"}, {2, "planer"}};
const EnumText kResolutionUnitMM[] = {{1, "no unit"}, {2, "inch"}, {3, "centimeter"}};
const EnumText kResolutionUnitII[] = {{1, "1=no unit"}, {2, "2=inch"}, {3, "3=centimeter"}};
const EnumText kYCbCrPositioning[] = {{1, "center of pixel array"}, {2, "the datum point"}};
const EnumText kExposureProgram[] = {
    {1, "manual control"},   {2, "program normal"},
    {3, "aperture priority"}, {4, "shutter priority"},
    {5, "program creative (slow program)"}, {6, "program action(high-speed program)"},
    {7, "portrait mode"},    {8, "landscape mode"}};
const EnumText kInterlace[] = {
    {0, "0=non-interlaced (progressive scan)"},
    {1, "1=vertical field 1, horizontal field 1 (video field 1, \"odd\" lines)"},
    {2, "2=vertical field 2, horizontal field 1 (video field 2, \"even\" lines)"},
    {128, "128=vertical field 1, horizontal field 2"}};
const EnumText kMetering[] = {{1, "average"}, {2, "center weighted average"}, {3, "spot"},
                              {4, "multi-spot"}, {5, "multi-segment"}};
const EnumText kLightSource[] = {
    {0, "auto"}, {1, "daylight"}, {2, "fluorescent"}, {3, "tungsten"}, {10, "flash"}};
const EnumText kFlash[] = {{0, "flash was not used"}, {1, "flash was used"}};
const EnumText kSecurity[] = {{'C', "C=Confidential"}, {'R', "R=Restricted"}, {'S', "S=Secret"},
                              {'T', "T=Top Secret"},   {'U', "U=Unrestricted"}};
const EnumText kFocalPlaneUnit[] = {{1, "no-unit"}, {2, "inch"}, {3, "centimeter"}};
const EnumText kSensingMethod[] = {{2, "one chip color area sensor"}};
const EnumText kColorSpace[] = {{1, "1"}};

#define TEXTS(a) a, static_cast<int>(sizeof(a) / sizeof(a[0]))

const Enumeration kEnumerations[] = {
    {254, kKeyL0, TEXTS(kNewSubfileType), "%d", kKeyL0},
    {259, kKeyL0, TEXTS(kCompression), "%d=Vendor Unique Number", kKeyV},
    {262, kKeyV, TEXTS(kPhotometric), "%d=Vendor Unique Number", kKeyV},
    {274, kKeyL0, TEXTS(kOrientation), "%d", kKeyL0},
    {277, kKeyV, TEXTS(kSamplesPerPixel), "%d=Vendor Unique Number", kKeyV},
    {284, kKeyL0, TEXTS(kPlanar), "%d", kKeyL0},
    {531, kKeyL0, TEXTS(kYCbCrPositioning), "%d", kKeyL0},
    {34850, kKeyV, TEXTS(kExposureProgram), "%d", kKeyV},
    {37383, kKeyV, TEXTS(kMetering), "%d", kKeyV},
    {37384, kKeyV, TEXTS(kLightSource), "%d", kKeyV},
    {37385, kKeyV, TEXTS(kFlash), "%d", kKeyV},
    {37394, kKeyL0, TEXTS(kSecurity), "%c", kKeyL0},
    {40961, kKeyL0, TEXTS(kColorSpace), "%d", kKeyL0},
    {41488, kKeyV, TEXTS(kFocalPlaneUnit), "%d", kKeyV},
    {41495, kKeyV, TEXTS(kSensingMethod), "%d", kKeyV},
};

const char* Lookup(const EnumText* pTexts, int nTexts, DWORD dwKey)
{
    for (int i = 0; i < nTexts; ++i)
        if (pTexts[i].dwKey == dwKey)
            return pTexts[i].pszText;
    return nullptr;
}

DWORD Pick(Key key, const EnumKeys& keys) { return key == kKeyL0 ? keys.l0 : keys.v; }

// ResolutionUnit: its texts, and the text for other numbers, differ by byte order.
void ResolutionUnit(const EnumKeys& keys, char* pszOut, int cchOut)
{
    const char* pszText = keys.bMotorola ? Lookup(TEXTS(kResolutionUnitMM), keys.l0)
                                         : Lookup(TEXTS(kResolutionUnitII), keys.l0);
    if (pszText)
        std::snprintf(pszOut, cchOut, "%s", pszText);
    else if (keys.bMotorola)
        std::snprintf(pszOut, cchOut, "%s", "?????????????????????????????\"");
    else
        std::snprintf(pszOut, cchOut, "%d", static_cast<int>(keys.l0));
}

// Interlace: four fixed texts and two ranges.
void Interlace(const EnumKeys& keys, char* pszOut, int cchOut)
{
    if (const char* pszText = Lookup(TEXTS(kInterlace), keys.l0))
        std::snprintf(pszOut, cchOut, "%s", pszText);
    else if (keys.l0 < 128)
        std::snprintf(pszOut, cchOut, "%d=vertical field 3-127, horizontal field 1",
                      static_cast<int>(keys.l0));
    else
        std::snprintf(pszOut, cchOut, "%d=vertical field 2-127, horizontal field 2",
                      static_cast<int>(keys.l0));
}

const EnumText kChromaWidth[] = {
    {1, "ImageWidth of this chroma image is equal to the ImageWidth of the associated luma image"},
    {2, "ImageWidth of this chroma image is half the ImageWidth of the associated luma image"},
    {4, "ImageWidth of this chroma image is one-quarter the ImageWidth of the associated luma image"}};
const EnumText kChromaLength[] = {
    {1, "ImageLength (height) of this chroma image is equal to the ImageLength of the associated luma image"},
    {2, "ImageLength (height) of this chroma image is half the ImageLength of the associated luma image"},
    {4, "ImageLength (height) of this chroma image is one-quarter the ImageLength of the associated luma image"}};

// YCbCrSubSampling: the horizontal text chosen by L0, then the vertical one chosen by H0.
void ChromaSubSampling(const EnumKeys& keys, char* pszOut, int cchOut)
{
    int n = 0;
    if (const char* pszText = Lookup(TEXTS(kChromaWidth), keys.l0))
        n = std::snprintf(pszOut, cchOut, "%s", pszText);
    else
        n = std::snprintf(pszOut, cchOut, "%d", static_cast<int>(keys.l0));
    if (n < 0 || n >= cchOut)
        return;
    if (const char* pszText = Lookup(TEXTS(kChromaLength), keys.h0))
        std::snprintf(pszOut + n, cchOut - n, "%s", pszText);
    else
        std::snprintf(pszOut + n, cchOut - n, "%d", static_cast<int>(keys.h0));
}

}  // namespace

void RenderEnumerationText(WORD wTag, const EnumKeys& keys, char* pszOut, int cchOut)
{
    if (wTag == 296)
        return ResolutionUnit(keys, pszOut, cchOut);
    if (wTag == 34857)
        return Interlace(keys, pszOut, cchOut);
    if (wTag == 530)
        return ChromaSubSampling(keys, pszOut, cchOut);
    for (const Enumeration& e : kEnumerations) {
        if (e.wTag != wTag)
            continue;
        if (const char* pszText = Lookup(e.pTexts, e.nTexts, Pick(e.key, keys)))
            std::snprintf(pszOut, cchOut, "%s", pszText);
        else
            std::snprintf(pszOut, cchOut, e.pszFallback, static_cast<int>(Pick(e.fallbackArg, keys)));
        return;
    }
}

}  // namespace exif
