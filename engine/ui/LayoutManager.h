#pragma once

#include "engine/core/Object.h"

#include <cstdint>
#include <string>

class Actor;

// Places the children of an actor. An actor with a layout manager is laid out
// when the manager is set and whenever a child comes or goes.
class LayoutManager : public Object
{
    VELK_DECLARE_CLASS(LayoutManager)
public:
    virtual void LayoutContainer(Actor* container) = 0;

    // The layout manager a script table describes; null when it makes an object
    // of another class (which is deleted).
    static LayoutManager* CreateFromTable(const LuaObject& table);
};

enum LayoutOrientation
{
    LAYOUT_LEFT_TO_RIGHT_TOP_TO_BOTTOM = 1,
    // Despite the name: down each column, columns from the left.
    LAYOUT_RIGHT_TO_LEFT_BOTTOM_TO_TOP = 2,
};

// Puts the children, in child-list order, on the corners of a table of columns
// and rows. Widths and heights come from their tables, else the defaults, or
// are the container's size divided evenly.
class GridLayout : public LayoutManager
{
    VELK_DECLARE_CLASS(GridLayout)
public:
    // Applies the named resource when the name is not empty.
    explicit GridLayout(const std::string& resourceName = std::string());

    void LayoutContainer(Actor* container) override;

    void SetColumns(int columns) { m_Columns = columns; }
    void SetRows(int rows) { m_Rows = rows; }
    void SetAutoColumnWidths(bool on) { m_AutoColumnWidths = on; }
    void SetAutoRowHeights(bool on) { m_AutoRowHeights = on; }
    void SetDefaultColumnWidth(int width) { m_DefaultColumnWidth = width; }
    void SetDefaultRowHeight(int height) { m_DefaultRowHeight = height; }
    void SetOrientation(int orientation) { m_Orientation = orientation; }
    const LuaObject& GetColumnWidths() const { return m_ColumnWidths; }
    const LuaObject& GetRowHeights() const { return m_RowHeights; }

private:
    friend void GridLayoutClassHook(Class* c);

    bool m_AutoColumnWidths = false;
    bool m_AutoRowHeights = false;
    std::int32_t m_Columns = 0;
    LuaObject m_ColumnWidths;
    std::int32_t m_DefaultColumnWidth = 0;
    std::int32_t m_DefaultRowHeight = 0;
    std::int32_t m_Orientation = LAYOUT_LEFT_TO_RIGHT_TOP_TO_BOTTOM;
    LuaObject m_RowHeights;
    std::int32_t m_Rows = 0;
};
