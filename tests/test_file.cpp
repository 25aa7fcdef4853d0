// Files and archives: short reads, failures reported or thrown, replacing a file only on commit,
// and archives that hand the file back at the right position.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/File.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

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
