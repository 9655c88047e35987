#pragma once

#include "engine/core/Object.h"

#include <string>
#include <unordered_set>
#include <vector>

// One Lua function run as a coroutine on behalf of an object, stepped once per
// main-loop pass by its owner. In between, the Lua code may give up the rest of
// the frame (ScriptBreak) or wait a number of milliseconds (ScriptDelay).
class Script : public Object
{
    VELK_DECLARE_CLASS(Script)
public:
    // A script's source is a function, a table {code = function, tags = {...}}, or the
    // name of an entry of the Lua table Scripts (which may name another entry).
    explicit Script(const LuaObject& scriptSource);
    ~Script() override;

    // Runs "Script.lua" and keeps the globals Scripts and Script.
    static void InitializeScripting();
    static void ShutdownScripting();
    static bool IsANamedScript(const std::string& name);

    void AddArgument(const std::string& value);
    void AddArgument(Object* value);
    void AddArgument(int value);
    void AddArgument(const LuaObject& value) { AppendArgument(value); }
    void AddTag(const std::string& tag);
    bool HasTag(const std::string& tag) const;
    const std::unordered_set<std::string>& GetTags() const { return m_Tags; }

    // One step of the coroutine. A Lua error finishes the script and throws ScriptError.
    void Run();
    bool IsFinished();
    bool IsRunning() const { return m_Running; }
    bool IsDelayed() const { return m_Delayed; }

    // The method Delay (ms, [group]) called from Lua; env is the calling state.
    int Delay(lua_State* env);
    bool OnTimer(const EventRecord& event) override;

    lua_State* GetLuaState() const { return m_ThreadState; }

private:
    void InitThread();
    void InitFromScriptSpec(LuaObject scriptSource);
    void AppendArgument(const LuaObject& value);

    std::unordered_set<std::string> m_Tags;
    LuaObject m_ThreadReference;
    lua_State* m_ThreadState = nullptr;
    LuaObject m_Function;
    LuaObject m_Arguments;
    int m_ArgumentCount = 0;
    bool m_Started = false;
    uint32_t m_DelayTimerID = 0;
    bool m_Delayed = false;
    bool m_Running = false;
    bool m_Finished = false;
};

// Logs "Exception thrown in Script." with the file, line and reason found in a
// Lua error message.
void ReportScriptError(const std::string& message);

// The scripts attached to an owner object, stepped once per pass: each finished
// script is announced to the owner's observers with VELK_ACTORSCRIPTFINISHED
// {actor, script} and deleted. A script whose step failed is announced with
// failed = true and error = Lua's message in that table.
class ScriptList
{
public:
    explicit ScriptList(Object& owner) : m_Owner(owner) {}
    ScriptList(const ScriptList&) = delete;
    ScriptList& operator=(const ScriptList&) = delete;
    ~ScriptList();

    // A new script with the owner as its first argument and the tag (when not empty).
    Script* AddScript(const LuaObject& scriptSource, const std::string& tag);
    // One step of every script, in the order they were added.
    void RunScripts();
    void StopScriptsWithTag(const std::string& tag);
    void StopAllScripts();
    // Removes the script and deletes it (after its step, when it is the one running).
    void StopScript(Script* script);
    // How many scripts carry the tag; appended to out when given.
    int FindScriptsWithTag(const std::string& tag, std::vector<Script*>* out) const;
    const std::vector<Script*>& GetScripts() const { return m_Scripts; }

private:
    Object& m_Owner;
    std::vector<Script*> m_Scripts;
    Script* m_Current = nullptr;  // the script inside its step
    bool m_CurrentStopped = false;
};
