#include "expr/functions.h"

#include <gtest/gtest.h>

#include "expr/evaluator.h"
#include "expr/test_support.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"

namespace mp::expr {
namespace {

class Functions : public ::testing::Test {
protected:
    void SetUp() override { setDayClock(&clock); }
    void TearDown() override { setDayClock(nullptr); }

    RecordingErrorHandler handler;
    ScopedErrorHandler scopedHandler{&handler};
    VirtualDayClock clock{8 * 3600 + 5 * 60 + 9.75, Date::fromYmd(2026, 1, 5)};
};

struct Case {
    const char* source;
    Value expected;
};

void expectAll(const std::vector<Case>& cases, const RecordingErrorHandler& handler) {
    for (const Case& c : cases) {
        Value v = evaluate(c.source);
        EXPECT_EQ(v, c.expected) << c.source << " gave [" << v.toDisplay() << "]";
    }
    EXPECT_TRUE(handler.errors.empty()) << handler.errors.size() << " errors, first: "
                                        << (handler.errors.empty() ? "" : handler.errors[0].operation);
}

TEST_F(Functions, NumbersAsTextRoundHalfAwayFromZeroAndOverflowToAsterisks) {
    expectAll({
        {"STR(1234.567,8,2)", " 1234.57"}, {"STR(123456,4)", "****"}, {"STR(1.005,5,2)", " 1.01"},
        {"STR(-1.005,6,2)", " -1.01"}, {"STR(2.5,3)", "  3"}, {"STR(-2.5,3)", " -3"}, {"STR(0.285,4,2)", "0.29"},
        {"STR(-0.001,5,2)", " 0.00"}, {"STR(42)", "        42"}, {"STR(1.5)", "         1.50"},
        {"STR(-12,3)", "-12"}, {"STR(-123,3)", "***"}, {"STR(5,0)", ""}, {"STR(1/3*3,4,1)", " 1.0"},
        {"STRZERO(42,5)", "00042"}, {"STRZERO(-5,5)", "-0005"}, {"STRZERO(12.345,7,2)", "0012.35"},
        {"STRZERO(123456,4)", "****"},
        {"VAL('  20')", 20.0}, {"VAL('-25')", -25.0}, {"VAL('12.5kg')", 12.5}, {"VAL('')", 0.0}, {"VAL('kg')", 0.0},
        {"ROUND(2.5,0)", 3.0}, {"ROUND(-2.5,0)", -3.0}, {"ROUND(1.005,2)", 1.01}, {"ROUND(1234.5678,-2)", 1200.0},
        {"ROUND(2.4999,0)", 2.0}, {"INT(-2.7)", -2.0}, {"INT(2.7)", 2.0}, {"ABS(-3)", 3.0},
        {"MAX(1,2)", 2.0}, {"MIN(1,2)", 1.0}, {"MAX(CTOD('01/01/2026'),CTOD('02/01/2026'))", Date::fromYmd(2026, 1, 2)},
        {"MIN(CTOD('01/01/2026'),CTOD('02/01/2026'))", Date::fromYmd(2026, 1, 1)},
    }, handler);
}

TEST_F(Functions, TransformFillsNinesCommasAndThePoint) {
    expectAll({
        {"TRANSFORM(1234.5,'999,999.99')", "  1,234.50"}, {"TRANSFORM(1234567,'9,999,999')", "1,234,567"},
        {"TRANSFORM(12,'9,999')", "   12"}, {"TRANSFORM(-12.5,'999.9')", "-12.5"},
        {"TRANSFORM(-1234.5,'999,999.99')", " -1,234.50"}, {"TRANSFORM(-123.4,'999.9')", "***.*"},
        {"TRANSFORM(0.5,'999.99')", "  0.50"}, {"TRANSFORM(0.5,'.99')", ".50"}, {"TRANSFORM(12345,'999')", "***"},
        {"TRANSFORM(2.345,'9.99')", "2.35"}, {"TRANSFORM(7,'999 kg')", "  7 kg"}, {"TRANSFORM(0,'999')", "  0"},
        {"TRANSFORM(12.34,'999999.9')", "    12.3"}, {"TRANSFORM('abc','@!')", "ABC"},
        {"TRANSFORM('abc','!XX')", "Abc"}, {"TRANSFORM(.T.,'')", "T"},
    }, handler);
}

TEST_F(Functions, DatesAndTheClock) {
    expectAll({
        {"DTOC(CTOD('05/01/2026'))", "05/01/2026"}, {"DTOC(CTOD(''))", "  /  /    "},
        {"DTOS(CTOD(''))", "        "}, {"DTOS(CTOD('05/01/2026'))", "20260105"},
        {"CTOD('31/02/2026')", Date()}, {"CTOD('hello')", Date()}, {"CTOD('')", Date()},
        {"CTOD('05/01/26')", Date::fromYmd(2026, 1, 5)}, {"CTOD('05/01/70')", Date::fromYmd(1970, 1, 5)},
        {"DATE()", Date::fromYmd(2026, 1, 5)}, {"TIME()", "08:05:09"},
        {"DAY(CTOD('05/01/2026'))", 5.0}, {"MONTH(CTOD('05/01/2026'))", 1.0}, {"YEAR(CTOD('05/01/2026'))", 2026.0},
        {"YEAR(CTOD(''))", 0.0}, {"DOW(CTOD('04/01/2026'))", 1.0},
    }, handler);
}

TEST_F(Functions, TextsAreCutPaddedAndSearchedByBytes) {
    expectAll({
        {"SUBSTR('ABCDEF',2,3)", "BCD"}, {"SUBSTR('ABCDEF',4)", "DEF"}, {"SUBSTR('ABC',5)", ""},
        {"SUBSTR('ABC',0,2)", "AB"}, {"SUBSTR('ABCDEF',-2)", "EF"}, {"SUBSTR('ABC',2,-1)", ""},
        {"SUBSTR('ABC',2,100)", "BC"}, {"SUBSTR('ABC',99999999999999999999)", ""}, {"SUBSTR('ABC',-99999999999999999999,1)", "A"},
        {"LEFT('ABC',2)", "AB"}, {"LEFT('ABC',9)", "ABC"}, {"LEFT('ABC',-1)", ""},
        {"RIGHT('ABC',2)", "BC"}, {"RIGHT('ABC',5)", "ABC"},
        {"ALLTRIM('  a b  ')", "a b"}, {"LTRIM('  a ')", "a "}, {"RTRIM('  a ')", "  a"}, {"TRIM('   ')", ""},
        {"UPPER('abc')", "ABC"}, {"LOWER('ABz')", "abz"},
        {"PADL('ab',4)", "  ab"}, {"PADR('ab',4)", "ab  "}, {"PADC('ab',5)", " ab  "}, {"PADL('abcdef',3)", "abc"},
        {"PADL(12.5,6)", "  12.5"}, {"PADR(CTOD('05/01/2026'),12)", "05/01/2026  "}, {"PADC('x',3,'*')", "*x*"},
        {"PADL('ab',0)", ""},
        {"SPACE(3)", "   "}, {"SPACE(-1)", ""}, {"REPLICATE('ab',3)", "ababab"}, {"REPLICATE('ab',0)", ""},
        {"LEN('abc')", 3.0}, {"LEN('')", 0.0},
        {"AT('c','abcabc')", 3.0}, {"AT('x','abc')", 0.0}, {"AT('','abc')", 0.0},
        {"STRTRAN('a-b-c','-','+')", "a+b+c"}, {"STRTRAN('a-b-c','-')", "abc"}, {"STRTRAN('aaa','a','aa')", "aaaaaa"},
        {"STRTRAN('abc','','x')", "abc"}, {"STRTRAN('a-b-c','-','+',2)", "a-b+c"},
        {"EMPTY('  ')", true}, {"EMPTY('a')", false}, {"EMPTY(0)", true}, {"EMPTY(CTOD(''))", true},
        {"EMPTY(.F.)", true}, {"EMPTY(1)", false}, {"CHR(65)", "A"}, {"ASC('A')", 65.0},
    }, handler);
}

TEST_F(Functions, CaseChangesLeaveThaiLettersAlone) {
    const std::string thai = T("กขค");
    EXPECT_EQ(evaluate("UPPER('ab" + thai + "')"), Value("AB" + thai));
    EXPECT_EQ(evaluate("LOWER('AB" + thai + "')"), Value("ab" + thai));
    EXPECT_EQ(evaluate("LEN('" + thai + "')"), Value(3.0));  // bytes
}

TEST_F(Functions, TextsLongerThanTheLimitAreAStringOverflow) {
    for (const char* source : {"REPLICATE('ab', 40000)", "SPACE(1000000000)", "PADL('x', 70000)", "STR(1, 1000000000)",
                               "STRTRAN(SPACE(60000), ' ', 'xx')", "SPACE(40000) + SPACE(40000)"}) {
        handler.errors.clear();
        EXPECT_EQ(evaluate(source), Value()) << source;
        ASSERT_EQ(handler.errors.size(), 1u) << source;
        EXPECT_EQ(handler.errors[0].genCode, gen::kStringOverflow) << source;
    }
    EXPECT_EQ(evaluate("LEN(SPACE(65535))"), Value(65535.0));
}

TEST_F(Functions, OthersAddTheirsInOneLine) {
    registerFunction("formqty", 1, 2, [](const Arguments& a) -> Value {
        return formatStr(numberArg(a, 0), 10, static_cast<int>(numberArg(a, 1, 2)));
    }, 3001);
    EXPECT_EQ(evaluate("FORMQTY(1234.5)"), Value("   1234.50"));
    EXPECT_EQ(evaluate("FormQty(1234.5, 0)"), Value("      1235"));
    EXPECT_TRUE(handler.errors.empty());

    for (const char* source : {"FORMQTY()", "FORMQTY(1,2,3)", "FORMQTY('x')"}) {
        handler.errors.clear();
        EXPECT_EQ(evaluate(source), Value()) << source;
        ASSERT_EQ(handler.errors.size(), 1u) << source;
        EXPECT_EQ(handler.errors[0].genCode, gen::kArgument) << source;
        EXPECT_EQ(handler.errors[0].subCode, 3001) << source;
        EXPECT_EQ(handler.errors[0].operation, "FORMQTY") << source;
    }
    ASSERT_NE(findFunction("FormQty"), nullptr);
    EXPECT_EQ(findFunction("FormQty")->maxArgs, 2);
    EXPECT_EQ(findFunction("NOSUCHFUNCTION"), nullptr);
}

}  // namespace
}  // namespace mp::expr
