#pragma once

#include "game/views/WoppleCellView.h"

#include <list>
#include <vector>

class WoppleBoardView;

// One completed line on one board, named by the cell it was found through.
// Kinds: 1 row, 2 column, 3 main diagonal, 4 anti-diagonal, 5 to 8 the
// diagonals that bounce once off an edge (leaving northwest, northeast,
// southwest, southeast).
struct WoppleLineInfo
{
    WoppleBoardView* boardView = nullptr;
    int kind = 0;
    int column = 0;
    int row = 0;
};

// A line of ten linked cells across boards: the cell it was found through and
// the cells on one side of it, then the cells on the other side, nearest first.
struct SuperWoppleCells
{
    std::list<WoppleCellView*> cells;
    std::list<WoppleCellView*> reverseCells;
};

using WoppleLineList = std::list<WoppleLineInfo>;
using SuperWoppleList = std::list<SuperWoppleCells>;

// Board analysis: which lines a newly scored match completes. A cell counts
// for a line when it is matched and the scoring logic has taken its match up
// (its pending mark, the cell's ruleFlag, is clear). Nothing here changes a
// cell; results are appended to the caller's lists.
namespace WoppleInfo {

bool IsCellCounting(const WoppleCellView* cell);

// The row and column tests skip the given cell itself; the diagonal tests hold
// only for a cell on that diagonal and include it.
bool IsRowComplete(const WoppleBoardView& board, int column, int row);
bool IsColumnComplete(const WoppleBoardView& board, int column, int row);
bool IsMainDiagonalComplete(const WoppleBoardView& board, int column, int row);
bool IsAntiDiagonalComplete(const WoppleBoardView& board, int column, int row);

// Row, column, main and anti-diagonal in that order, then the bouncing ones when asked.
void GetCompletedLinesThroughCell(const WoppleCellView& cell, WoppleLineList& lines, bool withBouncing);
// The V-shaped lines through the cell, kinds 5 to 8; returns how many were appended.
int CheckForBouncingWopples(WoppleBoardView& board, int column, int row, WoppleLineList& lines);
// Lines of exactly ten counting cells through the cell along its links.
void FindSuperWopples(WoppleCellView& cell, SuperWoppleList& lines, bool withBouncing);

// The cells of a line for its animation: from its cell onwards (past one
// reflection for kinds 5 to 8), and behind it, nearest first.
void BuildCellRun(const WoppleLineInfo& line, std::vector<WoppleCellView*>& forward,
                  std::vector<WoppleCellView*>& backward);

// Appends counting cells from `cell` along the links in `direction`; returns how many.
int WalkConnectedCells(WoppleCellView* cell, CellOrientationType direction, std::list<WoppleCellView*>& cells);
// The same with up to `bounces` reflections off an outer edge; -1 when it runs
// into a corner of the linked area while it may still bounce.
int WalkConnectedCellsInDirection(WoppleCellView* cell, CellOrientationType direction,
                                  std::list<WoppleCellView*>& cells, int bounces);

} // namespace WoppleInfo
