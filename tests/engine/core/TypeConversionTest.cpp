#include "engine/core/TypeConversion.h"

#include "engine/core/Color.h"
#include "engine/core/Point.h"
#include "engine/core/Poly.h"
#include "engine/core/Rect.h"
#include "support/CoreFixture.h"

#include <gtest/gtest.h>

namespace {

// One member of every converted type.
class Everything : public Object
{
    VELK_DECLARE_CLASS(Everything)
public:
    bool flag = false;
    Color color;
    double number = 0;
    float fraction = 0;
    int32_t integer = 0;
    LuaObject value;
    MouseButtonSet buttons = 0;
    Point2f motion;
    Point<int> position;
    Poly shape;
    Rect area;
    RectAlignment alignment = RectAlignment::NoAlignment;
    std::string text;
    uint8_t byte = 0;
    uint32_t count = 0;
    GridOrientation orientation = LeftToRight_TopToBottom;
};

template <typename T>
void Member(Class* c, uint32_t type, T Everything::*member, const char* name)
{
    c->RegisterPropertyGetter(CreatePropertyAccessor(type, MemberOf(member), name));
    c->RegisterPropertySetter(CreatePropertyAccessor(type, MemberOf(member), name));
}

void EverythingHook(Class* c)
{
    Member(c, TYPE_BOOL, &Everything::flag, "flag");
    Member(c, TYPE_COLOR, &Everything::color, "color");
    Member(c, TYPE_DOUBLE, &Everything::number, "number");
    Member(c, TYPE_FLOAT, &Everything::fraction, "fraction");
    Member(c, TYPE_INT32, &Everything::integer, "integer");
    Member(c, TYPE_LUAOBJECT, &Everything::value, "value");
    Member(c, TYPE_MOUSEBUTTONSET, &Everything::buttons, "buttons");
    Member(c, TYPE_POINT2F, &Everything::motion, "motion");
    Member(c, TYPE_POINT, &Everything::position, "position");
    Member(c, TYPE_POLY, &Everything::shape, "shape");
    Member(c, TYPE_RECT, &Everything::area, "area");
    Member(c, TYPE_RECTALIGNMENT, &Everything::alignment, "alignment");
    Member(c, TYPE_STRING, &Everything::text, "text");
    Member(c, TYPE_UINT8, &Everything::byte, "byte");
    Member(c, TYPE_UINT32, &Everything::count, "count");
    Member(c, TYPE_GRIDORIENTATION, &Everything::orientation, "orientation");
}

VELK_REGISTER_CLASS(Everything, "Object", EverythingHook, InstantiateObjectOfClass<Everything>);

struct RoundTrip
{
    const char* property;
    const char* written;   // Lua expression assigned to the property
    const char* readBack;  // Lua expression the property then equals (deep comparison)
};

const RoundTrip kRoundTrips[] = {
    {"flag", "true", "true"},
    {"color", "'Red'", "'Red'"},                        // stored by its name
    {"color", "{1, 2, 3}", "{1, 2, 3}"},
    {"color", "{255, 0, 0}", "'Red'"},                  // a named colour comes back by name
    {"number", "0.125", "0.125"},
    {"number", "function() return 4 end", "4"},         // functions are called
    {"fraction", "1.5", "1.5"},
    {"integer", "-12", "-12"},
    {"value", "{ nested = { 1 } }", "{ nested = { 1 } }"},
    {"buttons", "{'RIGHT', 'LEFT', 'LEFT', 7, 'FOO'}", "{'LEFT', 'RIGHT'}"},
    {"buttons", "{'WHEELDOWN', 'MIDDLE'}", "{'MIDDLE', 'WHEELDOWN'}"},
    {"buttons", "'LEFT'", "{}"},
    {"motion", "{x = 1.5, y = -2}", "{x = 1.5, y = -2}"},
    {"position", "{3, 4}", "{x = 3, y = 4}"},
    {"area", "{1, 2, 30, 40}", "{1, 2, 30, 40}"},
    {"alignment", "'MidTop'", "'MidTop'"},
    {"text", "'words'", "'words'"},
    {"byte", "300", "44"},                              // cut to 8 bits
    {"count", "70000", "70000"},
    {"orientation", "'TopToBottom_LeftToRight'", "'TopToBottom_LeftToRight'"},
    {"orientation", "'LeftToRight_TopToBottom'", "'LeftToRight_TopToBottom'"},
};

class TypeConversionTest : public CoreFixture
{
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        Run("function deepEqual(a, b) "
            "  if type(a) ~= 'table' or type(b) ~= 'table' then return a == b end "
            "  for k, v in pairs(a) do if not deepEqual(v, b[k]) then return false end end "
            "  for k in pairs(b) do if a[k] == nil then return false end end return true end");
    }
};

} // namespace

TEST_F(TypeConversionTest, EveryConverterRoundTripsThroughLua)
{
    Everything object;
    state.GetGlobals().SetObject("object", object.GetLuaObject());
    for (const RoundTrip& c : kRoundTrips) {
        std::string script = std::string("object.") + c.property + " = " + c.written + " return deepEqual(object." +
                             c.property + ", " + c.readBack + ")";
        VelkLuaState::LoadStringA(state, script, 0, 1);
        EXPECT_TRUE(state.Stack(-1).GetBoolean()) << c.property << " = " << c.written;
        state.Pop();
    }
    EXPECT_EQ(object.byte, 44);
    EXPECT_EQ(object.buttons, static_cast<MouseButtonSet>(0));
    EXPECT_EQ(object.color, Colors::Red);
}

TEST_F(TypeConversionTest, PolygonsAndWrongTypesThroughProperties)
{
    Everything object;
    state.GetGlobals().SetObject("object", object.GetLuaObject());
    Run("object.shape = {{0, 0}, {4, 0}, {4, 3}}");
    EXPECT_EQ(object.shape.GetVertices().size(), 3u);
    Run("local s = object.shape assert(type(s) == 'table')");
    Run("local ok, e = pcall(function() object.integer = 'seven' end) "
        "assert(not ok and e == 'Object is not an integer, but rather a string.', e)");
    Run("local ok, e = pcall(function() object.orientation = 'Diagonal' end) "
        "assert(not ok and e == 'Assertion failed: (false)', e)");
    object.orientation = static_cast<GridOrientation>(3);
    Run("local ok, e = pcall(function() return object.orientation end) assert(not ok, e)");
    EXPECT_TRUE(IsFieldLightUserData(state.GetGlobals(), "nothing") == false);
    state.GetGlobals().SetLightUserData("pointer", &object);
    EXPECT_TRUE(IsFieldLightUserData(state.GetGlobals(), "pointer"));
}
