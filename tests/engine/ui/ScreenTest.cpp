// Screens: layered drawing and the cached background, the dialog stack with
// its overlay and frozen picture, the checks of stopping and finding dialogs,
// and the order in which a screen offers events.

#include "ScreenTestSupport.h"
#include "engine/ui/ViewableTransition.h"

#include <gmock/gmock.h>

using namespace screentest;
using ::testing::HasSubstr;

namespace {

class ScreenTest : public ScreenFixture
{
protected:
    // The pixels of row y from x0 to x1.
    static std::vector<std::uint32_t> Row(Screen& screen, int y, int x0, int x1)
    {
        Canvas canvas(ScreenApp::kWidth, ScreenApp::kHeight, CANVAS_DESTROY_TARGET);
        screen.Draw(canvas);
        EXPECT_EQ(canvas.GetStateIndex(), 0u);
        std::vector<std::uint32_t> row;
        for (int x = x0; x <= x1; ++x)
            row.push_back(Rgb(canvas, x, y));
        return row;
    }
};

class TracingScreen : public Screen
{
public:
    TracingScreen(std::vector<std::string>& trace, ViewableTransition* transition)
        : Screen("", "Traced", transition), trace(trace)
    {
    }
    bool OnSelect(const EventRecord&) override
    {
        trace.push_back("screen");
        return false;
    }
    std::vector<std::string>& trace;
};

class TracingTransition : public ViewableTransition
{
public:
    explicit TracingTransition(std::vector<std::string>& trace) : trace(trace) {}
    bool OnSelect(const EventRecord&) override
    {
        trace.push_back("transition");
        return true;
    }
    void Update() override { trace.push_back("transition update"); }
    std::vector<std::string>& trace;
};

} // namespace

TEST_F(ScreenTest, LayeredActorsDrawOnceBelowOrAboveTheWholeTree)
{
    AddImage("red16x2.png", 16, 2, 0xFFFF0000);
    AddImage("blue4.png", 4, 1, 0xFF0000FF);
    AddImage("green5.png", 5, 1, 0xFF00FF00);
    AddImage("white1.png", 1, 1, 0xFFFFFFFF);
    auto* screen = AddScreen("red16x2.png", "Layers", nullptr);
    ASSERT_NE(screen->GetBackground(), nullptr);
    EXPECT_EQ(screen->GetBackground()->GetImageName(), "red16x2.png");
    EXPECT_EQ(screen->GetWidth(), ScreenApp::kWidth);

    // A panel at (4, 2) holds one actor below the tree and one above it; an
    // ordinary actor of the screen covers the same row.
    auto* panel = new Actor;
    panel->SetPosition(4, 2);
    screen->AddChild(panel, "panel");
    Actor* below = ImageActor("green5.png", 1, 0, "below");
    below->SetLayer(-1);
    panel->AddChild(below);
    Actor* above = ImageActor("white1.png", 0, 0, "above");
    above->SetLayer(1001);
    panel->AddChild(above);
    screen->AddChild(ImageActor("blue4.png", 4, 2, "tree"));
    // The screen's own note manager is layered too.
    EXPECT_EQ(screen->GetDrawMap().size(), 3u);

    const std::uint32_t black = 0;
    EXPECT_EQ(Row(*screen, 0, 0, 0), std::vector<std::uint32_t>{kRed}) << "the background";
    EXPECT_EQ(Row(*screen, 2, 3, 10),
              (std::vector<std::uint32_t>{black, kWhite, kBlue, kBlue, kBlue, kGreen, kGreen, black}));

    // The background layer is a cache: what joins it shows once it is re-rendered
    // (composed through the cache's own alpha, so within a shade of white).
    screen->AddToBackgroundLayer(ImageActor("white1.png", 15, 0), "corner");
    EXPECT_EQ(Row(*screen, 0, 15, 15)[0] & 0xF0F0F0u, 0xF0F0F0u);

    // Moved below 0, the white actor goes under the tree.
    above->SetLayer(-2);
    EXPECT_EQ(Row(*screen, 2, 4, 4), std::vector<std::uint32_t>{kBlue});
    // A hidden ancestor hides layered actors too.
    panel->SetVisible(false);
    EXPECT_EQ(Row(*screen, 2, 8, 9), (std::vector<std::uint32_t>{black, black}));
    // Taken out of the tree, an actor leaves the draw map.
    panel->RemoveChild(below);
    EXPECT_EQ(screen->GetDrawMap().size(), 2u);
    delete below;
}

