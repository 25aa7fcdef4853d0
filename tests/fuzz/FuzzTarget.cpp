// The checks every reader's fuzz target runs, its scratch files and its seed images.
#include "tests/fuzz/FuzzTarget.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "dib/Dib.h"
#include "dib/DibBounds.h"
#include "platform/MessageBox.h"
#include "tests/support/Snapshot.h"

namespace moro_fuzz {

namespace {

size_t g_nMessages = 0;

// Everything of an image that a failed read must leave alone and two reads must agree on.
struct Image {
    moro_test::DibSnapshot snapshot;
    CPRHEADER header;
    bool operator==(const Image& other) const {
        return snapshot == other.snapshot && std::memcmp(&header, &other.header, sizeof header) == 0;
    }
};

Image Capture(const CDib& dib) { return {moro_test::Snapshot(dib), dib.m_cprHeader}; }

// What every operation of the library relies on in an image it holds.
void CheckSound(const CDib& dib) {
    MORO_FUZZ_CHECK(dib.IsValid() && dib.code_stream);
    MORO_FUZZ_CHECK(DibIsStoredBitCount(dib.m_nBitCount));
    MORO_FUZZ_CHECK(dib.m_nRowBytes == DibRowBytes(dib.m_nWidth, dib.m_nBitCount));
    MORO_FUZZ_CHECK(dib.m_nImageSize == (long long)dib.m_nRowBytes * dib.m_nHeight);
    MORO_FUZZ_CHECK(DibRowsComplete(dib));
    MORO_FUZZ_CHECK(DibDrawableLines(dib) == dib.m_nHeight);
    MORO_FUZZ_CHECK(54 + 4 * (long long)dib.m_nColors <= (long long)dib.m_dwBufSize);
}

// The same picture, whatever else the two blocks hold (a copy is made in the library's own layout,
// without the gaps and trailing bytes a file's block may keep).
bool SamePicture(const CDib& a, const CDib& b) {
    return a.m_nWidth == b.m_nWidth && a.m_nHeight == b.m_nHeight && a.m_nBitCount == b.m_nBitCount &&
           a.m_nColors == b.m_nColors && a.m_nImageSize == b.m_nImageSize &&
           std::memcmp(a.m_lpPalette, b.m_lpPalette, 4 * size_t(a.m_nColors)) == 0 &&
           std::memcmp(a.m_lpBits, b.m_lpBits, size_t(a.m_nImageSize)) == 0;
}

void RemoveScratch() {
    std::error_code ec;
    std::filesystem::remove_all(ScratchDir(), ec);
}

void SetUpOnce() {
    static bool bDone = [] {
        SetMessageBoxHandler([](const char*, const char*, UINT) {
            ++g_nMessages;
            return IDOK;
        });
        return true;
    }();
    (void)bDone;
}

}  // namespace

void Fail(const char* lpszWhat, const char* lpszFile, int nLine) {
    std::fprintf(stderr, "moro fuzz check failed: %s (%s:%d)\n", lpszWhat, lpszFile, nLine);
    std::abort();
}

size_t MessageCount() { return g_nMessages; }

const std::string& ScratchDir() {
    static const std::string dir = [] {
        // Memory rather than disk where the system offers it: every input is written out.
        std::string tmpl = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp");
        tmpl += "/moro-fuzz-XXXXXX";
        if (!mkdtemp(tmpl.data())) Fail("a scratch directory can be made", __FILE__, __LINE__);
        return tmpl;
    }();
    static const bool bRemoveAtExit = std::atexit(RemoveScratch) == 0;
    (void)bRemoveAtExit;
    return dir;
}

std::string ScratchPath(const std::string& name) { return ScratchDir() + "/" + name; }

void WriteFile(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    MORO_FUZZ_CHECK(f);
    MORO_FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
    MORO_FUZZ_CHECK(std::fclose(f) == 0);
}

void CheckReader(const uint8_t* data, size_t size, const Format& format) {
    SetUpOnce();
    std::string input = ScratchPath(std::string("input") + format.lpszExt);
    WriteFile(input, data, size);

    CDib used, fresh;
    MORO_FUZZ_CHECK(used.Create(3, 2, 24, nullptr, 0x5A));
    Image before = Capture(used), empty = Capture(fresh);
    bool bUsed = format.read(used, input.c_str());
    bool bFresh = format.read(fresh, input.c_str());
    MORO_FUZZ_CHECK(bUsed == bFresh);
    MORO_FUZZ_CHECK(used.m_nError == fresh.m_nError);
    if (!bFresh) {
        MORO_FUZZ_CHECK(Capture(used) == before);
        MORO_FUZZ_CHECK(Capture(fresh) == empty);
        return;
    }
    Image loaded = Capture(fresh);
    MORO_FUZZ_CHECK(Capture(used) == loaded);
    if (!fresh.IsValid()) return;  // an archive of an empty image loads as one
    CheckSound(fresh);

    CDib back;
    if (format.write) {
        std::string again = ScratchPath(std::string("again") + format.lpszExt);
        if (format.write(fresh, again.c_str())) {
            MORO_FUZZ_CHECK(format.read(back, again.c_str()));
            CheckSound(back);
            if (format.bExact) MORO_FUZZ_CHECK(Capture(back).snapshot.block == loaded.snapshot.block);
        }
    }

    std::string bmp = ScratchPath("saved.bmp");
    MORO_FUZZ_CHECK(fresh.SaveBmp(bmp.c_str()));
    MORO_FUZZ_CHECK(back.LoadBmp(bmp.c_str()));
    MORO_FUZZ_CHECK(Capture(back).snapshot.block == loaded.snapshot.block);

    // An image the library wrote as CPR must always read back, with its size and depth.
    std::string cpr = ScratchPath("saved.cpr");
    if (fresh.SaveCpr(cpr.c_str(), 50, BOOL(size & 1))) {
        MORO_FUZZ_CHECK(back.LoadCpr(cpr.c_str()));
        CheckSound(back);
        MORO_FUZZ_CHECK(back.m_nWidth == fresh.m_nWidth && back.m_nHeight == fresh.m_nHeight &&
                        back.m_nBitCount == fresh.m_nBitCount);
    } else {
        MORO_FUZZ_CHECK(fresh.m_nError == DIB_ERR_CPR || fresh.m_nError == DIB_ERR_MEMORY);
    }

    CDib copy;
    copy.Copy(fresh);
    CheckSound(copy);
    MORO_FUZZ_CHECK(SamePicture(copy, fresh));
}

void ForEachSeedImage(const std::function<void(CDib& dib, const std::string& stem)>& use) {
    const struct {
        int w, h, bits;
        const char* stem;
    } kImages[] = {
        {16, 16, 8, "grey-16x16"}, {37, 29, 8, "grey-37x29"}, {24, 16, 24, "rgb-24x16"},
        {13, 9, 24, "rgb-13x9"},   {33, 3, 1, "mono-33x3"},   {10, 5, 4, "nibble-10x5"},
        {64, 24, 8, "flat-64x24"},
    };
    for (const auto& image : kImages) {
        CDib dib;
        MORO_FUZZ_CHECK(dib.Create(image.w, image.h, image.bits, nullptr, 128));
        // Smooth with some edges, so that coding has something to do; the flat one stays flat.
        if (std::strncmp(image.stem, "flat", 4) != 0)
            for (int r = 0; r < dib.m_nHeight; ++r)
                for (int i = 0; i < dib.m_nRowBytes; ++i) dib.StoredRow(r)[i] = BYTE(i * 13 + r * 7 + (i * r) % 17);
        use(dib, image.stem);
    }
}

}  // namespace moro_fuzz
