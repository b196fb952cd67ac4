// The listing of whole files, line by line, in both byte orders, and the renderings whose texts
// depend on the byte order or on the value's type.
#include "ExifFiles.h"
#include "exif/Uexif.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstring>

using namespace exiftest;

namespace {

std::string Line(const char* pszName, const std::string& value)
{
    char sz[5000];
    std::snprintf(sz, sizeof(sz), "%27s=%s\r\n", pszName, value.c_str());
    return sz;
}

std::string Dump(CExif& exif, DWORD dwCapacity = 20000)
{
    std::vector<char> out(dwCapacity + 1, '#');
    exif.DumpText(out.data(), dwCapacity);
    return out.data();
}

std::string Hex4(std::uint32_t v)
{
    char sz[16];
    std::snprintf(sz, sizeof(sz), "%4x", v);
    return sz;
}

std::string Bytes4(std::uint32_t v)
{
    return "[" + std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 255) + "." +
           std::to_string((v >> 8) & 255) + "." + std::to_string(v & 255) + "]";
}

std::string CameraListing(bool bMotorola, Tiff& t)
{
    // The lines that differ between the byte orders.
    const char* pszComponents = bMotorola ? "[1.2.3.0]" : "[0.3.2.1]";
    const char* pszExifVersion = bMotorola ? "[48.50.50.49]" : "[49.50.50.48]";
    const char* pszFlashPix = bMotorola ? "[48.49.48.48]" : "[48.48.49.48]";
    const char* pszInteropIndex = bMotorola ? "9R" : "R98";
    const char* pszInteropVersion = bMotorola ? "[49.48.48.48]" : "[48.49.48.48]";
    const char* pszUnit = bMotorola ? "inch" : "2=inch";
    return Line("ColorSpace", "1") + Line("ComponentConfiguration", pszComponents) +
           Line("Compression", "6=Vendor Unique Number") + Line("DateTime", "2006:12:24 17:05:09") +
           Line("DateTimeDigitized", "2006:12:24 17:05:09") + Line("DateTimeOriginal", "2006:12:24 17:05:09") +
           Line("ExifImageHeight", "480") + Line("ExifImageWidth", "640") +
           Line("ExifInteroperabilityOffset", Bytes4(t.IfdOffset(2))) +
           Line("InteroperabilityIndex", pszInteropIndex) + Line("InteroperabilityVersion", pszInteropVersion) +
           Line("ExifOffset", Hex4(t.IfdOffset(1))) + Line("ExifVersion", pszExifVersion) +
           Line("ExposureBiasValue", "0/3 ") + Line("ExposureProgram", "program normal") +
           Line("ExposureTime", "1/60 ") + Line("FNumber", "28/10 ") + Line("Flash", "16") +
           Line("FlashPixVersion", pszFlashPix) + Line("FocalLength", "63/10 ") +
           Line("ISOSpeedRatings", "CCD sensitivity equivalent to Ag-Hr film speedrate=100,0") +
           Line("JpegIFByteCount", "5000") + Line("JpegIFOffset", "1234") + Line("Make", "Fotex") +
           Line("MakerNote", "AB[07]C") + Line("MeteringMode", "multi-segment") + Line("Model", "FX-100") +
           Line("Orientation", "upper left") + Line("ResolutionUnit", pszUnit) +
           Line("SensingMethod", "one chip color area sensor") + Line("Software", "Ver.1.0") +
           Line("SubSecTime", "25") + Line("UserComment", "ASCII") + Line("XResolution", "72/1 72/1 ") +
           Line("YCbCrPositioning", "the datum point") + Line("YResolution", "72/1 72/1 ");
}

CExif* OpenBytes(ScratchDir& dir, const Bytes& file, CExif& exif)
{
    EXPECT_TRUE(exif.Open(dir.Write("f.jpg", file).c_str()));
    return &exif;
}

}  // namespace

