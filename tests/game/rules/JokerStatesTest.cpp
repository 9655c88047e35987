// The jokers of a spin on a real (headless) game screen: the joker bonus, the
// super joker placed board by board, the cell joker a matched cell reveals,
// and the reels they spend. The reels are landed on forced results; the
// participant is a stand-in that sits in the state it is asked for and the
// tests answer for it, except where the automated player plays the jokers by
// clicks.

#include "RulesTestSupport.h"
#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Script.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Actor.h"
#include "game/rules/OldSchoolJokerStates.h"
#include "game/rules/WoppleAutoPlayer.h"
#include "game/rules/WoppleClassicGameLogic.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleLevelSetup.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/WopplePlayer.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WoppleVisionLabel.h"
#include "game/views/WoppleWheelProgressOverlay.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace rulestest;

namespace {

// The Classic logic on one board ("theBoard") or on several ("theBoard1", ...).
class JokerLogic : public WoppleClassicGameLogic
{
public:
    JokerLogic(int boards, bool human) : m_Boards(boards), m_Human(human) {}

    WoppleParticipantLogic* CreateParticipantLogic(int index) override
    {
        return m_Human ? WoppleClassicGameLogic::CreateParticipantLogic(index) : new StandInParticipant;
    }
    int GetNumBoards() const override { return m_Boards; }
    // And a state that waits for nothing, for the logic to rest in between spins.
    void CreateStates() override
    {
        WoppleClassicGameLogic::CreateStates();
        AddState(new RequestState("Resting"), true);
    }
    void CreateBoardViews() override
    {
        if (m_Boards == 1) {
            WoppleClassicGameLogic::CreateBoardViews();
            return;
        }
        for (int b = 1; b <= m_Boards; ++b) {
            auto* board = dynamic_cast<WoppleBoardView*>(GetRootActor()->FindChild("theBoard" + std::to_string(b), true));
            ASSERT_NE(board, nullptr);
            board->boardIndex = b;
            for (int event : {WOPPLE_CELLCLICK, WOPPLE_CELLENTER, WOPPLE_CELLLEAVE})
                board->AttachObserver(event, this);
            m_BoardViews.push_back(board);
        }
    }
    bool IsScoringIdle() const override { return scoringIdle && WoppleClassicGameLogic::IsScoringIdle(); }
    Actor* SayGameMessage(int id, Object* listener, const std::string& text1, const std::string& text2,
                          const std::string& text3) override
    {
        said.push_back({id, text1, text2, text3});
        return WoppleClassicGameLogic::SayGameMessage(id, listener, text1, text2, text3);
    }

    struct Said
    {
        int id;
        std::string text1, text2, text3;
    };
    std::vector<Said> said;
    bool scoringIdle = true;

private:
    int m_Boards;
    bool m_Human;
};

int Id(const char* message)
{
    return WoppleGameMessages::GetMessageId(message);
}

std::string Layout(int boards)
{
    std::string b = boards == 1
                        ? "  theBoard = { class = 'WoppleBoardView', resource = 'WoppleSingleBoardResourceSet', position = { 230, 120 } },\n"
                        : "";
    for (int i = 1; boards > 1 && i <= boards; ++i)
        b += "  theBoard" + std::to_string(i) +
             " = { class = 'WoppleBoardView', resource = 'WoppleMultiBoardResourceSet', position = { " +
             std::to_string(20 + 220 * (i - 1)) + ", 120 } },\n";
    return "Resources.WoppleClassicScreenLayout = Resources.Object:new{ children = {\n"
           "  BubbleLayer = { class = 'Actor', layer = 999 },\n" +
           b +
           "  woppleWheels = { class = 'WoppleWheelSetView', resource = 'WoppleWheels', position = { 230, 10 } },\n"
           "  cocoDropButton = { class = 'CocoDropButton', resource = 'CocoDropButtonDefaults', position = { 640, 300 } },\n"
           "  cherubGirl = { class = 'WoppleCharacter', resource = 'CherubGirlCharacter', position = { 20, 300 } },\n"
           "  cherubBucketGuy = { class = 'WoppleCharacter', resource = 'GuyCherubCharacter', visible = false },\n"
           "  wopplePowerupView_0 = { class = 'WopplePowerupView', resource = 'WopplePowerupView', position = { 20, 60 } },\n"
           "  timerBox = { class = 'Actor', children = { timerLabel = { class = 'Label' } } },\n"
           "} }";
}

// A reel result: a number, or a symbol.
struct Reel
{
    int type;
    int number;
};
Reel N(int number) { return {WheelTypeNumber, number}; }
const Reel kJoker{WheelTypeJoker, 0};
const Reel kSuper{WheelTypeSuperJoker, 0};
const Reel kCoin{WheelTypeCoin, 0};

class JokerStatesTest : public RoundFixture<JokerLogic>
{
protected:
    void SetUp() override
    {
        StartGame();
        Lua(std::string(kStillCharacters) +
            "Scripts.GuyCherubPopOut = function(cherub) cherub:SetVisible(true) end\n"
            "Scripts.GuyCherubPopIn = function(cherub) cherub:SetVisible(false) end\n"
            "Scripts.DisplayLevelActors = function(root)\n"
            "  for _, name in ipairs({ 'theBoard', 'theBoard1', 'theBoard2' }) do\n"
            "    local b = root:FindChild(name, true)\n"
            "    for c = 1, b and b:GetNumColumns() or 0 do\n"
            "      for r = 1, b:GetNumRows() do b:GetCellView(c, r):SetCellType('UnclickableNumber') end\n"
            "    end\n"
            "  end\n"
            "end");
        ShowGameScreen();
    }

