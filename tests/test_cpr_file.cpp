// CPR and raw files: the file layout, round trips within error bounds, date repair, saves that
// fail without touching a file, damaged or hostile files that change nothing, and files and loads
// of the fast codec against the literal one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cpr/reference/Literal.h"
#include "dib/Dib.h"
#include "tests/support/CprIsas.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

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
        if (c.bits == 8) {
            EXPECT_EQ(loaded.m_lpPalette[77].rgbGreen, 77);  // the grey palette
        }
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

    // Three colour streams need a larger code buffer than a small image has.
    CDib colour;
    ASSERT_TRUE(colour.Create(8, 8, 24));
    platform::FailHeapAllocations(1000);
    EXPECT_FALSE(colour.SaveCpr(dir.Path("keep.cpr").c_str(), 50, TRUE));
    platform::FailHeapAllocations(0);
    EXPECT_EQ(colour.m_nError, 4);
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
        {"larger than its streams can code", with(planes, 4, {0xFF, 0x7F, 0xFF, 0x7F}), 2},
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
    // A stream that ends early, but inside the file and long enough for the header's picture,
    // loads: what it does not deliver is zero, never an earlier stream's bytes.
    std::vector<BYTE> early(good.begin(), good.begin() + 56 + 8);
    early[52] = 8;  // 2 rows of 4 blocks need at least 8 bytes
    early[53] = early[54] = early[55] = 0;
    WriteFileBytes(dir.Path("early.cpr"), early);
    CDib used, fresh;
    ASSERT_TRUE(used.LoadCpr(dir.Path("good.cpr").c_str()));
    EXPECT_TRUE(used.LoadCpr(dir.Path("early.cpr").c_str()));
    EXPECT_TRUE(fresh.LoadCpr(dir.Path("early.cpr").c_str()));
    EXPECT_EQ(Snapshot(used), Snapshot(fresh));
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
        if (!dib.LoadCpr(dir.Path("bad.cpr").c_str())) {
            ASSERT_TRUE(Snapshot(dib) == before);
        }
    }
}

// A header is believed only as far as the file backs it: tiny files that claim huge pictures or
// streams are refused at once, before anything is allocated (so even with no memory to be had).
TEST(CprFile, HeadersTheFileCannotBackAreRefusedBeforeAllocating) {
    TempDir dir;
    std::vector<BYTE> claims32767x21845(56, 0);
    std::copy_n("CPR\x02\xff\x7f\x55\x55", 8, claims32767x21845.begin());
    std::vector<BYTE> phantomStream(56, 0);
    std::copy_n("CPR\x00\x10\x00\x10\x00", 8, phantomStream.begin());
    phantomStream[54] = 0xBC;  // 264 million bytes
    phantomStream[55] = 0x0F;
    CDib flat;
    ASSERT_TRUE(flat.Create(16, 16, 8, nullptr, 128));
    ASSERT_TRUE(flat.SaveCpr(dir.Path("flat.cpr").c_str(), 50, FALSE));
    std::vector<BYTE> good = ReadFileBytes(dir.Path("flat.cpr"));
    std::vector<BYTE> inputs[] = {
        {0x43, 0x50, 0x52, 0x2b, 0x00, 0x7f, 0x00, 0x40},
        {0x43, 0x50, 0x52, 0x02, 0x7f, 0x3d, 0x00, 0x40},
        claims32767x21845,
        phantomStream,
        std::vector<BYTE>(good.begin(), good.begin() + 40),   // shorter than its header
        std::vector<BYTE>(good.begin(), good.end() - 1),      // shorter than its stream
    };
    for (const std::vector<BYTE>& bytes : inputs) {
        SCOPED_TRACE(bytes.size());
        WriteFileBytes(dir.Path("bad.cpr"), bytes);
        CDib dib;
        ASSERT_TRUE(dib.Create(5, 5, 8, nullptr, 3));
        DibSnapshot before = Snapshot(dib);
        ClearMessages();
        platform::FailHeapAllocations(1000);
        EXPECT_FALSE(dib.LoadCpr(dir.Path("bad.cpr").c_str()));
        platform::FailHeapAllocations(0);
        EXPECT_EQ(dib.m_nError, 2);
        EXPECT_EQ(LastMessage(), "读取CPR图像文件失败！");
        EXPECT_TRUE(Snapshot(dib) == before);
    }
}

