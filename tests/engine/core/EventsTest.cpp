#include "engine/core/Events.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records which handler a record reached and what it was given.
class RecordingRouter : public EventRouter
{
public:
    std::vector<std::string> calls;
    const void* argument = nullptr;

    bool Note(const char* name, const void* arg)
    {
        calls.push_back(name);
        argument = arg;
        return true;
    }
    bool OnActiveEvent(const EventRecord& e) override { return Note("OnActiveEvent", &e); }
    bool OnKeyDown(const EventRecord& e) override { return Note("OnKeyDown", &e); }
    bool OnKeyUp(const EventRecord& e) override { return Note("OnKeyUp", &e); }
    bool OnMouseMotion(const EventRecord& e) override { return Note("OnMouseMotion", &e); }
    bool OnMouseButtonDown(const EventRecord& e) override { return Note("OnMouseButtonDown", &e); }
    bool OnMouseButtonUp(const EventRecord& e) override { return Note("OnMouseButtonUp", &e); }
    bool OnJoyAxisMotion(const EventRecord& e) override { return Note("OnJoyAxisMotion", &e); }
    bool OnJoyBallMotion(const EventRecord& e) override { return Note("OnJoyBallMotion", &e); }
    bool OnQuit() override { return Note("OnQuit", nullptr); }
    bool OnSysWMEvent(const EventRecord& e) override { return Note("OnSysWMEvent", &e); }
    bool OnVideoResize(const EventRecord& e) override { return Note("OnVideoResize", &e); }
    bool OnVideoExpose(const EventRecord& e) override { return Note("OnVideoExpose", &e); }
    bool OnUserEvent(const EventRecord& e) override { return Note("OnUserEvent", &e); }
    bool OnActorScriptFinished(Event* e) override { return Note("OnActorScriptFinished", e); }
    bool OnAnimationFinished(Event* e) override { return Note("OnAnimationFinished", e); }
    bool OnAppQuit(const EventRecord& e) override { return Note("OnAppQuit", &e); }
    bool OnButtonAppearanceChange(Event* e) override { return Note("OnButtonAppearanceChange", e); }
    bool OnButtonPress(const EventRecord& e) override { return Note("OnButtonPress", &e); }
    bool OnButtonClick(const EventRecord& e) override { return Note("OnButtonClick", &e); }
    bool OnCardClick(const EventRecord& e) override { return Note("OnCardClick", &e); }
    bool OnChildGroupAdded(Event* e) override { return Note("OnChildGroupAdded", e); }
    bool OnConfigUpdate(const EventRecord& e) override { return Note("OnConfigUpdate", &e); }
    bool OnDialogStarted(const EventRecord& e) override { return Note("OnDialogStarted", &e); }
    bool OnDialogStopped(const EventRecord& e) override { return Note("OnDialogStopped", &e); }
    bool OnDialogDelete(const EventRecord& e) override { return Note("OnDialogDelete", &e); }
    bool OnDisplayChange(const EventRecord& e) override { return Note("OnDisplayChange", &e); }
    bool OnGameRecordsAdded(const EventRecord& e) override { return Note("OnGameRecordsAdded", &e); }
    bool OnHighScoresUpdated(const EventRecord& e) override { return Note("OnHighScoresUpdated", &e); }
    bool OnInternalEvent(const EventRecord& e) override { return Note("OnInternalEvent", &e); }
    bool OnLabelRender(const EventRecord& e) override { return Note("OnLabelRender", &e); }
    bool OnMedalClick(const EventRecord& e) override { return Note("OnMedalClick", &e); }
    bool OnMouseEnter(const EventRecord& e) override { return Note("OnMouseEnter", &e); }
    bool OnMouseLeave(const EventRecord& e) override { return Note("OnMouseLeave", &e); }
    bool OnPauseApp(const EventRecord& e) override { return Note("OnPauseApp", &e); }
    bool OnPauseGame(const EventRecord& e) override { return Note("OnPauseGame", &e); }
    bool OnPlayerChange(const EventRecord& e) override { return Note("OnPlayerChange", &e); }
    bool OnScreenTransition(Event* e) override { return Note("OnScreenTransition", e); }
    bool OnSlideComplete(Event* e) override { return Note("OnSlideComplete", e); }
    bool OnTimer(const EventRecord& e) override { return Note("OnTimer", &e); }
    bool OnValueChange(const EventRecord& e) override { return Note("OnValueChange", &e); }
    bool OnResetWindow(const EventRecord& e) override { return Note("OnResetWindow", &e); }
    bool OnReload(const EventRecord& e) override { return Note("OnReload", &e); }
    bool OnSelect(const EventRecord& e) override { return Note("OnSelect", &e); }
};

