#include "game/rules/WopplePattern.h"

#include "engine/core/Exception.h"
#include "engine/core/Object.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"

#include <boost/format.hpp>

WopplePattern::WopplePattern(int patternIndex)
{
    const LuaObject allPatterns = ObjectLuaState().GetGlobal("WopplePatterns");
    VELK_ASSERT(allPatterns.IsTable());
    m_PatternTable = allPatterns[patternIndex];
    VELK_ASSERT_MSG(m_PatternTable.IsTable(), (boost::format("There is no pattern %1%.") % patternIndex).str());
    VELK_ASSERT(m_PatternTable["name"].IsString());
    VELK_ASSERT(m_PatternTable["filledCells"].IsTable());
    m_Name = m_PatternTable["name"].GetString();
    m_NumCells = CountNumCellsInPattern();
}

int WopplePattern::CountNumCellsInPattern() const
{
    const LuaObject rows = m_PatternTable["filledCells"];
    int count = 0;
    for (int r = 1; r <= rows.GetN(); ++r) {
        const LuaObject row = rows[r];
        VELK_ASSERT(row.IsString());
        for (char c : row.GetString())
            count += c == 'X';
    }
    return count;
}

void WopplePattern::ApplyImmediately(WoppleBoardView* board) const
{
    if (!board)
        return;
    const LuaObject name = m_PatternTable["name"];
    const std::string patternName = name.IsString() ? name.GetString() : "UNKNOWN";
    const LuaObject rows = m_PatternTable["filledCells"];
    for (int r = 1; r <= rows.GetN(); ++r) {
        const LuaObject rowObject = rows[r];
        VELK_ASSERT(rowObject.IsString());
        const std::string row = rowObject.GetString();
        for (int c = 1; c <= static_cast<int>(row.size()); ++c) {
            const char mark = row[static_cast<std::size_t>(c - 1)];
            if (mark != 'X' && mark != ' ')
                VELK_THROW(Exception, (boost::format("Invalid character '%1%' found in pattern \"%2%\" at {col=%3%, row=%4%}.") %
                                       mark % patternName % c % r)
                                          .str());
            // A row or a row count past the board would mark cells that are not there.
            if (c > board->GetNumColumns() || r > board->GetNumRows())
                VELK_THROW(Exception,
                           AssertionText("c <= board->GetNumColumns() && r <= board->GetNumRows()",
                                         (boost::format("Pattern \"%1%\" reaches outside the %2% by %3% board at "
                                                        "{col=%4%, row=%5%}.") %
                                          patternName % board->GetNumColumns() % board->GetNumRows() % c % r)
                                             .str()));
            WoppleCellView* cell = board->GetCellView(c, r);
            cell->isPatternCell = mark == 'X';
            // The pattern is there to be seen.
            cell->showPattern = true;
            cell->ApplyCellType();
        }
    }
}

void WopplePattern::Clear(WoppleBoardView* board)
{
    if (!board)
        return;
    for (int c = 1; c <= board->GetNumColumns(); ++c)
        for (int r = 1; r <= board->GetNumRows(); ++r)
            if (WoppleCellView* cell = board->GetCellView(c, r)) {
                cell->isPatternCell = false;
                cell->ApplyCellType();
            }
}

bool WopplePattern::IsComplete(const WoppleBoardView& board, bool pendingMatchesCount)
{
    for (int c = 1; c <= board.GetNumColumns(); ++c)
        for (int r = 1; r <= board.GetNumRows(); ++r) {
            const WoppleCellView* cell = board.GetCellView(c, r);
            if (cell && cell->isPatternCell && (!cell->isSelected || (!pendingMatchesCount && cell->ruleFlag)))
                return false;
        }
    return true;
}
