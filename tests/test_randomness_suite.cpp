// The suite's choice of parameters, which tests apply at a length, and the summary over many
// sequences.
#include <gtest/gtest.h>

#include <cmath>

#include <nlohmann/json.hpp>

#include "security/Randomness.h"

namespace {
std::vector<uint8_t> Alternating(size_t n) {
    std::vector<uint8_t> bits(n);
    for (size_t i = 0; i < n; ++i) bits[i] = uint8_t(i % 2);
    return bits;
}

const SuiteOutcome& Find(const std::vector<SuiteOutcome>& o, const std::string& name) {
    for (const SuiteOutcome& x : o)
        if (x.name == name) return x;
    throw std::runtime_error(name);
}
}  // namespace

TEST(RandomnessSuite, ParametersFollowTheLength) {
    SuiteParameters p = ChooseParameters(1000000);
    EXPECT_EQ(p.nBlockBits, 10001u);  // fewer than 100 blocks, each over 1 % of the bits
    EXPECT_EQ(p.nSerialBits, 16);
    EXPECT_EQ(p.nEntropyBits, 10);
    p = ChooseParameters(1000);
    EXPECT_EQ(p.nBlockBits, 20u);
    EXPECT_EQ(p.nSerialBits, 6);   // log2 1000 = 9.97: m < 9 - 2
    EXPECT_EQ(p.nEntropyBits, 3);  // m < 9 - 5
}

TEST(RandomnessSuite, TestsApplyFromTheirShortestLength) {
    std::vector<SuiteOutcome> o = RunSuite(Alternating(99), ChooseParameters(99));
    ASSERT_EQ(o.size(), 11u);
    for (const SuiteOutcome& x : o) EXPECT_FALSE(x.bApplicable) << x.name;
    o = RunSuite(Alternating(38911), ChooseParameters(38911));
    EXPECT_FALSE(Find(o, "rank").bApplicable);
    EXPECT_TRUE(Find(o, "discrete Fourier transform").bApplicable);
    o = RunSuite(Alternating(38912), ChooseParameters(38912));
    EXPECT_TRUE(Find(o, "rank").bApplicable);
    // 0101... is as balanced as can be and fails what looks at its order.
    EXPECT_GT(Find(o, "frequency").dPValue, 0.99);
    EXPECT_LT(Find(o, "runs").dPValue, kAlpha);
    EXPECT_LT(Find(o, "serial 1").dPValue, kAlpha);
    EXPECT_EQ(Find(o, "serial 1").parameter, "m = 12");
    EXPECT_TRUE(std::isnan(Find(RunSuite(Alternating(99), ChooseParameters(99)), "runs").dPValue));
}

TEST(RandomnessSuite, SummaryBandsAndUniformity) {
    // 100 sequences whose P-values spread evenly over the ten bins, one in each hundredth.
    std::vector<std::vector<SuiteOutcome>> runs;
    for (int k = 0; k < 100; ++k) {
        SuiteOutcome o;
        o.name = "t";
        o.bApplicable = true;
        o.dPValue = (k + 0.5) / 100.0;
        runs.push_back({o});
    }
    std::vector<SuiteSummary> s = SummariseSuite(runs);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].nSequences, 100u);
    EXPECT_EQ(s[0].nPassed, 99u);  // only 0.005 is below 0.01
    EXPECT_NEAR(s[0].dLow, 0.99 - 3 * std::sqrt(0.99 * 0.01 / 100), 1e-15);
    EXPECT_EQ(s[0].dHigh, 1.0);
    EXPECT_TRUE(s[0].bProportionOk);
    for (size_t b : s[0].bins) EXPECT_EQ(b, 10u);
    EXPECT_DOUBLE_EQ(s[0].dUniformity, 1.0);  // chi-square 0
    // All in one bin: not uniform, and 20 failures are far below the band.
    for (int k = 0; k < 100; ++k) runs[size_t(k)][0].dPValue = k < 20 ? 0.001 : 0.05;
    s = SummariseSuite(runs);
    EXPECT_FALSE(s[0].bProportionOk);
    EXPECT_FALSE(s[0].bUniformityOk);
    EXPECT_LT(s[0].dUniformity, 1e-10);
    // Under 55 sequences uniformity is not judged; sequences too short are not counted.
    runs.resize(54);
    runs[0][0].bApplicable = false;
    s = SummariseSuite(runs);
    EXPECT_EQ(s[0].nSequences, 53u);
    EXPECT_TRUE(std::isnan(s[0].dUniformity));
    nlohmann::json j = SummaryJson(s);
    EXPECT_TRUE(j[0]["uniformity_p_value"].is_null());
    EXPECT_EQ(j[0]["sequences"], 53);
}