TEST_F(ScreenTest, DialogsStackCentredAndABlockingOneFreezesTheScreenBehindIt)
{
    AddImage("blue4.png", 4, 1, 0xFF0000FF);
    auto* screen = AddScreen("", "Dialogs", nullptr);
    Actor* tree = ImageActor("blue4.png", 0, 0, "tree");
    screen->AddChild(tree);

    auto* live = new TestDialog("Live", DIALOGFLAG_NONBLOCKING, Colors::Green, 5, 3);
    screen->StartDialog(live, false);
    EXPECT_EQ(live->GetPosition(), Point<int>(6, 3)) << "centred, halves rounded down";
    EXPECT_EQ(live->GetLayer(), 1004);
    EXPECT_EQ(live->GetParent(), screen);
    EXPECT_EQ(live->intros, 1);
    EXPECT_FALSE(screen->GetDialogOverlay()->IsVisible());
    EXPECT_FALSE(screen->IsFrozen());
    EXPECT_FALSE(app->IsGamePaused());
    tree->SetPosition(0, 1);
    EXPECT_EQ(Row(*screen, 1, 0, 0), std::vector<std::uint32_t>{kBlue}) << "a live screen beneath";
    EXPECT_EQ(Row(*screen, 3, 6, 6), std::vector<std::uint32_t>{kGreen});

    auto* modal = new TestDialog("Modal", 0, Colors::Red, 4, 2);
    screen->StartDialog(modal, true);
    EXPECT_TRUE(screen->GetDialogOverlay()->IsVisible());
    EXPECT_TRUE(screen->IsFrozen());
    EXPECT_TRUE(app->IsGamePaused());
    EXPECT_EQ(screen->GetTopDialog(""), modal) << "the one started last is in front";
    EXPECT_EQ(screen->GetTopDialog("Live"), live);
    EXPECT_TRUE(screen->HasDialogs());

    // The picture: the tree dimmed; the front dialog live on top.
    std::vector<std::uint32_t> frozen = Row(*screen, 1, 0, 0);
    EXPECT_NE(frozen[0], kBlue);
    EXPECT_GT(frozen[0] & 0xFF, 0u) << "dimmed, not gone";
    EXPECT_EQ(Row(*screen, 3, 6, 6), std::vector<std::uint32_t>{kRed});
    // Changes behind the dialog wait; the front dialog moves at once.
    tree->SetPosition(0, 5);
    modal->SetPosition(12, 6);
    EXPECT_EQ(Row(*screen, 1, 0, 0), frozen);
    EXPECT_EQ(Row(*screen, 5, 0, 0), std::vector<std::uint32_t>{0u});
    EXPECT_EQ(Row(*screen, 6, 12, 12), std::vector<std::uint32_t>{kRed});

    // Closing the front dialog thaws the screen; the game waits for the last one.
    screen->StopDialog(modal);
    EXPECT_EQ(modal->exits, 1);
    EXPECT_FALSE(screen->IsDialogOpen(modal));
    EXPECT_FALSE(screen->GetDialogOverlay()->IsVisible());
    EXPECT_FALSE(screen->IsFrozen());
    EXPECT_TRUE(app->IsGamePaused());
    screen->StopDialog("Live");
    EXPECT_FALSE(app->IsGamePaused());
    EXPECT_FALSE(screen->HasDialogs());
    app->RunPass();  // the dialogs are deleted in the deletion phase
    EXPECT_EQ(screen->FindChild("Live"), nullptr);

    std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("DIALOG START: screen=Dialogs ; dialog=Modal\n"));
    EXPECT_THAT(log, HasSubstr("DIALOG DELETE: screen=Dialogs ; dialog=Modal\n"));
}

