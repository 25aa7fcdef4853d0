// The 52-byte header of a CPR file, also carried by every image in memory.
#pragma once

#include "platform/Types.h"

#pragma pack(push, 1)
struct CPRHEADER {
    short wWidth;        // image width, the low 16 bits of the image's width
    short wHeight;       // image height in rows
    BYTE byYear;         // creation date: year - 1900
    BYTE byMonth;        // 1-12
    BYTE byDay;          // 1-31
    BYTE byReserved[38]; // zero in headers made here; carried unchanged from files
    signed char cScale;  // quantisation scale
    BYTE byAlign[2];     // alignment bytes, carried like byReserved
    DWORD dwCodeLen;     // length of the code stream of a single-stream file
};
#pragma pack(pop)

static_assert(sizeof(CPRHEADER) == 52, "CPR header is 52 bytes");
static_assert(offsetof(CPRHEADER, cScale) == 45, "scale at offset 45");
static_assert(offsetof(CPRHEADER, dwCodeLen) == 48, "code length at offset 48");

// Days of a month of the Gregorian calendar; year is the full year, month 1-12.
int DaysInMonth(int year, int month);
