#pragma once

#include "engine/ui/Actor.h"
#include "game/rules/WoppleEventHandler.h"

#include <vector>

class WoppleCellView;

// One square board of cell views (5 by 5, or 7 by 7), built from the template's
// "gridSize" and "cellViewParameters" into its child "cellContainer", whose
// grid layout places them. Cells are reached by 1-based column and row, a
// negative index counting from the end. It owns one hidden highlight per
// column ("ColumnHilite_%1%") and is what the rules observe for the cell
// events: WOPPLE_CELLCLICK posted, WOPPLE_CELLENTER and -LEAVE sent at once.
class WoppleBoardView : public Actor, public WoppleEventHandler
{
    VELK_DECLARE_CLASS(WoppleBoardView)
public:
    WoppleBoardView() = default;

    bool OnEvent(const EventRecord& event) override;
    // Builds the grid of "gridSize" (5 when absent or not an integer).
    void OnPostSpawn() override;

    void BuildGrid(int columns, int rows);
    // A new cell from "cellViewParameters", not yet in the tree.
    WoppleCellView* CreateCellView(int column, int row);
    // Null, with a warning, outside the board (0 or beyond the count either way).
    WoppleCellView* GetCellView(int column, int row) const;
    int GetNumColumns() const { return numColumns; }
    int GetNumRows() const { return numRows; }

    // The sum of the multipliers above 1 of the selected cells; 0 when none.
    int GetTotalMultiplier() const;
    // "FlashMultiplier" on every selected cell of multiplier 2 or more.
    void FlashMultipliers();
    void EnableCellButtons();
    void DisableCellButtons();
    // Only the cells whose vision state differs change.
    void SetWoppleVision(bool on, bool animate);
    void ShowColumnHilite(int column);
    void HideColumnHilite(int column);

    // The board's place among the game's boards, from 1; written by the rules.
    int boardIndex = -1;

private:
    // The 1-based index, a negative one counted from the end; 0 outside 1..count.
    static int ResolveIndex(int index, int count);
    void SetColumnHiliteVisible(int column, bool visible);

    int numColumns = 0;
    int numRows = 0;
    // [column][row], entry 0 of each level empty.
    std::vector<std::vector<WoppleCellView*>> cells;
};
