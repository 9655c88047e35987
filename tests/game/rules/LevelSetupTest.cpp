// A level laid out on real boards built from their templates: where the level
// table's special cells land (seeded), the links between boards, and the
// steps of a new level.

#include "../views/BoardTestSupport.h"
#include "engine/core/Exception.h"
#include "engine/ui/Label.h"
#include "game/rules/WoppleLevelSetup.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

using namespace boardtest;

namespace {

// One special cell: board, column, row, hidden element, multiplier.
using Placed = std::tuple<int, int, int, int, int>;

class LevelSetupTest : public BoardFixture
{
protected:
    void SetUp() override
    {
        Start({"--log3"});
        screen = AddScreen<Screen>("", "Board", nullptr);
        manager->SwitchToScreen("Board");
        StandInPictures();
    }

    // n boards of the template, side by side.
    WoppleBoardViews MakeBoards(int n, const std::string& resource = "WoppleMultiBoardResourceSet")
    {
        WoppleBoardViews boards{nullptr};
        for (int b = 1; b <= n; ++b)
            boards.push_back(MakeBoard(resource, 220 * (b - 1), 0, b));
        return boards;
    }

    // The first n of two small boards made once (boards are slow to build),
    // holding nothing.
    WoppleBoardViews Boards(int n)
    {
        if (shared.size() < 3)
            shared = MakeBoards(2);
        for (std::size_t b = 1; b < shared.size(); ++b)
            for (int c = 1; c <= shared[b]->GetNumColumns(); ++c)
                for (int r = 1; r <= shared[b]->GetNumRows(); ++r) {
                    shared[b]->GetCellView(c, r)->ruleCode = HIDDEN_NONE;
                    shared[b]->GetCellView(c, r)->multiplier = 0;
                }
        return WoppleBoardViews(shared.begin(), shared.begin() + n + 1);
    }

    WoppleLevelSetup Setup(const WoppleBoardViews& boards, const std::string& level)
    {
        return WoppleLevelSetup(boards, WoppleLevelSetup::ReadTable(Eval(level)));
    }

    // Every cell holding a hidden element, board by board, column by column.
    static std::vector<Placed> Specials(const WoppleBoardViews& boards)
    {
        std::vector<Placed> found;
        for (std::size_t b = 1; b < boards.size(); ++b)
            for (int c = 1; c <= boards[b]->GetNumColumns(); ++c)
                for (int r = 1; r <= boards[b]->GetNumRows(); ++r) {
                    WoppleCellView* cell = boards[b]->GetCellView(c, r);
                    if (cell->ruleCode != HIDDEN_NONE)
                        found.emplace_back(static_cast<int>(b), c, r, cell->ruleCode, cell->multiplier);
                }
        return found;
    }

    static std::map<int, int> CountByKind(const std::vector<Placed>& placed)
    {
        std::map<int, int> counts;
        for (const Placed& p : placed)
            ++counts[std::get<3>(p)];
        return counts;
    }

