#include "engine/core/VelkLuaState.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "platform/lua/LuaFunction.h"
#include "support/FakeCoreHost.h"

#include <gtest/gtest.h>

namespace {

int FirstRegistration(lua_State* L)
{
    lua_pushstring(L, "first");
    return 1;
}

int SecondRegistration(lua_State* L)
{
    lua_pushstring(L, "second");
    return 1;
}

ScriptFunctionRegistration s_first(FirstRegistration, "registeredTwice");
ScriptFunctionRegistration s_second(SecondRegistration, "registeredTwice");
StartupSourceRegistration s_startup("startupSourceRan = true\n");

// A bound member in the shape of every Lua-bound wrapper: guard, call, finish.
int BoundWait(lua_State* L)
{
    ScriptCallGuard::Enter();
    ScriptCallGuard::RequestYield();
    lua_pushstring(L, "waiting");
    return FinishScriptFunctionCall(L, 1);
}

int BoundNow(lua_State* L)
{
    ScriptCallGuard::Enter();
    lua_pushstring(L, "now");
    return FinishScriptFunctionCall(L, 1);
}

class VelkLuaStateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state = VelkLuaState::Create();
        VelkLuaState::RunStartupScript(state);
    }
    void TearDown() override { VelkLuaState::Destroy(); }

    std::string FailureOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const ScriptError& e) {
            return "ScriptError: " + e.GetMessage();
        } catch (const Exception& e) {
            return "Exception: " + e.GetMessage();
        }
        return "no failure";
    }

    FakeCoreHost host{4};
    LuaState state;
};

} // namespace

TEST_F(VelkLuaStateTest, CreateReturnsTheSameStateWithoutReseeding)
{
    VelkLuaState::LoadStringA(state, "math.randomseed(42) first = math.random() math.randomseed(42)", 0, 0);
    EXPECT_EQ(VelkLuaState::Create(), state);
    VelkLuaState::LoadStringA(state, "second = math.random()", 0, 0);
    EXPECT_EQ(state.GetGlobal("first").GetNumber(), state.GetGlobal("second").GetNumber());
}

TEST_F(VelkLuaStateTest, StartupRunsSourceAndRegistersFunctionsLaterWins)
{
    EXPECT_TRUE(state.GetGlobal("startupSourceRan").GetBoolean());
    EXPECT_EQ(LuaFunction<std::string>(state.GetGlobal("registeredTwice"))(), "second");
    EXPECT_TRUE(state.GetGlobal("logprint").IsFunction());
}

TEST_F(VelkLuaStateTest, LogprintWritesTextUnchanged)
{
    ClearLogCache();
    VelkLuaState::LoadStringA(state, "logprint('100% %s')", 0, 0);
    EXPECT_EQ(GetCachedLogLines().back(), "100% %s\n");
}

TEST_F(VelkLuaStateTest, LoadStringTexts)
{
    EXPECT_EQ(FailureOf([&] { VelkLuaState::LoadStringA(state, "x = = 1", 0, 0); }).rfind(
                  "ScriptError: Error in LoadString: ", 0),
              0u);
    std::string runError = FailureOf([&] { VelkLuaState::LoadStringA(state, "error('bad thing')", 0, 0); });
    EXPECT_EQ(runError.rfind("ScriptError: Error in PCall: ", 0), 0u);
    EXPECT_NE(runError.find("bad thing\n"), std::string::npos);
    EXPECT_EQ(FailureOf([&] { VelkLuaState::LoadStringA(state, "error({})", 0, 0); }),
              "ScriptError: Unknown error in PCall\n");
    EXPECT_EQ(state.GetTop(), 0);

    state.PushNumber(20);
    state.PushNumber(22);
    VelkLuaState::LoadStringA(state, "local a, b = ... return a + b", 2, 1);
    EXPECT_EQ(state.Stack(-1).GetNumber(), 42);
    state.Pop();
}

