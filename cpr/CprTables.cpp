// The fixed tables of the CPR codec's block transform.  They are not stored in CPR files: every
// file depends on these exact values.
#include "cpr/CprTables.h"

// The example luminance quantisation table of baseline JPEG (ITU-T T.81, Annex K, Table K.1),
// with one difference every CPR file carries: 58, not 56, at natural index 35.
const WORD kCprBaseQuant[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,
    12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,
    14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 58, 68,  109, 103, 77,
    24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101,
    72, 92, 95, 98, 112, 100, 103, 99,
};

// Position in the zigzag sequence of each natural index: the coefficient order of baseline JPEG
// (ITU-T T.81, Figure 5), given here as the inverse of that scan.
const short kCprZigzag[64] = {
    0,  1,  5,  6,  14, 15, 27, 28,
    2,  4,  7,  13, 16, 26, 29, 42,
    3,  8,  12, 17, 25, 30, 41, 43,
    9,  11, 18, 24, 31, 40, 44, 53,
    10, 19, 23, 32, 39, 45, 52, 54,
    20, 22, 33, 38, 46, 51, 55, 60,
    21, 34, 37, 47, 50, 56, 59, 61,
    35, 36, 48, 49, 57, 58, 62, 63,
};
