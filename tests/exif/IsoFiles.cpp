#include "IsoFiles.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

Bytes IsoBox(const char* pszType, const Bytes& body)
{
    return Cat({Be(8 + body.size(), 4), Bytes(pszType, pszType + 4), body});
}

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
    if (qwOffset > m_qwSize || cb > m_qwSize - qwOffset)
        return false;
    m_qwBytesRead += cb;
    return pread(m_fd, pBuffer, cb, off_t(qwOffset)) == ssize_t(cb);
}

bool HaveTool(const char* pszProgram)
{
    return RunTool("command -v " + std::string(pszProgram) + " >/dev/null 2>&1");
}

bool RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        std::array<char, 4096> buf;
        for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;)
            out.append(buf.data(), n);
        pclose(p);
    }
    return out;
}

}  // namespace exiftest