    WoppleBoardViews shared;
};

TEST_F(LevelSetupTest, ExplicitPositionsLandWhereTheLevelSays)
{
    struct Case
    {
        int boards;
        const char* level;
        std::vector<Placed> expected;
    };
    const Case cases[] = {
        {1, "{ secretSquare = { position = { 2, 3 } } }", {{1, 2, 3, HIDDEN_SECRET_SQUARE, 0}}},
        // Negative positions count from the right and the bottom.
        {2, "{ secretSquare = { board = 2, position = { -1, -1 } } }", {{2, 5, 5, HIDDEN_SECRET_SQUARE, 0}}},
        {1, "{ cellCoins = { { position = { -1, -1 } } } }", {{1, 5, 5, HIDDEN_COIN, 0}}},
        {2,
         "{ cellMultipliers = { { magnitude = 3, position = { 1, 1 } }, { board = 2, magnitude = 5, position = { x = 4, y = 2 } } } }",
         {{1, 1, 1, HIDDEN_MULTIPLIER, 3}, {2, 4, 2, HIDDEN_MULTIPLIER, 5}}},
        {2,
         "{ cellDevils = { { board = 2, position = { 1, 5 } } }, cellDevilCherubs = { { position = { 2, 1 } } },"
         "  cellDevilProtection = { { position = { 3, 1 } } }, cellFreeSpins = { { board = 2, position = { 3, 3 } } },"
         "  cellJokers = { { position = { -2, 4 } } }, cellPirateOrTreasure = { { position = { 5, 1 } } },"
         "  cellWoppleVision = { { board = 2, position = { 1, -5 } } } }",
         {{1, 2, 1, HIDDEN_DEVIL_CHERUB, 0}, {1, 3, 1, HIDDEN_DEVIL_PROTECTION, 0}, {1, 4, 4, HIDDEN_JOKER, 0},
          {1, 5, 1, HIDDEN_PIRATE_OR_TREASURE, 0}, {2, 1, 1, HIDDEN_WOPPLE_VISION, 0}, {2, 1, 5, HIDDEN_DEVIL, 0},
          {2, 3, 3, HIDDEN_FREE_SPIN, 0}}},
        // Later keys write over earlier ones: jokers come after coins.
        {1, "{ cellCoins = { { position = { 4, 4 } } }, cellJokers = { { position = { 4, 4 } } } }",
         {{1, 4, 4, HIDDEN_JOKER, 0}}},
        // A cell that stops being a multiplier loses its magnitude, or a match
        // on it would still count in the board's total multiplier.
        {1, "{ cellMultipliers = { { magnitude = 3, position = { 4, 4 } } }, cellJokers = { { position = { 4, 4 } } } }",
         {{1, 4, 4, HIDDEN_JOKER, 0}}},
        {1, "{ mapName = 'Nothing Special' }", {}},
        // Off the board, column 0 or a missing board: left out, with a warning.
        {1, "{ cellCoins = { { position = { 0, 3 } }, { position = { 6, 1 } } }, cellJokers = { { board = 3, position = { 1, 1 } } },"
            "  secretSquare = { position = { 1, -6 } }, cellMultipliers = { { board = 0, magnitude = 2 } } }",
         {}},
    };
    for (const Case& c : cases) {
        WoppleBoardViews boards = Boards(c.boards);
        Setup(boards, c.level).LoadBonusSquares();
        EXPECT_EQ(Specials(boards), c.expected) << c.level;
    }
}

TEST_F(LevelSetupTest, RandomPlacementsTakeFreeCellsAndFollowTheSeed)
{
    const char* level = "{ secretSquare = { position = { 3, 3 } }, cellMultipliers = { {}, { board = 2 }, {} },"
                        "  cellJokers = 3, cellCoins = 4, cellDevils = { {}, { board = 2 } } }";
    std::vector<Placed> first;
    for (int run = 0; run < 2; ++run) {
        std::srand(20261210);
        WoppleBoardViews boards = Boards(2);
        Setup(boards, level).LoadBonusSquares();
        const std::vector<Placed> placed = Specials(boards);
        // No random placement lands on a taken cell, so every one is counted.
        const std::map<int, int> expected = {{HIDDEN_SECRET_SQUARE, 1}, {HIDDEN_MULTIPLIER, 3}, {HIDDEN_JOKER, 3},
                                             {HIDDEN_COIN, 4}, {HIDDEN_DEVIL, 2}};
        EXPECT_EQ(CountByKind(placed), expected);
        for (const Placed& p : placed) {
            if (std::get<3>(p) == HIDDEN_MULTIPLIER) {
                EXPECT_TRUE(std::get<4>(p) == 2 || std::get<4>(p) == 3 || std::get<4>(p) == 5) << std::get<4>(p);
            }
        }
        EXPECT_EQ(boards[1]->GetCellView(3, 3)->ruleCode, HIDDEN_SECRET_SQUARE);
        // The second multiplier and the second devil name board 2.
        int onBoard2 = 0;
        for (const Placed& p : placed)
            onBoard2 += std::get<0>(p) == 2 && (std::get<3>(p) == HIDDEN_MULTIPLIER || std::get<3>(p) == HIDDEN_DEVIL);
        EXPECT_GE(onBoard2, 2);
        if (run == 0)
            first = placed;
        else
            EXPECT_EQ(placed, first) << "the same seed lays the same level out";
    }
}

TEST_F(LevelSetupTest, JokersCountedByNumberSpreadOverTheBoards)
{
    // Over a few seeds, both boards get jokers drawn for them.
    std::map<int, int> perBoard;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::srand(seed);
        WoppleBoardViews boards = Boards(2);
        Setup(boards, "{ cellJokers = 3 }").LoadBonusSquares();
        const std::vector<Placed> placed = Specials(boards);
        EXPECT_EQ(placed.size(), 3u);
        for (const Placed& p : placed)
            ++perBoard[std::get<0>(p)];
    }
    EXPECT_GT(perBoard[1], 0);
    EXPECT_GT(perBoard[2], 0);
}

