#pragma once

#include <boost/variant.hpp>
#include <string>

// A single setting or script value: a boolean, a number, a text, or nothing.
// The type code decides what the value is; the accessors assert it and never
// convert.
class Variant
{
public:
    enum Type
    {
        V_BOOL = 1,
        V_DOUBLE = 2,
        V_EMPTY = 3,
        V_STRING = 4,
    };

    Variant();
    explicit Variant(bool value);
    explicit Variant(double value);
    explicit Variant(const std::string& value);
    // Without this a string literal would choose the boolean constructor.
    explicit Variant(const char* value);
    Variant(const Variant& other) = default;
    Variant& operator=(const Variant& other) = default;
    virtual ~Variant();

    int GetType() const { return m_Type; }
    bool IsDouble() const { return m_Type == V_DOUBLE; }
    bool IsEmpty() const { return m_Type == V_EMPTY; }
    bool IsString() const { return m_Type == V_STRING; }
    bool IsBool() const { return m_Type == V_BOOL; }

    bool ToBool() const;
    double ToDouble() const;
    std::string ToString() const;

private:
    int m_Type;
    boost::variant<double, std::string, bool> m_Value;
};
