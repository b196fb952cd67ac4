// HEIC, HEIF and AVIF still pictures through libheif: the primary picture, with the rotation,
// mirroring and cropping the file records for it (irot, imir, clap) applied by libheif. The
// EXIF Orientation such a file may also carry describes the stored picture before those, so it
// is never applied on top of them.
#include "RasterCodec.h"

#include <libheif/heif.h>

#include <memory>
#include <mutex>

namespace {

struct ContextFree {
    void operator()(heif_context* p) const { heif_context_free(p); }
};
struct HandleRelease {
    void operator()(heif_image_handle* p) const { heif_image_handle_release(p); }
};
struct ImageRelease {
    void operator()(heif_image* p) const { heif_image_release(p); }
};
using HeifContextPtr = std::unique_ptr<heif_context, ContextFree>;
using HeifHandlePtr = std::unique_ptr<heif_image_handle, HandleRelease>;
using HeifImagePtr = std::unique_ptr<heif_image, ImageRelease>;

// libheif finds its decoders once per process.
void InitLibheif()
{
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

// The file's structure read from the bytes (which must outlive it) and its primary picture.
struct HeifFile {
    HeifContextPtr context;
    HeifHandlePtr primary;

    HeifFile(const std::uint8_t* pData, std::size_t cbData) : context(heif_context_alloc())
    {
        InitLibheif();
        if (!context)
            return;
        // libheif refuses larger pictures itself, before it allocates anything for them; the
        // decoder's own pixel limit is checked from the size as well.
        heif_context_set_maximum_image_size_limit(context.get(), 1 << 15);
        heif_image_handle* pHandle = nullptr;
        if (heif_context_read_from_memory_without_copy(context.get(), pData, cbData, nullptr).code !=
                heif_error_Ok ||
            heif_context_get_primary_image_handle(context.get(), &pHandle).code != heif_error_Ok)
            return;
        primary.reset(pHandle);
    }
};

bool ReadHeifSize(const std::uint8_t* pData, std::size_t cbData, int* pnWidth, int* pnHeight)
{
    HeifFile file(pData, cbData);
    if (!file.primary)
        return false;
    *pnWidth = heif_image_handle_get_width(file.primary.get());
    *pnHeight = heif_image_handle_get_height(file.primary.get());
    return *pnWidth > 0 && *pnHeight > 0;
}

bool DecodeHeif(const std::uint8_t* pData, std::size_t cbData, int nWidth, int nHeight,
                std::uint8_t* pTarget)
{
    HeifFile file(pData, cbData);
    if (!file.primary)
        return false;
    heif_image* pImage = nullptr;
    if (heif_decode_image(file.primary.get(), &pImage, heif_colorspace_RGB,
                          heif_chroma_interleaved_RGBA, nullptr).code != heif_error_Ok)
        return false;
    const HeifImagePtr image(pImage);
    int nStride = 0;
    const std::uint8_t* pPlane =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &nStride);
    if (pPlane == nullptr || heif_image_get_width(image.get(), heif_channel_interleaved) != nWidth ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != nHeight ||
        nStride < nWidth * 4)
        return false;
    for (int y = 0; y < nHeight; ++y) {
        const std::uint8_t* pFrom = pPlane + std::size_t(y) * std::size_t(nStride);
        std::uint8_t* pTo = pTarget + std::size_t(y) * std::size_t(nWidth) * 4;
        for (int x = 0; x < nWidth; ++x, pFrom += 4, pTo += 4) {
            pTo[0] = pFrom[2];
            pTo[1] = pFrom[1];
            pTo[2] = pFrom[0];
            pTo[3] = pFrom[3];
        }
    }
    return true;
}

}  // namespace

const RasterCodec& HeifCodec()
{
    static const RasterCodec codec{ReadHeifSize, DecodeHeif};
    return codec;
}
