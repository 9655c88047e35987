#include "engine/core/LuaSerializer.h"

#include "engine/core/DataFile.h"
#include "SerializerFixture.h"
#include "platform/lua/LuaException.h"

#include <regex>

namespace {

class LuaSerializerTest : public SerializerFixture
{
protected:
    std::string ToString(const std::string& expression, unsigned int flags = SERIALIZE_SORTED)
    {
        std::string text;
        SerializeLuaObjectToString(Eval(expression), text, flags, state);
        return text;
    }
};

struct GoldenCase
{
    const char* file;
    const char* value;    // Lua expression serialised behind "LoadConfig "
    const char* readBack; // what the loader gives back, when not the value itself
};

// Every golden file is the exact text of its value, and loads back to an equal table.
const GoldenCase kGoldenCases[] = {
    {"nested.lua", R"({
        name = "Ann", level = 3,
        records = { { Completed = true, SecondsTaken = 61.5 }, {}, [10] = { Completed = false } },
        empty = {},
        deep = { a = { b = { c = { "leaf" } } } },
    })", nullptr},
    {"order.lua", R"({
        banana = 1, Apple = 2, apple = 3, _x = 4, Zeta = 5, b2 = 6, B1 = 7, a = 8,
        [3] = "three", [1] = "one", [-2] = "minus two", [0] = "zero",
        [true] = "odd key", [2.5] = "odd key too",
    })", nullptr},
    {"keys.lua", R"({
        ["end"] = 1, ["while"] = 2, ["nil"] = 3, ["true"] = 4, ["function"] = 5, ["and"] = 6,
        ["my-key"] = 7, ["a.b"] = 8, [""] = 9, ["1abc"] = 10, ["a b"] = 11,
        ["!"] = 12, ["#"] = 13, ["$"] = 14, ["%"] = 15, ["&"] = 16, ["?"] = 17, ["|"] = 18,
        ["@"] = 19, ["`"] = 20, ["\195\169t\195\169"] = 21, ['a"b'] = 22,
        ['x", os.execute("y"), "'] = 23, ["tab\tkey"] = 24, ["line\nkey"] = 25,
        x1 = 26, _G = 27, _ = 28, End = 29, nil_ = 30,
    })", nullptr},
    {"numbers.lua", R"({
        forty = 40, half = 0.5, negative = -3, big = 1e100, small = 1.5e-7, third = 1/3,
        fourteen = 12345678901234, quarter = -0.25, zero = 0,
        inf = 1/0, negInf = -1/0, nan = 0/0,
        [-1] = "minus one", [1e300] = "huge key", [1/0] = "infinite key",
    })", R"({
        forty = 40, half = 0.5, negative = -3, big = 1e100, small = 1.5e-7, third = 0.33333333333333,
        fourteen = 12345678901234, quarter = -0.25, zero = 0,
        inf = 1/0, negInf = -1/0, nan = 0/0,
        [-1] = "minus one", [1e300] = "huge key", [1/0] = "infinite key",
    })"},
    {"strings.lua", R"({
        quote = "say \"hi\"", backslash = "C:\\dir\\", lines = "one\ntwo\n", cr = "a\rb",
        nul = "a\0b", tab = "a\tb", bell = "\7", unitThenDigit = "\0319", del = "\127",
        utf8 = "caf\195\169", brackets = "]] [[ ]=]", name = 'a"b',
        hostile = 'x", os.execute("y"), "', comment = "-- not a comment",
    })", nullptr},
    {"skipped.lua", R"({
        keep = 1,
        skipped = { Do_Not_Serialize = false, secret = "s" },
        alsoSkipped = { Do_Not_Serialize = true },
        callback = function() end,
        inner = { hidden = { Do_Not_Serialize = 1 } },
        z = "last",
    })", R"({ keep = 1, inner = {}, z = "last" })"},
    {"example.lua", R"({ sfx_volume = 75, Music = "x", list = { 10, 20 }, ["end"] = true })", nullptr},
};

const char* const kDeepEqual = R"(
function deepEqual(a, b)
    if a ~= a and b ~= b then return true end
    if type(a) ~= type(b) then return false end
    if type(a) ~= 'table' then return a == b end
    for k, v in pairs(a) do
        if not deepEqual(v, b[k]) then return false end
    end
    for k in pairs(b) do
        if a[k] == nil then return false end
    end
    return true
end
)";

} // namespace

