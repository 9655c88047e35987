#include "engine/runtime/Image.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/PerformanceCounters.h"
#include "engine/runtime/SDLImageRenderer.h"

#include <SDL_image.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

// Times a pixel operation for the blit statistics, while they are measuring.
class PixelTimer
{
public:
    PixelTimer() : m_Manager(BlitPerformanceManager::GetInstance())
    {
        if (m_Manager && !m_Manager->IsMeasuring())
            m_Manager = nullptr;
        if (m_Manager)
            m_Counter.Start();
    }
    BlitPerformanceManager* GetManager() const { return m_Manager; }
    double ElapsedMilliseconds()
    {
        m_Counter.Stop();
        return m_Counter.GetElapsedTimeInMS();
    }

private:
    BlitPerformanceManager* m_Manager;
    TimeCounter m_Counter;
};

LuaObject DeepCopy(const LuaObject& value, std::map<const void*, LuaObject>& copies)
{
    if (!value.IsTable())
        return value;
    lua_State* L = value.GetState().GetCState();
    value.Push();
    const void* identity = lua_topointer(L, -1);
    lua_pop(L, 1);
    auto found = copies.find(identity);
    if (found != copies.end())
        return found->second;
    LuaObject copy;
    copy.AssignNewTable(value.GetState());
    copies.emplace(identity, copy);
    for (LuaTableIterator it(value); it; ++it)
        copy.RawSetObject(DeepCopy(it.GetKey(), copies), DeepCopy(it.GetValue(), copies));
    return copy;
}

std::string ReadWholeFile(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        VELK_THROW(ResourceLoadError,
                   (boost::format("Could not open file: \"%1%\", %2%") % path % std::strerror(errno)).str());
    }
    std::string bytes;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        VELK_THROW(ResourceLoadError,
                   (boost::format("Could not read file: \"%1%\", %2%") % path % std::strerror(errno)).str());
    }
    return bytes;
}

bool EndsWith(const std::string& text, const char* suffix)
{
    const std::size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

} // namespace

LuaObject DeepCopyLuaValue(const LuaObject& value)
{
    std::map<const void*, LuaObject> copies;
    return DeepCopy(value, copies);
}

// ---------------------------------------------------------------------------
// Construction

Image::Image(int frameWidth, int frameHeight, int numFrames, std::uint32_t flags) : m_Flags(flags)
{
    try {
        InitFromSize(frameWidth * numFrames, frameHeight);
        BuildFrameRects(frameWidth, frameHeight, numFrames, 0);
        ApplyAlphaRule();
    } catch (...) {
        DropEverything();
        throw;
    }
}

Image::Image(SDL_Surface* surface, std::uint32_t flags, LuaObject* metadata) : m_Flags(flags), m_Metadata(metadata)
{
    try {
        FileSurface(surface);
        if (m_Metadata)
            ExtractRelevantMetadata();
        ApplyAlphaRule();
        if (!m_FrameRects)
            BuildFrameRects(GetSurface()->w, GetSurface()->h, 1, 0);
    } catch (...) {
        DropEverything();
        throw;
    }
}

Image::Image(SDL_Surface* surface, std::uint32_t flags, int frameWidth, int frameHeight, int numFrames,
             LuaObject* metadata)
    : m_Flags(flags), m_Metadata(metadata)
{
    try {
        FileSurface(surface);
        if (m_Metadata)
            ExtractRelevantMetadata();
        ApplyAlphaRule();
        BuildFrameRects(frameWidth, frameHeight, numFrames, 0);
    } catch (...) {
        DropEverything();
        throw;
    }
}

Image::Image(Resource* resource)
{
    VELK_ASSERT(dynamic_cast<Image *>(resource) != 0);
    ShareFrom(*static_cast<Image*>(resource));
}

Image::Image(const std::string& resourceName)
{
    Resource* resource = RequireResourceCatalog().AcquireResource(resourceName.c_str(), nullptr);
    VELK_ASSERT(dynamic_cast<Image *>(resource) != 0);
    ShareFrom(*static_cast<Image*>(resource));
}

Image::Image(const Image& other) : Resource()
{
    ShareFrom(other);
}

