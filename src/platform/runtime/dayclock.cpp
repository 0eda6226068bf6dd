#include "platform/runtime/dayclock.h"

#include <cerrno>
#include <cmath>
#include <ctime>

namespace mp {

namespace {

struct LocalNow {
    std::tm tm;
    long nanos;
};

LocalNow localNow() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    LocalNow now{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &now.tm);
    now.nanos = ts.tv_nsec;
    return now;
}

constexpr double kDay = 86400.0;

DayClock* g_clock = nullptr;

}  // namespace

double RealDayClock::seconds() const {
    LocalNow now = localNow();
    return now.tm.tm_hour * 3600.0 + now.tm.tm_min * 60.0 + now.tm.tm_sec + now.nanos / 1e9;
}

Date RealDayClock::today() const {
    LocalNow now = localNow();
    return Date::fromYmd(now.tm.tm_year + 1900, now.tm.tm_mon + 1, now.tm.tm_mday);
}

void RealDayClock::pause(double secs) {
    if (!(secs > 0)) return;
    timespec req{};
    req.tv_sec = static_cast<time_t>(secs);
    req.tv_nsec = static_cast<long>((secs - static_cast<double>(req.tv_sec)) * 1e9);
    if (req.tv_nsec >= 1000000000L) req.tv_nsec = 999999999L;
    timespec rem{};
    while (nanosleep(&req, &rem) != 0 && errno == EINTR) req = rem;
}

VirtualDayClock::VirtualDayClock(double seconds, Date today) : m_seconds(0), m_today(today) {
    advance(seconds);
}

// Moves the time on (or back for a negative amount); each midnight passed
// moves the date by one day.
void VirtualDayClock::advance(double secs) {
    if (!std::isfinite(secs)) return;
    m_seconds += secs;
    int64_t days = static_cast<int64_t>(std::floor(m_seconds / kDay));
    if (days != 0) {
        m_seconds -= static_cast<double>(days) * kDay;
        m_today = m_today.addDays(days);
    }
}

void VirtualDayClock::set(double seconds, Date today) {
    m_seconds = 0;
    m_today = today;
    advance(seconds);
}

DayClock& dayClock() {
    static RealDayClock real;
    return g_clock ? *g_clock : real;
}

void setDayClock(DayClock* clock) { g_clock = clock; }

double elapsedSeconds(double from, double to) { return std::fabs(to - from); }

}  // namespace mp