TEST_F(LevelSetupTest, ARandomCellOnAFullBoardIsAnAssertion)
{
    WoppleBoardViews boards = Boards(1);
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            boards[1]->GetCellView(c, r)->ruleCode = HIDDEN_COIN;
    int draws = 0;
    WoppleLevelSetup setup(boards, WoppleLevelSetup::ReadTable(Eval("{ cellJokers = 1 }")), [&draws](int lo, int) {
        ++draws;
        return lo;
    });
    try {
        setup.LoadBonusSquares();
        FAIL() << "a full board took a joker";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("A cell without a hidden element could not be found."), std::string::npos)
            << e.GetMessage();
    }
    // A board number, then a column and a row per draw.
    EXPECT_EQ(draws, 1 + 2 * WoppleLevelSetup::kMaxDraws);
}

TEST_F(LevelSetupTest, LinkedBoardsKnowEachOtherAndSayWhere)
{
    WoppleBoardViews boards = Boards(2);
    Setup(boards, "{ interBoardCellConnections = {"
                  "  { { boardIndex = 1, cellPosition = { 5, 2 }, orientation = 'West' },"
                  "    { boardIndex = 2, cellPosition = { 1, 2 }, orientation = 'East' } },"
                  "  { { boardIndex = 1, cellPosition = { -1, -1 }, orientation = 'Northwest' },"
                  "    { boardIndex = 2, cellPosition = { 1, -2 }, orientation = 'Southeast' } } } }")
        .ConnectBoards();
    WoppleCellView* a = boards[1]->GetCellView(5, 2);
    WoppleCellView* b = boards[2]->GetCellView(1, 2);
    // Each end names the way to it from the other end.
    EXPECT_EQ(a->neighbours[CELL_EAST], b);
    EXPECT_EQ(b->neighbours[CELL_WEST], a);
    EXPECT_EQ(boards[1]->GetCellView(5, 5)->neighbours[CELL_SOUTHEAST], boards[2]->GetCellView(1, 4));
    EXPECT_EQ(boards[2]->GetCellView(1, 4)->neighbours[CELL_NORTHWEST], boards[1]->GetCellView(5, 5));
    // The links inside a board stay as they were.
    EXPECT_EQ(a->neighbours[CELL_WEST], boards[1]->GetCellView(4, 2));
    EXPECT_EQ(CountInLog("Connecting cells: {b=1, {c=5, r=2}, West} <--> {b=2, {c=1, r=2}, East}"), 1);
    EXPECT_EQ(CountInLog("Connecting cells: {b=1, {c=5, r=5}, Northwest} <--> {b=2, {c=1, r=4}, Southeast}"), 1);

    WoppleLevelSetup bad = Setup(boards, "{ interBoardCellConnections = {"
                                         "  { { boardIndex = 1, cellPosition = { 5, 2 }, orientation = 'Up' },"
                                         "    { boardIndex = 2, cellPosition = { 1, 2 }, orientation = 'East' } } } }");
    EXPECT_THROW(bad.ConnectBoards(), Exception);
}

