// The CPR codec and files: the transform's and the coder's worked values, streams bit by bit,
// round trips with error bounds, damaged and hostile files, and raw sample files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "cpr/CprTables.h"
#include "dib/Dib.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

namespace {

std::vector<BYTE> Stream(const CDib& dib) { return std::vector<BYTE>(dib.code_stream, dib.code_stream + dib.m_nCodeLen); }

// An image with a smooth picture and some edges, so that coding has something to do.
void MakePicture(CDib& dib, int w, int h, int bits, unsigned seed = 1) {
    ASSERT_TRUE(dib.Create(w, h, bits, nullptr, 0));
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int v = int(128 + 90 * std::sin(x / 7.0) * std::cos(y / 5.0)) + int(rng() % 9) - 4;
            v = std::clamp(v, 0, 255);
            dib.SetPixel(x, y, bits == 8 ? v : RGB(v, 255 - v, (x * 3 + y) & 255));
        }
}

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

// ---- transform and quantisation ----

TEST(CprTransform, QuantTableScales) {
    CDib dib;
    dib.BuildQuantTable(50);
    EXPECT_EQ(std::vector<WORD>(dib.m_wQuant, dib.m_wQuant + 64), std::vector<WORD>(kCprBaseQuant, kCprBaseQuant + 64));
    EXPECT_EQ(dib.m_wQuant[35], 58);
    dib.BuildQuantTable(100);
    EXPECT_EQ(dib.m_wQuant[0], 32);
    EXPECT_EQ(dib.m_wQuant[1], 22);
    EXPECT_EQ(dib.m_wQuant[2], 20);
    dib.BuildQuantTable(25);
    EXPECT_EQ(dib.m_wQuant[0], 8);
    EXPECT_EQ(dib.m_wQuant[1], 6);
    dib.BuildQuantTable(3);
    EXPECT_EQ(*std::min_element(dib.m_wQuant, dib.m_wQuant + 64), 1);
    dib.BuildQuantTable(2);
    for (int n = 0; n < 64; ++n) EXPECT_EQ(dib.m_wQuant[n] == 0, kCprBaseQuant[n] <= 12) << n;
    dib.BuildQuantTable(1);
    for (int n = 0; n < 64; ++n) EXPECT_EQ(dib.m_wQuant[n] == 0, kCprBaseQuant[n] < 25) << n;
}

TEST(CprTransform, ZigzagOrder) {
    CDib dib;
    for (int n = 0; n < 64; ++n) dib.m_nQuantized[n] = 100 + n;
    dib.ZigzagScan();
    EXPECT_EQ(dib.m_nZigzag[2], 108);  // row 1, column 0
    EXPECT_EQ(dib.m_nZigzag[5], 102);  // row 0, column 2
    EXPECT_EQ(dib.m_nZigzag[63], 163);
    dib.UnZigzag();
    for (int n = 0; n < 64; ++n) EXPECT_EQ(dib.m_nCoef[n], 100 + n);
}

TEST(CprTransform, FlatBlocksAndHalvesAwayFromZero) {
    CDib dib;
    dib.BuildQuantTable(50);
    for (int v : {0, 127, 128, 200, 201, 255}) {
        for (int& x : dib.m_nBlock) x = v - 128;
        dib.ForwardDCT();
        EXPECT_EQ(dib.m_nBlock[0], 8 * (v - 128)) << v;
        for (int n = 1; n < 64; ++n) ASSERT_EQ(dib.m_nBlock[n], 0) << v;
        dib.Quantize(dib.m_wQuant);
        int expected = (v - 128) >= 0 ? (v - 128 + 1) / 2 : -((128 - v + 1) / 2);
        EXPECT_EQ(dib.m_nQuantized[0], expected) << v;
        dib.ZigzagScan();
        dib.UnZigzag();
        dib.Dequantize();
        dib.InverseDCT();
        int decoded = std::clamp(int(short(dib.m_nCoef[0] & 0xFFFF)) + 128, 0, 255);
        for (int n = 0; n < 64; ++n) ASSERT_EQ(dib.m_nCoef[n], dib.m_nCoef[0]);
        if (v == 200) EXPECT_EQ(decoded, 200);
        if (v == 201) EXPECT_EQ(decoded, 202);
        if (v == 128) EXPECT_EQ(decoded, 128);
    }
    // x / q with halves away from zero.
    for (int& x : dib.m_nBlock) x = 0;
    dib.m_nBlock[0] = 8;
    dib.m_nBlock[1] = -8;
    dib.m_nBlock[2] = 7;
    WORD table[64];
    std::fill(table, table + 64, WORD(16));
    dib.Quantize(table);
    EXPECT_EQ(dib.m_nQuantized[0], 1);
    EXPECT_EQ(dib.m_nQuantized[1], -1);
    EXPECT_EQ(dib.m_nQuantized[2], 0);
}

