#include "engine/core/ScriptFunctionRegistration.h"

#include <lua.hpp>

namespace {
std::vector<unsigned char>& YieldFlags()
{
    static std::vector<unsigned char> flags;
    return flags;
}
} // namespace

ScriptFunctionRegistration::ScriptFunctionRegistration(ScriptNativeFunction function, const char* name)
{
    GetList().push_back({function, name});
}

std::vector<ScriptFunctionRegistration::Entry>& ScriptFunctionRegistration::GetList()
{
    static std::vector<Entry> list;
    return list;
}

StartupSourceRegistration::StartupSourceRegistration(const char* text)
{
    GetText() += text;
}

std::string& StartupSourceRegistration::GetText()
{
    static std::string text;
    return text;
}

void ScriptCallGuard::Enter()
{
    YieldFlags().push_back(0);
}

void ScriptCallGuard::RequestYield()
{
    if (!YieldFlags().empty())
        YieldFlags().back() = 1;
}

std::size_t ScriptCallGuard::Depth()
{
    return YieldFlags().size();
}

void ScriptCallGuard::UnwindTo(std::size_t depth)
{
    if (YieldFlags().size() > depth)
        YieldFlags().resize(depth);
}

int FinishScriptFunctionCall(lua_State* L, int numResults)
{
    unsigned char flag = 0;
    if (!YieldFlags().empty()) {
        flag = YieldFlags().back();
        YieldFlags().pop_back();
    }
    return flag == 1 ? lua_yield(L, numResults) : numResults;
}
