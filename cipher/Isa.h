// The instruction set of the cipher's kernels: the program's one switch (platform/Isa.h), under
// the names the cipher's tests and benchmarks use.  A set is supported when the processor has it
// and the cipher's kernels for it are built.
#pragma once

#include "platform/Isa.h"

using CipherIsa = MoroIsa;
constexpr CipherIsa CIPHER_ISA_SCALAR = MORO_ISA_SCALAR;
constexpr CipherIsa CIPHER_ISA_AVX2 = MORO_ISA_AVX2;
constexpr CipherIsa CIPHER_ISA_AVX512 = MORO_ISA_AVX512;

bool IsCipherIsaSupported(CipherIsa isa);
// The best supported instruction set.
CipherIsa GetBestCipherIsa();
inline CipherIsa GetCipherIsa() { return GetIsa(); }
// Switches the kernels (the codec's too) to isa; refuses (returns false, changing nothing) one
// that is not supported.
bool SetCipherIsa(CipherIsa isa);
inline const char* GetCipherIsaName(CipherIsa isa) { return GetIsaName(isa); }
