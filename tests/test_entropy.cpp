// The codec's entropy coding: code streams bit by bit, restart markers and the DC predictor,
// round trips against block-by-block coding, short or damaged streams, and the fast coder and
// decoder against the literal ones on every kernel.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cpr/reference/Literal.h"
#include "dib/Dib.h"
#include "tests/support/CprIsas.h"
#include "tests/support/Images.h"

using namespace moro_test;

namespace {

std::vector<BYTE> Stream(const CDib& dib) { return std::vector<BYTE>(dib.code_stream, dib.code_stream + dib.m_nCodeLen); }

// The coder's output as text, stuffed zero bytes left out, for comparing with codes.
std::string Bits(const CDib& dib) {
    std::string s;
    for (int i = 0; i <= dib.m_nCodeLen && i < dib.m_nImageSize; ++i) {
        if (i > 0 && dib.code_stream[i - 1] == 0xFF) continue;
        int n = i < dib.m_nCodeLen ? 8 : 8 - dib.m_nBitsLeft;
        for (int b = 0; b < n; ++b) s += ((dib.code_stream[i] >> (7 - b)) & 1) ? '1' : '0';
    }
    return s;
}

std::string Code(WORD code, int size) {
    std::string s;
    for (int i = size - 1; i >= 0; --i) s += ((code >> i) & 1) ? '1' : '0';
    return s;
}

// Prepares the coder by hand for one block.
void StartCoder(CDib& dib) {
    std::memset(dib.code_stream, 0, size_t(dib.m_nImageSize));
    dib.m_nCodeLimit = dib.m_nImageSize;
    dib.m_bCodeFull = FALSE;
    dib.m_nCodeLen = 0;
    dib.m_nBitsLeft = 8;
    dib.m_nLastDC = 0;
}

int MaxError(const CDib& a, const CDib& b, int nBytesPerRow) {
    int worst = 0;
    for (int r = 0; r < a.m_nHeight; ++r)
        for (int x = 0; x < nBytesPerRow; ++x)
            worst = std::max(worst, std::abs(int(a.m_lpBits[size_t(r) * a.m_nRowBytes + x]) -
                                             int(b.m_lpBits[size_t(r) * b.m_nRowBytes + x])));
    return worst;
}

}  // namespace

TEST(CprStream, MidGreyBlockIsFiveBytes) {
    for (short scale : {3, 20, 50, 127}) {
        CDib dib;
        ASSERT_TRUE(dib.Create(8, 8, 8, nullptr, 128));
        ASSERT_TRUE(dib.EncodePlane(scale, 0));
        EXPECT_EQ(Stream(dib), (std::vector<BYTE>{0x2B, 0xFF, 0xD0, 0xFF, 0xD9})) << scale;
        EXPECT_EQ(dib.m_cprHeader.dwCodeLen, 5u);
        EXPECT_EQ(dib.m_cprHeader.cScale, scale);
        EXPECT_EQ(dib.m_cprHeader.wWidth, 8);
        dib.Fill(7);
        EXPECT_TRUE(dib.DecodePlane(0));
        for (int n = 0; n < 64; ++n) ASSERT_EQ(dib.m_lpBits[n], 128);
        EXPECT_EQ(dib.code_stream[0], 0);  // cleared for the next stream
    }
}

TEST(CprStream, PlanesWithoutAWholeBlock) {
    {
        CDib dib;  // 7 rows: no row of blocks
        ASSERT_TRUE(dib.Create(20, 7, 8, nullptr, 99));
        ASSERT_TRUE(dib.EncodePlane(50, 0));
        EXPECT_EQ(Stream(dib), (std::vector<BYTE>{0xFF, 0xD9}));
        EXPECT_TRUE(dib.DecodePlane(0));
        for (int n = 0; n < dib.m_nImageSize; ++n) ASSERT_EQ(dib.m_lpBits[n], 99);
    }
    CDib rgb;  // planes of 5 pixels: no block at all
    ASSERT_TRUE(rgb.Create(5, 16, 24, nullptr, 3));
    ASSERT_TRUE(rgb.SplitPlanes());
    ASSERT_TRUE(rgb.EncodePlane(50, 1));
    EXPECT_EQ(Stream(rgb), (std::vector<BYTE>{0xFF, 0xD9}));
}