enum class Arg { Record, Event, None };

struct RouteCase
{
    int number;
    const char* name;
    const char* handler;
    Arg arg;
};

const RouteCase kRoutes[] = {
    {1, "SDL_ACTIVEEVENT", "OnActiveEvent", Arg::Record},
    {2, "SDL_KEYDOWN", "OnKeyDown", Arg::Record},
    {3, "SDL_KEYUP", "OnKeyUp", Arg::Record},
    {4, "SDL_MOUSEMOTION", "OnMouseMotion", Arg::Record},
    {5, "SDL_MOUSEBUTTONDOWN", "OnMouseButtonDown", Arg::Record},
    {6, "SDL_MOUSEBUTTONUP", "OnMouseButtonUp", Arg::Record},
    {7, "SDL_JOYAXISMOTION", "OnJoyAxisMotion", Arg::Record},
    {8, "SDL_JOYBALLMOTION", "OnJoyBallMotion", Arg::Record},
    {12, "SDL_QUIT", "OnQuit", Arg::None},
    {13, "SDL_SYSWMEVENT", "OnSysWMEvent", Arg::Record},
    {16, "SDL_VIDEORESIZE", "OnVideoResize", Arg::Record},
    {17, "SDL_VIDEOEXPOSE", "OnVideoExpose", Arg::Record},
    {24, "SDL_USEREVENT", "OnUserEvent", Arg::Record},
    {26, "VELK_ACTORSCRIPTFINISHED", "OnActorScriptFinished", Arg::Event},
    {27, "VELK_ANIMATIONFINISHED", "OnAnimationFinished", Arg::Event},
    {28, "VELK_APPQUIT", "OnAppQuit", Arg::Record},
    {29, "VELK_BUTTONAPPEARANCECHANGE", "OnButtonAppearanceChange", Arg::Event},
    {30, "VELK_BUTTONPRESS", "OnButtonPress", Arg::Record},
    {31, "VELK_BUTTONCLICK", "OnButtonClick", Arg::Record},
    {32, "VELK_CARDCLICK", "OnCardClick", Arg::Record},
    {33, "VELK_CHILDGROUPADDED", "OnChildGroupAdded", Arg::Event},
    {34, "VELK_CONFIGUPDATE", "OnConfigUpdate", Arg::Record},
    {35, "VELK_DIALOGSTARTED", "OnDialogStarted", Arg::Record},
    {36, "VELK_DIALOGSTOPPED", "OnDialogStopped", Arg::Record},
    {37, "VELK_DIALOGDELETE", "OnDialogDelete", Arg::Record},
    {38, "VELK_DISPLAYCHANGE", "OnDisplayChange", Arg::Record},
    {39, "VELK_GAMERECORDSADDED", "OnGameRecordsAdded", Arg::Record},
    {40, "VELK_HIGHSCORESUPDATED", "OnHighScoresUpdated", Arg::Record},
    {41, "VELK_INTERNALEVENT", "OnInternalEvent", Arg::Record},
    {42, "VELK_LABELRENDER", "OnLabelRender", Arg::Record},
    {43, "VELK_MEDALCLICK", "OnMedalClick", Arg::Record},
    {44, "VELK_MOUSEENTER", "OnMouseEnter", Arg::Record},
    {45, "VELK_MOUSELEAVE", "OnMouseLeave", Arg::Record},
    {46, "VELK_PAUSEAPP", "OnPauseApp", Arg::Record},
    {47, "VELK_PAUSEGAME", "OnPauseGame", Arg::Record},
    {48, "VELK_PLAYERCHANGE", "OnPlayerChange", Arg::Record},
    {49, "VELK_SCREENTRANSITION", "OnScreenTransition", Arg::Event},
    {50, "VELK_SLIDECOMPLETE", "OnSlideComplete", Arg::Event},
    {51, "VELK_TIMER", "OnTimer", Arg::Record},
    {52, "VELK_VALUECHANGE", "OnValueChange", Arg::Record},
    {53, "VELK_RESETWINDOW", "OnResetWindow", Arg::Record},
    {54, "VELK_RELOAD", "OnReload", Arg::Record},
    {55, "VELK_SELECT", "OnSelect", Arg::Record},
};

