// The codec's fixed tables.
#pragma once

#include "platform/Types.h"

// Base quantiser steps, natural order (row by row).
extern const WORD kCprBaseQuant[64];
// Zigzag position of each natural index.
extern const short kCprZigzag[64];