void Image::ShareFrom(const Image& source)
{
    m_SurfaceRecord = source.m_SurfaceRecord;
    m_SurfaceRecord->AddShare();
    m_Flags = IMAGEFLAG_OWNS_METADATA | IMAGEFLAG_SHARED_PIXELS | (source.m_Flags & kImageCopiedFlags);
    try {
        ApplyAlphaRule();
        if (source.m_Metadata)
            m_Metadata = new LuaObject(*source.m_Metadata);
        m_FrameRects = source.m_FrameRects;
        m_FrameWidth = source.m_FrameWidth;
        m_FrameHeight = source.m_FrameHeight;
        m_FrameGap = source.m_FrameGap;
        if (!m_FrameRects)
            BuildFrameRects(GetSurface()->w, GetSurface()->h, 1, source.m_FrameGap);
    } catch (...) {
        DropEverything();
        throw;
    }
}

Image::~Image()
{
    DropEverything();
}

void Image::DropEverything() noexcept
{
    if (m_SurfaceRecord) {
        SurfaceManager::ReleaseRecordShare(m_SurfaceRecord);
        m_SurfaceRecord = nullptr;
    }
    m_FrameRects.reset();
    if ((m_Flags & IMAGEFLAG_OWNS_METADATA) && m_Metadata)
        delete m_Metadata;
    m_Metadata = nullptr;
}

void Image::InitFromSize(int width, int height)
{
    SDL_Surface* surface =
        SurfaceManager::GetInstance()->CreateSurface(width, height, (m_Flags & IMAGEFLAG_ALPHA_SURFACE) != 0);
    if (!surface)
        VELK_THROW(ImageException, (boost::format("SDL_CreateRGBSurface failed: %1%") % SDL_GetError()).str());
    FileSurface(surface);
}

void Image::FileSurface(SDL_Surface* surface)
{
    // A failed decode, scale or rotation arrives here as no surface at all.
    if (!surface)
        VELK_THROW(ImageException, (boost::format("No surface to make an image of: %1%") % SDL_GetError()).str());
    m_SurfaceRecord = SurfaceManager::GetInstance()->AddSDLSurface(surface);
    if (!m_SurfaceRecord->GetSDLSurface())
        VELK_THROW(ImageException, "A hardware surface cannot be made into an image.");
}

SDL_Surface* Image::GetHWSurface()
{
    VELK_ASSERT_MSG(false, "Image::GetHWSurface() is no longer supported.");
    return nullptr;
}

void Image::ApplyAlphaRule()
{
    if (m_Flags & IMAGEFLAG_VIDMEM)
        GetHWSurface();
    if (m_Flags & IMAGEFLAG_NO_ALPHA) {
        SetAlphaProperties(0, 0);
        m_Flags &= ~(IMAGEFLAG_VIDMEM | IMAGEFLAG_COMBINED_ALPHA);
    } else {
        SetAlphaProperties(SDL_SRCALPHA, 255);
        m_Flags &= ~IMAGEFLAG_NO_ALPHA;
    }
}

// ---------------------------------------------------------------------------
// Metadata

