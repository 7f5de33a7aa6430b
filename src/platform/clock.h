#pragma once
#include <string>

namespace tessellon {

struct ClockTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    double fraction = 0.0;  // of the current second
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual ClockTime Now() = 0;
};

class SystemClock final : public Clock {
public:
    ClockTime Now() override;
};

// A clock that always shows one moment: builds with a custom seed become repeatable.
class FrozenClock final : public Clock {
public:
    explicit FrozenClock(ClockTime t) : time_(t) {}
    ClockTime Now() override { return time_; }
    void Set(ClockTime t) { time_ = t; }

private:
    ClockTime time_;
};

// Seconds from a steady clock (not the time of day): what elapsed times shown to the user are
// measured with, so they neither jump with the clock nor freeze with a frozen one.
double MonotonicSeconds();

// Seconds since midnight with fractions, as single precision like the timers expect.
float SecondsSinceMidnight(const ClockTime& t);
std::string DateText(const ClockTime& t);  // YYYY-MM-DD
std::string TimeText(const ClockTime& t);  // HH:MM:SS
// Parses "YYYY-MM-DD HH:MM:SS"; false when the text has another shape or impossible fields.
bool ParseClockText(const std::string& text, ClockTime& out);

}  // namespace tessellon
