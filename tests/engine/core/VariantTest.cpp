#include "engine/core/Variant.h"

#include "engine/core/Exception.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string FailureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.GetMessage();
    }
    return "no failure";
}

} // namespace

TEST(VariantTest, TypeCodesAndAccessorsNeverConvert)
{
    const Variant empty;
    EXPECT_EQ(empty.GetType(), Variant::V_EMPTY);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(FailureOf([&] { empty.ToDouble(); }), "Assertion failed: (m_Type == V_DOUBLE)");

    const Variant b(true), d(1.0), s(std::string("true")), literal("text");
    EXPECT_EQ(b.GetType(), Variant::V_BOOL);
    EXPECT_EQ(d.GetType(), Variant::V_DOUBLE);
    EXPECT_EQ(s.GetType(), Variant::V_STRING);
    EXPECT_EQ(literal.GetType(), Variant::V_STRING);  // a literal is a string, not a boolean
    EXPECT_TRUE(b.ToBool());
    EXPECT_EQ(d.ToDouble(), 1.0);
    EXPECT_EQ(literal.ToString(), "text");

    EXPECT_EQ(FailureOf([&] { b.ToString(); }), "Assertion failed: (m_Type == V_STRING)");
    EXPECT_EQ(FailureOf([&] { s.ToBool(); }), "Assertion failed: (m_Type == V_BOOL)");
    EXPECT_EQ(FailureOf([&] { d.ToBool(); }), "Assertion failed: (m_Type == V_BOOL)");
}

TEST(VariantTest, CopiesOwnTheirText)
{
    auto source = std::make_unique<Variant>(std::string("kept text"));
    Variant copy(*source);
    source.reset();
    EXPECT_EQ(copy.ToString(), "kept text");
}
