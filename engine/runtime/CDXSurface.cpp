#include "engine/runtime/CDXSurface.h"

#include "engine/runtime/CDXLog.h"
#include "engine/runtime/CDXScreen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

CDXImageLoadFunction g_ImageLoader = nullptr;

void PutLE16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLE32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The mask shifted down to bit 0 and the steps it took (at most 32).
void SplitMask(std::uint32_t mask, std::uint8_t& shifted, std::uint8_t& shift)
{
    int steps = 0;
    while (mask && !(mask & 1) && steps < 32) {
        mask >>= 1;
        ++steps;
    }
    shifted = static_cast<std::uint8_t>(mask);
    shift = static_cast<std::uint8_t>(steps);
}

// old + ((new - old) x alpha >> 8) on each channel of the given width and place.
std::uint32_t BlendChannels(std::uint32_t oldColor, std::uint32_t newColor, int alpha, const int* shifts,
                            const int* bits)
{
    std::uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const std::uint32_t mask = (1u << bits[c]) - 1;
        const int o = static_cast<int>((oldColor >> shifts[c]) & mask);
        const int n = static_cast<int>((newColor >> shifts[c]) & mask);
        out |= static_cast<std::uint32_t>((o + (((n - o) * alpha) >> 8)) & static_cast<int>(mask)) << shifts[c];
    }
    return out;
}

} // namespace

void SetCDXImageLoader(CDXImageLoadFunction loader)
{
    g_ImageLoader = loader;
}

CDXSurface::CDXSurface() = default;

CDXSurface::~CDXSurface()
{
    CDXLOG("CDXSurface::~CDXSurface");
    if (m_DCCount > 0) {
        m_DCCount = 1;
        ReleaseDC();
    }
    if (m_Surface)
        m_Surface->Release();
    if (m_Screen)
        m_Screen->RemoveSurface(this);
}

void CDXSurface::Attach(DDSurface* surface, int width, int height, CDXScreen* owner)
{
    m_Surface = surface;
    m_Width = width;
    m_Height = height;
    m_Screen = owner;
    m_ClipRect = DDRect{0, 0, width, height};
}

int CDXSurface::ReadPixelFormat()
{
    m_PixelFormat = PixelFormat();
    DDSurfaceDesc desc;
    if (!m_Surface || DDFailed(m_Surface->GetSurfaceDesc(&desc)))
        return 0;
    const DDPixelFormat& f = desc.pixelFormat;
    if (f.rgbBitCount < 9) {
        m_PixelFormat.depth = static_cast<std::int32_t>(f.rgbBitCount);
        return m_PixelFormat.depth == DEPTH_PALETTE ? 1 : 0;
    }
    SplitMask(f.rMask, m_PixelFormat.redMask, m_PixelFormat.redShift);
    SplitMask(f.gMask, m_PixelFormat.greenMask, m_PixelFormat.greenShift);
    SplitMask(f.bMask, m_PixelFormat.blueMask, m_PixelFormat.blueShift);
    if (!(f.flags & DDPF_RGB))
        return 0;
    if (f.rgbBitCount == 16)
        m_PixelFormat.depth =
            (m_PixelFormat.redMask + m_PixelFormat.greenMask + m_PixelFormat.blueMask == 93) ? DEPTH_555 : DEPTH_565;
    else if (f.rgbBitCount == 24 || f.rgbBitCount == 32)
        m_PixelFormat.depth = static_cast<std::int32_t>(f.rgbBitCount);
    return m_PixelFormat.depth != DEPTH_NONE ? 1 : 0;
}

void CDXSurface::SetClipRect(const DDRect& rect)
{
    m_ClipRect.left = std::clamp(rect.left, 0, m_Width);
    m_ClipRect.top = std::clamp(rect.top, 0, m_Height);
    m_ClipRect.right = std::clamp(rect.right, 0, m_Width);
    m_ClipRect.bottom = std::clamp(rect.bottom, 0, m_Height);
}

