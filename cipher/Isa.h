// Which instruction set the cipher's kernels use.  The best one the processor supports is chosen
// on first use; every kernel gives the same bytes, so the choice only changes the speed.  Tests and
// benchmarks set it to compare the kernels with each other.
#pragma once

enum CipherIsa {
    CIPHER_ISA_SCALAR = 0,  // plain C++, any processor
    CIPHER_ISA_AVX2 = 1,    // AVX2 and FMA
    CIPHER_ISA_AVX512 = 2,  // AVX-512 F, BW, VL, DQ, VBMI and VBMI2 (byte permutes and expands)
};

bool IsCipherIsaSupported(CipherIsa isa);
// The best supported instruction set.
CipherIsa GetBestCipherIsa();
CipherIsa GetCipherIsa();
// Makes the kernels use isa; refuses (returns false, changing nothing) one the processor lacks.
bool SetCipherIsa(CipherIsa isa);
const char* GetCipherIsaName(CipherIsa isa);