    // A round let through its opening to the lever, which is not pulled.
    void StartRound(int boards = 1, bool human = false, const std::string& level = "{}")
    {
        Lua(Layout(boards));
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        logic = std::make_unique<JokerLogic>(boards, human);
        logic->SetTargetScreen(screen);
        screen->logic = logic.get();
        logic->ApplyProperties(Eval(level));
        logic->CreateRootActor();
        logic->Start();
        for (int i = 0; i < 300 && logic->GetStateName() != "WaitingForGameStart"; ++i)
            Pass();
        ASSERT_EQ(logic->GetStateName(), "WaitingForGameStart");
    }

    // Every cell open again, the participant idle, the logic resting: a fresh spin may land.
    void FreshBoards()
    {
        logic->ReturnParticipantToIdle();
        logic->SetState("Resting");
        for (int b = 1; b <= logic->GetNumBoards(); ++b) {
            WoppleBoardView* board = logic->GetBoardView(b);
            for (int c = 1; c <= board->GetNumColumns(); ++c)
                for (int r = 1; r <= board->GetNumRows(); ++r) {
                    WoppleCellView* cell = board->GetCellView(c, r);
                    cell->SetCellType("UnclickableNumber");
                    cell->multiplier = 0;
                    cell->ruleCode = 0;
                    cell->SetContents(nullptr);
                }
        }
    }

    // The reels land as given on spin 2; then the spin's jokers begin.
    void LandReels(const std::vector<Reel>& results)
    {
        logic->SetSpinCount(2);
        logic->matchesThisSpin = 0;
        logic->ResetWheelsForSpin();
        WoppleWheelSetView* reels = logic->GetWheelsView();
        for (int i = 1; i <= 5; ++i) {
            WoppleWheelView* wheel = reels->GetWheelView(i);
            wheel->SetNumberOfTypedSquares(WheelTypeJoker, 3);
            wheel->SetNumberOfTypedSquares(WheelTypeSuperJoker, 1);
            wheel->SetNumberOfTypedSquares(WheelTypeCoin, 1);
            wheel->BuildStrip();
            wheel->SetResult(results[i - 1].type, results[i - 1].number);
            wheel->Spin();
        }
        Passes(200);
        for (int i = 1; i <= 5; ++i)
            ASSERT_EQ(reels->GetWheelView(i)->GetWheelType(false), results[i - 1].type) << "reel " << i;
        logic->said.clear();
        from = LogText().size();
        logic->SetState("ProcessJokerBonus");
    }

    // How often the game logic (not its scoring logic) entered the state since the reels landed.
    int Entered(const std::string& state) const
    {
        return gametest::CountLines("\nSetState: " + state + "\n", from);
    }

    std::string PartState() const { return logic->GetParticipantLogic()->GetStateName(); }
    WoppleCellView* Cell(int board, int column, int row) const
    {
        return logic->GetBoardView(board)->GetCellView(column, row);
    }
    WoppleWheelView* Wheel(int reel) const { return logic->GetWheelsView()->GetWheelView(reel); }
    int PieceState(int reel, int board) const
    {
        return Wheel(reel)->GetProgressOverlay()->GetPieceStates()[board - 1];
    }
    // A number of the reel's column that lies on no board.
    int MissOf(int reel)
    {
        for (int n = 15 * reel - 14; n <= 15 * reel; ++n) {
            bool onBoard = false;
            for (int b = 1; b <= logic->GetNumBoards(); ++b)
                for (int r = 1; r <= 5; ++r)
                    onBoard = onBoard || Cell(b, reel, r)->number == n;
            if (!onBoard)
                return n;
        }
        ADD_FAILURE() << "every number of column " << reel << " is on a board";
        return 0;
    }

