#include "JpegFixtures.h"

#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {

Bytes Compress(const std::uint8_t* pPixels, int nWidth, int nHeight, int nPixelFormat,
               int nSubsampling, int nQuality, int nFlags)
{
    tjhandle h = tjInitCompress();
    unsigned char* pJpeg = nullptr;
    unsigned long cbJpeg = 0;
    const int nResult = tjCompress2(h, pPixels, nWidth, nWidth * 4, nHeight, nPixelFormat, &pJpeg,
                                    &cbJpeg, nSubsampling, nQuality, nFlags);
    Bytes jpeg;
    if (nResult == 0)
        jpeg.assign(pJpeg, pJpeg + cbJpeg);
    tjFree(pJpeg);
    tjDestroy(h);
    if (nResult != 0)
        throw std::runtime_error("tjCompress2 failed");
    return jpeg;
}

void Put(PixelPicture* p, int x, int y, Bgrx c)
{
    std::uint8_t* px = p->bytes.data() + (std::size_t(y) * p->nWidth + x) * 4;
    px[0] = c.b;
    px[1] = c.g;
    px[2] = c.r;
    px[3] = 0xFF;
}

PixelPicture Blank(int nWidth, int nHeight)
{
    PixelPicture p;
    p.nWidth = nWidth;
    p.nHeight = nHeight;
    p.bytes.assign(std::size_t(nWidth) * nHeight * 4, 0);
    return p;
}

}  // namespace

PixelPicture SolidPicture(int nWidth, int nHeight, Bgrx colour)
{
    PixelPicture p = Blank(nWidth, nHeight);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            Put(&p, x, y, colour);
    return p;
}

PixelPicture QuadrantPicture(int nWidth, int nHeight)
{
    static const Bgrx kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kYellow{0, 255, 255};
    PixelPicture p = Blank(nWidth, nHeight);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            const bool bRight = x >= nWidth / 2, bBottom = y >= nHeight / 2;
            Put(&p, x, y, bBottom ? (bRight ? kYellow : kBlue) : (bRight ? kGreen : kRed));
        }
    return p;
}

PixelPicture PhotoLikePicture(int nWidth, int nHeight, int nNoise)
{
    PixelPicture p = Blank(nWidth, nHeight);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> noise(-nNoise, nNoise);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            auto channel = [&](int nBase) {
                return static_cast<std::uint8_t>(std::clamp(nBase + noise(random), 0, 255));
            };
            const int r = 255 * x / nWidth, g = 255 * y / nHeight, b = ((x / 64 + y / 64) % 2) * 80 + 60;
            Put(&p, x, y, Bgrx{channel(b), channel(g), channel(r)});
        }
    return p;
}

Bytes EncodeJpeg(const PixelPicture& picture, JpegKind kind, int nQuality)
{
    const int nSubsampling = kind == JpegKind::Grey        ? TJSAMP_GRAY
                             : kind == JpegKind::Colour444 ? TJSAMP_444
                             : kind == JpegKind::Colour422 ? TJSAMP_422
                                                           : TJSAMP_420;
    const int nFlags = kind == JpegKind::Progressive ? TJFLAG_PROGRESSIVE : 0;
    return Compress(picture.bytes.data(), picture.nWidth, picture.nHeight, TJPF_BGRX, nSubsampling,
                    nQuality, nFlags);
}

Bytes EncodeJpegWithRestarts(const PixelPicture& picture, JpegKind kind, int nInterval, int nQuality)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);  // fixtures are always valid: an error ends the test run
    jpeg_create_compress(&info);
    unsigned char* pJpeg = nullptr;
    unsigned long cbJpeg = 0;
    jpeg_mem_dest(&info, &pJpeg, &cbJpeg);
    info.image_width = static_cast<JDIMENSION>(picture.nWidth);
    info.image_height = static_cast<JDIMENSION>(picture.nHeight);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, nQuality, TRUE);
    if (kind == JpegKind::Grey)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    else if (kind == JpegKind::Colour444)
        info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    else if (kind == JpegKind::Colour422)
        info.comp_info[0].v_samp_factor = 1;
    if (nInterval < 0)
        info.restart_in_rows = -nInterval;
    else
        info.restart_interval = static_cast<unsigned>(nInterval);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW pRow = const_cast<JSAMPROW>(picture.bytes.data()) +
                        std::size_t(info.next_scanline) * picture.nWidth * 4;
        jpeg_write_scanlines(&info, &pRow, 1);
    }
    jpeg_finish_compress(&info);
    Bytes jpeg(pJpeg, pJpeg + cbJpeg);
    jpeg_destroy_compress(&info);
    std::free(pJpeg);
    return jpeg;
}