void Image::ExtractRelevantMetadata()
{
    VELK_ASSERT(m_Metadata != 0);
    LuaObject metadata = *m_Metadata;
    if (!metadata.IsTable())
        return;

    const LuaObject colorKey = metadata["colorKey"];
    if (colorKey.IsBoolean() && colorKey.GetBoolean()) {
        SetColorKeyFromTopLeftPixel();
        SetAlphaProperties(0, 0);
        m_Flags |= IMAGEFLAG_NO_ALPHA;
        m_Flags &= ~(IMAGEFLAG_VIDMEM | IMAGEFLAG_COMBINED_ALPHA);
    }

    if (metadata["numFrames"].IsInteger()) {
        VELK_ASSERT_MSG(metadata["width"].IsInteger(), "image metadata has numFrames, but not width");
        VELK_ASSERT_MSG(metadata["height"].IsInteger(), "image metadata has numFrames, but not height");
        const LuaObject gap = metadata["gap_y"];
        BuildFrameRects(metadata["width"].GetInteger(), metadata["height"].GetInteger(),
                        metadata["numFrames"].GetInteger(), gap.IsInteger() ? gap.GetInteger() : 0);
    } else {
        const Size full = GetFullSize();
        const int fullWidth = static_cast<int>(full.w);
        const int fullHeight = static_cast<int>(full.h);
        const LuaObject width = metadata["width"];
        if (width.IsNil()) {
            Log(3, "metadata for image contains no width information. \n\tSetting width to %d.\n", fullWidth);
            metadata.SetInteger("width", fullWidth);
        } else if (width.IsInteger() && width.GetInteger() != fullWidth) {
            Log(3, "metadata for image contains incorrect width information. \n\tWidth should be %d but is %d. "
                   "Correcting.\n",
                fullWidth, width.GetInteger());
            metadata.SetInteger("width", fullWidth);
        }
        const LuaObject height = metadata["height"];
        if (height.IsNil()) {
            Log(3, "metadata for image contains no height information. \n\tSetting height to %d.\n", fullHeight);
            metadata.SetInteger("height", fullHeight);
        } else if (height.IsInteger() && height.GetInteger() != fullHeight) {
            Log(3, "metadata for image contains incorrect height information. \n\tHeight should be %d but is %d. "
                   "Correcting.\n",
                fullHeight, height.GetInteger());
            metadata.SetInteger("height", fullHeight);
        }
    }

    // Any value keys the top-left colour, false included.
    if (!metadata["colorKey"].IsNil())
        SetColorKeyFromTopLeftPixel();
    else
        SetColorKey(0, 0);

    const LuaObject combinedAlpha = metadata["combinedAlpha"];
    const LuaObject noAlpha = metadata["noAlpha"];
    if (combinedAlpha.IsBoolean() && combinedAlpha.GetBoolean()) {
        m_Flags |= IMAGEFLAG_COMBINED_ALPHA;
        m_Flags &= ~IMAGEFLAG_NO_ALPHA;
    } else if (noAlpha.IsBoolean() && noAlpha.GetBoolean()) {
        DisableAlpha();
    }
}

LuaObject Image::GetMetadata() const
{
    return m_Metadata ? *m_Metadata : LuaObject();
}

void Image::SetMetadata(LuaObject* metadata)
{
    if ((m_Flags & IMAGEFLAG_OWNS_METADATA) && m_Metadata && m_Metadata != metadata)
        delete m_Metadata;
    m_Metadata = metadata;
}

// ---------------------------------------------------------------------------
// Frames and sizes

void Image::BuildFrameRects(int frameWidth, int frameHeight, int numFrames, int gapY)
{
    VELK_ASSERT(numFrames > 0);
    const Size full = GetFullSize();
    m_FrameRects.emplace();
    m_FrameRects->reserve(static_cast<std::size_t>(numFrames));
    m_FrameWidth = full.w;
    m_FrameHeight = full.h;
    m_FrameGap = gapY;
    const long long surfaceWidth = full.w;
    long long x = 0;
    long long y = 0;
    for (int i = 0; i < numFrames; ++i) {
        if (x > surfaceWidth - frameWidth) {
            x = 0;
            y += static_cast<long long>(frameHeight) + gapY;
        }
        AddFrameRect(Rect(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                          static_cast<std::uint16_t>(frameWidth), static_cast<std::uint16_t>(frameHeight)));
        x += frameWidth;
    }
}

void Image::AddFrameRect(const Rect& rect)
{
    if (m_FrameRects->empty()) {
        m_FrameWidth = rect.w;
        m_FrameHeight = rect.h;
    } else if (rect.w != m_FrameWidth || rect.h != m_FrameHeight) {
        m_FrameWidth = 0;
        m_FrameHeight = 0;
    }
    m_FrameRects->push_back(rect);
}

Rect Image::GetFrameRect(int frame) const
{
    if (!m_FrameRects) {
        const Size full = GetFullSize();
        return Rect(0, 0, static_cast<std::uint16_t>(full.w), static_cast<std::uint16_t>(full.h));
    }
    VELK_ASSERT(frame >= 0);
    VELK_ASSERT(frame < (int)m_FrameRects->size());
    return (*m_FrameRects)[static_cast<std::size_t>(frame)];
}

