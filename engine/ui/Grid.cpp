#include "engine/ui/Grid.h"

#include "engine/core/Exception.h"
#include "engine/core/Point.h"

namespace {

void GridClassHook(Class* c)
{
    for (const char* name : {"cellSize", "margins"}) {
        c->RegisterPropertyGetter(MakeNamedProperty(name));
        c->RegisterPropertySetter(MakeNamedProperty(name));
    }
}

} // namespace

VELK_REGISTER_CLASS(Grid, "Actor", GridClassHook, InstantiateObjectOfClass<Grid>);

// ---------------------------------------------------------------- Cell

Cell::Cell(int width, int height, int alignment) : m_HorizontalAlignment(alignment)
{
    SetSize(width, height);
}

Actor* Cell::GetContent() const
{
    auto* content = dynamic_cast<Actor*>(Object::FromLuaObject(m_Content));
    return content && content->GetParent() == this && !content->IsBeingDestroyed() ? content : nullptr;
}

void Cell::SetContent(Actor* content)
{
    Actor* old = GetContent();
    if (old && old != content) {
        RemoveChild(old);
        delete old;
    }
    m_Content = content ? content->GetLuaObject() : LuaObject();
    if (!content)
        return;
    Align();
    AddChild(content);
}

void Cell::SetHorizontalAlignment(int alignment)
{
    m_HorizontalAlignment = alignment;
    Align();
}

void Cell::Align()
{
    auto* content = dynamic_cast<Actor*>(Object::FromLuaObject(m_Content));
    if (!content)
        return;
    const int cellWidth = GetWidth();
    const int contentWidth = content->GetWidth();
    switch (m_HorizontalAlignment) {
    case ALIGN_CENTER:
        content->SetPosition((cellWidth >> 1) - (contentWidth >> 1), content->GetY());
        break;
    case ALIGN_LEFT:
        break;
    case ALIGN_RIGHT:
        content->SetPosition(cellWidth - contentWidth, content->GetY());
        break;
    default:
        VELK_ASSERT_MSG(false, (boost::format("Invalid horizontal alignment: %1%") % m_HorizontalAlignment).str());
    }
}

// ---------------------------------------------------------------- Grid

Grid::Grid() = default;

Grid::Grid(const std::string& resourceName)
{
    if (!resourceName.empty())
        ApplyNamedResource(resourceName);
}

// The cells are children and go with the other children.
Grid::~Grid() = default;

void Grid::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "cellSize") {
        VELK_ASSERT_MSG(value.IsTable(), "\"cellSize\" must be { {columns, rows}, {cell width, cell height} }.");
        Point<int> counts(value[1]);
        Point<int> size(value[2]);
        Build(counts.x, counts.y, size.x, size.y);
    } else if (name == "margins") {
        VELK_ASSERT_MSG(value.IsTable(), "\"margins\" must be a point or { margins, spacing }.");
        if (value[1].IsNumber()) {
            Point<int> margin(value);
            SetMargins(margin.x, margin.y, 0, 0);
        } else {
            Point<int> margin(value[1]);
            Point<int> spacing(value[2]);
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

void Grid::Build(int columns, int rows, int cellWidth, int cellHeight)
{
    VELK_ASSERT_MSG(columns >= 0 && rows >= 0, "A grid cannot have a negative number of columns or rows.");
    SetSize((cellWidth + m_SpacingX) * columns + 2 * m_MarginX - m_SpacingX,
            (cellHeight + m_SpacingY) * rows + 2 * m_MarginY - m_SpacingY);
    // Cells no longer in the table would only be in the way.
    for (int column = 1; column <= m_Columns; ++column)
        for (int row = 1; row <= m_Rows; ++row)
            if (Cell* cell = GetCell(column, row))
                DestroyChild(cell);
    m_Cells.clear();
    m_Columns = columns;
    m_Rows = rows;
    m_Cells.reserve(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (int column = 1; column <= columns; ++column) {
        for (int row = 1; row <= rows; ++row) {
            auto cell = std::make_unique<Cell>(cellWidth, cellHeight, Cell::ALIGN_LEFT);
            cell->SetPosition((m_SpacingX + cellWidth) * (column - 1) + m_MarginX,
                              (cellHeight + m_SpacingY) * (row - 1) + m_MarginY);
            m_Cells.push_back(cell->GetLuaObject());
            AddCellChild(cell.release());
        }
    }
}

Cell* Grid::GetCell(int column, int row) const
{
    if (column < 1 || column > m_Columns || row < 1 || row > m_Rows)
        return nullptr;
    const LuaObject& handle = m_Cells[static_cast<std::size_t>(column - 1) * m_Rows + (row - 1)];
    auto* cell = dynamic_cast<Cell*>(Object::FromLuaObject(handle));
    return cell && cell->GetParent() == this && !cell->IsBeingDestroyed() ? cell : nullptr;
}

Actor* Grid::GetCellContent(int column, int row) const
{
    Cell* cell = GetCell(column, row);
    return cell ? cell->GetContent() : nullptr;
}

bool Grid::SetCellContent(Actor* actor, int column, int row)
{
    Cell* cell = GetCell(column, row);
    if (!cell)
        return false;
    cell->SetContent(actor);
    return true;
}

void Grid::AddCellChild(Actor* actor)
{
    AddChild(actor);
}