TEST(CprTransform, InverseOfZeroIsMidGreyAndHugeCoefficientsDoNotOverflow) {
    CDib dib;
    std::fill(dib.m_nCoef, dib.m_nCoef + 64, 0);
    dib.InverseDCT();
    for (int n = 0; n < 64; ++n) EXPECT_EQ(dib.m_nCoef[n], 0);
    // What a hostile stream can make: the sanitizer build checks that nothing overflows.
    for (int n = 0; n < 64; ++n) dib.m_nCoef[n] = (n % 2 ? INT_MAX : INT_MIN + n);
    dib.InverseDCT();
}

// ---- entropy coding ----

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
    twice.back() = 0xD1;
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
        if (dib.DecodePlane(0)) ASSERT_EQ(dib.code_stream[0], 0);
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

// ---- files ----

TEST(CprFile, EightBitFileLayout) {
    TempDir dir;
    CDib dib;
    MakePicture(dib, 16, 16, 8);
    ASSERT_TRUE(dib.SaveCpr(dir.Path("a.cpr").c_str(), 50, FALSE));
    std::vector<BYTE> f = ReadFileBytes(dir.Path("a.cpr"));
    ASSERT_GT(f.size(), 60u);
    EXPECT_EQ(std::vector<BYTE>(f.begin(), f.begin() + 4), (std::vector<BYTE>{'C', 'P', 'R', 0}));
    CPRHEADER h;
    std::memcpy(&h, f.data() + 4, 52);
    EXPECT_EQ(h.wWidth, 16);
    EXPECT_EQ(h.wHeight, 16);
    EXPECT_EQ(h.cScale, 50);
    EXPECT_EQ(f.size(), 56 + h.dwCodeLen);
    EXPECT_EQ(std::vector<BYTE>(f.end() - 4, f.end()), (std::vector<BYTE>{0xFF, 0xD1, 0xFF, 0xD9}));
}

TEST(CprFile, RoundTripsWithinErrorBounds) {
    TempDir dir;
    struct Case {
        int w, h, bits;
        BOOL colour;
        BYTE kind;
    } cases[] = {{64, 48, 8, FALSE, 0}, {64, 48, 24, FALSE, 1}, {64, 48, 24, TRUE, 2}, {37, 29, 8, FALSE, 0}, {37, 29, 24, TRUE, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " " << c.bits << " colour " << c.colour);
        CDib dib, loaded;
        MakePicture(dib, c.w, c.h, c.bits);
        ASSERT_TRUE(dib.SaveCpr(dir.Path("r.cpr").c_str(), 50, c.colour));
        std::vector<BYTE> f = ReadFileBytes(dir.Path("r.cpr"));
        EXPECT_EQ(f[3], c.kind);
        ASSERT_TRUE(loaded.LoadCpr(dir.Path("r.cpr").c_str()));
        EXPECT_EQ(loaded.m_nWidth, c.w);
        EXPECT_EQ(loaded.m_nHeight, c.h);
        EXPECT_EQ(loaded.m_nBitCount, c.bits);
        // Inside the whole blocks the picture comes back closely; beyond them it is zero.
        int coded = c.colour ? c.w / 8 * 8 * 3 : int(dib.m_nRowBytes) / 8 * 8;
        int codedRows = c.h / 8 * 8;
        int worst = 0;
        for (int r = 0; r < c.h; ++r) {
            for (int x = 0; x < (c.bits == 8 ? c.w : 3 * c.w); ++x) {
                int a = dib.m_lpBits[size_t(r) * dib.m_nRowBytes + x], b = loaded.m_lpBits[size_t(r) * loaded.m_nRowBytes + x];
                if (r < codedRows && x < coded) worst = std::max(worst, std::abs(a - b));
                else ASSERT_EQ(b, 0) << r << "," << x;
            }
        }
        // One stream of interleaved colour bytes codes sharp byte-to-byte changes: coarser.
        EXPECT_LE(worst, c.bits == 24 && !c.colour ? 48 : 24);
        if (c.bits == 8) EXPECT_EQ(loaded.m_lpPalette[77].rgbGreen, 77);  // the grey palette
    }
    // A fresh image's three-plane header carries dwCodeLen 0.
    CDib fresh;
    ASSERT_TRUE(fresh.Create(16, 16, 24, nullptr, 5));
    ASSERT_TRUE(fresh.SaveCpr(dir.Path("p.cpr").c_str(), 50, TRUE));
    std::vector<BYTE> f = ReadFileBytes(dir.Path("p.cpr"));
    CPRHEADER h;
    std::memcpy(&h, f.data() + 4, 52);
    EXPECT_EQ(h.dwCodeLen, 0u);
    DWORD red;
    std::memcpy(&red, f.data() + 56, 4);
    EXPECT_EQ(f[60 + red - 1], 0xD9);
}

