// Dates held as text: which shapes are read, how a rewrite keeps each shape, the MD5 of the
// IPTC digest, and what the XMP reader takes from a packet.
#include "exif/Umd5.h"
#include "exif/Utextdate.h"
#include "exif/Uxmp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace exif;

namespace {

const SYSTEMTIME kNew{2010, 3, 0, 4, 5, 6, 7, 0};

enum class Shape { Xmp, IptcDate, IptcTime, Exif };

bool Read(Shape shape, const std::string& text, DateDigits& d)
{
    switch (shape) {
    case Shape::Xmp: return ReadXmpDate(text, d);
    case Shape::IptcDate: return ReadIptcDate(text, d);
    case Shape::IptcTime: return ReadIptcTime(text, d);
    case Shape::Exif: return ReadExifDate(text, d);
    }
    return false;
}

}  // namespace

// Each text keeps its precision, fraction and zone; only the digits of its fields change.
// An empty expectation: the shape is refused and the text left alone.
TEST(TextDates, EachShapeKeepsItsOwnFormWhenRewritten)
{
    const struct {
        Shape shape;
        const char* old;
        const char* rewritten;
    } cases[] = {
        {Shape::Xmp, "2006-12-24", "2010-03-04"},
        {Shape::Xmp, "2006-12-24T17:05", "2010-03-04T05:06"},
        {Shape::Xmp, "2006-12-24T17:05:09", "2010-03-04T05:06:07"},
        {Shape::Xmp, "2006-12-24T17:05:09.25", "2010-03-04T05:06:07.25"},
        {Shape::Xmp, "2006-12-24T17:05:09.123456Z", "2010-03-04T05:06:07.123456Z"},
        {Shape::Xmp, "2006-12-24T17:05:09+01:00", "2010-03-04T05:06:07+01:00"},
        {Shape::Xmp, "2006-12-24T17:05-03:30", "2010-03-04T05:06-03:30"},
        {Shape::Xmp, "2006-12", ""},
        {Shape::Xmp, "2006", ""},
        {Shape::Xmp, "2006:12:24 17:05:09", ""},
        {Shape::Xmp, "2006-12-24 17:05:09", ""},
        {Shape::Xmp, "                   ", ""},
        {Shape::Xmp, "", ""},
        {Shape::Xmp, "2006-13-24", ""},
        {Shape::Xmp, "2006-12-24T24:00:00", ""},
        {Shape::Xmp, "2006-12-24T17", ""},
        {Shape::Xmp, "2006-12-24T17:05:09.", ""},
        {Shape::Xmp, "2006-12-24T17:05:09+01", ""},
        {Shape::Xmp, "2006-12-24T17:05:09+0100", ""},
        {Shape::Xmp, "2006-12-24T17:05:09Zx", ""},
        {Shape::Xmp, "&#50;006-12-24", ""},
        {Shape::Xmp, "0000-12-24", ""},
        {Shape::IptcDate, "20061224", "20100304"},
        {Shape::IptcDate, "2006122", ""},
        {Shape::IptcDate, "20060000", ""},
        {Shape::IptcDate, "2006-12-24", ""},
        {Shape::IptcTime, "170509", "050607"},
        {Shape::IptcTime, "170509+0100", "050607+0100"},
        {Shape::IptcTime, "170509-0530", "050607-0530"},
        {Shape::IptcTime, "170509+01:00", ""},
        {Shape::IptcTime, "1705", ""},
        {Shape::IptcTime, "17:05:09", ""},
        {Shape::Exif, "2006:12:24 17:05:09", "2010:03:04 05:06:07"},
        {Shape::Exif, "    :  :     :  :  ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.old);
        DateDigits digits;
        const bool bRead = Read(c.shape, c.old, digits);
        EXPECT_EQ(bRead, *c.rewritten != 0);
        if (bRead) {
            EXPECT_EQ(PutDigits(c.old, digits, kNew), c.rewritten);
        }
    }
}

TEST(TextDates, AgreementComparesOnlyTheFieldsATextHolds)
{
    DateDigits dateOnly, minutes;
    ASSERT_TRUE(ReadXmpDate("2010-03-04", dateOnly));
    ASSERT_TRUE(ReadXmpDate("2010-03-04T05:06+02:00", minutes));
    EXPECT_TRUE(DigitsAgree(dateOnly, kNew));
    EXPECT_TRUE(DigitsAgree(minutes, kNew));
    SYSTEMTIME other = kNew;
    other.wDay = 5;
    EXPECT_FALSE(DigitsAgree(dateOnly, other));
    other = kNew;
    other.wSecond = 59;  // beyond a text to the minute
    EXPECT_TRUE(DigitsAgree(minutes, other));
    other.wMinute = 7;
    EXPECT_FALSE(DigitsAgree(minutes, other));
}

TEST(TextDates, Md5MatchesTheReferenceDigests)
{
    const struct {
        std::string input;
        const char* hex;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},  // one block with the length
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},  // the length needs a second block
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.size());
        const auto digest = Md5(reinterpret_cast<const BYTE*>(c.input.data()), c.input.size());
        char hex[33] = {};
        for (int i = 0; i < 16; ++i)
            std::snprintf(hex + 2 * i, 3, "%02x", digest[std::size_t(i)]);
        EXPECT_STREQ(hex, c.hex);
    }
}

