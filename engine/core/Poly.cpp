#include "engine/core/Poly.h"

#include "engine/core/Exception.h"
#include "engine/core/Rect.h"

#include <utility>

void Poly::SetPoly(const LuaObject& vertexTable)
{
    if (vertexTable.IsTable() && vertexTable.GetN() == 0)
        return;
    VELK_ASSERT(vertexTable.IsTable());
    VELK_ASSERT(vertexTable.GetN() <= 64);

    // Read everything first, so a bad vertex leaves the polygon untouched.
    int count = vertexTable.GetN();
    std::vector<Point2f> vertices;
    vertices.reserve(count);
    for (int i = 1; i <= count; ++i) {
        LuaObject vertexSpec = vertexTable[i];
        VELK_ASSERT_MSG(Point2f::IsPoint(vertexSpec), vertexSpec.TypeName());
        vertices.emplace_back(vertexSpec);
    }
    SetVertices(std::move(vertices));
}

void Poly::SetPoly(const Rect& rect)
{
    float left = rect.x;
    float top = rect.y;
    float right = static_cast<float>(rect.x + rect.w);
    float bottom = static_cast<float>(rect.y + rect.h);
    SetVertices({{left, top}, {left, bottom}, {right, bottom}, {right, top}});
}

void Poly::StoreAsLuaObject(LuaObject& result, LuaState state) const
{
    result.AssignNewTable(state, static_cast<int>(m_Vertices.size()));
    int index = 1;
    for (const Point2f& vertex : m_Vertices) {
        LuaObject stored;
        vertex.StoreAsLuaObject(stored, state);
        result.SetObject(index++, stored);
    }
}

void Poly::SetVertices(std::vector<Point2f> vertices)
{
    m_Vertices = std::move(vertices);
    m_Edges.clear();
    m_Edges.reserve(m_Vertices.size());
    for (std::size_t i = 0; i < m_Vertices.size(); ++i)
        m_Edges.push_back({m_Vertices[i], m_Vertices[(i + 1) % m_Vertices.size()]});
}