TEST_F(VelkLuaStateTest, GetVariantByLuaType)
{
    VelkLuaState::LoadStringA(state, "return nil, 2.5, 'text', false, {}", 0, 5);
    EXPECT_TRUE(VelkLuaState::GetVariant(state, 1).IsEmpty());
    EXPECT_EQ(VelkLuaState::GetVariant(state, 2).ToDouble(), 2.5);
    EXPECT_EQ(VelkLuaState::GetVariant(state, 3).ToString(), "text");
    EXPECT_FALSE(VelkLuaState::GetVariant(state, 4).ToBool());
    EXPECT_EQ(FailureOf([&] { VelkLuaState::GetVariant(state, 5); }),
              "ScriptError: Could not convert type table to a Variant.\n");
    state.SetTop(0);
}

TEST_F(VelkLuaStateTest, StoreAssignsValuesExactly)
{
    VelkLuaState::LoadStringA(state, "Config = {}", 0, 0);
    const std::string lhs = "Config[\"music_volume\"]";
    auto stored = [&] { return state.GetGlobal("Config")["music_volume"]; };

    VelkLuaState::Store(state, lhs, Variant(40.0));
    EXPECT_EQ(stored().GetNumber(), 40);
    VelkLuaState::Store(state, lhs, Variant(true));
    EXPECT_TRUE(stored().IsBoolean());
    EXPECT_TRUE(stored().GetBoolean());
    VelkLuaState::Store(state, lhs, Variant(std::string("say \"hi\"\nand ]] bye\\")));
    EXPECT_EQ(stored().GetString(), "say \"hi\"\nand ]] bye\\");
    VelkLuaState::Store(state, lhs, Variant(1.0e300));
    EXPECT_EQ(stored().GetNumber(), 1.0e300);
    VelkLuaState::Store(state, lhs, Variant(0.1));
    EXPECT_EQ(stored().GetNumber(), 0.1);
    VelkLuaState::Store(state, lhs, Variant());
    EXPECT_TRUE(stored().IsNil());
    EXPECT_EQ(state.GetTop(), 0);
}

TEST_F(VelkLuaStateTest, TypedReadsCallFunctionsAndRefuseOtherTypes)
{
    VelkLuaState::LoadStringA(state, "seven = function() return 7 end word = 'seven' flag = true "
                                     "wrongly = function() return 'x' end", 0, 0);
    LuaObject seven = state.GetGlobal("seven");
    LuaObject word = state.GetGlobal("word");
    EXPECT_EQ(ReadIntegerFromObject(seven), 7);
    EXPECT_EQ(ReadNumberFromObject(seven), 7.0);
    EXPECT_EQ(ReadStringFromObject(word), "seven");
    EXPECT_TRUE(ReadBooleanFromObject(state.GetGlobal("flag")));
    EXPECT_EQ(FailureOf([&] { ReadIntegerFromObject(word); }),
              "Exception: Object is not an integer, but rather a string.");
    EXPECT_EQ(FailureOf([&] { ReadNumberFromObject(state.GetGlobal("flag")); }),
              "Exception: Object is not a number, but rather a boolean.");
    EXPECT_EQ(FailureOf([&] { ReadStringFromObject(seven); }),
              "Exception: Object is not a string, but rather a number.");
    EXPECT_EQ(FailureOf([&] { ReadBooleanFromObject(state.GetGlobal("missing")); }),
              "Exception: Object is not a boolean, but rather a nil.");
    EXPECT_EQ(ReadIntegerOrDefault(word, 3), 3);
    EXPECT_EQ(ReadStringOrDefault(state.GetGlobal("flag"), "d"), "d");
    EXPECT_FALSE(ReadBooleanOrDefault(word, false));
    EXPECT_EQ(ReadIntegerOrDefault(seven, 3), 7);
    EXPECT_EQ(FailureOf([&] { ReadIntegerOrDefault(state.GetGlobal("wrongly"), 3); }),
              "Exception: Object is not an integer, but rather a string.");
}

