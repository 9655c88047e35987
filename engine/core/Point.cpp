#include "engine/core/Point.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"
#include "platform/lua/LuaFunction.h"

#include <cmath>
#include <type_traits>

namespace {

// Registry keys of the shared point metatables, one per coordinate type.
template <typename T>
char g_MetatableKey;

template <typename T>
int PointEquals(lua_State* L)
{
    LuaState state(L);
    Point<T> left(LuaObject(state, 1));
    Point<T> right(LuaObject(state, 2));
    lua_pushboolean(L, left == right);
    return 1;
}

// Kept in the registry of the main state rather than in a static handle, so a
// state made after another was closed gets a metatable of its own.
template <typename T>
LuaObject SharedMetatable(LuaState state)
{
    LuaState main = state.GetMainState();
    LuaObject registry = main.GetRegistry();
    LuaObject key;
    key.AssignLightUserData(main, &g_MetatableKey<T>);
    LuaObject metatable = registry.RawGetByObject(key);
    if (!metatable.IsTable()) {
        metatable.AssignNewTable(main);
        metatable.Register("__eq", PointEquals<T>);
        registry.RawSetObject(key, metatable);
    }
    return metatable;
}

bool IsWithinIntRange(double value)
{
    return value > -2147483649.0 && value < 2147483648.0;  // false for NaN
}

// Truncation toward zero; a value no int can hold is refused rather than
// converted, which would be undefined.
int TruncateToInt(double value)
{
    VELK_ASSERT_MSG(IsWithinIntRange(value), (boost::format("Point coordinate out of range: %1%") % value).str());
    return static_cast<int>(value);
}

// A polar parameter of an integer point: a number, or a function returning one.
double PolarParameter(const LuaObject& value)
{
    if (value.IsNumber())
        return value.GetNumber();
    return LuaFunction<double>(value)();
}

// The named field when it is a number, else the list element (a number or a
// function returning one).
int IntCoordinate(const LuaObject& table, const char* name, int index)
{
    LuaObject named = table[name];
    if (named.IsNumber())
        return named.GetInteger();
    return ReadIntegerFromObject(table[index]);
}

float FloatCoordinate(const LuaObject& table, const char* name, int index)
{
    LuaObject named = table[name];
    if (named.IsNumber())
        return named.GetFloat();
    return static_cast<float>(ReadNumberFromObject(table[index]));
}

} // namespace

template <typename T>
void Point<T>::SetPoint(const LuaObject& value)
{
    LuaObject r = value["r"];
    if constexpr (std::is_same_v<T, int>) {
        LuaObject theta = value["theta"];
        if (!r.IsNil() && !theta.IsNil()) {
            if (!r.IsNumber() && !r.IsFunction())
                VELK_THROW(Exception, (boost::format("Invalid parameter for \"r\", type=%1%") % r.TypeName()).str());
            VELK_ASSERT_MSG(theta.IsNumber() || theta.IsFunction(),
                            (boost::format("Invalid parameter for \"theta\", type=%1%") % theta.TypeName()).str());
            double radius = PolarParameter(r);
            double angle = PolarParameter(theta);
            x = TruncateToInt(radius * std::cos(angle));
            y = TruncateToInt(radius * std::sin(angle));
            return;
        }
        x = IntCoordinate(value, "x", 1);
        y = IntCoordinate(value, "y", 2);
    } else {
        if (!r.IsNil()) {
            double radius = ReadNumberFromObject(r);
            double angle = ReadNumberFromObject(value["theta"]);
            x = static_cast<float>(radius * std::cos(angle));
            y = static_cast<float>(radius * std::sin(angle));
            return;
        }
        x = FloatCoordinate(value, "x", 1);
        y = FloatCoordinate(value, "y", 2);
    }
}

template <typename T>
void Point<T>::StoreAsLuaObject(LuaObject& result, LuaState state) const
{
    result.AssignNewTable(state, 0, 2);
    result.SetNumber("x", x);
    result.SetNumber("y", y);
    result.SetMetaTable(SharedMetatable<T>(state));
}

template <typename T>
bool Point<T>::IsPoint(const LuaObject& value)
{
    return value.IsTable();
}

template class Point<int>;
template class Point<float>;
