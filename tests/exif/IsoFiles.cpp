#include "IsoFiles.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace exiftest {

Bytes Be(std::uint64_t qwValue, int nBytes)
{
    Bytes out(std::size_t(nBytes), 0);
    for (int k = nBytes - 1; k >= 0; --k, qwValue >>= 8)
        out[std::size_t(k)] = std::uint8_t(qwValue);
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes IsoBox(const char* pszType, const Bytes& body) { return Cat({Be(8 + body.size(), 4), Bytes(pszType, pszType + 4), body}); }

Bytes IsoFullBox(const char* pszType, int nVersion, const Bytes& body)
{
    return IsoBox(pszType, Cat({Be(std::uint64_t(nVersion) << 24, 4), body}));
}

Bytes TimeHeader(const char* pszType, int nVersion, std::uint64_t qwCreated, std::uint64_t qwModified)
{
    const int nWidth = nVersion == 0 ? 4 : 8;
    return IsoFullBox(pszType, nVersion, Cat({Be(qwCreated, nWidth), Be(qwModified, nWidth), Bytes(80, 0)}));
}

Bytes Ftyp(const char* pszBrand)
{
    const Bytes brand(pszBrand, pszBrand + 4);
    return IsoBox("ftyp", Cat({brand, Be(0, 4), brand}));
}

Bytes Iloc::Build(const std::vector<Extent>& extents) const
{
    const int nIdSize = nVersion < 2 ? 2 : 4;
    Bytes body = Cat({Be(std::uint64_t(nOffsetSize << 4 | nLengthSize), 1), Be(std::uint64_t(nBaseSize << 4), 1),
                      Be(extents.size(), nIdSize)});
    std::uint32_t dwId = 1;
    for (const Extent& e : extents) {
        const Bytes one = Cat({Be(e.qwOffset - qwBase, nOffsetSize), Be(e.qwLength, nLengthSize)});
        body = Cat({body, Be(dwId++, nIdSize), nVersion > 0 ? Be(std::uint64_t(nMethod), 2) : Bytes(), Be(0, 2),
                    Be(qwBase, nBaseSize), Be(bTwoExtents ? 2 : 1, 2), one, bTwoExtents ? one : Bytes()});
    }
    return IsoFullBox("iloc", nVersion, body);
}

HeifItem ExifItem(std::uint32_t dwTiffSkip, std::int64_t nShift)
{
    return {"Exif", "", Cat({Be(dwTiffSkip, 4), Bytes{'E', 'x', 'i', 'f', 0, 0}, Camera(false).Build()}), nShift};
}

HeifItem XmpItem()
{
    const std::string packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>";
    return {"mime", "application/rdf+xml", Bytes(packet.begin(), packet.end())};
}

HeifFile Heif(const Iloc& iloc, const std::vector<HeifItem>& items, const Bytes& extra)
{
    Bytes infos = Be(items.size(), 2);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string type = items[i].contentType.empty() ? "" : items[i].contentType + '\0';
        infos = Cat({infos, IsoFullBox("infe", 2, Cat({Be(i + 1, 2), Be(0, 2), Bytes(items[i].pszType, items[i].pszType + 4),
                                                       Bytes{0}, Bytes(type.begin(), type.end())}))});
    }
    HeifFile f;
    std::vector<Extent> locations(items.size());
    // The second pass places the items after a 'meta' box of the same size as the first's.
    for (int nPass = 0; nPass < 2; ++nPass) {
        const Bytes head = Cat({Ftyp("heic"), IsoFullBox("meta", 0, Cat({IsoFullBox("iinf", 0, infos), iloc.Build(locations), extra}))});
        std::uint64_t qwData = head.size() + 8;
        Bytes data;
        f.places.clear();
        for (std::size_t i = 0; i < items.size(); ++i) {
            f.places.push_back({qwData, items[i].data.size()});
            locations[i] = {qwData + std::uint64_t(items[i].nShift), items[i].data.size()};
            qwData += items[i].data.size();
            data = Cat({data, items[i].data});
        }
        f.bytes = Cat({head, IsoBox("mdat", data)});
    }
    return f;
}

Bytes CanonRaw(const Bytes& thumbnail, std::uint32_t dwThumbLength, const Bytes& preview, std::uint32_t dwPreviewLength)
{
    const Bytes tiff = Camera(false).Build();
    const Bytes canon = Cat({Be(0x85c0b687820f11e0ull, 8), Be(0x8111f4ce462b6a48ull, 8), IsoBox("CMT1", tiff), IsoBox("CMT2", tiff),
                             IsoFullBox("THMB", 0, Cat({Be(160, 2), Be(120, 2), Be(dwThumbLength ? dwThumbLength : thumbnail.size(), 4),
                                                        Be(0, 4), thumbnail}))});
    const Bytes prvw = IsoBox("PRVW", Cat({Be(0, 4), Be(1, 2), Be(1620, 2), Be(1080, 2), Be(1, 2),
                                           Be(dwPreviewLength ? dwPreviewLength : preview.size(), 4), preview}));
    return Cat({Ftyp("crx "), IsoBox("moov", IsoBox("uuid", canon)),
                IsoBox("uuid", Cat({Be(0xeaf42b5e1c984b88ull, 8), Be(0xb9fbb7dc406e4d16ull, 8), Be(1, 8), prvw}))});
}

FileByteSource::FileByteSource(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC))
{
    struct stat st {};
    if (m_fd >= 0 && fstat(m_fd, &st) == 0)
        m_qwSize = std::uint64_t(st.st_size);
}

FileByteSource::~FileByteSource()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool FileByteSource::Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb)
{
    ++m_nReads;
    m_qwBytesRead += cb;
    return qwOffset <= m_qwSize && cb <= m_qwSize - qwOffset && pread(m_fd, pBuffer, cb, off_t(qwOffset)) == ssize_t(cb);
}

bool HaveTool(const char* pszProgram) { return RunTool("command -v " + std::string(pszProgram)); }

bool RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

}  // namespace exiftest