TEST_F(ScreenTest, StoppingAndFindingDialogsCheckWhatTheyAreGiven)
{
    auto* screen = AddScreen("", "Checks", nullptr);
    EXPECT_THAT(FailureOf([&] { screen->GetTopDialog(""); }), HasSubstr("m_Dialogs.empty() == false"));
    screen->AddChild(new Actor, "plain");
    auto* dialog = new TestDialog("Dialog", 0, Colors::Red, 2, 2);
    screen->StartDialog(dialog, false);
    TestDialog stranger("Stranger", 0, Colors::Red, 2, 2);

    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { screen->StopDialog("missing"); }, "Could not find dialog with name=\"missing\""},
        {[&] { screen->StopDialog("plain"); }, "Cannot stop dialog as actor is not a dialog, actor=\"plain\""},
        {[&] { screen->StopDialog(&stranger); }, "Assertion failed: (IsChild(dialog))"},
        {[&] { screen->GetTopDialog("nope"); }, "Cannot find dialog with name=nope"},
    };
    for (const auto& [call, message] : cases)
        EXPECT_THAT(FailureOf(call), HasSubstr(message));
    EXPECT_EQ(dialog->exits, 0);
    EXPECT_EQ(stranger.exits, 0);

    // A dialog deleted without its delete event does not stay stacked.
    screen->RemoveChild(dialog);
    EXPECT_FALSE(screen->IsDialogOpen(dialog));
    EXPECT_FALSE(screen->GetDialogOverlay()->IsVisible());

    // Of two of one name, the one in front is found.
    screen->StartDialog(dialog, false);
    auto* twin = new TestDialog("Dialog", 0, Colors::Red, 2, 2);
    screen->StartDialog(twin, false);
    screen->StartDialog(new TestDialog("Other", 0, Colors::Red, 2, 2), false);
    EXPECT_EQ(screen->GetTopDialog("Dialog"), twin);
}

TEST_F(ScreenTest, EventsGoToTheTopmostChildFirstThenTheScreenThenItsTransition)
{
    std::vector<std::string> trace;
    auto* screen = AddScreen<TracingScreen>(trace, new TracingTransition(trace));
    EXPECT_EQ(screen->GetTransition()->GetScreen(), screen);
    auto* low = new TracingActor(trace, "low");
    auto* high = new TracingActor(trace, "high");
    high->SetZOrder(5);
    screen->AddChild(high);
    screen->AddChild(low);
    screen->StartDialog(new TestDialog("Dialog", DIALOGFLAG_NONBLOCKING, Colors::Red, 2, 2), false);
    screen->FindChild("Dialog")->SetZOrder(10);
    screen->FindChild("Dialog")->AddChild(new TracingActor(trace, "in dialog"));

    EXPECT_TRUE(screen->OnEvent(MakeEventRecord(VELK_SELECT)));
    EXPECT_EQ(trace, (std::vector<std::string>{"in dialog", "high", "low", "screen", "transition"}));

    trace.clear();
    high->handles = true;
    EXPECT_TRUE(screen->OnEvent(MakeEventRecord(VELK_SELECT)));
    EXPECT_EQ(trace, (std::vector<std::string>{"in dialog", "high"}));

    // The transition is updated after the screen's tree.
    trace.clear();
    screen->Update();
    EXPECT_EQ(trace, std::vector<std::string>{"transition update"});
}

