#include "engine/runtime/DisplayList.h"

#include "engine/core/Poly.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/SDLImageRenderer.h"
#include "engine/runtime/SurfaceManager.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {

// Past this many rectangles a frame's changes are joined into fewer, larger ones.
constexpr std::size_t kMostRectangles = 24;

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value)
{
    hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
    return hash;
}

std::uint32_t Packed(const Color& color)
{
    return static_cast<std::uint32_t>(color.r) << 24 | static_cast<std::uint32_t>(color.g) << 16 |
           static_cast<std::uint32_t>(color.b) << 8 | color.a;
}

Color Unpacked(std::uint32_t packed)
{
    return Color(static_cast<std::uint8_t>(packed >> 24), static_cast<std::uint8_t>(packed >> 16),
                 static_cast<std::uint8_t>(packed >> 8), static_cast<std::uint8_t>(packed));
}

std::int32_t FloatBits(float value)
{
    std::int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// As the renderer turns a polygon's float points into pixels.
int Truncated(float value)
{
    if (!(value > -32768.0f))
        return -32768;
    if (value > 32767.0f)
        return 32767;
    return static_cast<int>(value);
}

long long Area(const SDL_Rect& r)
{
    return static_cast<long long>(r.w) * r.h;
}

bool Overlap(const SDL_Rect& a, const SDL_Rect& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// Joins rectangles that overlap or whose union wastes little, until none
// does; then, while there are too many, the pair whose union wastes least.
void Merge(std::vector<SDL_Rect>& rects)
{
    bool joined = true;
    while (joined) {
        joined = false;
        for (std::size_t i = 0; i < rects.size() && !joined; ++i)
            for (std::size_t j = i + 1; j < rects.size(); ++j) {
                const SDL_Rect u = Union(rects[i], rects[j]);
                if (Overlap(rects[i], rects[j]) || Area(u) * 4 <= (Area(rects[i]) + Area(rects[j])) * 5 + 4096) {
                    rects[i] = u;
                    rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
                    joined = true;
                    break;
                }
            }
    }
    while (rects.size() > kMostRectangles) {
        std::size_t bestI = 0, bestJ = 1;
        long long bestWaste = -1;
        for (std::size_t i = 0; i < rects.size(); ++i)
            for (std::size_t j = i + 1; j < rects.size(); ++j) {
                const long long waste = Area(Union(rects[i], rects[j])) - Area(rects[i]) - Area(rects[j]);
                if (bestWaste < 0 || waste < bestWaste) {
                    bestWaste = waste;
                    bestI = i;
                    bestJ = j;
                }
            }
        rects[bestI] = Union(rects[bestI], rects[bestJ]);
        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(bestJ));
    }
}

} // namespace

SDL_Rect Union(const SDL_Rect& a, const SDL_Rect& b)
{
    if (!a.w || !a.h)
        return b;
    if (!b.w || !b.h)
        return a;
    const int x0 = std::min<int>(a.x, b.x), y0 = std::min<int>(a.y, b.y);
    const int x1 = std::max<int>(a.x + a.w, b.x + b.w), y1 = std::max<int>(a.y + a.h, b.y + b.h);
    return SDL_Rect{static_cast<Sint16>(x0), static_cast<Sint16>(y0), static_cast<Uint16>(x1 - x0),
                    static_cast<Uint16>(y1 - y0)};
}

DisplayList::DisplayList(SDLImageRenderer& screen) : m_Screen(screen) {}

DisplayList::~DisplayList()
{
    ReleaseShares();
}

Image* DisplayList::GetTargetSurface()
{
    return m_Screen.GetTargetSurface();
}