Bytes EncodeCmykJpeg(int nWidth, int nHeight, Bgrx colour)
{
    // Inverted inks: 255 means no ink. With K left at "no ink" the inks are the complements of
    // the colour, which inverted gives back the colour's own components.
    std::vector<std::uint8_t> cmyk(std::size_t(nWidth) * nHeight * 4);
    for (std::size_t i = 0; i < cmyk.size(); i += 4) {
        cmyk[i] = colour.r;
        cmyk[i + 1] = colour.g;
        cmyk[i + 2] = colour.b;
        cmyk[i + 3] = 255;
    }
    return Compress(cmyk.data(), nWidth, nHeight, TJPF_CMYK, TJSAMP_444, 95, 0);
}

Bytes WithOrientation(const Bytes& jpeg, int nOrientation, bool bMotorola)
{
    auto u16 = [&](Bytes* p, unsigned v) {
        if (bMotorola) {
            p->push_back(std::uint8_t(v >> 8));
            p->push_back(std::uint8_t(v));
        } else {
            p->push_back(std::uint8_t(v));
            p->push_back(std::uint8_t(v >> 8));
        }
    };
    auto u32 = [&](Bytes* p, unsigned v) {
        if (bMotorola) {
            u16(p, v >> 16);
            u16(p, v & 0xFFFF);
        } else {
            u16(p, v & 0xFFFF);
            u16(p, v >> 16);
        }
    };
    Bytes tiff;
    tiff.push_back(bMotorola ? 'M' : 'I');
    tiff.push_back(bMotorola ? 'M' : 'I');
    u16(&tiff, 42);
    u32(&tiff, 8);
    u16(&tiff, 1);         // one entry
    u16(&tiff, 0x0112);    // Orientation
    u16(&tiff, 3);         // SHORT
    u32(&tiff, 1);
    u16(&tiff, unsigned(nOrientation));
    u16(&tiff, 0);
    u32(&tiff, 0);         // no next IFD
    Bytes segment = {'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    const std::size_t cbLength = segment.size() + 2;
    Bytes out = {jpeg[0], jpeg[1], 0xFF, 0xE1, std::uint8_t(cbLength >> 8), std::uint8_t(cbLength)};
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

Bytes WithFrameSize(const Bytes& jpeg, int nWidth, int nHeight)
{
    Bytes out = jpeg;
    for (std::size_t i = 2; i + 9 < out.size();) {
        const std::uint8_t bMarker = out[i + 1];
        if (bMarker == 0xC0 || bMarker == 0xC1 || bMarker == 0xC2) {
            out[i + 5] = std::uint8_t(nHeight >> 8);
            out[i + 6] = std::uint8_t(nHeight);
            out[i + 7] = std::uint8_t(nWidth >> 8);
            out[i + 8] = std::uint8_t(nWidth);
            return out;
        }
        i += 2 + ((std::size_t(out[i + 2]) << 8) | out[i + 3]);
    }
    throw std::runtime_error("no frame marker");
}

ScratchFolder::ScratchFolder()
{
    static std::atomic<int> nCounter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("velmora-imaging-" + std::to_string(std::random_device{}()) + "-" +
              std::to_string(nCounter++));
    std::filesystem::create_directories(m_path);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string ScratchFolder::Write(const std::string& strName, const Bytes& data) const
{
    const std::string strPath = PathOf(strName);
    std::ofstream file(strPath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return strPath;
}
