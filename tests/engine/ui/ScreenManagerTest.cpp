// The screen manager inside the application: switching with the transition
// event, the screen table and its checks, where events go, updating and
// drawing with a transition, the window buttons, the script function, the
// roll-over walk and the application's use of it all.

#include "ScreenTestSupport.h"
#include "engine/core/VelkLuaState.h"
#include "engine/ui/ViewableTransition.h"

#include <gmock/gmock.h>

using namespace screentest;
using ::testing::HasSubstr;

namespace {

// Writes down every transition it hears of as "<screen>: <old> -> <new>".
class ListeningScreen : public Screen
{
public:
    ListeningScreen(const std::string& name, std::vector<std::string>& heard) : Screen("", name, nullptr), heard(heard)
    {
    }
    bool OnScreenTransition(Event* e) override
    {
        auto* transition = static_cast<ScreenTransitionEvent*>(e);
        auto nameOf = [](Screen* s) { return s ? s->GetName() : std::string("none"); };
        heard.push_back(GetName() + ": " + nameOf(transition->oldScreen) + " -> " + nameOf(transition->newScreen) +
                        (transition->kind == 1 && e->sender ? "" : " (bad)"));
        return false;
    }
    bool OnSelect(const EventRecord&) override
    {
        heard.push_back(GetName());
        return false;
    }
    void Update() override
    {
        heard.push_back(GetName() + " update");
        Screen::Update();
    }
    std::vector<std::string>& heard;
};

class ScreenManagerTest : public ScreenFixture
{
protected:
    std::vector<std::string> Switched(const std::function<void()>& action)
    {
        heard.clear();
        action();
        std::vector<std::string> result = heard;
        std::sort(result.begin(), result.end());  // the table's order is its own
        return result;
    }

    void Run(const std::string& source) { VelkLuaState::LoadStringA(app->GetLuaState(), source, 0, 0); }

    std::vector<std::string> heard;
};

} // namespace

TEST_F(ScreenManagerTest, EveryScreenHearsOfASwitchAndVideoMemoryIsEmptied)
{
    auto* menu = AddScreen<ListeningScreen>("MenuScreen", heard);
    AddScreen<ListeningScreen>("GameScreen", heard);
    AddScreen<ListeningScreen>("MapScreen", heard);
    app->SetLogLevel(3);

    EXPECT_EQ(Switched([&] { manager->SwitchToScreen("MenuScreen"); }),
              (std::vector<std::string>{"GameScreen: none -> MenuScreen", "MapScreen: none -> MenuScreen",
                                        "MenuScreen: none -> MenuScreen"}));
    EXPECT_EQ(manager->GetCurrentScreen(), menu);
    EXPECT_EQ(manager->GetScreen(""), menu);
    EXPECT_THAT(LogText(), HasSubstr("ScreenManager::SwitchToScreen: Flushing vidmem.\n"));

    // Posted: heard in the next events phase, and the event is freed after the last.
    EXPECT_TRUE(Switched([&] { manager->DoSwitchToScreen(manager->GetScreen("GameScreen"), false); }).empty());
    EXPECT_EQ(Switched([&] { app->RunPass(); }),
              (std::vector<std::string>{"GameScreen update", "GameScreen: MenuScreen -> GameScreen",
                                        "MapScreen: MenuScreen -> GameScreen",
                                        "MenuScreen: MenuScreen -> GameScreen"}));

    // Quitting leaves no screen, and every screen hears of it at once.
    app->Quit();
    EXPECT_EQ(Switched([&] { app->RunPass(); }),
              (std::vector<std::string>{"GameScreen update", "GameScreen: GameScreen -> none",
                                        "MapScreen: GameScreen -> none", "MenuScreen: GameScreen -> none"}));
    EXPECT_EQ(manager->GetCurrentScreen(), nullptr);
    EXPECT_TRUE(app->GetLuaState().GetGlobal("Screens")["currentScreen"].IsNil());
}

TEST_F(ScreenManagerTest, TheScreenTableChecksNames)
{
    auto* menu = AddScreen("", "MenuScreen", nullptr);
    manager->SwitchToScreen("MenuScreen");
    Screen twin("", "MenuScreen", nullptr);
    Screen reserved("", "currentScreen", nullptr);
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { manager->AddScreen(&twin); }, "A Screen with name \"MenuScreen\" already exists."},
        {[&] { manager->AddScreen(&reserved); }, "The screen name of \"currentScreen\" is reserved for use by Velk."},
        {[&] { manager->SwitchToScreen("Nowhere"); }, "A Screen with name \"Nowhere\" does not exist."},
        {[&] { manager->GetScreen("Nowhere"); },
         "Couldn't find a screen with name=\"Nowhere\".  Entry has a type name of \"nil\""},
    };
    for (const auto& [call, message] : cases)
        EXPECT_THAT(FailureOf(call), HasSubstr(message));
    EXPECT_EQ(manager->GetCurrentScreen(), menu);

    // Scripts see the same table under both names.
    Run("_same = Screens == ScreenManager and Screens.MenuScreen == Screens.currentScreen");
    EXPECT_TRUE(app->GetLuaState().GetGlobal("_same").GetBoolean());
}

