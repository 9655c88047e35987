#include "engine/runtime/ImageEffects.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Image.h"

#include <SDL_rotozoom.h>

#include <cmath>

namespace {

// The copy is a new table: scaling its gap must not touch the source's
// metadata, which is often the catalogue entry's own.
LuaObject* CopyMetadata(const Image& image)
{
    return new LuaObject(DeepCopyLuaValue(image.GetMetadata()));
}

std::unique_ptr<Image> Zoom(Image& image, double factorX, double factorY, bool smooth)
{
    std::unique_ptr<LuaObject> metadata(CopyMetadata(image));
    if (metadata->IsTable()) {
        const LuaObject gap = (*metadata)["gap_y"];
        if (gap.IsInteger())
            metadata->SetInteger("gap_y", static_cast<int>(std::trunc(gap.GetInteger() * factorY)));
    }
    SDL_Surface* zoomed = zoomSurface(image.GetSurface(), factorX, factorY, smooth ? SMOOTHING_ON : SMOOTHING_OFF);
    const Rect first = image.GetFrameRect(0);
    const int frameWidth = static_cast<int>(std::trunc(first.w * factorX));
    const int frameHeight = static_cast<int>(std::trunc(first.h * factorY));
    const std::uint32_t flags = IMAGEFLAG_OWNS_METADATA | (image.GetFlags() & kImageCopiedFlags);
    return std::make_unique<Image>(zoomed, flags, frameWidth, frameHeight, image.GetNumFrames(), metadata.release());
}

} // namespace

std::unique_ptr<Image> ZoomImage(Image& image, double factor, bool smooth)
{
    if (factor == 1.0)
        return image.CreateDeepCopy();
    return Zoom(image, factor, factor, smooth);
}

std::unique_ptr<Image> ZoomImageXY(Image& image, double factorX, double factorY, bool smooth)
{
    if (factorX == 1.0 && factorY == 1.0)
        return image.CreateDeepCopy();
    return Zoom(image, factorX, factorY, smooth);
}

std::unique_ptr<Image> ImageEffects::RotateImageRightAngle(Image& image, int degrees)
{
    const int angle = 360 - degrees;
    VELK_ASSERT(angle % 90 == 0);
    const Image::Size size = image.GetSize();
    const int W = static_cast<int>(size.w);
    const int H = static_cast<int>(size.h);
    const bool quarter = angle % 180 != 0;
    const int r = angle % 360;
    if (r != 90 && r != 180 && r != 270)
        VELK_ASSERT_MSG(false, "RotateImageRightAngle was not passed a right angle image.");

    auto result = std::make_unique<Image>(quarter ? H : W, quarter ? W : H, 1, 0);
    SDL_Surface* source = image.GetSurface();
    SDL_Surface* dest = result->GetSurface();
    {
        SurfaceLock sourceLock(source);
        SurfaceLock destLock(dest);
        for (int y = 0; y < H; ++y) {
            const std::uint32_t* row = PixelRow(source, y);
            for (int x = 0; x < W; ++x) {
                int tx, ty;
                if (r == 90) {
                    tx = H - 1 - y;
                    ty = x;
                } else if (r == 180) {
                    tx = W - 1 - x;
                    ty = H - 1 - y;
                } else {
                    tx = y;
                    ty = W - 1 - x;
                }
                PixelRow(dest, ty)[tx] = row[x];
            }
        }
    }
    // Flags only: the construction's alpha rule is not run again.
    result->SetFlags(result->GetFlags() | (image.GetFlags() & kImageCopiedFlags));
    result->SetAlpha(image.GetAlpha());
    return result;
}

std::unique_ptr<Image> RotozoomImageFrames(Image& image, double angle, int frame, bool smooth)
{
    VELK_ASSERT(std::isfinite(angle));
    // Into [0, 360); fmod, unlike repeated subtraction, ends for any size of angle.
    angle = std::fmod(angle, 360.0);
    if (angle < 0.0)
        angle += 360.0;
    if (angle >= 360.0)
        angle = 0.0;
    if (angle == 0.0)
        return image.CreateDeepCopy();

    std::unique_ptr<LuaObject> metadata(CopyMetadata(image));
    std::unique_ptr<Image> extracted;
    Image* source = &image;
    if (frame != -1 && image.GetNumFrames() > 1) {
        extracted = image.ExtractFrame(frame);
        source = extracted.get();
    }

    std::unique_ptr<Image> result;
    if (angle == 90.0 || angle == 180.0 || angle == 270.0) {
        result = ImageEffects::RotateImageRightAngle(*source, static_cast<int>(angle));
    } else {
        SDL_Surface* turned = rotozoomSurface(source->GetSurface(), angle, 1.0, smooth ? SMOOTHING_ON : SMOOTHING_OFF);
        result = std::make_unique<Image>(turned, 0, nullptr);
        result->SetFlags(result->GetFlags() | (source->GetFlags() & kImageCopiedFlags));
        result->SetAlpha(source->GetAlpha());
    }

    if (metadata->IsTable()) {
        if ((*metadata)["numFrames"].IsInteger()) {
            metadata->SetInteger("numFrames", 1);
            metadata->SetNil("gap_y");
        }
        const Image::Size full = result->GetFullSize();
        if ((*metadata)["height"].IsInteger())
            metadata->SetInteger("height", static_cast<int>(full.h));
        if ((*metadata)["width"].IsInteger())
            metadata->SetInteger("width", static_cast<int>(full.w));
    }
    result->SetFlags(result->GetFlags() | IMAGEFLAG_OWNS_METADATA);
    result->SetMetadata(metadata.release());
    return result;
}