    void Signal(const std::string& motive, const std::string& action, const LuaObject& cellData = LuaObject())
    {
        auto payload = std::make_shared<LuaObject>();
        payload->AssignNewTable(app->GetLuaState());
        payload->SetString("motive", motive);
        payload->SetString("action", action);
        if (cellData.IsTable())
            payload->SetObject("cellSelectionData", cellData);
        SendNewEvent(WOPPLE_PARTICIPANTACTION, logic.get(), logic->GetParticipantLogic(), payload);
    }
    LuaObject CellData(int board, int column, int row, bool selectable = true)
    {
        return WoppleCellView::BuildCellClickEventData(app->GetLuaState(), board, column, row, selectable);
    }
    // A click answered for the wait the logic is in; a pass lets the match go its way.
    void Place(int board, int column, int row)
    {
        Signal(logic->GetStateName(), "cell clicked", CellData(board, column, row));
        Pass();
    }

    // Which numbered cells of the board may be matched now, as rows of 0 and 1.
    std::string Selectable(int board)
    {
        std::string rows;
        WoppleBoardView* view = logic->GetBoardView(board);
        for (int r = 1; r <= view->GetNumRows(); ++r) {
            for (int c = 1; c <= view->GetNumColumns(); ++c)
                rows += view->GetCellView(c, r)->GetCellType() == "SelectableAndClickableNumber" ? '1' : '0';
            rows += r < view->GetNumRows() ? "/" : "";
        }
        return rows;
    }

    static void ExpectAssertion(const std::function<void()>& call, const std::string& text)
    {
        try {
            call();
            ADD_FAILURE() << "no assertion for " << text;
        } catch (const Exception& e) {
            EXPECT_NE(e.GetMessage().find(text), std::string::npos) << e.GetMessage();
        }
    }

