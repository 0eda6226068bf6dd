#include "data/helpers.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/operator.h"
#include "platform/runtime/publics.h"

namespace mp {
namespace {

Date d(int y, int m, int day) { return Date::fromYmd(y, m, day); }

TEST(Helpers, Zero) {
    struct Case {
        double n;
        int width;
        const char* expected;
    };
    const Case cases[] = {
        {7, 4, "0007"},   {12.7, 4, "0012"},  {-5, 4, "00-5"}, {12345, 4, "2345"},
        {-12.7, 4, "0-12"}, {0, 3, "000"}, {-0.4, 2, "00"}, {9999999999.0, 10, "9999999999"}, {5, 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ZERO(c.n, c.width), c.expected) << c.n << " at " << c.width;
}

TEST(Helpers, Zero2UsesTheDisplayPicture) {
    defaultSettings(settings());
    struct Case {
        double n;
        int width;
        const char* expected;
    };
    const Case cases[] = {
        {12.34, 8, "000012.3"}, {12.35, 8, "000012.4"}, {7, 6, "0007.0"},
        {-2.25, 8, "0000-2.3"}, {123.45, 3, "3.5"},    {0.04, 5, "000.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(ZERO2(c.n, c.width), c.expected) << c.n;
    settings().CFORMAT = "9,999";
    EXPECT_EQ(ZERO2(1234.4, 6), "01,234");
    defaultSettings(settings());
}

TEST(Helpers, NumberInPicture) {
    struct Case {
        double n;
        const char* picture;
        const char* expected;
    };
    const Case cases[] = {
        {12.34, "999999.9", "    12.3"}, {0.5, "999999.9", "     0.5"},  {-12.3, "999999.9", "   -12.3"},
        {1234567, "9,999,999", "1,234,567"}, {999, "9,999,999", "      999"}, {1234567.8, "999999.9", "********"},
        {-123456, "999999", "******"},
    };
    for (const auto& c : cases) EXPECT_EQ(numberInPicture(c.n, c.picture), c.expected) << c.n << " " << c.picture;
}

TEST(Helpers, Xround) {
    struct Case {
        double n;
        int decimals;
        bool cdeccor;
        double expected;
    };
    const Case cases[] = {
        {0.125, 2, false, 0.12},  // an exact half rounds toward zero
        {0.125, 2, true, 0.13},
        {2.675, 2, false, 2.67},  // held as 2.67499999...
        {2.675, 2, true, 2.68},
        {-0.125, 2, false, -0.12},
        {-0.126, 2, false, -0.13},
        {1.006, 2, false, 1.01},
        {12.5, 0, false, 12},
        {12.51, 0, false, 13},
        {0.1 + 0.2, 1, false, 0.3},
    };
    std::string cdeccor;
    PublicsScope scope;
    scope.bind("CDECCOR", cdeccor);
    for (const auto& c : cases) {
        cdeccor = c.cdeccor ? "Y" : "N";
        EXPECT_DOUBLE_EQ(XROUND(c.n, c.decimals), c.expected) << c.n << " CDECCOR " << cdeccor;
    }
}

TEST(Helpers, XroundWithoutCdeccor) { EXPECT_DOUBLE_EQ(XROUND(0.125, 2), 0.12); }

TEST(Helpers, Eqcheck) {
    struct Case {
        double a, b;
        bool skip;
        bool expected;
    };
    const Case cases[] = {
        {1.004, 1.0, false, true},
        {1.01, 1.0, false, false},
        {1.01, 1.0, true, true},
        {0.125, 0.12, false, true},  // both round to 0.12
    };
    for (const auto& c : cases) {
        ScriptedOperator op;
        ScopedOperator scoped(&op);
        EXPECT_EQ(EQCHECK("Totals differ", c.a, c.b, c.skip), c.expected) << c.a << " vs " << c.b;
        if (c.expected) {
            EXPECT_TRUE(op.calls.empty());
        } else {
            ASSERT_EQ(op.calls.size(), 1u);
            EXPECT_EQ(op.calls[0].text, "Totals differ");
            EXPECT_EQ(op.calls[0].title, T("  ส่วนตรวจสอบความถูกต้อง"));
        }
    }
}

TEST(Helpers, Selcolor) {
    EXPECT_EQ(SELCOLOR(true), 255);
    EXPECT_EQ(SELCOLOR(false), 0);
}

TEST(Helpers, MonthNames) {
    const char* names[] = {"มกราคม", "กุมภาพันธ์", "มีนาคม", "เมษายน", "พฤษภาคม", "มิถุนายน",
                           "กรกฎาคม", "สิงหาคม", "กันยายน", "ตุลาคม", "พฤศจิกายน", "ธันวาคม"};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(MONTHNAME(m), T(names[m - 1])) << m;
    EXPECT_EQ(MONTHNAME(0), "");
    EXPECT_EQ(MONTHNAME(13), "");
}

TEST(Helpers, BuddhistYear) {
    EXPECT_EQ(BCYEAR(d(2016, 9, 17)), T("วันที่  17  กันยายน  พ.ศ.2559"));
    EXPECT_EQ(BCYEAR(d(2026, 1, 5)), T("วันที่  05  มกราคม  พ.ศ.2569"));
    EXPECT_EQ(BCYEAR(Date()), "");
}

TEST(Helpers, FirstAndLastDay) {
    struct Case {
        Date date, first, last;
    };
    std::vector<Case> cases = {
        {d(2016, 9, 17), d(2016, 9, 1), d(2016, 9, 30)},
        {d(2015, 12, 15), d(2015, 12, 1), d(2015, 12, 31)},
        {d(2015, 2, 10), d(2015, 2, 1), d(2015, 2, 28)},
        {d(2015, 1, 31), d(2015, 1, 1), d(2015, 1, 31)},
        {d(2069, 12, 31), d(2069, 12, 1), d(2069, 12, 31)},
        {Date(), Date(), Date()},
    };
    for (int day = 1; day <= 29; ++day) cases.push_back({d(2016, 2, day), d(2016, 2, 1), d(2016, 2, 29)});
    for (const auto& c : cases) {
        EXPECT_EQ(FIRSTDAY(c.date), c.first) << c.date.toText();
        EXPECT_EQ(LASTDAY(c.date), c.last) << c.date.toText();
    }
}

TEST(Helpers, BitTexts) {
    struct Bin {
        const char* bits;
        int value;
    };
    const Bin bins[] = {{"00000101", 5}, {"1", 1},     {"110000000", 128}, {"  101  ", 5},
                        {"2x1", 1},      {"", 0},      {"11111111", 255},  {"1O1", 5}};
    for (const auto& b : bins) EXPECT_EQ(BIN2DEC(b.bits), b.value) << b.bits;

    struct Dec {
        double n;
        const char* bits;
    };
    const Dec decs[] = {{5, "00000101"},   {255, "11111111"}, {256, "11111111"}, {1000, "11111111"},
                        {0, "00000000"},   {-3, "00000000"},  {5.9, "00000101"}, {128, "10000000"}};
    for (const auto& c : decs) EXPECT_EQ(DEC2BIN(c.n), c.bits) << c.n;

    for (int n = 0; n <= 255; ++n) EXPECT_EQ(BIN2DEC(DEC2BIN(n)), n);
}

TEST(Helpers, Hexadecimal) {
    struct Dec {
        const char* hex;
        double value;
    };
    const Dec decs[] = {{"1F", 31}, {"1f", 16}, {"FF", 255}, {"", 0}, {"G1", 1}, {"100", 256}, {"A0", 160}};
    for (const auto& c : decs) EXPECT_DOUBLE_EQ(HEX2DEC(c.hex), c.value) << c.hex;

    struct Bin {
        const char* hex;
        const char* bits;
    };
    const Bin bins[] = {{"A", "00001010"}, {"F", "00001111"}, {"7", "00000111"},
                        {"0", "00000000"}, {"a", "00000000"}, {"", "00000000"}};
    for (const auto& c : bins) EXPECT_EQ(HEX2BIN(c.hex), c.bits) << c.hex;
}

TEST(Helpers, TdelayWaitsOnTheDayClock) {
    struct Case {
        double start, wait;
        double minMoved, maxMoved;
    };
    const Case cases[] = {
        {8 * 3600, 2.5, 2.5, 2.52},
        {8 * 3600, 0, 0, 0},
        {8 * 3600, -1, 0, 0},
        {86399.5, 2, 0.5, 1.0},  // across midnight the difference looks large: the wait ends
    };
    for (const auto& c : cases) {
        VirtualDayClock clock(c.start, d(2026, 1, 5));
        setDayClock(&clock);
        TDELAY(c.wait);
        const double moved = (clock.today() - d(2026, 1, 5)) * 86400.0 + clock.seconds() - c.start;
        EXPECT_GE(moved, c.minMoved - 1e-9) << c.start << " +" << c.wait;
        EXPECT_LE(moved, c.maxMoved + 1e-9) << c.start << " +" << c.wait;
        setDayClock(nullptr);
    }
}

TEST(Helpers, Split) {
    struct Case {
        const char* text;
        int n;
        const char* sep;
        const char* kind;
        Value expected;
    };
    const Case cases[] = {
        {"A, 12 kg ,7", 2, ",", "N", Value(12.0)},
        {"A, 12 kg ,7", 2, ",", "C", Value(" 12 kg ")},
        {"A, 12 kg ,7", 4, ",", "N", Value(0.0)},
        {"A, 12 kg ,7", 4, ",", "C", Value("")},
        {"A, 12 kg ,7", 3, ",", "n", Value(7.0)},
        {"A, 12 kg ,7", 1, ",", "N", Value(0.0)},
        {"A, 12 kg ,7", 0, ",", "C", Value("")},
        {"A, 12 kg ,7", -1, ",", "N", Value(0.0)},
        {"", 1, ",", "N", Value(0.0)},
        {"", 1, ",", "C", Value("")},
        {"1,,3", 2, ",", "C", Value("")},
        {"x;-2.5;y", 2, ";", "N", Value(-2.5)},
        {"a | b | c", 3, " | ", "C", Value("c")},
        {"a,b", 2, "", "C", Value("b")},
        {"Sand 1,200.5", 1, ";", "N", Value(1200.5)},  // the comma is dropped with the letters
    };
    for (const auto& c : cases) EXPECT_EQ(SPLIT(c.text, c.n, c.sep, c.kind), c.expected) << c.text << " #" << c.n;
    EXPECT_EQ(SPLIT("A, 12 kg ,7", 2), Value(12.0));  // the defaults: "," and "N"
}

}  // namespace
}  // namespace mp