TEST(CprFile, SaveFailuresTouchNoFile) {
    TempDir dir;
    WriteFileBytes(dir.Path("keep.cpr"), {1, 2, 3});
    CDib four;
    ASSERT_TRUE(four.Create(8, 8, 4));
    EXPECT_FALSE(four.SaveCpr(dir.Path("x.cpr").c_str(), 50, FALSE));
    EXPECT_EQ(four.m_nError, 7);
    EXPECT_FALSE(FileExists(dir.Path("x.cpr")));

    CDib empty;
    empty.m_nBitCount = 8;  // an object without pixels that claims a depth
    EXPECT_FALSE(empty.SaveCpr(dir.Path("keep.cpr").c_str(), 50, FALSE));
    EXPECT_EQ(empty.m_nError, 9);
    EXPECT_EQ(ReadFileBytes(dir.Path("keep.cpr")), (std::vector<BYTE>{1, 2, 3}));

    CDib dib;
    ASSERT_TRUE(dib.Create(8, 8, 8));
    for (short scale : {2, 128}) {
        EXPECT_FALSE(dib.SaveCpr(dir.Path("keep.cpr").c_str(), scale, FALSE)) << scale;
        EXPECT_EQ(dib.m_nError, 7);
    }
    EXPECT_FALSE(dib.SaveCpr(dir.Path("no/dir/x.cpr").c_str(), 50, FALSE));
    EXPECT_EQ(dib.m_nError, 1);
    EXPECT_EQ(ReadFileBytes(dir.Path("keep.cpr")), (std::vector<BYTE>{1, 2, 3}));
    EXPECT_TRUE(Messages().empty());
}

TEST(CprFile, DateRepair) {
    CTime::SetClock(CTime(2026, 12, 7, 12).GetTime());
    TempDir dir;
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 8, 8, nullptr, 128));
    struct Case {
        int year, month, day;
        int wantYear, wantMonth, wantDay;
    } cases[] = {
        {79, 5, 5, 126, 5, 5},    {80, 5, 5, 80, 5, 5},     {200, 5, 5, 126, 5, 5},
        {100, 0, 5, 100, 12, 5},  {100, 13, 5, 100, 12, 5}, {100, 2, 29, 100, 2, 29},
        {104, 2, 29, 104, 2, 29}, {101, 2, 29, 101, 2, 7},  {100, 4, 31, 100, 4, 7},
        {100, 4, 0, 100, 4, 7},
    };
    for (const Case& c : cases) {
        dib.m_cprHeader.byYear = BYTE(c.year);
        dib.m_cprHeader.byMonth = BYTE(c.month);
        dib.m_cprHeader.byDay = BYTE(c.day);
        ASSERT_TRUE(dib.SaveCpr(dir.Path("d.cpr").c_str(), 50, FALSE));
        CDib loaded;
        ASSERT_TRUE(loaded.LoadCpr(dir.Path("d.cpr").c_str()));
        EXPECT_EQ(loaded.m_cprHeader.byYear, c.wantYear) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(loaded.m_cprHeader.byMonth, c.wantMonth) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(loaded.m_cprHeader.byDay, c.wantDay) << c.year << "-" << c.month << "-" << c.day;
    }
    CTime::ResetClock();
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 12), 31);
}

