// The multi-board modes on their real layouts, headless: a level table makes
// the logic through the class registry, cells are marked and matched by hand
// and the scoring logic is stepped until it is idle again.

#include "RulesTestSupport.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Label.h"
#include "game/rules/WoppleMultiBoardBaseLogic.h"
#include "game/rules/WoppleMultiBoardOutputLogic.h"
#include "game/rules/WoppleOutputBaseLogic.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace rulestest;

namespace {

// A cell of a board: board index, column, row.
struct Place
{
    int board, column, row;
};

class MultiBoardLogicTest : public RoundFixture<WoppleMultiBoardBaseLogic>
{
protected:
    void SetUp() override
    {
        StartGame();
        // The round's scripts wait for ever: the tests match cells themselves.
        Lua(std::string(kStillCharacters) +
            "Scripts.DisplayLevelActors = wait\n");
        ShowGameScreen();
    }

    // The level's table (Lua fields) made into its logic on the screen, started.
    // The message of an assertion on the way, or empty.
    std::string StartLevel(const std::string& fields)
    {
        LuaObject params = Eval("{ levelNumber = -1, " + fields + " }");
        Object* object = ClassManager::GetInstance()->InstantiateObject(params);
        logic.reset(dynamic_cast<WoppleMultiBoardBaseLogic*>(object));
        if (!logic) {
            delete object;
            return "not a multi-board logic";
        }
        logic->SetTargetScreen(screen);
        screen->logic = logic.get();
        try {
            logic->CreateRootActor();
            logic->Start();
        } catch (const Exception& e) {
            return e.GetMessage();
        }
        logic->SetCurrentParticipant(0);
        output = logic->GetScoringLogic();
        Pass();
        return std::string();
    }

    // The level's logic leaves the screen, so that the next case can start one.
    void EndLevel()
    {
        screen->logic = nullptr;
        logic.reset();
        Pass();
    }

    WoppleCellView* Cell(const Place& p) const { return logic->GetBoardView(p.board)->GetCellView(p.column, p.row); }

    void Mark(const std::vector<Place>& places)
    {
        for (const Place& p : places) {
            Cell(p)->SetCellType("Selected");
            Cell(p)->ruleFlag = false;
        }
    }

    // As the match states do: matched, pending, queued; then scored to the end.
    void MatchAndScore(const Place& p)
    {
        WoppleCellView* cell = Cell(p);
        cell->SetCellType("Selected");
        cell->ruleFlag = true;
        logic->SetChosenCell(cell);
        output->QueueMatch(cell);
        Pass();
        for (int i = 0; i < 800 && !output->IsIdle(); ++i)
            Pass();
        ASSERT_TRUE(output->IsIdle()) << output->GetStateName();
    }

    static std::vector<Place> Column(int board, int column)
    {
        std::vector<Place> cells;
        for (int r = 1; r <= 5; ++r)
            cells.push_back({board, column, r});
        return cells;
    }

    Actor* Find(const char* name) const { return logic->GetRootActor()->FindChild(name, true); }
    std::string Shown(const char* label) const { return dynamic_cast<Label*>(Find(label))->GetText(); }
    std::int64_t Score() const { return logic->GetScore(0); }

