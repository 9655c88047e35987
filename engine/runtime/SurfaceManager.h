#pragma once

#include "engine/core/Rect.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

// The forms a picture can take in a surface record.
enum SurfaceType
{
    SURFACETYPE_SDL = 1,      // SDL surface in system memory
    SURFACETYPE_DIVIDED = 2,  // cut into 128 x 128 pieces
    SURFACETYPE_D3D = 3,      // accelerated textures in video memory
};

class Surface
{
public:
    virtual ~Surface() = default;
};

// Owns one SDL surface, counted in the system-memory image bytes while it lives.
class SDLSurface : public Surface
{
public:
    explicit SDLSurface(SDL_Surface* surface);
    SDLSurface(const SDLSurface&) = delete;
    SDLSurface& operator=(const SDLSurface&) = delete;
    ~SDLSurface() override;

    SDL_Surface* GetSDLSurface() const { return m_Surface; }

private:
    SDL_Surface* m_Surface;
    std::int32_t m_CountedBytes;
};

// A picture cut into square pieces, column by column. Every piece buffer is a
// full piece, also at the right and bottom edges where its rectangle is smaller.
class DividedSurface : public Surface
{
public:
    static constexpr int kPieceShift = 7;
    static constexpr int kPieceSize = 1 << kPieceShift;

    struct Piece
    {
        Rect rect;                          // within the picture
        std::vector<std::uint32_t> pixels;  // row pitch kPieceSize pixels
        int bufferWidth = kPieceSize;
        int bufferHeight = kPieceSize;
    };

    explicit DividedSurface(SDL_Surface* source);

    int GetWidth() const { return m_Width; }
    int GetHeight() const { return m_Height; }
    const std::vector<Piece>& GetPieces() const { return m_Pieces; }

private:
    int m_Width;
    int m_Height;
    std::vector<Piece> m_Pieces;
};

// A picture cut into textures by the accelerated back end, which derives its
// own texture set from this.
class DividedTexture
{
public:
    virtual ~DividedTexture() = default;
};

class D3DSurface : public Surface
{
public:
    explicit D3DSurface(std::unique_ptr<DividedTexture> texture) : m_Texture(std::move(texture)) {}
    DividedTexture* GetTexture() const { return m_Texture.get(); }

private:
    std::unique_ptr<DividedTexture> m_Texture;
};

// The accelerated back end as the surface manager sees it. It installs itself
// while it is the current back end; without it no texture form is made.
class DividedTextureMaker
{
public:
    virtual ~DividedTextureMaker() = default;
    // The picture cut into textures; null when there is nothing to cut.
    virtual std::unique_ptr<DividedTexture> MakeDividedTexture(SDL_Surface* surface) = 0;
};

// One picture in up to three forms, shared by the images that show it. It
// starts with a share count of 1; whoever drops the count to 0 deletes it
// through SurfaceManager::DeleteRecord.
class SurfaceRecord
{
public:
    Surface* GetSurface(int type) const;
    // The system-memory form's SDL surface, or null.
    SDL_Surface* GetSDLSurface() const;
    DividedSurface* GetDividedSurface() const;
    D3DSurface* GetD3DSurface() const;

    std::int32_t GetShareCount() const { return m_ShareCount; }
    void AddShare() { ++m_ShareCount; }
    // The count left.
    std::int32_t ReleaseShare() { return --m_ShareCount; }

    SurfaceRecord* GetNext() const { return m_Next; }

    // Tells two records apart even when one is made where another was freed.
    std::uint64_t GetSerial() const { return m_Serial; }
    // Counts changes of the pixels made after the record was filed, so that
    // a picture of the same record can tell it shows something else now.
    std::uint32_t GetVersion() const { return m_Version; }
    void MarkChanged() { ++m_Version; }

private:
    friend class SurfaceManager;
    SurfaceRecord() = default;
    ~SurfaceRecord() = default;

    std::unique_ptr<Surface> m_Surfaces[3];
    std::int32_t m_ShareCount = 1;
    std::uint64_t m_Serial = 0;
    std::uint32_t m_Version = 0;
    SurfaceRecord* m_Prev = nullptr;
    SurfaceRecord* m_Next = nullptr;
};

// Holds every surface record in a list, newest first, and defines the
// program's one pixel format: 32 bits, alpha 0xFF000000, red 0xFF0000,
// green 0xFF00, blue 0xFF.
class SurfaceManager
{
public:
    static SurfaceManager* GetInstance();

    // Files the surface as a new record's system-memory form. A surface in the
    // standard format is adopted as it is, and so is the screen (a converted
    // screen would be drawn into unseen); any other is converted, keeping its
    // colour key and constant alpha, and the given surface is freed. A hardware
    // surface is not adopted: the record stays without that form.
    SurfaceRecord* AddSDLSurface(SDL_Surface* surface);
    // A blank software surface in the standard format; null when SDL cannot
    // make one. With alpha set, it gets SDL's source-alpha flag with constant alpha 0.
    SDL_Surface* CreateSurface(int width, int height, bool alpha);

    void DeleteRecord(SurfaceRecord* record);
    // Drops one share of the record; whoever held the last one deletes it.
    static void ReleaseRecordShare(SurfaceRecord* record);
    void DeleteSurfaceOfType(SurfaceRecord* record, int type);
    // Destroys the given form of every record; type 3 is "flushing vidmem".
    void All_DeleteSurfacesOfType(int type);
    // Builds the record's form of the target type from its form of the source
    // type: 2 from 1, or 3 from 1 while the accelerated back end is installed
    // (otherwise nothing is made and the result is null).
    Surface* Node_RefreshSurfaceType(SurfaceRecord* record, int targetType, int sourceType);

    void SetDividedTextureMaker(DividedTextureMaker* maker) { m_TextureMaker = maker; }
    SurfaceRecord* GetHead() const { return m_Head; }

    static const SDL_PixelFormat* GetStandardPixelFormat();
    static bool IsStandardPixelFormat(const SDL_PixelFormat* format);

private:
    SurfaceManager() = default;

    SurfaceRecord* m_Head = nullptr;
    DividedTextureMaker* m_TextureMaker = nullptr;
};

// Copies a rectangle of 32-bit pixels row by row into a buffer whose rows are
// destPitch bytes apart. Nothing happens for fewer than one row.
void CopySurfaceRect(SDL_Surface* surface, std::uint32_t* dest, int destPitch, int x, int y, int width, int rows);

// Clips a blit of a w x h area from (srcX, srcY) of a srcW x srcH picture to
// (destX, destY) of a destW x destH picture, as SDL clips its blits: a
// negative start moves the other side's start along and shortens the area.
// False when nothing is left to draw.
bool ClipBlit(int srcW, int srcH, int destW, int destH, int& srcX, int& srcY, int& destX, int& destY, int& w, int& h);

// Locks a surface for direct pixel access where SDL requires it.
class SurfaceLock
{
public:
    explicit SurfaceLock(SDL_Surface* surface);
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;
    ~SurfaceLock();

private:
    SDL_Surface* m_Surface;
    bool m_Locked;
};

// The first 32-bit pixel of row y.
inline std::uint32_t* PixelRow(SDL_Surface* surface, int y)
{
    return reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch);
}
