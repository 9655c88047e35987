#pragma once

#include "engine/core/Point.h"
#include "platform/lua/LuaObject.h"

#include <vector>

class Rect;

// A closed polygon (hit areas): its vertices and one edge from each vertex to
// the next, the last closing back to the first.
class Poly
{
public:
    struct Edge
    {
        Point2f start;
        Point2f end;
    };

    // From a script list of at most 64 points. An empty table leaves the
    // polygon as it is; anything else that is not such a list is an assertion
    // failure and leaves it as it is too.
    void SetPoly(const LuaObject& vertexTable);
    // The rectangle's corners: top-left, bottom-left, bottom-right, top-right.
    void SetPoly(const Rect& rect);
    // A new array table of the vertices, each stored as a Point2f.
    void StoreAsLuaObject(LuaObject& result, LuaState state) const;

    const std::vector<Point2f>& GetVertices() const { return m_Vertices; }
    const std::vector<Edge>& GetEdges() const { return m_Edges; }

private:
    void SetVertices(std::vector<Point2f> vertices);

    std::vector<Point2f> m_Vertices;
    std::vector<Edge> m_Edges;
};
