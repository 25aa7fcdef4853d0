// Clocks: the millisecond tick of the window system and a monotonic high-resolution counter.
#pragma once

#include "platform/Types.h"

// Milliseconds since an arbitrary start, wrapping at 2^32.
DWORD GetTickCount();

// A monotonic counter and its frequency in counts per second.
BOOL QueryPerformanceCounter(LONGLONG* lpCount);
BOOL QueryPerformanceFrequency(LONGLONG* lpFrequency);
