#pragma once

#include "platform/lua/LuaObject.h"

// A point in screen space (y grows downward): Point<int> for whole pixels,
// Point2f for motion and particles.
//
// Scripts give a point as {x = x, y = y}, {x, y} (the named field wins over
// the list element; either may be a function returning the number) or in polar
// form {r = r, theta = theta} with theta in radians. A point handed to a script
// is a new table {x = x, y = y} that carries the metatable shared by all points
// of its type, whose "__eq" compares any two accepted forms by value.
template <typename T>
class Point
{
public:
    constexpr Point() = default;
    constexpr Point(T x, T y) : x(x), y(y) {}
    explicit Point(const LuaObject& value) { SetPoint(value); }

    // Point<int> takes the polar form only when both r and theta are given, and
    // truncates toward zero; Point2f takes it whenever r is given.
    void SetPoint(const LuaObject& value);
    void StoreAsLuaObject(LuaObject& result, LuaState state) const;

    // Whether a script value may describe a point (it is a table).
    static bool IsPoint(const LuaObject& value);

    friend constexpr bool operator==(const Point&, const Point&) = default;

    T x = 0;
    T y = 0;
};

using Point2f = Point<float>;

extern template class Point<int>;
extern template class Point<float>;
