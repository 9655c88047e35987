#include "engine/core/Color.h"

#include "engine/core/Exception.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Names keep the position they were first filed at, so that NameOf gives the
// same answer on every run when a script files a second name for a value.
struct ColorTable
{
    std::vector<std::pair<std::string, Color>> entries;
    std::unordered_map<std::string, std::size_t> positions;

    void Add(const Color& color, const std::string& name)
    {
        auto [it, inserted] = positions.emplace(name, entries.size());
        if (inserted)
            entries.emplace_back(name, color);
        else
            entries[it->second].second = color;
    }
};

ColorTable MakeBuiltInTable()
{
    static const std::pair<const char*, Color> kBuiltIn[] = {
        {"Invisible", Colors::Invisible},
        {"Black", Colors::Black},
        {"Blue", Colors::Blue},
        {"DarkGrayBlue", Colors::DarkGrayBlue},
        {"VeryDarkGray", Colors::VeryDarkGray},
        {"Green", Colors::Green},
        {"LightGreen", Colors::LightGreen},
        {"MediumGreen", Colors::MediumGreen},
        {"DarkGreen", Colors::DarkGreen},
        {"MildBlue", Colors::MildBlue},
        {"MildOrange", Colors::MildOrange},
        {"Purple", Colors::Purple},
        {"Red", Colors::Red},
        {"MediumRed", Colors::MediumRed},
        {"DarkRed", Colors::DarkRed},
        {"White", Colors::White},
        {"OffWhite", Colors::OffWhite},
        {"Yellow", Colors::Yellow},
        {"LightYellow", Colors::LightYellow},
        {"Gray", Colors::Gray},
        {"Orange", Colors::Orange},
        {"MildPurple", Colors::MildPurple},
        {"Gold", Colors::Gold},
        {"LightGrayBlue", Colors::LightGrayBlue},
        {"Brick", Colors::Brick},
        {"Atari", Colors::Atari},
        {"Steel", Colors::Steel},
        {"Stone", Colors::Stone},
        {"Wood", Colors::Wood},
        {"Glass", Colors::Glass},
        {"Bumper", Colors::Bumper},
    };
    ColorTable table;
    for (const auto& [name, color] : kBuiltIn)
        table.Add(color, name);
    return table;
}

// Created on first use with the built-in colours already in it, so that static
// initialisers of any file may look colours up or add their own.
ColorTable& Table()
{
    static ColorTable table = MakeBuiltInTable();
    return table;
}

} // namespace

Color::Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a, const char* name) : r(r), g(g), b(b), a(a)
{
    if (name)
        Colors::Add(*this, name);
}

void Color::SetColor(const LuaObject& value)
{
    if (value.IsString()) {
        *this = Colors::ByName(value.GetString());
    } else if (value.IsTable()) {
        r = static_cast<std::uint8_t>(ReadIntegerFromObject(value[1]));
        g = static_cast<std::uint8_t>(ReadIntegerFromObject(value[2]));
        b = static_cast<std::uint8_t>(ReadIntegerFromObject(value[3]));
        LuaObject alpha = value[4];
        a = alpha.IsInteger() ? static_cast<std::uint8_t>(alpha.GetInteger()) : 255;
    } else {
        VELK_ASSERT(false);
    }
}

void Color::StoreAsLuaObject(LuaObject& result, LuaState state, bool preferName) const
{
    std::string name;
    if (preferName && Colors::NameOf(*this, name)) {
        result.AssignString(state, name);
        return;
    }
    result.AssignNewTable(state, a < 255 ? 4 : 3);
    result.SetInteger(1, r);
    result.SetInteger(2, g);
    result.SetInteger(3, b);
    if (a < 255)
        result.SetInteger(4, a);
}

namespace Colors {

Color ByName(const std::string& name)
{
    ColorTable& table = Table();
    auto it = table.positions.find(name);
    if (it == table.positions.end())
        VELK_ASSERT(false);
    return table.entries[it->second].second;
}

bool Exists(const std::string& name)
{
    return Table().positions.count(name) != 0;
}

void Add(const Color& color, const std::string& name)
{
    Table().Add(color, name);
}

bool NameOf(const Color& color, std::string& name)
{
    for (const auto& [entryName, entryColor] : Table().entries) {
        if (entryColor == color) {
            name = entryName;
            return true;
        }
    }
    return false;
}

void RegisterScriptTable()
{
    LuaState state = VelkLuaState::Get();
    VELK_ASSERT(state);
    state.GetGlobals().Register("Colors", Script_Colors);
}

} // namespace Colors

int Script_Colors(lua_State* L)
{
    LuaObject table(LuaState(L), 1);
    for (LuaTableIterator it(table); it; ++it) {
        const LuaObject& key = it.GetKey();
        // "n" is the count field of old-style lists, not a colour.
        if (!key.IsString() || key.GetString() == "n")
            continue;
        Colors::Add(Color(it.GetValue()), key.GetString());
    }
    return 0;
}

static ScriptFunctionRegistration s_Colors(Script_Colors, "Colors");
