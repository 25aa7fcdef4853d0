// The platform services where they could be wrong: the generator, heaps, files and archives.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/Afx.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

TEST(Rand, ReproducesTheWindowsSequence) {
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    EXPECT_EQ(crt::rand(), 26500);
    EXPECT_EQ(crt::rand(), 19169);
    // The state is the whole generator: restoring it replays the sequence.
    uint32_t state = crt::GetRandState();
    int a = crt::rand(), b = crt::rand();
    crt::SetRandState(state);
    EXPECT_EQ(crt::rand(), a);
    EXPECT_EQ(crt::rand(), b);
}

TEST(Rand, StaysInFifteenBits) {
    crt::srand(12345);
    for (int i = 0; i < 100000; ++i) {
        int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 0x7FFF);
    }
}

TEST(Heap, ZeroFillsNewBlocksAndGrowth) {
    HANDLE h = HeapCreate(0, 0, 0);
    ASSERT_NE(h, nullptr);
    BYTE* p = static_cast<BYTE*>(HeapAlloc(h, HEAP_ZERO_MEMORY, 100));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0);
    std::memset(p, 0xAB, 100);
    p = static_cast<BYTE*>(HeapReAlloc(h, HEAP_ZERO_MEMORY, p, 100000));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0xAB) << "kept bytes " << i;
    for (int i = 100; i < 100000; ++i) ASSERT_EQ(p[i], 0) << "grown bytes " << i;
    EXPECT_EQ(HeapSize(h, 0, p), 100000u);
    EXPECT_TRUE(HeapDestroy(h));
}

TEST(Heap, DestroyReleasesEveryBlock) {
    size_t heapsBefore = platform::LiveHeapCount();
    HANDLE h = HeapCreate(0, 0, 0);
    for (int i = 0; i < 10; ++i) HeapAlloc(h, 0, 64);
    EXPECT_EQ(platform::HeapBlockCount(h), 10u);
    EXPECT_TRUE(HeapDestroy(h));
    EXPECT_EQ(platform::LiveHeapCount(), heapsBefore);
    // The handle is gone: nothing can be allocated or freed through it any more.
    EXPECT_EQ(HeapAlloc(h, 0, 8), nullptr);
    EXPECT_FALSE(HeapDestroy(h));
}

TEST(Heap, FreeRefusesForeignAndDoubleFrees) {
    HANDLE a = HeapCreate(0, 0, 0), b = HeapCreate(0, 0, 0);
    void* p = HeapAlloc(a, 0, 16);
    EXPECT_FALSE(HeapFree(b, 0, p));
    EXPECT_TRUE(HeapFree(a, 0, p));
    EXPECT_FALSE(HeapFree(a, 0, p));
    HeapDestroy(a);
    HeapDestroy(b);
}

