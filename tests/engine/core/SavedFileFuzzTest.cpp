// Seeded fuzzing of the saved-file loader, the serialiser and the dialect
// rewrite: real saved files and scripts, mutated (bit flips, cuts, splices,
// random bytes, deep nesting, huge numbers, long strings), must load or fail
// with a clear error, never crash or hang; whatever loads, and any random data,
// must come back the same through the serialiser.
//
// A fixed number of inputs per test runs with the tests. For a long run:
//     VELK_FUZZ_ITERATIONS=200000 VELK_FUZZ_SEED=7 build/test/tests/velk_core_tests --gtest_filter='SavedFileFuzz*'
// Every input follows from the seed and its number, so a failure reports both.

#include "engine/core/DataFile.h"
#include "engine/core/LuaSerializer.h"
#include "platform/lua/LuaDialect.h"
#include "SerializerFixture.h"
#include "support/FuzzBudget.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The input's bytes, printable, for a failure message.
std::string Shown(const std::string& bytes)
{
    std::string shown;
    for (unsigned char c : bytes.substr(0, 2000)) {
        if (c == '\n' || (c >= 0x20 && c < 0x7f)) {
            shown += static_cast<char>(c);
        } else {
            char code[8];
            std::snprintf(code, sizeof(code), "\\x%02x", c);
            shown += code;
        }
    }
    return bytes.size() > 2000 ? shown + "... (" + std::to_string(bytes.size()) + " bytes)" : shown;
}

std::string ReadSource(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    EXPECT_FALSE(text.empty()) << "missing seed " << path;
    return text;
}

// Inputs past this size are cut: the budgets are tested by the cases that aim at them.
constexpr std::size_t kMaxInput = 256 * 1024;

// Pieces of Lua and of hostile data that random bytes would seldom spell.
using namespace std::string_view_literals;
const std::string_view kTokens[] = {
    "{", "}", "[", "]", "[[", "]]", "[==[", "]==]", "--", "--[[", "\"", "'", "\\", "\\0", "\\999", "\\\n", "\n",
    "\r", "\0"sv, " = ", ",", ";", "(", ")", "..", "...", "nil", "true", "false", "and",
    "or", "not", "end", "do", "then", "function", "return", "local", "for k, v in t do ", "while true do ",
    "repeat ", " until false", "continue", "break", "if x then ", "table.getn(arg)", "0/0", "1/0", "-1/0", "1e309",
    "-1e309", "4.9e-324", "9007199254740993", "123456789012345", "-0", "0x7fffffff", "1e", "..1", "Player",
    "LoadConfig", "Player {", "LoadConfig {", "string.rep", "('x'):rep(1e9)", "setmetatable", "_G", "getfenv",
    "loadstring", "\x1bLua", "\xef\xbb\xbf", "Do_Not_Serialize = true", "[{}] = 1", "[true] = ", "[0/0] = 1",
};

class Mutator
{
public:
    explicit Mutator(unsigned seed) : m_Random(seed) {}

    std::size_t Below(std::size_t n) { return n ? std::uniform_int_distribution<std::size_t>(0, n - 1)(m_Random) : 0; }
    bool OneIn(std::size_t n) { return Below(n) == 0; }
    std::mt19937& Random() { return m_Random; }

    std::string Mutate(std::string text, const std::vector<std::string>& others)
    {
        const std::size_t count = 1 + Below(4);
        for (std::size_t i = 0; i < count; ++i)
            MutateOnce(text, others);
        if (text.size() > kMaxInput)
            text.resize(kMaxInput);
        return text;
    }

private:
    void MutateOnce(std::string& text, const std::vector<std::string>& others)
    {
        const std::size_t at = Below(text.size() + 1);
        switch (Below(11)) {
        case 0: // one bit
            if (!text.empty())
                text[Below(text.size())] ^= static_cast<char>(1u << Below(8));
            break;
        case 1: // one byte
            if (!text.empty())
                text[Below(text.size())] = static_cast<char>(Below(256));
            break;
        case 2: { // a few random bytes
            std::string bytes(1 + Below(8), '\0');
            for (char& c : bytes)
                c = static_cast<char>(Below(256));
            text.insert(at, bytes);
            break;
        }
        case 3: // a range taken out
            text.erase(at, Below(64));
            break;
        case 4: // cut short
            text.resize(at);
            break;
        case 5: { // a piece of another file spliced in
            const std::string& other = others[Below(others.size())];
            const std::size_t from = Below(other.size() + 1);
            text.replace(at, Below(64), other.substr(from, Below(256)));
            break;
        }
        case 6: { // a range repeated
            const std::size_t length = Below(std::min<std::size_t>(text.size() - std::min(at, text.size()), 128) + 1);
            std::string piece = text.substr(at, length);
            for (std::size_t n = 1 + Below(8); n > 0; --n)
                text.insert(at, piece);
            break;
        }
        case 7:
            text.insert(at, std::string(kTokens[Below(std::size(kTokens))]));
            break;
        case 8: { // deep nesting, closed or not
            const std::size_t depth = 90 + Below(300);
            std::string open, close;
            for (std::size_t d = 0; d < depth; ++d) {
                open += OneIn(2) ? "{" : "{ x = ";
                close += "}";
            }
            text.insert(at, open + (OneIn(2) ? close : std::string()));
            break;
        }
        case 9: { // a long string
            std::string body(1000 + Below(100000), static_cast<char>('a' + Below(26)));
            text.insert(at, OneIn(2) ? "\"" + body + "\"" : "[[" + body + "]]");
            break;
        }
        default: { // a huge number
            std::string digits(15 + Below(400), '9');
            text.insert(at, OneIn(2) ? digits : "1e" + std::to_string(Below(100000)));
            break;
        }
        }
    }

