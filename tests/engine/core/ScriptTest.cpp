#include "engine/core/Script.h"

#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "support/CoreFixture.h"

#include <gtest/gtest.h>
#include "support/Failure.h"

namespace {

class SteppedClock : public TimerClock
{
public:
    uint32_t GetFrameStartTime() const override { return now; }
    uint32_t now = 0;
};

// Hears that a script of its subject has finished.
class Watcher : public Object
{
public:
    bool OnActorScriptFinished(Event* event) override
    {
        actors.push_back(Object::FromLuaObject((*event->payload)["actor"]));
        return true;
    }
    std::vector<Object*> actors;
};

// An owner of scripts, stepped like the main loop steps actors.
class Host : public Object
{
public:
    Host() : scripts(*this) {}
    ScriptList scripts;
};

class ScriptTest : public CoreFixture
{
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        timers = std::make_unique<TimerManager>(clock);
        Script::InitializeScripting();
        ClearLogCache();
    }
    void TearDown() override
    {
        host.queue.Clear();
        Script::ShutdownScripting();
        owner.reset();
        timers.reset();
        CoreFixture::TearDown();
    }
    // One main-loop pass as far as scripts go: timers, then the owner's scripts.
    void Pass()
    {
        clock.now += 32;
        timers->Update();
        owner->scripts.RunScripts();
    }
    LuaObject Value(const std::string& source)
    {
        VelkLuaState::LoadStringA(state, "return " + source, 0, 1);
        return LuaObject::PopFrom(state);
    }
    SteppedClock clock;
    std::unique_ptr<TimerManager> timers;
    std::unique_ptr<Host> owner = std::make_unique<Host>();
};

} // namespace

TEST_F(ScriptTest, AScriptThatReturnsAtOnceFinishesAfterItsFirstStep)
{
    Run("ran = 0 Scripts.Once = function(owner) ran = ran + 1 end");
    Watcher watcher;
    owner->AttachObserver(VELK_ACTORSCRIPTFINISHED, &watcher);
    Script* script = owner->scripts.AddScript(Value("'Once'"), "");
    EXPECT_FALSE(script->IsFinished());
    Pass();
    EXPECT_EQ(state.GetGlobal("ran").GetInteger(), 1);
    EXPECT_TRUE(owner->scripts.GetScripts().empty());
    host.RunPass();
    EXPECT_EQ(watcher.actors, std::vector<Object*>{owner.get()});
}

TEST_F(ScriptTest, DelayOfAHundredMillisecondsResumesOnTheFourthPass)
{
    Run("trace = '' function DelayedWork(owner, word) trace = trace .. word ScriptDelay(100) trace = trace .. ' after' "
        "ScriptBreak() trace = trace .. ' end' end");
    Script* script = owner->scripts.AddScript(Value("DelayedWork"), "work");
    script->AddArgument(std::string("start"));
    Pass();
    EXPECT_EQ(state.GetGlobal("trace").GetString(), "start");
    EXPECT_TRUE(script->IsDelayed());
    for (int pass = 1; pass <= 3; ++pass) {
        Pass();
        EXPECT_EQ(state.GetGlobal("trace").GetString(), "start") << pass;
    }
    script->AddArgument(std::string("ignored"));  // too late: arguments count only before the first step
    Pass();
    EXPECT_EQ(state.GetGlobal("trace").GetString(), "start after");
    Pass();
    EXPECT_EQ(state.GetGlobal("trace").GetString(), "start after end");
    EXPECT_TRUE(owner->scripts.GetScripts().empty());
}

TEST_F(ScriptTest, DelayOutsideItsOwnStepOrAfterTheEndDoesNothing)
{
    Run("function Idle() while true do ScriptBreak() end end");
    Script* script = owner->scripts.AddScript(Value("Idle"), "");
    state.GetGlobals().SetObject("s", script->GetLuaObject());
    Run("s:Delay(100)");  // not started
    EXPECT_FALSE(script->IsDelayed());
    Pass();
    Run("s:Delay(64, 'other')");  // from outside: waits without yielding anyone
    EXPECT_TRUE(script->IsDelayed());
    Pass();
    Pass();
    EXPECT_FALSE(script->IsDelayed());
    Run("local ok, e = pcall(function() s:Delay('soon') end) "
        "assert(not ok and string.find(e, 'Parameter is a \"string\".', 1, true), e)");
    Run("local ok, e = pcall(function() s.Delay = 1 end) assert(not ok)");
    // Delay is a method of script objects only.
    EXPECT_TRUE(state.GetGlobal("Delay").IsNil());
    Run("assert(type(s.Delay) == 'function')");
}

TEST_F(ScriptTest, NamesChainIntoTagsAndBadSpecsFail)
{
    Run("Scripts.Final = { code = function() end, tags = { 'fromTable' } } Scripts.Middle = 'Final' Scripts.Outer = 'Middle' "
        "Scripts.Loop = 'Loop'");
    Script chained(Value("'Outer'"));
    EXPECT_TRUE(chained.HasTag("Outer"));
    EXPECT_TRUE(chained.HasTag("Middle"));
    EXPECT_TRUE(chained.HasTag("fromTable"));
    EXPECT_TRUE(chained.HasTag("Final"));
    EXPECT_TRUE(Script::IsANamedScript("Outer"));
    EXPECT_FALSE(Script::IsANamedScript("Nothing"));

    EXPECT_EQ(FailureOf([&] { Script s(Value("'Loop'")); }),
              "Assertion failed: (! scriptSource.IsString() || strcmp(scriptName, scriptSource.GetString()) != 0)\nMessage: "
              "Self referential script detected: Loop");
    EXPECT_EQ(FailureOf([&] { Script s(Value("{ code = 5 }")); }), "Assertion failed: (scriptSource[\"code\"].IsFunction())");
    EXPECT_EQ(FailureOf([&] { Script s(Value("'Missing'")); }),
              "Error initializing the named Script, \"Missing\".  scriptSource cannot be a \"nil\".");
    EXPECT_EQ(FailureOf([&] { Script s(Value("12")); }),
              "Error initializing an unnamed Script.  scriptSource cannot be a \"number\".");
}

