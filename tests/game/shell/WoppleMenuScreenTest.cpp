// The menu: paging the score board, the Ctrl+Alt developer key, the ways into
// a game that are not built yet, the quest's way to the map, the first player's name and the layout.

#include "GameTestSupport.h"
#include "engine/runtime/GameRecords.h"
#include "engine/runtime/TopRecords.h"
#include "engine/ui/AmbientLoop.h"
#include "engine/ui/Button.h"
#include "engine/ui/CardView.h"
#include "game/shell/WoppleCardView.h"
#include "game/shell/WoppleGameStart.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/TextBox.h"
#include "engine/ui/Label.h"
#include "engine/ui/NoteBubble.h"
#include "engine/ui/NoteManager.h"
#include "engine/ui/TopRecordsView.h"
#include "game/shell/SetupNewPlayerWizard.h"
#include "game/shell/WoppleMenuScreen.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScoreRecords.h"

#include <algorithm>

using namespace gametest;

namespace {

class WoppleMenuScreenTest : public GameFixture
{
protected:
    // The game as it starts: with nothing to load the splash goes straight on
    // to the menu, which asks the first (nameless) player for a name. With a
    // name given it is typed in; without, the dialog stays.
    WoppleMenuScreen* ShowMenu(const std::string& name = "Ana")
    {
        std::srand(20261210);
        Start({"--noprecache"}, true);
        player = dynamic_cast<WopplePlayer*>(PlayerManager::GetInstance()->GetCurrentPlayer(1));
        EXPECT_NE(player, nullptr);
        menu = dynamic_cast<WoppleMenuScreen*>(manager->GetScreen("MenuScreen"));
        EXPECT_NE(menu, nullptr);
        manager->SwitchToScreen("MenuScreen");
        Passes(3);
        if (!name.empty()) {
            EXPECT_EQ(menu->GetStateName(), "EnteringPlayerName");
            auto* wizard = dynamic_cast<SetupNewPlayerWizard*>(NameDialog());
            EXPECT_NE(wizard, nullptr);
            if (wizard) {
                wizard->SetText("TextBox", name);
                // Through every page to Play.
                for (int page = 1; page < wizard->GetPageCount(); ++page)
                    PressDialogButton(wizard, "NextButton", 2);
                PressDialogButton(wizard, "OkayButton");
            }
            EXPECT_EQ(menu->GetStateName(), "Normal");
        }
        return menu;
    }

    Dialog* NameDialog() const
    {
        for (Actor* child : menu->GetChildren())
            if (auto* dialog = dynamic_cast<Dialog*>(child))
                return dialog;
        return nullptr;
    }

    void PressDialogButton(Dialog* dialog, const std::string& name, int passes = 40)
    {
        auto* button = dynamic_cast<Button*>(dialog->FindChild(name, true));
        ASSERT_NE(button, nullptr) << name;
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(passes);
    }

    void Click(const std::string& name)
    {
        auto* button = dynamic_cast<Button*>(menu->FindChild(name, true));
        ASSERT_NE(button, nullptr) << name;
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(2);
    }

    void Played(int level) { MakeWoppleScoreRecord(player, 5000 + level, "Vevev", level).NotifyObservers(); }

    std::string ViewLabel() const
    {
        auto* label = dynamic_cast<Label*>(menu->FindChild("viewLabel", true));
        return label ? label->GetText() : "(no label)";
    }

    int CheaterRecords()
    {
        // The player's own list: a score under a thousand never reaches the overall top ten.
        TopRecordsList* list = TopRecordsManager::GetInstance()->GetList("Ana's Top Scores");
        int count = 0;
        for (int i = 0; i < list->GetNumRecords(); ++i)
            count += list->GetRecord(i).GetTable()["gameType"].GetString() == "Cheater" ? 1 : 0;
        return count;
    }

    std::string NoteText() const
    {
        NoteManager* notes = menu->GetNoteManager();
        NoteBubble* bubble = notes ? notes->GetNoteBubble() : nullptr;
        return bubble && notes->IsNoteBubbleVisible() ? bubble->GetText() : std::string();
    }