void DisplayList::Add(Command& command, long long x, long long y, long long w, long long h)
{
    // Within the screen; what lies wholly outside draws nothing.
    const SDL_Surface* screen = m_Screen.GetTargetSDLSurface();
    const int x0 = static_cast<int>(std::max(x, 0ll)), y0 = static_cast<int>(std::max(y, 0ll));
    const int x1 = static_cast<int>(std::min(x + w, static_cast<long long>(screen->w)));
    const int y1 = static_cast<int>(std::min(y + h, static_cast<long long>(screen->h)));
    if (x0 >= x1 || y0 >= y1)
        return;
    command.bounds = SDL_Rect{static_cast<Sint16>(x0), static_cast<Sint16>(y0), static_cast<Uint16>(x1 - x0),
                              static_cast<Uint16>(y1 - y0)};
    Key& key = command.key;
    std::uint64_t hash = Mix(key.kind, key.alpha);
    hash = Mix(hash, static_cast<std::uint64_t>(key.flag) << 16 | static_cast<std::uint16_t>(key.shader));
    for (std::int32_t value : key.values)
        hash = Mix(hash, static_cast<std::uint32_t>(value));
    hash = Mix(Mix(hash, key.serial), key.version);
    hash = Mix(Mix(Mix(hash, key.surfaceFlags), key.colorKey), key.color);
    for (std::uint32_t i = 0; i < key.pointCount; ++i)
        hash = Mix(hash, static_cast<std::uint32_t>(FloatBits(m_Points[key.pointsFrom + i])));
    key.hash = hash;
    if (command.record)
        command.record->AddShare();
    m_Commands.push_back(command);
}

void DisplayList::DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect,
                            std::uint8_t alpha, float angle, bool reserved, bool pointFiltering)
{
    SDL_Surface* surface = image ? image->GetSurface() : nullptr;
    if (!surface || shaderType < SHADERTYPE_COPY || shaderType > SHADERTYPE_COMPOSITE)
        return;
    const Rect src = srcRect ? *srcRect
                             : Rect(0, 0, static_cast<std::uint16_t>(surface->w), static_cast<std::uint16_t>(surface->h));
    const Rect dest = destRect ? *destRect : Rect(0, 0, src.w, src.h);
    Command command;
    Key& key = command.key;
    key.kind = KIND_IMAGE;
    key.alpha = alpha;
    key.flag = reserved || pointFiltering;
    key.shader = static_cast<std::int16_t>(shaderType);
    const std::int32_t values[8] = {src.x, src.y, src.w, src.h, dest.x, dest.y, FloatBits(angle), 0};
    std::copy(std::begin(values), std::end(values), key.values);
    SurfaceRecord* record = image->GetSurfaceRecord();
    key.serial = record ? record->GetSerial() : 0;
    key.version = record ? record->GetVersion() : 0;
    key.surfaceFlags = surface->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY);
    key.colorKey = surface->format->colorkey;
    key.color = surface->format->alpha;
    command.record = record;
    command.surface = surface;
    // Never scaled: the source's size at the destination's corner.
    Add(command, dest.x, dest.y, src.w, src.h);
}

void DisplayList::DrawCircle(int x, int y, int radius, const Color& color)
{
    Command command;
    command.key.kind = KIND_CIRCLE;
    command.key.values[0] = x;
    command.key.values[1] = y;
    command.key.values[2] = radius;
    command.key.color = Packed(color);
    const long long r = radius;
    Add(command, x - r - 1, y - r - 1, 2 * r + 3, 2 * r + 3);
}

void DisplayList::DrawPie(int x, int y, int radius, int startAngle, int endAngle, const Color& color)
{
    Command command;
    command.key.kind = KIND_PIE;
    const std::int32_t values[8] = {x, y, radius, startAngle, endAngle, 0, 0, 0};
    std::copy(std::begin(values), std::end(values), command.key.values);
    command.key.color = Packed(color);
    const long long r = radius;
    Add(command, x - r - 1, y - r - 1, 2 * r + 3, 2 * r + 3);
}

void DisplayList::DrawLine(int x1, int y1, int x2, int y2, const Color& color)
{
    Command command;
    command.key.kind = KIND_LINE;
    const std::int32_t values[8] = {x1, y1, x2, y2, 0, 0, 0, 0};
    std::copy(std::begin(values), std::end(values), command.key.values);
    command.key.color = Packed(color);
    const long long left = std::min(x1, x2), top = std::min(y1, y2);
    Add(command, left - 1, top - 1, std::llabs(static_cast<long long>(x2) - x1) + 3,
        std::llabs(static_cast<long long>(y2) - y1) + 3);
}

