#include "platform/lua/LuaDialect.h"
#include "platform/lua/LuaState.h"

#include <gtest/gtest.h>

namespace {

struct DialectCase
{
    const char* name;
    const char* source;
    const char* expected;  // tostring of the chunk's result
};

const DialectCase kCases[] = {
    {"ForInPlainTable", "local s = 0 for k, v in {1, 2, 3} do s = s + v end return s", "6"},
    {"ForInOneName", "local n = 0 for k in {a = 1, b = 2} do n = n + 1 end return n", "2"},
    {"ForInPairsUnchanged", "local s = 0 for k, v in pairs({x = 4}) do s = s + v end return s", "4"},
    {"ForInIteratorFunction", "local s = '' for w in string.gmatch('a b c', '%a') do s = s .. w end return s",
     "abc"},
    {"ForInTableFromCall", "local function f() return {4, 5} end local s = 0 for _, v in f() do s = s + v end return s",
     "9"},
    {"ForInNextTriple", "local t = {7} local s = 0 for k, v in next, t do s = s + v end return s", "7"},
    {"NumericForUntouched", "local s = 0 for i = 1, 4 do s = s + i end return s", "10"},
    {"ContinueNumericFor", "local s = 0 for i = 1, 5 do if i % 2 == 0 then continue end s = s + i end return s", "9"},
    {"ContinueGenericFor",
     "local s = 0 for _, v in {1, 2, 3, 4} do if v == 3 then continue end s = s + v end return s", "7"},
    {"ContinueWhile",
     "local i, s = 0, 0 while i < 5 do i = i + 1 if i == 2 then continue end s = s + i end return s", "13"},
    {"ContinueRepeat",
     "local i, s = 0, 0 repeat i = i + 1 if i == 2 then continue end s = s + i until i >= 4 return s", "8"},
    {"BreakInLoopWithContinue",
     "local i, s = 0, 0 while true do i = i + 1 if i > 5 then break end if i % 2 == 0 then continue end "
     "s = s + i end return s",
     "9"},
    {"ContinueInInnerLoopOnly",
     "local s = 0 for i = 1, 3 do for j = 1, 3 do if j == 2 then continue end s = s + j end "
     "if i == 2 then break end end return s",
     "8"},
    {"ContinueInFunctionInsideLoop",
     "local s = 0 for i = 1, 2 do local f = function() for j = 1, 3 do if j == 1 then continue end s = s + j end end "
     "f() end return s",
     "10"},
    {"StringsAndCommentsUntouched",
     "local s = \"for k, v in t do continue end\" -- continue\n--[[ for x in y do continue end ]] return s",
     "for k, v in t do continue end"},
    {"LongStringsUntouched", "local s = [[continue]] .. [==[ for x in y do ]==] return s", "continue for x in y do "},
    {"ContinueAsFieldName", "local t = {continue = 5} return t.continue + t['continue']", "10"},
    // `continue` as an ordinary name inside loops: left alone, as plain Lua runs it.
    {"ContinueAsSecondLocal",
     "local function step(i) return i * 2, i < 3 end local last for i = 1, 5 do local value, continue = step(i) "
     "last = value if not continue then break end end return last",
     "6"},
    {"ContinueAsLocalTestedWithNot",
     "local n = 0 for i = 1, 3 do local continue = i < 3 if not continue then n = n + 10 end n = n + 1 end return n",
     "13"},
    {"ContinueAsAssignmentTarget",
     "local continue, s = true, 0 for i = 1, 4 do continue = i ~= 3 if continue then s = s + i end end return s",
     "7"},
    {"ContinueInAssignmentList", "local a, continue = 0, 0 for i = 1, 2 do a, continue = i, a end return continue",
     "1"},
    {"ContinueAsArgument",
     "local function id(x) return x end local s, continue = 0, 2 for i = 1, 2 do s = s + id(continue) end return s",
     "4"},
    {"ContinueAsOperand",
     "local continue, s = 3, 0 for i = 1, 2 do s = s + continue * i end "
     "while continue > 0 do continue = continue - 1 end return s + continue",
     "9"},
    {"ContinueInConstructorAndIndex",
     "for i = 1, 1 do local continue = 2 local t = {continue, [continue] = 5} return t[1] + t[continue] end", "7"},
    {"ContinueReturned", "for i = 1, 2 do local continue = i * 3 return continue end", "3"},
    {"ContinueAsParameter",
     "local function f(continue) for i = 1, 2 do if continue then return i end end return 0 end return f(true)", "1"},
    {"ContinueAsCalledFunction",
     "local s = '' local function continue(x) s = s .. x end for i = 1, 2 do continue(i) continue 'x' end return s",
     "1x2x"},
    {"ContinueAsMethodAndField",
     "local o = {n = 0} function o:continue() self.n = self.n + 1 end "
     "for i = 1, 2 do o:continue() o.continue = o.continue end return o.n",
     "2"},
    {"ContinueInUntil",
     "local continue, n = false, 0 repeat n = n + 1 continue = n >= 3 until continue return n", "3"},
    {"ContinueNameAndStatementInOneLoop",
     "local s = 0 for i = 1, 5 do local continue = i % 2 == 0 if continue then continue end s = s + i end return s",
     "9"},
    {"ContinueStatementAfterSemicolonAndCall",
     "local s = 0 local function f() end for i = 1, 3 do s = s + i; if i > 1 then f() continue end s = s * 10 end "
     "return s",
     "15"},
    {"TableGetn", "return table.getn({1, 2, 3})", "3"},
    {"ImplicitArg", "local function f(...) return arg.n end return f(1, 2)", "2"},
};

void PrintTo(const DialectCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string RunSnippet(LuaState state, const std::string& source)
{
    int top = state.GetTop();
    int status = state.LoadString(source);
    if (status == 0)
        status = state.PCall(0, 1);
    std::string result;
    if (status == 0) {
        lua_getglobal(state.GetCState(), "tostring");
        state.Insert(-2);
        state.PCall(1, 1);
        result = lua_tostring(state.GetCState(), -1);
    } else {
        result = "error: " + state.PopErrorMessage();
    }
    state.SetTop(top);
    return result;
}

class LuaDialectTest : public ::testing::TestWithParam<DialectCase>
{
protected:
    void SetUp() override { state = LuaState::Create(); }
    void TearDown() override { LuaState::Destroy(state); }
    LuaState state;
};

} // namespace

TEST_P(LuaDialectTest, SnippetGivesExpectedResult)
{
    EXPECT_EQ(RunSnippet(state, GetParam().source), GetParam().expected) << RewriteLuaDialect(GetParam().source);
}

INSTANTIATE_TEST_SUITE_P(Snippets, LuaDialectTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LuaDialectTest, ErrorsKeepOriginalLineNumbers)
{
    std::string source = "local t = {}\nfor k, v in t do if k then continue end end\nerror('boom')";
    EXPECT_NE(RunSnippet(state, source).find(":3: boom"), std::string::npos) << RunSnippet(state, source);
    std::string compileError = "local s = 0\nfor i = 1, 2 do continue end\nlocal = 1";
    EXPECT_NE(RunSnippet(state, compileError).find(":3:"), std::string::npos) << RunSnippet(state, compileError);
}

TEST(LuaDialectRewrite, LeavesPlainLuaAndBrokenSourceAlone)
{
    const char* plain = "local x = 1\nwhile x < 3 do x = x + 1 end\nreturn x";
    EXPECT_EQ(RewriteLuaDialect(plain), plain);
    const char* unfinished = "local s = 'abc\nfor k, v in t do end";
    EXPECT_EQ(RewriteLuaDialect(unfinished), unfinished);
    const char* unbalanced = "for k, v in t do continue";
    EXPECT_EQ(RewriteLuaDialect(unbalanced), unbalanced);
}
