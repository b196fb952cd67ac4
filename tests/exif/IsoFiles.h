// ISO base media files for the tests: boxes put together by hand for the cases no tool makes
// (broken sizes, deep nesting, item locations of every version), a ByteSource over a file on
// disk, and the real tools that make and read HEIC, AVIF, MP4 and MOV files.
#pragma once

#include "ExifFiles.h"
#include "exif/Ucontainer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace exiftest {

Bytes Be(std::uint64_t qwValue, int nBytes);
Bytes Cat(std::initializer_list<Bytes> parts);
// A box with the given body; a full box puts its version and flags (zero) first.
Bytes IsoBox(const char* pszType, const Bytes& body);
Bytes IsoFullBox(const char* pszType, int nVersion, const Bytes& body);
// A movie, track or media header of version 0 (32-bit times) or 1 (64-bit), the creation
// time, then the modification time, then the rest of a real header's length in zeros.
Bytes TimeHeader(const char* pszType, int nVersion, std::uint64_t qwCreated, std::uint64_t qwModified);
Bytes Ftyp(const char* pszBrand);

// The bytes of a file on disk, read as they are asked for.
class FileByteSource : public exif::ByteSource {
public:
    explicit FileByteSource(const std::string& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;
    std::uint64_t Size() const override { return m_qwSize; }
    bool Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb) override;
    int Reads() const { return m_nReads; }
    std::uint64_t BytesRead() const { return m_qwBytesRead; }

private:
    int m_fd = -1;
    std::uint64_t m_qwSize = 0;
    int m_nReads = 0;
    std::uint64_t m_qwBytesRead = 0;
};

bool HaveTool(const char* pszProgram);
bool RunTool(const std::string& command);  // true when it exits with 0
std::string Output(const std::string& command);  // its standard output

}  // namespace exiftest