    std::size_t from = 0;
};

const char* const kAllOpen = "11111/11111/11111/11111/11111";
const char* const kNoneOpen = "00000/00000/00000/00000/00000";

// ---------------------------------------------------------------- the joker bonus

TEST_F(JokerStatesTest, ThreeOrMoreJokersPayTheirBonusTimesTheMultiplier)
{
    StartRound();
    auto* player = dynamic_cast<WopplePlayer*>(PlayerManager::GetInstance()->GetCurrentPlayer(1));
    ASSERT_NE(player, nullptr);
    const struct
    {
        const char* name;
        std::vector<Reel> reels;
        int jokers;
        int cellMultiplier;
        const char* message;
        std::vector<std::string> texts;
        std::int64_t gain;
    } cases[] = {
        {"two jokers", {kJoker, kJoker, kCoin, kCoin, kCoin}, 2, 0, nullptr, {}, 0},
        {"a super joker counts", {kJoker, kCoin, kSuper, kCoin, kJoker}, 3, 0, "JOKER_BONUS_ACQUIRED",
         {"3", "3000", ""}, 3000},
        {"four under x3", {kJoker, kJoker, kCoin, kJoker, kJoker}, 4, 3, "MULTIPLIED_JOKER_BONUS_ACQUIRED",
         {"4", "24000", "3"}, 24000},
        {"five", {kJoker, kJoker, kJoker, kJoker, kJoker}, 5, 0, "JOKER_BONUS_ACQUIRED", {"5", "15000", ""}, 15000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreshBoards();
        if (c.cellMultiplier) {
            // A matched x3 cell away from the jokers' business.
            Cell(1, 3, 3)->SetCellType("Selected");
            Cell(1, 3, 3)->multiplier = c.cellMultiplier;
        }
        const std::int64_t before = logic->GetScore(0);
        LandReels(c.reels);
        EXPECT_EQ(logic->GetScore(0) - before, c.gain);
        const auto bonusSaid = [&](const JokerLogic::Said& s) {
            return s.id == Id("JOKER_BONUS_ACQUIRED") || s.id == Id("MULTIPLIED_JOKER_BONUS_ACQUIRED");
        };
        const auto said = std::find_if(logic->said.begin(), logic->said.end(), bonusSaid);
        if (!c.message) {
            EXPECT_EQ(said, logic->said.end());
            EXPECT_EQ(Wheel(1)->FindScriptsWithTag("DisplayJokerBonus", nullptr), 0);
        } else {
            ASSERT_NE(said, logic->said.end());
            EXPECT_EQ(said->id, Id(c.message));
            EXPECT_EQ((std::vector<std::string>{said->text1, said->text2, said->text3}), c.texts);
        }
        // Straight on to the super joker's turn, whether one is on the reels or not.
        EXPECT_EQ(Entered("ProcessSuperJoker"), 1);
        EXPECT_EQ(logic->GetStateName(),
                  logic->GetWheelsView()->CountSuperJokers() ? "WaitForSuperJokerMatch" : "WaitForMatch");
        // Raised on a five-reel level, bonus or not.
        EXPECT_EQ(player->GetAchievementLevel("jokers"), c.jokers);
    }
    // Five jokers earn the award, shown in front.
    EXPECT_EQ(screen->GetDialogs().size(), 1u);
}

TEST_F(JokerStatesTest, TheReelsFlashTheBonusAndItsEndLeadsToTheSuperJokersTurn)
{
    StartRound();
    LandReels({kJoker, kJoker, kJoker, kCoin, kCoin});
    WoppleWheelSetView* reels = logic->GetWheelsView();
    ASSERT_EQ(reels->FindScriptsWithTag("DisplayJokerBonus", nullptr), 1);
    Passes(2);
    const auto flash = [&]() -> WoppleVisionLabel* {
        for (Actor* child : screen->GetChildren())
            if (auto* label = dynamic_cast<WoppleVisionLabel*>(child); label && label->GetText() == "3000")
                return label;
        return nullptr;
    };
    ASSERT_NE(flash(), nullptr);
    const Rect over = reels->GetGlobalRect();
    const Rect at = flash()->GetGlobalRect();
    EXPECT_NEAR(at.x + at.w / 2, over.x + over.w / 2, 1);
    // It ends by itself, without a failure.
    Passes(60);
    EXPECT_EQ(reels->FindScriptsWithTag("DisplayJokerBonus", nullptr), 0);
    EXPECT_EQ(gametest::CountLines("WoppleCellAnimations.lua", from), 0);

    // Its end, heard by the bonus state, goes on to the super joker; the end
    // of a script on the root actor, or of another one, does not.
    OldSchoolStates::ProcessJokerBonus state(*logic);
    const auto finished = [&](Object* actor, const LuaObject& which) {
        auto payload = std::make_shared<LuaObject>();
        payload->AssignNewTable(app->GetLuaState());
        payload->SetObject("actor", actor->GetLuaObject());
        payload->SetObject("script", which);
        Event event(VELK_ACTORSCRIPTFINISHED, actor, payload);
        return state.OnActorScriptFinished(&event);
    };
    Script* tagged = reels->RunScript("PlayJokerBonusFX", "DisplayJokerBonus");
    Script* other = reels->RunScript("FlashMultiplier", "multiplierFlash");
    EXPECT_FALSE(finished(logic->GetRootActor(), tagged->GetLuaObject()));
    EXPECT_FALSE(finished(reels, other->GetLuaObject()));
    logic->SetState("Resting");
    EXPECT_TRUE(finished(reels, tagged->GetLuaObject()));
    EXPECT_EQ(Entered("ProcessSuperJoker"), 2);
    reels->StopAllScripts();
}

// ---------------------------------------------------------------- the super joker

TEST_F(JokerStatesTest, ASuperJokerIsPlacedOnceOnEveryBoardBeforeTheOrdinaryMatching)
{
    StartRound(2);
    const int n1 = Cell(1, 1, 3)->number;
    LandReels({N(n1), N(MissOf(2)), kSuper, N(MissOf(4)), N(MissOf(5))});
    ASSERT_EQ(logic->GetStateName(), "WaitForSuperJokerMatch");
    EXPECT_EQ(PartState(), "WaitForSuperJokerMatch");
    EXPECT_EQ(logic->FindSuperJokerReel(), 3);
    EXPECT_EQ(gametest::CountLines("Game sound: cellJoker.ogg", from), 1);
    // Only the super joker's reel stands out; every numbered cell of both boards may take it.
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(Wheel(i)->GetGrayTint()->IsVisible(), i != 3) << "reel " << i;
    EXPECT_EQ(Selectable(1), kAllOpen);
    EXPECT_EQ(Selectable(2), kAllOpen);
    EXPECT_TRUE(Cell(2, 5, 5)->isSelectionSuppressed);
    EXPECT_TRUE(Cell(2, 5, 5)->isCellButtonEnabled);

    Place(1, 2, 2);
    EXPECT_EQ(Cell(1, 2, 2)->GetCellType(), "Selected");
    EXPECT_EQ(logic->GetScore(0), 200);
    // Board 1 has had its turn; board 2 takes it next.
    ASSERT_EQ(logic->GetStateName(), "WaitForSuperJokerMatch");
    EXPECT_EQ(PartState(), "WaitForSuperJokerMatch");
    EXPECT_FALSE(logic->BoardOffersSuperJoker(1));
    EXPECT_TRUE(logic->BoardOffersSuperJoker(2));
    EXPECT_EQ(logic->GetBoardRecords()[1].jokerServed, 1);
    EXPECT_EQ(PieceState(3, 1), WoppleWheelProgressOverlay::PIECE_FILLED);
    EXPECT_EQ(PieceState(3, 2), WoppleWheelProgressOverlay::PIECE_UNFILLED);
    EXPECT_EQ(Selectable(1), kNoneOpen);
    EXPECT_EQ(Selectable(2), kAllOpen);

    Place(2, 4, 5);
    EXPECT_EQ(Cell(2, 4, 5)->GetCellType(), "Selected");
    // Then the ordinary matching, every board open again to its reels.
    ASSERT_EQ(logic->GetStateName(), "WaitForMatch");
    EXPECT_EQ(PartState(), "WaitForMatch");
    EXPECT_EQ(Entered("WaitForSuperJokerMatch"), 2);
    EXPECT_EQ(logic->GetBoardRecords()[1].jokerServed, 0);
    EXPECT_EQ(logic->GetBoardRecords()[2].jokerServed, 0);
    EXPECT_FALSE(Cell(1, 1, 1)->isSelectionSuppressed);
    EXPECT_EQ(Selectable(1), "00000/00000/10000/00000/00000");
    EXPECT_EQ(logic->GetScore(0), 400);
}

TEST_F(JokerStatesTest, AFullBoardIsNeverOfferedTheSuperJoker)
{
    StartRound(2);
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            Cell(1, c, r)->SetCellType("Selected");
    LandReels({N(MissOf(1)), N(MissOf(2)), kSuper, N(MissOf(4)), N(MissOf(5))});
    EXPECT_FALSE(logic->BoardOffersSuperJoker(1));
    ASSERT_EQ(logic->GetStateName(), "WaitForSuperJokerMatch");
    EXPECT_EQ(Selectable(2), kAllOpen);
    Place(2, 1, 1);
    EXPECT_EQ(Entered("WaitForSuperJokerMatch"), 1);
    EXPECT_EQ(Entered("WaitForMatch"), 1);
}

TEST_F(JokerStatesTest, ASuperJokerOnTheCellItsColumnsReelWouldTakeSpendsThatReel)
{
    StartRound();
    const struct
    {
        const char* name;
        int column, row;  // where the super joker goes
        int spentReel;    // the reel spent on the board besides the super joker's, 0: none
    } cases[] = {
        {"the number reel's cell", 1, 2, 1},
        {"another cell of the number reel's column", 1, 4, 0},
        {"the joker reel's last open cell", 2, 5, 2},
        {"a joker reel's column with more open cells", 5, 1, 0},
        {"a coin reel's column", 4, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreshBoards();
        for (int r = 1; r <= 4; ++r)
            Cell(1, 2, r)->SetCellType("Selected");
        LandReels({N(Cell(1, 1, 2)->number), kJoker, kSuper, kCoin, kJoker});
        ASSERT_EQ(logic->GetStateName(), "WaitForSuperJokerMatch");
        Place(1, c.column, c.row);
        ASSERT_EQ(logic->GetStateName(), "WaitForMatch");
        const std::vector<bool>& used = logic->GetBoardRecords()[1].usedColumns;
        for (int reel : {1, 2, 5}) {
            EXPECT_EQ(used[reel], reel == c.spentReel) << "reel " << reel;
            EXPECT_EQ(PieceState(reel, 1), reel == c.spentReel ? WoppleWheelProgressOverlay::PIECE_IGNORED
                                                                 : WoppleWheelProgressOverlay::PIECE_UNFILLED)
                << "reel " << reel;
        }
        EXPECT_TRUE(used[3]);
        EXPECT_EQ(PieceState(3, 1), WoppleWheelProgressOverlay::PIECE_FILLED);
        // A reel not spent still serves its column.
        EXPECT_EQ(logic->IsCellAvailableForMatching(1, 1, 2), c.spentReel != 1);
        EXPECT_EQ(logic->IsCellAvailableForMatching(1, 2, 5), c.spentReel != 2 && !(c.column == 2 && c.row == 5));
    }
}

TEST_F(JokerStatesTest, ASuperJokerWaitWithNoCellToTakeItGoesOnToTheMatching)
{
    StartRound();
    LandReels({N(MissOf(1)), N(MissOf(2)), kSuper, N(MissOf(4)), N(MissOf(5))});
    ASSERT_EQ(logic->GetStateName(), "WaitForSuperJokerMatch");
    FreshBoards();
    // Nothing left that could take it: blank cells, the rest matched.
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            Cell(1, c, r)->SetCellType(r == 3 ? "Blank" : "Selected");
    logic->GetBoardRecords()[1].jokerServed = 1;
    from = LogText().size();
    logic->SetState("WaitForSuperJokerMatch");
    EXPECT_EQ(Entered("WaitForMatch"), 1);
    EXPECT_NE(logic->GetStateName(), "WaitForSuperJokerMatch");
    EXPECT_NE(PartState(), "WaitForSuperJokerMatch");
    EXPECT_EQ(logic->GetBoardRecords()[1].jokerServed, 0);
    // No match was made: the spin ends without one and the next waits for the lever.
    for (int i = 0; i < 200 && logic->GetStateName() != "WaitForSpin"; ++i)
        Pass();
    EXPECT_EQ(logic->GetStateName(), "WaitForSpin");
    EXPECT_EQ(Entered("NoMatches"), 1);
}

TEST_F(JokerStatesTest, TimeRunningOutOverTheSuperJokerEndsTheTurn)
{
    StartRound(2);
    logic->scoringIdle = false;
    LandReels({N(MissOf(1)), N(MissOf(2)), kSuper, N(MissOf(4)), N(MissOf(5))});
    Place(1, 1, 1);
    ASSERT_EQ(logic->GetStateName(), "WaitForSuperJokerMatch");
    Signal("WaitForSuperJokerMatch", "timer expired");
    EXPECT_EQ(logic->GetStateName(), "WaitForOutputCompletion");
    EXPECT_EQ(PartState(), "Idle");
    ASSERT_FALSE(logic->said.empty());
    EXPECT_EQ(logic->said.back().id, Id("TIME_RAN_OUT"));
    EXPECT_EQ(logic->GetBoardRecords()[1].jokerServed, 0);
    EXPECT_FALSE(Cell(2, 1, 1)->isCellButtonEnabled);
    EXPECT_FALSE(Cell(2, 1, 1)->isSelectionSuppressed);
}

// ---------------------------------------------------------------- the cell joker

TEST_F(JokerStatesTest, ARevealedCellJokerGoesOnAnyNumberedCellOfAnyBoard)
{
    StartRound(2);
    Cell(1, 5, 1)->ruleCode = HIDDEN_JOKER;
    const int n1 = Cell(1, 1, 2)->number;
    LandReels({N(n1), N(MissOf(2)), N(MissOf(3)), N(MissOf(4)), kJoker});
    ASSERT_EQ(logic->GetStateName(), "WaitForMatch");
    Place(1, 5, 1);
    ASSERT_EQ(logic->GetStateName(), "WaitForCellJokerMatch");
    EXPECT_EQ(PartState(), "WaitForCellJokerMatch");
    EXPECT_EQ(logic->GetActiveCellJoker(), Cell(1, 5, 1));
    ASSERT_NE(Cell(1, 5, 1)->contents, nullptr);
    EXPECT_EQ(Selectable(1), "11110/11111/11111/11111/11111");
    EXPECT_EQ(Selectable(2), kAllOpen);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_TRUE(Wheel(i)->GetGrayTint()->IsVisible());
        EXPECT_FALSE(Wheel(i)->GetProgressOverlay()->IsVisible());
    }
    // Entering a cell lights no reel: none serves it.
    Signal("WaitForCellJokerMatch", "cell entered", CellData(2, 3, 3));
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(Wheel(i)->GetWheelHilite()->IsVisible()) << "reel " << i;

    // On the cell reel 1 would have taken: reel 1 has matched there.
    Place(1, 1, 2);
    EXPECT_EQ(Cell(1, 1, 2)->GetCellType(), "Selected");
    EXPECT_EQ(logic->GetActiveCellJoker(), nullptr);
    EXPECT_EQ(Cell(1, 5, 1)->contents->GetAlpha(), 96);
    EXPECT_EQ(Cell(1, 5, 1)->contents->GetShaderType(), SHADERTYPE_BLENDCOMBINEDALPHA);
    EXPECT_TRUE(logic->GetBoardRecords()[1].usedColumns[1]);
    EXPECT_EQ(PieceState(1, 1), WoppleWheelProgressOverlay::PIECE_FILLED);
    EXPECT_EQ(PieceState(1, 2), WoppleWheelProgressOverlay::PIECE_UNFILLED);
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(Wheel(i)->GetGrayTint()->IsVisible());
    // The ordinary matching goes on: reel 5's joker on board 2.
    ASSERT_EQ(logic->GetStateName(), "WaitForMatch");
    EXPECT_EQ(Selectable(1), kNoneOpen);
    for (int r = 1; r <= 5; ++r) {
        EXPECT_TRUE(logic->IsCellAvailableForMatching(2, 5, r)) << r;
        EXPECT_FALSE(logic->IsCellAvailableForMatching(2, 3, r)) << r;
    }
}

TEST_F(JokerStatesTest, TimeRunningOutOverACellJokerWaitsForTheScoringAndEndsTheTurn)
{
    StartRound();
    logic->scoringIdle = false;
    Cell(1, 5, 1)->ruleCode = HIDDEN_JOKER;
    LandReels({N(MissOf(1)), N(MissOf(2)), N(MissOf(3)), N(MissOf(4)), kJoker});
    Place(1, 5, 1);
    ASSERT_EQ(logic->GetStateName(), "WaitForCellJokerMatch");
    Signal("WaitForCellJokerMatch", "timer expired");
    // The queued match is still being scored: the spin waits for it.
    EXPECT_EQ(logic->GetStateName(), "WaitForOutputCompletion");
    EXPECT_EQ(Entered("NextSpin"), 0);
    EXPECT_EQ(PartState(), "Idle");
    EXPECT_EQ(logic->said.back().id, Id("TIME_RAN_OUT"));
    EXPECT_EQ(logic->GetActiveCellJoker(), nullptr);
    EXPECT_EQ(Cell(1, 5, 1)->contents->GetAlpha(), 96);
    EXPECT_FALSE(Cell(1, 1, 1)->isCellButtonEnabled);
    EXPECT_FALSE(Cell(1, 1, 1)->isSelectionSuppressed);
    logic->scoringIdle = true;
    SendNewEvent(WOPPLE_MATCHQUEUEEMPTY, logic.get(), logic.get(), nullptr);
    EXPECT_EQ(Entered("RouteSpinCompletion"), 1);
    EXPECT_EQ(logic->GetSpinCount(), 3);
    EXPECT_EQ(logic->GetStateName(), "WaitForSpin");
}

TEST_F(JokerStatesTest, ACellJokerWithNowhereToGoIsUsedUp)
{
    StartRound();
    Cell(1, 5, 5)->ruleCode = HIDDEN_JOKER;
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            if (c != 5 || r != 5)
                Cell(1, c, r)->SetCellType("Selected");
    LandReels({N(MissOf(1)), N(MissOf(2)), N(MissOf(3)), N(MissOf(4)), kJoker});
    // The last open cell hid the joker: it has nowhere to go.
    Place(1, 5, 5);
    EXPECT_EQ(Entered("WaitForCellJokerMatch"), 1);
    EXPECT_EQ(Entered("WaitForMatch"), 2);  // before the match, and after the joker
    EXPECT_EQ(logic->GetActiveCellJoker(), nullptr);
    EXPECT_EQ(Cell(1, 5, 5)->contents->GetAlpha(), 96);
    EXPECT_EQ(Cell(1, 5, 5)->contents->GetShaderType(), SHADERTYPE_BLENDCOMBINEDALPHA);
    EXPECT_EQ(PartState(), "Idle");
    EXPECT_FALSE(logic->IsCountdownRunning());
    EXPECT_EQ(logic->GetStateName(), "WaitForOutputCompletion");
}

// ---------------------------------------------------------------- the participant's answers

TEST_F(JokerStatesTest, TheJokerWaitsTakeTheParticipantsAnswersAsTheMatchWaitDoes)
{
    StartRound();
    for (const char* wait : {"WaitForSuperJokerMatch", "WaitForCellJokerMatch"}) {
        SCOPED_TRACE(wait);
        const std::string name = wait;
        FreshBoards();
        if (name == "WaitForSuperJokerMatch") {
            Cell(1, 5, 1)->SetCellType("Selected");
            LandReels({N(MissOf(1)), N(MissOf(2)), kSuper, N(MissOf(4)), N(MissOf(5))});
        } else {
            Cell(1, 5, 1)->ruleCode = HIDDEN_JOKER;
            LandReels({N(MissOf(1)), N(MissOf(2)), N(MissOf(3)), N(MissOf(4)), kJoker});
            Place(1, 5, 1);
        }
        ASSERT_EQ(logic->GetStateName(), name);
        ExpectAssertion([&] { Signal("WaitForMatch", "cell clicked", CellData(1, 1, 1)); },
                        "motive == \"" + name + "\"");
        ExpectAssertion([&] { Signal(name, "cell clicked"); }, "cellSelectionData.IsTable()");
        ExpectAssertion([&] { Signal(name, "wave"); }, "Unknown action=\"wave\", motive=\"" + name + "\"");
        // Cell events are the participant's to answer, in the same wait.
        const auto payload = std::make_shared<LuaObject>(CellData(1, 1, 1));
        logic->GetParticipantLogic()->SetState("Idle");
        ExpectAssertion([&] { SendNewEvent(WOPPLE_CELLCLICK, logic.get(), logic->GetBoardView(1), payload); },
                        "partLogic->GetStateName() == \"" + name + "\"");
        logic->GetParticipantLogic()->SetState(name);
        // A click on a cell that cannot take the joker: a bonk, nothing else.
        const std::size_t before = LogText().size();
        Signal(name, "cell clicked", CellData(1, 1, 1, false));
        Signal(name, "cell clicked", CellData(1, 5, 1));
        EXPECT_EQ(gametest::CountLines("Game sound: C_bonk.ogg", before), 2);
        EXPECT_EQ(logic->GetStateName(), name);
    }
}

// ---------------------------------------------------------------- the automated player

TEST_F(JokerStatesTest, TheAutomatedPlayerPlacesSuperAndCellJokersByClicks)
{
    StartRound(2, true);
    // Every cell of board 1 hides a joker: each placing reveals the next one.
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            Cell(1, c, r)->ruleCode = HIDDEN_JOKER;
    WoppleAutoPlayer::Options options;
    options.restPasses = 1;
    WoppleAutoPlayer player([this] { return logic.get(); }, options);
    LandReels({N(MissOf(1)), N(MissOf(2)), kSuper, N(MissOf(4)), N(MissOf(5))});
    ASSERT_EQ(logic->GetStateName(), "WaitForSuperJokerMatch");
    for (int i = 0; i < 3000 && logic->GetSpinCount() == 2; ++i) {
        player.Step();
        Pass();
    }
    // The spin came to its end through every kind of joker wait, by clicks alone.
    EXPECT_EQ(logic->GetSpinCount(), 3) << logic->GetStateName() << "/" << PartState();
    EXPECT_EQ(Entered("ProcessSuperJokerMatch"), 2);
    EXPECT_GE(Entered("ProcessCellJokerMatch"), 1);
    EXPECT_GE(gametest::CountLines("AutoPlay: cell 1", from), 1);
    EXPECT_GE(gametest::CountLines("(WaitForCellJokerMatch)", from), 1);
    EXPECT_EQ(gametest::CountLines("(WaitForSuperJokerMatch)", from), 2);
}

TEST_F(JokerStatesTest, AClassicRoundWithASuperJokerEverySpinIsPlayedToItsEndByClicks)
{
    app->ApplyBoolProperty("alwaysGetSuperJoker", true);
    StartRound(1, true, "{ cellJokers = 4 }");
    from = LogText().size();
    WoppleAutoPlayer::Options options;
    options.seed = 3;
    options.restPasses = 1;
    WoppleAutoPlayer player([this] { return logic.get(); }, options);
    for (int i = 0; i < 20000 && !player.IsRoundOver(); ++i) {
        player.Step();
        Pass();
    }
    app->ApplyBoolProperty("alwaysGetSuperJoker", false);
    EXPECT_TRUE(player.IsRoundOver()) << logic->GetStateName() << "/" << PartState();
    EXPECT_GE(Entered("ProcessSuperJokerMatch"), 1);
    EXPECT_EQ(Entered("ProcessSuperJokerMatch"), Entered("SuperJokerAppearance"));
    // Every revealed joker was placed, or had nowhere left to go.
    const int nowhere = gametest::CountLines("\nSetState: WaitForCellJokerMatch\nSetState: WaitForMatch\n", from);
    EXPECT_EQ(Entered("ProcessCellJokerMatch") + nowhere, Entered("WaitForCellJokerMatch"));
}

TEST(JokerBonusTable, PaysFromThreeJokersToSeven)
{
    const std::int64_t expected[] = {0, 0, 0, 3000, 8000, 15000, 28000, 35000, 0};
    for (int n = 0; n <= 8; ++n)
        EXPECT_EQ(OldSchoolStates::JokerBonusFor(n), expected[n]) << n;
}

} // namespace
