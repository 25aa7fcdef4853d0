// Choosing the cipher's kernels: the program starts on the best one, and only supported ones can
// be chosen.
#include <gtest/gtest.h>

#include "cipher/Isa.h"

TEST(CipherIsaChoice, OnlySupportedKernelsCanBeChosen) {
    CipherIsa best = GetBestCipherIsa();
    EXPECT_TRUE(IsCipherIsaSupported(CIPHER_ISA_SCALAR));
    EXPECT_TRUE(IsCipherIsaSupported(best));
    EXPECT_EQ(GetCipherIsa(), best) << "the program starts on the best kernel";
    for (CipherIsa isa : {CIPHER_ISA_SCALAR, CIPHER_ISA_AVX2, CIPHER_ISA_AVX512}) {
        EXPECT_EQ(SetCipherIsa(isa), IsCipherIsaSupported(isa));
        if (!IsCipherIsaSupported(isa)) {
            EXPECT_NE(GetCipherIsa(), isa);
        }
    }
    SetCipherIsa(best);
}
