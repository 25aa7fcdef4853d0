// The public BMP test suite in shared/testdata: files made by other programs.  Every file that is
// an uncompressed bottom-up image with a Windows info header at 1, 2, 4, 8 or 24 bits loads and
// shows the pixels PIL shows (tests/data/bmpsuite_pixels.txt, made by bmpsuite_pixels.py); every
// other file loads or is refused with a message, and none harms the image loaded before.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "dib/Dib.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

namespace {

struct Expected {
    int nWidth, nHeight;
    uint32_t crc;
};

std::map<std::string, Expected> ReadExpectations() {
    std::map<std::string, Expected> result;
    std::ifstream in(std::string(MORO_SOURCE_DIR) + "/tests/data/bmpsuite_pixels.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, crc;
        Expected e;
        fields >> name >> e.nWidth >> e.nHeight >> crc;
        e.crc = uint32_t(std::stoul(crc, nullptr, 16));
        result[name] = e;
    }
    return result;
}

std::vector<std::string> SuiteFiles() {
    std::vector<std::string> names;
    std::string root = std::string(MORO_TESTDATA) + "/bmpsuite";
    for (const char* folder : {"g", "q", "b", "x"})
        for (auto& entry : std::filesystem::directory_iterator(root + "/" + folder))
            if (entry.path().extension() == ".bmp") names.push_back(std::string(folder) + "/" + entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(BmpSuite, EveryFileLoadsCorrectlyOrIsRefusedCleanly) {
    std::map<std::string, Expected> expected = ReadExpectations();
    ASSERT_GE(expected.size(), 25u);
    std::vector<std::string> files = SuiteFiles();
    ASSERT_GE(files.size(), 90u);
    size_t matched = 0;
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        CDib dib;
        ASSERT_TRUE(dib.Create(3, 2, 24, nullptr, 42));
        DibSnapshot before = Snapshot(dib);
        ClearMessages();
        dib.m_nError = 0;
        BOOL ok = dib.LoadBmp((std::string(MORO_TESTDATA) + "/bmpsuite/" + name).c_str());

        auto it = expected.find(name);
        if (it != expected.end()) {
            ASSERT_TRUE(ok) << LastMessage();
            EXPECT_EQ(dib.m_nWidth, it->second.nWidth);
            EXPECT_EQ(dib.m_nHeight, it->second.nHeight);
            EXPECT_EQ(Crc32(RgbPixels(dib)), it->second.crc);
            // What is loaded is in the library's layout and survives a copy.
            EXPECT_EQ(+dib.m_lpInfoHeader->biSize, 40u);
            CDib copy;
            copy.Copy(dib);
            EXPECT_EQ(Crc32(RgbPixels(copy)), it->second.crc);
            ++matched;
        } else if (ok) {
            // A file outside the supported set that still passed the checks must at least be a
            // consistent image: all rows inside the block.
            EXPECT_LE(size_t(dib.m_lpBits - dib.m_lpBuf) + size_t(dib.m_nImageSize), size_t(dib.m_dwBufSize));
            EXPECT_GE(dib.m_nWidth, 1);
            EXPECT_GE(dib.m_nHeight, 1);
        } else {
            EXPECT_EQ(Messages().size(), 1u);
            EXPECT_TRUE(dib.m_nError == 5 || dib.m_nError == 4 || dib.m_nError == 2) << dib.m_nError;
            EXPECT_TRUE(Snapshot(dib) == before);
        }
    }
    EXPECT_EQ(matched, expected.size());
}

// Damaged copies of real files: headers with random bytes, files cut short.  Each either loads
// as a consistent image or is refused with a message; none crashes or reads outside its data
// (the sanitizer build checks the latter).
TEST(BmpSuite, DamagedFilesNeverCrash) {
    TempDir dir;
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (const char* name : {"g/pal1.bmp", "g/pal4.bmp", "g/pal8v5.bmp", "g/rgb24.bmp", "q/pal2.bmp"}) {
        std::vector<BYTE> original = ReadFileBytes(std::string(MORO_TESTDATA) + "/bmpsuite/" + name);
        ASSERT_FALSE(original.empty()) << name;
        for (int round = 0; round < 150; ++round) {
            std::vector<BYTE> bytes = original;
            int changes = 1 + int(next() % 4);
            for (int k = 0; k < changes; ++k) bytes[next() % std::min<size_t>(bytes.size(), 150)] = BYTE(next());
            if (round % 3 == 0) bytes.resize(next() % bytes.size());
            WriteFileBytes(dir.Path("d.bmp"), bytes);
            CDib dib;
            ClearMessages();
            if (dib.LoadBmp(dir.Path("d.bmp").c_str())) {
                ASSERT_LE(size_t(dib.m_lpBits - dib.m_lpBuf) + size_t(dib.m_nImageSize), size_t(dib.m_dwBufSize));
                ASSERT_LE(54 + 4 * size_t(dib.m_nColors), size_t(dib.m_dwBufSize));
                RgbPixels(dib);
                CDib copy;
                copy.Copy(dib);
            } else {
                ASSERT_EQ(Messages().size(), 1u) << name << " round " << round;
            }
        }
    }
}
