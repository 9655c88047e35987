#include "platform/lua/LuaFunction.h"
#include "platform/lua/LuaObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

namespace {

class LuaObjectTest : public ::testing::Test
{
protected:
    void SetUp() override { state = LuaState::Create(); }
    void TearDown() override
    {
        if (state)
            LuaState::Destroy(state);
    }
    void Run(const char* source) { ASSERT_EQ(state.DoString(source), 0) << state.PopErrorMessage(); }
    LuaState state;
};

int ThrowsException(lua_State*)
{
    VELK_THROW(Exception, "native failed: 100% sure");
}

int ThrowsStdException(lua_State*)
{
    throw std::runtime_error("standard failure");
}

int CallsLuaError(lua_State* L)
{
    return luaL_error(L, "lua-side failure");
}

struct ForeignFailure
{
};

int ThrowsForeign(lua_State*)
{
    throw ForeignFailure();
}

int ThrowsInt(lua_State*)
{
    throw 7;
}

// Calls its argument unprotected: the Lua error unwinds through this native.
int CallsThrough(lua_State* L)
{
    lua_call(L, 0, 0);
    return 0;
}

int AddsUpvalue(lua_State* L)
{
    lua_pushnumber(L, lua_tonumber(L, VelkUpvalueIndex(1)) + lua_tonumber(L, 1));
    return 1;
}

} // namespace

TEST_F(LuaObjectTest, TablesReadWriteAndCount)
{
    LuaObject globals = state.GetGlobals();
    LuaObject t = globals.CreateTable("t");
    t.SetNumber("n", 2.5);
    t.SetString("s", "text with \"quotes\"\n");
    t.SetBoolean("b", false);
    t.SetNumber(1, 10);
    t.Insert(globals["t"]["n"]);
    Run("assert(t.n == 2.5 and t.s == 'text with \"quotes\"\\n' and t.b == false and t[1] == 10 and t[2] == 2.5)");

    EXPECT_TRUE(t["n"].IsNumber());
    EXPECT_FALSE(t["n"].IsInteger());
    EXPECT_TRUE(t[1].IsInteger());
    EXPECT_EQ(t[1].GetInteger(), 10);
    // Numbers no integer can hold are not integers (and are not cast to find out).
    Run("big = { 0/0, 1/0, -1/0, 2^63, -2^63 }");
    LuaObject big = globals["big"];
    EXPECT_FALSE(big[1].IsInteger());
    EXPECT_FALSE(big[2].IsInteger());
    EXPECT_FALSE(big[3].IsInteger());
    EXPECT_FALSE(big[4].IsInteger());
    EXPECT_TRUE(big[5].IsInteger());
    EXPECT_TRUE(t["b"].IsBoolean());
    EXPECT_FALSE(t["b"].GetBoolean());
    EXPECT_TRUE(t["missing"].IsNil());
    EXPECT_TRUE(t["n"]["deeper"].IsNil());  // indexing a number reads nil, never raises
    EXPECT_EQ(t.GetN(), 2);
    EXPECT_EQ(t.GetTableCount(), 5);
    EXPECT_STREQ(t.TypeName(), "table");
    EXPECT_EQ(t["s"].GetString(), "text with \"quotes\"\n");
    EXPECT_EQ(t["n"].GetString(), "");  // numbers are not converted to text

    t.SetNil("s");
    EXPECT_TRUE(t["s"].IsNil());
    EXPECT_EQ(globals["t"], t);
}

TEST_F(LuaObjectTest, IteratorVisitsEveryEntry)
{
    Run("walk = {a = 1, b = 2, 3}");
    std::map<std::string, double> seen;
    for (LuaTableIterator it(state.GetGlobal("walk")); it; it.Next()) {
        std::string key = it.GetKey().IsString() ? it.GetKey().GetString() : std::to_string(it.GetKey().GetInteger());
        seen[key] = it.GetValue().GetNumber();
    }
    EXPECT_EQ(seen, (std::map<std::string, double>{{"1", 3}, {"a", 1}, {"b", 2}}));
    EXPECT_FALSE(LuaTableIterator(state.GetGlobal("nothing")).IsValid());
}

TEST_F(LuaObjectTest, MetatablesAndIndexThroughMetamethods)
{
    Run("base = {greeting = 'hi'} derived = setmetatable({}, {__index = base})");
    LuaObject derived = state.GetGlobal("derived");
    EXPECT_EQ(derived["greeting"].GetString(), "hi");
    EXPECT_TRUE(derived.RawGetByName("greeting").IsNil());
    EXPECT_TRUE(derived.GetMetaTable().IsTable());

    LuaObject meta;
    meta.AssignNewTable(state);
    meta.SetObject("__index", state.GetGlobal("base"));
    LuaObject other;
    other.AssignNewTable(state);
    other.SetMetaTable(meta);
    EXPECT_EQ(other["greeting"].GetString(), "hi");
}