TEST_F(ScreenManagerTest, EventsGoToTheOverlayThenTheCurrentScreenAndItsFrontDialog)
{
    std::vector<std::string> trace;
    manager->GetGlobalOverlay()->AddChild(new TracingActor(trace, "overlay"));
    auto* screen = AddScreen<ListeningScreen>("Menu", trace);
    auto* back = new TestDialog("Back", DIALOGFLAG_NONBLOCKING, Colors::Red, 2, 2);
    auto* front = new TestDialog("Front", DIALOGFLAG_NONBLOCKING, Colors::Red, 2, 2);
    back->AddChild(new TracingActor(trace, "in back"));
    front->AddChild(new TracingActor(trace, "in front"));
    screen->StartDialog(back, false);
    screen->StartDialog(front, false);

    // No screen: the manager and its overlay only.
    EXPECT_FALSE(app->OnEvent(MakeEventRecord(VELK_SELECT)));
    EXPECT_EQ(trace, std::vector<std::string>{"overlay"});

    trace.clear();
    manager->SwitchToScreen("Menu");
    trace.clear();
    EXPECT_FALSE(app->OnEvent(MakeEventRecord(VELK_SELECT)));
    EXPECT_EQ(trace, (std::vector<std::string>{"overlay", "in front", "in back", "Menu"}));
}

TEST_F(ScreenManagerTest, ATransitionIsDrawnInsteadOfTheScreenUntilItIsFinished)
{
    AddImage("blue16x8.png", 16, 8, 0xFF0000FF);
    AddScreen("blue16x8.png", "Menu", nullptr);
    manager->SwitchToScreen("Menu");
    auto* fade = new FadeTransition;
    LuaObject duration;
    duration.AssignInteger(app->GetLuaState(), 64);
    fade->ApplyProperty("duration", duration);
    EXPECT_EQ(fade->GetDuration(), 64);
    fade->SetScreen(manager->GetCurrentScreen());
    manager->SetTransition(fade);

    auto blueAt0 = [&] {
        Canvas canvas(ScreenApp::kWidth, ScreenApp::kHeight, CANVAS_DESTROY_TARGET);
        manager->Draw(canvas);
        return Rgb(canvas, 0, 0) & 0xFF;
    };
    EXPECT_EQ(blueAt0(), 0u) << "faded out at first";
    manager->Update();
    std::uint32_t half = blueAt0();
    EXPECT_GT(half, 0u);
    EXPECT_LT(half, 0xFFu);
    manager->Update();  // 64 ms: finished
    manager->Update();  // asked again: dropped
    EXPECT_EQ(manager->GetTransition(), nullptr);
    EXPECT_EQ(blueAt0(), 0xFFu);

    // The base transition has nothing to show and is done at once.
    manager->SetTransition(new ViewableTransition);
    manager->Update();
    EXPECT_EQ(manager->GetTransition(), nullptr);
}

TEST_F(ScreenManagerTest, WindowButtonsShowAndAnswerOnlyInFullScreen)
{
    Actor* buttons = manager->GetWindowButtons();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->GetParent(), manager->GetGlobalOverlay());
    EXPECT_FALSE(buttons->IsVisible()) << "a window";

    Actor close;
    close.SetName("CloseButton");
    Actor other;
    other.SetName("OtherButton");
    auto click = [&](Actor& button) { return manager->OnEvent(MakeEventRecord(VELK_BUTTONCLICK, 0, &button)); };
    EXPECT_FALSE(click(close));
    EXPECT_TRUE(app->IsRunning());

    app->m_FullScreen = true;
    manager->OnEvent(MakeEventRecord(VELK_RESETWINDOW));
    EXPECT_TRUE(buttons->IsVisible());
    manager->SetShowWindowButtons(false);
    EXPECT_FALSE(buttons->IsVisible());
    EXPECT_FALSE(click(other));
    EXPECT_TRUE(click(close));
    EXPECT_FALSE(app->IsRunning());
}