// Writes down the logic's steps of a new level in order.
class RecordingHost : public WoppleLevelSetupHost
{
public:
    void InitParticipants() override { steps.push_back("InitParticipants"); }
    void ResetLevelCounters() override { steps.push_back("ResetLevelCounters"); }
    void ClearAllWheelSquares() override { steps.push_back("ClearAllWheelSquares"); }
    void SetAllScores(int64_t score, bool animate) override
    {
        steps.push_back("SetAllScores " + std::to_string(score) + (animate ? " animated" : ""));
    }
    void ResetDevilValues() override { steps.push_back("ResetDevilValues"); }
    int GetNumWheels() const override { return 5; }
    Actor* GetRootActor() const override { return root; }
    Label* GetPatternNameLabel() const override { return label; }
    void CloseTreasureBoxes() override { steps.push_back("CloseTreasureBoxes"); }
    void BindBonusSquares(Actor*, WoppleBoardView* board) override
    {
        steps.push_back("BindBonusSquares " + std::to_string(board->boardIndex));
    }

    std::vector<std::string> steps;
    Actor* root = nullptr;
    Label* label = nullptr;
};

TEST_F(LevelSetupTest, ANewLevelStartsFromBlankBoardsInTheGameOrder)
{
    WoppleBoardViews boards = Boards(2);
    Number(boards[1]);
    Number(boards[2], "Selected");
    RecordingHost host;
    host.root = new Actor();
    screen->AddChild(host.root);
    host.label = new Label();
    host.root->AddChild(host.label);

    std::vector<WoppleLevelSetup::BoardRecord> records;
    Setup(boards, "{ bonusSquares = { class = 'Actor' } }").SetLevelName(host, records);

    const std::vector<std::string> expected = {"InitParticipants", "ResetLevelCounters", "ClearAllWheelSquares",
                                               "SetAllScores 0 animated", "ResetDevilValues", "BindBonusSquares 1",
                                               "BindBonusSquares 2", "CloseTreasureBoxes"};
    EXPECT_EQ(host.steps, expected);
    for (int b : {1, 2})
        for (int c : {1, 5})
            for (int r : {1, 5}) {
                EXPECT_EQ(boards[b]->GetCellView(c, r)->GetCellType(), "Blank") << b << c << r;
                EXPECT_TRUE(boards[b]->GetCellView(c, r)->isBlank);
            }
    // Entry 0 is never used; each record has a bit per reel column plus one.
    ASSERT_EQ(records.size(), 3u);
    for (const WoppleLevelSetup::BoardRecord& record : records) {
        EXPECT_EQ(record.usedColumns, std::vector<bool>(6, false));
        EXPECT_EQ(record.jokerServed, 0);
    }
    EXPECT_EQ(records[0].bonusSquares, nullptr);
    for (int b : {1, 2}) {
        ASSERT_NE(records[b].bonusSquares, nullptr);
        EXPECT_EQ(records[b].bonusSquares->GetParent(), host.root);
        EXPECT_EQ(records[b].bonusSquares->GetLayer(), 7);
    }
    EXPECT_NE(records[1].bonusSquares, records[2].bonusSquares);
    EXPECT_EQ(host.label->GetText(), "Classic Mode");
    EXPECT_EQ(host.root->GetWidth(), 800);
    EXPECT_EQ(host.root->GetLocalRect().h, 600);
    EXPECT_EQ(CountInLog(">>> SetLevelName Classic Mode\n"), 1);
}

TEST_F(LevelSetupTest, TheLevelNameIsLoggedAtAnyLevelAndShown)
{
    app->SetLogLevel(0);
    WoppleBoardViews boards = MakeBoards(1, "WoppleSingleBoardResourceSet");
    RecordingHost host;
    std::vector<WoppleLevelSetup::BoardRecord> records;
    Setup(boards, "{ mapName = 'Shell Beach' }").SetLevelName(host, records);
    EXPECT_EQ(CountInLog(">>> SetLevelName Shell Beach\n"), 1);
    // No bonus squares without "bonusSquares"; a logic without a root actor is fine.
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].bonusSquares, nullptr);
}

} // namespace

