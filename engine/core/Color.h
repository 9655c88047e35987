#pragma once

#include "platform/lua/LuaObject.h"

#include <cstdint>
#include <string>

// Four 8-bit channels; a = 255 is opaque.
class Color
{
public:
    constexpr Color() = default;
    constexpr Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) : r(r), g(g), b(b), a(a) {}
    // With a name, the colour is also filed under it in the named colours.
    Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a, const char* name);
    explicit Color(const LuaObject& value) { SetColor(value); }

    // A colour name, or a table {r, g, b[, a]} (a only when it is an integer,
    // else opaque). Any other value is an assertion failure.
    void SetColor(const LuaObject& value);

    // The colour's name when it has one and the name is preferred; otherwise
    // {r, g, b}, with a fourth element only when the colour is not opaque.
    void StoreAsLuaObject(LuaObject& result, LuaState state, bool preferName = true) const;

    friend constexpr bool operator==(const Color&, const Color&) = default;

    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

// The process-wide table of named colours (names are case-sensitive). It starts
// with the built-in colours below; scripts add more through "Colors".
namespace Colors {

inline constexpr Color Invisible{0, 0, 0, 0};
inline constexpr Color Black{0, 0, 0, 255};
inline constexpr Color Blue{0, 0, 255, 255};
inline constexpr Color DarkGrayBlue{13, 37, 121, 255};
inline constexpr Color VeryDarkGray{48, 48, 48, 255};
inline constexpr Color Green{0, 255, 0, 255};
inline constexpr Color LightGreen{195, 252, 173, 255};
inline constexpr Color MediumGreen{0, 200, 0, 255};
inline constexpr Color DarkGreen{0, 155, 0, 255};
inline constexpr Color MildBlue{0, 102, 255, 255};
inline constexpr Color MildOrange{255, 128, 0, 255};
inline constexpr Color Purple{255, 0, 255, 255};
inline constexpr Color Red{255, 0, 0, 255};
inline constexpr Color MediumRed{200, 0, 0, 255};
inline constexpr Color DarkRed{155, 0, 0, 255};
inline constexpr Color White{255, 255, 255, 255};
inline constexpr Color OffWhite{255, 255, 220, 255};
inline constexpr Color Yellow{255, 255, 0, 255};
inline constexpr Color LightYellow{255, 255, 100, 255};
inline constexpr Color Gray{150, 150, 150, 255};
inline constexpr Color Orange{255, 186, 0, 255};
inline constexpr Color MildPurple{186, 0, 255, 255};
inline constexpr Color Gold{255, 250, 0, 255};
inline constexpr Color LightGrayBlue{73, 117, 159, 255};
inline constexpr Color Brick{217, 58, 15, 255};
inline constexpr Color Atari{217, 58, 16, 255};
inline constexpr Color Steel{200, 192, 190, 255};
inline constexpr Color Stone{167, 145, 120, 255};
inline constexpr Color Wood{183, 102, 6, 255};
inline constexpr Color Glass{9, 30, 46, 255};
inline constexpr Color Bumper{200, 200, 46, 255};

// The colour filed under the name; an unknown name is an assertion failure.
Color ByName(const std::string& name);
bool Exists(const std::string& name);
// Files the colour under the name, replacing an earlier entry of that name.
void Add(const Color& color, const std::string& name);
// The first name, in the order the names were first filed, whose colour equals
// the given one; false when none does.
bool NameOf(const Color& color, std::string& name);

// Makes "Colors" a global function of the process's Lua state (VelkLuaState).
void RegisterScriptTable();

} // namespace Colors

// "Colors"(table): files every string-keyed entry except "n" as a named colour.
int Script_Colors(lua_State* L);