    static int WarningsAbout(const std::string& what)
    {
        std::ifstream log(GetLogFilePath());
        int count = 0;
        for (std::string line; std::getline(log, line);)
            count += line.rfind("WARNING: ", 0) == 0 && line.find(what) != std::string::npos ? 1 : 0;
        return count;
    }

    WopplePlayer* player = nullptr;
    WoppleMenuScreen* menu = nullptr;
};

} // namespace

TEST_F(WoppleMenuScreenTest, WithNoLevelPlayedEveryStepComesBackToTheClassicList)
{
    ShowMenu();
    ASSERT_EQ(menu->GetStateName(), "Normal");
    for (const char* button : {"rightArrow", "leftArrow", "changeList"}) {
        Click(button);
        EXPECT_EQ(menu->GetListLevel(), 0) << button;
        EXPECT_EQ(ViewLabel(), "Classic Mode") << button;
        EXPECT_EQ(menu->GetTopRecordsView()->GetList()->GetKey(), "Top Classic Scores") << button;
    }
}

TEST_F(WoppleMenuScreenTest, TheArrowsPageThroughThePlayedLevelsAndWrapAtBothEnds)
{
    ShowMenu();
    Played(3);
    Played(7);
    const std::vector<int> forward = {3, 7, 0, 3};
    for (int expected : forward) {
        Click("rightArrow");
        EXPECT_EQ(menu->GetListLevel(), expected);
    }
    EXPECT_EQ(ViewLabel(), Eval("WoppleQuestLevels[3].mapName").GetString());
    const std::vector<int> back = {0, 7, 3, 0};
    for (int expected : back) {
        Click("leftArrow");
        EXPECT_EQ(menu->GetListLevel(), expected);
    }
}

TEST_F(WoppleMenuScreenTest, TheBoardOpensOnTheLevelLastPlayed)
{
    Start({"--noprecache"}, true);
    Player* first = PlayerManager::GetInstance()->GetCurrentPlayer(1);
    first->GetTable().SetString("Name", "Ana");
    first->GetGameModeTable("Vevev").SetInteger("lastPlayedLevel", 4);
    manager->SwitchToScreen("MenuScreen");
    Passes(3);
    auto* shown = dynamic_cast<WoppleMenuScreen*>(manager->GetScreen("MenuScreen"));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->GetListLevel(), 4);
}

TEST_F(WoppleMenuScreenTest, TheCheaterKeyWantsExactlyCtrlAlt)
{
    ShowMenu();
    struct Case
    {
        int modifiers;
        int records;
    };
    const Case cases[] = {
        {KMOD_NONE, 0},
        {KMOD_LCTRL, 0},
        {KMOD_LALT, 0},
        {KMOD_LCTRL | KMOD_LALT | KMOD_LSHIFT, 0},
        {KMOD_LCTRL | KMOD_LALT, 1},
    };
    for (const Case& c : cases) {
        const int before = CheaterRecords();
        Key(SDLK_s, c.modifiers);
        Passes(2);
        EXPECT_EQ(CheaterRecords() - before, c.records) << "modifiers " << c.modifiers;
        EXPECT_EQ(menu->GetStateName(), "Normal");
    }
}

TEST_F(WoppleMenuScreenTest, AWayInThatIsNotBuiltShowsANoteAndWarns)
{
    ShowMenu();
    struct Case
    {
        const char* button;
        const char* note;
        const char* mode;
    };
    const Case cases[] = {
        {"playClassicButton", "The Classic game is coming soon!", "Classic"},
    };
    // A build without the Classic game's logic.
    const WoppleGameLogicFactory classic = SetWoppleGameLogicFactory("Classic", [](int) { return nullptr; });
    for (const Case& c : cases) {
        Click(c.button);
        EXPECT_EQ(NoteText(), c.note) << c.button;
        EXPECT_EQ(WarningsAbout(std::string(c.note).substr(0, 12)), 1) << c.button;
        EXPECT_EQ(manager->GetCurrentScreen(), menu) << c.button;
        if (c.mode) {
            EXPECT_EQ(player->GetOptionsTable()["game.mode"].GetString(), c.mode) << c.button;
        }
    }
    SetWoppleGameLogicFactory("Classic", classic);
}

