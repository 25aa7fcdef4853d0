// The instruction set of the CPR codec's block kernels.  The codec follows the program's one
// switch (platform/Isa.h): it has plain C++ and AVX2 forms (one row of a block fills an AVX2
// register), so with the switch at AVX-512 it uses AVX2.  Every form gives the same streams and
// samples; tests and benchmarks go through each.
#pragma once

#include "platform/Isa.h"

enum CprIsa {
    CPR_ISA_SCALAR = 0,  // plain C++, any processor
    CPR_ISA_AVX2 = 1,    // AVX2
};

bool IsCprIsaSupported(CprIsa isa);
// The best supported form.
CprIsa GetBestCprIsa();
// The form the switch selects.
CprIsa GetCprIsa();
// Sets the program's switch to isa (the cipher's kernels follow it too); refuses (returns false,
// changing nothing) a form that is not supported.
bool SetCprIsa(CprIsa isa);
const char* GetCprIsaName(CprIsa isa);
