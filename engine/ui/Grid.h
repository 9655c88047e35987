#pragma once

#include "engine/core/Color.h"
#include "engine/ui/Actor.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One place of a grid: holds at most one content actor, aligned across the
// cell, and knows the cells around it.
class Cell : public Actor
{
public:
    enum HorizontalAlignment
    {
        CELLALIGN_CENTER = 0,
        CELLALIGN_LEFT = 1,  // the content's x stays as it is
        CELLALIGN_RIGHT = 2,
    };
    enum Direction
    {
        NORTH,
        NORTHEAST,
        EAST,
        SOUTHEAST,
        SOUTH,
        SOUTHWEST,
        WEST,
        NORTHWEST,
        NUM_DIRECTIONS,
    };

    Cell(int width, int height, int alignment);

    // The old content is deleted; null leaves the cell empty.
    void SetContent(Actor* content);
    Actor* GetContent() const { return m_Content; }
    void SetHorizontalAlignment(int alignment) { m_HorizontalAlignment = alignment; }
    int GetHorizontalAlignment() const { return m_HorizontalAlignment; }
    // Moves the content across the cell by the alignment; its y stays.
    void Align();

    Cell* GetNextCell() const { return m_NextCell; }
    void SetNextCell(Cell* cell) { m_NextCell = cell; }
    // Null past the grid's border.
    Cell* GetNeighbour(Direction direction) const { return m_Neighbours[direction]; }
    void SetNeighbour(Direction direction, Cell* cell) { m_Neighbours[direction] = cell; }

private:
    std::int32_t m_HorizontalAlignment;
    Actor* m_Content = nullptr;
    Cell* m_NextCell = nullptr;
    std::array<Cell*, NUM_DIRECTIONS> m_Neighbours{};
};

// A fixed table of cells, columns by rows, with margins round the edge and
// spacing between cells; each cell shows one content actor. Columns and rows
// count from 1.
class Grid : public Actor
{
    VELK_DECLARE_CLASS(Grid)
public:
    static constexpr int kMaxColumns = 99;
    static constexpr int kMaxRows = 99;

    Grid();
    explicit Grid(const std::string& name);
    ~Grid() override;

    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;

    // Sizes the grid and makes the cells; the cells of an earlier build go.
    void Build(int columns, int rows, int cellWidth, int cellHeight);
    // Used by the next Build.
    void SetMargins(int marginX, int marginY, int spacingX, int spacingY);
    void SetLabelFont(const std::string& fontName, int size, const Color& color);
    // False when there is no cell at (column, row).
    virtual bool SetCellContent(Actor* actor, int column, int row);
    // Out-of-range places are ignored.
    void SetCellAlignment(int column, int row, int alignment);
    // Adds an unnamed child.
    virtual void AddCellChild(Actor* actor);

    // Null outside 1..columns by 1..rows.
    Cell* GetCell(int column, int row) const;
    // The child a cell holds; null for an empty cell or one out of range.
    Actor* GetCellContent(int column, int row) const;
    Cell* GetFirstCell() const { return m_FirstCell; }
    int GetColumns() const { return m_Columns; }
    int GetRows() const { return m_Rows; }
    const std::string& GetLabelFontName() const { return m_LabelFontName; }
    int GetLabelFontSize() const { return m_LabelFontSize; }
    const Color& GetLabelColor() const { return m_LabelColor; }

private:
    void RemoveCells();
    // The table entry, with a null border row and column all round.
    Cell*& TableEntry(int column, int row);

    std::int32_t m_Columns = 0;
    std::int32_t m_Rows = 0;
    std::int32_t m_MarginX = 0;
    std::int32_t m_MarginY = 0;
    std::int32_t m_SpacingX = 0;
    std::int32_t m_SpacingY = 0;
    std::string m_LabelFontName;
    std::int32_t m_LabelFontSize = 0;
    Color m_LabelColor;
    // (columns + 2) x (rows + 2), column-major.
    std::vector<Cell*> m_Cells;
    Cell* m_FirstCell = nullptr;
};