TEST_F(LuaSerializerTest, GoldenTextsAndTheirReadBack)
{
    Run(kDeepEqual);
    for (const GoldenCase& c : kGoldenCases) {
        SCOPED_TRACE(c.file);
        std::string golden = ReadFile(std::string(VELK_TEST_DATA_DIR "/engine/core/golden/") + c.file);
        ASSERT_FALSE(golden.empty());

        // Through the script function, as the game writes its files.
        state.GetGlobals().SetObject("goldenValue", Eval(c.value));
        std::string path = PathOf(c.file);
        Run("Serialize(goldenValue, '" + path + "', 'LoadConfig ')");
        EXPECT_EQ(ReadFile(path), golden);

        LuaObject loaded;
        LoadDataText(state, golden, c.file, "LoadConfig", [&](const LuaObject& table) { loaded = table; });
        state.GetGlobals().SetObject("loaded", loaded);
        state.GetGlobals().SetObject("expected", Eval(c.readBack ? c.readBack : c.value));
        EXPECT_TRUE(Eval("deepEqual(loaded, expected)").GetBoolean());
    }
    EXPECT_EQ(Listing().size(), std::size(kGoldenCases));  // no temporary file left behind
}

TEST_F(LuaSerializerTest, ExactShapes)
{
    struct Case
    {
        const char* value;
        unsigned int flags;
        const char* text;
    };
    const Case cases[] = {
        {"{}", SERIALIZE_SORTED, "{\n}\n"},
        {"{ a = {} }", SERIALIZE_SORTED, "{\n    a = {\n    },\n}\n"},
        {"{ b = 1, A = 2 }", SERIALIZE_SORTED, "{\n    A = 2,\n    b = 1,\n}\n"},
        {"{ ['my-key'] = 1, ['while'] = 2, x1 = 3 }", SERIALIZE_SORTED,
         "{\n    [\"my-key\"] = 1,\n    [\"while\"] = 2,\n    x1 = 3,\n}\n"},
        {"{ s = 'two\\nlines' }", SERIALIZE_SORTED, "{\n    s = \"two\\nlines\",\n}\n"},
        {"{ f = print }", SERIALIZE_SORTED, "{\n    f = nil,\n}\n"},
        {"{ Do_Not_Serialize = false, x = 1 }", SERIALIZE_SORTED, "nil,"},
        {"{ only = 1 }", 0, "{\n    only = 1,\n}\n"},
        {"'top'", SERIALIZE_SORTED, "\"top\""},
        {"'bare'", SERIALIZE_SORTED | SERIALIZE_UNQUOTED, "bare"},
        {"40", SERIALIZE_SORTED, "40"},
        {"nil", SERIALIZE_SORTED, "nil"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToString(c.value, c.flags), c.text) << c.value;

    // An indentation given by the caller starts the nesting there.
    std::string text;
    SerializeLuaObjectToString(Eval("{ a = { 1 } }"), text, SERIALIZE_SORTED, state, "  ");
    EXPECT_EQ(text, "{\n      a = {\n          [1] = 1,\n      },\n  },\n");
}

// Fourteen digits lose the end of a larger whole number (a 64-bit score); it is
// written in full and reads back exactly. Fractions keep their fourteen digits.
TEST_F(LuaSerializerTest, WholeNumbersPastFourteenDigitsReadBackExactly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"12345678901234", "12345678901234"},
        {"123456789012345", "123456789012345"},
        {"-123456789012345", "-123456789012345"},
        {"1000000000000001", "1000000000000001"},
        {"2^53", "9007199254740992"},
        {"2^53 + 2", "9007199254740994"},
        {"2^63", "9.223372036854776e+18"},
        {"1e300", "1e+300"},
        {"1/3", "0.33333333333333"},
    };
    for (const auto& [expression, text] : cases) {
        SCOPED_TRACE(expression);
        EXPECT_EQ(ToString(expression), text);
        const std::string file = "Player { score = " + ToString(expression) + " }";
        LuaObject loaded;
        LoadDataText(state, file, "=card", "Player", [&](const LuaObject& table) { loaded = table; });
        EXPECT_EQ(loaded["score"].GetNumber(), Eval(ToString(expression)).GetNumber());
        if (std::string(expression) != "1/3") {
            EXPECT_EQ(loaded["score"].GetNumber(), Eval(expression).GetNumber());
        }
    }
}