int Image::GetNumFrames() const
{
    return m_FrameRects ? static_cast<int>(m_FrameRects->size()) : 1;
}

Image::Size Image::GetFullSize() const
{
    SDL_Surface* surface = GetSurface();
    return {static_cast<std::uint32_t>(surface->w), static_cast<std::uint32_t>(surface->h)};
}

SDL_Surface* Image::GetSurface() const
{
    return m_SurfaceRecord->GetSDLSurface();
}

void Image::MarkPixelsChanged()
{
    if (m_SurfaceRecord)
        m_SurfaceRecord->MarkChanged();
}

std::size_t Image::CalcMemoryUsage(bool force)
{
    if ((m_Flags & IMAGEFLAG_SHARED_PIXELS) && !force)
        return 0;
    SDL_Surface* surface = GetSurface();
    return static_cast<std::size_t>(surface->format->BytesPerPixel) * static_cast<std::size_t>(surface->h) *
           static_cast<std::size_t>(surface->w);
}

// ---------------------------------------------------------------------------
// Alpha and colour key

void Image::SetAlphaProperties(std::uint32_t flag, std::uint8_t alpha)
{
    if (SDL_SetAlpha(GetSurface(), flag, alpha) != 0) {
        VELK_THROW(ImageException, (boost::format("SetAlpha failed:\nflag = %1%\nalpha = %2%\nerror = %3%") % flag %
                                    static_cast<int>(alpha) % SDL_GetError())
                                       .str());
    }
}

void Image::SetColorKey(std::uint32_t flag, std::uint32_t key)
{
    if (SDL_SetColorKey(GetSurface(), flag, key) != 0) {
        VELK_THROW(ImageException,
                   (boost::format("SetColorKey failed:\nflag = %1%\nkey = %2%\nerror = %3%") % flag % key % SDL_GetError())
                       .str());
    }
}

void Image::SetColorKeyFromTopLeftPixel()
{
    SDL_Surface* surface = GetSurface();
    std::uint32_t key = 0;
    if (surface->w > 0 && surface->h > 0) {
        SurfaceLock lock(surface);
        key = PixelRow(surface, 0)[0];
    }
    SetColorKey(SDL_SRCCOLORKEY, key);
}

std::uint32_t Image::AlphaFlagsOf(const SDL_Surface* surface)
{
    return surface->format->Amask ? 0u : std::uint32_t{IMAGEFLAG_NO_ALPHA};
}

void Image::DisableAlpha()
{
    SetAlphaProperties(0, 0);
    m_Flags |= IMAGEFLAG_NO_ALPHA;
    m_Flags &= ~(IMAGEFLAG_VIDMEM | IMAGEFLAG_COMBINED_ALPHA);
}

void Image::RefreshVideoSurface(bool deleteFirst)
{
    SurfaceManager* manager = SurfaceManager::GetInstance();
    if (deleteFirst)
        manager->DeleteSurfaceOfType(m_SurfaceRecord, SURFACETYPE_D3D);
    manager->Node_RefreshSurfaceType(m_SurfaceRecord, SURFACETYPE_D3D, SURFACETYPE_SDL);
}

// ---------------------------------------------------------------------------
// Drawing into other images

void Image::DrawOnto(const Rect* sourceRect, Image* target, const Rect* destRect)
{
    int shaderType = SHADERTYPE_BLENDPIXELALPHA;
    if (m_Flags & IMAGEFLAG_NO_ALPHA)
        shaderType = SHADERTYPE_COPY;
    else if (m_Flags & IMAGEFLAG_COMBINED_ALPHA)
        shaderType = SHADERTYPE_BLENDCOMBINEDALPHA;
    SDLImageRenderer renderer(target);
    renderer.DrawImage(this, shaderType, destRect, sourceRect, 255, 0.0f, false, false);
}

