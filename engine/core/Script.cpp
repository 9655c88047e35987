#include "engine/core/Script.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/core/VelkLuaState.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

LuaObject g_ScriptsTable;
LuaObject g_ScriptTable;

int Script_Delay(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        auto* script = dynamic_cast<Script*>(Object::FromLua(L, 1));
        if (!script)
            VELK_THROW(Exception, "Delay must be called on a Script object.");
        return script->Delay(L);
    });
}

void ScriptClassHook(Class* c)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter("Delay", Script_Delay));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("Delay"));
}

// The animation step of the animation scripts: {"delay", milliseconds}.
StartupSourceRegistration s_AnimSource(R"lua(
Anim = {}
function Anim.Delay(milliseconds)
    assert(type(milliseconds) == 'number')
    return { 'delay', milliseconds }
end
)lua");

} // namespace

VELK_REGISTER_CLASS(Script, "Object", ScriptClassHook, nullptr);

// ---------------------------------------------------------------- scripting set-up

void Script::InitializeScripting()
{
    LuaState state = ObjectLuaState();
    VelkLuaState::DoResourceFile(state, "Script.lua");
    g_ScriptsTable = state.GetGlobal("Scripts");
    g_ScriptTable = state.GetGlobal("Script");
}

void Script::ShutdownScripting()
{
    g_ScriptsTable = LuaObject();
    g_ScriptTable = LuaObject();
}

bool Script::IsANamedScript(const std::string& name)
{
    LuaObject scriptSource = ObjectLuaState().GetGlobal("Scripts")[name];
    std::string scriptName = name;
    for (int depth = 0; depth < 1000; ++depth) {
        if (scriptSource.IsFunction())
            return true;
        if (scriptSource.IsTable())
            return scriptSource["code"].IsFunction();
        if (!scriptSource.IsString())
            return false;
        VELK_ASSERT_MSG(scriptName != scriptSource.GetString(),
                        (boost::format("Self referential script detected: %1%") % scriptName).str());
        scriptName = scriptSource.GetString();
        scriptSource = ObjectLuaState().GetGlobal("Scripts")[scriptName];
    }
    return false;
}

// ---------------------------------------------------------------- life

Script::Script(const LuaObject& scriptSource)
{
    InitThread();
    InitFromScriptSpec(scriptSource);
    m_Arguments.AssignNewTable(ObjectLuaState());
}

Script::~Script()
{
    try {
        if (m_DelayTimerID)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_DelayTimerID);
    } catch (...) {
        LogWrite("WARNING: Script::~Script: %s\n", CurrentExceptionMessage().c_str());
    }
}

void Script::InitThread()
{
    VELK_ASSERT_MSG(GetLuaState() == 0, "The thread appears to have already been initialized.");
    LuaState state = ObjectLuaState();
    LuaState thread = state.NewThread();
    m_ThreadReference = LuaObject::PopFrom(state);
    m_ThreadState = thread.GetCState();
}

void Script::InitFromScriptSpec(LuaObject scriptSource)
{
    std::string scriptName;
    bool named = false;
    while (scriptSource.IsString()) {
        scriptName = scriptSource.GetString();
        named = true;
        scriptSource = ObjectLuaState().GetGlobal("Scripts")[scriptName];
        if (scriptSource.IsString() && scriptName == scriptSource.GetString())
            VELK_THROW(Exception, AssertionText("! scriptSource.IsString() || strcmp(scriptName, scriptSource.GetString()) != 0",
                                                (boost::format("Self referential script detected: %1%") % scriptName).str()));
        AddTag(scriptName);
    }
    if (scriptSource.IsTable()) {
        VELK_ASSERT(scriptSource["code"].IsFunction());
        LuaObject tags = scriptSource["tags"];
        int n = tags.IsTable() ? tags.GetN() : 0;
        for (int i = 1; i <= n; ++i)
            if (tags[i].IsString())
                AddTag(tags[i].GetString());
        m_Function = scriptSource["code"];
    } else if (scriptSource.IsFunction()) {
        m_Function = scriptSource;
    } else if (named) {
        VELK_THROW(Exception, (boost::format("Error initializing the named Script, \"%1%\".  scriptSource cannot be a "
                                             "\"%2%\".") %
                               scriptName % scriptSource.TypeName())
                                  .str());
    } else {
        VELK_THROW(Exception,
                   (boost::format("Error initializing an unnamed Script.  scriptSource cannot be a \"%1%\".") %
                    scriptSource.TypeName())
                       .str());
    }
}