void DisplayList::FillPolygon(const Poly& polygon, const Color& color, bool filled)
{
    if (!filled) {
        // The renderer draws an outline as its edges' lines.
        for (const Poly::Edge& edge : polygon.GetEdges())
            DrawLine(Truncated(edge.start.x), Truncated(edge.start.y), Truncated(edge.end.x), Truncated(edge.end.y),
                     color);
        return;
    }
    const std::vector<Point2f>& points = polygon.GetVertices();
    if (points.empty())
        return;
    Command command;
    command.key.kind = KIND_POLYGON;
    command.key.color = Packed(color);
    command.key.pointsFrom = static_cast<std::uint32_t>(m_Points.size());
    command.key.pointCount = static_cast<std::uint32_t>(points.size() * 2);
    command.polygon = static_cast<std::uint32_t>(m_Polygons.size());
    m_Polygons.push_back(polygon);
    int left = 32767, top = 32767, right = -32768, bottom = -32768;
    for (const Point2f& point : points) {
        m_Points.push_back(point.x);
        m_Points.push_back(point.y);
        const int x = Truncated(point.x), y = Truncated(point.y);
        left = std::min(left, x), top = std::min(top, y);
        right = std::max(right, x), bottom = std::max(bottom, y);
    }
    Add(command, left - 1, top - 1, right - left + 3, bottom - top + 3);
}

void DisplayList::FillRect(const Rect& rect, const Color& color, bool filled)
{
    // A clear fill leaves the pixels as they are.
    if (filled && color.a == 0)
        return;
    Command command;
    command.key.kind = KIND_RECT;
    command.key.flag = filled;
    const std::int32_t values[8] = {rect.x, rect.y, rect.w, rect.h, 0, 0, 0, 0};
    std::copy(std::begin(values), std::end(values), command.key.values);
    command.key.color = Packed(color);
    // An outline runs along x + w and y + h as well.
    const int grow = filled ? 0 : 1;
    Add(command, rect.x, rect.y, rect.w + grow, rect.h + grow);
}

void DisplayList::Clear()
{
    ReleaseShares();
    m_Commands.clear();
    m_Points.clear();
    m_Polygons.clear();
}

void DisplayList::ReleaseShares()
{
    for (Command& command : m_Commands)
        if (command.record) {
            SurfaceManager::ReleaseRecordShare(command.record);
            command.record = nullptr;
            command.surface = nullptr;
        }
}

bool DisplayList::SameKey(const Key& a, const std::vector<float>& aPoints, const Key& b,
                          const std::vector<float>& bPoints) const
{
    if (a.hash != b.hash || a.kind != b.kind || a.alpha != b.alpha || a.flag != b.flag || a.shader != b.shader ||
        a.serial != b.serial || a.version != b.version || a.surfaceFlags != b.surfaceFlags ||
        a.colorKey != b.colorKey || a.color != b.color || a.pointCount != b.pointCount)
        return false;
    if (!std::equal(std::begin(a.values), std::end(a.values), std::begin(b.values)))
        return false;
    for (std::uint32_t i = 0; i < a.pointCount; ++i)
        if (FloatBits(aPoints[a.pointsFrom + i]) != FloatBits(bPoints[b.pointsFrom + i]))
            return false;
    return true;
}

