#include "engine/core/DataFile.h"

#include "engine/core/LuaSerializer.h"
#include "SerializerFixture.h"

#include <functional>
#include <new>
#include <stdexcept>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class DataFileTest : public SerializerFixture
{
protected:
    bool LogHas(const std::string& text) const
    {
        for (const std::string& line : GetCachedLogLines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    std::string LogText() const
    {
        std::string text;
        for (const std::string& line : GetCachedLogLines())
            text += line;
        return text;
    }

    // The limits of a load are gone once it ends, however it ended.
    void ExpectStateIntact()
    {
        lua_State* L = state.GetCState();
        EXPECT_EQ(lua_gethook(L), nullptr);
        void* data = nullptr;
        EXPECT_EQ(lua_getallocf(L, &data), allocator);
        EXPECT_EQ(Eval("('ab'):rep(2)").GetString(), "abab");
        EXPECT_EQ(state.GetTop(), 0);
    }

    bool OutputRestored() { return Eval("io.output() == io.stdout and _lastFile == nil").GetBoolean(); }

    void SetUp() override
    {
        SerializerFixture::SetUp();
        void* data = nullptr;
        allocator = lua_getallocf(state.GetCState(), &data);
    }

    lua_Alloc allocator = nullptr;
};

const char* const kOldSettings = "LoadConfig {\n    old = true,\n}\n";

} // namespace

TEST_F(DataFileTest, HostileFilesAreKeptAsBadAndRunNothing)
{
    const std::string marker = PathOf("marker");
    const std::string bytecode = Eval("string.dump(function() LoadConfig { a = 1 } end)").GetString();
    struct Case
    {
        const char* name;
        std::string content;
        const char* reason;
    };
    const Case cases[] = {
        {"bytecode", bytecode, "a precompiled chunk is not data"},
        {"os.execute", "pwned = true os.execute('touch " + marker + "') LoadConfig {}", "global 'os'"},
        {"os.execute in the table", "LoadConfig { x = os.execute('touch " + marker + "') }", "global 'os'"},
        {"io.open", "LoadConfig { f = io.open('" + marker + "', 'w') }", "global 'io'"},
        {"through _G", "_G.os.execute('touch " + marker + "')", "global '_G'"},
        {"string methods", "LoadConfig { x = ('x'):rep(10) }", "attempt to index a string value"},
        {"string library", "LoadConfig { x = string.rep('a', 1e9) }", "global 'string'"},
        {"setmetatable", "LoadConfig(setmetatable({}, {}))", "global 'setmetatable'"},
        {"endless loop", "while true do end", "instruction limit"},
        {"loop after the call", "LoadConfig { a = 1 } while true do end", "instruction limit"},
        {"growing string", "local s = 'x' while true do s = s .. s end", "not enough memory"},
        {"wrong top-level function", "Player { name = 'Ann' }", "global 'Player'"},
        {"not a table", "LoadConfig 'text'", "LoadConfig expects a table, not a string"},
        {"called twice", "LoadConfig {} LoadConfig {}", "LoadConfig was called more than once"},
        {"no call", "x = 1", "it does not call LoadConfig with its data"},
        {"loader replaced", "LoadConfig = function() end LoadConfig {}", "it does not call LoadConfig"},
        {"runtime error", "LoadConfig { a = nil + 1 }", "attempt to perform arithmetic"},
        {"function in the data", "LoadConfig { f = function() end }", "the data holds a function"},
        {"cycle", "local t = {} t.t = t LoadConfig(t)", "the data holds a table that contains itself"},
        {"too deep", "local t = {} for i = 1, 150 do t = { t } end LoadConfig(t)", "nested deeper than 100"},
        {"the scripts' dialect", "LoadConfig { a = 1 } while false do continue end", "'=' expected near 'end'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLogCache();
        const std::string path = PathOf("settings.lua");
        WriteFile(path, c.content);
        bool received = false;
        DataFileResult result = LoadDataFile(state, path, "LoadConfig", [&](const LuaObject&) { received = true; });

        EXPECT_EQ(result, DataFileResult::Bad);
        EXPECT_FALSE(received);
        EXPECT_EQ(Listing(), std::vector<std::string>{"settings.lua.bad"});
        EXPECT_EQ(ReadFile(path + ".bad"), c.content);
        EXPECT_TRUE(LogHas("WARNING: Could not load \"" + path + "\" (")) << LogText();
        EXPECT_TRUE(LogHas(c.reason)) << LogText();
        EXPECT_TRUE(LogHas("it was kept as \"" + path + ".bad\".\n"));
        EXPECT_TRUE(state.GetGlobal("pwned").IsNil());
        ExpectStateIntact();
        std::filesystem::remove(path + ".bad");
    }
}

TEST_F(DataFileTest, EveryTruncationIsBadAndKeptWhole)
{
    const std::string whole = ReadFile(VELK_TEST_DATA_DIR "/engine/core/golden/strings.lua");
    const std::size_t closing = whole.rfind('}');
    ASSERT_NE(closing, std::string::npos);
    for (std::size_t length = 0; length < closing; ++length) {
        const std::string path = PathOf("cut" + std::to_string(length) + ".lua");
        const std::string cut = whole.substr(0, length);
        WriteFile(path, cut);
        bool received = false;
        ASSERT_EQ(LoadDataFile(state, path, "LoadConfig", [&](const LuaObject&) { received = true; }),
                  DataFileResult::Bad)
            << "cut at " << length;
        EXPECT_FALSE(received);
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(ReadFile(path + ".bad"), cut);
    }
    ExpectStateIntact();

    const std::string path = PathOf("whole.lua");
    WriteFile(path, whole);
    EXPECT_EQ(LoadDataFile(state, path, "LoadConfig", [](const LuaObject&) {}), DataFileResult::Loaded);
}

TEST_F(DataFileTest, GoodMissingAndRepeatedBadFiles)
{
    const std::string path = PathOf("card.lua");
    EXPECT_EQ(LoadDataFile(state, path, "Player", [](const LuaObject&) { FAIL(); }), DataFileResult::Missing);
    EXPECT_TRUE(Listing().empty());

    // A Lua receiver, as the player scripts give; the file stays where it is.
    WriteFile(path, "Player {\n    name = \"Ann\",\n    scores = { 10, 20 },\n}\n");
    Run("function receive(t) received = t end");
    EXPECT_EQ(LoadDataFile(state, path, "Player", state.GetGlobal("receive")), DataFileResult::Loaded);
    EXPECT_EQ(Eval("received.name .. received.scores[2]").GetString(), "Ann20");
    EXPECT_EQ(Listing(), std::vector<std::string>{"card.lua"});
    ExpectStateIntact();

    // A receiver that refuses the data makes the file bad too; an earlier bad copy is never replaced.
    EXPECT_EQ(LoadDataFile(state, path, "Player",
                           [](const LuaObject&) { VELK_THROW(ScriptError, "no such player slot"); }),
              DataFileResult::Bad);
    EXPECT_TRUE(LogHas("no such player slot"));
    WriteFile(path, "Player {");
    EXPECT_EQ(LoadDataFile(state, path, "Player", [](const LuaObject&) {}), DataFileResult::Bad);
    EXPECT_EQ(Listing(), (std::vector<std::string>{"card.lua.bad", "card.lua.bad.2"}));
    EXPECT_EQ(ReadFile(path + ".bad.2"), "Player {");
    EXPECT_TRUE(LogHas("it was kept as \"" + path + ".bad.2\""));
}

TEST_F(DataFileTest, AnythingThrownWhileLoadingKeepsTheFileAside)
{
    struct Case
    {
        const char* name;
        std::function<void()> thrower;
        const char* reason;
    };
    const Case cases[] = {
        {"memory", [] { throw std::bad_alloc(); }, "(out of memory)"},
        {"a standard exception", [] { throw std::runtime_error("disk on fire"); }, "(disk on fire)"},
        {"anything else", [] { throw 7; }, "(an unknown failure)"},
    };
    const std::string path = PathOf("Player1.card");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLogCache();
        WriteFile(path, "Player { guid = 4001 }");
        EXPECT_EQ(LoadDataFile(state, path, "Player", [&](const LuaObject&) { c.thrower(); }), DataFileResult::Bad);
        EXPECT_EQ(Listing(), std::vector<std::string>{"Player1.card.bad"});
        EXPECT_TRUE(LogHas("WARNING: Could not load \"" + path + "\" " + c.reason)) << LogText();
        ExpectStateIntact();
        std::filesystem::remove(path + ".bad");
    }
}

TEST_F(DataFileTest, ACardAtTheSizeCapOfPunctuationIsBadWithinBoundedMemory)
{
    // Each byte a token: what costs the most to take apart.
    const std::string path = PathOf("Player1.card");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string block(1u << 20, '{');
        for (std::size_t written = 0; written < kDataFileMemoryLimit; written += block.size())
            out << block;
    }
    ASSERT_EQ(std::filesystem::file_size(path), kDataFileMemoryLimit);

    // Loaded in a child that may grow its address space by 1 GB at most (added
    // to what it has, which under AddressSanitizer is a huge reservation).
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        struct rlimit cap;
        ::getrlimit(RLIMIT_AS, &cap);
        cap.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (1ull << 30);
        if (::setrlimit(RLIMIT_AS, &cap) != 0)
            ::_exit(3);
        DataFileResult result = LoadDataFile(state, path, "Player", [](const LuaObject&) {});
        ::_exit(result != DataFileResult::Bad ? 1 : LogHas("WARNING: Could not load") ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Listing(), std::vector<std::string>{"Player1.card.bad"});
}