    std::mt19937 m_Random;
};

// Numbers come back exactly when whole, and to the fourteen digits the files keep otherwise.
bool SameNumber(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (!std::isfinite(a) || std::floor(a) == a)
        return a == b;
    char ta[32], tb[32];
    std::snprintf(ta, sizeof(ta), "%.14g", a);
    std::snprintf(tb, sizeof(tb), "%.14g", b);
    return std::string(ta) == tb;
}

// A value the serialiser leaves out: a function, or a table marked Do_Not_Serialize.
bool LeftOut(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TFUNCTION)
        return true;
    if (lua_type(L, index) != LUA_TTABLE)
        return false;
    lua_getfield(L, index, "Do_Not_Serialize");
    const bool marked = !lua_isnil(L, -1);
    lua_pop(L, 1);
    return marked;
}

// Whether the value at b is what the value at a becomes through the serialiser
// and the loader; why not, when it is not.
bool SameData(lua_State* L, int a, int b, std::string& why)
{
    // The walk goes as deep as the data: room for each level's key, value and copy.
    if (!lua_checkstack(L, 8)) {
        why = "no room on the Lua stack";
        return false;
    }
    a = a < 0 ? lua_gettop(L) + a + 1 : a;
    b = b < 0 ? lua_gettop(L) + b + 1 : b;
    if (lua_type(L, a) != lua_type(L, b)) {
        why = std::string("a ") + luaL_typename(L, a) + " came back as a " + luaL_typename(L, b);
        return false;
    }
    switch (lua_type(L, a)) {
    case LUA_TNUMBER:
        if (SameNumber(lua_tonumber(L, a), lua_tonumber(L, b)))
            return true;
        char text[80];
        std::snprintf(text, sizeof(text), "%.17g came back as %.17g", lua_tonumber(L, a), lua_tonumber(L, b));
        why = text;
        return false;
    case LUA_TSTRING: {
        std::size_t la = 0, lb = 0;
        const char* sa = lua_tolstring(L, a, &la);
        const char* sb = lua_tolstring(L, b, &lb);
        if (std::string(sa, la) == std::string(sb, lb))
            return true;
        why = "the text \"" + Shown(std::string(sa, la)) + "\" came back as \"" + Shown(std::string(sb, lb)) + "\"";
        return false;
    }
    case LUA_TBOOLEAN:
        return lua_toboolean(L, a) == lua_toboolean(L, b);
    case LUA_TTABLE:
        break;
    default:
        why = std::string("a ") + luaL_typename(L, a) + " in the data";
        return false;
    }
    int kept = 0;
    lua_pushnil(L);
    while (lua_next(L, a) != 0) {
        if (!LeftOut(L, -1)) {
            ++kept;
            // A table as a key cannot be looked up in the copy; the count covers it.
            if (lua_type(L, -2) != LUA_TTABLE) {
                lua_pushvalue(L, -2);
                if (lua_type(L, -1) == LUA_TNUMBER) {
                    // A key of more than fourteen digits comes back as its fourteen-digit self.
                    double key = lua_tonumber(L, -1);
                    if (std::isfinite(key) && std::floor(key) != key) {
                        char text[32];
                        std::snprintf(text, sizeof(text), "%.14g", key);
                        lua_pop(L, 1);
                        lua_pushnumber(L, std::strtod(text, nullptr));
                    }
                }
                lua_rawget(L, b);
                const bool same = SameData(L, -2, -1, why);
                if (!same) {
                    lua_pushvalue(L, -3);
                    std::string key = lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER
                                          ? Shown(lua_tostring(L, -1))
                                          : luaL_typename(L, -1);
                    why = "[" + key + "]: " + why;
                    lua_pop(L, 4);
                    return false;
                }
                lua_pop(L, 1);
            }
        }
        lua_pop(L, 1);
    }
    int copied = 0;
    lua_pushnil(L);
    while (lua_next(L, b) != 0) {
        ++copied;
        lua_pop(L, 1);
    }
    if (kept != copied) {
        why = std::to_string(kept) + " entries came back as " + std::to_string(copied);
        return false;
    }
    return true;
}

