// The game screen base: one-time tips remembered per player, the help tour,
// the help button's place and the once-per-player game-complete dialog.

#include "GameTestSupport.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/ui/Button.h"
#include "engine/ui/NoteBubble.h"
#include "engine/ui/NoteManager.h"
#include "game/shell/WoppleDialogs.h"
#include "game/shell/WoppleScreen.h"
#include "game/rules/WoppleClassicGameLogic.h"
#include "game/rules/WoppleMultiBoardBaseLogic.h"
#include "game/rules/WopplePiratesFortuneGameLogic.h"
#include "game/rules/WoppleSevenBySevenLogic.h"

#include <memory>

using namespace gametest;

namespace {

class WoppleScreenTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        GameDataIO::GetInstance()->LoadAllPlayerData(false);
        screen = AddScreen<WoppleScreen>("", "GameScreen");
        manager->SwitchToScreen("GameScreen");
        notes = screen->GetNoteManager();
        ASSERT_NE(notes, nullptr);
    }

    LuaObject Options() { return PlayerManager::GetInstance()->GetCurrentPlayer(1)->GetOptionsTable(); }

    std::string NoteText()
    {
        NoteBubble* bubble = notes->GetNoteBubble();
        return bubble && bubble->IsVisible() ? bubble->GetText() : "";
    }

    void Press(const std::string& name)
    {
        auto* button = dynamic_cast<Button*>(notes->FindChild(name, true));
        ASSERT_NE(button, nullptr) << name;
        Pass();
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(2);
    }

    WoppleScreen* screen = nullptr;
    NoteManager* notes = nullptr;
};

} // namespace

TEST_F(WoppleScreenTest, AOneTimeTipShowsOnceAndRemembersItInThePlayersOptions)
{
    EXPECT_TRUE(screen->IsTipNotShown("gameIntroduceFeature", "superjoker"));
    screen->PointOutOneThing("gameIntroduceFeature", "superjoker", -1, -1, true);
    Passes(2);
    EXPECT_EQ(NoteText(), Eval("HelpScripts.gameIntroduceFeature.superjoker.text").GetString());
    EXPECT_TRUE(screen->IsTipShown("gameIntroduceFeature", "superjoker"));
    EXPECT_TRUE(Options()["gameIntroduceFeature.superjoker.shown"].GetBoolean());
    Press("okayButton");
    EXPECT_EQ(NoteText(), "");

    screen->PointOutOneThing("gameIntroduceFeature", "superjoker", 100, 100, true);
    Passes(2);
    EXPECT_EQ(NoteText(), "") << "shown once only";

    // Kept with the player's card: read back, it still holds.
    GameDataIO::GetInstance()->SaveAllPlayerData();
    Options().SetNil("gameIntroduceFeature.superjoker.shown");
    GameDataIO::GetInstance()->LoadAllPlayerData(true);
    EXPECT_TRUE(screen->IsTipShown("gameIntroduceFeature", "superjoker"));

    // Not marked: shown again on the next call.
    screen->PointOutOneThing("gameIntroduceFeature", "joker", 100, 100, false);
    Passes(2);
    EXPECT_NE(NoteText(), "");
    EXPECT_TRUE(screen->IsTipNotShown("gameIntroduceFeature", "joker"));
}

TEST_F(WoppleScreenTest, ATipWithoutButtonsStaysUntilClosedAndAFormattedTipFillsItsText)
{
    screen->PointOutNoButtonOneThing("gameIntroduceFeature", "waitForReels");
    Passes(2);
    EXPECT_EQ(NoteText(), "The reels are spinning...");
    screen->ClosePointOut("gameIntroduceFeature", "waitForReels");
    Passes(2);
    EXPECT_EQ(NoteText(), "");
    EXPECT_EQ(notes->FindScriptsWithTag("PointOut", nullptr), 0);
    screen->PointOutNoButtonOneThing("gameIntroduceFeature", "waitForReels");
    Passes(2);
    EXPECT_EQ(NoteText(), "") << "closed, so marked shown";

    screen->PointOutFormatted("gameIntroduceFeature", "lastSpins", -1, -1, "3", true);
    Passes(2);
    EXPECT_EQ(NoteText(), "Only 3 spins left. Make them count!");
}

