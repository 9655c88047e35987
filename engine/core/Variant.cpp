#include "engine/core/Variant.h"

#include "engine/core/Exception.h"

Variant::Variant() : m_Type(V_EMPTY), m_Value(0.0) {}
Variant::Variant(bool value) : m_Type(V_BOOL), m_Value(value) {}
Variant::Variant(double value) : m_Type(V_DOUBLE), m_Value(value) {}
Variant::Variant(const std::string& value) : m_Type(V_STRING), m_Value(value) {}
Variant::Variant(const char* value) : m_Type(V_STRING), m_Value(std::string(value)) {}
Variant::~Variant() = default;

bool Variant::ToBool() const
{
    VELK_ASSERT(m_Type == V_BOOL);
    return boost::get<bool>(m_Value);
}

double Variant::ToDouble() const
{
    VELK_ASSERT(m_Type == V_DOUBLE);
    return boost::get<double>(m_Value);
}

std::string Variant::ToString() const
{
    VELK_ASSERT(m_Type == V_STRING);
    return boost::get<std::string>(m_Value);
}
