// A file read at 64-bit positions for the container readers: opened read-only (others may
// read beside it), read with pread, never held whole.
#pragma once

#include "exif/Ucontainer.h"

namespace exif {

class FileSource : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // False (the last error set) when the path cannot be opened or is not a regular file.
    bool Open(const char* pszPath);
    void Close();
    bool IsOpen() const { return m_hFile >= 0; }

    std::uint64_t Size() const override { return m_qwSize; }
    bool Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb) override;

private:
    int m_hFile = -1;
    std::uint64_t m_qwSize = 0;
};

// A stretch of bytes already in memory, at file offset 0 (a reader's test input, a fuzz input).
class MemorySource : public ByteSource {
public:
    MemorySource(const void* pData, std::size_t cbData) : m_p(static_cast<const std::uint8_t*>(pData)), m_cb(cbData) {}
    std::uint64_t Size() const override { return m_cb; }
    bool Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb) override;

private:
    const std::uint8_t* m_p;
    std::size_t m_cb;
};

}  // namespace exif
