// The walks in reverse drawing order: a screen's own draw list, live and
// frozen under a blocking dialog, and the whole drawn tree with its filter.

#include "ScreenTestSupport.h"
#include "engine/ui/DrawOrderIterators.h"

#include <gmock/gmock.h>

using namespace screentest;
using ::testing::HasSubstr;

namespace {

class DrawOrderIteratorsTest : public ScreenFixture
{
protected:
    static std::vector<std::string> Names(ActorIterator& it)
    {
        std::vector<std::string> names;
        for (; it.HasValue(); it.Advance())
            names.push_back(it.GetValue()->GetName());
        return names;
    }

    static Actor* Named(const std::string& name, Actor* parent, int zorder = 0)
    {
        auto* actor = new Actor;
        actor->SetZOrder(zorder);
        parent->AddChild(actor, name);
        return actor;
    }
};

} // namespace

TEST_F(DrawOrderIteratorsTest, AScreenYieldsLayersAboveThenItsChildrenThenLayersBelow)
{
    auto* screen = AddScreen("", "Order", nullptr);
    Actor* a = Named("a", screen);
    Named("b", screen, 2);
    Named("up1", a)->SetLayer(5);
    Named("up2", screen->FindChild("b"))->SetLayer(5);
    Named("top", a)->SetLayer(10);
    Named("deep", a)->SetLayer(-5);
    Named("layeredChild", screen)->SetLayer(3);
    screen->StartDialog(new TestDialog("Live", DIALOGFLAG_NONBLOCKING, Colors::Red, 2, 2), false);

    // The dialog and the layered child are met once, at their layers' places;
    // the unnamed one on layer 1001 is the screen's note manager.
    Screen_ReverseDrawListIterator live(*screen);
    EXPECT_EQ(Names(live), (std::vector<std::string>{"Live", "", "top", "up2", "up1", "layeredChild",
                                                     "DialogOverlay", "ScreenKeyTipLayer", "b", "a", "", "deep"}));
    EXPECT_THAT(FailureOf([&] { live.GetValue(); }), HasSubstr("Assertion failed: (false)"));
    EXPECT_THAT(FailureOf([&] { live.Advance(); }), HasSubstr("cannot advance a finished iterator"));

    // Under a blocking dialog only the front dialog can be reached.
    auto* modal = new TestDialog("Modal", 0, Colors::Red, 4, 4);
    Named("x", modal);
    Named("y", modal);
    screen->StartDialog(modal, false);
    Screen_ReverseDrawListIterator frozen(*screen);
    EXPECT_EQ(Names(frozen), (std::vector<std::string>{"y", "x", "Modal"}));
    // The screen makes its own kind of walk.
    std::unique_ptr<ActorIterator> own = screen->CreateReverseDrawIterator();
    EXPECT_EQ(Names(*own), (std::vector<std::string>{"y", "x", "Modal"}));
}

TEST_F(DrawOrderIteratorsTest, TheFullWalkGoesOverlayThenScreenEachSubtreeBeforeItsRoot)
{
    auto* screen = AddScreen("", "Walk", nullptr);
    Actor* p = Named("p", screen);
    Named("p1", p);
    Named("p2", p);
    Named("q1", Named("q", screen, 1));
    manager->SwitchToScreen("Walk");

    // The overlay holds the window buttons, each with its label.
    const std::vector<std::string> overlay{"buttonLabel",   "CloseButton",    "buttonLabel",   "RestoreButton",
                                           "buttonLabel",   "MinimizeButton", "WindowButtons", ""};
    auto then = [&](std::vector<std::string> rest) {
        rest.insert(rest.begin(), overlay.begin(), overlay.end());
        return rest;
    };
    // The screen's note manager (unnamed, on layer 1001) comes first.
    FullReverseDrawTreeIterator all(manager, nullptr);
    EXPECT_EQ(Names(all), then({"", "DialogOverlay", "ScreenKeyTipLayer", "q1", "q", "p2", "p1", "p", "Background",
                                "", "Walk"}));
    EXPECT_THAT(FailureOf([&] { all.GetValue(); }), HasSubstr("Cannot retrieve a value from a finished iterator."));
    EXPECT_THAT(FailureOf([&] { all.Advance(); }), HasSubstr("Cannot advance a finished iterator."));

    // A skipped actor's subtree is never entered; unnamed ones here are the
    // global overlay and the background layer.
    std::vector<std::string> asked;
    FullReverseDrawTreeIterator pruned(manager, [&](const Actor& actor) {
        asked.push_back(actor.GetName());
        return actor.GetName() == "p" || actor.GetName().empty();
    });
    EXPECT_EQ(Names(pruned), (std::vector<std::string>{"DialogOverlay", "ScreenKeyTipLayer", "q1", "q", "Walk"}));
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "p1"), 0);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "WindowButtons"), 0);

    // Without a current screen only the overlay is walked; without a manager, nothing.
    manager->DoSwitchToScreen(nullptr, true);
    FullReverseDrawTreeIterator overlayOnly(manager, nullptr);
    EXPECT_EQ(Names(overlayOnly), overlay);
    FullReverseDrawTreeIterator none(nullptr, nullptr);
    EXPECT_FALSE(none.HasValue());
}
