#include "game/rules/WoppleLevelSetup.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Object.h"
#include "engine/core/Point.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Label.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"

#include <boost/format.hpp>

#include <utility>

namespace {

// The level cells after the secret and the multipliers, in the game's order.
struct LevelCellKey
{
    const char* key;
    int kind;
};
const LevelCellKey kLevelCellKeys[] = {
    {"cellCoins", HIDDEN_COIN},
    {"cellWoppleVision", HIDDEN_WOPPLE_VISION},
    {"cellDevils", HIDDEN_DEVIL},
    {"cellDevilCherubs", HIDDEN_DEVIL_CHERUB},
    {"cellDevilProtection", HIDDEN_DEVIL_PROTECTION},
    {"cellFreeSpins", HIDDEN_FREE_SPIN},
    {"cellJokers", HIDDEN_JOKER},
    {"cellPirateOrTreasure", HIDDEN_PIRATE_OR_TREASURE},
};

const int kMagnitudes[] = {2, 3, 5};
const int kLevelWidth = 800;
const int kLevelHeight = 600;
const int kBonusSquaresLayer = 7;

} // namespace

WoppleLevelSetup::WoppleLevelSetup(WoppleBoardViews boards, WoppleLevelReader level, WoppleRandomRange random)
    : m_Boards(std::move(boards)), m_Level(std::move(level)), m_Random(std::move(random))
{
    if (m_Boards.empty())
        m_Boards.push_back(nullptr);
    if (!m_Random)
        m_Random = [](int lo, int hi) { return RandomIntInRange(lo, hi); };
}

WoppleLevelReader WoppleLevelSetup::ReadTable(const LuaObject& table)
{
    return [table](const std::string& key) {
        return table.IsTable() ? table[key] : LuaObject();
    };
}

WoppleLevelReader WoppleLevelSetup::ReadProperties(Object& logic)
{
    return [&logic](const std::string& key) { return logic.RetrieveProperty(key); };
}

std::string WoppleLevelSetup::GetLevelName() const
{
    LuaObject name = m_Level("mapName");
    return name.IsString() ? name.GetString() : std::string("Classic Mode");
}

// ---------------------------------------------------------------- placing

void WoppleLevelSetup::LoadBonusSquares()
{
    PlaceSecretSquare();
    PlaceMultipliers();
    for (const LevelCellKey& k : kLevelCellKeys)
        PlaceLevelCells(k.key, k.kind);
}

WoppleBoardView* WoppleLevelSetup::BoardOfEntry(const LuaObject& entry, const char* key)
{
    LuaObject board = entry["board"];
    const int index = board.IsInteger() ? board.GetInteger() : 1;
    if (index < 1 || index > GetNumBoards() || !m_Boards[index]) {
        LogWrite("WARNING: Level \"%s\": \"%s\" names board %d of %d; the entry is left out\n", GetLevelName().c_str(),
                 key, index, GetNumBoards());
        return nullptr;
    }
    return m_Boards[index];
}

WoppleCellView* WoppleLevelSetup::CellAtPosition(WoppleBoardView* board, const LuaObject& position, const char* key)
{
    const Point<int> at(position);
    WoppleCellView* cell = board->GetCellView(at.x, at.y);
    if (!cell)
        LogWrite("WARNING: Level \"%s\": \"%s\" names no cell of board %d at {%d, %d}; the entry is left out\n",
                 GetLevelName().c_str(), key, board->boardIndex, at.x, at.y);
    return cell;
}

bool WoppleLevelSetup::MayPlaceOver(const WoppleCellView* cell, const char* key) const
{
    if (cell->ruleCode != HIDDEN_SECRET_SQUARE)
        return true;
    LogWrite("WARNING: Level \"%s\": \"%s\" at board %d, column %d, row %d would cover the secret square; "
             "the entry is left out\n",
             GetLevelName().c_str(), key, cell->boardView ? cell->boardView->boardIndex : 0, cell->column, cell->row);
    return false;
}

