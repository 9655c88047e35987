// The converters of the colour and geometry types, by their identifiers.
#include "engine/core/Color.h"
#include "engine/core/Point.h"
#include "engine/core/Poly.h"
#include "engine/core/Rect.h"
#include "engine/core/TypeConversion.h"

namespace {

template <typename T>
void StoreValue(LuaObject& result, LuaState state, const void* native)
{
    static_cast<const T*>(native)->StoreAsLuaObject(result, state);
}

void RetrieveColor(const LuaObject& source, void* native) { static_cast<Color*>(native)->SetColor(source); }
void RetrievePoint2f(const LuaObject& source, void* native) { static_cast<Point<float>*>(native)->SetPoint(source); }
void RetrievePoint(const LuaObject& source, void* native) { static_cast<Point<int>*>(native)->SetPoint(source); }
void RetrievePoly(const LuaObject& source, void* native) { static_cast<Poly*>(native)->SetPoly(source); }
void RetrieveRect(const LuaObject& source, void* native) { static_cast<Rect*>(native)->SetRect(source); }

void StoreAlignment(LuaObject& result, LuaState state, const void* native)
{
    StoreRectAlignmentAsLuaObject(result, state, *static_cast<const RectAlignment*>(native));
}

void RetrieveAlignment(const LuaObject& source, void* native)
{
    *static_cast<RectAlignment*>(native) = RetrieveRectAlignmentFromLuaObject(source);
}

TypeConversionRegistration s_Color(TYPE_COLOR, StoreValue<Color>, RetrieveColor);
TypeConversionRegistration s_Point2f(TYPE_POINT2F, StoreValue<Point<float>>, RetrievePoint2f);
TypeConversionRegistration s_Point(TYPE_POINT, StoreValue<Point<int>>, RetrievePoint);
TypeConversionRegistration s_Poly(TYPE_POLY, StoreValue<Poly>, RetrievePoly);
TypeConversionRegistration s_Rect(TYPE_RECT, StoreValue<Rect>, RetrieveRect);
TypeConversionRegistration s_Alignment(TYPE_RECTALIGNMENT, StoreAlignment, RetrieveAlignment);

} // namespace
