#include "platform/runtime/value.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/runtime/numtext.h"

namespace mp {
namespace {

TEST(NumberOf, LeadingNumberOfText) {
    struct Case {
        const char* text;
        double expected;
    } cases[] = {
        {"  20", 20},      {"-25", -25},     {"12.5kg", 12.5}, {"", 0},       {"abc", 0},
        {"-", 0},          {".5", 0.5},      {"-.5", -0.5},    {"1.2.3", 1.2}, {"5.", 5},
        {".", 0},          {"+7", 7},        {"- 5", 0},       {"  15.5", 15.5}, {"\t3", 3},
        {"12 34", 12},     {"1e5", 1},       {"-0", 0},        {"007", 7},    {"20,5", 20},
        {"99999999.99", 99999999.99},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(numberOf(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_FALSE(std::signbit(numberOf("-0.0")));
}

TEST(PlainNumber, NoExponentNoTrailingZeros) {
    struct Case {
        double n;
        const char* expected;
    } cases[] = {
        {12.5, "12.5"},   {-3, "-3"},        {0.001, "0.001"},      {0, "0"},
        {-0.0, "0"},      {0.1 + 0.2, "0.3"}, {1e15, "1000000000000000"}, {100, "100"},
        {-0.00000000001, "0"}, {1234567.891, "1234567.891"}, {2.675 * 100, "267.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(plainNumber(c.n), c.expected) << c.n;
}

TEST(Value, TypeLettersAndDisplay) {
    struct Case {
        Value v;
        char letter;
        const char* display;
    } cases[] = {
        {Value("abc"), 'C', "abc"},
        {Value(2.5), 'N', "2.5"},
        {Value(7), 'N', "7"},
        {Value(Date::fromYmd(2026, 1, 5)), 'D', "05/01/2026"},
        {Value(Date()), 'D', "  /  /    "},
        {Value(true), 'L', ".T."},
        {Value(false), 'L', ".F."},
        {Value::array({Value(1), Value("x")}), 'A', "{ ... }"},
        {Value(), 'U', ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.v.typeLetter(), c.letter);
        EXPECT_EQ(c.v.toDisplay(), c.display);
    }
}

TEST(Value, AccessorOfOtherKindGivesBlank) {
    Value t("12");
    EXPECT_EQ(t.number(), 0);
    EXPECT_TRUE(t.date().isEmpty());
    EXPECT_FALSE(t.logical());
    EXPECT_TRUE(t.elements().empty());
    EXPECT_EQ(Value(3).text(), "");
    // Writing through the elements of a non-array changes nothing lasting.
    Value n(3);
    n.elements().push_back(Value(1));
    EXPECT_TRUE(n.elements().empty());
    EXPECT_EQ(n, Value(3));
}

TEST(Value, ArraysAreSharedByCopiesAndCompareDeeply) {
    Value a = Value::array({Value(1), Value("x")});
    Value b = a;
    b.elements()[0] = Value(9);
    EXPECT_EQ(a.elements()[0], Value(9));
    EXPECT_EQ(Value::array({Value(9), Value("x")}), a);
    EXPECT_NE(Value::array({Value(9)}), a);
}

TEST(Value, EqualityNeedsSameType) {
    EXPECT_NE(Value("1"), Value(1));
    EXPECT_NE(Value(0), Value(false));
    EXPECT_NE(Value(), Value(""));
    EXPECT_EQ(Value(), Value());
    EXPECT_EQ(Value(2), Value(2.0));
    EXPECT_EQ(Value(size_t{3}), Value(3));
    EXPECT_EQ(Value(std::string_view("ab")), Value("ab"));
}

}  // namespace
}  // namespace mp
