#include "game/views/WoppleBoardView.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "game/views/WoppleCellView.h"

#include <boost/format.hpp>

#include <memory>

namespace {

WoppleBoardView* RequireBoard(lua_State* L)
{
    return RequireScriptObject<WoppleBoardView>(L, 1, "a board view");
}

// GetCellView(board, column, row) -> the cell, or nil outside the board.
int Script_GetCellView(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleBoardView* board = RequireBoard(L);
        const int column = static_cast<int>(luaL_checkinteger(L, 2));
        const int row = static_cast<int>(luaL_checkinteger(L, 3));
        LuaState state(L);
        if (WoppleCellView* cell = board->GetCellView(column, row))
            cell->GetLuaObject().Push(state);
        else
            state.PushNil();
        return 1;
    });
}

// SetWoppleVision(board, on, [animate])
int Script_SetWoppleVision(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireBoard(L)->SetWoppleVision(lua_toboolean(L, 2) != 0, lua_toboolean(L, 3) != 0);
        return 0;
    });
}

int Script_GetNumColumns(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushinteger(L, RequireBoard(L)->GetNumColumns());
        return 1;
    });
}

int Script_GetNumRows(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushinteger(L, RequireBoard(L)->GetNumRows());
        return 1;
    });
}

std::string HiliteName(int column)
{
    return (boost::format("ColumnHilite_%1%") % column).str();
}

} // namespace

void WoppleBoardViewClassHook(Class* c)
{
    const struct
    {
        const char* name;
        lua_CFunction function;
    } methods[] = {
        {"GetCellView", Script_GetCellView},
        {"GetNumColumns", Script_GetNumColumns},
        {"GetNumRows", Script_GetNumRows},
        {"SetWoppleVision", Script_SetWoppleVision},
    };
    for (const auto& method : methods) {
        c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(method.name, method.function));
        c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(method.name));
    }
}

VELK_REGISTER_CLASS(WoppleBoardView, "Actor", WoppleBoardViewClassHook, InstantiateObjectOfClass<WoppleBoardView>);

bool WoppleBoardView::OnEvent(const EventRecord& event)
{
    if (WoppleEventHandler::RouteEvent(event))
        return true;
    return Actor::OnEvent(event);
}

void WoppleBoardView::OnPostSpawn()
{
    Actor::OnPostSpawn();
    const LuaObject size = RetrieveProperty("gridSize");
    const int gridSize = size.IsInteger() ? size.GetInteger() : 5;
    BuildGrid(gridSize, gridSize);
}

void WoppleBoardView::BuildGrid(int columns, int rows)
{
    Actor* container = FindChild("cellContainer", true);
    numColumns = columns;
    numRows = rows;
    cells.assign(static_cast<std::size_t>(columns) + 1, {});
    for (int c = 1; c <= columns; ++c) {
        cells[c].assign(static_cast<std::size_t>(rows) + 1, nullptr);
        for (int r = 1; r <= rows; ++r) {
            WoppleCellView* cell = CreateCellView(c, r);
            cells[c][r] = cell;
            if (container)
                container->AddChild(cell);
        }

        auto hilite = std::make_unique<Actor>();
        const LuaObject params = RetrieveProperty("columnHiliteParameters");
        if (params.IsTable())
            hilite->ApplyProperties(params);
        hilite->SetName(HiliteName(c));
        hilite->SetVisible(false);
        const WoppleCellView* top = cells[c][1];
        if (top) {
            // The cell's place on the board: the container may stand inside a frame.
            const int left = top->GetX() + (container ? container->GetX() : 0);
            const int y = top->GetY() + (container ? container->GetY() : 0);
            hilite->SetPosition(left + top->GetWidth() / 2 - hilite->GetWidth() / 2, y);
        }
        AddChild(hilite.release());
    }

    for (int c = 1; c <= columns; ++c) {
        for (int r = 1; r <= rows; ++r) {
            WoppleCellView* cell = cells[c][r];
            if (!cell)
                continue;
            auto at = [&](int dc, int dr) -> WoppleCellView* {
                const int nc = c + dc;
                const int nr = r + dr;
                if (nc < 1 || nc > columns || nr < 1 || nr > rows)
                    return nullptr;
                return cells[nc][nr];
            };
            cell->neighbours[CELL_SOUTH] = at(0, 1);
            cell->neighbours[CELL_NORTH] = at(0, -1);
            cell->neighbours[CELL_EAST] = at(1, 0);
            cell->neighbours[CELL_WEST] = at(-1, 0);
            cell->neighbours[CELL_NORTHEAST] = at(1, -1);
            cell->neighbours[CELL_NORTHWEST] = at(-1, -1);
            cell->neighbours[CELL_SOUTHEAST] = at(1, 1);
            cell->neighbours[CELL_SOUTHWEST] = at(-1, 1);
        }
    }
}