TEST_F(WoppleMenuScreenTest, PlayQuestLeadsToTheMapInTheQuestMode)
{
    ShowMenu();
    player->GetOptionsTable().SetString("game.mode", "Classic");
    Click("playQuestButton");
    ASSERT_NE(manager->GetCurrentScreen(), nullptr);
    EXPECT_EQ(manager->GetCurrentScreen()->GetName(), "MapScreen");
    EXPECT_EQ(player->GetOptionsTable()["game.mode"].GetString(), "Vevev");
    EXPECT_EQ(NoteText(), "");
}

TEST_F(WoppleMenuScreenTest, AFirstPlayerWithoutANameIsAskedForOneAndCancelGivesTheSlotName)
{
    ShowMenu("");
    EXPECT_EQ(menu->GetStateName(), "EnteringPlayerName");
    EXPECT_TRUE(menu->GetAmbientLoop()->IsPlaying()) << "the rest of the arrival still runs";
    Dialog* dialog = NameDialog();
    ASSERT_NE(dialog, nullptr);
    PressDialogButton(dialog, "CancelButton");
    EXPECT_EQ(player->GetTable()["Name"].GetString(), "Player 1");
    EXPECT_EQ(menu->GetStateName(), "Normal");
}

TEST_F(WoppleMenuScreenTest, ButtonsLieInsideTheScreenAndClearOfEachOtherAndTheCard)
{
    ShowMenu();
    // The game's own card, with the children its template gives it.
    auto* card = dynamic_cast<WoppleCardView*>(menu->FindChild("cardView", true));
    ASSERT_NE(card, nullptr);
    ASSERT_NE(card->GetNameLabel(), nullptr);
    EXPECT_EQ(card->GetNameLabel()->GetText(), "Ana");
    ASSERT_NE(card->GetPicture(), nullptr);
    EXPECT_GT(card->GetPicture()->GetPosition().x, 0) << "the photo stands where the template puts it";
    const Rect screen = menu->GetGlobalRect();
    std::vector<std::pair<std::string, Rect>> boxes;
    for (const char* name : {"playQuestButton", "playClassicButton", "myStampsButton", "changePlayerButton",
                             "optionsButton", "quitButton", "helpButton", "leftArrow", "rightArrow", "changeList",
                             "cardView", "logo"}) {
        Actor* actor = menu->FindChild(name, true);
        ASSERT_NE(actor, nullptr) << name;
        EXPECT_TRUE(actor->IsVisible()) << name;
        const Rect r = actor->GetGlobalRect();
        EXPECT_GT(r.w, 0) << name;
        EXPECT_TRUE(r.x >= screen.x && r.y >= screen.y && r.x + r.w <= screen.x + screen.w &&
                    r.y + r.h <= screen.y + screen.h)
            << name << " at " << r.x << "," << r.y << " " << r.w << "x" << r.h;
        boxes.emplace_back(name, r);
    }
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const Rect& a = boxes[i].second;
            const Rect& b = boxes[j].second;
            const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
            EXPECT_TRUE(apart) << boxes[i].first << " overlaps " << boxes[j].first;
        }
    // The ten rows sit on the board, the last one too.
    const Rect board = menu->GetTopRecordsView()->GetGlobalRect();
    const auto rows = menu->GetTopRecordsView()->GetRecordContainers();
    ASSERT_EQ(rows.size(), 10u);
    const Rect last = rows.back()->GetGlobalRect();
    EXPECT_LE(last.y + last.h, board.y + board.h);
    EXPECT_LE(last.x + last.w, board.x + board.w);
    // Every score, the last row's too, is on the board, not past its right edge.
    for (RecordContainer* row : rows) {
        ASSERT_FALSE(row->GetChildren().empty());
        auto* entry = dynamic_cast<WoppleScoreRow*>(row->GetChildren().front());
        ASSERT_NE(entry, nullptr);
        const Rect score = entry->GetGameScoreLabel()->GetGlobalRect();
        EXPECT_GT(score.w, 0);
        EXPECT_LE(score.x + score.w, board.x + board.w);
    }
}