namespace {

TEST_F(LevelSetupTest, AMultiplierWithoutPositionOnAFullBoardIsAnAssertion)
{
    WoppleBoardViews boards = Boards(1);
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            boards[1]->GetCellView(c, r)->ruleCode = HIDDEN_COIN;
    int draws = 0;
    WoppleLevelSetup setup(boards, WoppleLevelSetup::ReadTable(Eval("{ cellMultipliers = { { magnitude = 2 } } }")),
                           [&draws](int lo, int) {
                               // Bounded here too, so a regression fails rather than hangs.
                               if (++draws > 4 * WoppleLevelSetup::kMaxDraws)
                                   throw std::runtime_error("drawing without end");
                               return lo;
                           });
    try {
        setup.LoadBonusSquares();
        FAIL() << "a full board took a multiplier";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("A cell without a hidden element could not be found."), std::string::npos)
            << e.GetMessage();
    }
    EXPECT_EQ(draws, 2 * WoppleLevelSetup::kMaxDraws);
    EXPECT_EQ(boards[1]->GetCellView(1, 1)->multiplier, 0);
}

TEST_F(LevelSetupTest, AMultiplierWithoutPositionDrawsOnItsOwnBoard)
{
    // Board 2 is bigger than board 1: its far cells are reachable too.
    WoppleBoardViews boards{nullptr, MakeBoard("WoppleMultiBoardResourceSet", 0, 0, 1),
                            MakeBoard("WoppleSevenBySevenBoardResourceSet", 220, 0, 2)};
    std::vector<int> answers = {7, 6};
    WoppleLevelSetup setup(boards, WoppleLevelSetup::ReadTable(Eval("{ cellMultipliers = { { board = 2, magnitude = 3 } } }")),
                           [&answers](int lo, int hi) {
                               if (answers.empty())
                                   return lo;
                               const int next = answers.front();
                               answers.erase(answers.begin());
                               return next < lo || next > hi ? lo : next;
                           });
    setup.LoadBonusSquares();
    EXPECT_EQ(boards[2]->GetCellView(7, 6)->ruleCode, HIDDEN_MULTIPLIER);
    EXPECT_EQ(boards[2]->GetCellView(7, 6)->multiplier, 3);
}

TEST_F(LevelSetupTest, TheSecretSquareIsNeverWrittenOver)
{
    const char* levels[] = {
        "{ mapName = 'Crab Cove', secretSquare = { position = { 2, 4 } }, cellCoins = { { position = { 2, 4 } } } }",
        "{ mapName = 'Crab Cove', secretSquare = { position = { 2, 4 } }, cellPirateOrTreasure = { { position = { -4, -2 } } } }",
        "{ mapName = 'Crab Cove', secretSquare = { position = { 2, 4 } }, cellMultipliers = { { magnitude = 5, position = { 2, 4 } } } }",
    };
    int warned = 0;
    for (const char* level : levels) {
        WoppleBoardViews boards = Boards(1);
        Setup(boards, level).LoadBonusSquares();
        EXPECT_EQ(Specials(boards), (std::vector<Placed>{{1, 2, 4, HIDDEN_SECRET_SQUARE, 0}})) << level;
        EXPECT_EQ(CountInLog("WARNING: Level \"Crab Cove\""), ++warned) << level;
    }
    // Elsewhere the explicit entry still lands.
    WoppleBoardViews boards = Boards(1);
    Setup(boards, "{ secretSquare = { position = { 2, 4 } }, cellCoins = { { position = { 2, 5 } } } }").LoadBonusSquares();
    EXPECT_EQ(Specials(boards), (std::vector<Placed>{{1, 2, 4, HIDDEN_SECRET_SQUARE, 0}, {1, 2, 5, HIDDEN_COIN, 0}}));
}

} // namespace

