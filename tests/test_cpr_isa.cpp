// Choosing the codec's kernels: the program starts on the best one, and only supported ones can
// be chosen.
#include <gtest/gtest.h>

#include "cpr/CprIsa.h"

TEST(CprIsaChoice, OnlySupportedKernelsCanBeChosen) {
    CprIsa best = GetBestCprIsa();
    EXPECT_TRUE(IsCprIsaSupported(CPR_ISA_SCALAR));
    EXPECT_EQ(GetCprIsa(), best) << "the program starts on the best kernel";
    for (CprIsa isa : {CPR_ISA_SCALAR, CPR_ISA_AVX2}) {
        EXPECT_EQ(SetCprIsa(isa), IsCprIsaSupported(isa));
        EXPECT_EQ(GetCprIsa(), IsCprIsaSupported(isa) ? isa : CPR_ISA_SCALAR);
    }
    SetCprIsa(best);
}
