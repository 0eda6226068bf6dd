#include "expr/scanner.h"

#include <gtest/gtest.h>

#include <vector>

namespace mp::expr {
namespace {

using T = TokenType;

std::vector<Token> scanAll(std::string_view source) {
    Scanner s(source);
    std::vector<Token> out;
    for (;;) {
        Token t = s.next();
        out.push_back(t);
        if (t.type == T::End || t.type == T::Error) return out;
    }
}

std::vector<T> types(std::string_view source) {
    std::vector<T> out;
    for (const Token& t : scanAll(source)) out.push_back(t.type);
    return out;
}

TEST(Scanner, ReadsEveryWordAndSign) {
    const struct { const char* source; std::vector<T> expected; } cases[] = {
        {"a==b", {T::Name, T::EqualEqual, T::Name, T::End}},
        {"a = b", {T::Name, T::Equal, T::Name, T::End}},
        {"a!=b<>c#d", {T::Name, T::NotEqual, T::Name, T::NotEqual, T::Name, T::NotEqual, T::Name, T::End}},
        {"1<=2>=3<4>5", {T::Number, T::LessEqual, T::Number, T::GreaterEqual, T::Number, T::Less,
                         T::Number, T::Greater, T::Number, T::End}},
        {"x:=-1", {T::Name, T::Assign, T::Minus, T::Number, T::End}},
        {"wdata->Number", {T::Name, T::Arrow, T::Name, T::End}},
        {".t. .F. .and. .Or. .NOT. !", {T::True, T::False, T::And, T::Or, T::Not, T::Not, T::End}},
        {"PSUM[3]*2/4$'x'", {T::Name, T::LeftBracket, T::Number, T::RightBracket, T::Star, T::Number,
                             T::Slash, T::Number, T::Dollar, T::Text, T::End}},
        {"f(1,,2)+\t.5", {T::Name, T::LeftParen, T::Number, T::Comma, T::Comma, T::Number, T::RightParen,
                          T::Plus, T::Number, T::End}},
        {"", {T::End}},
        {"   ", {T::End}},
    };
    for (const auto& c : cases) EXPECT_EQ(types(c.source), c.expected) << c.source;
}

TEST(Scanner, TokensAreSlicesWithPositions) {
    std::vector<Token> t = scanAll("  STR( 12.50 , 'a\"b' )");
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[0].text, "STR");
    EXPECT_EQ(t[0].position, 2u);
    EXPECT_EQ(t[2].text, "12.50");
    EXPECT_EQ(t[2].position, 7u);
    EXPECT_EQ(t[4].type, T::Text);
    EXPECT_EQ(t[4].text, "a\"b");  // the other quote is an ordinary character
    EXPECT_EQ(t[4].position, 15u);
    EXPECT_EQ(t[5].position, 21u);
    EXPECT_EQ(t[6].type, T::End);
}

TEST(Scanner, FaultsCarryTheirPosition) {
    const struct { const char* source; size_t position; } cases[] = {
        {"'open", 0}, {"1 + \"open", 4}, {"a ; b", 2}, {"x .XOR. y", 2}, {"1 .", 2}, {".T", 0}, {"a & b", 2},
        {"\x80\xff", 0},
    };
    for (const auto& c : cases) {
        Token last = scanAll(c.source).back();
        EXPECT_EQ(last.type, T::Error) << c.source;
        EXPECT_EQ(last.position, c.position) << c.source;
        EXPECT_NE(last.message, nullptr);
    }
}

TEST(Scanner, NumberStopsBeforeAPointThatIsNotADecimalPoint) {
    EXPECT_EQ(types("1.AND..T."), (std::vector<T>{T::Number, T::And, T::True, T::End}));
    EXPECT_EQ(scanAll("12.5.3")[0].text, "12.5");
}

}  // namespace
}  // namespace mp::expr