    WoppleOutputBaseLogic* output = nullptr;
};

TEST_F(MultiBoardLogicTest, EachArrangementLinksItsBoardsAndCountsALineAcrossASeamAsASuperWopple)
{
    const struct
    {
        const char* logicClass;
        const char* linkFunction;
        int boards;
        const char* mode;
        // Ten cells across a seam, the last one matched; its own board's line among them.
        std::vector<Place> line;
    } cases[] = {
        {"WoppleTwoBoardGameLogic", "CreateTwoBoardCellConnections", 2, "Two Board",
         {{1, 3, 1}, {1, 3, 2}, {1, 3, 3}, {1, 3, 4}, {2, 3, 1}, {2, 3, 2}, {2, 3, 3}, {2, 3, 4}, {2, 3, 5}, {1, 3, 5}}},
        // Board 1's first column stands over board 2's fourth.
        {"WoppleThreeBoardGameLogic", "CreateThreeBoardCellConnections", 3, "Three Board",
         {{1, 1, 1}, {1, 1, 2}, {1, 1, 3}, {1, 1, 4}, {1, 1, 5}, {2, 4, 2}, {2, 4, 3}, {2, 4, 4}, {2, 4, 5}, {2, 4, 1}}},
        // Row 3 of the lower boards, left into right.
        {"WoppleFourBoardGameLogic", "CreateFourBoardCellConnections", 4, "Four Board",
         {{3, 1, 3}, {3, 2, 3}, {3, 3, 3}, {3, 4, 3}, {3, 5, 3}, {4, 2, 3}, {4, 3, 3}, {4, 4, 3}, {4, 5, 3}, {4, 1, 3}}},
        // The corner: board 1's main diagonal runs on into board 4's.
        {"WoppleFourBoardGameLogic", "CreateFourBoardCellConnections", 4, "Four Board",
         {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {1, 4, 4}, {1, 5, 5}, {4, 2, 2}, {4, 3, 3}, {4, 4, 4}, {4, 5, 5}, {4, 1, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logicClass);
        const int connectedBefore = CountLines("Connecting cells: {b=");
        ASSERT_EQ(StartLevel(std::string("class = '") + c.logicClass +
                             "', numberOfWopplesRequired = 5, numberOfSuperWopplesRequired = 2"),
                  "");
        EXPECT_EQ(logic->GetNameOfGameMode(), c.mode);
        EXPECT_EQ(logic->GetNumBoards(), c.boards);
        // Board views by their index from 1; entry 0 stays empty.
        ASSERT_EQ(logic->GetBoardViews().size(), static_cast<std::size_t>(c.boards + 1));
        EXPECT_EQ(logic->GetBoardViews()[0], nullptr);
        for (int i = 1; i <= c.boards; ++i) {
            EXPECT_EQ(logic->GetBoardView(i), Find(("board_" + std::to_string(i)).c_str()));
            EXPECT_EQ(logic->GetBoardView(i)->boardIndex, i);
        }
        // One logged link per pair the mode's function returns.
        EXPECT_EQ(CountLines("Connecting cells: {b=") - connectedBefore,
                  Eval(std::string("table.getn(") + c.linkFunction + "())").GetInteger());
        EXPECT_EQ(Shown("wopplesLeftValue"), "5");
        EXPECT_EQ(Shown("supersLeftValue"), "2");

        Mark(std::vector<Place>(c.line.begin(), c.line.end() - 1));
        MatchAndScore(c.line.back());
        // The line on its own board and the ten across the seam: 1000 and 2000.
        EXPECT_EQ(logic->numberOfWopplesRequired, 4);
        EXPECT_EQ(logic->numberOfSuperWopplesRequired, 1);
        EXPECT_EQ(Shown("wopplesLeftValue"), "4");
        EXPECT_EQ(Shown("supersLeftValue"), "1");
        EXPECT_EQ(Score(), 3000);
        EXPECT_FALSE(logic->IsLevelGoalMet());

        EndLevel();
    }
}

TEST_F(MultiBoardLogicTest, TheGoalIsMetWhenBothCountsReachZeroAndItsBonusIsPaidOnce)
{
    ASSERT_EQ(StartLevel("class = 'WoppleTwoBoardGameLogic', numberOfWopplesRequired = 1, "
                         "numberOfSuperWopplesRequired = 1"),
              "");
    EXPECT_EQ(logic->GetTotalRequired(), 2);
    for (const char* name : {"wopplesLeftValue", "supersLeftValue"})
        EXPECT_TRUE(Find(name)->IsVisible()) << name;
    for (const char* name : {"wopplesLeftCheck", "supersLeftCheck", "wopplesNeededBlink"})
        EXPECT_FALSE(Find(name)->IsVisible()) << name;

    // Column 3 down both boards: its own column and the super line at one match.
    std::vector<Place> line = Column(1, 3);
    for (const Place& p : Column(2, 3))
        line.push_back(p);
    const Place last = {1, 3, 5};
    line.erase(line.begin() + 4);
    Mark(line);
    const int claps = CountLines("Game sound: claps.ogg");
    MatchAndScore(last);
    EXPECT_TRUE(logic->IsLevelGoalMet());
    // 1000 and 2000 for the lines, 2 x 100 for the goal.
    EXPECT_EQ(Score(), 3000 + 200);
    EXPECT_EQ(CountLines("Game sound: claps.ogg") - claps, 1);
    for (const char* name : {"wopplesLeftValue", "supersLeftValue"}) {
        EXPECT_EQ(Shown(name), "0");
        EXPECT_FALSE(Find(name)->IsVisible()) << name;
    }
    for (const char* name : {"wopplesLeftCheck", "supersLeftCheck", "wopplesNeededBlink"})
        EXPECT_TRUE(Find(name)->IsVisible()) << name;

    // A further line: the count stays at 0, no second bonus, the goal stays lit.
    Mark({{2, 2, 5}, {2, 4, 5}, {2, 5, 5}});
    MatchAndScore({2, 1, 5});
    EXPECT_EQ(logic->numberOfWopplesRequired, 0);
    EXPECT_EQ(Score(), 3200 + 1000);
    EXPECT_EQ(CountLines("Game sound: claps.ogg") - claps, 1);
    Passes(30);
    EXPECT_TRUE(Find("wopplesNeededBlink")->IsVisible());
}

TEST_F(MultiBoardLogicTest, ALevelWithoutSuperWopplesShowsItsTickFromTheStartAndPaysOnItsLastWopple)
{
    ASSERT_EQ(StartLevel("class = 'WoppleFourBoardGameLogic', numberOfWopplesRequired = 2"), "");
    EXPECT_EQ(logic->numberOfSuperWopplesRequired, 0);
    EXPECT_EQ(Shown("supersLeftValue"), "0");
    EXPECT_FALSE(Find("supersLeftValue")->IsVisible());
    EXPECT_TRUE(Find("supersLeftCheck")->IsVisible());
    EXPECT_FALSE(logic->IsLevelGoalMet());

    // The first Wopple: the count goes down and the goal blinks, no bonus yet.
    Mark({{2, 1, 1}, {2, 1, 2}, {2, 1, 3}, {2, 1, 4}});
    MatchAndScore({2, 1, 5});
    EXPECT_EQ(Shown("wopplesLeftValue"), "1");
    EXPECT_EQ(Score(), 1000);
    EXPECT_FALSE(logic->IsLevelGoalMet());

    Mark({{3, 2, 1}, {3, 2, 2}, {3, 2, 3}, {3, 2, 4}});
    MatchAndScore({3, 2, 5});
    EXPECT_TRUE(logic->IsLevelGoalMet());
    EXPECT_EQ(Score(), 1000 + 1000 + 2 * 100);
    EXPECT_TRUE(Find("wopplesLeftCheck")->IsVisible());
}

TEST_F(MultiBoardLogicTest, ALostLevelIsToldWhichKindOfLineWasMissing)
{
    Lua("Scripts.SayDidNotGetWopples = function() said = 'wopples' end\n"
        "Scripts.SayDidNotGetSuperWopples = function() said = 'supers' end\n");
    for (auto [supers, said] : {std::pair{1, "supers"}, std::pair{0, "wopples"}}) {
        ASSERT_EQ(StartLevel("class = 'WoppleThreeBoardGameLogic', numberOfWopplesRequired = 3, "
                             "numberOfSuperWopplesRequired = " +
                             std::to_string(supers)),
                  "");
        Lua("said = nil");
        EXPECT_NE(logic->SayGameMessage(16, nullptr, "", "", ""), nullptr);
        Passes(2);
        EXPECT_EQ(Eval("said").GetString(), said);
        EndLevel();
    }
}

TEST_F(MultiBoardLogicTest, AMissingBoardOrLinkFunctionStopsTheLevelWithItsAssertion)
{
    const struct
    {
        const char* setup;
        const char* fields;
        const char* message;
    } cases[] = {
        {"Resources.WoppleTwoBoardScreenLayout.children.board_2 = nil", "class = 'WoppleTwoBoardGameLogic'",
         "Could not find a board with the name \"board_2\"."},
        {"", "class = 'WoppleFourBoardGameLogic', createInterBoardCellConnections = 4",
         "createCellConnectionsObject could not be initialized."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        Lua(c.setup);
        const std::string message = StartLevel(c.fields);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EndLevel();
    }
}

} // namespace
