#include "platform/Clock.h"

#include <chrono>

DWORD GetTickCount() {
    using namespace std::chrono;
    return DWORD(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

BOOL QueryPerformanceCounter(LONGLONG* lpCount) {
    using namespace std::chrono;
    if (!lpCount) return FALSE;
    *lpCount = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LONGLONG* lpFrequency) {
    if (!lpFrequency) return FALSE;
    *lpFrequency = 1000000000LL;
    return TRUE;
}
