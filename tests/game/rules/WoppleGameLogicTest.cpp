#include "RulesTestSupport.h"

#include "engine/ui/Actor.h"
#include "game/rules/WoppleEventHandler.h"
#include "game/shell/WoppleScreen.h"

#include <algorithm>

#include <memory>

using namespace rulestest;

namespace {

class WoppleGameLogicTest : public gametest::GameFixture
{
protected:
    void SetUp() override { Start(); }
    void TearDown() override
    {
        logic.reset();
        participant.reset();
        output.reset();
        gametest::GameFixture::TearDown();
    }

    // A mode logic with its scoring logic and participant, each in its initial state.
    void MakeRound()
    {
        output = std::make_unique<TestLogic>("output", record);
        participant = std::make_unique<TestLogic>("participant", record);
        logic = std::make_unique<TestLogic>("logic", record);
        for (TestLogic* l : {output.get(), participant.get(), logic.get()}) {
            l->CreateStates();
            l->Start();
        }
        logic->output = output.get();
        logic->participant = participant.get();
    }

    void Post(int type, EventReceiver* receiver) { PostNewEvent(type, receiver, nullptr, nullptr); }

    Record record;
    std::unique_ptr<TestLogic> output;
    std::unique_ptr<TestLogic> participant;
    std::unique_ptr<TestLogic> logic;
};

TEST_F(WoppleGameLogicTest, GameEventIsOfferedToScoringLogicParticipantStateThenOwnHandlers)
{
    MakeRound();
    Post(WOPPLE_MATCHQUEUEEMPTY, logic.get());
    Pass();
    EXPECT_EQ(record, (Record{"output.state:74", "output.own:74", "participant.state:74", "participant.own:74",
                              "logic.state:74", "logic.own:74"}));

    // The first to handle it stops the search.
    record.clear();
    participant->state->handles = {WOPPLE_CELLCLICK};
    Post(WOPPLE_CELLCLICK, logic.get());
    Pass();
    EXPECT_EQ(record, (Record{"output.state:60", "output.own:60", "participant.state:60"}));
}

TEST_F(WoppleGameLogicTest, NothingReachesALogicOrItsHelpersOnceItIsMarkedForDeletion)
{
    MakeRound();
    Post(WOPPLE_MATCHQUEUEEMPTY, logic.get());
    TestLogic* dying = logic.release();
    dying->Destroy();
    EXPECT_FALSE(SendNewEvent(WOPPLE_CELLCLICK, dying, nullptr, nullptr));
    Pass();  // the queued event comes before the deletion phase
    EXPECT_TRUE(record.empty()) << record.front();

    // A helper that is itself going is skipped, the rest still see the event.
    MakeRound();
    record.clear();
    output->Destroy();
    EXPECT_FALSE(SendNewEvent(WOPPLE_MATCHQUEUEEMPTY, logic.get(), nullptr, nullptr));
    EXPECT_EQ(record, (Record{"participant.state:74", "participant.own:74", "logic.state:74", "logic.own:74"}));
    output.release();  // the deletion phase has it
    Pass();
}

TEST_F(WoppleGameLogicTest, EngineEventsReachEngineHandlersAndGameEventsOnlyGameHandlers)
{
    MakeRound();
    logic->output = logic->participant = nullptr;
    // A state that handles game events still takes an engine event in its engine handler.
    logic->state->handles = {VELK_TIMER};
    EventRecord timer = MakeEventRecord(VELK_TIMER);
    EXPECT_TRUE(logic->OnEvent(timer));
    EXPECT_EQ(record, (Record{"logic.state:" + std::to_string(VELK_TIMER), "logic.state.timer"}));

    // The user-event handler is an engine handler: a game event never lands there.
    record.clear();
    Event e(WOPPLE_MATCHQUEUED, nullptr);
    EventRecord game = MakeEventRecord(WOPPLE_MATCHQUEUED, 0, &e);
    EXPECT_FALSE(logic->RouteEvent(game));
    EXPECT_TRUE(record.empty());
}

TEST_F(WoppleGameLogicTest, EventsNobodyHandlesAreReportedNotHandled)
{
    WoppleEventHandler plain;
    for (int type : {int(WOPPLE_BLASTCELLCLICK), int(WOPPLE_BLASTWHEELFINISHED), int(WOPPLE_BOARDNUMBERSGENERATED),
                     int(WOPPLE_MATCHQUEUEEMPTY), int(VELK_TIMER), 75}) {
        Event e(type, nullptr);
        EXPECT_FALSE(plain.RouteEvent(MakeEventRecord(type, 0, &e))) << type;
    }
    // The game's numbers are the names the application registered.
    EXPECT_EQ(TypeOfEvent("WOPPLE_BLASTCELLCLICK"), WOPPLE_BLASTCELLCLICK);
    EXPECT_EQ(TypeOfEvent("WOPPLE_CELLCLICK"), WOPPLE_CELLCLICK);
    EXPECT_EQ(TypeOfEvent("WOPPLE_MATCHQUEUEEMPTY"), WOPPLE_MATCHQUEUEEMPTY);
}

TEST_F(WoppleGameLogicTest, LosingFocusTwicePausesOnceUntilAnotherActivityEvent)
{
    MakeRound();
    auto active = [](int gain, int state) {
        EventRecord e{};
        e.active.type = SDL_ACTIVEEVENT;
        e.active.gain = gain;
        e.active.state = state;
        return e;
    };
    EXPECT_FALSE(logic->OnActiveEvent(active(0, SDL_APPINPUTFOCUS)));
    logic->OnActiveEvent(active(0, SDL_APPACTIVE));
    EXPECT_EQ(record, (Record{"logic.pause"}));
    EXPECT_TRUE(logic->IsPausedForFocus());

    // The mouse leaving is no loss of focus; getting focus back does not unpause.
    logic->OnActiveEvent(active(0, SDL_APPMOUSEFOCUS));
    EXPECT_FALSE(logic->IsPausedForFocus());
    logic->OnActiveEvent(active(1, SDL_APPINPUTFOCUS));
    logic->OnActiveEvent(active(0, SDL_APPINPUTFOCUS));
    EXPECT_EQ(record, (Record{"logic.pause", "logic.pause"}));
}

// A state of the kind the rules are full of: it runs a timer for its logic and
// frees it when it goes.
class TimedState : public RecordingState
{
public:
    TimedState(Object& owner, Record& record) : RecordingState("timed", record, "Timed"), m_Owner(owner) {}
    ~TimedState() override
    {
        if (m_TimerID)
            TimerManager::GetInstance()->FreeTimer(m_TimerID);
    }
    void OnEnterState() override
    {
        m_TimerID = TimerManager::GetInstance()->CreateTimer(&m_Owner, 32, -1, TIMER_LIMITED_TO_FRAMERATE, "default");
    }

private:
    Object& m_Owner;
    uint32_t m_TimerID = 0;
};

TEST_F(WoppleGameLogicTest, QuittingMidRoundDeliversNothingToTheFreedLogic)
{
    MakeRound();
    Passes(2);
    auto* timed = new TimedState(*logic, record);
    logic->AddState(timed, true);
    logic->SetState("Timed");
    Actor board;
    board.AttachObserver(WOPPLE_CELLCLICK, logic.get());
    Pass();
    ASSERT_FALSE(record.empty());  // the timer runs

    // Queued events, a running timer and an observer entry: the owner deletes the
    // logic in the middle of it all.
    Post(WOPPLE_MATCHQUEUEEMPTY, logic.get());
    Post(WOPPLE_CELLCLICK, output.get());
    board.NotifyObservers(WOPPLE_CELLCLICK, nullptr, false);
    logic.reset();
    output.reset();
    participant.reset();
    record.clear();
    board.NotifyObservers(WOPPLE_CELLCLICK, nullptr, false);
    board.NotifyObservers(WOPPLE_CELLCLICK, nullptr, true);
    Passes(6);
    EXPECT_TRUE(record.empty()) << record.front();

    // The freed ids are free once only: two new timers get different ones.
    TimerManager* timers = TimerManager::GetInstance();
    uint32_t a = timers->CreateTimer(&board, 100, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
    uint32_t b = timers->CreateTimer(&board, 100, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
    EXPECT_NE(a, b);
    timers->FreeTimer(a);
    timers->FreeTimer(b);
}

TEST_F(WoppleGameLogicTest, ARulesTimerFreesOnlyTheTimerItWasHanded)
{
    TimerManager* timers = TimerManager::GetInstance();
    Actor receiver;
    auto held = std::make_unique<WoppleTimer>();
    held->CreateOrRestart(&receiver, 32, -1, TIMER_LIMITED_TO_FRAMERATE);
    const uint32_t id = held->GetID();
    ASSERT_NE(id, 0u);
    held->CreateOrRestart(&receiver, 64, 1, TIMER_LIMITED_TO_FRAMERATE);
    EXPECT_EQ(held->GetID(), id);  // restarted, not a second timer

    // The engine frees it (its receiver goes); the id then goes to someone else.
    timers->FreeTimersOfReceiver(&receiver);
    EXPECT_EQ(held->GetID(), 0u);
    uint32_t other = timers->CreateTimer(&receiver, 32, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
    ASSERT_EQ(other, id);
    held.reset();  // must not free the newcomer's timer
    EXPECT_EQ(timers->GetTimer(other).m_Flags & TIMER_FREED, 0u);
    timers->FreeTimer(other);
}

TEST_F(WoppleGameLogicTest, StopWithoutRootActorIsHarmlessAndScriptsReadTheModeName)
{
    MakeRound();
    logic->Stop();  // without a root actor: nothing
    EXPECT_EQ(logic->GetRootActor(), nullptr);
    LuaObject results = logic->GetRoundResults();
    ASSERT_TRUE(results.IsTable());
    EXPECT_EQ(results.GetTableCount(), 0);

    // Every logic answers its mode's name to scripts.
    logic->modeName = "Pirate's Fortune";
    app->GetLuaState().GetGlobals().SetObject("testLogic", logic->GetLuaObject());
    EXPECT_EQ(Eval("testLogic:GetNameOfGameMode()").GetString(), "Pirate's Fortune");
}

} // namespace

namespace {

class WoppleGameLogicRootTest : public WoppleGameLogicTest
{
protected:
    void SetUp() override
    {
        Start();
        LuaState lua = app->GetLuaState();
        ASSERT_EQ(lua.DoString("Resources.RulesTestLayout = Resources.Object:new{ children = {"
                               " bar = Resources.Actor:new{ children = { quitButton = Resources.Actor:new{} } },"
                               " optionsButton = Resources.Actor:new{}, helpButton = Resources.Actor:new{} } }"),
                  0)
            << lua.PopErrorMessage();
        screen = AddScreen<WoppleScreen>("", "GameScreen");
        logic = std::make_unique<TestLogic>("logic", record);
        logic->layoutName = "RulesTestLayout";
        logic->SetTargetScreen(screen);
    }

    static bool Listens(Actor* button, Object* listener)
    {
        const auto& listeners = button->GetListeners();
        return std::find(listeners.begin(), listeners.end(), listener) != listeners.end();
    }

    WoppleScreen* screen = nullptr;
};

TEST_F(WoppleGameLogicRootTest, TheRootActorHoldsTheLayoutAndItsButtonsReachTheLogic)
{
    logic->CreateRootActor();
    Actor* root = logic->GetRootActor();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "RootActor");
    EXPECT_EQ(root->GetParent(), screen);
    EXPECT_EQ(root->GetWidth(), screen->GetWidth());
    EXPECT_EQ(root->GetHeight(), screen->GetHeight());
    Actor* quit = root->FindChild("quitButton", true);
    ASSERT_NE(quit, nullptr);
    for (const char* name : {"optionsButton", "helpButton", "quitButton"})
        EXPECT_TRUE(Listens(root->FindChild(name, true), logic.get())) << name;

    // Stop lets go of the buttons at once; the actors go in the deletion phase.
    logic->Stop();
    EXPECT_EQ(logic->GetRootActor(), nullptr);
    EXPECT_FALSE(Listens(quit, logic.get()));
    logic->Stop();
    Pass();
    EXPECT_EQ(screen->FindChild("RootActor"), nullptr);
}

TEST_F(WoppleGameLogicRootTest, ALogicDeletedWithItsLayoutOnScreenLeavesNoListenerBehind)
{
    logic->CreateRootActor();
    Actor* quit = logic->GetRootActor()->FindChild("quitButton", true);
    ASSERT_TRUE(Listens(quit, logic.get()));
    Object* gone = logic.get();
    logic.reset();
    EXPECT_FALSE(Listens(quit, gone));
    Pass();
    EXPECT_EQ(screen->FindChild("RootActor"), nullptr);
}

TEST_F(WoppleGameLogicRootTest, ARootActorDeletedWithItsScreenIsNotTouchedAgain)
{
    logic->CreateRootActor();
    Actor* root = logic->GetRootActor();
    screen->RemoveChild(root);
    delete root;
    EXPECT_EQ(logic->GetRootActor(), nullptr);
    logic->Update();
    logic->Stop();
}

} // namespace

namespace {

// The game screen's side of the quit and options buttons.
class RecordingGameScreen : public WoppleScreen, public WoppleGameLogicHost
{
public:
    explicit RecordingGameScreen(Record& record) : WoppleScreen("", "GameScreen"), m_Record(record) {}
    void ShowAreYouSureQuitDialog() override { m_Record.push_back("screen.quit"); }
    void ShowOptionsDialog() override { m_Record.push_back("screen.options"); }

private:
    Record& m_Record;
};

class HelpLogic : public TestLogic
{
public:
    using TestLogic::TestLogic;
    void ShowHelp() override { calls.push_back("logic.help"); }
    Record calls;
};

TEST_F(WoppleGameLogicTest, TheScreensButtonsAskTheGameScreenOrShowHelp)
{
    auto* screen = AddScreen<RecordingGameScreen>(record);
    HelpLogic help("logic", record);
    help.SetTargetScreen(screen);
    auto click = [&](const char* name) {
        Actor button;
        button.SetName(name);
        return help.OnButtonClick(MakeEventRecord(VELK_BUTTONCLICK, 0, &button));
    };
    EXPECT_TRUE(click("quitButton"));
    EXPECT_TRUE(click("optionsButton"));
    EXPECT_TRUE(click("helpButton"));
    EXPECT_FALSE(click("cocoDropButton"));
    EXPECT_EQ(record, (Record{"screen.quit", "screen.options"}));
    EXPECT_EQ(help.calls, (Record{"logic.help"}));
}

TEST_F(WoppleGameLogicTest, GoingToTheMapAdvancesItToTheNextIslandAndTheMenuLeavesItAlone)
{
    AddScreen<WoppleScreen>("", "MenuScreen");
    auto* map = AddScreen<WoppleScreen>("", "MapScreen");
    map->AddState(new RecordingState("map", record, "AdvanceToNewIsland"), true);
    WoppleGameLogic::GoToScreen("MenuScreen");
    Passes(3);
    EXPECT_EQ(manager->GetCurrentScreen(), manager->GetScreen("MenuScreen"));
    EXPECT_EQ(map->GetState(), nullptr);
    WoppleGameLogic::GoToScreen("MapScreen");
    ASSERT_NE(map->GetState(), nullptr);
    EXPECT_EQ(map->GetStateName(), "AdvanceToNewIsland");
}

} // namespace