class Consumer : public EventReceiver
{
public:
    explicit Consumer(bool consume) : m_Consume(consume) {}
    bool OnEvent(const EventRecord&) override
    {
        ++offered;
        return m_Consume;
    }
    int offered = 0;

private:
    bool m_Consume;
};

} // namespace

TEST(EventsTest, EveryNumberReachesItsHandlerWithItsArgument)
{
    for (const RouteCase& c : kRoutes) {
        RecordingRouter router;
        Event event(c.number, nullptr);
        EventRecord record = MakeEventRecord(static_cast<uint8_t>(c.number), 0, &event);
        EXPECT_TRUE(router.RouteEvent(record)) << c.number;
        ASSERT_EQ(router.calls, std::vector<std::string>{c.handler}) << c.number;
        const void* expected = c.arg == Arg::Record ? static_cast<const void*>(&record)
                               : c.arg == Arg::Event ? static_cast<const void*>(&event)
                                                     : nullptr;
        EXPECT_EQ(router.argument, expected) << c.number;
        EXPECT_EQ(NameOfEvent(c.number), c.name);
        EXPECT_EQ(TypeOfEvent(c.name), c.number);
    }
}

TEST(EventsTest, NumbersWithoutHandlersAreNotHandled)
{
    for (int number : {0, 9, 10, 11, 14, 15, 18, 23, 25, 56, 57, 200, 255}) {
        RecordingRouter router;
        EXPECT_FALSE(router.RouteEvent(MakeEventRecord(static_cast<uint8_t>(number)))) << number;
        EXPECT_TRUE(router.calls.empty()) << number;
    }
    EventRouter defaults;
    EXPECT_FALSE(defaults.RouteEvent(MakeEventRecord(12)));
    EXPECT_FALSE(defaults.RouteEvent(MakeEventRecord(51)));
}

TEST(EventsTest, NamesAndTheirFailures)
{
    EXPECT_EQ(NameOfEvent(25), "UNKNOWN");
    EXPECT_EQ(NameOfEvent(56), "UNKNOWN");
    EXPECT_EQ(NameOfEvent(12 + 256), "SDL_QUIT");  // taken as 8 bits
    try {
        TypeOfEvent("velk_select");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), "Assertion failed: (false)");
        EXPECT_EQ(e.GetFunction(), "TypeOfEvent");
    }
    RegisterEventName(62, "WOPPLE_LEVELCOMPLETED");
    EXPECT_EQ(TypeOfEvent("WOPPLE_LEVELCOMPLETED"), 62);
    EXPECT_EQ(NameOfEvent(62), "WOPPLE_LEVELCOMPLETED");
    EXPECT_THROW(RegisterEventName(63, "WOPPLE_LEVELCOMPLETED"), Exception);
}

TEST(EventsTest, ScriptFunctionsTranslateNamesAndNumbers)
{
    LuaState state = VelkLuaState::Create();
    VelkLuaState::RunStartupScript(state);
    VelkLuaState::LoadStringA(state,
                              "assert(NameOfEvent(55.7) == 'VELK_SELECT') assert(TypeOfEvent('SDL_QUIT') == 12) "
                              "local ok, e = pcall(TypeOfEvent, 'nope') assert(not ok and e == 'Assertion failed: (false)')",
                              0, 0);
    VelkLuaState::Destroy();
}

TEST(EventsTest, ReceiverGroupStopsAtTheFirstConsumer)
{
    Consumer passes(false), consumes(true), never(true);
    EventReceiverGroup group;
    EXPECT_FALSE(group.OnEvent(MakeEventRecord(31)));
    group.Add(&passes);
    group.Add(&consumes);
    group.Add(&never);
    EXPECT_TRUE(group.OnEvent(MakeEventRecord(31)));
    EXPECT_EQ(passes.offered, 1);
    EXPECT_EQ(consumes.offered, 1);
    EXPECT_EQ(never.offered, 0);
    EXPECT_TRUE(group.Remove(&consumes));
    EXPECT_FALSE(group.Remove(&consumes));
}

TEST(EventsTest, ReferenceCountCountsPendingDeliveries)
{
    auto* event = new Event(27, nullptr);
    event->AddRef();
    event->AddRef();
    EXPECT_FALSE(event->Release());
    EXPECT_TRUE(event->Release());
    delete event;
}

TEST(EventsDeathTest, DeletingAnEventWithPendingDeliveriesIsReported)
{
    EXPECT_DEBUG_DEATH(
        {
            Event* event = new Event(27, nullptr);
            event->AddRef();
            delete event;
        },
        "m_RefCount == 0");
}
