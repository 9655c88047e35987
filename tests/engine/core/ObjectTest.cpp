#include "engine/core/Object.h"

#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "platform/lua/LuaFunction.h"
#include "support/CoreFixture.h"

#include <gtest/gtest.h>
#include "support/Failure.h"

namespace {

std::vector<std::string>* g_Trace = nullptr;

void Trace(const std::string& line)
{
    if (g_Trace)
        g_Trace->push_back(line);
}

// A class with one property of every accessor kind.
class Gadget : public Object
{
    VELK_DECLARE_CLASS(Gadget)
public:
    int count = 0;
    float speed = 0;
    std::string label;
    std::string lastClassicName;
    LuaObject lastClassicValue;
    std::vector<Event*> received;
    std::vector<std::shared_ptr<LuaObject>> payloads;
    std::vector<Object*> senders;
    bool consume = true;

    void SetLabel(const LuaObject& value) { label = "set:" + ReadStringFromObject(value); }
    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override
    {
        lastClassicName = name;
        lastClassicValue = value;
    }
    LuaObject GetProperty(const std::string& name, LuaState state) override
    {
        if (name == "mood") {
            LuaObject mood;
            mood.AssignString(state, "cheerful");
            return mood;
        }
        return Object::GetProperty(name, state);
    }
    bool OnAnimationFinished(Event* event) override
    {
        received.push_back(event);
        payloads.push_back(event->payload);
        senders.push_back(event->sender);
        Trace(GetName() + " got 27");
        return consume;
    }

    static int Script_Double(lua_State* L)
    {
        return CallBoundMember(L, [L] {
            lua_pushnumber(L, Object::FromLua(L, 1) ? static_cast<Gadget*>(Object::FromLua(L, 1))->count * 2 : 0);
            return 1;
        });
    }
};

void GadgetHook(Class* c)
{
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&Gadget::count), "count"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&Gadget::count), "count"));
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_FLOAT, MemberOf(&Gadget::speed), "speed"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_FLOAT, MemberOf(&Gadget::speed), "speed"));
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(MemberSetter(&Gadget::SetLabel), "label"));
    c->RegisterPropertyGetter(MakeNamedProperty("mood"));
    c->RegisterPropertySetter(MakeNamedProperty("mood"));
    c->RegisterPropertyGetter(CreateNamedAccessor("notes"));
    c->RegisterPropertySetter(CreateNamedAccessor("notes"));
    c->RegisterPropertyGetter(CreateIgnoredAccessor("hidden"));
    c->RegisterPropertySetter(CreateIgnoredAccessor("hidden"));
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter("Double", Gadget::Script_Double));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("Double"));
}

VELK_REGISTER_CLASS(Gadget, "Object", GadgetHook, InstantiateObjectOfClass<Gadget>);

class NamedState : public State
{
public:
    NamedState(std::string name, bool consume = true) : m_Name(std::move(name)), m_Consume(consume) {}
    std::string GetName() const override { return m_Name; }
    void OnEnterState() override { Trace("enter " + m_Name); }
    void OnExitState() override { Trace("exit " + m_Name); }
    void Update() override { Trace("update " + m_Name); }
    bool OnAnimationFinished(Event*) override
    {
        Trace("state " + m_Name + " got 27");
        return m_Consume;
    }

private:
    std::string m_Name;
    bool m_Consume;
};

class ObjectTest : public CoreFixture
{
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        g_Trace = &trace;
        ClearLogCache();
    }
    void TearDown() override
    {
        g_Trace = nullptr;
        CoreFixture::TearDown();
    }
    LuaObject Value(const std::string& source)
    {
        VelkLuaState::LoadStringA(state, "return " + source, 0, 1);
        return LuaObject::PopFrom(state);
    }
    std::vector<std::string> trace;
};

} // namespace