TEST(CprStream, RestartMarkerAfterEveryRowOfBlocks) {
    CDib dib;
    MakePicture(dib, 16, 72, 8);
    ASSERT_TRUE(dib.EncodePlane(50, 0));
    std::vector<BYTE> s = Stream(dib);
    std::vector<int> markers;
    for (size_t i = 0; i + 1 < s.size(); ++i)
        if (s[i] == 0xFF && s[i + 1] != 0x00) markers.push_back(s[++i]);
    EXPECT_EQ(markers, (std::vector<int>{0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD0, 0xD9}));
    EXPECT_EQ(s.back(), 0xD9);
}

TEST(CprStream, CodesOfValuesRunsAndEndOfBlock) {
    CDib dib;
    ASSERT_TRUE(dib.Create(64, 64, 8));
    StartCoder(dib);
    dib.EncodeDC(-1);
    dib.EncodeDC(-3);
    dib.EncodeDC(3);
    EXPECT_EQ(Bits(dib), "010" "0" "011" "00" "011" "11");

    // 20 zeros between two values: a run of 16 and a run of 4; zeros to the end: EOB.
    StartCoder(dib);
    std::fill(dib.m_nZigzag, dib.m_nZigzag + 64, 0);
    dib.m_nZigzag[1] = 1;
    dib.m_nZigzag[22] = 1;
    dib.EncodeBlock();
    std::string expected = "00" + Code(dib.m_wAcCode[0x01], dib.m_byAcSize[0x01]) + "1" + "11111111001" +
                           Code(dib.m_wAcCode[0x41], dib.m_byAcSize[0x41]) + "1" + "1010";
    EXPECT_EQ(Bits(dib), expected);

    // A last coefficient that is not zero ends the block without EOB.
    StartCoder(dib);
    std::fill(dib.m_nZigzag, dib.m_nZigzag + 64, 0);
    dib.m_nZigzag[63] = -1;
    dib.EncodeBlock();
    expected = "00" + std::string("11111111001") + "11111111001" + "11111111001" +  // 48 zeros
               Code(dib.m_wAcCode[0xE1], dib.m_byAcSize[0xE1]) + "0";              // 14 more, then -1
    EXPECT_EQ(Bits(dib), expected);
}

TEST(CprStream, DcPredictorRestartsOnEveryRow) {
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 16, 8, nullptr, 200));
    ASSERT_TRUE(dib.EncodePlane(50, 0));
    std::vector<BYTE> s = Stream(dib);
    // Both rows code the full DC of 36 (category 6), not a difference of 0.
    CDib one;
    ASSERT_TRUE(one.Create(8, 8, 8, nullptr, 200));
    ASSERT_TRUE(one.EncodePlane(50, 0));
    std::vector<BYTE> row = Stream(one);
    row.resize(row.size() - 2);  // without FF D9
    std::vector<BYTE> twice = row;
    twice.insert(twice.end(), row.begin(), row.end());
    twice[twice.size() - 1] = 0xD1;
    twice.push_back(0xFF);
    twice.push_back(0xD9);
    EXPECT_EQ(s, twice);
}

TEST(CprStream, RoundTripsOfManyPicturesDecodeAsTheirBlocks) {
    // Every stream decodes to the same samples as coding and decoding each block on its own;
    // 0xFF data bytes are stuffed, including at the end of a row, and decoding goes on right
    // after each marker.
    std::mt19937 rng(7);
    int stuffedAtRowEnd = 0, stuffedExactlyAtEnd = 0;
    for (int round = 0; round < 400; ++round) {
        CDib dib;
        ASSERT_TRUE(dib.Create(16, 16, 8));
        for (int n = 0; n < dib.m_nImageSize; ++n) dib.m_lpBits[n] = BYTE(round % 2 ? rng() : 120 + rng() % 20);
        CDib original;
        original.Copy(dib);
        short scale = short(3 + rng() % 125);
        ASSERT_TRUE(dib.EncodePlane(scale, 0));
        std::vector<BYTE> s = Stream(dib);
        for (size_t i = 0; i + 1 < s.size(); ++i) {
            if (s[i] != 0xFF) continue;
            ASSERT_TRUE(s[i + 1] == 0x00 || (s[i + 1] >= 0xD0 && s[i + 1] <= 0xD7) || s[i + 1] == 0xD9);
            if (s[i + 1] == 0x00 && i + 3 < s.size() && s[i + 2] == 0xFF && s[i + 3] == 0xD0) {
                // The byte before the marker: completed by fill bits, or exactly by data.
                ++stuffedAtRowEnd;
                if ((s[i] & 1) == 1) ++stuffedExactlyAtEnd;
            }
            if (s[i + 1] != 0x00) ++i; else ++i;
        }
        // Reference: each row of blocks coded as an image of its own.
        CDib expected;
        expected.Copy(original);
        for (int row = 0; row < 2; ++row) {
            CDib part;
            ASSERT_TRUE(part.Create(16, 8, 8));
            std::memcpy(part.m_lpBits, original.m_lpBits + row * 8 * 16, 128);
            ASSERT_TRUE(part.EncodePlane(scale, 0));
            ASSERT_TRUE(part.DecodePlane(0));
            std::memcpy(expected.m_lpBits + row * 8 * 16, part.m_lpBits, 128);
        }
        ASSERT_TRUE(dib.DecodePlane(0));
        ASSERT_EQ(std::vector<BYTE>(dib.m_lpBits, dib.m_lpBits + 256),
                  std::vector<BYTE>(expected.m_lpBits, expected.m_lpBits + 256))
            << "round " << round;
    }
    EXPECT_GT(stuffedAtRowEnd, 0) << "no stream had a stuffed byte just before a marker";
}

