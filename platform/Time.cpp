#include "platform/Time.h"

#include <atomic>

namespace {
std::atomic<bool> g_clockSet{false};
std::atomic<time_t> g_clock{0};
}  // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    m_time = mktime(&t);
}

CTime CTime::GetCurrentTime() { return CTime(g_clockSet ? g_clock.load() : time(nullptr)); }

void CTime::SetClock(time_t t) {
    g_clock = t;
    g_clockSet = true;
}

void CTime::ResetClock() { g_clockSet = false; }

struct tm CTime::Local() const {
    struct tm t = {};
    localtime_r(&m_time, &t);
    return t;
}
