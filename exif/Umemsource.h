// A ByteSource over bytes held in memory (a box body read whole, a fuzz input, a test's file).
#pragma once

#include "exif/Ucontainer.h"

#include <cstring>

namespace exif {

class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const void* pData, std::size_t cbData)
        : m_pData(static_cast<const std::uint8_t*>(pData)), m_cbData(cbData) {}

    std::uint64_t Size() const override { return m_cbData; }
    bool Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb) override
    {
        if (qwOffset > m_cbData || cb > m_cbData - qwOffset)
            return false;
        if (cb > 0)
            std::memcpy(pBuffer, m_pData + qwOffset, cb);
        return true;
    }

private:
    const std::uint8_t* m_pData;
    std::size_t m_cbData;
};

}  // namespace exif