TEST(ExifListing, TypicalCameraFileInBothByteOrders)
{
    ScratchDir dir;
    for (bool bMotorola : {false, true}) {
        SCOPED_TRACE(bMotorola ? "MM" : "II");
        Tiff t = Camera(bMotorola);
        const Bytes tiff = t.Build();
        CExif exif;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(exif.Open(dir.Write("camera.jpg", Jpeg(tiff)).c_str()));
        // The tag without a slot (CustomRendered) is reported on standard output only.
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "                 tag#=41985=0\n");
        EXPECT_EQ(exif.IsMotorola(), bMotorola);
        EXPECT_EQ(Dump(exif), CameraListing(bMotorola, t));
        // One literal line, as the window shows it.
        EXPECT_NE(Dump(exif).find("                XResolution=72/1 72/1 \r\n"), std::string::npos);
    }
}

TEST(ExifListing, CapacityDropsLinesThatDoNotFitButKeepsLaterOnes)
{
    ScratchDir dir;
    Tiff t(false);
    const int empty = t.AddIfd();
    t.Ascii(0, 306, "2006:12:24 17:05:09").Pointer(0, 34665, empty);
    CExif exif;
    OpenBytes(dir, Jpeg(t.Build()), exif);
    const std::string dateLine = Line("DateTime", "2006:12:24 17:05:09");
    const std::string offsetLine = Line("ExifOffset", Hex4(t.IfdOffset(empty)));
    // Only DateTime and ExifOffset, in that order.
    EXPECT_EQ(Dump(exif), dateLine + offsetLine);
    // A capacity below the first line but above the second keeps the second only; the line
    // and its terminator must fit within the capacity.
    EXPECT_EQ(Dump(exif, DWORD(offsetLine.size() + 1)), offsetLine);
    EXPECT_EQ(Dump(exif, DWORD(offsetLine.size())), "");
    EXPECT_EQ(Dump(exif, DWORD(dateLine.size() + offsetLine.size() + 1)), dateLine + offsetLine);
}

TEST(ExifListing, ValuesReadByTypeListAlikeInBothByteOrders)
{
    ScratchDir dir;
    for (bool bMotorola : {false, true}) {
        SCOPED_TRACE(bMotorola ? "MM" : "II");
        Tiff t(bMotorola);
        t.Short(0, 274, {6}).Short(0, 296, {5}).Short(0, 34855, {200, 400});
        t.Undefined(0, 41728, {3}, kUndefined).Short(0, 37385, {16}).Short(0, 37384, {65535}, kSShort);
        t.Ascii(0, 271, "AB").Short(0, 258, {8, 8, 8});
        t.Undefined(0, 36864, {'0', '2', '2', '0'});
        CExif exif;
        OpenBytes(dir, Jpeg(t.Build()), exif);
        auto value = [&](DWORD tag) { return std::string(exif.FindTag(tag)->szValue); };
        EXPECT_EQ(value(274), "upper right");
        EXPECT_EQ(value(296), bMotorola ? "?????????????????????????????\"" : "5");
        EXPECT_EQ(value(34855), "CCD sensitivity equivalent to Ag-Hr film speedrate=200,400");
        EXPECT_EQ(value(41728), "3");   // a single UNDEFINED byte
        EXPECT_EQ(value(37385), "16");  // a single SHORT
        EXPECT_EQ(value(37384), "-1");  // a single SSHORT
        EXPECT_EQ(value(271), "AB");    // a short text in the value field itself
        EXPECT_EQ(value(258), "8,8,8");
        EXPECT_EQ(value(36864), "[48.50.50.48]");
    }
}

