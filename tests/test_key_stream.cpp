// Key streams as bits against the cipher run on an all-zero image, and the suite on many seeds.
#include <gtest/gtest.h>

#include "cipher/Cipher.h"
#include "platform/Rand.h"
#include "security/KeyStream.h"
#include "tests/support/Keys.h"

namespace {
// The rows of an all-zero 8-bit image of nRowBytes x 1 after the given steps, as bits.
std::vector<uint8_t> ZeroImageBits(int nRowBytes, size_t nBits, void (*encrypt)(KeyState&, CDib&), KeyState& key) {
    CDib dib;
    EXPECT_TRUE(dib.Create(nRowBytes, 1, 8, nullptr, 0));
    encrypt(key, dib);
    std::vector<uint8_t> bits;
    for (size_t i = 0; i < nBits; ++i) bits.push_back((dib.StoredRow(0)[i / 8] >> (7 - i % 8)) & 1);
    return bits;
}
}  // namespace

TEST(KeyStream, ModeOneBitsAreAnEncryptedZeroImage) {
    for (uint32_t seed : {1u, 19u}) {
        KeyState key = moro_test::SeededKey(seed);
        // 1000 bits: 62.5 words, so the last word is cut in the middle of its low byte.
        std::vector<uint8_t> expected = ZeroImageBits(128, 1000, EncryptStream, key);
        EXPECT_EQ(SeedStreamBits(seed, StreamMode::Stream, 1000), expected) << seed;
    }
}

TEST(KeyStream, FrameBitsDrawFromTheKeysGeneratorAndLeaveTheProgramsAlone) {
    // A whole-system frame pass builds the S-box from the states, then XORs the stream; its
    // perturbations draw from where InitKey left the generator.
    KeyState key = moro_test::SeededKey(7);
    const uint32_t nAfterInit = crt::GetRandState();
    std::vector<uint8_t> expected = ZeroImageBits(4096, 32768, [](KeyState& k, CDib& dib) {
        BuildSBox(k.states, k.sbox);
        EncryptFrame(k, dib, true);
    }, key);
    crt::srand(4242);
    EXPECT_EQ(SeedStreamBits(7, StreamMode::Frame, 32768), expected);
    EXPECT_EQ(crt::GetRandState(), 4242u);
    // The stream really depends on the draws: another generator state changes it.
    EXPECT_NE(KeyStreamBits(moro_test::SeededKey(7), nAfterInit + 1, StreamMode::Frame, 32768), expected);
}

TEST(KeyStream, AutocorrelationAgreesWithItsDefinition) {
    std::vector<uint8_t> bits = SeedStreamBits(3, StreamMode::Stream, 1000);
    std::vector<double> r = Autocorrelation(bits, 130);
    ASSERT_EQ(r.size(), 130u);
    for (size_t k : {1, 63, 64, 65, 130}) {
        long long sum = 0;
        for (size_t i = 0; i + k < bits.size(); ++i) sum += (bits[i] ? 1 : -1) * (bits[i + k] ? 1 : -1);
        EXPECT_DOUBLE_EQ(r[k - 1], double(sum) / double(bits.size() - k)) << k;
    }
    // A period-2 sequence correlates -1 at odd lags and +1 at even ones.
    std::vector<uint8_t> alternating(200);
    for (size_t i = 0; i < alternating.size(); ++i) alternating[i] = uint8_t(i % 2);
    std::vector<double> a = Autocorrelation(alternating, 4);
    EXPECT_EQ(a, (std::vector<double>{-1, 1, -1, 1}));
    EXPECT_EQ(Autocorrelation(alternating, 500).size(), 199u);
}

TEST(KeyStream, SuiteOnSeedsTestsEachSeedsOwnStream) {
    const SuiteParameters params = ChooseParameters(4000);
    std::vector<std::vector<SuiteOutcome>> runs = RunSuiteOnSeeds(17, 5, StreamMode::Stream, 4000, params, 2);
    ASSERT_EQ(runs.size(), 5u);
    for (uint32_t k = 0; k < 5; ++k) {
        std::vector<SuiteOutcome> one = RunSuite(SeedStreamBits(17 + k, StreamMode::Stream, 4000), params);
        ASSERT_EQ(runs[k].size(), one.size());
        for (size_t t = 0; t < one.size(); ++t) {
            EXPECT_EQ(runs[k][t].bApplicable, one[t].bApplicable);
            if (one[t].bApplicable) {
                EXPECT_EQ(runs[k][t].dPValue, one[t].dPValue) << k << " " << one[t].name;
            }
        }
    }
}
