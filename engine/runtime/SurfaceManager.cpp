#include "engine/runtime/SurfaceManager.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/PerformanceCounters.h"
#include "engine/runtime/Resource.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr Uint32 kRedMask = 0x00FF0000;
constexpr Uint32 kGreenMask = 0x0000FF00;
constexpr Uint32 kBlueMask = 0x000000FF;
constexpr Uint32 kAlphaMask = 0xFF000000;

// Frees the given surface and answers its standard-format copy, keeping its
// colour key and constant alpha.
SDL_Surface* ConvertToStandardFormat(SDL_Surface* surface)
{
    const SDL_PixelFormat* standard = SurfaceManager::GetStandardPixelFormat();
    SDL_Surface* converted = SDL_ConvertSurface(surface, const_cast<SDL_PixelFormat*>(standard), SDL_SWSURFACE);
    if (!converted) {
        std::string error = SDL_GetError();
        SDL_FreeSurface(surface);
        VELK_THROW(ImageException, "SDL_ConvertSurface failed: " + error);
    }
    if (surface->flags & SDL_SRCCOLORKEY) {
        // The key is a pixel value of the old format: carry its colour, not its bits.
        Uint8 r, g, b;
        SDL_GetRGB(surface->format->colorkey, surface->format, &r, &g, &b);
        SDL_SetColorKey(converted, SDL_SRCCOLORKEY, SDL_MapRGB(converted->format, r, g, b));
    }
    if (surface->flags & SDL_SRCALPHA)
        SDL_SetAlpha(converted, SDL_SRCALPHA, surface->format->alpha);
    SDL_FreeSurface(surface);
    return converted;
}

} // namespace

SDLSurface::SDLSurface(SDL_Surface* surface)
    : m_Surface(surface), m_CountedBytes(static_cast<std::int32_t>(surface->pitch) * surface->h)
{
    AddMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM, m_CountedBytes);
}

SDLSurface::~SDLSurface()
{
    AddMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM, -m_CountedBytes);
    // The screen belongs to SDL.
    if (m_Surface != SDL_GetVideoSurface())
        SDL_FreeSurface(m_Surface);
}

DividedSurface::DividedSurface(SDL_Surface* source) : m_Width(source->w), m_Height(source->h)
{
    if (m_Width == 0 || m_Height == 0)
        return;
    const int columns = (m_Width >> kPieceShift) + ((m_Width & (kPieceSize - 1)) ? 1 : 0);
    const int rows = (m_Height >> kPieceShift) + ((m_Height & (kPieceSize - 1)) ? 1 : 0);
    m_Pieces.reserve(static_cast<std::size_t>(columns) * rows);
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const int x = c * kPieceSize;
            const int y = r * kPieceSize;
            Piece piece;
            piece.rect = Rect(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                              static_cast<std::uint16_t>(std::min(kPieceSize, m_Width - x)),
                              static_cast<std::uint16_t>(std::min(kPieceSize, m_Height - y)));
            piece.pixels.assign(static_cast<std::size_t>(kPieceSize) * kPieceSize, 0);
            CopySurfaceRect(source, piece.pixels.data(), kPieceSize * 4, x, y, piece.rect.w, piece.rect.h);
            m_Pieces.push_back(std::move(piece));
        }
    }
}

Surface* SurfaceRecord::GetSurface(int type) const
{
    VELK_ASSERT(type >= SURFACETYPE_SDL && type <= SURFACETYPE_D3D);
    return m_Surfaces[type - 1].get();
}

SDL_Surface* SurfaceRecord::GetSDLSurface() const
{
    auto* surface = static_cast<SDLSurface*>(m_Surfaces[SURFACETYPE_SDL - 1].get());
    return surface ? surface->GetSDLSurface() : nullptr;
}

DividedSurface* SurfaceRecord::GetDividedSurface() const
{
    return static_cast<DividedSurface*>(m_Surfaces[SURFACETYPE_DIVIDED - 1].get());
}

D3DSurface* SurfaceRecord::GetD3DSurface() const
{
    return static_cast<D3DSurface*>(m_Surfaces[SURFACETYPE_D3D - 1].get());
}

SurfaceManager* SurfaceManager::GetInstance()
{
    static SurfaceManager* instance = new SurfaceManager();
    return instance;
}

const SDL_PixelFormat* SurfaceManager::GetStandardPixelFormat()
{
    // Made once and kept for the whole run.
    static SDL_Surface* formatSurface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, kRedMask, kGreenMask, kBlueMask, kAlphaMask);
    VELK_ASSERT(formatSurface != 0);
    return formatSurface->format;
}

bool SurfaceManager::IsStandardPixelFormat(const SDL_PixelFormat* format)
{
    const SDL_PixelFormat* standard = GetStandardPixelFormat();
    return format->BitsPerPixel == standard->BitsPerPixel && format->BytesPerPixel == standard->BytesPerPixel &&
           format->Rmask == standard->Rmask && format->Gmask == standard->Gmask &&
           format->Bmask == standard->Bmask && format->Amask == standard->Amask &&
           format->Rshift == standard->Rshift && format->Gshift == standard->Gshift &&
           format->Bshift == standard->Bshift && format->Ashift == standard->Ashift &&
           format->Rloss == standard->Rloss && format->Gloss == standard->Gloss &&
           format->Bloss == standard->Bloss && format->Aloss == standard->Aloss;
}