void WoppleLevelSetup::Place(WoppleCellView* cell, int kind)
{
    // The board sums the multipliers of matched cells whatever they hide.
    if (kind != HIDDEN_MULTIPLIER)
        cell->multiplier = 0;
    cell->ruleCode = kind;
}

void WoppleLevelSetup::PlaceSecretSquare()
{
    LuaObject secret = m_Level("secretSquare");
    if (!secret.IsTable())
        return;
    WoppleBoardView* board = BoardOfEntry(secret, "secretSquare");
    if (!board)
        return;
    WoppleCellView* cell = CellAtPosition(board, secret["position"], "secretSquare");
    if (cell)
        Place(cell, HIDDEN_SECRET_SQUARE);
}

void WoppleLevelSetup::PlaceMultipliers()
{
    LuaObject multipliers = m_Level("cellMultipliers");
    if (!multipliers.IsTable())
        return;
    for (int i = 1; i <= multipliers.GetN(); ++i) {
        LuaObject entry = multipliers[i];
        if (!entry.IsTable())
            continue;
        LuaObject magnitude = entry["magnitude"];
        const int value = magnitude.IsInteger() ? magnitude.GetInteger() : kMagnitudes[m_Random(0, 2)];
        WoppleBoardView* board = BoardOfEntry(entry, "cellMultipliers");
        if (!board)
            continue;
        WoppleCellView* cell = nullptr;
        LuaObject position = entry["position"];
        if (position.IsTable()) {
            cell = CellAtPosition(board, position, "cellMultipliers");
            if (!cell || !MayPlaceOver(cell, "cellMultipliers"))
                continue;
        } else {
            // Bounded like every random placement: a full board is the level's
            // fault, and drawing for ever would hang the game. The draws take
            // the entry's own board's size, which may differ from board 1's.
            cell = ChooseCellWithoutHiddenElement(board);
        }
        cell->multiplier = value;
        Place(cell, HIDDEN_MULTIPLIER);
    }
}

void WoppleLevelSetup::PlaceLevelCells(const std::string& key, int kind)
{
    LuaObject value = m_Level(key);
    if (value.IsNumber()) {
        const int count = value.GetInteger();
        if (count > 0 && GetNumBoards() < 1) {
            LogWrite("WARNING: Level \"%s\": \"%s\" asks for %d cells on a game without boards\n",
                     GetLevelName().c_str(), key.c_str(), count);
            return;
        }
        for (int i = 0; i < count; ++i) {
            WoppleBoardView* board = m_Boards[m_Random(1, GetNumBoards())];
            Place(ChooseCellWithoutHiddenElement(board), kind);
        }
        return;
    }
    if (!value.IsTable())
        return;
    for (int i = 1; i <= value.GetN(); ++i) {
        LuaObject entry = value[i];
        if (!entry.IsTable())
            continue;
        WoppleBoardView* board = BoardOfEntry(entry, key.c_str());
        if (!board)
            continue;
        LuaObject position = entry["position"];
        if (position.IsTable()) {
            WoppleCellView* cell = CellAtPosition(board, position, key.c_str());
            if (cell && MayPlaceOver(cell, key.c_str()))
                Place(cell, kind);
        } else {
            Place(ChooseCellWithoutHiddenElement(board), kind);
        }
    }
}

WoppleCellView* WoppleLevelSetup::ChooseCellWithoutHiddenElement(WoppleBoardView* board)
{
    VELK_ASSERT_MSG(board != 0, "A cell was asked of a board that does not exist.");
    WoppleCellView* cellView = nullptr;
    for (int draw = 0; draw < kMaxDraws && !cellView; ++draw) {
        const int column = m_Random(1, board->GetNumColumns());
        const int row = m_Random(1, board->GetNumRows());
        WoppleCellView* cell = board->GetCellView(column, row);
        if (cell && cell->ruleCode == HIDDEN_NONE)
            cellView = cell;
    }
    VELK_ASSERT_MSG(cellView != 0, "A cell without a hidden element could not be found.");
    return cellView;
}