TEST(ExifListing, TextsWithoutTerminatorLongTextsAndRepeatedTags)
{
    ScratchDir dir;
    Tiff t(false);
    const std::string longText(5000, 'x');
    t.Text(0, 271, "BUSHNELL", 8);                                // no terminating zero
    t.Text(0, 36867, "2005:07:14 09:05:07", 19);                  // the same, a date
    t.Ascii(0, 270, longText);                                    // cut at 4199 characters
    Bytes comment(6000, 'y');
    comment[10] = 1;
    t.Undefined(0, 37510, comment);                               // byte text, cut
    std::vector<std::pair<std::uint32_t, std::uint32_t>> many(1100, {1, 1});
    t.Rational(0, 282, many);                                     // long rational list, cut
    t.Ascii(0, 37521, "123456");                                  // sub-second text of 6
    t.Ascii(0, 305, "Long software name").Ascii(0, 305, "Short");  // copy over an older text
    CExif exif;
    OpenBytes(dir, Jpeg(t.Build()), exif);
    auto value = [&](DWORD tag) { return std::string(exif.FindTag(tag)->szValue); };
    EXPECT_EQ(value(271), "BUSHNELL");
    EXPECT_EQ(value(36867), "2005:07:14 09:05:07");
    EXPECT_EQ(value(270), std::string(4199, 'x'));
    EXPECT_EQ(value(37510).size(), 4199u);
    EXPECT_EQ(value(37510).substr(0, 16), "yyyyyyyyyy[01]yy");
    EXPECT_EQ(value(282).size(), 4199u);
    EXPECT_EQ(value(37521), "123456");
    EXPECT_EQ(value(305), "Shortsoftware name");
    // Full-length values still list within the window's buffer and never overrun it.
    std::string listing = Dump(exif);
    EXPECT_LT(listing.size(), 20000u);
    EXPECT_NE(listing.find(Line("ImageDescription", std::string(4199, 'x'))), std::string::npos);
}

TEST(ExifListing, EveryNamedRenderingFromOneFile)
{
    ScratchDir dir;
    Tiff t(false);
    t.Short(0, 254, {1}).Short(0, 262, {32803}).Short(0, 277, {4}).Short(0, 284, {2});
    t.Long(0, 273, {1000}).Long(0, 278, {16}).Short(0, 530, {0x0102}).Short(0, 33421, {0x0302});
    t.Short(0, 34857, {200}).Short(0, 34858, {0x7F87}).Long(0, 34853, {0x1234});
    t.Short(0, 37396, {0x0201, 0x0003}).Short(0, 41492, {0x0201, 0x0504}).Short(0, 37394, {'S'});
    t.Undefined(0, 2, {'0', '1', '0', '0'}).Short(0, 41488, {3}).Short(0, 34850, {9});
    t.Raw(0, 33723, kLong, 1, 0xbeef);
    CExif exif;
    OpenBytes(dir, Jpeg(t.Build()), exif);
    auto value = [&](DWORD tag) { return std::string(exif.FindTag(tag)->szValue); };
    EXPECT_EQ(value(254), "indicates thumbnail\"");
    EXPECT_EQ(value(262), "CFA");
    EXPECT_EQ(value(277), "4=Vendor Unique Number");
    EXPECT_EQ(value(284), "planer");
    EXPECT_EQ(value(273), "1000, 1=SamplesPerPixel * StripsPerImage");
    EXPECT_EQ(value(278), "16, Note that the number of StripsPerImage equals floor ((ImageLength + RowsPerStrip - 1) / RowsPerStrip)");
    EXPECT_EQ(value(530), "ImageWidth of this chroma image is half the ImageWidth of the associated luma image"
                          "ImageLength (height) of this chroma image is equal to the ImageLength of the associated luma image");
    EXPECT_EQ(value(33421), "CFARepeatRows=2, CFARepeatCols=3");
    EXPECT_EQ(value(34857), "200=vertical field 2-127, horizontal field 2");
    EXPECT_EQ(value(34858), "7=Time Zone Offset (in hours) of DateTimeOriginal tag-value relative to Greenwich Mean Time");
    EXPECT_EQ(value(34853), "1234=place to find more GPS info, more code needs to be written to decode this data");
    EXPECT_EQ(value(37396), "1=column number, 2=row number, 3=diameter of circle");
    EXPECT_EQ(value(41492), "1=column number, 2=row number, 4=width, 5=heigth");
    EXPECT_EQ(value(37394), "S=Secret");
    EXPECT_EQ(value(2), "[48.49.48.48]");
    EXPECT_EQ(value(41488), "centimeter");
    EXPECT_EQ(value(34850), "9");
    EXPECT_EQ(value(33723), "beef");
}