TEST_F(ScreenTest, TheDialogsBehindTheFrontOneStayInTheFrozenPictureAndOnlyTheFrontOneIsLive)
{
    std::vector<std::string> trace;
    auto* screen = AddScreen("", "Stack", nullptr);
    manager->SwitchToScreen("Stack");
    // Each dialog has a spot of its own, and a hot spot over all of it.
    auto open = [&](const std::string& name, std::uint32_t flags, const Color& color, int x, int y) {
        auto* dialog = new TestDialog(name, flags, color, 3, 2);
        auto* hot = new TracingActor(trace, "in " + name);
        hot->SetSize(3, 2);
        hot->SetRolloverable(true);
        dialog->AddChild(hot);
        screen->StartDialog(dialog, false);
        dialog->SetPosition(x, y);
        return dialog;
    };
    TestDialog* back = open("Back", 0, Colors::Green, 0, 0);
    TestDialog* middle = open("Middle", DIALOGFLAG_NONBLOCKING, Colors::Blue, 5, 0);
    TestDialog* front = open("Front", 0, Colors::Red, 12, 5);
    // The dialogs stand above the dimming, the frozen ones as the live one.
    EXPECT_EQ(Row(*screen, 0, 0, 3), (std::vector<std::uint32_t>{kGreen, kGreen, kGreen, 0u}));
    EXPECT_EQ(Row(*screen, 1, 4, 8), (std::vector<std::uint32_t>{0u, kBlue, kBlue, kBlue, 0u}));
    EXPECT_EQ(Row(*screen, 5, 11, 15), (std::vector<std::uint32_t>{0u, kRed, kRed, kRed, 0u}));

    // Only the front dialog is under the pointer.
    for (int x : {0, 6, 13}) {
        app->ResetRolloverAt(x, 1, true);
        app->ResetRolloverAt(x, 6, true);
    }
    EXPECT_EQ(trace, (std::vector<std::string>{"enter in Front"}));

    // The front dialog moves live; those behind it stay where the picture has them.
    front->SetPosition(0, 6);
    back->SetPosition(8, 5);
    EXPECT_EQ(Row(*screen, 5, 12, 12), std::vector<std::uint32_t>{0u}) << "the front one is not in the picture";
    EXPECT_EQ(Row(*screen, 6, 0, 0), std::vector<std::uint32_t>{kRed});
    EXPECT_EQ(Row(*screen, 0, 0, 0), std::vector<std::uint32_t>{kGreen});

    // With the front one closed the one behind comes live, and a blocking one
    // further back keeps the rest frozen.
    app->ResetRolloverAt(-1, -1, false);
    trace.clear();
    screen->StopDialog(front);
    EXPECT_TRUE(screen->IsFrozen());
    EXPECT_TRUE(screen->GetDialogOverlay()->IsVisible());
    EXPECT_EQ(Row(*screen, 0, 5, 7), (std::vector<std::uint32_t>{kBlue, kBlue, kBlue}));
    EXPECT_EQ(Row(*screen, 5, 8, 8), std::vector<std::uint32_t>{kGreen}) << "the picture is taken again";
    EXPECT_EQ(Row(*screen, 0, 0, 0), std::vector<std::uint32_t>{0u});
    app->ResetRolloverAt(9, 5, true);
    app->ResetRolloverAt(6, 0, true);
    EXPECT_EQ(trace, (std::vector<std::string>{"enter in Middle"}));

    // Closing the one behind leaves the front one open, and nothing blocks now.
    screen->StopDialog(back);
    EXPECT_FALSE(screen->IsDialogOpen(back));
    EXPECT_TRUE(screen->IsDialogOpen(middle));
    EXPECT_EQ(screen->GetTopDialog(""), middle);
    EXPECT_FALSE(screen->IsFrozen());
    EXPECT_FALSE(screen->GetDialogOverlay()->IsVisible());
    EXPECT_EQ(Row(*screen, 5, 8, 8), std::vector<std::uint32_t>{0u});
    EXPECT_EQ(Row(*screen, 0, 5, 5), std::vector<std::uint32_t>{kBlue});
}