namespace {

TEST_F(LevelSetupTest, TheMultiBoardLinksJoinCellsThatExist)
{
    WoppleBoardViews boards = MakeBoards(4);
    auto cell = [&boards](int b, int c, int r) { return boards[b]->GetCellView(c, r); };
    struct Case
    {
        const char* function;
        int boards;
        int links;
    };
    const Case cases[] = {{"CreateTwoBoardCellConnections", 2, 5},
                          {"CreateThreeBoardCellConnections", 3, 23},
                          {"CreateFourBoardCellConnections", 4, 54}};
    for (const Case& c : cases) {
        const int before = CountInLog("Connecting cells:");
        const std::string level = std::string("{ interBoardCellConnections = ") + c.function + "() }";
        WoppleBoardViews some(boards.begin(), boards.begin() + c.boards + 1);
        Setup(some, level).ConnectBoards();
        // Every link found both its cells.
        EXPECT_EQ(CountInLog("Connecting cells:") - before, c.links) << c.function;
        EXPECT_EQ(CountInLog("WARNING"), 0) << c.function;
        if (c.boards == 2) {
            EXPECT_EQ(cell(1, 3, 5)->neighbours[CELL_SOUTH], cell(2, 3, 1));
            EXPECT_EQ(cell(2, 3, 1)->neighbours[CELL_NORTH], cell(1, 3, 5));
        } else if (c.boards == 3) {
            EXPECT_EQ(cell(1, 1, 5)->neighbours[CELL_SOUTH], cell(2, 4, 1));
            EXPECT_EQ(cell(1, 5, 5)->neighbours[CELL_SOUTH], cell(3, 2, 1));
            EXPECT_EQ(cell(3, 1, 1)->neighbours[CELL_NORTHEAST], cell(1, 5, 5));
            EXPECT_EQ(cell(2, 5, 3)->neighbours[CELL_EAST], cell(3, 1, 3));
        } else {
            EXPECT_EQ(cell(1, 5, 5)->neighbours[CELL_SOUTHEAST], cell(4, 1, 1));
            EXPECT_EQ(cell(3, 5, 1)->neighbours[CELL_NORTHEAST], cell(2, 1, 5));
            EXPECT_EQ(cell(2, 2, 5)->neighbours[CELL_SOUTHWEST], cell(4, 1, 1));
            EXPECT_EQ(cell(4, 1, 2)->neighbours[CELL_NORTHWEST], cell(3, 5, 1));
        }
    }
}

} // namespace

namespace {

TEST_F(LevelSetupTest, AGameWithoutBoardsTakesNoCells)
{
    WoppleLevelSetup setup({nullptr}, WoppleLevelSetup::ReadTable(Eval("{ cellJokers = 2, cellCoins = { {} } }")));
    EXPECT_NO_THROW(setup.LoadBonusSquares());
    EXPECT_EQ(CountInLog("\"cellJokers\" asks for 2 cells on a game without boards"), 1);
    EXPECT_THROW(setup.ChooseCellWithoutHiddenElement(nullptr), Exception);
}

} // namespace

namespace {

TEST_F(LevelSetupTest, TheLevelIsReadFromTheLogicsProperties)
{
    // The level table applied to an object, as the game applies it to its logic.
    std::unique_ptr<Object> logic(ClassManager::GetInstance()->InstantiateObject(
        Eval("{ class = 'Actor', mapName = 'Tide Pools', secretSquare = { board = 2, position = { 4, 1 } } }")));
    ASSERT_NE(logic, nullptr);
    WoppleBoardViews boards = Boards(2);
    WoppleLevelSetup setup(boards, WoppleLevelSetup::ReadProperties(*logic));
    setup.LoadBonusSquares();
    EXPECT_EQ(setup.GetLevelName(), "Tide Pools");
    EXPECT_EQ(Specials(boards), (std::vector<Placed>{{2, 4, 1, HIDDEN_SECRET_SQUARE, 0}}));
}

} // namespace
