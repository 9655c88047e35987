#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>
#include <vector>

// One place of a grid: it shows one content actor, placed across the cell by
// its horizontal alignment (the content's y is left alone).
class Cell : public Actor
{
public:
    enum HorizontalAlignment
    {
        ALIGN_CENTER = 0,
        ALIGN_LEFT = 1,  // the content keeps its x
        ALIGN_RIGHT = 2,
    };

    Cell(int width, int height, int alignment);

    // The old content is deleted; null leaves the cell empty.
    void SetContent(Actor* content);
    Actor* GetContent() const;
    void SetHorizontalAlignment(int alignment);
    int GetHorizontalAlignment() const { return m_HorizontalAlignment; }
    // Places the content by the alignment.
    void Align();

private:
    std::int32_t m_HorizontalAlignment;
    // Held through its script self: it reads as nothing once deleted elsewhere.
    LuaObject m_Content;
};

// An actor that lays cells out in columns and rows, with margins around them
// and spacing between them, and puts one actor into each cell.
class Grid : public Actor
{
    VELK_DECLARE_CLASS(Grid)
public:
    Grid();
    // An empty name applies no resource.
    explicit Grid(const std::string& resourceName);
    ~Grid() override;

    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;

    // False, changing nothing, when the column or row (both from 1) has no cell.
    virtual bool SetCellContent(Actor* actor, int column, int row);
    // A child of the grid that is in no cell.
    virtual void AddCellChild(Actor* actor);

    // Used by the next Build.
    void SetMargins(int marginX, int marginY, int spacingX, int spacingY);
    // Sizes the grid and makes its cells; the cells of an earlier build go.
    void Build(int columns, int rows, int cellWidth, int cellHeight);
    // Null outside 1..columns and 1..rows.
    Cell* GetCell(int column, int row) const;
    Actor* GetCellContent(int column, int row) const;
    int GetColumns() const { return m_Columns; }
    int GetRows() const { return m_Rows; }

private:
    std::int32_t m_Columns = 0;
    std::int32_t m_Rows = 0;
    std::int32_t m_MarginX = 0;
    std::int32_t m_MarginY = 0;
    std::int32_t m_SpacingX = 0;
    std::int32_t m_SpacingY = 0;
    // Column by column, each column's rows in order; held through their
    // script selves, which read as nothing once a cell is deleted elsewhere.
    std::vector<LuaObject> m_Cells;
};