Host* g_Stopping = nullptr;

TEST_F(ScriptTest, StoppingByTagDuringAStep)
{
    g_Stopping = owner.get();
    state.GetGlobals().Register("StopTagged", [](lua_State* L) -> int {
        g_Stopping->scripts.StopScriptsWithTag(lua_tostring(L, 1));
        return 0;
    });
    Run("count = 0 function Stopper() StopTagged('tagged') ScriptBreak() StopTagged('self') count = count + 100 end "
        "function Counter() while true do count = count + 1 ScriptBreak() end end");
    owner->scripts.AddScript(Value("Stopper"), "self");
    owner->scripts.AddScript(Value("Counter"), "tagged");
    owner->scripts.AddScript(Value("Counter"), "other");
    Pass();  // the stopper removes the tagged counter before its turn
    EXPECT_EQ(state.GetGlobal("count").GetInteger(), 1);
    Pass();  // and then itself, finishing its own step safely
    EXPECT_EQ(state.GetGlobal("count").GetInteger(), 102);
    ASSERT_EQ(owner->scripts.GetScripts().size(), 1u);
    EXPECT_TRUE(owner->scripts.GetScripts()[0]->HasTag("other"));
    g_Stopping = nullptr;
}

TEST_F(ScriptTest, ErrorsAreReportedWithFileLineAndReason)
{
    host.AddResource("Foo.lua", "\n\n\n\n\n\n\n\n\n\n\nfunction Broken() error('the reel fell off') end");
    VelkLuaState::DoResourceFile(state, "Foo.lua");
    Script* script = owner->scripts.AddScript(Value("Broken"), "");
    EXPECT_NE(FailureOf([&] { script->Run(); }).find("the reel fell off"), std::string::npos);
    EXPECT_TRUE(script->IsFinished());
    std::vector<std::string> lines = GetCachedLogLines();
    EXPECT_EQ(lines.back(),
              "Exception thrown in Script.\n\tFilename:\tFoo.lua\n\tLine Num:\t12\n\tReason:\t\tthe reel fell off\n\n");

    ReportScriptError("no position here");
    EXPECT_EQ(GetCachedLogLines().back(),
              "Exception thrown in Script.\n\tFilename:\tUnknown\n\tLine Num:\tUnknown\n\tReason:\t\tno position here\n\n");
}

TEST_F(ScriptTest, BreakAndDelayFailOutsideAScript)
{
    Run("local ok, e = pcall(ScriptBreak) "
        "assert(not ok and string.find(e, 'ScriptBreak() must be called from within a running script.', 1, true), e)");
    Run("local ok, e = pcall(ScriptDelay, 10) "
        "assert(not ok and string.find(e, 'ScriptDelay() must be called from within a running script.', 1, true), e)");
    Run("assert(Anim.Delay(40)[1] == 'delay' and Anim.Delay(40)[2] == 40) assert(not pcall(Anim.Delay, 'x'))");
}

TEST_F(ScriptTest, DeletingADelayedScriptFreesItsTimer)
{
    Run("function Waits() ScriptDelay(500) end");
    Script* script = owner->scripts.AddScript(Value("Waits"), "gone");
    Pass();
    EXPECT_TRUE(script->IsDelayed());
    owner->scripts.StopScriptsWithTag("gone");
    for (int i = 0; i < 20; ++i)
        Pass();  // the freed timer never reaches the deleted script
}

TEST_F(ScriptTest, EveryRegistrationTakesEffectAtStartUp)
{
    for (const ScriptFunctionRegistration::Entry& entry : ScriptFunctionRegistration::GetList())
        EXPECT_TRUE(state.GetGlobal(entry.name).IsFunction()) << entry.name;
    ClassManager* manager = ClassManager::GetInstance();
    for (Class* c : manager->GetClasses()) {
        if (c->GetParentName() == "NULL")
            EXPECT_EQ(c->GetName(), "Object");
        else
            EXPECT_EQ(c->GetParent(), manager->GetClass(c->GetParentName())) << c->GetName();
    }
    EXPECT_NE(manager->GetClass("Script", true), nullptr);
}

TEST_F(ScriptTest, ClassTreePrintsFromObjectDown)
{
    ClearLogCache();
    Run("PrintClassTree()");
    std::vector<std::string> lines = GetCachedLogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Object\n");
    // Every class appears once, indented four blanks per level below Object.
    ClassManager* manager = ClassManager::GetInstance();
    EXPECT_EQ(lines.size(), manager->GetClasses().size());
    for (Class* c : manager->GetClasses()) {
        int depth = 0;
        for (Class* p = c->GetParent(); p; p = p->GetParent())
            ++depth;
        std::string expected = std::string(4 * depth, ' ') + c->GetName() + "\n";
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
    }
}