DDResult CDXSurface::RestoreSurface()
{
    // The back buffer of a flipping chain comes back with its front buffer.
    if (m_Screen && m_Screen->IsFullScreen() && m_Screen->GetBack() == this && m_Screen->GetFront())
        return m_Screen->GetFront()->GetDDS()->Restore();
    return m_Surface->Restore();
}

std::int32_t CDXSurface::Lock()
{
    if (m_LockCount > 0)
        return ++m_LockCount;
    if (!m_Surface)
        return DDERR_INVALIDOBJECT;
    DDResult result = m_Surface->Lock(nullptr, &m_Desc, DDBLT_WAIT);
    // A surface that stays lost after its restore would loop for ever: one
    // restore per lock.
    if (result == DDERR_SURFACELOST) {
        const DDResult restored = RestoreSurface();
        if (DDFailed(restored))
            return restored;
        ReloadFromFile();
        result = m_Surface->Lock(nullptr, &m_Desc, DDBLT_WAIT);
    }
    if (DDFailed(result))
        return result;
    m_LockCount = 1;
    return m_LockCount;
}

std::int32_t CDXSurface::Unlock()
{
    if (m_LockCount > 1)
        return --m_LockCount;
    if (m_LockCount == 0 || !m_Surface)
        return DDERR_NOTLOCKED;
    DDResult result = m_Surface->Unlock(nullptr);
    if (result == DDERR_SURFACELOST) {
        const DDResult restored = RestoreSurface();
        if (DDFailed(restored))
            return restored;
        ReloadFromFile();
        result = DD_OK;
    }
    if (DDFailed(result))
        return result;
    m_Desc.surface = nullptr;
    m_LockCount = 0;
    return m_LockCount;
}

void* CDXSurface::GetDC()
{
    if (m_DCCount > 0) {
        ++m_DCCount;
        return m_Desc.surface;
    }
    if (Lock() < 0)
        return nullptr;
    m_DCCount = 1;
    return m_Desc.surface;
}

int CDXSurface::ReleaseDC()
{
    if (m_DCCount > 1) {
        --m_DCCount;
        return 0;
    }
    if (m_DCCount == 0)
        return -1;
    m_DCCount = 0;
    return Unlock() < 0 ? -1 : 0;
}

DDResult CDXSurface::Restore()
{
    if (!m_Surface)
        return DDERR_INVALIDOBJECT;
    const DDResult result = RestoreSurface();
    if (DDFailed(result))
        return result;
    const DDResult reloaded = ReloadFromFile();
    return reloaded == -2 ? result : reloaded;
}

DDResult CDXSurface::ReloadFromFile()
{
    if (m_FileName.empty() || !g_ImageLoader || !m_Screen || !m_Screen->GetDD())
        return -2;
    DDSurface* loaded = g_ImageLoader(m_Screen->GetDD(), m_FileName.c_str(), 1, 0);
    if (!loaded)
        return -2;
    const DDRect whole{0, 0, m_Width, m_Height};
    const DDResult result = m_Surface->Blt(&whole, loaded, &whole, DDBLT_WAIT, 0);
    loaded->Release();
    return result;
}

bool CDXSurface::Inside(int x, int y) const
{
    return x >= m_ClipRect.left && x < m_ClipRect.right && y >= m_ClipRect.top && y < m_ClipRect.bottom;
}

std::uint8_t* CDXSurface::PixelAt(int x, int y) const
{
    const int bytes = m_PixelFormat.depth == DEPTH_555 ? 2 : (m_PixelFormat.depth + 7) / 8;
    return GetPixels() + static_cast<std::ptrdiff_t>(y) * m_Desc.pitch + static_cast<std::ptrdiff_t>(x) * bytes;
}