class SavedFileFuzz : public SerializerFixture
{
protected:
    struct SavedSeed
    {
        std::string text;
        const char* loader;
    };

    void SetUp() override
    {
        SerializerFixture::SetUp();
        L = state.GetCState();
        allocator = lua_getallocf(L, &allocatorData);
        const std::string data = VELK_TEST_DATA_DIR "/engine/core/";
        saved = {
            {ReadSource(data + "fuzz/Player1.card"), "Player"},
            {ReadSource(data + "fuzz/WoppleQuest.cfg"), "LoadConfig"},
        };
        for (const char* golden : {"example", "keys", "nested", "numbers", "order", "skipped", "strings"})
            saved.push_back({ReadSource(data + "golden/" + golden + ".lua"), "LoadConfig"});
        for (const SavedSeed& seed : saved)
            savedTexts.push_back(seed.text);
        scripts = {ReadSource(data + "fuzz/dialect.lua"), ReadSource(VELK_TEST_DATA_DIR "/../scripts/engine/Player.lua"),
                   ReadSource(VELK_TEST_DATA_DIR "/../scripts/engine/Utility.lua")};
    }

    // A mutated input can build a structure of many megabytes; the collector
    // then waits for twice that before its next cycle, and a long run holds
    // gigabytes of garbage. A full collection now and then keeps it small.
    void CollectNowAndThen(int i)
    {
        if (i % 500 == 499)
            lua_gc(L, LUA_GCCOLLECT, 0);
    }

    // Nothing of a load is left on the state, whatever the input did.
    void ExpectStateIntact(const std::string& input)
    {
        void* data = nullptr;
        ASSERT_EQ(lua_gettop(L), 0) << Shown(input);
        ASSERT_EQ(lua_gethook(L), nullptr) << Shown(input);
        ASSERT_EQ(lua_getallocf(L, &data), allocator) << Shown(input);
    }

    // Loads the text; on success the table, pushed. False with the reason otherwise.
    bool Load(const std::string& text, const char* loader, std::string& error)
    {
        LuaObject table;
        try {
            LoadDataText(state, text, "=fuzz", loader, [&](const LuaObject& t) { table = t; });
        } catch (const ScriptError& e) {
            error = e.GetMessage();
            return false;
        }
        table.Push();
        return true;
    }

    // The table on top goes through the serialiser and back; it must come back the same.
    void ExpectRoundTrip(const std::string& origin)
    {
        // A table marked Do_Not_Serialize is written as nil by design, even at the top.
        if (LeftOut(L, -1)) {
            lua_settop(L, 0);
            return;
        }
        LuaObject table = LuaObject::PopFrom(state);
        std::string text = "LoadConfig ";
        SerializeLuaObjectToString(table, text, SERIALIZE_SORTED, state);
        std::string error;
        ASSERT_TRUE(Load(text, "LoadConfig", error)) << error << "\nwritten:\n" << Shown(text) << "\nfrom:\n"
                                                     << Shown(origin);
        table.Push();
        std::string why;
        EXPECT_TRUE(SameData(L, -1, -2, why)) << why << "\nwritten:\n" << Shown(text) << "\nfrom:\n" << Shown(origin);
        lua_settop(L, 0);
    }

    lua_State* L = nullptr;
    lua_Alloc allocator = nullptr;
    void* allocatorData = nullptr;
    std::vector<SavedSeed> saved;
    std::vector<std::string> savedTexts;
    std::vector<std::string> scripts;
};