TEST(CprStream, ShortStreamsStopAndDamagedStreamsAreAbsorbed) {
    CDib dib;
    MakePicture(dib, 32, 32, 8);
    CDib original;
    original.Copy(dib);
    ASSERT_TRUE(dib.EncodePlane(50, 0));
    std::vector<BYTE> s = Stream(dib);

    // Cut after the first row of blocks: FALSE, the first row decoded, the rest untouched.
    size_t firstMarker = 0;
    while (!(s[firstMarker] == 0xFF && s[firstMarker + 1] == 0xD0)) ++firstMarker;
    dib.Fill(0);
    std::memcpy(dib.code_stream, s.data(), s.size());
    dib.m_nCodeLen = int(firstMarker + 2);
    EXPECT_FALSE(dib.DecodePlane(0));
    EXPECT_LE(MaxError(dib, original, 32) > 0 ? 1 : 0, 1);
    for (int n = 8 * 32 * 2; n < dib.m_nImageSize; ++n) ASSERT_EQ(dib.m_lpBits[n], 0) << n;
    bool decodedFirstRow = false;
    for (int n = 0; n < 8 * 32; ++n) decodedFirstRow |= dib.m_lpBits[n] != 0;
    EXPECT_TRUE(decodedFirstRow);

    // Random damage anywhere: decoding never reads outside the stream and ends.
    std::mt19937 rng(3);
    for (int round = 0; round < 300; ++round) {
        std::vector<BYTE> bad = s;
        for (int k = 0; k < 1 + int(rng() % 6); ++k) bad[rng() % bad.size()] = BYTE(rng());
        bad.resize(1 + rng() % bad.size());
        std::memset(dib.code_stream, 0, size_t(dib.m_nImageSize));
        std::memcpy(dib.code_stream, bad.data(), bad.size());
        dib.m_nCodeLen = int(bad.size());
        if (dib.DecodePlane(0)) {
            ASSERT_EQ(dib.code_stream[0], 0);
        }
    }
    // A length beyond the buffer is held to the buffer.
    std::memcpy(dib.code_stream, s.data(), s.size());
    dib.m_nCodeLen = INT_MAX;
    dib.DecodePlane(0);
}

TEST(CprStream, BadScalesAndDepthsAreRefused) {
    CDib dib;
    ASSERT_TRUE(dib.Create(16, 16, 8, nullptr, 1));
    for (short scale : {-5, 0, 1, 2, 128, 1000}) EXPECT_FALSE(dib.EncodePlane(scale, 0)) << scale;
    CDib four;
    ASSERT_TRUE(four.Create(16, 16, 4));
    EXPECT_FALSE(four.EncodePlane(50, 0));
    EXPECT_FALSE(four.DecodePlane(0));
    CDib rgb;
    ASSERT_TRUE(rgb.Create(16, 16, 24));
    EXPECT_FALSE(rgb.EncodePlane(50, 2));  // no colour planes yet
    EXPECT_FALSE(rgb.DecodePlane(3));
}