TEST_F(VelkLuaStateTest, DoResourceFileRunsAndReportsFailures)
{
    host.AddResource("Good.lua", "goodRan = 1 + 1");
    host.AddResource("Syntax.lua", "x = = 2");
    host.AddResource("Fails.lua", "\n\nerror('runtime trouble')");
    host.AddResource("FailsQuietly.lua", "error({})");

    VelkLuaState::DoResourceFile(state, "Good.lua");
    EXPECT_EQ(state.GetGlobal("goodRan").GetInteger(), 2);
    EXPECT_EQ(host.resources["Good.lua"]->closes, 1);

    std::string compile = FailureOf([&] { VelkLuaState::DoResourceFile(state, "Syntax.lua"); });
    EXPECT_EQ(compile.rfind("ScriptError: Could not compile Lua resource file:\nfile = Syntax.lua\nerror = ", 0), 0u);
    EXPECT_NE(compile.find("Syntax.lua"), compile.rfind("Syntax.lua"));  // the error text names the chunk too
    EXPECT_EQ(host.resources["Syntax.lua"]->closes, 1);

    std::string run = FailureOf([&] { VelkLuaState::DoResourceFile(state, "Fails.lua"); });
    EXPECT_EQ(run.rfind("ScriptError: Could not execute Lua resource file\nfile = Fails.lua\nerror = ", 0), 0u);
    EXPECT_NE(run.find(":3: runtime trouble"), std::string::npos);
    EXPECT_EQ(FailureOf([&] { VelkLuaState::DoResourceFile(state, "FailsQuietly.lua"); }),
              "ScriptError: Could not execute Lua resource file\nfile = FailsQuietly.lua\n");

    EXPECT_THROW(VelkLuaState::DoResourceFile(state, "Missing.lua"), ResourceNotFoundException);
    EXPECT_EQ(state.GetTop(), 0);
}

TEST_F(VelkLuaStateTest, PanicThrowsWithTheErrorFromTheTopOfTheStack)
{
    lua_State* L = state.GetCState();
    lua_pushstring(L, "bottom");
    lua_pushstring(L, "the real error");
    EXPECT_EQ(FailureOf([&] { lua_error(L); }), "ScriptError: Error caught from Lua subsystem: \"the real error\"");
    lua_settop(L, 0);
    lua_newtable(L);
    EXPECT_EQ(FailureOf([&] { lua_error(L); }),
              "ScriptError: Error caught from Lua subsystem: \"(error value of type table)\"");
    lua_settop(L, 0);
}

TEST_F(VelkLuaStateTest, BoundMemberYieldsItsCoroutineAndResumesAfterTheCall)
{
    state.PushCFunction(BoundWait);
    state.SetGlobal("wait");
    state.PushCFunction(BoundNow);
    state.SetGlobal("now");
    VelkLuaState::LoadStringA(state,
                              "function body() trace = now() local r = wait() trace = trace .. ' after ' .. r end",
                              0, 0);

    LuaState thread = state.NewThread();
    LuaObject keepThread = LuaObject::PopFrom(state);
    state.GetGlobal("body").Push(thread);

    ASSERT_EQ(thread.Resume(0), LUA_YIELD);
    EXPECT_EQ(state.GetGlobal("trace").GetString(), "now");
    ASSERT_EQ(thread.GetTop(), 1);
    EXPECT_EQ(thread.Stack(1).GetString(), "waiting");
    thread.SetTop(0);
    EXPECT_EQ(ScriptCallGuard::Depth(), 0u);

    thread.PushString("resumed");
    ASSERT_EQ(thread.Resume(1), 0);
    EXPECT_EQ(state.GetGlobal("trace").GetString(), "now after resumed");
}

TEST_F(VelkLuaStateTest, OutputFileFunctionsCallTheStartupSource)
{
    VelkLuaState::LoadStringA(state, "calls = '' function OpenOutputFile(name) calls = calls .. 'open ' .. name end "
                                     "function CloseOutputFile() calls = calls .. ' close' end", 0, 0);
    OpenOutputFile("out.txt", state);
    CloseOutputFile(state);
    EXPECT_EQ(state.GetGlobal("calls").GetString(), "open out.txt close");
}
