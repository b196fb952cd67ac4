// The 103 tag slots: tag number, name as listed, rendering family; and the listing order.
#include "exif/Uexif_tags.h"

#include <algorithm>
#include <cstring>

namespace exif {

const TagInfo kTags[kSlotCount] = {
    {1, "InteroperabilityIndex", kInteropIndex},
    {2, "InteroperabilityVersion", kInteropVersion},
    {254, "NewSubfileType", kEnumeration},
    {255, "SubfileType", kDecimal},
    {256, "ImageWidth", kDecimal},
    {257, "ImageLength", kDecimal},
    {258, "BitsPerSample", kBitsPerSample},
    {259, "Compression", kEnumeration},
    {262, "PhotometricInterpretation", kEnumeration},
    {270, "ImageDescription", kText},
    {271, "Make", kText},
    {272, "Model", kText},
    {273, "StripOffsets", kStripOffsets},
    {274, "Orientation", kEnumeration},
    {277, "SamplesPerPixel", kEnumeration},
    {278, "RowsPerStrip", kRowsPerStrip},
    {279, "StripByteConunts", kDecimal},
    {282, "XResolution", kRational},
    {283, "YResolution", kRational},
    {284, "PlanarConfiguration", kPlanarConfiguration},
    {296, "ResolutionUnit", kEnumeration},
    {301, "TransferFunction", kDecimal},
    {305, "Software", kText},
    {306, "DateTime", kText},
    {315, "Artist", kText},
    {317, "Predictor", kDecimal},
    {318, "WhitePoint", kRational},
    {319, "PrimaryChromaticities", kRational},
    {322, "TileWidth", kDecimal},
    {323, "TileLength", kDecimal},
    {324, "TileOffsets", kDecimal},
    {325, "TileByteCounts", kDecimal},
    {330, "SubIFDs", kDecimal},
    {347, "JPEGTables", kDecimal},
    {513, "JpegIFOffset", kDecimal},
    {514, "JpegIFByteCount", kDecimal},
    {529, "YCbCrCoefficients", kRational},
    {530, "YCbCrSubSampling", kYCbCrSubSampling},
    {531, "YCbCrPositioning", kEnumeration},
    {532, "ReferenceBlackWhite", kRational},
    {33421, "CFARepeatPatternDim", kCfaRepeatPatternDim},
    {33422, "CFAPattern", kDecimal},
    {33423, "BatteryLevel", kRational},
    {33432, "Copyright", kText},
    {33434, "ExposureTime", kRational},
    {33437, "FNumber", kRational},
    {33723, "IPTC/NAA", kIptc},
    {34665, "ExifOffset", kExifOffset},
    {34675, "InterColorProfile", kDecimal},
    {34850, "ExposureProgram", kEnumeration},
    {34852, "SpectralSensitivity", kText},
    {34853, "GPSInfo", kGpsInfo},
    {34855, "ISOSpeedRatings", kIsoSpeedRatings},
    {34856, "OECF", kDecimal},
    {34857, "Interlace", kEnumeration},
    {34858, "TimeZoneOffset", kTimeZoneOffset},
    {34859, "SelfTimerMode", kDecimal},
    {36864, "ExifVersion", kFourBytes},
    {36867, "DateTimeOriginal", kText},
    {36868, "DateTimeDigitized", kText},
    {37121, "ComponentConfiguration", kFourBytes},
    {37122, "CompressedBitsPerPixel", kRational},
    {37377, "ShutterSpeedValue", kRational},
    {37378, "ApertureValue", kRational},
    {37379, "BrightnessValue", kRational},
    {37380, "ExposureBiasValue", kRational},
    {37381, "MaxApertureValue", kRational},
    {37382, "SubjectDistance", kRational},
    {37383, "MeteringMode", kEnumeration},
    {37384, "LightSource", kEnumeration},
    {37385, "Flash", kEnumeration},
    {37386, "FocalLength", kRational},
    {37387, "FlashEnergy", kRational},
    {37388, "SpatialFrequencyResponse", kDecimal},
    {37389, "Noise", kDecimal},
    {37393, "ImageNumber", kDecimal},
    {37394, "SecurityClassification", kEnumeration},
    {37395, "ImageHistory", kText},
    {37396, "SubjectLocation", kSubjectLocation},
    {37397, "ExposureIndex", kRational},
    {37398, "TIFF/EPStandardID", kDecimal},
    {37500, "MakerNote", kByteText},
    {37510, "UserComment", kByteText},
    {37520, "SubSecTime", kSubSecTime},
    {37521, "SubSecTimeOriginal", kSubSecTime},
    {37522, "SubSecTimeDigitized", kSubSecTime},
    {40960, "FlashPixVersion", kFourBytes},
    {40961, "ColorSpace", kEnumeration},
    {40962, "ExifImageWidth", kDecimal},
    {40963, "ExifImageHeight", kDecimal},
    {40964, "RelatedSoundFile", kText},
    {40965, "ExifInteroperabilityOffset", kInteropOffset},
    {41483, "FlashEnergy", kRational},
    {41484, "SpatialFrequencyResponse", kDecimal},
    {41486, "FocalPlaneXResolution", kRational},
    {41487, "FocalPlaneYResolution", kRational},
    {41488, "FocalPlaneResolutionUnit", kEnumeration},
    {41492, "SubjectLocation", kSubjectLocation},
    {41493, "ExposureIndex", kRational},
    {41495, "SensingMethod", kEnumeration},
    {41728, "FileSource", kDecimal},
    {41729, "SceneType", kDecimal},
    {41730, "CFAPattern", kDecimal},
};

const char* const kDateNames[3] = {"DateTime", "DateTimeOriginal", "DateTimeDigitized"};
const int kDateSlots[3] = {FindSlot(306), FindSlot(36867), FindSlot(36868)};

bool IsDateText(const BYTE* p)
{
    bool bAllZero = true;
    for (int i = 0; i < 19; ++i)
        bAllZero = bAllZero && p[i] == 0;
    if (bAllZero)
        return true;
    static const char kShape[] = "dddd:dd:dd dd:dd:dd";
    for (int i = 0; i < 19; ++i) {
        const bool bOk = kShape[i] == 'd' ? (p[i] == ' ' || (p[i] >= '0' && p[i] <= '9')) : p[i] == BYTE(kShape[i]);
        if (!bOk)
            return false;
    }
    return true;
}

int FindSlot(DWORD dwTag)
{
    const TagInfo* pEnd = kTags + kSlotCount;
    const TagInfo* p = std::lower_bound(kTags, pEnd, dwTag,
                                        [](const TagInfo& t, DWORD tag) { return t.wTag < tag; });
    return (p != pEnd && p->wTag == dwTag) ? static_cast<int>(p - kTags) : -1;
}

// Names in the byte order of their characters (the lower tag number first where a name has
// two slots), with the two Interoperability slots moved directly after
// ExifInteroperabilityOffset.
static void BuildListingOrder(int* pOrder)
{
    for (int i = 0; i < kSlotCount; ++i)
        pOrder[i] = i;
    std::stable_sort(pOrder, pOrder + kSlotCount, [](int a, int b) {
        return std::strcmp(kTags[a].pszName, kTags[b].pszName) < 0;
    });
    const int nIndex = FindSlot(1), nVersion = FindSlot(2), nOffset = FindSlot(40965);
    int* pEnd = std::remove_if(pOrder, pOrder + kSlotCount,
                               [&](int s) { return s == nIndex || s == nVersion; });
    int* pAfter = std::find(pOrder, pEnd, nOffset) + 1;
    std::move_backward(pAfter, pEnd, pOrder + kSlotCount);
    pAfter[0] = nIndex;
    pAfter[1] = nVersion;
}

const int* ListingOrder()
{
    static const struct Order {
        int a[kSlotCount];
        Order() { BuildListingOrder(a); }
    } order;
    return order.a;
}

}  // namespace exif
