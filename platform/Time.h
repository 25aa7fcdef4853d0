// CTime: a point in time with its local calendar fields.  The current time comes from a clock
// that tests can set, so dates stamped into images are predictable under test.
#pragma once

#include <ctime>

class CTime {
public:
    CTime() = default;
    explicit CTime(time_t t) : m_time(t) {}
    // Local date and time; the fields are as on a calendar (month 1-12, day 1-31).
    CTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    static CTime GetCurrentTime();
    // Tests: make GetCurrentTime return t (until reset with ResetClock).
    static void SetClock(time_t t);
    static void ResetClock();

    time_t GetTime() const { return m_time; }
    int GetYear() const { return Local().tm_year + 1900; }
    int GetMonth() const { return Local().tm_mon + 1; }
    int GetDay() const { return Local().tm_mday; }
    int GetHour() const { return Local().tm_hour; }
    int GetMinute() const { return Local().tm_min; }
    int GetSecond() const { return Local().tm_sec; }

private:
    struct tm Local() const;
    time_t m_time = 0;
};
