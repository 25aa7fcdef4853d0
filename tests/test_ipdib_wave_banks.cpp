// The table of wavelet filter banks and their selection by name.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "ipdib/IPDib.h"
#include "ipdib/TransformInternal.h"

namespace {

std::vector<double> Filter(const double* p, int n) { return std::vector<double>(p, p + n); }

}  // namespace

TEST(WaveBanks, TheTableInLookupOrder) {
    const char* kNames[] = {"haar", "db2", "db3", "db4", "db5", "db6", "db7", "db8", "bior1.3", "bior1.5", "bior2.2",
                            "bior2.4", "bior2.6", "bior2.8", "bior3.1", "bior3.3", "bior3.5", "bior3.7", "bior3.9",
                            "bior4.4", "bior5.5", "bior6.8", "sym2", "sym3", "sym4", "sym5", "sym6", "sym7", "sym8",
                            "coif1", "coif2", "coif3"};
    const int kLengths[] = {2, 4, 6, 8, 10, 12, 14, 16, 6, 10, 6, 10, 14, 18, 4, 8, 12, 16, 20, 10, 12, 18,
                            4, 6, 8, 10, 12, 14, 16, 6, 12, 18};
    ASSERT_EQ(CIPDib::WaveletCount(), 32);
    EXPECT_EQ(CIPDib::WaveletName(32), nullptr);
    EXPECT_EQ(CIPDib::WaveletName(-1), nullptr);
    for (int i = 0; i < 32; ++i) {
        const ipdib::WaveBank* bank = ipdib::WaveBankAt(i);
        SCOPED_TRACE(kNames[i]);
        EXPECT_STREQ(CIPDib::WaveletName(i), kNames[i]);
        EXPECT_EQ(bank->nLength, kLengths[i]);
        // Both filters of every bank are scaled so that the low-pass one sums to sqrt 2 and the
        // high-pass one to 0: four-place values miss that by a few units of the last place.
        double lo = 0, hi = 0;
        for (int j = 0; j < bank->nLength; ++j) {
            lo += bank->lpLoD[j];
            hi += bank->lpHiD[j];
        }
        EXPECT_NEAR(lo, std::sqrt(2.0), 0.0004);
        EXPECT_NEAR(hi, 0.0, 0.0004);
        // An orthogonal bank's high-pass filter is the alternating-sign reversal of its low-pass.
        if (std::string(kNames[i]).rfind("bior", 0) != 0) {
            for (int j = 0; j < bank->nLength; ++j)
                EXPECT_EQ(bank->lpHiD[j], (j % 2 ? 1 : -1) * bank->lpLoD[bank->nLength - 1 - j]);
        }
    }
    // A few values straight from the table.
    EXPECT_EQ(ipdib::WaveBankAt(7)->lpLoD[9], 0.0005);     // db8
    EXPECT_EQ(ipdib::WaveBankAt(18)->lpLoD[8], 0.0021);    // bior3.9
    EXPECT_EQ(ipdib::WaveBankAt(20)->lpHiD[5], 0.8995);    // bior5.5
    EXPECT_EQ(ipdib::WaveBankAt(21)->lpHiD[4], -0.0145);   // bior6.8
    EXPECT_EQ(ipdib::WaveBankAt(31)->lpLoD[0], 0.0);       // coif3
}

TEST(WaveBanks, SelectionByNameAndTheDerivedFilters) {
    CIPDib dib;
    EXPECT_TRUE(dib.SetWavelet("HAAR"));
    EXPECT_STREQ(dib.m_strWavelet, "haar");
    EXPECT_EQ(Filter(dib.m_pWaveHiD, 2), (std::vector<double>{-0.7071, 0.7071}));
    EXPECT_TRUE(dib.SetWavelet("Haar"));

    ASSERT_TRUE(dib.SetWavelet("db2"));
    EXPECT_EQ(dib.m_nWaveLoRLen, 4);
    EXPECT_EQ(Filter(dib.m_pWaveLoR, 4), (std::vector<double>{0.483, 0.8365, 0.2241, -0.1294}));
    EXPECT_EQ(Filter(dib.m_pWaveHiR, 4), (std::vector<double>{-0.1294, -0.2241, 0.8365, -0.483}));

    // A second bank replaces all four filters and their lengths.
    ASSERT_TRUE(dib.SetWavelet("bior2.2"));
    EXPECT_EQ(dib.m_nWaveLoDLen, 6);
    EXPECT_EQ(dib.m_nWaveHiRLen, 6);
    EXPECT_EQ(Filter(dib.m_pWaveLoR, 6), (std::vector<double>{0, 0.3536, 0.7071, 0.3536, 0, 0}));
    EXPECT_EQ(Filter(dib.m_pWaveHiR, 6), (std::vector<double>{0, 0.1768, 0.3536, -1.0607, 0.3536, 0.1768}));

    for (auto [db, sym] : {std::pair{"db2", "sym2"}, std::pair{"db3", "sym3"}}) {
        CIPDib a, b;
        ASSERT_TRUE(a.SetWavelet(db));
        ASSERT_TRUE(b.SetWavelet(sym));
        EXPECT_EQ(Filter(a.m_pWaveLoD, a.m_nWaveLoDLen), Filter(b.m_pWaveLoD, b.m_nWaveLoDLen));
        EXPECT_EQ(Filter(a.m_pWaveHiR, a.m_nWaveHiRLen), Filter(b.m_pWaveHiR, b.m_nWaveHiRLen));
    }
}

TEST(WaveBanks, AnUnknownNameLeavesTheBankInForce) {
    CIPDib dib;
    EXPECT_FALSE(dib.SetWavelet("db9"));
    EXPECT_EQ(dib.m_pWaveLoD, nullptr);
    EXPECT_TRUE(dib.m_strWavelet.IsEmpty());
    ASSERT_TRUE(dib.SetWavelet("coif1"));
    for (const char* name : std::initializer_list<const char*>{"coif1 ", "", "bior1", "sym", nullptr}) {
        EXPECT_FALSE(dib.SetWavelet(name));
        EXPECT_STREQ(dib.m_strWavelet, "coif1");
        EXPECT_EQ(dib.m_nWaveLoDLen, 6);
        EXPECT_EQ(dib.m_pWaveLoD[3], 0.8526);
    }
}
