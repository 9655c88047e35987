#pragma once

#include "engine/core/Point.h"
#include "engine/core/Rect.h"
#include "engine/runtime/Resource.h"
#include "engine/runtime/SurfaceManager.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum ImageFlags : std::uint32_t
{
    IMAGEFLAG_OWNS_METADATA = 1,
    IMAGEFLAG_SHARED_PIXELS = 2,   // not this image's own pixels; memory usage 0 unless forced
    IMAGEFLAG_VIDMEM = 4,          // no longer supported: an image with it cannot be made
    IMAGEFLAG_COMBINED_ALPHA = 8,  // drawn with the combined-alpha shader
    IMAGEFLAG_ALPHA_SURFACE = 16,  // a new empty image gets SDL's source-alpha flag
    IMAGEFLAG_NO_ALPHA = 32,       // no per-pixel alpha: drawn by plain copy
};

// The flags a copy of an image keeps.
inline constexpr std::uint32_t kImageCopiedFlags =
    IMAGEFLAG_VIDMEM | IMAGEFLAG_COMBINED_ALPHA | IMAGEFLAG_ALPHA_SURFACE | IMAGEFLAG_NO_ALPHA;

// The engine's picture: one 32-bit surface in a shared surface record, cut into
// frame rectangles, with optional metadata and alpha settings. Copies share the
// record, so an actor per cell costs one surface, not one per actor.
class Image : public Resource
{
public:
    struct Size
    {
        std::uint32_t w = 0;
        std::uint32_t h = 0;
    };

    // A blank strip of numFrames frames side by side.
    Image(int frameWidth, int frameHeight, int numFrames, std::uint32_t flags);
    // Takes the surface. With metadata, frames and alpha come from it; with
    // IMAGEFLAG_OWNS_METADATA the image also takes the metadata object.
    Image(SDL_Surface* surface, std::uint32_t flags, LuaObject* metadata);
    // As above, then always lays out the given frames with no gap.
    Image(SDL_Surface* surface, std::uint32_t flags, int frameWidth, int frameHeight, int numFrames,
          LuaObject* metadata);
    // Shares the pixels of an image resource.
    explicit Image(Resource* resource);
    // Shares the pixels of the catalogue's image of that name.
    explicit Image(const std::string& resourceName);
    Image(const Image& other);
    Image& operator=(const Image&) = delete;
    ~Image() override;

    std::size_t CalcMemoryUsage(bool force) override;

    // Lays numFrames frames out in reading order; gapY separates rows.
    void BuildFrameRects(int frameWidth, int frameHeight, int numFrames, int gapY);
    // The frame's rectangle; the whole picture when no frames were built.
    Rect GetFrameRect(int frame) const;
    int GetNumFrames() const;
    // The common frame size (0 x 0 when frames differ).
    Size GetSize() const { return {m_FrameWidth, m_FrameHeight}; }
    Size GetFullSize() const;
    int GetFrameGap() const { return m_FrameGap; }

    SDL_Surface* GetSurface() const;
    SurfaceRecord* GetSurfaceRecord() const { return m_SurfaceRecord; }
    // Whoever writes the pixels other than through a renderer says so here, so
    // that the screen redraws where the image is shown.
    void MarkPixelsChanged();

    // A copy of the metadata value; nil when there is none.
    LuaObject GetMetadata() const;
    // Replaces the metadata pointer, freeing the old object when owned.
    void SetMetadata(LuaObject* metadata);

    std::uint32_t GetFlags() const { return m_Flags; }
    void SetFlags(std::uint32_t flags) { m_Flags = flags; }
    std::uint8_t GetAlpha() const { return m_Alpha; }
    void SetAlpha(std::uint8_t alpha) { m_Alpha = alpha; }

    void SetAlphaProperties(std::uint32_t flag, std::uint8_t alpha);
    void SetColorKey(std::uint32_t flag, std::uint32_t key);
    void SetColorKeyFromTopLeftPixel();
    void DisableAlpha();
    // Rebuilds the accelerated form from the system-memory pixels.
    void RefreshVideoSurface(bool deleteFirst);

    // Draws this image (or the part in sourceRect) into the target through a renderer.
    void DrawOnto(const Rect* sourceRect, Image* target, const Rect* destRect);
    // Alpha-blits one frame (the whole image for frame < 0) into the target at (x, y).
    void DrawFrameOnto(Image* target, int x, int y, int frame);
    // Copies one frame (the whole image for frame < 0) into the target at (x, y).
    void DrawFrameOntoImage(Image* target, int x, int y, int frame);
    // Composites onto the target pixel by pixel; a fully transparent target pixel takes the source as it is.
    void AlphaBlitOnto(const Rect* sourceRect, Image* target, const Point<int>* targetPoint);
    // Limits every pixel's alpha to the mask's; pixels outside the mask or under
    // its fully transparent pixels become 0.
    void ApplyAlphaMask(Image* mask);

    std::unique_ptr<Image> ExtractFrame(int frame);
    // A new image sharing these pixels.
    std::unique_ptr<Image> Clone();
    // A new image with its own copy of the pixels, frames, metadata and alpha.
    std::unique_ptr<Image> CreateDeepCopy();
    // Files a clone of this image in the catalogue under the name.
    void RegisterAsResource(const std::string& name);
    // The picture in the file, or null (with a warning in the log).
    static std::unique_ptr<Image> MakeFromFile(const std::string& path);
    // The flags an image of this surface takes for its alpha: a surface
    // without an alpha channel is drawn, and copied out, by plain copy.
    static std::uint32_t AlphaFlagsOf(const SDL_Surface* surface);

private:
    void InitFromSize(int width, int height);
    void FileSurface(SDL_Surface* surface);
    void ApplyAlphaRule();
    void ExtractRelevantMetadata();
    void AddFrameRect(const Rect& rect);
    void ShareFrom(const Image& source);
    void DropEverything() noexcept;
    SDL_Surface* GetHWSurface();

    SurfaceRecord* m_SurfaceRecord = nullptr;
    std::uint32_t m_Flags = 0;
    LuaObject* m_Metadata = nullptr;
    // Held in place: every pass reads a frame of each picture it draws.
    std::optional<std::vector<Rect>> m_FrameRects;
    std::uint32_t m_FrameWidth = 0;
    std::uint32_t m_FrameHeight = 0;
    std::int32_t m_FrameGap = 0;
    std::uint8_t m_Alpha = 255;
};

// A copy of a script value in which every table is a new table (nested ones too).
LuaObject DeepCopyLuaValue(const LuaObject& value);

// Loads ".png", ".jpeg", ".jpg" and ".bmp" files through SDL_image.
class SDLImageLoader : public ResourceLoader
{
public:
    bool CanLoad(const ResourceInfo& info) const override;
    void LoadResource(FileReader* reader, ResourceInfo& info) override;
    std::string GetDescription() const override { return "SDL_Image image file loader"; }

    // Decodes a picture file's bytes into a new image. Pictures without alpha
    // are drawn by copy.
    static std::unique_ptr<Image> LoadImageA(const char* bytes, std::size_t size, LuaObject* metadata);
};