// ---------------------------------------------------------------- arguments and tags

void Script::AppendArgument(const LuaObject& value)
{
    // Counted here: a nil argument does not count towards a table's length.
    m_Arguments.SetObject(++m_ArgumentCount, value);
}

void Script::AddArgument(const std::string& value)
{
    LuaObject v;
    v.AssignString(ObjectLuaState(), value);
    AppendArgument(v);
}

void Script::AddArgument(Object* value)
{
    AppendArgument(value ? value->GetLuaObject() : LuaObject(ObjectLuaState()));
}

void Script::AddArgument(int value)
{
    LuaObject v;
    v.AssignInteger(ObjectLuaState(), value);
    AppendArgument(v);
}

void Script::AddTag(const std::string& tag)
{
    if (!tag.empty())
        m_Tags.insert(tag);
}

bool Script::HasTag(const std::string& tag) const
{
    return m_Tags.count(tag) != 0;
}

// ---------------------------------------------------------------- running

void ReportScriptError(const std::string& message)
{
    // [string "Foo.lua"]:12: reason
    std::string file = "Unknown", line = "Unknown", reason = message;
    size_t open = message.find('"');
    size_t close = message.find("\"]");
    if (open != std::string::npos && close != std::string::npos && close > open) {
        size_t firstColon = message.find(':', close);
        size_t secondColon = firstColon == std::string::npos ? std::string::npos : message.find(':', firstColon + 1);
        if (secondColon != std::string::npos) {
            file = message.substr(open + 1, close - open - 1);
            line = message.substr(firstColon + 1, secondColon - firstColon - 1);
            size_t start = secondColon + 1;
            if (start < message.size() && message[start] == ' ')
                ++start;
            reason = message.substr(start);
        }
    }
    Log(0, "Exception thrown in Script.\n\tFilename:\t%s\n\tLine Num:\t%s\n\tReason:\t\t%s\n\n", file.c_str(),
        line.c_str(), reason.c_str());
}

void Script::Run()
{
    if (m_Delayed || m_Finished)
        return;
    lua_State* T = m_ThreadState;
    int top = lua_gettop(T);
    int numArgs = 0;
    if (!m_Started) {
        m_Function.Push(LuaState(T));
        numArgs = m_ArgumentCount;
        for (int i = 1; i <= numArgs; ++i)
            m_Arguments.GetByIndex(i).Push(LuaState(T));
        m_Started = true;
    }
    LuaObject scriptTable = ObjectLuaState().GetGlobal("Script");
    scriptTable.SetObject("current", GetLuaObject());
    m_Running = true;
    int status = lua_resume(T, numArgs);
    m_Running = false;
    scriptTable.SetNil("current");
    if (status == 0 || status == LUA_YIELD) {
        lua_settop(T, top);
        return;
    }
    // The error value sits on top of the dead coroutine's stack.
    std::string message = lua_type(T, -1) == LUA_TSTRING ? std::string(lua_tostring(T, -1))
                                                         : std::string("Unknown script-generated error");
    ReportScriptError(message);
    m_Finished = true;
    VELK_THROW(ScriptError, message);
}

bool Script::IsFinished()
{
    if (m_Finished)
        return true;
    if (!m_Started)
        return false;
    lua_Debug ar;
    if (lua_status(m_ThreadState) == 0 && lua_getstack(m_ThreadState, 0, &ar) == 0 && lua_gettop(m_ThreadState) == 0)
        m_Finished = true;
    return m_Finished;
}