TEST(Heap, FailureHookFailsExactlyTheChosenAllocations) {
    HANDLE h = HeapCreate(0, 0, 0);
    platform::FailHeapAllocations(1, 1);
    void* first = HeapAlloc(h, 0, 8);
    void* second = HeapAlloc(h, 0, 8);
    void* third = HeapAlloc(h, 0, 8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    // A failed reallocation leaves the old block as it was.
    std::memset(first, 0x5A, 8);
    platform::FailHeapAllocations(1);
    EXPECT_EQ(HeapReAlloc(h, 0, first, 4096), nullptr);
    EXPECT_EQ(static_cast<BYTE*>(first)[7], 0x5A);
    EXPECT_EQ(HeapSize(h, 0, first), 8u);
    HeapDestroy(h);
}

TEST(Heap, RefusesBlocksBeyondTheLimit) {
    HANDLE h = HeapCreate(0, 0, 0);
    EXPECT_EQ(HeapAlloc(h, 0, platform::kMaxHeapBlock + 1), nullptr);
    HeapDestroy(h);
}

TEST(File, ShortReadReturnsTheBytesThatExist) {
    TempDir dir;
    WriteFileBytes(dir.Path("five"), {1, 2, 3, 4, 5});
    CFile f;
    ASSERT_TRUE(f.Open(dir.Path("five").c_str(), CFile::modeRead));
    EXPECT_EQ(f.GetLength(), 5u);
    BYTE buf[16] = {};
    EXPECT_EQ(f.Read(buf, 16), 5u);
    EXPECT_EQ(buf[4], 5);
    EXPECT_EQ(f.Read(buf, 16), 0u);
}

TEST(File, OpenFailuresAreReportedNotThrown) {
    TempDir dir;
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(dir.Path("missing").c_str(), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(f.Open(dir.path().c_str(), CFile::modeRead, &e)) << "a directory is not a file";
    EXPECT_THROW(CFile(dir.Path("no/such/dir").c_str(), CFile::modeCreate | CFile::modeWrite),
                 CFileException);
}

TEST(File, WriteToAReadOnlyFileThrows) {
    TempDir dir;
    WriteFileBytes(dir.Path("r"), {1});
    CFile f(dir.Path("r").c_str(), CFile::modeRead);
    BYTE b = 0;
    EXPECT_THROW(f.Write(&b, 1), CFileException);
}

TEST(ReplaceFile, TargetAppearsOnlyOnCommit) {
    TempDir dir;
    std::string target = dir.Path("out.bin");
    WriteFileBytes(target, {9, 9, 9});
    {
        CReplaceFile f;
        ASSERT_TRUE(f.OpenForReplace(target.c_str()));
        BYTE data[2] = {1, 2};
        f.Write(data, 2);
        EXPECT_EQ(ReadFileBytes(target), (std::vector<BYTE>{9, 9, 9})) << "old file untouched while writing";
        // Abandoned: the old file stays and no temporary file is left behind.
    }
    EXPECT_EQ(ReadFileBytes(target), (std::vector<BYTE>{9, 9, 9}));
    {
        CReplaceFile f;
        ASSERT_TRUE(f.OpenForReplace(target.c_str()));
        BYTE data[2] = {1, 2};
        f.Write(data, 2);
        f.Commit();
    }
    EXPECT_EQ(ReadFileBytes(target), (std::vector<BYTE>{1, 2}));
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1) << "no temporary file left";
}

TEST(Archive, RoundTripAndFlushPosition) {
    TempDir dir;
    std::string path = dir.Path("ar");
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&f, CArchive::store);
        ar << WORD(0x4D42) << DWORD(0x01020304) << BYTE(7);
        ar.Flush();
        // Bytes written to the file directly land behind what the archive held.
        BYTE tail[3] = {0xA, 0xB, 0xC};
        ar.GetFile()->Write(tail, 3);
        ar.Close();
    }
    EXPECT_EQ(ReadFileBytes(path), (std::vector<BYTE>{0x42, 0x4D, 4, 3, 2, 1, 7, 0xA, 0xB, 0xC}));

    CFile f(path.c_str(), CFile::modeRead);
    CArchive ar(&f, CArchive::load);
    WORD w;
    DWORD d;
    ar >> w >> d;
    EXPECT_EQ(w, 0x4D42);
    EXPECT_EQ(d, 0x01020304u);
    // The archive read ahead; Flush gives back what was not taken.
    ar.Flush();
    EXPECT_EQ(f.GetPosition(), 6u);
    BYTE rest[4] = {};
    EXPECT_EQ(f.Read(rest, 4), 4u);
    EXPECT_EQ(rest[0], 7);
    EXPECT_EQ(rest[3], 0xC);
}

TEST(Archive, ReadingPastTheEndThrows) {
    TempDir dir;
    WriteFileBytes(dir.Path("short"), {1, 2, 3});
    CFile f(dir.Path("short").c_str(), CFile::modeRead);
    CArchive ar(&f, CArchive::load);
    DWORD d;
    EXPECT_THROW(ar >> d, CArchiveException);
}

TEST(Time, SettableClockDrivesTheCurrentDate) {
    CTime::SetClock(CTime(2004, 2, 29, 12).GetTime());
    CTime now = CTime::GetCurrentTime();
    EXPECT_EQ(now.GetYear(), 2004);
    EXPECT_EQ(now.GetMonth(), 2);
    EXPECT_EQ(now.GetDay(), 29);
    CTime::ResetClock();
    EXPECT_GE(CTime::GetCurrentTime().GetYear(), 2024);
}

TEST(MessageBox, HandlerSeesTextCaptionAndStyle) {
    AfxMessageBox("读取文件失败！", MB_ICONSTOP);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "读取文件失败！");
    EXPECT_EQ(Messages()[0].caption, "MORO");
    EXPECT_EQ(Messages()[0].style, 16u);
}

TEST(String, FormatsLikePrintf) {
    CString s;
    s.Format("The average encryption speed is about %g Mbps.", 40.0);
    EXPECT_EQ(s, "The average encryption speed is about 40 Mbps.");
    EXPECT_EQ(s.GetLength(), 46);
}

TEST(RuntimeClass, NamesSizesAndCreates) {
    EXPECT_STREQ(CObject::classCObject.m_lpszClassName, "CObject");
    EXPECT_EQ(CObject::classCObject.CreateObject(), nullptr);
}
