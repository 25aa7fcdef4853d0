// The plain C++ kernels: one position at a time, with the exact reciprocal form of the map (see
// LaneRecip).  They run on any processor, and are what the program uses when it has neither
// vector kernel.
#include "cipher/Kernels.h"
#include "cipher/Rows.h"

namespace cipher {
namespace {

void PrepareFrameScalar(const WORD params[256], void* consts) {
    LaneRecip* lanes = static_cast<LaneRecip*>(consts);
    for (int k = 0; k < 256; ++k) lanes[k] = MakeRecip(params[k]);
}

void SubstScalar(BYTE* data, size_t n, const BYTE sbox[256]) {
    for (size_t i = 0; i < n; ++i) data[i] = sbox[data[i]];
}

void RunFrameScalar(const void* consts, WORD S[256], const WORD* X, BYTE* data, size_t nBlocks,
                    const BYTE* sbox, bool bSubstFirst) {
    const LaneRecip* lanes = static_cast<const LaneRecip*>(consts);
    for (size_t b = 0; b < nBlocks; ++b, data += kBlockBytes, X += kBlockWords) {
        if (sbox && bSubstFirst) SubstScalar(data, kBlockBytes, sbox);
        for (size_t k = 0; k < kBlockWords; ++k) {
            WORD s = WORD(MapRecip(S[k], lanes[k]) ^ X[k]);
            S[k] = s;
            StoreWord(data + 2 * k, WORD(LoadWord(data + 2 * k) ^ s));
        }
        if (sbox && !bSubstFirst) SubstScalar(data, kBlockBytes, sbox);
    }
}

const Kernels kScalar = {PrepareFrameScalar, RunFrameScalar, SubstScalar, nullptr, nullptr, BuildSBoxCounting};

static_assert(sizeof(LaneRecip) * 256 <= kFrameConstBytes);
}  // namespace

const Kernels& GetScalarKernels() { return kScalar; }
}  // namespace cipher