TEST(ExifListing, ListingOrderOfAllSlots)
{
    // Every slot present: the names come in the fixed order.
    ScratchDir dir;
    Tiff t(false);
    for (DWORD tag = 0; tag < 65536; ++tag)
        if (CExif::SlotOfTag(tag) >= 0)
            t.Raw(0, std::uint16_t(tag), kLong, 1, tag);
    CExif exif;
    OpenBytes(dir, Jpeg(t.Build()), exif);
    const std::string listing = Dump(exif, 100000);
    std::vector<std::string> names;
    for (std::size_t pos = 0; pos < listing.size();) {
        const std::size_t eq = listing.find('=', pos);
        std::string name = listing.substr(pos, eq - pos);
        names.push_back(name.substr(name.find_first_not_of(' ')));
        pos = listing.find("\r\n", eq) + 2;
    }
    const std::vector<std::string> expected = {
        "ApertureValue", "Artist", "BatteryLevel", "BitsPerSample", "BrightnessValue", "CFAPattern", "CFAPattern",
        "CFARepeatPatternDim", "ColorSpace", "ComponentConfiguration", "CompressedBitsPerPixel", "Compression",
        "Copyright", "DateTime", "DateTimeDigitized", "DateTimeOriginal", "ExifImageHeight", "ExifImageWidth",
        "ExifInteroperabilityOffset", "InteroperabilityIndex", "InteroperabilityVersion", "ExifOffset",
        "ExifVersion", "ExposureBiasValue", "ExposureIndex", "ExposureIndex", "ExposureProgram", "ExposureTime",
        "FNumber", "FileSource", "Flash", "FlashEnergy", "FlashEnergy", "FlashPixVersion", "FocalLength",
        "FocalPlaneResolutionUnit", "FocalPlaneXResolution", "FocalPlaneYResolution", "GPSInfo", "IPTC/NAA",
        "ISOSpeedRatings", "ImageDescription", "ImageHistory", "ImageLength", "ImageNumber", "ImageWidth",
        "InterColorProfile", "Interlace", "JPEGTables", "JpegIFByteCount", "JpegIFOffset", "LightSource", "Make",
        "MakerNote", "MaxApertureValue", "MeteringMode", "Model", "NewSubfileType", "Noise", "OECF", "Orientation",
        "PhotometricInterpretation", "PlanarConfiguration", "Predictor", "PrimaryChromaticities",
        "ReferenceBlackWhite", "RelatedSoundFile", "ResolutionUnit", "RowsPerStrip", "SamplesPerPixel",
        "SceneType", "SecurityClassification", "SelfTimerMode", "SensingMethod", "ShutterSpeedValue", "Software",
        "SpatialFrequencyResponse", "SpatialFrequencyResponse", "SpectralSensitivity", "StripByteConunts",
        "StripOffsets", "SubIFDs", "SubSecTime", "SubSecTimeDigitized", "SubSecTimeOriginal", "SubfileType",
        "SubjectDistance", "SubjectLocation", "SubjectLocation", "TIFF/EPStandardID", "TileByteCounts",
        "TileLength", "TileOffsets", "TileWidth", "TimeZoneOffset", "TransferFunction", "UserComment",
        "WhitePoint", "XResolution", "YCbCrCoefficients", "YCbCrPositioning", "YCbCrSubSampling", "YResolution"};
    // Rationals, whose data cannot stand in a value field, are skipped; the rest list.
    std::vector<std::string> present;
    for (const std::string& n : expected)
        if (std::find(names.begin(), names.end(), n) != names.end())
            present.push_back(n);
    EXPECT_EQ(names, present);
    EXPECT_GE(names.size(), 70u);
    // The two slots of a shared name: the lower tag number lists first.
    EXPECT_LT(listing.find(Line("CFAPattern", "33422")), listing.find(Line("CFAPattern", "41730")));
}