// The flattest picture the coder can make (6 bits a block) fits its stream; a header that claims
// a larger picture than the stream's length can code is refused, while rows and columns short of
// a whole block cost nothing.
TEST(CprFile, APictureMustFitWhatItsStreamCanCode) {
    TempDir dir;
    struct Case {
        int bits;
        BOOL colour;
        size_t sizeAt;      // header field to grow: 4 width, 6 height
        int fits, tooMany;  // growths that still fit the stream, and that do not
    } cases[] = {{8, FALSE, 6, 7, 8},  {8, FALSE, 4, 7, 16}, {24, FALSE, 6, 7, 8},
                 {24, FALSE, 4, 2, 8}, {24, TRUE, 4, 7, 16}, {24, TRUE, 6, 7, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, colour " << c.colour << ", field " << c.sizeAt);
        CDib flat;
        ASSERT_TRUE(flat.Create(64, 24, c.bits, nullptr, 128));  // level 128: every coefficient 0
        ASSERT_TRUE(flat.SaveCpr(dir.Path("f.cpr").c_str(), 50, c.colour));
        std::vector<BYTE> f = ReadFileBytes(dir.Path("f.cpr"));
        CDib dib;
        auto grown = [&](int by) {
            std::vector<BYTE> g = f;
            g[c.sizeAt] = BYTE(g[c.sizeAt] + by);
            WriteFileBytes(dir.Path("g.cpr"), g);
            return dib.LoadCpr(dir.Path("g.cpr").c_str());
        };
        EXPECT_TRUE(grown(0));
        EXPECT_TRUE(grown(c.fits));
        EXPECT_FALSE(grown(c.tooMany));
        EXPECT_EQ(dib.m_nError, 2);
    }
    // Nothing to code: a picture narrower than a block needs no stream at all.
    std::vector<BYTE> narrow(58, 0);
    std::copy_n("CPR\x00\x03\x00\xff\x7f", 8, narrow.begin());
    narrow[56] = 0xFF;
    narrow[57] = 0xD9;
    WriteFileBytes(dir.Path("n.cpr"), narrow);
    CDib dib;
    ASSERT_TRUE(dib.LoadCpr(dir.Path("n.cpr").c_str()));
    EXPECT_EQ(dib.m_nHeight, 32767);
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

// A short raw file loads with zeros for what it lacks, but a few bytes cannot claim a huge image.
TEST(RawFile, FilesFarShorterThanTheirHeaderAreRefused) {
    TempDir dir;
    auto load = [&](std::vector<BYTE> bytes, CDib& dib) {
        WriteFileBytes(dir.Path("s.raw"), bytes);
        return dib.LoadRaw(dir.Path("s.raw").c_str(), 0);
    };
    const std::vector<BYTE> k300x300 = {0x2C, 0x01, 0x2C, 0x01};  // 90000 samples claimed
    struct Case {
        std::vector<BYTE> header;
        size_t samples;
        bool loads;
    } cases[] = {
        {{0xFF, 0x7F, 0xFF, 0x7F}, 0, false},
        {{0x08, 0x00}, 0, false},            // shorter than its header
        {k300x300, 90000 / 16, true},        // a sixteenth of the samples is enough
        {k300x300, 90000 / 16 - 1, false},
        {{0x00, 0x01, 0x00, 0x01}, 0, true}, // up to 256 x 256 from any length
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        CDib dib;
        ASSERT_TRUE(dib.Create(3, 3, 8, nullptr, 1));
        DibSnapshot before = Snapshot(dib);
        std::vector<BYTE> bytes = c.header;
        bytes.resize(bytes.size() + c.samples, 7);
        ClearMessages();
        EXPECT_EQ(load(bytes, dib), c.loads);
        if (!c.loads) {
            EXPECT_EQ(dib.m_nError, 2);
            EXPECT_EQ(LastMessage(), "读取文件失败！");
            EXPECT_TRUE(Snapshot(dib) == before);
        }
    }
}

// ---- files of the fast codec against the literal one ----

namespace {

// A CPR file as the literal coder writes it: the tag, the header, then one stream or three
// length-prefixed ones.
std::vector<BYTE> LiteralSave(const CDib& image, short scale, bool planes) {
    CDib dib;
    dib.Copy(image);
    BYTE kind = dib.m_nBitCount == 8 ? 0 : planes ? 2 : 1;
    std::vector<BYTE> f = {'C', 'P', 'R', kind};
    auto append = [&f](const void* p, size_t n) { f.insert(f.end(), static_cast<const BYTE*>(p), static_cast<const BYTE*>(p) + n); };
    if (kind != 2) {
        EXPECT_TRUE(literal::EncodePlane(dib, scale, 0));
        append(&dib.m_cprHeader, 52);
        append(dib.code_stream, size_t(dib.m_nCodeLen));
        return f;
    }
    dib.SetCprHeader(scale);
    append(&dib.m_cprHeader, 52);
    EXPECT_TRUE(dib.SplitPlanes());
    for (BYTE plane = 1; plane <= 3; ++plane) {
        EXPECT_TRUE(literal::EncodePlane(dib, scale, plane));
        DWORD len = DWORD(dib.m_nCodeLen);
        append(&len, 4);
        append(dib.code_stream, len);
    }
    return f;
}

// The image a load of f must give, made the literal way: a zero-filled image, each stream
// decoded by the literal decoder (colour ones into zeroed planes merged back), bytes beyond the
// file's end read as zero.
void LiteralLoad(const std::vector<BYTE>& f, CDib& dib) {
    auto byteAt = [&f](size_t i) { return i < f.size() ? f[i] : BYTE(0); };
    CPRHEADER h;
    for (size_t i = 0; i < 52; ++i) reinterpret_cast<BYTE*>(&h)[i] = byteAt(4 + i);
    bool planes = f[3] == 2;
    ASSERT_TRUE(dib.Create(h.wWidth, h.wHeight, f[3] == 0 ? 8 : 24, nullptr, 0));
    dib.m_cprHeader = h;
    size_t at = 56;
    auto stream = [&](size_t len) {
        ASSERT_TRUE(dib.GrowCodeStream(len + 1));
        std::memset(dib.code_stream, 0, HeapSize(dib.m_hHeap, 0, dib.code_stream));
        for (size_t i = 0; i < len; ++i) dib.code_stream[i] = byteAt(at + i);
        dib.m_nCodeLen = int(len);
        at += len;
    };
    if (!planes) {
        stream(h.dwCodeLen);
        literal::DecodePlane(dib, 0);
        return;
    }
    ASSERT_TRUE(dib.AllocPlanes());
    for (BYTE plane = 1; plane <= 3; ++plane) {
        DWORD len = DWORD(byteAt(at) | byteAt(at + 1) << 8 | byteAt(at + 2) << 16 | byteAt(at + 3) << 24);
        at += 4;
        stream(len);
        literal::DecodePlane(dib, plane);
    }
    ASSERT_TRUE(dib.MergePlanes());
}

std::vector<BYTE> Pixels(const CDib& dib) { return std::vector<BYTE>(dib.m_lpBuf, dib.m_lpBuf + dib.m_dwBufSize); }

}  // namespace

TEST(CprFileFastForms, FilesAndLoadsMatchTheLiteralCodec) {
    TempDir dir;
    std::string path = dir.Path("f.cpr");
    std::mt19937 rng(31);
    ForEachCprIsa([&](CprIsa) {
        for (int round = 0; round < 60; ++round) {
            int w = 1 + int(rng() % 60), h = 1 + int(rng() % 60), bits = round % 3 == 0 ? 8 : 24;
            bool planes = bits == 24 && round % 3 == 1;
            short scale = short(3 + rng() % 125);
            SCOPED_TRACE(testing::Message() << w << "x" << h << "x" << bits << " planes " << planes << " scale " << scale);
            CDib image;
            MakePicture(image, w, h, bits, unsigned(round));
            std::vector<BYTE> lit = LiteralSave(image, scale, planes);  // before the save changes the header
            ASSERT_TRUE(image.SaveCpr(path.c_str(), scale, planes));
            std::vector<BYTE> f = ReadFileBytes(path);
            ASSERT_EQ(f, lit);

            // Its loads, and loads of damaged and cut copies, sample for sample.
            for (int d = 0; d < 8; ++d) {
                std::vector<BYTE> bad = f;
                if (d > 0 && bad.size() > 61) {
                    // Damage behind the header and the first length, so that both loads go on.
                    for (int k = 0; k < 1 + int(rng() % 4); ++k)
                        bad[60 + rng() % (bad.size() - 60)] = BYTE(rng() % 2 ? rng() : 0xFF);
                    if (d % 3 == 0) bad.resize(60 + rng() % (bad.size() - 60));
                }
                WriteFileBytes(path, bad);
                CDib loaded;
                if (!loaded.LoadCpr(path.c_str())) continue;  // a length the file cannot hold
                CDib expected;
                LiteralLoad(bad, expected);
                ASSERT_EQ(Pixels(loaded), Pixels(expected)) << "damage " << d;
                EXPECT_EQ(loaded.m_pRedPlane, nullptr);
            }
        }
    });
}

TEST(CprFileFastForms, ColourStreamsOutgrowingTheCodeBufferMidway) {
    // Noise at the finest scale codes to more bytes than the image holds: the three streams,
    // coded side by side, outgrow their parts of the buffer after rows of blocks are in them.
    TempDir dir;
    std::string path = dir.Path("n.cpr");
    ForEachCprIsa([&](CprIsa) {
        CDib image;
        ASSERT_TRUE(image.Create(203, 77, 24));
        std::mt19937 rng(5);
        for (int n = 0; n < image.m_nImageSize; ++n) image.m_lpBits[n] = BYTE(rng());
        std::vector<BYTE> lit = LiteralSave(image, 3, true);
        ASSERT_TRUE(image.SaveCpr(path.c_str(), 3, TRUE));
        std::vector<BYTE> f = ReadFileBytes(path);
        ASSERT_GT(f.size(), size_t(image.m_nImageSize));
        EXPECT_EQ(f, lit);
    });
}

TEST(CprFileFastForms, LoadsHoldTheImageAndItsStreamOnly) {
    // A file that claims a tall picture but holds short streams (it is too narrow for a whole
    // block, so they need code nothing): the code buffer is as long as the streams, and no colour
    // planes are made.
    TempDir dir;
    CPRHEADER h = {};
    h.wWidth = 3;
    h.wHeight = 1024;
    h.dwCodeLen = 2;
    for (BYTE kind : {0, 2}) {
        std::vector<BYTE> f = {'C', 'P', 'R', kind};
        f.insert(f.end(), reinterpret_cast<BYTE*>(&h), reinterpret_cast<BYTE*>(&h) + 52);
        if (kind == 0) f.insert(f.end(), {0xFF, 0xD9});
        for (DWORD len : {3u, 5u, 2u})
            if (kind == 2) {
                f.insert(f.end(), reinterpret_cast<BYTE*>(&len), reinterpret_cast<BYTE*>(&len) + 4);
                for (DWORD i = 0; i < len; ++i) f.push_back(i + 2 < len ? 0x00 : i + 2 == len ? 0xFF : 0xD9);
            }
        WriteFileBytes(dir.Path("big.cpr"), f);
        CDib loaded, expected;
        ASSERT_TRUE(loaded.LoadCpr(dir.Path("big.cpr").c_str()));
        EXPECT_EQ(HeapSize(loaded.m_hHeap, 0, loaded.code_stream), kind == 0 ? 2u : 10u);
        EXPECT_EQ(platform::HeapBlockCount(loaded.m_hHeap), 2u);
        EXPECT_EQ(loaded.m_pRedPlane, nullptr);
        LiteralLoad(f, expected);
        EXPECT_EQ(Pixels(loaded), Pixels(expected));
    }
}

TEST(CprFile, ColourPlanesSplitFromThePixels) {
    ForEachCprIsa([&](CprIsa) {
        for (int w : {1, 15, 16, 17, 50}) {
            CDib dib;
            MakePicture(dib, w, 3, 24, unsigned(w));
            for (int pass = 0; pass < 2; ++pass) {  // the second split writes over the first one's planes
                if (pass == 1) {
                    for (int n = 0; n < dib.m_nImageSize; ++n) dib.m_lpBits[n] = BYTE(dib.m_lpBits[n] * 7 + 1);
                }
                ASSERT_TRUE(dib.SplitPlanes());
                for (int r = 0; r < 3; ++r)
                    for (int x = 0; x < w; ++x) {
                        const BYTE* p = dib.StoredRow(r) + 3 * x;
                        size_t at = size_t(r) * size_t(w) + size_t(x);
                        ASSERT_EQ(dib.m_pBluePlane[at], p[0]);
                        ASSERT_EQ(dib.m_pGreenPlane[at], p[1]);
                        ASSERT_EQ(dib.m_pRedPlane[at], p[2]);
                    }
            }
        }
    });
}