TEST_F(LuaObjectTest, AFieldIsTestedInPlaceAndTheStackLeftAsItWas)
{
    Run("calls = 0 record = setmetatable({level = 3, half = 2.5, kind = 'Classic'},"
        "  {__index = function() calls = calls + 1 return 7 end}) number = 4");
    LuaObject record = state.GetGlobal("record");
    state.PushString("below");
    const auto isInteger = [](const LuaStackObject& v) { return v.IsInteger(); };
    const auto isNil = [](const LuaStackObject& v) { return v.IsNil(); };
    EXPECT_TRUE(record.TestRawField("level", [](const LuaStackObject& v) { return v.GetNumber() == 3; }));
    EXPECT_TRUE(record.TestRawField("level", isInteger));
    EXPECT_FALSE(record.TestRawField("half", isInteger));
    EXPECT_TRUE(record.TestRawField("kind", [](const LuaStackObject& v) { return v.GetString() == "Classic"; }));
    // Raw: the missing key is nil, not what __index would give.
    EXPECT_TRUE(record.TestRawField("missing", isNil));
    EXPECT_EQ(state.GetGlobal("calls").GetInteger(), 0);
    // A value that is not a table has nil fields; an unbound handle passes no test.
    EXPECT_TRUE(state.GetGlobal("number").TestRawField("level", isNil));
    EXPECT_FALSE(LuaObject().TestRawField("level", isNil));
    // A test that throws leaves the stack as it was too.
    EXPECT_THROW(record.TestRawField("level", [](const LuaStackObject&) -> bool { throw std::runtime_error("x"); }),
                 std::runtime_error);
    EXPECT_EQ(state.GetTop(), 1);
    EXPECT_EQ(state.Stack(1).GetString(), "below");
    state.SetTop(0);
}

TEST_F(LuaObjectTest, MetamethodFailuresFromNativeCodeAreLuaExceptionsAndKeepTheStack)
{
    state.GetGlobals().Register("throwsException", ThrowsException);
    Run("calls = 0 "
        "guarded = setmetatable({kept = 1}, {"
        "  __index = function(t, k) calls = calls + 1 error('no reading ' .. k, 0) end,"
        "  __newindex = function(t, k, v) calls = calls + 1 error('no writing ' .. k, 0) end}) "
        "native = setmetatable({}, {__index = function() throwsException() end}) "
        "self = newproxy(true) getmetatable(self).__index = function(u, k) error('no field ' .. k, 0) end");
    LuaObject guarded = state.GetGlobal("guarded");
    state.PushString("below");
    state.PushNumber(1);
    const int top = state.GetTop();

    struct Case
    {
        const char* name;
        std::function<void()> action;
        std::string message;
    };
    const Case cases[] = {
        {"read", [&] { guarded.GetByName("missing"); }, "no reading missing"},
        {"read by index", [&] { guarded.GetByIndex(4); }, "no reading 4"},
        {"write", [&] { guarded.SetNumber("fresh", 2); }, "no writing fresh"},
        {"write by index", [&] { guarded.SetString(5, "x"); }, "no writing 5"},
        {"native metamethod", [&] { state.GetGlobal("native").GetByName("x"); }, "native failed: 100% sure"},
        {"userdata self", [&] { state.GetGlobal("self").GetByName("size"); }, "no field size"},
        {"nil key", [&] { state.GetGlobals().SetObject(LuaObject(state), LuaObject(state)); }, "table index is nil"},
        {"index a number", [&] { state.GetGlobal("calls").SetNumber("x", 1); }, "attempt to index a number value"},
    };
    for (const Case& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << c.name << ": no failure";
        } catch (const LuaException& e) {
            EXPECT_NE(e.GetMessage().find(c.message), std::string::npos) << c.name << ": " << e.GetMessage();
        }
        EXPECT_EQ(state.GetTop(), top) << c.name;
    }
    EXPECT_EQ(state.Stack(1).GetString(), "below");
    state.SetTop(0);

    // A key the table holds never reaches the metamethods; raw access never does.
    int calls = state.GetGlobal("calls").GetInteger();
    EXPECT_EQ(guarded["kept"].GetInteger(), 1);
    guarded.SetNumber("kept", 3);
    EXPECT_EQ(guarded.RawGetByName("kept").GetInteger(), 3);
    EXPECT_TRUE(guarded.RawGetByName("missing").IsNil());
    EXPECT_EQ(state.GetGlobal("calls").GetInteger(), calls);
    // A value with no __index reads as nil.
    EXPECT_TRUE(state.GetGlobal("calls")["x"].IsNil());
    EXPECT_EQ(state.GetTop(), 0);
}

