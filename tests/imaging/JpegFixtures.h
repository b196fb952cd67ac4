// Small JPEG files made on the spot for the decoder's tests and benchmarks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct Bgrx {
    std::uint8_t b, g, r;
};

// Pixels given as 4 bytes each (B, G, R, unused), rows top-down.
struct PixelPicture {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<std::uint8_t> bytes;
};

PixelPicture SolidPicture(int nWidth, int nHeight, Bgrx colour);
// Four quadrants: top-left red, top-right green, bottom-left blue, bottom-right yellow.
PixelPicture QuadrantPicture(int nWidth, int nHeight);
// Smooth gradients and blocks with noise of up to +-nNoise per channel: with 6 roughly as
// compressible as a photograph, with 0 far more.
PixelPicture PhotoLikePicture(int nWidth, int nHeight, int nNoise = 6);

enum class JpegKind { Colour444, Colour422, Colour420, Grey, Progressive };
Bytes EncodeJpeg(const PixelPicture& picture, JpegKind kind, int nQuality = 92);
// A baseline JPEG (Colour444, Colour422, Colour420 or Grey) with a restart marker every nInterval MCUs, or
// every -nInterval rows of MCUs when nInterval is negative, as many cameras write them.
Bytes EncodeJpegWithRestarts(const PixelPicture& picture, JpegKind kind, int nInterval, int nQuality = 90);
// A CMYK JPEG with inverted inks (the Adobe convention) of one colour.
Bytes EncodeCmykJpeg(int nWidth, int nHeight, Bgrx colour);

// Inserts an APP1 "Exif" segment holding only IFD0 with an Orientation entry, right after SOI.
Bytes WithOrientation(const Bytes& jpeg, int nOrientation, bool bMotorola = false);
// Sets the frame size in the start-of-frame marker (the scan data stays as it was).
Bytes WithFrameSize(const Bytes& jpeg, int nWidth, int nHeight);

// A folder under the system's temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string Write(const std::string& strName, const Bytes& data) const;
    std::string PathOf(const std::string& strName) const { return (m_path / strName).string(); }

private:
    std::filesystem::path m_path;
};
