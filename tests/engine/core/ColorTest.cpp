#include "engine/core/Color.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>
#include "support/Failure.h"

namespace {

class ColorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state = VelkLuaState::Create();
        VelkLuaState::RunStartupScript(state);
    }
    void TearDown() override { VelkLuaState::Destroy(); }

    LuaObject Eval(const std::string& expression)
    {
        VelkLuaState::LoadStringA(state, "return " + expression, 0, 1);
        return LuaObject::PopFrom(state);
    }

    void Run(const std::string& source) { VelkLuaState::LoadStringA(state, source, 0, 0); }

    // "<function>: <message>" of the exception f throws.

    LuaState state;
};

struct NamedColor
{
    const char* name;
    Color color;
};

} // namespace

TEST_F(ColorTest, BuiltInColorsHaveTheirValuesAndOneNameEach)
{
    const std::vector<NamedColor> builtIn = {
        {"Invisible", {0, 0, 0, 0}},
        {"Black", {0, 0, 0, 255}},
        {"Blue", {0, 0, 255, 255}},
        {"DarkGrayBlue", {13, 37, 121, 255}},
        {"VeryDarkGray", {48, 48, 48, 255}},
        {"Green", {0, 255, 0, 255}},
        {"LightGreen", {195, 252, 173, 255}},
        {"MediumGreen", {0, 200, 0, 255}},
        {"DarkGreen", {0, 155, 0, 255}},
        {"MildBlue", {0, 102, 255, 255}},
        {"MildOrange", {255, 128, 0, 255}},
        {"Purple", {255, 0, 255, 255}},
        {"Red", {255, 0, 0, 255}},
        {"MediumRed", {200, 0, 0, 255}},
        {"DarkRed", {155, 0, 0, 255}},
        {"White", {255, 255, 255, 255}},
        {"OffWhite", {255, 255, 220, 255}},
        {"Yellow", {255, 255, 0, 255}},
        {"LightYellow", {255, 255, 100, 255}},
        {"Gray", {150, 150, 150, 255}},
        {"Orange", {255, 186, 0, 255}},
        {"MildPurple", {186, 0, 255, 255}},
        {"Gold", {255, 250, 0, 255}},
        {"LightGrayBlue", {73, 117, 159, 255}},
        {"Brick", {217, 58, 15, 255}},
        {"Atari", {217, 58, 16, 255}},
        {"Steel", {200, 192, 190, 255}},
        {"Stone", {167, 145, 120, 255}},
        {"Wood", {183, 102, 6, 255}},
        {"Glass", {9, 30, 46, 255}},
        {"Bumper", {200, 200, 46, 255}},
    };
    ASSERT_EQ(builtIn.size(), 31u);
    for (const NamedColor& entry : builtIn) {
        SCOPED_TRACE(entry.name);
        ASSERT_TRUE(Colors::Exists(entry.name));
        EXPECT_EQ(Colors::ByName(entry.name), entry.color);
        std::string name;
        ASSERT_TRUE(Colors::NameOf(entry.color, name));
        EXPECT_EQ(name, entry.name);
    }
    EXPECT_FALSE(Colors::Exists("red"));
    EXPECT_EQ(Color(), Colors::Black);
}