TEST(CprFile, HostileFilesFailCleanlyAndChangeNothing) {
    TempDir dir;
    CDib source;
    MakePicture(source, 32, 16, 8);
    ASSERT_TRUE(source.SaveCpr(dir.Path("good.cpr").c_str(), 50, FALSE));
    std::vector<BYTE> good = ReadFileBytes(dir.Path("good.cpr"));
    CDib rgb;
    MakePicture(rgb, 16, 16, 24);
    ASSERT_TRUE(rgb.SaveCpr(dir.Path("planes.cpr").c_str(), 50, TRUE));
    std::vector<BYTE> planes = ReadFileBytes(dir.Path("planes.cpr"));

    auto with = [](std::vector<BYTE> f, size_t at, std::vector<BYTE> bytes) {
        std::copy(bytes.begin(), bytes.end(), f.begin() + at);
        return f;
    };
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        int error;
    } cases[] = {
        {"not a CPR file", with(good, 0, {'B', 'M', 'P'}), 7},
        {"empty", {}, 7},
        {"width 0", with(good, 4, {0, 0}), 4},
        {"negative height", with(good, 6, {0xF0, 0xFF}), 4},
        {"code length beyond file and buffer", with(good, 52, {0xFF, 0xFF, 0xFF, 0x7F}), 2},
        {"plane length beyond file and buffer", with(planes, 56, {0x00, 0x00, 0x10, 0x00}), 2},
        {"too large to hold", with(planes, 4, {0xFF, 0x7F, 0xFF, 0x7F}), 4},
    };
    for (const Case& c : cases) {
        CDib dib;
        ASSERT_TRUE(dib.Create(5, 5, 24, nullptr, 42));
        DibSnapshot before = Snapshot(dib);
        WriteFileBytes(dir.Path("bad.cpr"), c.bytes);
        EXPECT_FALSE(dib.LoadCpr(dir.Path("bad.cpr").c_str())) << c.what;
        EXPECT_EQ(dib.m_nError, c.error) << c.what;
        EXPECT_TRUE(Snapshot(dib) == before) << c.what;
    }
    // Short files load: what they do not deliver is zero, never an earlier stream's bytes.
    for (size_t cut : {size_t(60), good.size() / 2, good.size() - 1}) {
        CDib dib;
        ASSERT_TRUE(dib.LoadCpr(dir.Path("good.cpr").c_str()));
        WriteFileBytes(dir.Path("short.cpr"), std::vector<BYTE>(good.begin(), good.begin() + cut));
        CDib fresh;
        EXPECT_TRUE(dib.LoadCpr(dir.Path("short.cpr").c_str())) << cut;
        EXPECT_TRUE(fresh.LoadCpr(dir.Path("short.cpr").c_str())) << cut;
        EXPECT_EQ(Snapshot(dib), Snapshot(fresh)) << cut;
    }
    // Random damage: no crash, and a load that fails changes nothing.
    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        std::vector<BYTE> bad = round % 2 ? planes : good;
        for (int k = 0; k < 1 + int(rng() % 5); ++k) bad[rng() % bad.size()] = BYTE(rng());
        if (round % 3 == 0) bad.resize(rng() % bad.size());
        WriteFileBytes(dir.Path("bad.cpr"), bad);
        CDib dib;
        ASSERT_TRUE(dib.Create(3, 3, 8, nullptr, 9));
        DibSnapshot before = Snapshot(dib);
        if (!dib.LoadCpr(dir.Path("bad.cpr").c_str())) ASSERT_TRUE(Snapshot(dib) == before);
    }
}