TEST_F(SavedFileFuzz, MutatedSavedFilesLoadOrFailCleanlyAndWhatLoadsRoundTrips)
{
    const unsigned seed = FuzzSeed();
    const int iterations = FuzzIterations(3000);
    int loaded = 0;
    for (int i = 0; i < iterations; ++i) {
        CollectNowAndThen(i);
        Mutator mutator(seed * 1000003u + static_cast<unsigned>(i));
        const SavedSeed& base = saved[mutator.Below(saved.size())];
        const std::string input = mutator.Mutate(base.text, savedTexts);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", input " + std::to_string(i));
        std::string error;
        if (Load(input, base.loader, error)) {
            ++loaded;
            ExpectRoundTrip(input);
        } else {
            EXPECT_FALSE(error.empty()) << Shown(input);
        }
        ExpectStateIntact(input);
        if (HasFailure())
            return;
    }
    // The mutations leave some files whole enough to load: the round trip is exercised.
    EXPECT_GT(loaded, iterations / 50);
    std::printf("SavedFileFuzz: %d of %d mutated files loaded and came back the same\n", loaded, iterations);
}

TEST_F(SavedFileFuzz, AMutatedFileThatCannotBeLoadedIsKeptAsBadByteForByte)
{
    const unsigned seed = FuzzSeed();
    const int iterations = std::max(1, FuzzIterations(3000) / 15);
    const std::string path = PathOf("Player1.card");
    for (int i = 0; i < iterations; ++i) {
        CollectNowAndThen(i);
        Mutator mutator(seed * 7919u + static_cast<unsigned>(i));
        const SavedSeed& base = saved[mutator.Below(saved.size())];
        const std::string input = mutator.Mutate(base.text, savedTexts);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", input " + std::to_string(i));
        WriteFile(path, input);
        ClearLogCache();
        const DataFileResult result = LoadDataFile(state, path, base.loader, [](const LuaObject&) {});
        if (result == DataFileResult::Loaded) {
            EXPECT_EQ(Listing(), std::vector<std::string>{"Player1.card"});
        } else {
            ASSERT_EQ(result, DataFileResult::Bad) << Shown(input);
            EXPECT_EQ(Listing(), std::vector<std::string>{"Player1.card.bad"}) << Shown(input);
            EXPECT_EQ(ReadFile(path + ".bad"), input);
            std::filesystem::remove(path + ".bad");
        }
        ExpectStateIntact(input);
        if (HasFailure())
            return;
    }
}

// Random plain data, pushed: nested tables with keys and values of every kind
// a saved file can hold, and now and then a function or a skipped table.
void PushRandomData(lua_State* L, Mutator& m, int depth)
{
    luaL_checkstack(L, 4, "random data");
    switch (m.Below(depth >= 6 ? 4 : 6)) {
    case 0: {
        static const double kNumbers[] = {0, -0.0, 1, -1, 0.5, -0.25, 1.0 / 3, 40, 12345678901234, 123456789012345,
                                          9007199254740992.0, -9007199254740991.0, 1e100, 1e300, 1.5e-7, 4.9e-324,
                                          HUGE_VAL, -HUGE_VAL, NAN, 2147483647, 4294967296.0, 1e15 + 1};
        if (m.OneIn(2))
            lua_pushnumber(L, kNumbers[m.Below(std::size(kNumbers))]);
        else
            lua_pushnumber(L, std::uniform_real_distribution<double>(-1e18, 1e18)(m.Random()) /
                                  std::pow(10.0, static_cast<double>(m.Below(20))));
        return;
    }
    case 1: {
        std::string text(m.Below(24), '\0');
        for (char& c : text)
            c = static_cast<char>(m.OneIn(3) ? m.Below(256) : 'a' + m.Below(26));
        lua_pushlstring(L, text.data(), text.size());
        return;
    }
    case 2:
        lua_pushboolean(L, m.OneIn(2));
        return;
    case 3:
        if (m.OneIn(8)) {
            lua_pushcfunction(L, [](lua_State*) { return 0; });
            return;
        }
        lua_pushnumber(L, static_cast<double>(m.Below(1000)));
        return;
    default:
        break;
    }
    lua_newtable(L);
    if (m.OneIn(40)) {
        lua_pushboolean(L, 0);
        lua_setfield(L, -2, "Do_Not_Serialize");
    }
    const std::size_t entries = m.Below(8);
    for (std::size_t e = 0; e < entries; ++e) {
        static const char* const kNames[] = {"Name", "end", "x1", "_", "my-key", "", "while", "nil_", "Options",
                                             "A", "a", "guid", "[[", "]]", "\"", "\\", "\n", "é"};
        switch (m.Below(5)) {
        case 0:
            lua_pushstring(L, kNames[m.Below(std::size(kNames))]);
            break;
        case 1:
            lua_pushnumber(L, static_cast<double>(m.Below(12)) + 1);
            break;
        case 2: {
            static const double kKeys[] = {-1, 0, 0.5, -0.125, 1e300, HUGE_VAL, -HUGE_VAL, 123456789012345,
                                           9007199254740992.0, 2147483648.0};
            lua_pushnumber(L, kKeys[m.Below(std::size(kKeys))]);
            break;
        }
        case 3:
            lua_pushboolean(L, m.OneIn(2));
            break;
        default: {
            std::string key(1 + m.Below(12), '\0');
            for (char& c : key)
                c = static_cast<char>(m.Below(256));
            lua_pushlstring(L, key.data(), key.size());
            break;
        }
        }
        PushRandomData(L, m, depth + 1);
        lua_rawset(L, -3);
    }
}