void CDXSurface::PutPixel(int x, int y, std::uint32_t color)
{
    if (!GetPixels() || !Inside(x, y))
        return;
    std::uint8_t* p = PixelAt(x, y);
    switch (m_PixelFormat.depth) {
    case DEPTH_PALETTE:
        *p = static_cast<std::uint8_t>(color);
        break;
    case DEPTH_555:
    case DEPTH_565: {
        const auto v = static_cast<std::uint16_t>(color);
        std::memcpy(p, &v, 2);
        break;
    }
    case DEPTH_24:
        std::memcpy(p, &color, 3);
        break;
    case DEPTH_32:
        std::memcpy(p, &color, 4);
        break;
    default:
        break;
    }
}

void CDXSurface::PutAAPixel(int x, int y, std::uint32_t color, int alpha)
{
    if (!GetPixels() || !Inside(x, y))
        return;
    static const int k555Shifts[3] = {10, 5, 0}, k555Bits[3] = {5, 5, 5};
    static const int k565Shifts[3] = {11, 5, 0}, k565Bits[3] = {5, 6, 5};
    static const int k888Shifts[3] = {16, 8, 0}, k888Bits[3] = {8, 8, 8};
    switch (m_PixelFormat.depth) {
    case DEPTH_PALETTE:
        PutPixel(x, y, color);
        break;
    case DEPTH_555:
        PutPixel(x, y, BlendChannels(GetPixel(x, y), color, alpha, k555Shifts, k555Bits));
        break;
    case DEPTH_565:
        PutPixel(x, y, BlendChannels(GetPixel(x, y), color, alpha, k565Shifts, k565Bits));
        break;
    case DEPTH_24:
    case DEPTH_32:
        // The top byte of a 32-bit pixel is written 0.
        PutPixel(x, y, BlendChannels(GetPixel(x, y), color, alpha, k888Shifts, k888Bits));
        break;
    default:
        break;
    }
}

std::uint32_t CDXSurface::GetPixel(int x, int y) const
{
    if (!GetPixels() || !Inside(x, y))
        return 0;
    const std::uint8_t* p = PixelAt(x, y);
    std::uint32_t v = 0;
    switch (m_PixelFormat.depth) {
    case DEPTH_PALETTE:
        return *p;
    case DEPTH_555:
    case DEPTH_565:
        std::memcpy(&v, p, 2);
        return v;
    case DEPTH_24:
        std::memcpy(&v, p, 3);
        return v;
    case DEPTH_32:
        std::memcpy(&v, p, 4);
        return v;
    default:
        return 0;
    }
}

void CDXSurface::VLine(int y1, int y2, int x, std::uint32_t color)
{
    if (y1 > y2)
        std::swap(y1, y2);
    if (x < m_ClipRect.left || x >= m_ClipRect.right || y2 < m_ClipRect.top || y1 >= m_ClipRect.bottom)
        return;
    const int from = std::max(y1, m_ClipRect.top), to = std::min(y2, m_ClipRect.bottom - 1);
    for (int y = from; y <= to; ++y)
        PutPixel(x, y, color);
}

void CDXSurface::HLine(int x1, int x2, int y, std::uint32_t color)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y < m_ClipRect.top || y >= m_ClipRect.bottom || x2 < m_ClipRect.left || x1 >= m_ClipRect.right)
        return;
    const int from = std::max(x1, m_ClipRect.left), to = std::min(x2, m_ClipRect.right - 1);
    for (int x = from; x <= to; ++x)
        PutPixel(x, y, color);
}

DDResult CDXSurface::Fill(const DDRect& rect, std::uint32_t color)
{
    DDRect r;
    r.left = std::max(rect.left, m_ClipRect.left);
    r.top = std::max(rect.top, m_ClipRect.top);
    r.right = std::min(rect.right, m_ClipRect.right);
    r.bottom = std::min(rect.bottom, m_ClipRect.bottom);
    if (r.right <= r.left || r.bottom <= r.top)
        return DD_OK;
    return m_Surface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, color);
}

