// The test-file writer, scratch folders and the log capture.
#include "ExifFiles.h"


#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace exiftest {

Bytes Tiff::U16(std::uint32_t v) const
{
    return m_bMotorola ? Bytes{std::uint8_t(v >> 8), std::uint8_t(v)} : Bytes{std::uint8_t(v), std::uint8_t(v >> 8)};
}

Bytes Tiff::U32(std::uint32_t v) const
{
    Bytes b{std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    if (m_bMotorola)
        std::swap(b[0], b[3]), std::swap(b[1], b[2]);
    return b;
}

static void Put(Bytes& out, const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); }

int Tiff::AddIfd()
{
    m_ifds.emplace_back();
    return int(m_ifds.size()) - 1;
}

Tiff& Tiff::Add(int ifd, Entry e)
{
    m_ifds.at(ifd).entries.push_back(std::move(e));
    return *this;
}

Tiff& Tiff::Ascii(int ifd, std::uint16_t tag, const std::string& text)
{
    Bytes data(text.begin(), text.end());
    data.push_back(0);
    const auto count = std::uint32_t(data.size());
    return Add(ifd, {tag, kAscii, count, std::move(data)});
}

Tiff& Tiff::Text(int ifd, std::uint16_t tag, const std::string& bytes, std::uint32_t count)
{
    return Add(ifd, {tag, kAscii, count, Bytes(bytes.begin(), bytes.end())});
}

Tiff& Tiff::Short(int ifd, std::uint16_t tag, std::vector<std::uint16_t> values, std::uint16_t type)
{
    Bytes data;
    for (auto v : values)
        Put(data, U16(v));
    return Add(ifd, {tag, type, std::uint32_t(values.size()), std::move(data)});
}

Tiff& Tiff::Long(int ifd, std::uint16_t tag, std::vector<std::uint32_t> values)
{
    Bytes data;
    for (auto v : values)
        Put(data, U32(v));
    return Add(ifd, {tag, kLong, std::uint32_t(values.size()), std::move(data)});
}

Tiff& Tiff::Rational(int ifd, std::uint16_t tag, std::vector<std::pair<std::uint32_t, std::uint32_t>> values)
{
    Bytes data;
    for (auto [n, d] : values) {
        Put(data, U32(n));
        Put(data, U32(d));
    }
    return Add(ifd, {tag, kRational, std::uint32_t(values.size()), std::move(data)});
}

Tiff& Tiff::Undefined(int ifd, std::uint16_t tag, const Bytes& bytes, std::uint16_t type)
{
    return Add(ifd, {tag, type, std::uint32_t(bytes.size()), bytes});
}

Tiff& Tiff::Raw(int ifd, std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value)
{
    Entry e{tag, type, count, {}};
    e.raw = value;
    return Add(ifd, std::move(e));
}

Tiff& Tiff::Pointer(int ifd, std::uint16_t tag, int target)
{
    Entry e{tag, kLong, 1, {}};
    e.target = target;
    return Add(ifd, std::move(e));
}

Tiff& Tiff::Next(int ifd, int target)
{
    m_ifds.at(ifd).next = target;
    return *this;
}

Tiff& Tiff::RawNext(int ifd, std::uint32_t offset)
{
    m_ifds.at(ifd).rawNext = offset;
    return *this;
}