TEST_F(ObjectTest, PropertiesGoThroughEachAccessorKind)
{
    Gadget gadget;
    gadget.ApplyProperty("count", Value("12"));
    gadget.ApplyProperty("speed", Value("2.5"));
    gadget.ApplyProperty("label", Value("'hi'"));
    gadget.ApplyProperty("mood", Value("'grumpy'"));
    gadget.ApplyProperty("notes", Value("'kept'"));
    gadget.ApplyProperty("hidden", Value("1"));
    gadget.ApplyProperty("anything", Value("'own'"));
    gadget.ApplyProperty("name", Value("'g1'"));

    EXPECT_EQ(gadget.count, 12);
    EXPECT_FLOAT_EQ(gadget.speed, 2.5f);
    EXPECT_EQ(gadget.label, "set:hi");
    EXPECT_EQ(gadget.lastClassicName, "mood");
    EXPECT_EQ(gadget.lastClassicValue.GetString(), "grumpy");
    EXPECT_EQ(gadget.GetName(), "g1");

    EXPECT_EQ(gadget.RetrieveProperty("count").GetInteger(), 12);
    EXPECT_EQ(gadget.RetrieveProperty("mood").GetString(), "cheerful");
    EXPECT_EQ(gadget.RetrieveProperty("class").GetString(), "Gadget");
    EXPECT_EQ(gadget.RetrieveProperty("notes").GetString(), "kept");
    EXPECT_EQ(gadget.RetrieveProperty("anything").GetString(), "own");
    EXPECT_TRUE(gadget.RetrieveProperty("hidden").IsNil());
    EXPECT_TRUE(gadget.RetrieveProperty("neverWritten").IsNil());
    EXPECT_TRUE(gadget.RetrieveProperty("Double").IsFunction());
    EXPECT_EQ(gadget.RetrieveIntegerProperty("missing", 7), 7);
    EXPECT_EQ(gadget.RetrieveStringProperty("anything", "d"), "own");

    EXPECT_EQ(FailureOf([&] { gadget.ApplyProperty("Double", Value("1")); }),
              "Assertion failed: (false)\nMessage: Cannot apply the locked property, \"Double\".");
    EXPECT_EQ(FailureOf([&] { gadget.RetrieveProperty("resource"); }),
              "Assertion failed: (false)\nMessage: Cannot apply the invalid property, \"resource\".");
    EXPECT_EQ(FailureOf([&] { gadget.ApplyProperty("count", Value("'many'")); }),
              "Object is not an integer, but rather a string.");
}

TEST_F(ObjectTest, ScriptsReadAndWriteThroughTheLuaSelf)
{
    Gadget gadget;
    gadget.count = 4;
    state.GetGlobals().SetObject("g", gadget.GetLuaObject());
    Run("assert(g.count == 4) g.count = 21 g.notes = {1, 2} g.free = 'x' assert(g:Double() == 42) "
        "assert(g.class == 'Gadget') assert(g.free == 'x') assert(g.nothing == nil)");
    EXPECT_EQ(gadget.count, 21);
    EXPECT_TRUE(gadget.RetrieveProperty("notes").IsTable());
    EXPECT_EQ(gadget.GetLuaObject(), gadget.GetLuaObject());
    Run("local ok, e = pcall(function() g.Double = 3 end) "
        "assert(not ok and string.find(e, 'Cannot apply the locked property', 1, true), e)");
}

TEST_F(ObjectTest, StatesSwitchByNameWithExitThenEnter)
{
    Gadget gadget;
    gadget.AddState(new NamedState("Idle"), false);
    gadget.AddState(new NamedState("Busy", false), false);
    EXPECT_EQ(FailureOf([&] { gadget.GetStateName(); }), "Assertion failed: (false)");

    gadget.SetState("Idle");
    gadget.SetState("Busy");
    gadget.SetState("Busy");
    gadget.Update();
    EXPECT_EQ(trace, (std::vector<std::string>{"enter Idle", "exit Idle", "enter Busy", "exit Busy", "enter Busy",
                                               "update Busy"}));
    EXPECT_EQ(gadget.GetStateName(), "Busy");
    EXPECT_EQ(FailureOf([&] { gadget.SetState("Lost"); }),
              "Assertion failed: (false)\nMessage: Could not find state \"Lost\" in \"Gadget\"");

    // A state that does not consume lets the owner's handler see the event.
    trace.clear();
    Event event(27, nullptr);
    gadget.OnEvent(MakeEventRecord(27, 0, &event));
    gadget.SetState("Idle");
    trace.clear();
    gadget.OnEvent(MakeEventRecord(27, 0, &event));
    EXPECT_EQ(trace, (std::vector<std::string>{"state Idle got 27"}));

    // Adding a second state of one name replaces it only when asked.
    auto* keptOut = new NamedState("Busy");
    gadget.AddState(keptOut, false);
    delete keptOut;
    gadget.AddState(new NamedState("Busy"), true);
}

TEST_F(ObjectTest, ObserversShareOnePayloadReleasedAfterTheLastDelivery)
{
    Gadget subject, first, second;
    first.SetName("first");
    second.SetName("second");
    subject.AttachObserver(27, &first);
    subject.AttachObserver(27, &second);
    subject.AttachObserver(27, &second);
    subject.DetachObserver(27, &second);

    Run("collected = 0 payloadProxy = newproxy(true) getmetatable(payloadProxy).__gc = function() collected = collected + 1 end");
    subject.NotifyObservers(27, new LuaObject(Value("{ proxy = payloadProxy, n = 5 }")), false);
    Run("payloadProxy = nil");
    EXPECT_TRUE(first.received.empty());  // posted, not sent

    host.RunPass();
    ASSERT_EQ(first.received.size(), 1u);
    ASSERT_EQ(second.received.size(), 1u);
    EXPECT_EQ(first.payloads[0].get(), second.payloads[0].get());
    EXPECT_EQ((*first.payloads[0])["n"].GetInteger(), 5);
    first.payloads.clear();
    second.payloads.clear();
    state.CollectGarbage();
    EXPECT_EQ(state.GetGlobal("collected").GetInteger(), 1);

    // Immediate notification reaches the observers before the call returns.
    subject.NotifyObservers(27, nullptr, true);
    EXPECT_EQ(first.received.size(), 2u);

    subject.DetachObserver(27, &first);
    subject.DetachObserver(27, &second);
    EXPECT_TRUE(subject.RetrieveProperty("observers").IsNil());
    subject.NotifyObservers(27, new LuaObject(Value("{}")), false);
    EXPECT_EQ(host.queue.Size(), 0u);
}

