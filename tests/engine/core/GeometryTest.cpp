#include "engine/core/Geometry.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include "support/Failure.h"

namespace {

class GeometryTest : public ::testing::Test
{
protected:
    void SetUp() override { state = VelkLuaState::Create(); }
    void TearDown() override { VelkLuaState::Destroy(); }

    LuaObject Eval(const std::string& expression)
    {
        VelkLuaState::LoadStringA(state, "return " + expression, 0, 1);
        return LuaObject::PopFrom(state);
    }

    void SetGlobal(const char* name, const LuaObject& value) { state.GetGlobals().SetObject(name, value); }


    LuaState state;
};

} // namespace

TEST(RectAlignmentTest, AnchorAndAlignmentOfEveryCode)
{
    // A 7 by 5 rect at (20, 30): odd sizes show that halves round down.
    const Rect rect(20, 30, 7, 5);
    struct Case
    {
        RectAlignment code;
        Point<int> anchor;     // of rect
        Point<int> placedAt;   // top-left that puts the anchor at (100, 100)
    };
    const Case cases[] = {
        {RectAlignment::BottomLeft, {20, 35}, {100, 95}},
        {RectAlignment::BottomRight, {27, 35}, {93, 95}},
        {RectAlignment::Center, {23, 32}, {97, 98}},
        {RectAlignment::MidBottom, {23, 35}, {97, 95}},
        {RectAlignment::MidLeft, {20, 32}, {100, 98}},
        {RectAlignment::MidRight, {27, 32}, {93, 98}},
        {RectAlignment::MidTop, {23, 30}, {97, 100}},
        {RectAlignment::TopLeft, {20, 30}, {100, 100}},
        {RectAlignment::TopRight, {27, 30}, {93, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(RectAlignmentToString(c.code));
        Rect::AnchorFunction anchor = Rect::GetAnchorFunction(c.code);
        Rect::AlignmentFunction align = Rect::GetAlignmentFunction(c.code);
        ASSERT_NE(anchor, nullptr);
        ASSERT_NE(align, nullptr);
        EXPECT_EQ(anchor(rect), c.anchor);

        Rect placed = rect;
        align(placed, {100, 100});
        EXPECT_EQ(Point<int>(placed.x, placed.y), c.placedAt);
        EXPECT_EQ(placed.w, rect.w);
        EXPECT_EQ(placed.h, rect.h);
        EXPECT_EQ(anchor(placed), Point<int>(100, 100));
    }

    for (int code : {0, 10, -1}) {
        EXPECT_EQ(Rect::GetAnchorFunction(static_cast<RectAlignment>(code)), nullptr) << code;
        EXPECT_EQ(Rect::GetAlignmentFunction(static_cast<RectAlignment>(code)), nullptr) << code;
    }
}

TEST(RectAlignmentTest, PlacingExamples)
{
    Rect rect(0, 0, 10, 6);
    Rect::GetAlignmentFunction(RectAlignment::Center)(rect, {100, 100});
    EXPECT_EQ(rect, Rect(95, 97, 10, 6));
    EXPECT_EQ(rect.GetCenter(), Point<int>(100, 100));

    Rect narrow(0, 0, 7, 1);
    Rect::GetAlignmentFunction(RectAlignment::MidTop)(narrow, {10, 0});
    EXPECT_EQ(narrow.x, 7);

    // Anchors beyond the 16-bit range of the corner are computed at full width.
    EXPECT_EQ(Rect(32767, 32767, 65535, 65535).GetCenter(), Point<int>(65534, 65534));
}

TEST(RectAlignmentTest, NamesAndCodes)
{
    const char* names[] = {"NoAlignment", "BottomLeft", "BottomRight", "Center",  "MidBottom",
                           "MidLeft",     "MidRight",   "MidTop",      "TopLeft", "TopRight"};
    for (int code = 0; code < 10; ++code) {
        EXPECT_EQ(RectAlignmentToString(static_cast<RectAlignment>(code)), names[code]);
        EXPECT_EQ(RectAlignmentFromString(names[code]), static_cast<RectAlignment>(code));
    }
    auto failure = [](const std::function<void()>& f) -> std::string {
        try {
            f();
        } catch (const Exception& e) {
            return e.GetMessage();
        }
        return "no failure";
    };
    EXPECT_EQ(failure([] { RectAlignmentFromString("center"); }),
              "Assertion failed: (false)\nMessage: Cannot create a RectAlignment from string \"center\"");
    EXPECT_EQ(failure([] { RectAlignmentToString(static_cast<RectAlignment>(12)); }),
              "Assertion failed: (false)\nMessage: Unknown rect alignment with int value: 12");
}

TEST_F(GeometryTest, AlignmentThroughLua)
{
    LuaObject stored;
    StoreRectAlignmentAsLuaObject(stored, state, RectAlignment::MidRight);
    EXPECT_EQ(stored.GetString(), "MidRight");
    EXPECT_EQ(RetrieveRectAlignmentFromLuaObject(stored), RectAlignment::MidRight);
    EXPECT_EQ(FailureOf([&] { RetrieveRectAlignmentFromLuaObject(Eval("3")); }),
              "Object is not a string, but rather a number.");
}

TEST_F(GeometryTest, IntegerPointForms)
{
    struct Case
    {
        const char* lua;
        Point<int> expected;
    };
    const Case cases[] = {
        {"{x = 3, y = 4}", {3, 4}},
        {"{3, 4}", {3, 4}},
        {"{x = 3, [2] = 4}", {3, 4}},
        {"{x = 3, y = 4, 8, 9}", {3, 4}},
        {"{function() return 3 end, 4}", {3, 4}},
        {"{x = 3.9, y = -3.9}", {3, -3}},
        {"{r = 10, 3, 4}", {3, 4}},  // no theta: not polar
        {"{r = 10, theta = 0}", {10, 0}},
        {"{r = 10, theta = math.pi}", {-10, 0}},
        {"{r = 2, theta = math.pi / 2}", {0, 2}},
        {"{r = 10, theta = 3 * math.pi / 4}", {-7, 7}},  // toward zero, not down
        {"{r = 10, theta = -math.pi / 4}", {7, -7}},
        {"{r = function() return 5 end, theta = function() return math.pi / 2 end}", {0, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lua);
        EXPECT_EQ(Point<int>(Eval(c.lua)), c.expected);
    }
}

TEST_F(GeometryTest, IntegerPointRefusals)
{
    Point<int> point;
    EXPECT_EQ(FailureOf([&] { point.SetPoint(Eval("{r = 'far', theta = 0}")); }),
              "Invalid parameter for \"r\", type=string");
    EXPECT_EQ(FailureOf([&] { point.SetPoint(Eval("{r = 1, theta = {}}")); }),
              "Assertion failed: (theta.IsNumber() || theta.IsFunction())\n"
              "Message: Invalid parameter for \"theta\", type=table");
    EXPECT_EQ(FailureOf([&] { point.SetPoint(Eval("{x = 3}")); }), "Object is not an integer, but rather a nil.");
    EXPECT_EQ(FailureOf([&] { point.SetPoint(Eval("{r = 1e300, theta = 0}")); }).rfind(
                  "Assertion failed: (IsWithinIntRange(value))", 0),
              0u);
    EXPECT_EQ(FailureOf([&] { point.SetPoint(Eval("{r = 0/0, theta = 0}")); }).rfind("Assertion failed", 0), 0u);
    EXPECT_TRUE(Point<int>::IsPoint(Eval("{}")));
    EXPECT_FALSE(Point<int>::IsPoint(Eval("'3, 4'")));
}

TEST_F(GeometryTest, FloatPointForms)
{
    struct Case
    {
        const char* lua;
        float x, y;
    };
    const Case cases[] = {
        {"{x = 1.5, y = -2.25}", 1.5f, -2.25f},
        {"{1.5, -2.25}", 1.5f, -2.25f},
        {"{x = 1.5, function() return 0 end, function() return -2.25 end}", 1.5f, -2.25f},
        {"{r = 2, theta = math.pi / 6}", std::sqrt(3.0f), 1.0f},
        {"{r = 10, theta = 3 * math.pi / 4}", -7.0710678f, 7.0710678f},  // not truncated
        {"{r = 1, theta = math.pi, 8, 9}", -1.0f, 0.0f},                 // r alone makes it polar
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lua);
        Point2f point(Eval(c.lua));
        EXPECT_NEAR(point.x, c.x, 1e-5);
        EXPECT_NEAR(point.y, c.y, 1e-5);
    }
    Point2f point;
    EXPECT_EQ(FailureOf([&] { point.SetPoint(Eval("{r = 1}")); }), "Object is not a number, but rather a nil.");
}

TEST_F(GeometryTest, StoredPointsShareAnEqualityMetatable)
{
    LuaObject stored;
    Point<int>(3, 4).StoreAsLuaObject(stored, state);
    SetGlobal("p", stored);
    Point<int>(3, 4).StoreAsLuaObject(stored, state);
    SetGlobal("q", stored);
    Point<int>(3, 5).StoreAsLuaObject(stored, state);
    SetGlobal("other", stored);
    Point2f(0.5f, 4.0f).StoreAsLuaObject(stored, state);
    SetGlobal("f", stored);
    Point2f(0.5f, 4.0f).StoreAsLuaObject(stored, state);
    SetGlobal("g", stored);

    EXPECT_TRUE(Eval("p.x == 3 and p.y == 4 and f.x == 0.5 and f.y == 4").GetBoolean());
    EXPECT_TRUE(Eval("getmetatable(p) == getmetatable(q) and getmetatable(p) ~= getmetatable(f)").GetBoolean());
    EXPECT_TRUE(Eval("getmetatable(f) == getmetatable(g)").GetBoolean());
    const char* holdsOnlyEq = "(function(mt) local k = next(mt) return k == '__eq' and next(mt, k) == nil end)";
    EXPECT_TRUE(Eval(std::string(holdsOnlyEq) + "(getmetatable(p))").GetBoolean());
    EXPECT_TRUE(Eval(std::string(holdsOnlyEq) + "(getmetatable(f))").GetBoolean());
    EXPECT_TRUE(Eval("p == q and p ~= other and f == g").GetBoolean());
    // Any accepted form compares once it carries the metatable.
    EXPECT_TRUE(Eval("setmetatable({3, 4}, getmetatable(p)) == setmetatable({x = 3, y = 4}, getmetatable(p))")
                    .GetBoolean());
    EXPECT_TRUE(Eval("setmetatable({r = 4, theta = 0}, getmetatable(f)) == setmetatable({4, 0}, getmetatable(f))")
                    .GetBoolean());
    EXPECT_FALSE(Eval("setmetatable({0.5, 4.000001}, getmetatable(f)) == f").GetBoolean());

    EXPECT_EQ(Point<int>(LuaObject(state.GetGlobal("p"))), Point<int>(3, 4));
    EXPECT_EQ(Point2f(LuaObject(state.GetGlobal("f"))), Point2f(0.5f, 4.0f));
}

TEST_F(GeometryTest, PointMetatableBelongsToItsState)
{
    LuaObject stored;
    Point<int>(1, 2).StoreAsLuaObject(stored, state);
    VelkLuaState::Destroy();
    state = VelkLuaState::Create();

    Point<int>(1, 2).StoreAsLuaObject(stored, state);
    SetGlobal("p", stored);
    Point<int>(1, 2).StoreAsLuaObject(stored, state);
    SetGlobal("q", stored);
    EXPECT_TRUE(Eval("getmetatable(p) ~= nil and p == q").GetBoolean());
}

TEST_F(GeometryTest, RectThroughLua)
{
    Rect rect;
    rect.SetRect(Eval("{40000, -1, 70000, -1}"));
    EXPECT_EQ(rect, Rect(-25536, -1, 4464, 65535));

    LuaObject stored;
    Rect(-5, 6, 7, 8).StoreAsLuaObject(stored, state);
    SetGlobal("r", stored);
    EXPECT_TRUE(Eval("#r == 4 and r[1] == -5 and r[2] == 6 and r[3] == 7 and r[4] == 8").GetBoolean());
    rect.SetRect(stored);
    EXPECT_EQ(rect, Rect(-5, 6, 7, 8));

    EXPECT_EQ(FailureOf([&] { rect.SetRect(Eval("{1, 2, 3}")); }), "Object is not an integer, but rather a nil.");
}

TEST_F(GeometryTest, PolyFromScriptTables)
{
    VelkLuaState::LoadStringA(state,
                              "function Square(n) local t = {} for i = 1, n do t[i] = {i, -i} end return t end", 0,
                              0);
    Poly poly;
    poly.SetPoly(Eval("Square(64)"));
    ASSERT_EQ(poly.GetVertices().size(), 64u);
    ASSERT_EQ(poly.GetEdges().size(), 64u);
    EXPECT_EQ(poly.GetEdges()[0].start, Point2f(1, -1));
    EXPECT_EQ(poly.GetEdges()[0].end, Point2f(2, -2));
    EXPECT_EQ(poly.GetEdges()[63].start, Point2f(64, -64));
    EXPECT_EQ(poly.GetEdges()[63].end, Point2f(1, -1));

    // Refusals and empty tables leave the polygon as it was.
    poly.SetPoly(Eval("{}"));
    EXPECT_EQ(FailureOf([&] { poly.SetPoly(Eval("Square(65)")); }), "Assertion failed: (vertexTable.GetN() <= 64)");
    EXPECT_EQ(FailureOf([&] { poly.SetPoly(Eval("nil")); }), "Assertion failed: (vertexTable.IsTable())");
    EXPECT_EQ(FailureOf([&] { poly.SetPoly(Eval("{{0, 0}, 5}")); }),
              "Assertion failed: (Point2f::IsPoint(vertexSpec))\nMessage: number");
    EXPECT_EQ(poly.GetVertices().size(), 64u);
    EXPECT_EQ(poly.GetEdges().size(), 64u);

    poly.SetPoly(Eval("{{x = 1, y = 2}, {r = 2, theta = 0}}"));
    ASSERT_EQ(poly.GetVertices().size(), 2u);
    EXPECT_EQ(poly.GetVertices()[1], Point2f(2, 0));
    EXPECT_EQ(poly.GetEdges()[1].end, Point2f(1, 2));
}

TEST_F(GeometryTest, PolyFromRectAndBackToLua)
{
    Poly poly;
    poly.SetPoly(Rect(10, 20, 30, 40));
    const Point2f corners[] = {{10, 20}, {10, 60}, {40, 60}, {40, 20}};
    ASSERT_EQ(poly.GetVertices().size(), 4u);
    ASSERT_EQ(poly.GetEdges().size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(poly.GetVertices()[i], corners[i]);
        EXPECT_EQ(poly.GetEdges()[i].start, corners[i]);
        EXPECT_EQ(poly.GetEdges()[i].end, corners[(i + 1) % 4]);
    }

    LuaObject stored;
    poly.StoreAsLuaObject(stored, state);
    SetGlobal("poly", stored);
    LuaObject point;
    Point2f(10, 60).StoreAsLuaObject(point, state);
    SetGlobal("corner", point);
    EXPECT_TRUE(Eval("#poly == 4 and poly[2] == corner and poly[3].x == 40 and poly[3].y == 60").GetBoolean());
    Poly copy;
    copy.SetPoly(stored);
    EXPECT_EQ(copy.GetVertices(), poly.GetVertices());
}