TEST(CprFile, OutOfMemoryDuringALoadChangesNothing) {
    TempDir dir;
    CDib source;
    MakePicture(source, 32, 32, 24);
    ASSERT_TRUE(source.SaveCpr(dir.Path("c.cpr").c_str(), 50, TRUE));
    for (int skip = 0; skip < 3; ++skip) {
        CDib dib;
        ASSERT_TRUE(dib.Create(4, 4, 8, nullptr, 1));
        DibSnapshot before = Snapshot(dib);
        platform::FailHeapAllocations(1, skip);
        EXPECT_FALSE(dib.LoadCpr(dir.Path("c.cpr").c_str())) << skip;
        platform::FailHeapAllocations(0);
        EXPECT_TRUE(Snapshot(dib) == before);
    }
}

TEST(RawFile, SizesAndHeaders) {
    TempDir dir;
    CDib dib;
    MakePicture(dib, 256, 256, 8);
    ASSERT_TRUE(dib.SaveRaw(dir.Path("a.raw").c_str(), 1));
    EXPECT_EQ(ReadFileBytes(dir.Path("a.raw")).size(), 65536u);
    ASSERT_TRUE(dib.SaveRaw(dir.Path("b.raw").c_str(), 0));
    std::vector<BYTE> b = ReadFileBytes(dir.Path("b.raw"));
    ASSERT_EQ(b.size(), 65540u);
    EXPECT_EQ(std::vector<BYTE>(b.begin(), b.begin() + 4), (std::vector<BYTE>{0x00, 0x01, 0x00, 0x01}));
    // Top row first.
    EXPECT_EQ(b[4], dib.m_lpBits[size_t(255) * dib.m_nRowBytes]);

    CDib small;
    MakePicture(small, 100, 50, 8);
    ASSERT_TRUE(small.SaveRaw(dir.Path("c.raw").c_str(), 1));
    EXPECT_EQ(ReadFileBytes(dir.Path("c.raw")).size(), 4u + 5000u);
    CDib back;
    ASSERT_TRUE(back.LoadRaw(dir.Path("c.raw").c_str(), 0));
    EXPECT_EQ(RgbPixels(back), RgbPixels(small));

    // Headerless files are 256 x 256; rows a short file does not fill are zero.
    WriteFileBytes(dir.Path("short.raw"), std::vector<BYTE>(300, 9));
    CDib sq;
    ASSERT_TRUE(sq.LoadRaw(dir.Path("short.raw").c_str(), 1));
    EXPECT_EQ(sq.m_nWidth, 256);
    EXPECT_EQ(sq.GetPixel(43, 1), 9);
    EXPECT_EQ(sq.GetPixel(44, 1), 0);
    EXPECT_EQ(sq.GetPixel(0, 255), 0);

    // A 1-bit image's rows are shorter than its width: the rest is written as zero.
    CDib mono;
    ASSERT_TRUE(mono.Create(100, 2, 1, nullptr, 0xFF));
    ASSERT_TRUE(mono.SaveRaw(dir.Path("m.raw").c_str(), 0));
    std::vector<BYTE> m = ReadFileBytes(dir.Path("m.raw"));
    ASSERT_EQ(m.size(), 204u);
    EXPECT_EQ(m[4], 0xFF);
    EXPECT_EQ(m[4 + 99], 0);
}

TEST(RawFile, FailuresLeaveTheImage) {
    TempDir dir;
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 4, 8, nullptr, 6));
    dib.m_nError = 0;
    DibSnapshot before = Snapshot(dib);
    EXPECT_FALSE(dib.LoadRaw(dir.Path("none.raw").c_str(), 0));
    EXPECT_EQ(dib.m_nError, 0);
    for (std::vector<BYTE> header : {std::vector<BYTE>{0, 0, 5, 0}, std::vector<BYTE>{5, 0, 0xFF, 0xFF}}) {
        WriteFileBytes(dir.Path("bad.raw"), header);
        EXPECT_FALSE(dib.LoadRaw(dir.Path("bad.raw").c_str(), 0));
        EXPECT_EQ(dib.m_nError, 4);
        EXPECT_TRUE(Snapshot(dib) == before);
    }
}