namespace {

const std::string kHead = "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'>"
                          "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>";
const std::string kTail = "</rdf:RDF></x:xmpmeta><?xpacket end='w'?>";

std::string Packet(const std::string& body) { return kHead + body + kTail; }

// "name=text" for each copy found, "!" before the name of one left alone.
std::string Found(const std::string& packet, bool bLeaveAlone = false)
{
    std::vector<TextDateCopy> copies;
    FindXmpDates(reinterpret_cast<const BYTE*>(packet.data()), packet.size(), 1000, "XMP", bLeaveAlone, copies);
    std::string out;
    for (const TextDateCopy& c : copies) {
        out += (out.empty() ? "" : " ") + std::string(c.eRefused == ExifWriteResult::NotAsked ? "" : "!") + c.strName +
               "=" + c.Text();
        EXPECT_EQ(c.parts.size(), 1u);
        // The range is the text itself, where the packet holds it.
        if (!c.parts.empty() && !c.parts[0].strOld.empty()) {
            EXPECT_EQ(packet.substr(std::size_t(c.parts[0].qwFilePos - 1000), c.parts[0].strOld.size()), c.parts[0].strOld);
        }
    }
    return out;
}

}  // namespace

TEST(XmpReader, FindsDatePropertiesByNamespaceInBothForms)
{
    const struct {
        const char* what;
        std::string packet;
        const char* found;
    } cases[] = {
        {"element form",
         Packet("<rdf:Description rdf:about='' xmlns:exif='http://ns.adobe.com/exif/1.0/'>"
                "<exif:DateTimeOriginal>2006-12-24T17:05:09</exif:DateTimeOriginal></rdf:Description>"),
         "exif:DateTimeOriginal=2006-12-24T17:05:09"},
        {"attribute form, both quotes, another prefix for the namespace",
         Packet("<rdf:Description rdf:about='' xmlns:xap='http://ns.adobe.com/xap/1.0/' xmlns:t='http://ns.adobe.com/tiff/1.0/'"
                " xap:ModifyDate='2006-12-24T17:05' t:DateTime=\"2006-12-24T17:05:09Z\" xap:MetadataDate='2006-12-24'/>"),
         "xmp:ModifyDate=2006-12-24T17:05 tiff:DateTime=2006-12-24T17:05:09Z"},
        {"blanks around an element's text are not part of it",
         Packet("<rdf:Description xmlns:photoshop='http://ns.adobe.com/photoshop/1.0/'><photoshop:DateCreated>\n  2006-12-24 "
                "</photoshop:DateCreated></rdf:Description>"),
         "photoshop:DateCreated=2006-12-24"},
        {"a default namespace names elements, not attributes",
         Packet("<rdf:Description xmlns='http://ns.adobe.com/xap/1.0/' CreateDate='2006-12-24'>"
                "<CreateDate>2006-12-24T17:05:09</CreateDate></rdf:Description>"),
         "xmp:CreateDate=2006-12-24T17:05:09"},
        {"the prefix alone means nothing: an undeclared or other namespace is not ours",
         Packet("<rdf:Description xmlns:exif='http://example.com/exif/'><exif:DateTimeOriginal>2006-12-24"
                "</exif:DateTimeOriginal></rdf:Description><rdf:Description><xmp:CreateDate>2006-12-24</xmp:CreateDate>"
                "</rdf:Description>"),
         ""},
        {"a declaration holds only inside its element",
         Packet("<rdf:Description xmlns:e='http://ns.adobe.com/exif/1.0/'/><rdf:Description e:DateTimeDigitized='2006-12-24'/>"),
         ""},
        {"a structure or an entity is not a date text",
         Packet("<rdf:Description xmlns:exif='http://ns.adobe.com/exif/1.0/'><exif:DateTimeOriginal><rdf:Seq/>"
                "</exif:DateTimeOriginal><exif:DateTimeDigitized>2006&#45;12-24</exif:DateTimeDigitized></rdf:Description>"),
         "!exif:DateTimeDigitized=2006&#45;12-24"},
        {"comments, CDATA and processing instructions are passed",
         Packet("<!-- <exif:DateTimeOriginal>x</exif:DateTimeOriginal> --><?pi <x ?><rdf:Description "
                "xmlns:exif='http://ns.adobe.com/exif/1.0/'><![CDATA[<exif:DateTimeOriginal>]]>"
                "<exif:DateTimeOriginal>2006-12-24</exif:DateTimeOriginal></rdf:Description>"),
         "exif:DateTimeOriginal=2006-12-24"},
        {"odd shapes are found and left alone",
         Packet("<rdf:Description xmlns:exif='http://ns.adobe.com/exif/1.0/' exif:DateTimeOriginal='2006:12:24 17:05:09'"
                " exif:DateTimeDigitized='2006-12'><exif:DateTimeOriginal>   </exif:DateTimeOriginal></rdf:Description>"),
         "!exif:DateTimeOriginal=2006:12:24 17:05:09 !exif:DateTimeDigitized=2006-12 !exif:DateTimeOriginal="},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Found(c.packet), c.found);
    }
}

