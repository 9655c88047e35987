#include "game/rules/WoppleCellLookup.h"

#include "engine/core/Log.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "platform/lua/LuaObject.h"

int ResolveCellIndex(int index, int count)
{
    const int resolved = index < 0 ? count + index + 1 : index;
    return resolved >= 1 && resolved <= count ? resolved : 0;
}

WoppleBoardView* LookUpBoardView(const WoppleBoardViews& boards, int boardIndex, const char* caller)
{
    const int numBoards = static_cast<int>(boards.size()) - 1;
    if (boardIndex < 1 || boardIndex > numBoards || !boards[static_cast<std::size_t>(boardIndex)]) {
        LogWrite("WARNING: %s: there is no board %d of %d\n", caller, boardIndex, numBoards < 0 ? 0 : numBoards);
        return nullptr;
    }
    return boards[static_cast<std::size_t>(boardIndex)];
}

WoppleCellView* LookUpCellView(const WoppleBoardViews& boards, int boardIndex, int column, int row, const char* caller)
{
    WoppleBoardView* board = LookUpBoardView(boards, boardIndex, caller);
    if (!board)
        return nullptr;
    const int c = ResolveCellIndex(column, board->GetNumColumns());
    const int r = ResolveCellIndex(row, board->GetNumRows());
    if (c == 0 || r == 0) {
        LogWrite("WARNING: %s: board %d has no cell at column %d, row %d\n", caller, boardIndex, column, row);
        return nullptr;
    }
    return board->GetCellView(c, r);
}

WoppleCellView* LookUpCellFromEventData(const WoppleBoardViews& boards, const LuaObject& data, const char* caller)
{
    LuaObject position = data.IsTable() ? data["cellPosition"] : LuaObject();
    const LuaObject b = position.IsTable() ? position["boardIndex"] : LuaObject();
    const LuaObject c = position.IsTable() ? position["column"] : LuaObject();
    const LuaObject r = position.IsTable() ? position["row"] : LuaObject();
    if (!b.IsInteger() || !c.IsInteger() || !r.IsInteger()) {
        LogWrite("WARNING: %s: a cell event without a whole \"cellPosition\" {boardIndex, column, row}\n", caller);
        return nullptr;
    }
    return LookUpCellView(boards, b.GetInteger(), c.GetInteger(), r.GetInteger(), caller);
}

WoppleCellView* AcceptClickedCell(const WoppleBoardViews& boards, const LuaObject& data,
                                  const WoppleCellAvailability& isAvailable)
{
    if (!data.IsTable() || !data["isCellSelectable"].IsBoolean() || !data["isCellSelectable"].GetBoolean())
        return nullptr;
    WoppleCellView* cell = LookUpCellFromEventData(boards, data, "AcceptClickedCell");
    if (!cell)
        return nullptr;
    const int boardIndex = data["cellPosition"]["boardIndex"].GetInteger();
    if (isAvailable && !isAvailable(boardIndex, cell->column, cell->row)) {
        Log(3, "A click on board %d, column %d, row %d came for a cell no longer open\n", boardIndex, cell->column,
            cell->row);
        return nullptr;
    }
    return cell;
}