// Lua 5.1 shares one constant between 0 and -0 in a chunk, so a "-0" written
// before "1/0" turned both infinities round. A negative zero is written as 0.
TEST_F(LuaSerializerTest, InfinitiesKeepTheirSignBesideANegativeZero)
{
    // Built in two chunks: one chunk with both would turn them round itself.
    Run("value = { b = -1/0, c = 1/0, d = { [-1/0] = 'low', [1/0] = 'high' } }");
    Run("value.a = -0");
    std::string text = "LoadConfig ";
    SerializeLuaObjectToString(state.GetGlobal("value"), text, SERIALIZE_SORTED, state);
    EXPECT_NE(text.find("a = 0,\n"), std::string::npos) << text;
    LuaObject loaded;
    LoadDataText(state, text, "=settings", "LoadConfig", [&](const LuaObject& table) { loaded = table; });
    state.GetGlobals().SetObject("loaded", loaded);
    EXPECT_TRUE(Eval("loaded.a == 0 and loaded.b == -1/0 and loaded.c == 1/0").GetBoolean()) << text;
    EXPECT_TRUE(Eval("loaded.d[-1/0] == 'low' and loaded.d[1/0] == 'high'").GetBoolean()) << text;
}

TEST_F(LuaSerializerTest, RefusedValuesNameTheirTypeAndLeaveNoState)
{
    int marker = 0;
    state.PushLightUserData(&marker);
    state.SetGlobal("light");
    const std::string typeText = "Assertion failed: (false)\nMessage: Cannot serialize a LuaObject of type, ";
    struct Case
    {
        const char* value;
        std::string message;
    };
    const Case cases[] = {
        {"{ a = 1, deep = { z = light } }", typeText + "\"userdata\"."},
        {"{ co = coroutine.create(function() end) }", typeText + "\"thread\"."},
        {"{ u = newproxy() }", typeText + "\"userdata\"."},
        {"(function() local t = {} t.inner = { back = t } return t end)()",
         "Assertion failed: (false)\nMessage: Cannot serialize a table that contains itself."},
        {"(function() local t = {} for i = 1, 100 do t = { t } end return t end)()",
         "Assertion failed: (false)\nMessage: Cannot serialize tables nested deeper than 100 levels."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        try {
            ToString(c.value);
            ADD_FAILURE() << "no failure";
        } catch (const Exception& e) {
            EXPECT_EQ(e.GetMessage(), c.message);
            EXPECT_EQ(e.GetFunction(), "Serialize");
        }
        EXPECT_TRUE(state.GetGlobal("_serializeTmpStr").IsNil());
    }

    // One level less is fine; a full userdata is written as its address when asked.
    EXPECT_NO_THROW(ToString("(function() local t = {} for i = 1, 99 do t = { t } end return t end)()"));
    EXPECT_TRUE(std::regex_match(ToString("{ u = newproxy() }", SERIALIZE_SORTED | SERIALIZE_USERDATA),
                                 std::regex("\\{\n    u = 0x[0-9a-f]+,\n\\}\n")));

    // The writer's own failure comes through as the Lua layer's exception.
    EXPECT_THROW(Serialize(Eval("{ a = 1 }"), Eval("function() error('disk full') end"), SERIALIZE_SORTED, ""),
                 LuaException);
}

TEST_F(LuaSerializerTest, ScriptFunctions)
{
    EXPECT_EQ(Eval("SerializeToString({ b = 1, A = 2 })").GetString(), "{\n    A = 2,\n    b = 1,\n}\n");
    EXPECT_TRUE(state.GetGlobal("_serializeTmpStr").IsNil());

    const std::string card = PathOf("card.lua");
    Run("Serialize({ x = 1 }, '" + card + "', function() return 'Player ' end)");
    EXPECT_EQ(ReadFile(card), "Player {\n    x = 1,\n}\n");

    // The settings writer's sequence: no file name, so Serialize writes to the open output file.
    const std::string settings = PathOf("settings.lua");
    Run("OpenOutputFile('" + settings + "') io.write('LoadConfig ') "
        "Serialize({ music_volume = 40, full_screen = true }) CloseOutputFile()");
    EXPECT_EQ(ReadFile(settings), "LoadConfig {\n    full_screen = true,\n    music_volume = 40,\n}\n");

    const std::string scores = PathOf("scores.lua");
    SerializeToFile(Eval("{ 'Ann', 'Bob' }"), scores, "HighScoreTable ", SERIALIZE_SORTED, state);
    EXPECT_EQ(ReadFile(scores), "HighScoreTable {\n    [1] = \"Ann\",\n    [2] = \"Bob\",\n}\n");

    EXPECT_NE(FailureOf([&] { Run("Do_Serialize({ x = 1 })"); }).find("the file name must be a string"),
              std::string::npos);

    host.AddResource("Extra.lua", "extraLoaded = 42");
    Run("Load('Extra.lua')");
    EXPECT_EQ(state.GetGlobal("extraLoaded").GetInteger(), 42);
}