TEST_F(ColorTest, SetColorFromNamesAndTables)
{
    struct Case
    {
        const char* lua;
        Color expected;
    };
    const Case cases[] = {
        {"'Gold'", Colors::Gold},
        {"{10, 20, 30}", {10, 20, 30, 255}},
        {"{10, 20, 30, 0}", {10, 20, 30, 0}},
        {"{300, 0, 0}", {44, 0, 0, 255}},
        {"{-1, 0, 0, 128}", {255, 0, 0, 128}},
        {"{1, 2, 3, 0.5}", {1, 2, 3, 255}},  // only an integer alpha counts
        {"{function() return 7 end, 8, 9}", {7, 8, 9, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lua);
        Color color(1, 1, 1, 1);
        color.SetColor(Eval(c.lua));
        EXPECT_EQ(color, c.expected);
    }

    Color color;
    EXPECT_EQ(FailureWithFunctionOf([&] { color.SetColor(Eval("42")); }), "Color::SetColor: Assertion failed: (false)");
    EXPECT_EQ(FailureWithFunctionOf([&] { color.SetColor(Eval("'NoSuchColour'")); }),
              "Colors::ByName: Assertion failed: (false)");
    EXPECT_NE(FailureWithFunctionOf([&] { color.SetColor(Eval("{1, 2}")); }).find("Object is not an integer, but rather a nil."),
              std::string::npos);
}

TEST_F(ColorTest, StoredColorsRoundTripThroughLua)
{
    struct Case
    {
        Color color;
        bool preferName;
        const char* expectedLua;  // Lua expression that must hold for the stored value v
    };
    const Case cases[] = {
        {{255, 0, 0, 255}, true, "v == 'Red'"},
        {{0, 0, 0, 0}, true, "v == 'Invisible'"},
        {{255, 0, 0, 255}, false, "#v == 3 and v[1] == 255 and v[2] == 0 and v[3] == 0"},
        {{255, 0, 0, 128}, true, "#v == 4 and v[1] == 255 and v[2] == 0 and v[3] == 0 and v[4] == 128"},
        {{1, 2, 3, 255}, true, "#v == 3 and v[1] == 1 and v[2] == 2 and v[3] == 3 and v[4] == nil"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedLua);
        LuaObject stored;
        c.color.StoreAsLuaObject(stored, state, c.preferName);
        state.GetGlobals().SetObject("v", stored);
        EXPECT_TRUE(Eval(c.expectedLua).GetBoolean());
        EXPECT_EQ(Color(stored), c.color);
    }
}

TEST_F(ColorTest, ScriptFunctionColorsFilesStringKeysExceptN)
{
    Run("Colors{ n = {1, 1, 1}, [1] = 'Red', ColorTestSky = {100, 150, 250}, ColorTestAlias = 'Gold' }");
    EXPECT_FALSE(Colors::Exists("n"));
    EXPECT_EQ(Colors::ByName("ColorTestSky"), Color(100, 150, 250, 255));
    EXPECT_EQ(Colors::ByName("ColorTestAlias"), Colors::Gold);
    // The built-in name was filed first, so it stays the one a colour is stored by.
    std::string name;
    ASSERT_TRUE(Colors::NameOf(Colors::Gold, name));
    EXPECT_EQ(name, "Gold");

    // A bad value is the caller's error, raised through Lua with the assertion text.
    EXPECT_NE(FailureWithFunctionOf([&] { Run("Colors{ ColorTestBad = 7 }"); }).find("Assertion failed: (false)"),
              std::string::npos);
    EXPECT_FALSE(Colors::Exists("ColorTestBad"));
}

TEST_F(ColorTest, RedefiningANameReplacesItForLaterLookups)
{
    Run("Colors{ Red = {200, 10, 10} }");
    EXPECT_EQ(Colors::ByName("Red"), Color(200, 10, 10, 255));
    EXPECT_EQ(Color(Eval("'Red'")), Color(200, 10, 10, 255));
    LuaObject stored;
    Color(200, 10, 10).StoreAsLuaObject(stored, state);
    EXPECT_EQ(stored.GetString(), "Red");

    Color(255, 0, 0, 255, "Red");  // a named construction files the name too
    EXPECT_EQ(Colors::ByName("Red"), Colors::Red);
}

TEST_F(ColorTest, RegisterScriptTableMakesTheGlobal)
{
    state.GetGlobals().SetNil("Colors");
    Colors::RegisterScriptTable();
    Run("Colors{ ColorTestRegistered = 'White' }");
    EXPECT_EQ(Colors::ByName("ColorTestRegistered"), Colors::White);
}
