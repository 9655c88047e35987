#pragma once

#include "engine/core/Poly.h"
#include "engine/runtime/ImageRenderer.h"

#include <SDL_video.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class SDLImageRenderer;
class SurfaceRecord;

// The screen's renderer for the software back end. A frame's drawing is kept
// as a list of what was drawn, and the list is compared with the last frame's:
// only where the two differ is the screen drawn again, over the last frame's
// pixels. A picture is told by its surface's serial and version, so a picture
// redrawn in place counts as changed.
// The smallest rectangle holding both; an empty one adds nothing.
SDL_Rect Union(const SDL_Rect& a, const SDL_Rect& b);

class DisplayList : public ImageRenderer
{
public:
    explicit DisplayList(SDLImageRenderer& screen);
    DisplayList(const DisplayList&) = delete;
    DisplayList& operator=(const DisplayList&) = delete;
    ~DisplayList() override;

    Image* GetTargetSurface() override;
    void DrawCircle(int x, int y, int radius, const Color& color) override;
    void DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect, std::uint8_t alpha,
                   float angle, bool reserved, bool pointFiltering) override;
    void DrawLine(int x1, int y1, int x2, int y2, const Color& color) override;
    void DrawPie(int x, int y, int radius, int startAngle, int endAngle, const Color& color) override;
    void FillPolygon(const Poly& polygon, const Color& color, bool filled) override;
    void FillRect(const Rect& rect, const Color& color, bool filled) override;

    // A new frame: black, nothing drawn on it yet.
    void Clear();
    // Draws the frame onto the screen where it differs from the frame drawn
    // last (everywhere after Invalidate), and returns those rectangles.
    const std::vector<SDL_Rect>& Render();
    // The screen's pixels are not the last frame's any more.
    void Invalidate() { m_Valid = false; }

    std::size_t GetCommandCount() const { return m_Commands.size(); }

private:
    enum Kind : std::uint8_t
    {
        KIND_IMAGE,
        KIND_CIRCLE,
        KIND_LINE,
        KIND_PIE,
        KIND_POLYGON,
        KIND_RECT,
    };

    // Everything that decides what a command puts on the screen.
    struct Key
    {
        Kind kind = KIND_RECT;
        std::uint8_t alpha = 0;
        bool flag = false;
        std::int16_t shader = 0;
        std::int32_t values[8] = {};
        std::uint64_t serial = 0;
        std::uint32_t version = 0;
        std::uint32_t surfaceFlags = 0;
        std::uint32_t colorKey = 0;
        std::uint32_t color = 0;
        std::uint32_t pointsFrom = 0;  // the polygon's points in m_Points
        std::uint32_t pointCount = 0;
        std::uint64_t hash = 0;
    };

    struct Command
    {
        Key key;
        SDL_Rect bounds{0, 0, 0, 0};  // every pixel it may touch, within the screen
        SurfaceRecord* record = nullptr;  // a share held until the frame is cleared
        SDL_Surface* surface = nullptr;
        std::uint32_t polygon = 0;  // a filled polygon's index in m_Polygons
    };

    // Keeps the command with its bounds (x, y, w, h) clipped to the screen.
    void Add(Command& command, long long x, long long y, long long w, long long h);
    bool SameKey(const Key& a, const std::vector<float>& aPoints, const Key& b,
                 const std::vector<float>& bPoints) const;
    void FindChanges();
    void Draw(const Command& command);
    void ReleaseShares();

    SDLImageRenderer& m_Screen;
    std::vector<Command> m_Commands;
    std::vector<float> m_Points;
    std::vector<Poly> m_Polygons;
    // The last frame drawn, by key only.
    std::vector<Key> m_Previous;
    std::vector<SDL_Rect> m_PreviousBounds;
    std::vector<float> m_PreviousPoints;
    bool m_Valid = false;
    std::vector<SDL_Rect> m_Changed;
};