TEST_F(DataFileTest, TextsThatMayCallTheLoaderMoreThanOnce)
{
    std::vector<std::string> got;
    auto collect = [&](const LuaObject& table) { got.push_back(table["a"].GetString()); };
    LoadDataText(state, "Meta { a = 'x' } Meta { a = 'y' }", "=parts", "Meta", collect, DataLoaderCalls::AtLeastOnce);
    EXPECT_EQ(got, (std::vector<std::string>{"x", "y"}));

    // Nothing is handed over when a later call fails, and no call at all is still no data.
    got.clear();
    EXPECT_THROW(LoadDataText(state, "Meta { a = 'x' } Meta { f = function() end }", "=parts", "Meta", collect,
                              DataLoaderCalls::AtLeastOnce),
                 ScriptError);
    EXPECT_THROW(LoadDataText(state, "-- nothing", "=parts", "Meta", collect, DataLoaderCalls::AtLeastOnce),
                 ScriptError);
    EXPECT_TRUE(got.empty());
    ExpectStateIntact();
}

TEST_F(DataFileTest, FailedWritesKeepTheOldFileAndLaterWritesWork)
{
    const std::string path = PathOf("settings.lua");
    WriteFile(path, kOldSettings);
    struct Case
    {
        const char* name;
        std::string call;
        const char* error;
    };
    const std::string target = "'" + path + "'";
    const Case cases[] = {
        {"a thread late in the table",
         "Serialize({ a = 1, b = { c = 2 }, zz = coroutine.create(function() end) }, " + target + ", 'LoadConfig ')",
         "Cannot serialize a LuaObject of type, \"thread\"."},
        {"a cycle", "local t = { a = 1 } t.z = { back = t } Serialize(t, " + target + ", 'LoadConfig ')",
         "contains itself"},
        {"a failing prefix", "Serialize({ a = 1 }, " + target + ", function() error('no header') end)", "no header"},
        {"the output closed underneath",
         "Serialize({ a = 1 }, " + target + ", function() io.output():close() return 'LoadConfig ' end)",
         "closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string message = FailureOf([&] { Run(c.call); });
        EXPECT_NE(message.find(c.error), std::string::npos) << message;
        EXPECT_EQ(ReadFile(path), kOldSettings);
        EXPECT_EQ(Listing(), std::vector<std::string>{"settings.lua"});
        EXPECT_TRUE(OutputRestored());
    }

    // The same from C++, for writers that run their own steps between open and close.
    EXPECT_THROW(WriteOutputFile(state, path,
                                 [&] {
                                     Run("io.write('LoadConfig {')");
                                     VELK_THROW(Exception, "stopped half way");
                                 }),
                 Exception);
    EXPECT_EQ(ReadFile(path), kOldSettings);
    EXPECT_TRUE(OutputRestored());

    Run("Serialize({ music_volume = 40 }, " + target + ", 'LoadConfig ')");
    EXPECT_EQ(ReadFile(path), "LoadConfig {\n    music_volume = 40,\n}\n");
    EXPECT_EQ(Listing(), std::vector<std::string>{"settings.lua"});
    double volume = 0;
    EXPECT_EQ(LoadDataFile(state, path, "LoadConfig",
                           [&](const LuaObject& t) { volume = t["music_volume"].GetNumber(); }),
              DataFileResult::Loaded);
    EXPECT_EQ(volume, 40);
}

TEST_F(DataFileTest, OutputFilesThatCannotBeOpenedOrReplaced)
{
    // No folder to write in: nothing is swapped.
    std::string message = FailureOf([&] { Run("Serialize({}, '" + PathOf("absent/settings.lua") + "', '')"); });
    EXPECT_NE(message.find("Could not open output file \"" + PathOf("absent/settings.lua") + "\""),
              std::string::npos)
        << message;
    EXPECT_TRUE(OutputRestored());

    // A folder in the way of the rename: the text is discarded, not left beside it.
    std::filesystem::create_directories(dir / "inTheWay" / "child");
    message = FailureOf([&] { Run("Serialize({ a = 1 }, '" + PathOf("inTheWay") + "', '')"); });
    EXPECT_NE(message.find("Could not write \"" + PathOf("inTheWay") + "\""), std::string::npos) << message;
    EXPECT_EQ(Listing(), std::vector<std::string>{"inTheWay"});
    EXPECT_TRUE(OutputRestored());

    // Output files do not nest; the one already open still completes.
    const std::string first = PathOf("first.txt");
    Run("OpenOutputFile('" + first + "')");
    message = FailureOf([&] { Run("OpenOutputFile('" + PathOf("second.txt") + "')"); });
    EXPECT_NE(message.find("an output file is already open"), std::string::npos) << message;
    Run("io.write('done') CloseOutputFile()");
    EXPECT_EQ(ReadFile(first), "done");
    EXPECT_EQ(Listing(), (std::vector<std::string>{"first.txt", "inTheWay"}));
    EXPECT_TRUE(OutputRestored());
}