int CDXSurface::SaveAsBMP(const char* fileName, const DDRect* rect)
{
    if (!fileName || !*fileName)
        return -1;
    FILE* file = std::fopen(fileName, "wb");
    if (!file)
        return -2;
    // The current description (format and pitch).
    if (Lock() >= 0)
        Unlock();
    // Only pixels of the surface are read.
    const int left = rect ? std::clamp(rect->left, 0, m_Width) : 0;
    const int top = rect ? std::clamp(rect->top, 0, m_Height) : 0;
    const int width = rect ? std::max(0, std::clamp(rect->right, 0, m_Width) - left) : m_Width;
    const int height = rect ? std::max(0, std::clamp(rect->bottom, 0, m_Height) - top) : m_Height;
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(height);

    std::uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutLE32(header + 2, 54 + dataBytes);
    PutLE32(header + 10, 54);
    PutLE32(header + 14, 40);
    PutLE32(header + 18, static_cast<std::uint32_t>(width));
    PutLE32(header + 22, static_cast<std::uint32_t>(height));
    PutLE16(header + 26, 1);
    PutLE16(header + 28, 24);
    PutLE32(header + 38, 10000);
    PutLE32(header + 42, 10000);
    std::fwrite(header, 1, sizeof(header), file);

    const std::int32_t depth = m_PixelFormat.depth;
    if (depth != DEPTH_32 && depth != DEPTH_24 && depth != DEPTH_565 && depth != DEPTH_555 &&
        depth != DEPTH_PALETTE) {
        std::fclose(file);
        return 1;
    }
    std::vector<std::uint32_t> palette;
    if (depth == DEPTH_PALETTE) {
        if (!m_Screen || !m_Screen->GetFront()) {
            std::fclose(file);
            return -4;
        }
        if (DDFailed(m_Screen->GetFront()->GetDDS()->GetPalette(&palette))) {
            std::fclose(file);
            return -5;
        }
    }
    if (Lock() < 0) {
        std::fclose(file);
        return depth == DEPTH_PALETTE ? -6 : -3;
    }
    const bool green6 = depth == DEPTH_565;
    std::vector<std::uint8_t> data(dataBytes, 0);
    for (int row = 0; row < height; ++row) {
        // Bottom row first.
        const int y = top + height - 1 - row;
        std::uint8_t* out = &data[static_cast<std::size_t>(row) * rowBytes];
        const std::uint8_t* in = GetPixels() + static_cast<std::ptrdiff_t>(y) * m_Desc.pitch;
        for (int i = 0; i < width; ++i) {
            const int x = left + i;
            std::uint8_t b = 0, g = 0, r = 0;
            if (depth == DEPTH_32 || depth == DEPTH_24) {
                const std::uint8_t* p = in + x * (depth / 8);
                b = p[0];
                g = p[1];
                r = p[2];
            } else if (depth == DEPTH_PALETTE) {
                const std::uint32_t entry = palette[in[x]];
                b = static_cast<std::uint8_t>(entry);
                g = static_cast<std::uint8_t>(entry >> 8);
                r = static_cast<std::uint8_t>(entry >> 16);
            } else {
                std::uint16_t p;
                std::memcpy(&p, in + x * 2, 2);
                b = static_cast<std::uint8_t>((p & 0x1F) << 3);
                if (green6) {
                    g = static_cast<std::uint8_t>(((p >> 5) & 0x3F) << 2);
                    r = static_cast<std::uint8_t>((p >> 8) & 0xF8);
                } else {
                    g = static_cast<std::uint8_t>(((p >> 5) & 0x1F) << 3);
                    r = static_cast<std::uint8_t>(((p >> 10) & 0x1F) << 3);
                }
            }
            out[i * 3] = b;
            out[i * 3 + 1] = g;
            out[i * 3 + 2] = r;
        }
    }
    std::fwrite(data.data(), 1, data.size(), file);
    Unlock();
    std::fclose(file);
    return 1;
}
