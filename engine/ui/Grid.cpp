#include "engine/ui/Grid.h"

#include "engine/core/Exception.h"
#include "engine/core/Point.h"

#include <boost/format.hpp>

#include <memory>

namespace {

void RegisterNamed(Class* c, const char* name)
{
    c->RegisterPropertyGetter(MakeNamedProperty(name));
    c->RegisterPropertySetter(MakeNamedProperty(name));
}

} // namespace

// ---------------------------------------------------------------- cell

Cell::Cell(int width, int height, int alignment) : m_HorizontalAlignment(alignment)
{
    SetSize(width, height);
}

void Cell::SetContent(Actor* content)
{
    if (content && content == m_Content) {
        Align();
        return;
    }
    if (Actor* old = m_Content) {
        m_Content = nullptr;
        DestroyChild(old);
    }
    m_Content = content;
    if (!content)
        return;
    Align();
    AddChild(content);
}

void Cell::Align()
{
    if (!m_Content)
        return;
    const int width = GetWidth();
    const int contentWidth = m_Content->GetWidth();
    switch (m_HorizontalAlignment) {
    case CELLALIGN_CENTER:
        m_Content->SetPosition((width >> 1) - (contentWidth >> 1), m_Content->GetY());
        break;
    case CELLALIGN_LEFT:
        break;
    case CELLALIGN_RIGHT:
        m_Content->SetPosition(width - contentWidth, m_Content->GetY());
        break;
    default:
        VELK_ASSERT_MSG(false, (boost::format("Invalid horizontal alignment: %1%") % m_HorizontalAlignment).str());
    }
}

// ---------------------------------------------------------------- grid

void GridClassHook(Class* c)
{
    RegisterNamed(c, "cellSize");
    RegisterNamed(c, "margins");
}

VELK_REGISTER_CLASS(Grid, "Actor", GridClassHook, InstantiateObjectOfClass<Grid>);

Grid::Grid() = default;

Grid::Grid(const std::string& name)
{
    SetName(name);
}

Grid::~Grid() = default;

void Grid::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "cellSize") {
        VELK_ASSERT_MSG(value.IsTable(), "\"cellSize\" must be {{columns, rows}, {cell width, cell height}}.");
        Point<int> count(value.GetByIndex(1));
        Point<int> size(value.GetByIndex(2));
        Build(count.x, count.y, size.x, size.y);
    } else if (name == "margins") {
        VELK_ASSERT_MSG(value.IsTable(), "\"margins\" must be a point or {margins, spacing}.");
        LuaObject first = value.GetByIndex(1);
        if (first.IsNumber()) {
            Point<int> margin(value);
            SetMargins(margin.x, margin.y, 0, 0);
        } else {
            Point<int> margin(first);
            Point<int> spacing(value.GetByIndex(2));
            SetMargins(margin.x, margin.y, spacing.x, spacing.y);
        }
    } else {
        Actor::ApplyClassicProperty(name, value);
    }
}

void Grid::SetMargins(int marginX, int marginY, int spacingX, int spacingY)
{
    m_MarginX = marginX;
    m_MarginY = marginY;
    m_SpacingX = spacingX;
    m_SpacingY = spacingY;
}

void Grid::SetLabelFont(const std::string& fontName, int size, const Color& color)
{
    m_LabelFontName = fontName;
    m_LabelFontSize = size;
    m_LabelColor = color;
}

Cell*& Grid::TableEntry(int column, int row)
{
    return m_Cells[static_cast<std::size_t>(column * (m_Rows + 2) + row)];
}

Cell* Grid::GetCell(int column, int row) const
{
    if (column < 1 || column > m_Columns || row < 1 || row > m_Rows)
        return nullptr;
    return m_Cells[static_cast<std::size_t>(column * (m_Rows + 2) + row)];
}

void Grid::RemoveCells()
{
    for (Cell* cell = m_FirstCell; cell;) {
        Cell* next = cell->GetNextCell();
        DestroyChild(cell);
        cell = next;
    }
    m_FirstCell = nullptr;
    m_Cells.clear();
}

void Grid::Build(int columns, int rows, int cellWidth, int cellHeight)
{
    VELK_ASSERT_MSG(columns >= 0 && columns <= kMaxColumns && rows >= 0 && rows <= kMaxRows,
                    (boost::format("A grid holds at most %1% columns and %2% rows, not %3% by %4%.") % kMaxColumns %
                     kMaxRows % columns % rows)
                        .str());
    // A second build replaces the cells rather than leaving the old ones under the new.
    RemoveCells();
    m_Columns = columns;
    m_Rows = rows;
    SetSize((cellWidth + m_SpacingX) * columns + 2 * m_MarginX - m_SpacingX,
            (cellHeight + m_SpacingY) * rows + 2 * m_MarginY - m_SpacingY);
    UpdateAlignment();
    m_Cells.assign(static_cast<std::size_t>((columns + 2) * (rows + 2)), nullptr);

    Cell* previous = nullptr;
    for (int c = 1; c <= columns; ++c)
        for (int r = 1; r <= rows; ++r) {
            auto made = std::make_unique<Cell>(cellWidth, cellHeight, Cell::CELLALIGN_LEFT);
            Cell* cell = made.get();
            cell->SetPosition((m_SpacingX + cellWidth) * (c - 1) + m_MarginX,
                              (cellHeight + m_SpacingY) * (r - 1) + m_MarginY);
            AddCellChild(made.release());
            if (!m_FirstCell)
                m_FirstCell = cell;
            if (previous)
                previous->SetNextCell(cell);
            previous = cell;
            TableEntry(c, r) = cell;
        }

    for (int c = 1; c <= columns; ++c)
        for (int r = 1; r <= rows; ++r) {
            Cell* cell = TableEntry(c, r);
            cell->SetNeighbour(Cell::NORTH, TableEntry(c, r - 1));
            cell->SetNeighbour(Cell::NORTHEAST, TableEntry(c + 1, r - 1));
            cell->SetNeighbour(Cell::EAST, TableEntry(c + 1, r));
            cell->SetNeighbour(Cell::SOUTHEAST, TableEntry(c + 1, r + 1));
            cell->SetNeighbour(Cell::SOUTH, TableEntry(c, r + 1));
            cell->SetNeighbour(Cell::SOUTHWEST, TableEntry(c - 1, r + 1));
            cell->SetNeighbour(Cell::WEST, TableEntry(c - 1, r));
            cell->SetNeighbour(Cell::NORTHWEST, TableEntry(c - 1, r - 1));
        }
}

bool Grid::SetCellContent(Actor* actor, int column, int row)
{
    Cell* cell = GetCell(column, row);
    if (!cell)
        return false;
    cell->SetContent(actor);
    return true;
}

void Grid::SetCellAlignment(int column, int row, int alignment)
{
    Cell* cell = GetCell(column, row);
    if (!cell)
        return;
    cell->SetHorizontalAlignment(alignment);
    cell->Align();
}

void Grid::AddCellChild(Actor* actor)
{
    AddChild(actor);
}

Actor* Grid::GetCellContent(int column, int row) const
{
    Cell* cell = GetCell(column, row);
    return cell ? cell->GetContent() : nullptr;
}
