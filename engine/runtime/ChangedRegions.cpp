#include "engine/runtime/ChangedRegions.h"

#include "engine/core/Exception.h"
#include "engine/runtime/SurfaceManager.h"

#include <algorithm>
#include <cstring>

void ChangedRegions::Keep(SDL_Surface* frame)
{
    m_Width = frame->w;
    m_Height = frame->h;
    m_Presented.resize(static_cast<std::size_t>(m_Width) * static_cast<std::size_t>(m_Height));
    for (int y = 0; y < m_Height; ++y)
        std::memcpy(&m_Presented[static_cast<std::size_t>(y) * m_Width], PixelRow(frame, y),
                    static_cast<std::size_t>(m_Width) * 4);
    m_Valid = true;
}

const std::vector<SDL_Rect>& ChangedRegions::Find(SDL_Surface* frame, const SDL_Rect& area)
{
    VELK_ASSERT(frame->format->BytesPerPixel == 4);
    m_Changes.clear();
    SurfaceLock lock(frame);
    if (!m_Valid || frame->w != m_Width || frame->h != m_Height) {
        Keep(frame);
        m_Changes.push_back(SDL_Rect{0, 0, static_cast<Uint16>(m_Width), static_cast<Uint16>(m_Height)});
        return m_Changes;
    }
    const int areaLeft = std::max<int>(area.x, 0);
    const int areaRight = std::min<int>(area.x + area.w, m_Width);
    const int areaTop = std::max<int>(area.y, 0);
    const int areaBottom = std::min<int>(area.y + area.h, m_Height);
    if (areaLeft >= areaRight || areaTop >= areaBottom)
        return m_Changes;
    const std::size_t lineBytes = static_cast<std::size_t>(areaRight - areaLeft) * 4;
    // Bands stay on multiples of their height, so a band's place does not depend on the area.
    for (int top = areaTop - areaTop % kBandHeight; top < areaBottom; top += kBandHeight) {
        const int bottom = std::min(top + kBandHeight, areaBottom);
        int left = m_Width, right = -1, first = -1, last = -1;
        for (int y = std::max(top, areaTop); y < bottom; ++y) {
            const std::uint32_t* now = PixelRow(frame, y);
            const std::uint32_t* before = &m_Presented[static_cast<std::size_t>(y) * m_Width];
            // Most lines of an idle frame are equal: one compare settles them.
            if (std::memcmp(now + areaLeft, before + areaLeft, lineBytes) == 0)
                continue;
            int x0 = areaLeft;
            while (now[x0] == before[x0])
                ++x0;
            int x1 = areaRight - 1;
            while (now[x1] == before[x1])
                --x1;
            left = std::min(left, x0);
            right = std::max(right, x1);
            if (first < 0)
                first = y;
            last = y;
        }
        if (first < 0)
            continue;
        const SDL_Rect band{static_cast<Sint16>(left), static_cast<Sint16>(first), static_cast<Uint16>(right - left + 1),
                            static_cast<Uint16>(last - first + 1)};
        for (int y = first; y <= last; ++y)
            std::memcpy(&m_Presented[static_cast<std::size_t>(y) * m_Width + left], PixelRow(frame, y) + left,
                        static_cast<std::size_t>(band.w) * 4);
        SDL_Rect* previous = m_Changes.empty() ? nullptr : &m_Changes.back();
        if (previous && previous->x == band.x && previous->w == band.w && previous->y + previous->h == band.y &&
            band.y == top)
            previous->h = static_cast<Uint16>(previous->h + band.h);
        else
            m_Changes.push_back(band);
    }
    return m_Changes;
}