TEST_F(WoppleScreenTest, TheHelpTourWalksItsStepsForwardAndBack)
{
    const int steps = Eval("table.getn(HelpScripts.GameScreen)").GetInteger();
    ASSERT_GE(steps, 3);
    auto step = [this](int i) {
        return Eval("HelpScripts.GameScreen[" + std::to_string(i) + "].text").GetString();
    };
    screen->ToggleScreenHelp("GameScreen");
    Passes(2);
    EXPECT_EQ(NoteText(), step(1));
    Press("nextButton");
    EXPECT_EQ(NoteText(), step(2));
    Press("backButton");
    EXPECT_EQ(NoteText(), step(1));
    for (int i = 2; i <= steps; ++i)
        Press("nextButton");
    EXPECT_EQ(NoteText(), step(steps));
    EXPECT_NE(notes->FindChild("closeButton", true), nullptr) << "the last step closes";
    Press("closeButton");
    EXPECT_EQ(NoteText(), "");
    EXPECT_EQ(notes->FindScriptsWithTag("PointOut", nullptr), 0);

    // The help button again while a note shows closes it.
    screen->ToggleScreenHelp("GameScreen");
    Passes(2);
    screen->ToggleScreenHelp("GameScreen");
    Passes(2);
    EXPECT_EQ(NoteText(), "");
}

TEST_F(WoppleScreenTest, EveryTipOfEverySectionHasItsTextAndSpot)
{
    EXPECT_TRUE(Eval(R"((function()
        for section, steps in pairs(HelpScripts) do
            for i, step in ipairs(steps) do
                if type(step.text) ~= "string" or step.text == "" or type(step.spot) ~= "table" or
                   steps[step.name] ~= step then
                    return false
                end
            end
        end
        return true
    end)())").GetBoolean());
}

TEST_F(WoppleScreenTest, TheHelpButtonMovesDownInFullScreen)
{
    auto* bar = new Actor;
    bar->SetSize(100, 50);
    screen->AddChild(bar);
    auto* help = new Actor;
    help->SetName("helpButton");
    help->SetSize(10, 10);
    bar->AddChild(help);
    help->SetAlignment(RectAlignment::TopRight);
    help->SetAlignTo(RectAlignment::TopRight);
    manager->SwitchToScreen("GameScreen");
    EXPECT_EQ(help->GetPosition(), Point<int>(85, 5));
    app->m_FullScreen = true;
    screen->OnDisplayChange(EventRecord{});
    EXPECT_EQ(help->GetPosition(), Point<int>(85, 25)) << "below the window's own buttons";
    app->m_FullScreen = false;
}

TEST_F(WoppleScreenTest, TheGameCompleteDialogShowsOncePerPlayerUnlessForced)
{
    EXPECT_TRUE(screen->ShowGameCompleteDialog("finishedQuest", false));
    EXPECT_NE(screen->GetTopDialog("WoppleGameCompleteDialog"), nullptr);
    EXPECT_FALSE(app->IsGamePaused());
    LuaObject mode = PlayerManager::GetInstance()->GetCurrentPlayer(1)->GetGameModeTable("Vevev");
    EXPECT_TRUE(mode["finishedQuest.shown"].GetBoolean());
    Passes(5);

    EXPECT_FALSE(screen->ShowGameCompleteDialog("finishedQuest", false));
    EXPECT_EQ(screen->GetDialogs().size(), 1u);
    EXPECT_TRUE(screen->ShowGameCompleteDialog("finishedQuest", true));
    EXPECT_EQ(screen->GetDialogs().size(), 2u);
    EXPECT_TRUE(screen->ShowGameCompleteDialog("gotAllStamps", false));
}

TEST_F(WoppleScreenTest, EveryRoundsHelpButtonOpensItsModesTourFirst)
{
    std::unique_ptr<WoppleOldSchoolBaseLogic> modes[] = {
        std::make_unique<WoppleClassicGameLogic>(),     std::make_unique<WoppleTwoBoardGameLogic>(),
        std::make_unique<WoppleThreeBoardGameLogic>(),      std::make_unique<WoppleFourBoardGameLogic>(),
        std::make_unique<WopplePatternsGameLogic>(),    std::make_unique<WoppleSevenBySevenLogic>(),
        std::make_unique<WopplePiratesFortuneGameLogic>()};
    for (const auto& mode : modes) {
        const std::string section = "gameHelp." + mode->GetNameOfGameMode();
        SCOPED_TRACE(section);
        ASSERT_TRUE(Eval("HelpScripts[\"" + section + "\"]").IsTable());
        screen->ToggleScreenHelp(section);
        Passes(2);
        EXPECT_EQ(NoteText(), Eval("HelpScripts[\"" + section + "\"][1].text").GetString());
        // The rest is the game screen's tour.
        Press("nextButton");
        EXPECT_EQ(NoteText(), Eval("HelpScripts.GameScreen[1].text").GetString());
        screen->ToggleScreenHelp(section);
        Passes(2);
        EXPECT_EQ(NoteText(), "");
    }
}
