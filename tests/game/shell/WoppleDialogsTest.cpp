// The help dialogs and the game-complete dialog on a screen of the game.

#include "GameTestSupport.h"
#include "engine/ui/Button.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/Label.h"
#include "game/shell/WoppleDialogs.h"

using namespace gametest;

namespace {

class WoppleDialogsTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        PlayerManager::GetInstance()->LoadGameData();
        screen = AddScreen<StoppedScreen>();
        manager->SwitchToScreen("Dialogs");
    }

    // Writes down the name of every dialog that stops.
    class StoppedScreen : public Screen
    {
    public:
        StoppedScreen() : Screen("", "Dialogs", nullptr) {}
        bool OnDialogStopped(const EventRecord& e) override
        {
            stopped.push_back(static_cast<Actor*>(e.user.data1)->GetName());
            return false;
        }
        std::vector<std::string> stopped;
    };

    static std::string TextOf(const Actor& dialog, const std::string& child)
    {
        auto* label = dynamic_cast<Label*>(dialog.FindChild(child));
        if (!label)
            return "<none>";
        // Read as written, whatever the wrapping made of its lines.
        std::string text = label->GetText();
        for (char& c : text)
            if (c == '\n')
                c = ' ';
        return text;
    }
    static bool Shows(const Actor& dialog, const std::string& child)
    {
        Actor* actor = dialog.FindChild(child);
        return actor && actor->IsVisible();
    }

    void Close(Button& button)
    {
        Pass();
        button.ManuallyPressButton();
        button.ManuallyReleaseButton();
        Passes(30);
    }

    StoppedScreen* screen = nullptr;
};

} // namespace

TEST_F(WoppleDialogsTest, HelpDialogsShowTheirTextsAndStopUnderOneName)
{
    struct Case {
        bool big;
        std::string heading, text, shownHeading, shownText;
    };
    const Case cases[] = {
        {false, "Bonus Round!", "Spin the reels|twice|.", "Bonus Round!", "Spin the reels|twice|."},
        {false, "", "", "Game Tip!", "Insert real help text here"},
        {true, "A New Island", "", "A New Island", "Insert real help text here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heading + "/" + c.text);
        Dialog* dialog = c.big ? static_cast<Dialog*>(new WoppleBigHelpDialog(c.heading, c.text))
                               : new WoppleHelpDialog(c.heading, c.text);
        screen->StartDialog(dialog, false);
        Passes(20);
        EXPECT_EQ(dialog->GetName(), "WoppleHelpDialog");
        EXPECT_EQ(TextOf(*dialog, "Header"), c.shownHeading);
        EXPECT_EQ(TextOf(*dialog, "Text"), c.shownText);
        Button* okay = dialog->GetButton("OkayButton");
        ASSERT_NE(okay, nullptr);
        EXPECT_LT(okay->GetY() + okay->GetHeight(), dialog->GetHeight()) << "raised off the bottom edge";
        Close(*okay);
        ASSERT_FALSE(screen->stopped.empty());
        EXPECT_EQ(screen->stopped.back(), "WoppleHelpDialog");
        EXPECT_FALSE(screen->HasDialogs());
    }
}

TEST_F(WoppleDialogsTest, GameCompleteFlashesTheStarsBeforeItsWords)
{
    auto* dialog = new WoppleGameCompleteDialog("gotAllStamps");
    EXPECT_EQ(TextOf(*dialog, "Title"), "Wow!!!");
    EXPECT_EQ(TextOf(*dialog, "Text"), "You have gotten every stamp! Amazing!!!");
    screen->StartDialog(dialog, false);
    Passes(20);
    EXPECT_FALSE(Shows(*dialog, "Title"));
    EXPECT_FALSE(Shows(*dialog, "Text"));
    // About a quarter of a second a star, after a quarter of a second's wait.
    Passes(50);
    EXPECT_TRUE(Shows(*dialog, "Title"));
    EXPECT_TRUE(Shows(*dialog, "Text"));
    EXPECT_GT(dialog->FindScriptsWithTag("WoppleGameCompleteDialog", nullptr), 0) << "the applause is still to come";
    Passes(100);
    EXPECT_EQ(dialog->FindScriptsWithTag("WoppleGameCompleteDialog", nullptr), 0);
}

TEST_F(WoppleDialogsTest, EveryMilestoneHasItsTextsAndAnUnknownOneFails)
{
    for (const char* key : {"finishedQuest", "gotAllStandardFiveStars", "gotAllBonusFiveStars", "gotAllFiveStars",
                            "gotAllStamps", "completedAllLevels"}) {
        WoppleGameCompleteDialog dialog(key);
        EXPECT_EQ(TextOf(dialog, "Title"), Eval(std::string("WoppleGameCompleteList.") + key + ".title").GetString());
    }
    EXPECT_THROW(WoppleGameCompleteDialog("noSuchMilestone"), Exception);
}

TEST_F(WoppleDialogsTest, ClosingTheGameCompleteDialogEarlyLeavesNoScriptRunning)
{
    auto* dialog = new WoppleGameCompleteDialog("finishedQuest");
    screen->StartDialog(dialog, false);
    Passes(20);
    auto* okay = dynamic_cast<Button*>(dialog->FindChild("okayButton"));
    ASSERT_NE(okay, nullptr);
    Close(*okay);
    EXPECT_EQ(screen->stopped, (std::vector<std::string>{"WoppleGameCompleteDialog"}));
    EXPECT_FALSE(screen->HasDialogs());
    Passes(200);  // the script's later steps would have run by now
}
