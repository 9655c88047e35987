#pragma once

#include "engine/core/Point.h"
#include "platform/lua/LuaObject.h"

#include <cstdint>
#include <string>

// Where on a rectangle a layout pins it. Scripts use the same names.
enum class RectAlignment : int
{
    NoAlignment = 0,
    BottomLeft = 1,
    BottomRight = 2,
    Center = 3,
    MidBottom = 4,
    MidLeft = 5,
    MidRight = 6,
    MidTop = 7,
    TopLeft = 8,
    TopRight = 9,
};

// The name of an alignment; any other code is an assertion failure.
std::string RectAlignmentToString(RectAlignment alignment);
// The alignment of an exactly matching name; any other text is an assertion failure.
RectAlignment RectAlignmentFromString(const std::string& text);

// An alignment to and from its script form, the name.
void StoreRectAlignmentAsLuaObject(LuaObject& result, LuaState state, RectAlignment alignment);
RectAlignment RetrieveRectAlignmentFromLuaObject(const LuaObject& value);

// A screen rectangle in whole pixels; (x, y) is the top-left corner.
class Rect
{
public:
    // The point of a rectangle that an alignment pins.
    using AnchorFunction = Point<int> (*)(const Rect& rect);
    // Moves a rectangle so that its anchor lies on the point.
    using AlignmentFunction = void (*)(Rect& rect, const Point<int>& point);

    constexpr Rect() = default;
    constexpr Rect(std::int16_t x, std::int16_t y, std::uint16_t w, std::uint16_t h) : x(x), y(y), w(w), h(h) {}

    // Null for NoAlignment and for codes outside the enumeration.
    static AnchorFunction GetAnchorFunction(RectAlignment alignment);
    static AlignmentFunction GetAlignmentFunction(RectAlignment alignment);

    // (x + w/2, y + h/2), halves rounded down.
    Point<int> GetCenter() const;

    // From a script table {x, y, w, h}, each cut to 16 bits.
    void SetRect(const LuaObject& value);
    // A new array table {x, y, w, h}.
    void StoreAsLuaObject(LuaObject& result, LuaState state) const;

    friend constexpr bool operator==(const Rect&, const Rect&) = default;

    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t w = 0;
    std::uint16_t h = 0;
};
