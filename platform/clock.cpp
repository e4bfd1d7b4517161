#include "platform/clock.h"

#include <ctime>
#include <utility>

namespace platform {

namespace {
std::function<LocalTime()>& Source() {
    static std::function<LocalTime()> source;
    return source;
}
}  // namespace

LocalTime Now() {
    if (const auto& source = Source()) return source();
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

ScopedClockOverride::ScopedClockOverride(std::function<LocalTime()> source)
    : previous_(std::exchange(Source(), std::move(source))) {}

ScopedClockOverride::ScopedClockOverride(LocalTime fixed)
    : ScopedClockOverride([fixed] { return fixed; }) {}

ScopedClockOverride::~ScopedClockOverride() { Source() = std::move(previous_); }

}  // namespace platform