// Tables nested n deep, the innermost holding a value.
void PushChain(lua_State* L, int n)
{
    lua_newtable(L);
    lua_pushnumber(L, n);
    lua_setfield(L, -2, "innermost");
    for (int i = 1; i < n; ++i) {
        lua_newtable(L);
        lua_insert(L, -2);
        lua_rawseti(L, -2, 1);
    }
}

TEST_F(SavedFileFuzz, RandomDataComesBackTheSameThroughTheSerialiser)
{
    const unsigned seed = FuzzSeed();
    const int iterations = FuzzIterations(3000);
    for (int i = 0; i < iterations; ++i) {
        CollectNowAndThen(i);
        Mutator m(seed * 104729u + static_cast<unsigned>(i));
        SCOPED_TRACE("seed " + std::to_string(seed) + ", data " + std::to_string(i));
        lua_newtable(L);
        PushRandomData(L, m, 1);
        lua_setfield(L, -2, "data");
        // Now and then at the edges: the deepest nesting that is written, one deeper, and a cycle.
        bool refused = false;
        switch (m.Below(16)) {
        case 0: {
            const int depth = kMaxSerializeDepth - 1 + static_cast<int>(m.Below(3));  // the outer table is one
            PushChain(L, depth);
            lua_setfield(L, -2, "chain");
            refused = depth + 1 > kMaxSerializeDepth;
            break;
        }
        case 1:
            lua_getfield(L, -1, "data");
            if (lua_istable(L, -1)) {
                lua_pushvalue(L, -2);
                lua_setfield(L, -2, "loop");
                refused = !LeftOut(L, -1);
            }
            lua_pop(L, 1);
            break;
        default:
            break;
        }
        LuaObject table = LuaObject::PopFrom(state);
        if (refused) {
            std::string text;
            EXPECT_THROW(SerializeLuaObjectToString(table, text, SERIALIZE_SORTED, state), Exception);
            // A failed write leaves the string serialiser as it was.
            EXPECT_TRUE(state.GetGlobal("_serializeTmpStr").IsNil());
        } else {
            table.Push();
            ExpectRoundTrip("random data " + std::to_string(i));
        }
        lua_settop(L, 0);
        if (HasFailure())
            return;
    }
}

// Lines in the text: the rewrite keeps them, so errors name the script's own lines.
std::size_t LineCount(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(SavedFileFuzz, TheDialectRewriteKeepsLinesAndNeverBreaksPlainLua)
{
    // The seeds themselves are the dialect, whole: they compile once rewritten.
    for (const std::string& script : scripts) {
        const std::string rewritten = RewriteLuaDialect(script);
        EXPECT_EQ(luaL_loadbuffer(L, rewritten.data(), rewritten.size(), "=seed"), 0) << lua_tostring(L, -1);
        lua_settop(L, 0);
    }
    const unsigned seed = FuzzSeed();
    const int iterations = FuzzIterations(1500);
    int plain = 0;
    for (int i = 0; i < iterations; ++i) {
        CollectNowAndThen(i);
        Mutator mutator(seed * 15485863u + static_cast<unsigned>(i));
        const std::string input = mutator.Mutate(scripts[mutator.Below(scripts.size())], scripts);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", script " + std::to_string(i));
        const std::string rewritten = RewriteLuaDialect(input);
        ASSERT_EQ(LineCount(rewritten), LineCount(input)) << Shown(input);
        const bool compiles = luaL_loadbuffer(L, input.data(), input.size(), "=plain") == 0;
        lua_settop(L, 0);
        const int status = luaL_loadbuffer(L, rewritten.data(), rewritten.size(), "=rewritten");
        const std::string message = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
        lua_settop(L, 0);
        // What Lua 5.1 compiles as it is, the rewrite never turns into something it cannot.
        if (compiles) {
            ++plain;
            ASSERT_EQ(status, 0) << message << "\nsource:\n" << Shown(input) << "\nrewritten:\n" << Shown(rewritten);
        }
    }
    EXPECT_GT(plain, 0);
    std::printf("SavedFileFuzz: %d of %d mutated scripts were plain Lua and still compiled\n", plain, iterations);
}

} // namespace
