#pragma once

#include "platform/lua/LuaObject.h"

#include <string>

class WoppleBoardView;

// One entry of the script table "WopplePatterns": a name and its rows of
// cells ("X" a pattern cell, a space a plain one), top row first. It marks
// itself on a board and tells whether a board's marked cells are all matched.
// A malformed entry fails as it is read or applied, naming the pattern.
class WopplePattern
{
public:
    // The entry at the index (from 1); throws when it is not a well-formed pattern.
    explicit WopplePattern(int patternIndex);

    const std::string& GetName() const { return m_Name; }
    int GetNumCells() const { return m_NumCells; }
    const LuaObject& GetTable() const { return m_PatternTable; }

    // Every cell the rows name gets or loses the pattern mark, and shows it.
    // A cell outside the board or a character other than "X" and a space
    // throws with the pattern's name and the cell.
    void ApplyImmediately(WoppleBoardView* board) const;

    // Every cell of the board loses its pattern mark.
    static void Clear(WoppleBoardView* board);
    // Every marked cell is matched, and, unless pending matches count, scored.
    static bool IsComplete(const WoppleBoardView& board, bool pendingMatchesCount);

private:
    int CountNumCellsInPattern() const;

    LuaObject m_PatternTable;
    std::string m_Name;
    int m_NumCells = 0;
};
