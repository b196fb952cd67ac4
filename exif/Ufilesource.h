// A file read at 64-bit positions for the container readers: opened read-only (others may
// read beside it), read with pread, never held whole.
#pragma once

#include "exif/Ucontainer.h"

#include <vector>

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

// Another source whose first 64 KiB are read at once, when a read after a first look at the
// file's first bytes asks: the IFDs of a raw file and the chunk heads of a small file lie there, and one
// read costs less than many. Reads beyond the head go to the source.
class HeadCachedSource : public ByteSource {
public:
    static constexpr std::size_t kHead = 64 * 1024;
    explicit HeadCachedSource(ByteSource& src) : m_src(src) {}
    std::uint64_t Size() const override { return m_src.Size(); }
    bool Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb) override;

private:
    ByteSource& m_src;
    std::vector<std::uint8_t> m_head;
    bool m_bTried = false;
    bool m_bFirstDone = false;
};

}  // namespace exif
