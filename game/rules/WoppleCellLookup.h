#pragma once

#include "game/rules/WoppleLevelSetup.h"

#include <functional>

class LuaObject;

// Checked look-ups of boards and cells by the numbers that come from event
// tables and scripts, for the rules to use instead of indexing by hand. A
// board index runs from 1 to the number of boards; a column or a row from 1
// to the board's size, a negative one counting from the right or the bottom
// (-1 is the last). 0 is never valid. Anything outside gives null and a
// warning naming the caller, never a stray cell.

// The 1-based index, a negative one counted from the end; 0 when outside.
int ResolveCellIndex(int index, int count);

WoppleBoardView* LookUpBoardView(const WoppleBoardViews& boards, int boardIndex, const char* caller);
WoppleCellView* LookUpCellView(const WoppleBoardViews& boards, int boardIndex, int column, int row,
                               const char* caller);
// The cell that a cell event's "cellPosition" = {boardIndex, column, row}
// names; the three must be whole numbers.
WoppleCellView* LookUpCellFromEventData(const WoppleBoardViews& boards, const LuaObject& data, const char* caller);

// Whether the cell (board, column, row, all resolved) may be matched now.
using WoppleCellAvailability = std::function<bool(int boardIndex, int column, int row)>;
// The cell a click chooses, or null: the click must say "isCellSelectable"
// and the cell must still be available when the click is taken, since the
// table was made when the click was posted and a script may make its own.
WoppleCellView* AcceptClickedCell(const WoppleBoardViews& boards, const LuaObject& data,
                                  const WoppleCellAvailability& isAvailable);
