#pragma once

#include "platform/d3d/D3DLayer.h"

#include <cstdint>
#include <string>

class CDXScreen;

// Loads an image file into a new system-memory surface of the display object
// (memory kind 1, format 0 = detect); null when it cannot. The image readers
// install it; without one a surface cannot reload from its file.
using CDXImageLoadFunction = DDSurface* (*)(DDraw* ddraw, const char* fileName, int memoryKind, int format);
void SetCDXImageLoader(CDXImageLoadFunction loader);

// One surface of the screen layer (the front and back buffers are two): its
// pixel format, counted locks and device contexts that survive a lost
// surface, per-depth pixel and line functions clipped to a clip rectangle, a
// colour fill, and a 24-bit BMP writer for screenshots. Results are the
// layer's codes or small negative numbers; nothing throws.
class CDXSurface
{
public:
    // Depth codes of the pixel format.
    enum Depth
    {
        DEPTH_NONE = 0,
        DEPTH_PALETTE = 8,
        DEPTH_555 = 15,
        DEPTH_565 = 16,
        DEPTH_24 = 24,
        DEPTH_32 = 32,
    };
    struct PixelFormat
    {
        std::uint8_t redMask = 0, redShift = 0;
        std::uint8_t greenMask = 0, greenShift = 0;
        std::uint8_t blueMask = 0, blueShift = 0;
        std::int32_t depth = DEPTH_NONE;
    };

    CDXSurface();
    CDXSurface(const CDXSurface&) = delete;
    CDXSurface& operator=(const CDXSurface&) = delete;
    virtual ~CDXSurface();

    // Takes the surface (the caller's reference) and sets size, clip
    // rectangle and owner; the format is read with ReadPixelFormat.
    void Attach(DDSurface* surface, int width, int height, CDXScreen* owner);
    DDSurface* GetDDS() const { return m_Surface; }
    int GetWidth() const { return m_Width; }
    int GetHeight() const { return m_Height; }
    CDXScreen* GetScreen() const { return m_Screen; }
    void SetSourceFile(const std::string& fileName) { m_FileName = fileName; }

    // 1 when the format was read and is RGB or palette; 0 otherwise.
    int ReadPixelFormat();
    const PixelFormat& GetPixelFormat() const { return m_PixelFormat; }

    // Clamped to the surface.
    void SetClipRect(const DDRect& rect);
    const DDRect& GetClipRect() const { return m_ClipRect; }

    // Counted: the count after the call, or the layer's failure code.
    std::int32_t Lock();
    std::int32_t Unlock();
    int GetLockCount() const { return m_LockCount; }
    // While locked: the pixels and the row pitch in bytes.
    std::uint8_t* GetPixels() const { return static_cast<std::uint8_t*>(m_Desc.surface); }
    std::int32_t GetPitch() const { return m_Desc.pitch; }

    // Counted pixel access for drawing code: a handle, or null on failure.
    void* GetDC();
    // 0, or -1 when the held access could not be given back.
    int ReleaseDC();
    int GetDCCount() const { return m_DCCount; }

    DDResult Restore();
    // -2 without a source file or a loader; otherwise the copy's result.
    DDResult ReloadFromFile();

    // The pixel functions (surface locked), clipped to the clip rectangle.
    // Blended: alpha 0 to 256.
    void PutPixel(int x, int y, std::uint32_t color);
    void PutAAPixel(int x, int y, std::uint32_t color, int alpha);
    std::uint32_t GetPixel(int x, int y) const;
    void VLine(int y1, int y2, int x, std::uint32_t color);
    void HLine(int x1, int x2, int y, std::uint32_t color);

    // Clipped to the clip rectangle; nothing when wholly outside.
    DDResult Fill(const DDRect& rect, std::uint32_t color);

    // A 24-bit bottom-up BMP of the surface or of the rectangle: 1 on success;
    // -1 without a name, -2 when the file cannot be made, -3 (-6 at 8 bits)
    // when the surface cannot be locked, -4 without a front buffer for the
    // palette, -5 when the palette cannot be read.
    int SaveAsBMP(const char* fileName, const DDRect* rect = nullptr);

private:
    DDResult RestoreSurface();
    bool Inside(int x, int y) const;
    std::uint8_t* PixelAt(int x, int y) const;

    DDSurfaceDesc m_Desc;
    DDSurface* m_Surface = nullptr;
    int m_Width = 0;
    int m_Height = 0;
    std::string m_FileName;
    CDXScreen* m_Screen = nullptr;
    DDRect m_ClipRect;
    PixelFormat m_PixelFormat;
    int m_LockCount = 0;
    int m_DCCount = 0;
};