void Image::DrawFrameOnto(Image* target, int x, int y, int frame)
{
    const Point<int> at(x, y);
    if (frame < 0) {
        AlphaBlitOnto(nullptr, target, &at);
        return;
    }
    const Rect source = GetFrameRect(frame);
    AlphaBlitOnto(&source, target, &at);
}

void Image::DrawFrameOntoImage(Image* target, int x, int y, int frame)
{
    const Size full = GetFullSize();
    const Rect source = frame < 0 ? Rect(0, 0, static_cast<std::uint16_t>(full.w), static_cast<std::uint16_t>(full.h))
                                  : GetFrameRect(frame);
    const Rect dest(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), source.w, source.h);
    SDLImageRenderer renderer(target);
    renderer.DrawImage(this, SHADERTYPE_COPY, &dest, &source, 255, 0.0f, false, false);
}

void Image::AlphaBlitOnto(const Rect* sourceRect, Image* target, const Point<int>* targetPoint)
{
    PixelTimer timer;
    SDL_Surface* source = GetSurface();
    SDL_Surface* dest = target->GetSurface();
    VELK_ASSERT(source->format->BytesPerPixel == 4 && dest->format->BytesPerPixel == 4);

    int sx = 0, sy = 0, w = source->w, h = source->h;
    if (sourceRect) {
        sx = sourceRect->x;
        sy = sourceRect->y;
        w = sourceRect->w;
        h = sourceRect->h;
    }
    int dx = targetPoint ? targetPoint->x : 0;
    int dy = targetPoint ? targetPoint->y : 0;
    if (!ClipBlit(source->w, source->h, dest->w, dest->h, sx, sy, dx, dy, w, h))
        return;

    target->MarkPixelsChanged();
    {
        SurfaceLock sourceLock(source);
        SurfaceLock destLock(dest);
        for (int row = 0; row < h; ++row) {
            const std::uint32_t* s = PixelRow(source, sy + row) + sx;
            std::uint32_t* d = PixelRow(dest, dy + row) + dx;
            for (int i = 0; i < w; ++i) {
                const std::uint32_t sp = s[i];
                const std::uint32_t dp = d[i];
                const std::uint32_t da = dp >> 24;
                if (da == 0) {
                    d[i] = sp;
                    continue;
                }
                const std::uint32_t sa = sp >> 24;
                std::uint32_t out = ((da + (sa - da * sa / 255)) & 0xFF) << 24;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const std::uint32_t sc = (sp >> shift) & 0xFF;
                    const std::uint32_t dc = (dp >> shift) & 0xFF;
                    // Divided by 256, not 255: an opaque source lands one step short.
                    out |= ((sa * sc + (255 - sa) * dc) >> 8) << shift;
                }
                d[i] = out;
            }
        }
    }
    if (BlitPerformanceManager* blits = timer.GetManager())
        blits->AddCompositing(w, h, timer.ElapsedMilliseconds());
}

void Image::ApplyAlphaMask(Image* mask)
{
    PixelTimer timer;
    SDL_Surface* surface = GetSurface();
    SDL_Surface* maskSurface = mask->GetSurface();
    VELK_ASSERT(surface->format->BytesPerPixel == 4 && maskSurface->format->BytesPerPixel == 4);
    const std::uint32_t alphaMask = surface->format->Amask;
    const int alphaShift = surface->format->Ashift;
    const std::uint32_t maskAlphaMask = maskSurface->format->Amask;
    const int maskAlphaShift = maskSurface->format->Ashift;
    MarkPixelsChanged();
    {
        SurfaceLock lock(surface);
        SurfaceLock maskLock(maskSurface);
        for (int y = 0; y < surface->h; ++y) {
            std::uint32_t* p = PixelRow(surface, y);
            const std::uint32_t* m = y < maskSurface->h ? PixelRow(maskSurface, y) : nullptr;
            for (int x = 0; x < surface->w; ++x) {
                if (!m || x >= maskSurface->w) {
                    p[x] = 0;
                    continue;
                }
                const std::uint32_t ma = (m[x] & maskAlphaMask) >> maskAlphaShift;
                if (ma == 0) {
                    p[x] = 0;
                    continue;
                }
                const std::uint32_t a = (p[x] & alphaMask) >> alphaShift;
                if (ma < a)
                    p[x] = (p[x] & ~alphaMask) | (ma << alphaShift);
            }
        }
    }
    // The accelerated copy is stale now; the next draw uploads the new pixels.
    SurfaceManager::GetInstance()->DeleteSurfaceOfType(m_SurfaceRecord, SURFACETYPE_D3D);
    if (BlitPerformanceManager* blits = timer.GetManager())
        blits->AddClip(surface->w, surface->h, timer.ElapsedMilliseconds());
}

