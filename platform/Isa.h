// Which instruction set MORO's fast kernels may use: one switch for the cipher and the CPR codec.
// The best one the processor supports is chosen on first use; every kernel gives the same bytes,
// so the choice only changes the speed.  Tests and benchmarks set it to compare the kernels with
// each other, and a kernel family without a form for the chosen set uses its best one below it.
#pragma once

enum MoroIsa {
    MORO_ISA_SCALAR = 0,  // plain C++, any processor
    MORO_ISA_AVX2 = 1,    // AVX2 and FMA
    MORO_ISA_AVX512 = 2,  // AVX-512 F, BW, VL, DQ, VBMI and VBMI2 (byte permutes and expands)
};

// Whether this processor has the instruction set.
bool IsIsaSupported(MoroIsa isa);
// The best supported instruction set.
MoroIsa GetBestIsa();
MoroIsa GetIsa();
// Switches every kernel family to isa; refuses (returns false, changing nothing) one the
// processor lacks.
bool SetIsa(MoroIsa isa);
const char* GetIsaName(MoroIsa isa);