int Script::Delay(lua_State* env)
{
    LuaState L(env);
    VELK_ASSERT(L.GetTop() >= 2);
    LuaStackObject ms = L.Stack(2);
    bool isInteger = ms.IsNumber() && std::floor(ms.GetNumber()) == ms.GetNumber();
    VELK_ASSERT_MSG(isInteger, (boost::format("Parameter is a \"%1%\".") % ms.TypeName()).str());
    std::string group = L.GetTop() >= 3 && L.Stack(3).IsString() ? L.Stack(3).GetString() : std::string("default");
    if (!m_Started || m_Finished)
        return 0;
    if (m_Running)
        ScriptCallGuard::RequestYield();
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT(timers != 0);
    if (m_Delayed)
        timers->ResetTimer(m_DelayTimerID);
    timers->CreateOrRestartTimer(m_DelayTimerID, this, static_cast<uint32_t>(ms.GetNumber()), 1,
                                 TIMER_LIMITED_TO_FRAMERATE, group);
    m_Delayed = true;
    return 0;
}

bool Script::OnTimer(const EventRecord&)
{
    VELK_ASSERT(m_Delayed == true);
    m_Delayed = false;
    return true;
}

// ---------------------------------------------------------------- ScriptList

ScriptList::~ScriptList()
{
    for (Script* script : m_Scripts)
        delete script;
}

Script* ScriptList::AddScript(const LuaObject& scriptSource, const std::string& tag)
{
    auto* script = new Script(scriptSource);
    script->AddArgument(&m_Owner);
    script->AddTag(tag);
    m_Scripts.push_back(script);
    return script;
}

void ScriptList::RunScripts()
{
    // A script may stop others (or itself) while it runs: walk a copy.
    std::vector<Script*> scripts = m_Scripts;
    for (Script* script : scripts) {
        if (std::find(m_Scripts.begin(), m_Scripts.end(), script) == m_Scripts.end())
            continue;
        m_Current = script;
        m_CurrentStopped = false;
        std::string failure;
        bool failed = false;
        try {
            script->Run();
        } catch (const Exception& e) {
            // Reported by the script itself; the others go on.
            failed = true;
            failure = e.GetMessage();
        }
        m_Current = nullptr;
        if (m_CurrentStopped) {
            // It stopped itself during its step: its coroutine is done with now.
            delete script;
            continue;
        }
        if (!script->IsFinished())
            continue;
        m_Scripts.erase(std::find(m_Scripts.begin(), m_Scripts.end(), script));
        auto* payload = new LuaObject;
        payload->AssignNewTable(ObjectLuaState());
        payload->SetObject("actor", m_Owner.GetLuaObject());
        payload->SetObject("script", script->GetLuaObject());
        if (failed) {
            payload->SetBoolean("failed", true);
            payload->SetString("error", failure);
        }
        m_Owner.NotifyObservers(VELK_ACTORSCRIPTFINISHED, payload, false);
        delete script;
    }
}

void ScriptList::StopScriptsWithTag(const std::string& tag)
{
    std::vector<Script*> stopped;
    FindScriptsWithTag(tag, &stopped);
    for (Script* script : stopped)
        StopScript(script);
}

void ScriptList::StopAllScripts()
{
    std::vector<Script*> stopped = m_Scripts;
    for (Script* script : stopped)
        StopScript(script);
}

void ScriptList::StopScript(Script* script)
{
    auto it = std::find(m_Scripts.begin(), m_Scripts.end(), script);
    if (it == m_Scripts.end())
        return;
    m_Scripts.erase(it);
    // The running script's coroutine is still on the stack: RunScripts deletes it after the step.
    if (script == m_Current)
        m_CurrentStopped = true;
    else
        delete script;
}

int ScriptList::FindScriptsWithTag(const std::string& tag, std::vector<Script*>* out) const
{
    int count = 0;
    for (Script* script : m_Scripts) {
        if (!script->HasTag(tag))
            continue;
        ++count;
        if (out)
            out->push_back(script);
    }
    return count;
}