TEST_F(LuaObjectTest, GlobalsGoThroughTheirMetatableProtected)
{
    Run("setmetatable(_G, {__index = function(t, k) error('undeclared ' .. k, 0) end, "
        "__newindex = function(t, k, v) if k == 'refused' then error('refused', 0) end rawset(t, k, v) end})");
    EXPECT_EQ(state.GetGlobal("print").IsFunction(), true);
    state.PushString("left");
    try {
        state.GetGlobal("nowhere");
        ADD_FAILURE();
    } catch (const LuaException& e) {
        EXPECT_EQ(e.GetMessage(), "undeclared nowhere");
    }
    EXPECT_EQ(state.GetTop(), 1);
    state.PushNumber(4);
    state.SetGlobal("allowed");
    EXPECT_EQ(state.GetTop(), 1);
    state.PushNumber(5);
    EXPECT_THROW(state.SetGlobal("refused"), LuaException);
    EXPECT_EQ(state.GetTop(), 1);
    EXPECT_EQ(state.Stack(1).GetString(), "left");
    EXPECT_EQ(state.GetGlobal("allowed").GetInteger(), 4);
    state.SetTop(0);
}

TEST_F(LuaObjectTest, FunctionsCallWithTypedResults)
{
    Run("function add(a, b) return a + b end function greet(name) return 'hi ' .. name end "
        "function fail() error('scripted failure') end function yes() return true end");
    EXPECT_EQ(LuaFunction<int>(state.GetGlobal("add"))(2, 3), 5);
    EXPECT_EQ(LuaFunction<std::string>(state.GetGlobal("greet"))(std::string("you")), "hi you");
    EXPECT_TRUE(LuaFunction<bool>(state.GetGlobal("yes"))());
    EXPECT_EQ(state.GetTop(), 0);

    try {
        LuaFunction<void>(state.GetGlobal("fail"))();
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_NE(e.GetMessage().find("scripted failure"), std::string::npos);
    }
    EXPECT_THROW(LuaFunction<void>(state.GetGlobal("missing"))(), LuaException);
    EXPECT_THROW(LuaFunction<int>(state.GetGlobal("greet"))("x"), LuaException);  // a string is not a number
    EXPECT_EQ(state.GetTop(), 0);
}

TEST_F(LuaObjectTest, NativeExceptionsBecomeLuaErrorsWithTheSameText)
{
    LuaObject globals = state.GetGlobals();
    globals.Register("throwsException", ThrowsException);
    globals.Register("throwsStd", ThrowsStdException);
    globals.Register("callsLuaError", CallsLuaError);
    Run("local ok, e = pcall(throwsException) assert(not ok and e == 'native failed: 100% sure', e)");
    Run("local ok, e = pcall(throwsStd) assert(not ok and e == 'standard failure', e)");
    Run("local ok, e = pcall(callsLuaError) assert(not ok and string.find(e, 'lua%-side failure'), e)");
    // Any other type is named; Lua's own error raised further in keeps its text.
    globals.Register("throwsForeign", ThrowsForeign);
    globals.Register("throwsInt", ThrowsInt);
    globals.Register("callsThrough", CallsThrough);
    Run("local ok, e = pcall(throwsForeign) "
        "assert(not ok and e == 'unexpected exception of type (anonymous namespace)::ForeignFailure', e)");
    Run("local ok, e = pcall(throwsInt) assert(not ok and e == 'unexpected exception of type int', e)");
    Run("local ok, e = pcall(callsThrough, function() error({code = 3}) end) assert(not ok and e.code == 3)");
    Run("local ok, e = pcall(callsThrough, throwsForeign) assert(not ok and string.find(e, 'ForeignFailure'), e)");
    EXPECT_EQ(state.GetTop(), 0);

    // And back again: C++ calling Lua that called the native gets the text in a LuaException.
    Run("function relay() throwsException() end");
    try {
        LuaFunction<void>(state.GetGlobal("relay"))();
        FAIL();
    } catch (const LuaException& e) {
        EXPECT_NE(e.GetMessage().find("native failed: 100% sure"), std::string::npos);
    }
}

TEST_F(LuaObjectTest, GuardedNativeKeepsItsUpvalues)
{
    state.PushNumber(40);
    state.PushCFunction(AddsUpvalue, 1);
    state.SetGlobal("add40");
    Run("assert(add40(2) == 42)");
}

TEST_F(LuaObjectTest, HandlesOutliveTheirState)
{
    LuaObject kept;
    kept.AssignString(state, "still here");
    LuaObject copy = kept;
    LuaState::Destroy(state);
    state = LuaState();
    EXPECT_FALSE(kept.IsBound());
    EXPECT_TRUE(copy.IsNil());
    EXPECT_EQ(copy.GetString(), "");
}

TEST_F(LuaObjectTest, ValuesMoveBetweenThreads)
{
    LuaState thread = state.NewThread();
    LuaObject threadRef = LuaObject::PopFrom(state);
    thread.PushString("from thread");
    LuaObject value(thread, -1);
    thread.Pop();
    EXPECT_EQ(value.GetState(), state.GetMainState());
    value.Push(thread);
    thread.XMove(state, 1);
    EXPECT_EQ(state.Stack(-1).GetString(), "from thread");
    state.Pop();
    EXPECT_TRUE(threadRef.IsThread());
}