Tiff& Tiff::SortEntries()
{
    for (Ifd& ifd : m_ifds)
        std::stable_sort(ifd.entries.begin(), ifd.entries.end(),
                         [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    return *this;
}

Bytes Tiff::Build()
{
    m_offsets.clear();
    std::uint32_t pos = 8;
    for (const Ifd& ifd : m_ifds) {
        m_offsets.push_back(pos);
        pos += 2 + 12 * std::uint32_t(ifd.entries.size()) + 4;
    }
    Bytes data;
    for (Ifd& ifd : m_ifds)
        for (Entry& e : ifd.entries)
            if (!e.raw && e.target < 0 && e.data.size() > 4) {
                e.dataOffset = pos + std::uint32_t(data.size());
                Put(data, e.data);
                if (data.size() % 2)
                    data.push_back(0);
            }

    Bytes out = m_bMotorola ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
    Put(out, U16(42));
    Put(out, U32(m_ifd0Offset.value_or(8)));
    for (const Ifd& ifd : m_ifds) {
        Put(out, U16(std::uint32_t(ifd.entries.size())));
        for (const Entry& e : ifd.entries) {
            Put(out, U16(e.tag));
            Put(out, U16(e.type));
            Put(out, U32(e.count));
            if (e.raw)
                Put(out, U32(*e.raw));
            else if (e.target >= 0)
                Put(out, U32(m_offsets.at(e.target)));
            else if (e.data.size() > 4)
                Put(out, U32(e.dataOffset));
            else {
                Bytes field = e.data;
                field.resize(4, 0);
                Put(out, field);
            }
        }
        Put(out, U32(ifd.rawNext ? *ifd.rawNext : ifd.next >= 0 ? m_offsets.at(ifd.next) : 0));
    }
    Put(out, data);
    return out;
}

Tiff Camera(bool bMotorola, const CameraDates& dates)
{
    Tiff t(bMotorola);
    const int exif = t.AddIfd(), interop = t.AddIfd(), ifd1 = t.AddIfd();
    t.Ascii(0, 271, "Fotex").Ascii(0, 272, "FX-100").Short(0, 274, {1});
    t.Rational(0, 282, {{72, 1}}).Rational(0, 283, {{72, 1}}).Short(0, 296, {2});
    t.Ascii(0, 305, "Ver.1.0");
    if (!dates.dateTime.empty())
        t.Ascii(0, 306, dates.dateTime);
    t.Short(0, 531, {2}).Pointer(0, 34665, exif).Next(0, ifd1);

    t.Rational(exif, 33434, {{1, 60}}).Rational(exif, 33437, {{28, 10}}).Short(exif, 34850, {2});
    t.Short(exif, 34855, {100}).Undefined(exif, 36864, {'0', '2', '2', '1'});
    if (!dates.original.empty())
        t.Ascii(exif, 36867, dates.original);
    if (!dates.digitized.empty())
        t.Ascii(exif, 36868, dates.digitized);
    t.Undefined(exif, 37121, {1, 2, 3, 0}).Rational(exif, 37380, {{0, 3}}).Short(exif, 37383, {5});
    t.Short(exif, 37385, {16}).Rational(exif, 37386, {{63, 10}});
    t.Undefined(exif, 37500, {'A', 'B', 7, 'C', 0, 'x'});
    t.Undefined(exif, 37510, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'i'});
    t.Ascii(exif, 37520, "25").Undefined(exif, 40960, {'0', '1', '0', '0'}).Short(exif, 40961, {1});
    t.Short(exif, 40962, {640}).Short(exif, 40963, {480}).Pointer(exif, 40965, interop);
    t.Short(exif, 41495, {2}).Short(exif, 41985, {0});

    t.Ascii(interop, 1, "R98").Undefined(interop, 2, {'0', '1', '0', '0'});

    t.Short(ifd1, 259, {6}).Rational(ifd1, 282, {{72, 1}}).Rational(ifd1, 283, {{72, 1}});
    t.Short(ifd1, 296, {2}).Long(ifd1, 513, {1234}).Long(ifd1, 514, {5000});
    return t;
}

static const Bytes kApp0 = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
static const std::string kXmp = std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x:xmpmeta>Exif</x:xmpmeta>";

std::size_t TiffStart(const JpegParts& parts)
{
    return parts.garbageBefore.size() + 2 + (parts.app0 ? kApp0.size() : 0) +
           (parts.xmpBefore ? 4 + kXmp.size() : 0) + 2 + 2 + 6;
}

Bytes Jpeg(const Bytes& tiff, const JpegParts& parts)
{
    Bytes out = parts.garbageBefore;
    Put(out, {0xFF, 0xD8});
    if (parts.app0)
        Put(out, kApp0);
    if (parts.xmpBefore) {
        const std::size_t len = kXmp.size() + 2;
        Put(out, {0xFF, 0xE1, std::uint8_t(len >> 8), std::uint8_t(len)});
        out.insert(out.end(), kXmp.begin(), kXmp.end());
    }
    const std::uint32_t len = parts.lengthField.value_or(std::uint32_t(tiff.size() + 8));
    Put(out, {0xFF, 0xE1, std::uint8_t(len >> 8), std::uint8_t(len), 'E', 'x', 'i', 'f', 0, 0});
    Put(out, tiff);
    Bytes tables = {0xFF, 0xDB, 0x00, 0x43, 0x00};
    tables.resize(tables.size() + 64, 0x10);
    Put(out, tables);
    Put(out, {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
    out.resize(out.size() + parts.imageBytes, 0x55);
    Put(out, {0xFF, 0xD9});
    return out;
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace exiftest