// A pixel outside the changed rectangles is touched by the same commands in
// the same order in both frames, so it is what it was: each command of this
// frame is matched to an equal one of the last, in order, and whatever is
// left unmatched on either side marks its bounds as changed.
void DisplayList::FindChanges()
{
    m_Changed.clear();
    SDL_Surface* screen = m_Screen.GetTargetSDLSurface();
    if (!m_Valid) {
        m_Changed.push_back(SDL_Rect{0, 0, static_cast<Uint16>(screen->w), static_cast<Uint16>(screen->h)});
        return;
    }
    std::unordered_multimap<std::uint64_t, std::size_t> previous;
    previous.reserve(m_Previous.size());
    for (std::size_t i = 0; i < m_Previous.size(); ++i)
        previous.emplace(m_Previous[i].hash, i);
    std::vector<bool> matched(m_Previous.size(), false);
    std::size_t next = 0;  // the first previous command a match may take
    std::vector<SDL_Rect> changed;
    for (const Command& command : m_Commands) {
        std::size_t found = m_Previous.size();
        // Most frames repeat the last in order: try the next one first.
        if (next < m_Previous.size() && SameKey(command.key, m_Points, m_Previous[next], m_PreviousPoints)) {
            found = next;
        } else {
            auto [from, to] = previous.equal_range(command.key.hash);
            for (auto it = from; it != to; ++it)
                if (it->second >= next && it->second < found && !matched[it->second] &&
                    SameKey(command.key, m_Points, m_Previous[it->second], m_PreviousPoints))
                    found = it->second;
        }
        if (found < m_Previous.size() && m_PreviousBounds[found].x == command.bounds.x &&
            m_PreviousBounds[found].y == command.bounds.y && m_PreviousBounds[found].w == command.bounds.w &&
            m_PreviousBounds[found].h == command.bounds.h) {
            matched[found] = true;
            next = found + 1;
        } else {
            changed.push_back(command.bounds);
        }
    }
    for (std::size_t i = 0; i < m_Previous.size(); ++i)
        if (!matched[i])
            changed.push_back(m_PreviousBounds[i]);
    Merge(changed);
    m_Changed = std::move(changed);
}

void DisplayList::Draw(const Command& command)
{
    const Key& key = command.key;
    const Color color = Unpacked(key.color);
    switch (key.kind) {
    case KIND_IMAGE: {
        const Rect src(static_cast<std::int16_t>(key.values[0]), static_cast<std::int16_t>(key.values[1]),
                       static_cast<std::uint16_t>(key.values[2]), static_cast<std::uint16_t>(key.values[3]));
        const Rect dest(static_cast<std::int16_t>(key.values[4]), static_cast<std::int16_t>(key.values[5]), src.w,
                        src.h);
        m_Screen.DrawSurface(command.surface, key.shader, src, dest, key.alpha);
        break;
    }
    case KIND_CIRCLE:
        m_Screen.DrawCircle(key.values[0], key.values[1], key.values[2], color);
        break;
    case KIND_PIE:
        m_Screen.DrawPie(key.values[0], key.values[1], key.values[2], key.values[3], key.values[4], color);
        break;
    case KIND_LINE:
        m_Screen.DrawLine(key.values[0], key.values[1], key.values[2], key.values[3], color);
        break;
    case KIND_POLYGON:
        m_Screen.FillPolygon(m_Polygons[command.polygon], color, true);
        break;
    case KIND_RECT:
        m_Screen.FillRect(Rect(static_cast<std::int16_t>(key.values[0]), static_cast<std::int16_t>(key.values[1]),
                               static_cast<std::uint16_t>(key.values[2]), static_cast<std::uint16_t>(key.values[3])),
                          color, key.flag);
        break;
    }
}

const std::vector<SDL_Rect>& DisplayList::Render()
{
    FindChanges();
    for (const SDL_Rect& area : m_Changed) {
        m_Screen.SetClip(&area);
        m_Screen.FillRect(Rect(area.x, area.y, area.w, area.h), Color(0, 0, 0, 255), true);
        for (const Command& command : m_Commands)
            if (Overlap(command.bounds, area))
                Draw(command);
    }
    m_Screen.SetClip(nullptr);
    m_Valid = true;
    m_Previous.clear();
    m_PreviousBounds.clear();
    for (const Command& command : m_Commands) {
        m_Previous.push_back(command.key);
        m_PreviousBounds.push_back(command.bounds);
    }
    m_PreviousPoints = m_Points;
    return m_Changed;
}