// A packet that is not well-formed, or a chunk of extended XMP, has every date left alone.
TEST(XmpReader, PacketsThatDoNotHoldTogetherHaveTheirDatesLeftAlone)
{
    const std::string body = "<rdf:Description xmlns:exif='http://ns.adobe.com/exif/1.0/'>"
                             "<exif:DateTimeOriginal>2006-12-24</exif:DateTimeOriginal></rdf:Description>";
    const std::string whole = Packet(body);
    const struct {
        const char* what;
        std::string packet;
    } cases[] = {
        {"cut short", whole.substr(0, whole.size() - kTail.size() + 9)},
        {"cut inside a tag", whole.substr(0, whole.find("</exif:DateTimeOriginal>") + 5)},
        {"end tag of another element", kHead + body + "</rdf:Bag>" + kTail},
        {"quote never closed", kHead + "<rdf:Description a='x>" + body + kTail},
        {"comment never closed", kHead + body + "<!-- " + kTail},
        {"a stray end tag", kHead + body + "</x:xmpmeta>" + kTail},
        {"no markup at all", "2006-12-24"},
        {"a lone less-than sign", kHead + body + "< " + kTail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string found = Found(c.packet);
        EXPECT_TRUE(found.empty() || found == "!exif:DateTimeOriginal=2006-12-24") << found;
    }
    EXPECT_EQ(Found(whole), "exif:DateTimeOriginal=2006-12-24");
    EXPECT_EQ(Found(whole, true), "!exif:DateTimeOriginal=2006-12-24");
}