TEST_F(ObjectTest, ScriptNotifiesObserversByEventName)
{
    Gadget subject, observer;
    subject.AttachObserver(27, &observer);
    state.GetGlobals().SetObject("subject", subject.GetLuaObject());
    Run("subject:NotifyObservers('VELK_ANIMATIONFINISHED', { from = 'script' })");
    EXPECT_TRUE(observer.received.empty());
    host.RunPass();
    ASSERT_EQ(observer.received.size(), 1u);
    EXPECT_EQ((*observer.payloads[0])["from"].GetString(), "script");
    Run("local ok, e = pcall(function() subject:NotifyObservers({}) end) assert(not ok and string.find(e, "
        "'Cannot convert parameter 1 of Object::NotifyObservers from the Lua type, \"table\".', 1, true), e)");
}

TEST_F(ObjectTest, DestroyDefersDeletionAndNothingReachesADeletedObject)
{
    auto* doomed = new Gadget;
    Gadget subject;
    subject.AttachObserver(27, doomed);
    subject.NotifyObservers(27, nullptr, false);  // queued for doomed
    LuaObject self = doomed->GetLuaObject();
    state.GetGlobals().SetObject("doomed", self);

    doomed->Destroy();
    doomed->Destroy();
    EXPECT_EQ(host.flagged.size(), 1u);
    host.DeleteFlaggedObjects();  // deleted before the queued record is dispatched
    EXPECT_EQ(host.DispatchEvents(), 0);

    subject.NotifyObservers(27, nullptr, false);  // the dead observer is skipped
    EXPECT_EQ(host.queue.Size(), 0u);
    EXPECT_EQ(Object::FromLuaObject(self), nullptr);
    Run("local ok, e = pcall(function() return doomed.count end) "
        "assert(not ok and string.find(e, 'deleted', 1, true), e)");
}

TEST_F(ObjectTest, ADestroyedSenderIsClearedFromQueuedEvents)
{
    auto* sender = new Gadget;
    Gadget observer;
    sender->AttachObserver(27, &observer);
    sender->NotifyObservers(27, nullptr, false);
    delete sender;
    host.RunPass();
    ASSERT_EQ(observer.senders.size(), 1u);
    EXPECT_EQ(observer.senders[0], nullptr);
}

TEST_F(ObjectTest, ScriptsBuildObjectsFromTemplatesAndSeeNotificationsInALaterPass)
{
    Run("Resources.Base = Resources.Object:new{ class = 'Gadget', count = 1, notes = 'base' } "
        "Resources.Fast = Resources.Object:new{ speed = 9 } "
        "subject = CreateObject({ resource = 'Base', name = 'subject' }) "
        "watcher = CreateObject({ class = 'Gadget', resources = { 'Base', 'Fast' }, count = 3, name = 'watcher' }) "
        "assert(subject.count == 1 and subject.notes == 'base' and watcher.count == 3 and watcher.speed == 9) "
        "subject.count = subject.count + watcher.count "
        "subject.observers = { [TypeOfEvent('VELK_ANIMATIONFINISHED')] = { watcher } } "
        "subject:NotifyObservers('VELK_ANIMATIONFINISHED', { total = subject.count })");
    std::unique_ptr<Object> subject(Object::FromLuaObject(state.GetGlobal("subject")));
    std::unique_ptr<Object> watcher(Object::FromLuaObject(state.GetGlobal("watcher")));
    auto* w = static_cast<Gadget*>(watcher.get());
    EXPECT_EQ(static_cast<Gadget*>(subject.get())->count, 4);
    EXPECT_EQ(w->RetrieveProperty("resources")[2].GetString(), "Fast");
    EXPECT_TRUE(w->received.empty());
    host.RunPass();
    ASSERT_EQ(w->received.size(), 1u);
    EXPECT_EQ(w->senders[0], subject.get());
    EXPECT_EQ((*w->payloads[0])["total"].GetInteger(), 4);
}

TEST_F(ObjectTest, StackDumpLogsEveryValue)
{
    Run("StackDump(nil, 'text', 2, true)");
    std::vector<std::string> lines = GetCachedLogLines();
    std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"4:boolean true\n", "3:number 2.000000\n", "2:string:`text'\n",
                                              "1:nil:Nil\n", "--------------- Stack Dump Finished ---------------\n"}));
}