WoppleCellView* WoppleBoardView::CreateCellView(int column, int row)
{
    Object* made = ClassManager::GetInstance()->InstantiateObject(RetrieveProperty("cellViewParameters"));
    auto* cell = dynamic_cast<WoppleCellView*>(made);
    if (!cell) {
        delete made;
        VELK_THROW(Exception, "The board's \"cellViewParameters\" do not make a WoppleCellView.");
    }
    cell->SetZOrder((column - 1) * numRows + row);
    cell->column = column;
    cell->row = row;
    cell->boardView = this;
    return cell;
}

int WoppleBoardView::ResolveIndex(int index, int count)
{
    const int resolved = index < 0 ? count + index + 1 : index;
    return resolved >= 1 && resolved <= count ? resolved : 0;
}

WoppleCellView* WoppleBoardView::GetCellView(int column, int row) const
{
    const int c = ResolveIndex(column, numColumns);
    const int r = ResolveIndex(row, numRows);
    if (c == 0 || r == 0) {
        LogWrite("WARNING: WoppleBoardView::GetCellView: no cell at column %d, row %d of a %d by %d board\n", column, row,
                 numColumns, numRows);
        return nullptr;
    }
    return cells[c][r];
}

int WoppleBoardView::GetTotalMultiplier() const
{
    int total = 0;
    for (int c = 1; c <= numColumns; ++c)
        for (int r = 1; r <= numRows; ++r)
            if (const WoppleCellView* cell = cells[c][r])
                if (cell->isSelected && cell->multiplier > 1)
                    total += cell->multiplier;
    return total;
}

void WoppleBoardView::FlashMultipliers()
{
    for (int c = 1; c <= numColumns; ++c)
        for (int r = 1; r <= numRows; ++r)
            if (WoppleCellView* cell = cells[c][r])
                if (cell->isSelected && cell->multiplier >= 2)
                    cell->RunScript("FlashMultiplier", std::string());
}

void WoppleBoardView::EnableCellButtons()
{
    for (int c = 1; c <= numColumns; ++c)
        for (int r = 1; r <= numRows; ++r)
            if (WoppleCellView* cell = cells[c][r])
                cell->SetEnableCellButton(true);
}

void WoppleBoardView::DisableCellButtons()
{
    for (int c = 1; c <= numColumns; ++c)
        for (int r = 1; r <= numRows; ++r)
            if (WoppleCellView* cell = cells[c][r])
                cell->SetEnableCellButton(false);
}

void WoppleBoardView::SetWoppleVision(bool on, bool animate)
{
    for (int c = 1; c <= numColumns; ++c)
        for (int r = 1; r <= numRows; ++r) {
            WoppleCellView* cell = cells[c][r];
            if (!cell || cell->isWoppleVisionOn == on)
                continue;
            cell->isWoppleVisionOn = on;
            cell->ShowWoppleVisionAura(on && cell->isSelectable, animate);
        }
}

void WoppleBoardView::SetColumnHiliteVisible(int column, bool visible)
{
    if (Actor* hilite = FindChild(HiliteName(column), true))
        hilite->SetVisible(visible);
}

void WoppleBoardView::ShowColumnHilite(int column)
{
    SetColumnHiliteVisible(column, true);
}

void WoppleBoardView::HideColumnHilite(int column)
{
    SetColumnHiliteVisible(column, false);
}