SurfaceRecord* SurfaceManager::AddSDLSurface(SDL_Surface* surface)
{
    VELK_ASSERT(surface != 0);
    const bool adopt = !(surface->flags & SDL_HWSURFACE);
    if (adopt && surface != SDL_GetVideoSurface() && !IsStandardPixelFormat(surface->format))
        surface = ConvertToStandardFormat(surface);

    static std::uint64_t s_LastSerial = 0;
    auto* record = new SurfaceRecord();
    record->m_Serial = ++s_LastSerial;
    if (adopt)
        record->m_Surfaces[SURFACETYPE_SDL - 1] = std::make_unique<SDLSurface>(surface);
    record->m_Next = m_Head;
    if (m_Head)
        m_Head->m_Prev = record;
    m_Head = record;
    return record;
}

SDL_Surface* SurfaceManager::CreateSurface(int width, int height, bool alpha)
{
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, kRedMask, kGreenMask, kBlueMask, kAlphaMask);
    if (surface && alpha)
        SDL_SetAlpha(surface, SDL_SRCALPHA, 0);
    return surface;
}

void SurfaceManager::ReleaseRecordShare(SurfaceRecord* record)
{
    if (record->ReleaseShare() <= 0)
        GetInstance()->DeleteRecord(record);
}

void SurfaceManager::DeleteRecord(SurfaceRecord* record)
{
    if (record->m_Prev)
        record->m_Prev->m_Next = record->m_Next;
    else
        m_Head = record->m_Next;
    if (record->m_Next)
        record->m_Next->m_Prev = record->m_Prev;
    for (int type = SURFACETYPE_SDL; type <= SURFACETYPE_D3D; ++type)
        DeleteSurfaceOfType(record, type);
    delete record;
}

void SurfaceManager::DeleteSurfaceOfType(SurfaceRecord* record, int type)
{
    VELK_ASSERT(type >= SURFACETYPE_SDL && type <= SURFACETYPE_D3D);
    record->m_Surfaces[type - 1].reset();
}

void SurfaceManager::All_DeleteSurfacesOfType(int type)
{
    if (type == SURFACETYPE_D3D)
        Log(3, "SurfaceManager::All_DeleteSurfacesOfType: Flushing vidmem.\n");
    for (SurfaceRecord* record = m_Head; record; record = record->m_Next)
        DeleteSurfaceOfType(record, type);
}

Surface* SurfaceManager::Node_RefreshSurfaceType(SurfaceRecord* record, int targetType, int sourceType)
{
    if (targetType == SURFACETYPE_DIVIDED && sourceType == SURFACETYPE_SDL) {
        SDL_Surface* source = record->GetSDLSurface();
        VELK_ASSERT(source != 0);
        DeleteSurfaceOfType(record, SURFACETYPE_DIVIDED);
        record->m_Surfaces[SURFACETYPE_DIVIDED - 1] = std::make_unique<DividedSurface>(source);
        return record->m_Surfaces[SURFACETYPE_DIVIDED - 1].get();
    }
    if (targetType == SURFACETYPE_D3D && sourceType == SURFACETYPE_SDL) {
        if (!m_TextureMaker)
            return nullptr;
        SDL_Surface* source = record->GetSDLSurface();
        VELK_ASSERT(source != 0);
        if (PerformanceCounterManager* counters = PerformanceCounterManager::GetInstance())
            counters->AddToIntCounter("Images Uploaded", 1);
        DeleteSurfaceOfType(record, SURFACETYPE_D3D);
        std::unique_ptr<DividedTexture> texture = m_TextureMaker->MakeDividedTexture(source);
        if (!texture)
            return nullptr;
        record->m_Surfaces[SURFACETYPE_D3D - 1] = std::make_unique<D3DSurface>(std::move(texture));
        return record->m_Surfaces[SURFACETYPE_D3D - 1].get();
    }
    VELK_ASSERT_MSG(false, "An unsupported image conversion was attempted.");
    return nullptr;
}

void CopySurfaceRect(SDL_Surface* surface, std::uint32_t* dest, int destPitch, int x, int y, int width, int rows)
{
    if (rows < 1)
        return;
    SurfaceLock lock(surface);
    auto* out = reinterpret_cast<std::uint8_t*>(dest);
    for (int row = 0; row < rows; ++row) {
        std::memcpy(out, PixelRow(surface, y + row) + x, static_cast<std::size_t>(width) * 4);
        out += destPitch;
    }
}

bool ClipBlit(int srcW, int srcH, int destW, int destH, int& srcX, int& srcY, int& destX, int& destY, int& w, int& h)
{
    // Source side: a negative start moves the destination along.
    if (srcX < 0) {
        w += srcX;
        destX -= srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        h += srcY;
        destY -= srcY;
        srcY = 0;
    }
    w = std::min(w, srcW - srcX);
    h = std::min(h, srcH - srcY);
    // Destination side: a negative start moves the source the other way.
    if (destX < 0) {
        w += destX;
        srcX -= destX;
        destX = 0;
    }
    if (destY < 0) {
        h += destY;
        srcY -= destY;
        destY = 0;
    }
    w = std::min(w, destW - destX);
    h = std::min(h, destH - destY);
    return w > 0 && h > 0;
}

SurfaceLock::SurfaceLock(SDL_Surface* surface) : m_Surface(surface), m_Locked(false)
{
    if (SDL_MUSTLOCK(surface)) {
        VELK_ASSERT_MSG(SDL_LockSurface(surface) == 0, SDL_GetError());
        m_Locked = true;
    }
}

SurfaceLock::~SurfaceLock()
{
    if (m_Locked)
        SDL_UnlockSurface(m_Surface);
}
