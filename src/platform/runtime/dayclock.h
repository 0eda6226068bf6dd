#pragma once

#include "platform/runtime/date.h"

namespace mp {

// The time of day and today's date. Every wait, timeout and timed step reads
// this clock, so tests run them on a virtual clock without real sleeping.
class DayClock {
public:
    virtual ~DayClock() = default;
    virtual double seconds() const = 0;  // since midnight, with fractions
    virtual Date today() const = 0;
    // Let `secs` pass: the real clock sleeps, the virtual clock moves on.
    virtual void pause(double secs) = 0;
};

class RealDayClock : public DayClock {
public:
    double seconds() const override;
    Date today() const override;
    void pause(double secs) override;
};

// A clock that moves only when told (or when something pauses on it).
// Passing midnight rolls the date on.
class VirtualDayClock : public DayClock {
public:
    explicit VirtualDayClock(double seconds = 8 * 3600, Date today = Date::fromYmd(2026, 1, 5));
    double seconds() const override { return m_seconds; }
    Date today() const override { return m_today; }
    void pause(double secs) override { advance(secs); }
    void advance(double secs);
    void set(double seconds, Date today);

private:
    double m_seconds;
    Date m_today;
};

// The process's clock: the real one unless a test installs another.
DayClock& dayClock();
// Installs `clock` (not owned; nullptr restores the real clock).
void setDayClock(DayClock* clock);

// Elapsed time between two readings as the plant counts it: the absolute
// difference, so a wait that spans midnight looks very long and expires.
double elapsedSeconds(double from, double to);

}  // namespace mp
