#include "platform/runtime/date.h"

#include <gtest/gtest.h>

namespace mp {
namespace {

TEST(Date, ParseTypedDates) {
    struct Case {
        const char* text;
        const char* shown;  // toText of the result
    } cases[] = {
        {"05/01/2026", "05/01/2026"},
        {"5/1/2026", "05/01/2026"},
        {"05/01/26", "05/01/2026"},
        {"01/01/69", "01/01/2069"},
        {"01/01/70", "01/01/1970"},
        {"31/12/99", "31/12/1999"},
        {"01/01/00", "01/01/2000"},
        {"29/02/2024", "29/02/2024"},
        {"29/02/2023", "  /  /    "},
        {"31/02/2026", "  /  /    "},
        {"31/04/2026", "  /  /    "},
        {"00/01/2026", "  /  /    "},
        {"01/13/2026", "  /  /    "},
        {"  /  /    ", "  /  /    "},
        {"", "  /  /    "},
        {"ab/cd/efgh", "  /  /    "},
        {"01/01/2026x", "  /  /    "},
        {"01-01-2026", "  /  /    "},
        {"29/02/1900", "  /  /    "},
        {"29/02/2000", "29/02/2000"},
    };
    for (const Case& c : cases) EXPECT_EQ(Date::parse(c.text).toText(), c.shown) << c.text;
}

TEST(Date, DtosRoundTripAndBlank) {
    Date d = Date::fromYmd(2026, 3, 7);
    EXPECT_EQ(d.dtos(), "20260307");
    EXPECT_EQ(Date::fromDtos("20260307"), d);
    EXPECT_EQ(Date().dtos(), "        ");
    EXPECT_TRUE(Date::fromDtos("        ").isEmpty());
    EXPECT_TRUE(Date::fromDtos("20260230").isEmpty());
    EXPECT_TRUE(Date::fromDtos("2026030").isEmpty());
    EXPECT_TRUE(Date::fromDtos("2026 307").isEmpty());
}

TEST(Date, DayNumbersAndParts) {
    // 1 January 2000 is Julian day 2451545, a Saturday.
    Date d = Date::fromYmd(2000, 1, 1);
    EXPECT_EQ(d.dayNumber(), 2451545);
    EXPECT_EQ(d.dayOfWeek(), 7);
    EXPECT_EQ(Date::fromYmd(2026, 1, 4).dayOfWeek(), 1);  // a Sunday
    EXPECT_EQ(Date::fromDayNumber(2451545), d);
    EXPECT_EQ(d.year(), 2000);
    EXPECT_EQ(d.month(), 1);
    EXPECT_EQ(d.day(), 1);
    Date empty;
    EXPECT_EQ(empty.dayNumber(), 0);
    EXPECT_EQ(empty.year(), 0);
    EXPECT_EQ(empty.dayOfWeek(), 0);
}

TEST(Date, DayArithmetic) {
    Date d = Date::fromYmd(2024, 2, 28);
    EXPECT_EQ(d.addDays(1).toText(), "29/02/2024");
    EXPECT_EQ(d.addDays(2).toText(), "01/03/2024");
    EXPECT_EQ(Date::fromYmd(2026, 1, 1).addDays(-1).toText(), "31/12/2025");
    EXPECT_EQ(Date::fromYmd(2026, 1, 1) - Date::fromYmd(2025, 1, 1), 365);
    EXPECT_TRUE(Date().addDays(5).isEmpty());
    EXPECT_LT(Date(), Date::fromYmd(1970, 1, 1));
    // Every day of four years survives day number -> parts -> day number.
    Date day = Date::fromYmd(2023, 1, 1);
    for (int i = 0; i < 4 * 366; ++i, day = day.addDays(1))
        ASSERT_EQ(Date::fromYmd(day.year(), day.month(), day.day()), day);
}

}  // namespace
}  // namespace mp
