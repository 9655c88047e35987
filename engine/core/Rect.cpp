#include "engine/core/Rect.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"

#include <array>

namespace {

const std::array<const char*, 10> kAlignmentNames = {
    "NoAlignment", "BottomLeft", "BottomRight", "Center", "MidBottom",
    "MidLeft",     "MidRight",   "MidTop",      "TopLeft", "TopRight",
};

// Halves drop the remainder of the unsigned size.
int HalfOf(std::uint16_t size)
{
    return size / 2;
}

// The nine anchors and their inverses, in the order of the codes.
Point<int> BottomLeftAnchor(const Rect& r) { return {r.x, r.y + r.h}; }
Point<int> BottomRightAnchor(const Rect& r) { return {r.x + r.w, r.y + r.h}; }
Point<int> CenterAnchor(const Rect& r) { return {r.x + HalfOf(r.w), r.y + HalfOf(r.h)}; }
Point<int> MidBottomAnchor(const Rect& r) { return {r.x + HalfOf(r.w), r.y + r.h}; }
Point<int> MidLeftAnchor(const Rect& r) { return {r.x, r.y + HalfOf(r.h)}; }
Point<int> MidRightAnchor(const Rect& r) { return {r.x + r.w, r.y + HalfOf(r.h)}; }
Point<int> MidTopAnchor(const Rect& r) { return {r.x + HalfOf(r.w), r.y}; }
Point<int> TopLeftAnchor(const Rect& r) { return {r.x, r.y}; }
Point<int> TopRightAnchor(const Rect& r) { return {r.x + r.w, r.y}; }

void Place(Rect& r, int x, int y)
{
    r.x = static_cast<std::int16_t>(x);
    r.y = static_cast<std::int16_t>(y);
}

void AlignBottomLeft(Rect& r, const Point<int>& p) { Place(r, p.x, p.y - r.h); }
void AlignBottomRight(Rect& r, const Point<int>& p) { Place(r, p.x - r.w, p.y - r.h); }
void AlignCenter(Rect& r, const Point<int>& p) { Place(r, p.x - HalfOf(r.w), p.y - HalfOf(r.h)); }
void AlignMidBottom(Rect& r, const Point<int>& p) { Place(r, p.x - HalfOf(r.w), p.y - r.h); }
void AlignMidLeft(Rect& r, const Point<int>& p) { Place(r, p.x, p.y - HalfOf(r.h)); }
void AlignMidRight(Rect& r, const Point<int>& p) { Place(r, p.x - r.w, p.y - HalfOf(r.h)); }
void AlignMidTop(Rect& r, const Point<int>& p) { Place(r, p.x - HalfOf(r.w), p.y); }
void AlignTopLeft(Rect& r, const Point<int>& p) { Place(r, p.x, p.y); }
void AlignTopRight(Rect& r, const Point<int>& p) { Place(r, p.x - r.w, p.y); }

const std::array<Rect::AnchorFunction, 10> kAnchorFunctions = {
    nullptr,        BottomLeftAnchor, BottomRightAnchor, CenterAnchor,  MidBottomAnchor,
    MidLeftAnchor,  MidRightAnchor,   MidTopAnchor,      TopLeftAnchor, TopRightAnchor,
};

const std::array<Rect::AlignmentFunction, 10> kAlignmentFunctions = {
    nullptr,       AlignBottomLeft, AlignBottomRight, AlignCenter,  AlignMidBottom,
    AlignMidLeft,  AlignMidRight,   AlignMidTop,      AlignTopLeft, AlignTopRight,
};

bool IsKnownCode(RectAlignment alignment)
{
    int code = static_cast<int>(alignment);
    return code >= 0 && code < static_cast<int>(kAlignmentNames.size());
}

} // namespace

std::string RectAlignmentToString(RectAlignment alignment)
{
    if (!IsKnownCode(alignment))
        VELK_ASSERT_MSG(false, (boost::format("Unknown rect alignment with int value: %1%") %
                                static_cast<int>(alignment)).str());
    return kAlignmentNames[static_cast<int>(alignment)];
}

RectAlignment RectAlignmentFromString(const std::string& text)
{
    for (std::size_t code = 0; code < kAlignmentNames.size(); ++code) {
        if (text == kAlignmentNames[code])
            return static_cast<RectAlignment>(code);
    }
    VELK_ASSERT_MSG(false, (boost::format("Cannot create a RectAlignment from string \"%1%\"") % text).str());
}

void StoreRectAlignmentAsLuaObject(LuaObject& result, LuaState state, RectAlignment alignment)
{
    result.AssignString(state, RectAlignmentToString(alignment));
}

RectAlignment RetrieveRectAlignmentFromLuaObject(const LuaObject& value)
{
    return RectAlignmentFromString(ReadStringFromObject(value));
}

Rect::AnchorFunction Rect::GetAnchorFunction(RectAlignment alignment)
{
    return IsKnownCode(alignment) ? kAnchorFunctions[static_cast<int>(alignment)] : nullptr;
}

Rect::AlignmentFunction Rect::GetAlignmentFunction(RectAlignment alignment)
{
    return IsKnownCode(alignment) ? kAlignmentFunctions[static_cast<int>(alignment)] : nullptr;
}

Point<int> Rect::GetCenter() const
{
    return CenterAnchor(*this);
}

void Rect::SetRect(const LuaObject& value)
{
    x = static_cast<std::int16_t>(ReadIntegerFromObject(value[1]));
    y = static_cast<std::int16_t>(ReadIntegerFromObject(value[2]));
    w = static_cast<std::uint16_t>(ReadIntegerFromObject(value[3]));
    h = static_cast<std::uint16_t>(ReadIntegerFromObject(value[4]));
}

void Rect::StoreAsLuaObject(LuaObject& result, LuaState state) const
{
    result.AssignNewTable(state, 4);
    result.SetInteger(1, x);
    result.SetInteger(2, y);
    result.SetInteger(3, w);
    result.SetInteger(4, h);
}
