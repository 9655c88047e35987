#pragma once

#include <SDL_video.h>

#include <cstdint>
#include <vector>

// What changed in a 32-bit frame since the last one presented, so that only
// that much goes to the window: a copy of the last presented frame is kept and
// each new frame is compared with it, a band of lines at a time. Each band
// with a change gives one rectangle, as tight as its changed pixels; bands
// with the same columns that follow each other are joined.
class ChangedRegions
{
public:
    // Lines compared as one band.
    static constexpr int kBandHeight = 16;

    // The rectangles in which the frame differs from the last one presented,
    // none for an identical frame; the kept copy then equals the frame. Only
    // the area is compared: the caller knows nothing outside it was drawn. The
    // whole frame after Invalidate, or when its size differs from the last.
    const std::vector<SDL_Rect>& Find(SDL_Surface* frame, const SDL_Rect& area);
    // The next Find gives the whole frame: the window lost what it showed.
    void Invalidate() { m_Valid = false; }

private:
    void Keep(SDL_Surface* frame);

    std::vector<std::uint32_t> m_Presented;
    int m_Width = 0;
    int m_Height = 0;
    bool m_Valid = false;
    std::vector<SDL_Rect> m_Changes;
};