TEST_F(ScreenManagerTest, ScriptsSwitchToScreensTheyMakeFromTemplates)
{
    Run("Resources.TemplateScreen = { class = 'Screen', name = 'Templated',"
        "  children = { Panel = { class = 'Actor', position = { 2, 3 } } } }\n"
        "Screens.Templated = CreateObject(Resources.TemplateScreen)\n"
        "SwitchToScreen('Templated')");
    Screen* screen = manager->GetCurrentScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetName(), "Templated");
    ASSERT_NE(screen->FindChild("Panel"), nullptr);
    EXPECT_EQ(screen->FindChild("Panel")->GetPosition(), Point<int>(2, 3));
    EXPECT_EQ(screen->GetWidth(), ScreenApp::kWidth);

    Run("SwitchToScreen(42)");
    EXPECT_THAT(LogText(),
                HasSubstr("ERROR: Bad parameter(s) to SwitchToScreen.\nUsage: SwitchToScreen(\"name of screen\")\n"));
    EXPECT_EQ(manager->GetCurrentScreen(), screen);
    EXPECT_THAT(FailureOf([&] { Run("SwitchToScreen('Nowhere')"); }),
                HasSubstr("A Screen with name \"Nowhere\" does not exist."));
}

TEST_F(ScreenManagerTest, TheRolloverWalkSendsEnterAndLeaveOncePerChange)
{
    std::vector<std::string> trace;
    auto* screen = AddScreen("", "Menu", nullptr);
    auto* panel = new Actor;
    screen->AddChild(panel, "panel");
    auto hotSpot = [&](const std::string& name, Actor* parent, int x, int w) {
        auto* actor = new TracingActor(trace, name);
        actor->SetPosition(x, 0);
        actor->SetSize(w, 4);
        actor->SetRolloverable(true);
        parent->AddChild(actor);
        return actor;
    };
    hotSpot("under", panel, 0, 8);
    TracingActor* over = hotSpot("over", screen, 4, 8);  // added later: drawn on top
    manager->SwitchToScreen("Menu");

    struct Step
    {
        int x;
        bool focus;
        std::vector<std::string> events;
    };
    const Step steps[] = {
        {1, true, {"enter under"}},
        {2, true, {}},  // still the same actor
        {5, true, {"leave under", "enter over"}},
        {14, true, {"leave over"}},
        // One pixel either side of each edge.
        {3, true, {"enter under"}},
        {4, true, {"leave under", "enter over"}},
        {11, true, {}},
        {12, true, {"leave over"}},
        {5, true, {"enter over"}},
        {5, false, {"leave over"}},  // the pointer left the window
    };
    for (const Step& step : steps) {
        trace.clear();
        app->ResetRolloverAt(step.x, 1, step.focus);
        EXPECT_EQ(trace, step.events) << "at x = " << step.x;
    }
    EXPECT_EQ(manager->GetRolloverActor(), nullptr);

    // Hidden actors, and those under a hidden parent, are not under the pointer.
    over->SetVisible(false);
    trace.clear();
    app->ResetRolloverAt(5, 1, true);
    EXPECT_EQ(trace, std::vector<std::string>{"enter under"});
    panel->SetVisible(false);
    trace.clear();
    app->ResetRolloverAt(5, 1, true);
    EXPECT_EQ(trace, std::vector<std::string>{"leave under"});

    // A blocking dialog keeps the pointer from the screen behind it.
    panel->SetVisible(true);
    screen->StartDialog(new TestDialog("Modal", 0, Colors::Red, 2, 2), false);
    trace.clear();
    app->ResetRolloverAt(1, 1, true);
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(manager->GetRolloverActor(), nullptr);
}

TEST_F(ScreenManagerTest, TheApplicationAsksTheCurrentScreenForDialogs)
{
    auto* screen = AddScreen("", "Menu", nullptr);
    auto* dialog = new TestDialog("Dialog", 0, Colors::Red, 2, 2);
    screen->StartDialog(dialog, false);
    auto shows = [&] { return app->CurrentScreenShowsDialog(); };
    EXPECT_FALSE(shows()) << "not the current screen yet";
    manager->SwitchToScreen("Menu");
    EXPECT_TRUE(shows());
    dialog->SetVisible(false);
    EXPECT_FALSE(shows()) << "a hidden dialog is not shown";
    // One shown behind a hidden one is.
    dialog->SetVisible(true);
    screen->StartDialog(new TestDialog("Hidden", 0, Colors::Red, 2, 2), false);
    screen->GetTopDialog("")->SetVisible(false);
    EXPECT_TRUE(shows());
}
