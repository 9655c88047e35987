// Scripts attached to actors, groups of actors, and the receivers of the
// events an actor raises.

#include "ActorTestSupport.h"
#include "engine/ui/ActorGroup.h"

using namespace actortest;

namespace {

class ActorScriptsTest : public ActorFixture
{
protected:
    std::string Log() { return Eval("table.concat(_log, ' ')").GetString(); }
};

class Clicks : public Object
{
public:
    explicit Clicks(bool handles) : handles(handles) {}
    bool OnButtonClick(const EventRecord& e) override
    {
        senders.push_back(e.user.data1);
        return handles;
    }
    bool handles;
    std::vector<void*> senders;
};

class Member : public Actor
{
public:
    Member(std::vector<std::string>& trace, const std::string& name, bool handles) : trace(trace), handles(handles)
    {
        SetName(name);
    }
    bool OnSelect(const EventRecord&) override
    {
        trace.push_back(GetName());
        return handles;
    }
    void Update() override
    {
        trace.push_back("update " + GetName());
        Actor::Update();
    }
    std::vector<std::string>& trace;
    bool handles;
};

} // namespace

TEST_F(ActorScriptsTest, ScriptsStepOncePerPassAndReportTheirEnd)
{
    Run("_log = {} "
        "Scripts.Twice = function(actor) table.insert(_log, 'one') ScriptBreak() table.insert(_log, 'two') end "
        "Scripts.Quick = function(actor, extra) table.insert(_log, 'quick ' .. extra) end");
    Actor* actor = Make();
    Observer observer;
    actor->AttachObserver(VELK_ACTORSCRIPTFINISHED, &observer);
    Script* twice = actor->RunScript("Twice", "");
    Script* quick = actor->RunScript("Quick", "");
    quick->AddArgument("now");
    EXPECT_EQ(Log(), "") << "scripts start at the next update";

    Pass(actor);
    EXPECT_EQ(Log(), "one quick now");
    ASSERT_EQ(observer.received.size(), 1u) << "a script done in its first step is reported in that pass";
    EXPECT_EQ(observer.received[0].sender, actor);
    EXPECT_EQ(Object::FromLuaObject((*observer.received[0].payload)["actor"]), actor);
    EXPECT_EQ(actor->GetScripts(), (std::vector<Script*>{twice}));

    Pass(actor);
    EXPECT_EQ(Log(), "one quick now two");
    EXPECT_EQ(observer.received.size(), 2u);
    EXPECT_TRUE(actor->GetScripts().empty());
    actor->DetachObserver(VELK_ACTORSCRIPTFINISHED, &observer);
}

TEST_F(ActorScriptsTest, TagsStopScriptsAndStoppedScriptsNeverRunAgain)
{
    Run("_log = {} "
        "Scripts.Loop = function(actor) while true do table.insert(_log, actor.name) ScriptBreak() end end");
    Actor* actor = Make();
    actor->SetName("a");
    actor->RunScript("Loop", "flashing");
    actor->RunScript("Loop", "flashing");
    Script* plain = actor->RunScript("Loop", "");
    std::vector<Script*> found;
    EXPECT_EQ(actor->FindScriptsWithTag("flashing", &found), 2);
    EXPECT_EQ(found.size(), 2u);
    EXPECT_EQ(actor->FindScriptsWithTag("Loop", nullptr), 3) << "a named script carries its name as a tag";
    actor->StopScriptsWithTag("flashing");
    EXPECT_EQ(actor->FindScriptsWithTag("flashing", nullptr), 0);
    EXPECT_EQ(actor->GetScripts(), (std::vector<Script*>{plain}));

    // A script that stops the next one, then itself, in its step: neither runs again.
    state.GetGlobals().SetObject("actor", actor->GetLuaObject());
    Run("Scripts.Stopper = function(actor) table.insert(_log, 'stopper') StopNext() ScriptBreak() "
        "  table.insert(_log, 'stopper again') end");
    Script* stopper = actor->RunScript("Stopper", "");
    Script* victim = actor->RunScript("Loop", "victim");
    struct Stop
    {
        Actor* actor;
        Script* victim;
        Script* self;
    };
    static Stop stop;
    stop = {actor, victim, stopper};
    state.GetGlobals().Register("StopNext", [](lua_State*) -> int {
        stop.actor->StopScript(stop.victim);
        stop.actor->StopScript(stop.self);
        return 0;
    });
    Run("_log = {}");
    Pass(actor);
    Pass(actor);
    EXPECT_EQ(Log(), "a stopper a");
    EXPECT_EQ(actor->GetScripts(), (std::vector<Script*>{plain}));
    actor->StopAllScripts();
    EXPECT_TRUE(actor->GetScripts().empty());
}

