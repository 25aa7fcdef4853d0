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

TEST(CprIsaChoice, TheCodecFollowsTheCiphersSwitch) {
    // One switch for every kernel family: forcing the cipher's plain C++ kernels forces the
    // codec's too, and its best set takes the codec to its best form.
    MoroIsa previous = GetIsa();
    ASSERT_TRUE(SetIsa(MORO_ISA_SCALAR));
    EXPECT_EQ(GetCprIsa(), CPR_ISA_SCALAR);
    ASSERT_TRUE(SetIsa(GetBestIsa()));
    EXPECT_EQ(GetCprIsa(), GetBestCprIsa());
    SetIsa(previous);
}
