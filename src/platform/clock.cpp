#include "platform/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace tessellon {

ClockTime SystemClock::Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(now);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &secs);
#else
    localtime_r(&secs, &local);
#endif
    const auto sinceSecond = now - system_clock::from_time_t(secs);
    ClockTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.fraction = duration<double>(sinceSecond).count();
    if (t.fraction < 0 || t.fraction >= 1) t.fraction = 0;
    return t;
}

double MonotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

float SecondsSinceMidnight(const ClockTime& t) {
    return static_cast<float>(t.hour * 3600.0 + t.minute * 60.0 + t.second + t.fraction);
}

std::string DateText(const ClockTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buf;
}

std::string TimeText(const ClockTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

bool ParseClockText(const std::string& text, ClockTime& out) {
    ClockTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &tail) != 6)
        return false;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
        t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return false;
    t.fraction = 0;
    out = t;
    return true;
}

}  // namespace tessellon