// ---------------------------------------------------------------------------
// New images from this one

std::unique_ptr<Image> Image::ExtractFrame(int frame)
{
    const Rect rect = GetFrameRect(frame);
    auto result = std::make_unique<Image>(rect.w, rect.h, 1, 0);
    DrawFrameOntoImage(result.get(), 0, 0, frame);
    return result;
}

std::unique_ptr<Image> Image::Clone()
{
    return std::make_unique<Image>(*this);
}

std::unique_ptr<Image> Image::CreateDeepCopy()
{
    const Size full = GetFullSize();
    auto copy = std::make_unique<Image>(static_cast<int>(full.w), static_cast<int>(full.h), 1,
                                        IMAGEFLAG_OWNS_METADATA | (m_Flags & kImageCopiedFlags));
    copy->SetMetadata(new LuaObject(GetMetadata()));
    DrawFrameOntoImage(copy.get(), 0, 0, -1);
    copy->SetAlpha(m_Alpha);
    copy->BuildFrameRects(static_cast<int>(m_FrameWidth), static_cast<int>(m_FrameHeight), GetNumFrames(), m_FrameGap);
    return copy;
}

void Image::RegisterAsResource(const std::string& name)
{
    auto info = std::make_unique<ResourceInfo>();
    info->SetResource(Clone().release());
    info->SetType(RESOURCE_IMAGE);
    RequireResourceCatalog().AddInfo(name, std::move(info));
}

std::unique_ptr<Image> Image::MakeFromFile(const std::string& path)
{
    try {
        const std::string bytes = ReadWholeFile(path);
        return SDLImageLoader::LoadImageA(bytes.data(), bytes.size(), nullptr);
    } catch (const Exception& e) {
        LogWrite("WARNING: Image::MakeFromFile failed.\n %s\n", e.GetMessage().c_str());
        return nullptr;
    }
}

// ---------------------------------------------------------------------------
// The loader

bool SDLImageLoader::CanLoad(const ResourceInfo& info) const
{
    const std::string& location = info.GetLocation();
    if (location.size() < 5)
        return false;
    return EndsWith(location, ".png") || EndsWith(location, ".jpeg") || EndsWith(location, ".jpg") ||
           EndsWith(location, ".bmp");
}

void SDLImageLoader::LoadResource(FileReader* reader, ResourceInfo& info)
{
    const std::string& location = info.GetLocation();
    VELK_ASSERT(reader != 0);
    VELK_ASSERT(location.empty() == false);
    const char* bytes = nullptr;
    std::size_t size = 0;
    reader->Read(location, bytes, size);
    std::unique_ptr<Image> image = LoadImageA(bytes, size, &info.GetMetadata());
    info.SetResource(image.release());
    info.SetType(RESOURCE_IMAGE);
}

std::unique_ptr<Image> SDLImageLoader::LoadImageA(const char* bytes, std::size_t size, LuaObject* metadata)
{
    SDL_RWops* stream = size <= static_cast<std::size_t>(INT_MAX)
                            ? SDL_RWFromConstMem(bytes, static_cast<int>(size))
                            : nullptr;
    if (!stream)
        VELK_THROW(ResourceLoadError, (boost::format("SDL_RWFromMem failed:\nerror=%1%") % SDL_GetError()).str());
    SDL_Surface* surface = IMG_Load_RW(stream, 1);
    if (!surface)
        VELK_THROW(ResourceLoadError, (boost::format("Could not load image:\nerror=%1%") % IMG_GetError()).str());
    return std::make_unique<Image>(surface, Image::AlphaFlagsOf(surface), metadata);
}
