// The tag catalogue: the 103 slots, each with its tag number, name and rendering family.
#pragma once

#include "platform/wintypes.h"

namespace exif {

// How a slot's value becomes text.
enum Family : int {
    kText,              // the characters the value points to (writes)
    kIptc,              // text when ASCII, else the value in hex
    kDecimal,           // the value as a signed number
    kExifOffset,        // hex offset; locates the Exif sub-IFD
    kGpsInfo,           // hex offset with a note
    kRational,          // numerator/denominator list (appends)
    kFourBytes,         // the value's four bytes, most significant first
    kInteropOffset,     // four bytes; locates the Interoperability IFD
    kInteropVersion,    // the four value bytes in unit order
    kInteropIndex,      // the four value bytes as characters
    kSubSecTime,        // the inline characters
    kByteText,          // bytes as text, control bytes in hex (appends)
    kBitsPerSample,     // list of numbers (appends)
    kStripOffsets,      // offset and strip count (appends)
    kRowsPerStrip,
    kCfaRepeatPatternDim,
    kIsoSpeedRatings,
    kTimeZoneOffset,
    kSubjectLocation,   // appends
    kYCbCrSubSampling,
    kPlanarConfiguration,
    kEnumeration,       // a table of texts (see Uexif_enums.cpp)
};

struct TagInfo {
    WORD wTag;
    const char* pszName;
    Family family;
};

constexpr int kSlotCount = 103;
extern const TagInfo kTags[kSlotCount];  // sorted by tag number

// Slot indices of the three date tags, in the order DateTime, DateTimeOriginal, DateTimeDigitized.
extern const int kDateSlots[3];
extern const char* const kDateNames[3];

// Block position of the data a value field points to (value + 8); a value so large that the
// sum leaves 32 bits gives a position outside every block.
inline DWORD BlockPosOf(DWORD dwValue)
{
    return dwValue > 0xFFFFFFFFu - 8 ? 0xFFFFFFFFu : dwValue + 8;
}

// Bytes of one value of a TIFF type; 0 for a type this engine does not know.
inline DWORD TypeSize(DWORD dwType)
{
    constexpr BYTE kSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return dwType < 13 ? kSizes[dwType] : 0;
}

// 0, 1 or 2 for the slot of DateTime, DateTimeOriginal or DateTimeDigitized; else -1.
inline int DateOfSlot(int nSlot)
{
    for (int d = 0; d < 3; ++d)
        if (kDateSlots[d] == nSlot)
            return d;
    return -1;
}

// A date text as cameras write it, or a placeholder for one: digits or blanks at the 14 digit
// places and ':', ':', ' ', ':', ':' between them; or 19 zero bytes.
bool IsDateText(const BYTE* p);

int FindSlot(DWORD dwTag);           // -1 when the tag has no slot
const int* ListingOrder();           // the 103 slot indices in listing order

// Enumerations: writes the text for the current entry into pszOut (4200 characters).
struct EnumKeys {
    DWORD l0;       // low byte of the first unit
    DWORD h0;       // its high byte
    DWORD v;        // the value
    bool bMotorola;
};
void RenderEnumerationText(WORD wTag, const EnumKeys& keys, char* pszOut, int cchOut);

}  // namespace exif
