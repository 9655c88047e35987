#include "engine/ui/LayoutManager.h"

#include "engine/core/Exception.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/ui/Actor.h"

#include <memory>
#include <vector>

namespace {

// Entries 1..count of the table each as the running sum of the sizes before
// them, truncated; an entry that is not a number counts as the default.
std::vector<int> Offsets(const LuaObject& sizes, int count, int defaultSize)
{
    std::vector<int> offsets(static_cast<std::size_t>(count > 0 ? count + 1 : 1), 0);
    double sum = 0.0;
    for (int i = 1; i <= count; ++i) {
        offsets[static_cast<std::size_t>(i)] = static_cast<int>(sum);
        LuaObject entry = sizes.IsTable() ? sizes.GetByIndex(i) : LuaObject();
        sum += entry.IsNumber() ? entry.GetNumber() : defaultSize;
    }
    return offsets;
}

// A new table with entries 1..count all total / count.
LuaObject EvenSizes(int total, int count)
{
    LuaObject sizes;
    sizes.AssignNewTable(ObjectLuaState());
    for (int i = 1; i <= count; ++i)
        sizes.SetNumber(i, static_cast<double>(total) / count);
    return sizes;
}

} // namespace

// Only its kinds (a grid layout and the like) are made from scripts.
VELK_REGISTER_CLASS(LayoutManager, "Object", nullptr, nullptr);

LayoutManager* LayoutManager::CreateFromTable(const LuaObject& table)
{
    std::unique_ptr<Object> object(ClassManager::GetInstance()->InstantiateObject(table));
    auto* manager = dynamic_cast<LayoutManager*>(object.get());
    if (manager)
        object.release();
    return manager;
}

void GridLayoutClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
    };
    member(TYPE_BOOL, MemberOf(&GridLayout::m_AutoColumnWidths), "autoColumnWidths");
    member(TYPE_BOOL, MemberOf(&GridLayout::m_AutoRowHeights), "autoRowHeights");
    member(TYPE_INT32, MemberOf(&GridLayout::m_Columns), "columns");
    member(TYPE_LUAOBJECT, MemberOf(&GridLayout::m_ColumnWidths), "columnWidths");
    member(TYPE_INT32, MemberOf(&GridLayout::m_DefaultColumnWidth), "defaultColumnWidth");
    member(TYPE_INT32, MemberOf(&GridLayout::m_DefaultRowHeight), "defaultRowHeight");
    member(TYPE_INT32, MemberOf(&GridLayout::m_Orientation), "orientation");
    member(TYPE_LUAOBJECT, MemberOf(&GridLayout::m_RowHeights), "rowHeights");
    member(TYPE_INT32, MemberOf(&GridLayout::m_Rows), "rows");
}

namespace {

Object* InstantiateGridLayout(const LuaObject& params)
{
    auto layout = std::make_unique<GridLayout>();
    layout->ApplyProperties(params);
    layout->OnPostSpawn();
    return layout.release();
}

} // namespace

VELK_REGISTER_CLASS(GridLayout, "LayoutManager", GridLayoutClassHook, InstantiateGridLayout);

GridLayout::GridLayout(const std::string& resourceName)
{
    m_ColumnWidths.AssignNewTable(ObjectLuaState());
    m_RowHeights.AssignNewTable(ObjectLuaState());
    if (!resourceName.empty())
        ApplyNamedResource(resourceName);
}

void GridLayout::LayoutContainer(Actor* container)
{
    if (m_AutoColumnWidths)
        m_ColumnWidths = EvenSizes(container->GetWidth(), m_Columns);
    if (m_AutoRowHeights)
        m_RowHeights = EvenSizes(container->GetHeight(), m_Rows);
    const std::vector<int> columnX = Offsets(m_ColumnWidths, m_Columns, m_DefaultColumnWidth);
    const std::vector<int> rowY = Offsets(m_RowHeights, m_Rows, m_DefaultRowHeight);

    int column = 1;
    int row = 1;
    bool placedAny = false;
    // A copy: moving children does not change the list, but a child may go.
    const Actor::ChildList children = container->GetChildren();
    for (Actor* child : children) {
        if (column > m_Columns) {
            // Down the columns, a full table ends like the rows do across.
            if (placedAny && m_Orientation == LAYOUT_RIGHT_TO_LEFT_BOTTOM_TO_TOP)
                return;
            VELK_ASSERT(column <= m_Columns);
        }
        if (row > m_Rows)
            return;
        child->SetPosition(columnX[static_cast<std::size_t>(column)], rowY[static_cast<std::size_t>(row)]);
        placedAny = true;
        if (m_Orientation == LAYOUT_LEFT_TO_RIGHT_TOP_TO_BOTTOM) {
            if (++column > m_Columns) {
                column = 1;
                ++row;
            }
        } else if (m_Orientation == LAYOUT_RIGHT_TO_LEFT_BOTTOM_TO_TOP) {
            if (++row > m_Rows) {
                row = 1;
                ++column;
            }
        } else {
            VELK_ASSERT(false);
        }
    }
}
