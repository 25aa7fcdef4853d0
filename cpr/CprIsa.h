// Which instruction set the CPR codec's block kernels use.  The best one the processor supports
// is chosen on first use; every kernel gives the same streams and samples, so the choice only
// changes the speed.  Tests and benchmarks set it to compare the kernels with each other.
#pragma once

enum CprIsa {
    CPR_ISA_SCALAR = 0,  // plain C++, any processor
    CPR_ISA_AVX2 = 1,    // AVX2: one row of a block per register
};

bool IsCprIsaSupported(CprIsa isa);
// The best supported instruction set.
CprIsa GetBestCprIsa();
CprIsa GetCprIsa();
// Makes the codec use isa; refuses (returns false, changing nothing) one the processor lacks.
bool SetCprIsa(CprIsa isa);
const char* GetCprIsaName(CprIsa isa);
