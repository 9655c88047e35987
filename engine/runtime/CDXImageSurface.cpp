// The image readers' pictures as surfaces of the display layer: what a
// surface with a source file reloads itself from after a display loss.
#include "engine/runtime/CDXImage.h"

#include "platform/d3d/D3DLayer.h"

#include <cstring>

namespace {

DDSurface* MakeSurface(DDraw* ddraw, const CDXDecodedImage& picture, int memoryKind)
{
    if (!ddraw)
        return nullptr;
    DDSurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.caps = DDSCAPS_OFFSCREENPLAIN;
    if (memoryKind == 0)
        desc.caps |= DDSCAPS_VIDEOMEMORY;
    else if (memoryKind == 1)
        desc.caps |= DDSCAPS_SYSTEMMEMORY;
    desc.width = static_cast<std::uint32_t>(picture.Width());
    desc.height = static_cast<std::uint32_t>(picture.Height());
    DDSurface* surface = nullptr;
    if (DDFailed(ddraw->CreateSurface(desc, &surface)) || !surface)
        return nullptr;
    DDSurfaceDesc locked;
    if (DDFailed(surface->Lock(nullptr, &locked, DDBLT_WAIT)) || !locked.surface ||
        locked.pixelFormat.rgbBitCount != 32) {
        if (locked.surface)
            surface->Unlock(nullptr);
        surface->Release();
        return nullptr;
    }
    const std::vector<std::uint32_t> pixels = CDXImage::ToARGB(picture);
    const std::size_t row = static_cast<std::size_t>(picture.Width()) * 4;
    auto* out = static_cast<std::uint8_t*>(locked.surface);
    for (int y = 0; y < picture.Height(); ++y)
        std::memcpy(out + static_cast<std::ptrdiff_t>(y) * locked.pitch,
                    pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width()), row);
    surface->Unlock(nullptr);
    return surface;
}

} // namespace

DDSurface* CDXImage::GetImage(DDraw* ddraw, const char* fileName, int memoryKind, int format)
{
    CDXImage reader;
    CDXDecodedImage picture;
    if (!ddraw || !fileName || !reader.DecodeFile(fileName, format, picture))
        return nullptr;
    return MakeSurface(ddraw, picture, memoryKind);
}

DDSurface* CDXImage::GetImage(DDraw* ddraw, const std::uint8_t* bytes, std::size_t count, int memoryKind, int format)
{
    CDXImage reader;
    CDXDecodedImage picture;
    if (!ddraw || !bytes || !reader.Decode(bytes, count, format, picture))
        return nullptr;
    return MakeSurface(ddraw, picture, memoryKind);
}
