#pragma once

#include "platform/lua/LuaObject.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Actor;
class Object;
class Label;
class WoppleBoardView;
class WoppleCellView;

// What a cell holds under its number (the cell view's ruleCode), with the
// level key that places it.
enum WoppleHiddenElement
{
    HIDDEN_NONE = 0,
    HIDDEN_DEVIL_PROTECTION = 1, // "cellDevilProtection"
    HIDDEN_COIN = 2,             // "cellCoins"
    HIDDEN_DEVIL = 3,            // "cellDevils"
    HIDDEN_DEVIL_CHERUB = 4,     // "cellDevilCherubs"
    HIDDEN_FREE_SPIN = 5,        // "cellFreeSpins"
    HIDDEN_JOKER = 6,            // "cellJokers"
    HIDDEN_MULTIPLIER = 7,       // "cellMultipliers", with the cell's multiplier
    HIDDEN_PIRATE_OR_TREASURE = 8, // "cellPirateOrTreasure"
    HIDDEN_WOPPLE_VISION = 9,    // "cellWoppleVision"
    HIDDEN_SECRET_SQUARE = 10,   // "secretSquare"
};

// The game's boards, indexed from 1; entry 0 is never used.
using WoppleBoardViews = std::vector<WoppleBoardView*>;
// A whole number from lo to hi, both included. The game's is the seeded
// RandomIntInRange; tests may hand in their own.
using WoppleRandomRange = std::function<int(int lo, int hi)>;
// A key of the level table, nil when the level leaves it out. The logic reads
// its own properties (RetrieveProperty); tests read a plain table.
using WoppleLevelReader = std::function<LuaObject(const std::string& key)>;

// What SetLevelName asks of the logic for the steps that are the logic's own.
class WoppleLevelSetupHost
{
public:
    virtual ~WoppleLevelSetupHost() = default;
    virtual void InitParticipants() = 0;
    // Spin count 0 (label too), spins per level 20, time left 0 (label too),
    // the two other counters 0.
    virtual void ResetLevelCounters() = 0;
    virtual void ClearAllWheelSquares() = 0;
    virtual void SetAllScores(int64_t score, bool animate) = 0;
    // Devil limit 4, taking limit 2, the rest cleared.
    virtual void ResetDevilValues() = 0;
    virtual int GetNumWheels() const = 0;
    // Where the bonus squares go, and what is sized to the screen; may be null.
    virtual Actor* GetRootActor() const = 0;
    virtual Label* GetPatternNameLabel() const = 0;
    // Closes the treasure boxes and empties the butterfly box, where they exist.
    virtual void CloseTreasureBoxes() = 0;
    // Hands a new bonus-squares actor its board before it goes on the screen.
    virtual void BindBonusSquares(Actor* squares, WoppleBoardView* board) = 0;
};

// Lays a level out on the boards the mode made: the secret square, the
// multipliers and the other special cells under the numbers, the links
// between neighbouring boards, and the fresh start SetLevelName gives a
// level. Everything it needs comes in by hand (boards, level table, random
// numbers), so a test can run it on boards of its own.
//
// Random placements only ever take a cell that holds nothing, and give up
// with an assertion after 100000 draws. A placement at an explicit position
// writes over what the cell held, except the secret square, which is kept
// with a warning naming the level: a lost secret locks the island's bonus
// level away for good.
class WoppleLevelSetup
{
public:
    // One per board, from 1; entry 0 is never used.
    struct BoardRecord
    {
        int32_t counter = 0;
        // One per reel column plus one, set when the column served this board this spin.
        std::vector<bool> usedColumns;
        uint8_t jokerServed = 0;
        Actor* bonusSquares = nullptr;
    };

    WoppleLevelSetup(WoppleBoardViews boards, WoppleLevelReader level, WoppleRandomRange random = {});
    // A reader of a plain level table (nil reads nil).
    static WoppleLevelReader ReadTable(const LuaObject& table);
    // A reader of the properties the level table left on the logic.
    static WoppleLevelReader ReadProperties(Object& logic);

    // The secret square, the multipliers, then the eight kinds of level cells
    // in the game's order.
    void LoadBonusSquares();
    void PlaceSecretSquare();
    void PlaceMultipliers();
    // key: an integer n (n cells on boards drawn at random), or a list of
    // {board, position} entries (board 1 and a random free cell by default).
    void PlaceLevelCells(const std::string& key, int kind);
    // The links of "interBoardCellConnections", each logged at level 3.
    void ConnectBoards();
    // A random cell of the board that holds nothing; asserts after 100000 draws.
    WoppleCellView* ChooseCellWithoutHiddenElement(WoppleBoardView* board);

    // The steps of a new level in the game's order; the board records are
    // made afresh, one per board plus the unused entry 0.
    void SetLevelName(WoppleLevelSetupHost& host, std::vector<BoardRecord>& boardRecords);
    // "mapName" when it is a string, else "Classic Mode".
    std::string GetLevelName() const;
    int GetNumBoards() const { return static_cast<int>(m_Boards.size()) - 1; }

    static constexpr int kMaxDraws = 100000;

private:
    // The board of a level entry, or null with a warning when there is none.
    WoppleBoardView* BoardOfEntry(const LuaObject& entry, const char* key);
    // The cell at an entry's "position" on the board, or null with a warning.
    WoppleCellView* CellAtPosition(WoppleBoardView* board, const LuaObject& position, const char* key);
    // False, with the level's warning, when the cell is the secret square.
    bool MayPlaceOver(const WoppleCellView* cell, const char* key) const;
    void Place(WoppleCellView* cell, int kind);

    WoppleBoardViews m_Boards;
    WoppleLevelReader m_Level;
    WoppleRandomRange m_Random;
};