TEST(CprStream, BusyPicturesAtSmallScalesGrowTheBuffer) {
    CDib dib;
    ASSERT_TRUE(dib.Create(64, 64, 24));
    std::mt19937 rng(11);
    for (int n = 0; n < dib.m_nImageSize; ++n) dib.m_lpBits[n] = BYTE(rng());
    CDib original;
    original.Copy(dib);
    ASSERT_TRUE(dib.EncodePlane(3, 0));
    EXPECT_GT(dib.m_nCodeLen, dib.m_nImageSize);
    EXPECT_EQ(dib.code_stream[dib.m_nCodeLen - 1], 0xD9);
    ASSERT_TRUE(dib.DecodePlane(0));
    EXPECT_LE(MaxError(dib, original, 64 * 3), 8);
}

// ---- the fast coder and decoder against the literal ones ----

namespace {

// The same picture coded by the literal coder into 'lit' and by the fast one into 'fast'.
void CodeBoth(CDib& fast, CDib& lit, short scale, BYTE plane) {
    bool fastOk = fast.EncodePlane(scale, plane), litOk = literal::EncodePlane(lit, scale, plane);
    ASSERT_EQ(fastOk, litOk);
    ASSERT_EQ(Stream(fast), Stream(lit));
    ASSERT_EQ(std::memcmp(&fast.m_cprHeader, &lit.m_cprHeader, sizeof(CPRHEADER)), 0);
}

// Puts a stream into an image's buffer as a load would, m_nCodeLen set to nCodeLen.
void SetStream(CDib& dib, const std::vector<BYTE>& s, int nCodeLen) {
    ASSERT_TRUE(dib.GrowCodeStream(s.size() + 1));
    size_t cap = HeapSize(dib.m_hHeap, 0, dib.code_stream);
    std::memset(dib.code_stream, 0, cap);
    std::memcpy(dib.code_stream, s.data(), s.size());
    dib.m_nCodeLen = nCodeLen;
}

// Decodes the same stream with both decoders into two copies of one image; everything the
// decoders leave behind must agree.
void DecodeBoth(const CDib& image, const std::vector<BYTE>& s, int nCodeLen, BYTE plane) {
    CDib fast, lit;
    fast.Copy(image);
    lit.Copy(image);
    if (plane) {
        ASSERT_TRUE(fast.SplitPlanes());
        ASSERT_TRUE(lit.SplitPlanes());
    }
    SetStream(fast, s, nCodeLen);
    SetStream(lit, s, nCodeLen);
    BOOL fastOk = fast.DecodePlane(plane), litOk = literal::DecodePlane(lit, plane);
    ASSERT_EQ(fastOk, litOk);
    ASSERT_EQ(fast.m_nBitPos, lit.m_nBitPos);
    ASSERT_EQ(fast.m_nLastDC, lit.m_nLastDC);
    const BYTE* a = plane == 0 ? fast.m_lpBits : plane == 1 ? fast.m_pRedPlane : plane == 2 ? fast.m_pGreenPlane : fast.m_pBluePlane;
    const BYTE* b = plane == 0 ? lit.m_lpBits : plane == 1 ? lit.m_pRedPlane : plane == 2 ? lit.m_pGreenPlane : lit.m_pBluePlane;
    size_t n = plane == 0 ? size_t(fast.m_nImageSize) : size_t(fast.m_nWidth) * size_t(fast.m_nHeight);
    ASSERT_EQ(std::vector<BYTE>(a, a + n), std::vector<BYTE>(b, b + n));
    size_t cap = HeapSize(fast.m_hHeap, 0, fast.code_stream);
    ASSERT_EQ(std::vector<BYTE>(fast.code_stream, fast.code_stream + cap), std::vector<BYTE>(lit.code_stream, lit.code_stream + cap));
}

// Damage of the kinds that matter to the decoder: bytes that make or break markers and stuffed
// zeros, flipped bits, cuts, and lengths that disagree with the data.
std::vector<BYTE> Damage(std::vector<BYTE> s, std::mt19937& rng, int& nCodeLen) {
    static const BYTE kBytes[] = {0x00, 0xFF, 0xD9, 0xD0, 0xD3, 0x01, 0x80, 0x7F};
    int hits = 1 + int(rng() % 4);
    for (int i = 0; i < hits && !s.empty(); ++i) {
        size_t at = rng() % s.size();
        switch (rng() % 4) {
            case 0: s[at] = kBytes[rng() % 8]; break;
            case 1: s[at] ^= BYTE(1 << (rng() % 8)); break;
            case 2: s.insert(s.begin() + long(at), {0xFF, kBytes[rng() % 8]}); break;
            default: s.erase(s.begin() + long(at)); break;
        }
    }
    if (rng() % 3 == 0 && !s.empty()) s.resize(rng() % s.size());
    nCodeLen = int(s.size());
    if (rng() % 4 == 0) nCodeLen = int(rng() % (s.size() + 8));
    return s;
}

}  // namespace