TEST_F(ActorScriptsTest, AFailingStepDoesNotStopTheOthers)
{
    Run("_log = {} "
        "Scripts.Broken = function(actor) error('no luck') end "
        "Scripts.Fine = function(actor) table.insert(_log, 'fine') end");
    Observer observer;
    Actor* actor = Make();
    actor->AttachObserver(VELK_ACTORSCRIPTFINISHED, &observer);
    // Given as a table of properties: each entry of "scripts" starts on the actor.
    actor->ApplyProperties(Eval("{ scripts = { 'Broken', 'Fine' } }"));
    ASSERT_EQ(actor->GetScripts().size(), 2u);
    Pass(actor);
    EXPECT_EQ(Log(), "fine");
    EXPECT_TRUE(actor->GetScripts().empty());
    ASSERT_EQ(observer.received.size(), 2u) << "a failed script has ended too";
    // In the order they ran: the broken one says so, the fine one does not.
    const LuaObject& broken = *observer.received[0].payload;
    EXPECT_TRUE(broken["failed"].GetBoolean());
    EXPECT_NE(broken["error"].GetString().find("no luck"), std::string::npos) << broken["error"].GetString();
    const LuaObject& fine = *observer.received[1].payload;
    EXPECT_TRUE(fine["failed"].IsNil());
    EXPECT_TRUE(fine["error"].IsNil());
    actor->DetachObserver(VELK_ACTORSCRIPTFINISHED, &observer);
}

TEST_F(ActorScriptsTest, GroupsOfferEventsToTheirMembersAndForgetThemWhenTheyGo)
{
    std::vector<std::string> trace;
    auto group = std::make_unique<ActorGroup>();
    auto* first = new Member(trace, "first", false);
    auto* second = new Member(trace, "second", true);
    group->AddMember(first);
    group->AddMember(second);
    EXPECT_TRUE(group->HasMember(first));
    EXPECT_EQ(first->GetMemberships(), (std::vector<ActorGroup*>{group.get()}));

    EXPECT_TRUE(group->OnEvent(MakeEventRecord(VELK_SELECT)));
    EXPECT_EQ(trace, (std::vector<std::string>{"first", "second"}));
    trace.clear();
    group->UpdateMembers();
    EXPECT_EQ(trace, (std::vector<std::string>{"update first", "update second"}));

    delete first;
    EXPECT_EQ(group->GetMembers(), (std::vector<Actor*>{second}));
    second->Destroy();
    EXPECT_EQ(group->GetNumMembers(), 0u) << "an actor being destroyed leaves its groups";
    EXPECT_TRUE(second->GetMemberships().empty());
    DeleteFlagged();

    auto* third = new Member(trace, "third", false);
    group->AddMember(third);
    group.reset();
    EXPECT_TRUE(third->GetMemberships().empty()) << "a group that goes lets its members go";
    delete third;
}

TEST_F(ActorScriptsTest, AGroupFromTheGroupsPropertyHearsEventsBeforeTheChildren)
{
    std::vector<std::string> trace;
    Actor* screen = Make();
    auto* dialog = new Actor;
    screen->AddChild(dialog);
    dialog->ApplyProperties(Eval("{ groups = { choices = { class = 'ActorGroup' } } }"));
    auto* group = dynamic_cast<ActorGroup*>(dialog->FindGroup("choices", false));
    ASSERT_NE(group, nullptr);
    auto* child = new Member(trace, "child", false);
    dialog->AddChild(child);
    auto* member = new Member(trace, "member", true);
    group->AddMember(member);
    EXPECT_TRUE(dialog->OnEvent(MakeEventRecord(VELK_SELECT)));
    EXPECT_EQ(trace, (std::vector<std::string>{"member"}));
    EXPECT_EQ(screen->FindGroup("choices", false), nullptr);
    EXPECT_EQ(screen->FindGroup("choices", true), group) << "found in the children's listeners";
    delete member;
}

TEST_F(ActorScriptsTest, RaisedEventsReachTheReceiversOnceEach)
{
    Actor* button = Make();
    Clicks refuses(false), takes(true), never(true);
    button->AddToGroup(&refuses);
    button->AddToGroup(&takes);
    button->AddToGroup(&takes);
    button->AddToGroup(&never);
    EXPECT_TRUE(button->HasReceivers());

    button->RaiseEvent(VELK_BUTTONCLICK, button, true);
    EXPECT_EQ(refuses.senders, (std::vector<void*>{button}));
    EXPECT_EQ(takes.senders, (std::vector<void*>{button}));
    EXPECT_TRUE(never.senders.empty()) << "the first receiver that handles it ends the walk";

    button->RaiseEvent(VELK_BUTTONCLICK, button, false);
    EXPECT_EQ(takes.senders.size(), 1u) << "posted: delivered in the events phase";
    host->DispatchEvents();
    EXPECT_EQ(takes.senders.size(), 2u);

    // The shorthand constructors take a receiver too.
    std::unique_ptr<Actor> shade(Actor::CreateRectangle(Color(0, 0, 0, 128), 1, 2, 30, 40, 20, &never));
    EXPECT_EQ(shade->GetPosition(), Point<int>(1, 2));
    EXPECT_EQ(shade->GetLocalRect(), Rect(0, 0, 30, 40));
    EXPECT_EQ(shade->GetZOrder(), 20);
    EXPECT_EQ(shade->GetColorMode(), 12u);
    shade->RaiseEvent(VELK_BUTTONCLICK, nullptr, true);
    EXPECT_EQ(never.senders.size(), 1u);

    // An actor that goes before its posted event is delivered takes the event with it.
    Actor* doomed = new Actor;
    doomed->AddToGroup(&takes);
    doomed->RaiseEvent(VELK_BUTTONCLICK, doomed, false);
    delete doomed;
    host->DispatchEvents();
    EXPECT_EQ(takes.senders.size(), 2u);
}
