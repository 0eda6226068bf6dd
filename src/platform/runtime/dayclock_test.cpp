#include "platform/runtime/dayclock.h"

#include <ctime>

#include <gtest/gtest.h>

namespace mp {
namespace {

TEST(VirtualDayClock, AdvanceRollsTheDateAtMidnight) {
    Date d = Date::fromYmd(2025, 12, 31);
    struct Case {
        double start, step, seconds;
        int days;
    } cases[] = {
        {8 * 3600, 1.5, 8 * 3600 + 1.5, 0},
        {86399, 1, 0, 1},
        {86399.5, 0.25, 86399.75, 0},
        {86000, 3 * 86400 + 500, 100, 4},
        {100, -200, 86300, -1},
    };
    for (const Case& c : cases) {
        VirtualDayClock clock(c.start, d);
        clock.advance(c.step);
        EXPECT_DOUBLE_EQ(clock.seconds(), c.seconds) << c.start << "+" << c.step;
        EXPECT_EQ(clock.today(), d.addDays(c.days)) << c.start << "+" << c.step;
    }
    VirtualDayClock clock(86399, d);
    clock.pause(2);
    EXPECT_EQ(clock.today().toText(), "01/01/2026");
}

TEST(DayClock, InstallAndRestore) {
    VirtualDayClock v(3600);
    setDayClock(&v);
    EXPECT_EQ(&dayClock(), &v);
    dayClock().pause(10);
    EXPECT_DOUBLE_EQ(v.seconds(), 3610);
    setDayClock(nullptr);
    EXPECT_NE(&dayClock(), &v);
}

TEST(RealDayClock, ReadsLocalTime) {
    RealDayClock clock;
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    double expected = tm.tm_hour * 3600.0 + tm.tm_min * 60 + tm.tm_sec;
    double s = clock.seconds();
    // Unless the test runs across midnight, the two readings agree closely.
    if (s > 5 && expected > 5) {
        EXPECT_NEAR(s, expected, 2.0);
        EXPECT_EQ(clock.today(), Date::fromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
    }
    double before = clock.seconds();
    clock.pause(0.05);
    double after = clock.seconds();
    if (after > before) {
        EXPECT_GE(after - before, 0.045);
    }
    clock.pause(-1);  // nothing to wait for
}

TEST(DayClock, ElapsedIsAbsoluteDifference) {
    EXPECT_DOUBLE_EQ(elapsedSeconds(10, 12.5), 2.5);
    EXPECT_DOUBLE_EQ(elapsedSeconds(86399, 1), 86398);  // across midnight: long, so waits expire
}

}  // namespace
}  // namespace mp
