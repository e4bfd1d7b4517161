// Local calendar time, with a replaceable source so that tests can set the clock.
#pragma once

#include <functional>

namespace platform {

struct LocalTime {
    int year = 1970;  // four digits
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;
    int second = 0;
};

// The current local time: from the override when one is set, else the system clock.
LocalTime Now();

// Replaces the clock for the whole process until the returned guard is
// destroyed (tests only).
class ScopedClockOverride {
public:
    explicit ScopedClockOverride(std::function<LocalTime()> source);
    explicit ScopedClockOverride(LocalTime fixed);
    ~ScopedClockOverride();
    ScopedClockOverride(const ScopedClockOverride&) = delete;
    ScopedClockOverride& operator=(const ScopedClockOverride&) = delete;

private:
    std::function<LocalTime()> previous_;
};

}  // namespace platform