// ---------------------------------------------------------------- links

void WoppleLevelSetup::ConnectBoards()
{
    LuaObject pairs = m_Level("interBoardCellConnections");
    if (!pairs.IsTable())
        return;
    struct End
    {
        WoppleBoardView* board = nullptr;
        WoppleCellView* cell = nullptr;
        CellOrientationType orientation = CELL_SOUTH;
    };
    auto readEnd = [this](const LuaObject& end, End& out) {
        LuaObject index = end["boardIndex"];
        const int b = index.IsInteger() ? index.GetInteger() : 0;
        if (b < 1 || b > GetNumBoards() || !m_Boards[b]) {
            LogWrite("WARNING: Level \"%s\": a cell connection names board %d of %d; the link is left out\n",
                     GetLevelName().c_str(), b, GetNumBoards());
            return false;
        }
        out.board = m_Boards[b];
        out.orientation = CellOrientationTypeFromString(end["orientation"].GetString());
        out.cell = CellAtPosition(out.board, end["cellPosition"], "interBoardCellConnections");
        return out.cell != nullptr;
    };
    for (int i = 1; i <= pairs.GetN(); ++i) {
        LuaObject pair = pairs[i];
        End a, b;
        if (!pair.IsTable() || !readEnd(pair[1], a) || !readEnd(pair[2], b))
            continue;
        a.cell->neighbours[b.orientation] = b.cell;
        b.cell->neighbours[a.orientation] = a.cell;
        Log(3, "Connecting cells: {b=%d, {c=%d, r=%d}, %s} <--> {b=%d, {c=%d, r=%d}, %s}\n", a.board->boardIndex,
            a.cell->column, a.cell->row, CellOrientationTypeToString(a.orientation).c_str(), b.board->boardIndex,
            b.cell->column, b.cell->row, CellOrientationTypeToString(b.orientation).c_str());
    }
}

// ---------------------------------------------------------------- a new level

void WoppleLevelSetup::SetLevelName(WoppleLevelSetupHost& host, std::vector<BoardRecord>& boardRecords)
{
    host.InitParticipants();
    host.ResetLevelCounters();
    for (int b = 1; b <= GetNumBoards(); ++b) {
        WoppleBoardView* board = m_Boards[b];
        if (!board)
            continue;
        for (int c = 1; c <= board->GetNumColumns(); ++c)
            for (int r = 1; r <= board->GetNumRows(); ++r)
                board->GetCellView(c, r)->SetCellType("Blank");
    }
    host.ClearAllWheelSquares();
    host.SetAllScores(0, true);
    host.ResetDevilValues();

    boardRecords.assign(static_cast<std::size_t>(GetNumBoards()) + 1, BoardRecord());
    for (BoardRecord& record : boardRecords)
        record.usedColumns.assign(static_cast<std::size_t>(host.GetNumWheels()) + 1, false);

    Actor* root = host.GetRootActor();
    LuaObject squares = m_Level("bonusSquares");
    if (squares.IsTable() && !root)
        LogWrite("WARNING: Level \"%s\": no bonus squares without a root actor to put them on\n",
                 GetLevelName().c_str());
    if (squares.IsTable() && root) {
        for (int b = 1; b <= GetNumBoards(); ++b) {
            auto* actor = dynamic_cast<Actor*>(ClassManager::GetInstance()->InstantiateObject(squares));
            VELK_ASSERT_MSG(actor != 0, "The bonus squares of a level must be an actor.");
            host.BindBonusSquares(actor, m_Boards[b]);
            actor->SetLayer(kBonusSquaresLayer);
            boardRecords[static_cast<std::size_t>(b)].bonusSquares = actor;
            root->AddChild(actor);
        }
    }

    const std::string name = GetLevelName();
    LogWrite(">>> SetLevelName %s\n", name.c_str());
    if (Label* label = host.GetPatternNameLabel())
        label->SetText(name, true);

    if (root)
        root->SetSize(kLevelWidth, kLevelHeight);
    host.CloseTreasureBoxes();
}