TEST(CprStreamFastForms, StreamsAndSamplesMatchTheLiteralCoderAndDecoder) {
    std::mt19937 rng(23);
    ForEachCprIsa([&](CprIsa) {
        for (int round = 0; round < 150; ++round) {
            int w = 1 + int(rng() % 70), h = 1 + int(rng() % 50), bits = rng() % 2 ? 8 : 24;
            short scale = short(3 + rng() % 125);
            CDib fast;
            if (round % 3 == 0) {
                ASSERT_TRUE(fast.Create(w, h, bits));
                for (int n = 0; n < fast.m_nImageSize; ++n) fast.m_lpBits[n] = BYTE(rng());
            } else {
                MakePicture(fast, w, h, bits, unsigned(round));
            }
            CDib lit;
            lit.Copy(fast);
            BYTE plane = bits == 24 && rng() % 2 ? BYTE(1 + rng() % 3) : 0;
            if (plane) {
                ASSERT_TRUE(fast.SplitPlanes());
                ASSERT_TRUE(lit.SplitPlanes());
            }
            SCOPED_TRACE(testing::Message() << w << "x" << h << "x" << bits << " scale " << scale << " plane " << int(plane));
            CodeBoth(fast, lit, scale, plane);
            std::vector<BYTE> s = Stream(fast);
            DecodeBoth(fast, s, int(s.size()), plane);
            for (int d = 0; d < 12; ++d) {
                int nCodeLen = 0;
                std::vector<BYTE> bad = Damage(s, rng, nCodeLen);
                DecodeBoth(fast, bad, nCodeLen, plane);
            }
        }
    });
}

TEST(CprStreamFastForms, SingleBitsAndBlocksFromAnyPosition) {
    // GetBit and DecodeBlock from wherever a damaged stream leaves the read position, stuffed
    // zeros and markers included.
    CDib picture;
    MakePicture(picture, 48, 16, 8);
    ASSERT_TRUE(picture.EncodePlane(20, 0));
    std::vector<BYTE> s = Stream(picture);
    std::mt19937 rng(29);
    ForEachCprIsa([&](CprIsa) {
        for (int round = 0; round < 400; ++round) {
            int nCodeLen = 0;
            std::vector<BYTE> bad = round % 4 ? Damage(s, rng, nCodeLen) : s;
            if (round % 4 == 0) nCodeLen = int(s.size());
            CDib fast, lit;
            ASSERT_TRUE(fast.Create(8, 8, 8));
            ASSERT_TRUE(lit.Create(8, 8, 8));
            SetStream(fast, bad, nCodeLen);
            SetStream(lit, bad, nCodeLen);
            fast.m_nCodeLimit = lit.m_nCodeLimit = int(HeapSize(lit.m_hHeap, 0, lit.code_stream));
            fast.m_nBitPos = lit.m_nBitPos = (long long)(rng() % (8 * (bad.size() + 2)));
            fast.m_nLastDC = lit.m_nLastDC = int(rng() % 200) - 100;
            lit.BuildDecodeTables();  // the literal decoder expects them from its plane loop
            for (int step = 0; step < 6; ++step) {
                if (step % 3 == 0) {
                    ASSERT_EQ(fast.GetBit(), literal::GetBit(lit));
                } else {
                    ASSERT_EQ(fast.DecodeBlock(), literal::DecodeBlock(lit));
                    ASSERT_EQ(std::vector<int>(fast.m_nZigzag, fast.m_nZigzag + 64), std::vector<int>(lit.m_nZigzag, lit.m_nZigzag + 64));
                    ASSERT_EQ(fast.m_nLastDC, lit.m_nLastDC);
                }
                ASSERT_EQ(fast.m_nBitPos, lit.m_nBitPos) << "round " << round << " step " << step;
            }
        }
    });
}
