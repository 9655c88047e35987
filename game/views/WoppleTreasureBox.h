#pragma once

#include "engine/core/Object.h"
#include "engine/core/Point.h"
#include "engine/ui/Actor.h"

#include <cstdint>
#include <string>
#include <vector>

class WoppleBoardView;
struct WoppleLineInfo;

class WoppleTreasureBoxAnimation;

// Line kinds of a line descriptor that have a box.
enum TreasureBoxLineKind
{
    TREASUREBOX_ROW = 1,
    TREASUREBOX_COLUMN = 2,
    TREASUREBOX_DOWNWARD_DIAGONAL = 3,
    TREASUREBOX_UPWARD_DIAGONAL = 4,
};

// The boxes of one board: one beside every row, one beside every column and
// one at an end of each diagonal, made from the templates of its property
// table ("horizontalBoxDefaults", "verticalBoxDefaults", "diagonalBoxDefaults")
// and the level's "boxSpecifics", and centred on an anchor of one cell of the
// line. Box indexes count from 1: the downward diagonal, the upward diagonal,
// the rows from the first, then the columns from the first.
//
// A box is a plain actor; only a box whose "isBox" is true is ever shown or
// hidden by the box operations. A box index outside the board's boxes
// throws, as does a board without its view.
class WoppleTreasureBoxContainer : public Actor
{
    VELK_DECLARE_CLASS(WoppleTreasureBoxContainer)
public:
    WoppleTreasureBoxContainer();
    ~WoppleTreasureBoxContainer() override;

    void CreateBoxes();
    void LayoutBoxes();
    // Each box takes its "closedBoxProperties" and every real box is hidden.
    void CloseAllBoxes();
    // Shows or hides a real box; false (and nothing changed) for any other.
    bool SetBoxVisible(int boxIndex, bool visible);
    void SetAllBoxesVisible(bool visible);
    Actor* GetBoxForLine(const WoppleLineInfo& line) const;
    // The box at a 1-based index; throws outside 1 to the number of boxes.
    Actor* GetBox(int boxIndex) const;
    int GetNumBoxes() const { return static_cast<int>(m_AllBoxes.size()); }
    WoppleTreasureBoxAnimation* CreateTreasureBoxAnimation(const WoppleLineInfo& line, int multiplier);

    WoppleBoardView* boardView = nullptr;

private:
    friend void WoppleTreasureBoxContainerClassHook(Class* c);

    Actor* MakeBox(const char* templateKey, const LuaObject& specifics);
    // A negative index counts from the end (count + index + 1).
    static int ResolveIndex(int index, int count) { return index < 0 ? count + index + 1 : index; }
    void PlaceBox(Actor* box, int column, int row, RectAlignment alignment, const Point<int>& offset);

    Actor* m_DownwardDiagonalBox = nullptr;
    Actor* m_UpwardDiagonalBox = nullptr;
    std::vector<Actor*> m_RowBoxes{nullptr};
    std::vector<Actor*> m_ColumnBoxes{nullptr};
    std::vector<Actor*> m_AllBoxes;

    int cellRowForColumnBoxes = 1;
    RectAlignment columnBoxAlignment = RectAlignment::MidTop;
    Point<int> columnBoxOffset;
    int cellColumnForRowBoxes = -1;
    RectAlignment rowBoxAlignment = RectAlignment::MidRight;
    Point<int> rowBoxOffset;
    int cellColumnForDownwardDiagonalBoxes = 1;
    int cellRowForDownwardDiagonalBoxes = 1;
    RectAlignment downwardDiagonalBoxAlignment = RectAlignment::TopLeft;
    Point<int> downwardDiagonalBoxOffset;
    int cellColumnForUpwardDiagonalBoxes = -1;
    int cellRowForUpwardDiagonalBoxes = 1;
    RectAlignment upwardDiagonalBoxAlignment = RectAlignment::TopRight;
    Point<int> upwardDiagonalBoxOffset;
};

// The treasure boxes of the game screen, one container per board. The rules
// size it (SetNumBoards, once), bind each board view (SetBoard), build the
// boxes (InitBoxes), open a line's box through CreateTreasureBoxAnimation and
// close them all at a new level. Scripts reach boxes by board and box index,
// both checked: a bad index raises a script error naming it.
class WoppleTreasureBoxManager : public Actor
{
    VELK_DECLARE_CLASS(WoppleTreasureBoxManager)
public:
    WoppleTreasureBoxManager();
    ~WoppleTreasureBoxManager() override;

    void SetNumBoards(int numBoards);
    void SetBoard(int boardIndex, WoppleBoardView* board);
    void InitBoxes();
    Actor* GetTreasureBox(const WoppleLineInfo& line) const;
    Actor* GetTreasureBox(int boardIndex, int boxIndex) const;
    // A new animation for the line's box; the caller owns it.
    WoppleTreasureBoxAnimation* CreateTreasureBoxAnimation(const WoppleLineInfo& line, int multiplier);
    bool SetBoxVisible(int boardIndex, int boxIndex, bool visible);
    void CloseAllBoxes();

    int GetNumBoards() const { return m_BoardInfo.empty() ? 0 : static_cast<int>(m_BoardInfo.size()) - 1; }
    WoppleTreasureBoxContainer* GetContainer(int boardIndex) const;

private:
    // The container of a board index, after the checks every look-up shares.
    WoppleTreasureBoxContainer* CheckedContainer(int boardIndex) const;
    static int BoardIndexOf(const WoppleLineInfo& line);

    std::vector<WoppleTreasureBoxContainer*> m_BoardInfo;
};

// The opening of one box: its opened look, the reward as a score flash at the
// box (with the multiplier when it is 2 or more), the bells, and 100 ms later
// WOPPLE_TREASUREBOXANIMATIONFINISHED to its observers.
class WoppleTreasureBoxAnimation : public Object
{
    VELK_DECLARE_CLASS(WoppleTreasureBoxAnimation)
public:
    WoppleTreasureBoxAnimation();
    ~WoppleTreasureBoxAnimation() override;

    void Start();
    bool OnTimer(const EventRecord& event) override;

    // "%1%", or "%1% (%2%x)" from a multiplier of 2 up, of reward x multiplier.
    std::string GetRewardText() const;

    Actor* m_FlashParent = nullptr;
    Actor* m_Box = nullptr;
    std::int64_t m_Reward = 0;
    int m_Multiplier = 1;
    bool m_HasDestination = false;
    Point<int> m_Destination;
    int lootSlideTime = 250;
    int lootCount = 1;
    int lootCreationInterval = 100;
    std::string lootResourceName = "Bling.Coin.png";
    std::uint32_t m_TimerId = 0;
};
