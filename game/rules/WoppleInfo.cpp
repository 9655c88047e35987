#include "game/rules/WoppleInfo.h"

#include "game/views/WoppleBoardView.h"

namespace WoppleInfo {

namespace {

struct Step
{
    int column;
    int row;
    int bounces;
};

Step StepOfKind(int kind)
{
    switch (kind) {
    case 1: return {1, 0, 0};
    case 2: return {0, 1, 0};
    case 3: return {1, 1, 0};
    case 4: return {1, -1, 0};
    case 5: return {-1, -1, 1};
    case 6: return {1, -1, 1};
    case 7: return {-1, 1, 1};
    case 8: return {1, 1, 1};
    default: return {0, 0, 0};
    }
}

// Positions here are always on the board already; the view warns otherwise.
WoppleCellView* CellAt(const WoppleBoardView& board, int column, int row)
{
    if (column < 1 || row < 1 || column > board.GetNumColumns() || row > board.GetNumRows())
        return nullptr;
    return board.GetCellView(column, row);
}

bool CountsAt(const WoppleBoardView& board, int column, int row)
{
    return IsCellCounting(CellAt(board, column, row));
}

// A step off the board comes back one cell inside with the step turned round;
// each reflection spends a bounce.
void Reflect(const WoppleBoardView& board, int& column, int& row, Step& step, int& budget)
{
    if (column < 1) {
        column = 2;
        step.column = 1;
        --budget;
    }
    if (column > board.GetNumColumns()) {
        column = board.GetNumColumns() - 1;
        step.column = -1;
        --budget;
    }
    if (row < 1) {
        row = 2;
        step.row = 1;
        --budget;
    }
    if (row > board.GetNumRows()) {
        row = board.GetNumRows() - 1;
        step.row = -1;
        --budget;
    }
}

bool IsBoardCorner(const WoppleBoardView& board, int column, int row)
{
    return (column == 1 || column == board.GetNumColumns()) && (row == 1 || row == board.GetNumRows());
}

// How many straight links lead nowhere: two for a corner of the linked area.
int NullStraightLinks(const WoppleCellView& cell)
{
    int n = 0;
    for (int d : {CELL_SOUTH, CELL_NORTH, CELL_WEST, CELL_EAST})
        if (!cell.neighbours[d])
            ++n;
    return n;
}

CellOrientationType Opposite(int direction)
{
    // South/North, West/East, Southwest/Northeast, Southeast/Northwest pair off.
    return static_cast<CellOrientationType>(direction ^ 1);
}

CellOrientationType ReflectDirection(const WoppleCellView& cell, CellOrientationType d)
{
    if (!cell.neighbours[CELL_NORTH]) {
        if (d == CELL_NORTHWEST)
            d = CELL_SOUTHWEST;
        else if (d == CELL_NORTHEAST)
            d = CELL_SOUTHEAST;
    }
    if (!cell.neighbours[CELL_SOUTH]) {
        if (d == CELL_SOUTHWEST)
            d = CELL_NORTHWEST;
        else if (d == CELL_SOUTHEAST)
            d = CELL_NORTHEAST;
    }
    if (!cell.neighbours[CELL_WEST]) {
        if (d == CELL_NORTHWEST)
            d = CELL_NORTHEAST;
        else if (d == CELL_SOUTHWEST)
            d = CELL_SOUTHEAST;
    }
    if (!cell.neighbours[CELL_EAST]) {
        if (d == CELL_NORTHEAST)
            d = CELL_NORTHWEST;
        else if (d == CELL_SOUTHEAST)
            d = CELL_SOUTHWEST;
    }
    return d;
}

// One V-shaped line of a kind from 5 to 8; its count of cells, 0 when it fails.
int CountBouncingLine(const WoppleBoardView& board, int column, int row, int kind)
{
    Step step = StepOfKind(kind);
    int budget = step.bounces;
    int count = 0;
    int c = column;
    int r = row;
    while (budget >= 0) {
        if (IsBoardCorner(board, c, r) || !CountsAt(board, c, r))
            return 0;
        ++count;
        c += step.column;
        r += step.row;
        Reflect(board, c, r, step, budget);
    }
    const Step back = StepOfKind(kind);
    for (c = column - back.column, r = row - back.row; CellAt(board, c, r); c -= back.column, r -= back.row) {
        if (!CountsAt(board, c, r))
            return 0;
        ++count;
    }
    return count;
}

} // namespace

bool IsCellCounting(const WoppleCellView* cell)
{
    return cell && cell->isSelected && !cell->ruleFlag;
}

bool IsRowComplete(const WoppleBoardView& board, int column, int row)
{
    for (int c = 1; c <= board.GetNumColumns(); ++c)
        if (c != column && !CountsAt(board, c, row))
            return false;
    return true;
}

bool IsColumnComplete(const WoppleBoardView& board, int column, int row)
{
    for (int r = 1; r <= board.GetNumRows(); ++r)
        if (r != row && !CountsAt(board, column, r))
            return false;
    return true;
}

bool IsMainDiagonalComplete(const WoppleBoardView& board, int column, int row)
{
    if (column != row)
        return false;
    for (int i = 1; i <= board.GetNumColumns(); ++i)
        if (!CountsAt(board, i, i))
            return false;
    return true;
}

bool IsAntiDiagonalComplete(const WoppleBoardView& board, int column, int row)
{
    const int columns = board.GetNumColumns();
    if (row != columns - column + 1)
        return false;
    for (int i = 1; i <= columns; ++i)
        if (!CountsAt(board, columns - i + 1, i))
            return false;
    return true;
}

void GetCompletedLinesThroughCell(const WoppleCellView& cell, WoppleLineList& lines, bool withBouncing)
{
    WoppleBoardView* board = cell.boardView;
    if (!board)
        return;
    const int c = cell.column;
    const int r = cell.row;
    if (IsRowComplete(*board, c, r))
        lines.push_back({board, 1, c, r});
    if (IsColumnComplete(*board, c, r))
        lines.push_back({board, 2, c, r});
    if (IsMainDiagonalComplete(*board, c, r))
        lines.push_back({board, 3, c, r});
    if (IsAntiDiagonalComplete(*board, c, r))
        lines.push_back({board, 4, c, r});
    if (withBouncing)
        CheckForBouncingWopples(*board, c, r, lines);
}

int CheckForBouncingWopples(WoppleBoardView& board, int column, int row, WoppleLineList& lines)
{
    int appended = 0;
    for (int kind = 5; kind <= 8; ++kind) {
        // From an edge cell these two find the lines of kinds 6 and 7 again.
        if (kind == 5 && (row == 1 || column == 1))
            continue;
        if (kind == 8 && (row == board.GetNumRows() || column == board.GetNumColumns()))
            continue;
        if (CountBouncingLine(board, column, row, kind) == board.GetNumColumns()) {
            lines.push_back({&board, kind, column, row});
            ++appended;
        }
    }
    return appended;
}

void BuildCellRun(const WoppleLineInfo& line, std::vector<WoppleCellView*>& forward,
                  std::vector<WoppleCellView*>& backward)
{
    if (!line.boardView)
        return;
    const WoppleBoardView& board = *line.boardView;
    Step step = StepOfKind(line.kind);
    int budget = step.bounces;
    int c = line.column;
    int r = line.row;
    while (budget >= 0) {
        forward.push_back(CellAt(board, c, r));
        c += step.column;
        r += step.row;
        Reflect(board, c, r, step, budget);
    }

    Step back = StepOfKind(line.kind);
    back.column = -back.column;
    back.row = -back.row;
    budget = 0;
    c = line.column + back.column;
    r = line.row + back.row;
    Reflect(board, c, r, back, budget);
    while (budget >= 0) {
        backward.push_back(CellAt(board, c, r));
        c += back.column;
        r += back.row;
        Reflect(board, c, r, back, budget);
    }
}

int WalkConnectedCells(WoppleCellView* cell, CellOrientationType direction, std::list<WoppleCellView*>& cells)
{
    int n = 0;
    for (; IsCellCounting(cell); cell = cell->neighbours[direction]) {
        cells.push_back(cell);
        ++n;
    }
    return n;
}

int WalkConnectedCellsInDirection(WoppleCellView* cell, CellOrientationType direction,
                                  std::list<WoppleCellView*>& cells, int bounces)
{
    if (!IsCellCounting(cell))
        return 0;
    if (NullStraightLinks(*cell) == 2 && bounces == 1)
        return -1;
    cells.push_back(cell);
    if (!cell->neighbours[direction]) {
        if (bounces == 0)
            return 1;
        --bounces;
        direction = ReflectDirection(*cell, direction);
    }
    return 1 + WalkConnectedCellsInDirection(cell->neighbours[direction], direction, cells, bounces);
}

void FindSuperWopples(WoppleCellView& cell, SuperWoppleList& lines, bool withBouncing)
{
    const CellOrientationType axes[][2] = {
        {CELL_SOUTH, CELL_NORTH},
        {CELL_WEST, CELL_EAST},
        {CELL_SOUTHWEST, CELL_NORTHEAST},
        {CELL_SOUTHEAST, CELL_NORTHWEST},
    };
    for (const auto& axis : axes) {
        if (!IsCellCounting(&cell))
            continue;
        SuperWoppleCells line;
        int n = WalkConnectedCells(&cell, axis[0], line.cells);
        WoppleCellView* other = cell.neighbours[axis[1]];
        if (IsCellCounting(other))
            n += WalkConnectedCells(other, axis[1], line.reverseCells);
        if (n == 10)
            lines.push_back(std::move(line));
    }
    if (!withBouncing)
        return;

    for (int d = CELL_SOUTHWEST; d <= CELL_NORTHWEST; ++d) {
        if (d == CELL_NORTHWEST && (!cell.neighbours[CELL_NORTH] || !cell.neighbours[CELL_WEST]))
            continue;
        if (d == CELL_SOUTHEAST && (!cell.neighbours[CELL_EAST] || !cell.neighbours[CELL_SOUTH]))
            continue;
        SuperWoppleCells line;
        int first = 0;
        if (!IsCellCounting(&cell)) {
            first = 0;
        } else if (NullStraightLinks(cell) == 2) {
            first = -1;
        } else {
            line.cells.push_back(&cell);
            auto direction = static_cast<CellOrientationType>(d);
            int budget = 1;
            if (!cell.neighbours[direction]) {
                direction = ReflectDirection(cell, direction);
                budget = 0;
            }
            first = 1 + WalkConnectedCellsInDirection(cell.neighbours[direction], direction, line.cells, budget);
        }
        const CellOrientationType o = Opposite(d);
        const int second = WalkConnectedCells(cell.neighbours[o], o, line.reverseCells);
        if (first + second == 10)
            lines.push_back(std::move(line));
    }
}

} // namespace WoppleInfo
