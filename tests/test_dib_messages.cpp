// The library's message table and the two ways an operation fails through it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "dib/Dib.h"
#include "support/Recorder.h"

using namespace moro_test;

TEST(DibMessages, EveryRowIsInItsPlaceWithATextAStyleAndADocumentedCode) {
    const std::set<int> kDocumented = {1, 2, 3, 4, 5, 7, 9, 10, 11, 12, 13, 14, kDibKeepError};
    size_t nCount = 0;
    const DibMessage* table = DibMessageTable(nCount);
    ASSERT_EQ(nCount, size_t(DibMsg::Count));
    for (size_t i = 0; i < nCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(size_t(table[i].id), i);  // GetDibMessage indexes by id
        ASSERT_NE(table[i].lpszText, nullptr);
        EXPECT_GT(std::string(table[i].lpszText).size(), 0u);
        EXPECT_TRUE(table[i].nStyle == MB_OK || table[i].nStyle == MB_ICONSTOP ||
                    (table[i].nStyle == MB_ICONINFORMATION && table[i].nError == kDibKeepError));
        EXPECT_TRUE(kDocumented.count(table[i].nError));
    }
}

TEST(DibMessages, ReportErrorShowsTheTextAndStoresTheCodeOrKeepsIt) {
    CDib dib;
    dib.m_nError = 9;
    ClearMessages();
    EXPECT_FALSE(dib.ReportError(DibMsg::CprReadFailed));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "读取CPR图像文件失败！");
    EXPECT_EQ(Messages()[0].style, MB_ICONSTOP);
    EXPECT_EQ(dib.m_nError, 2);

    EXPECT_FALSE(dib.ReportError(DibMsg::RawReadFailed));  // shown, the code stays
    EXPECT_EQ(LastMessage(), "读取文件失败！");
    EXPECT_EQ(dib.m_nError, 2);
}

TEST(DibMessages, AWorkingAllocationThatCannotBeHadStoresFour) {
    CDib dib;
    BYTE* p = dib.AllocWork<BYTE>(16);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[15], 0);  // zeroed
    std::free(p);
    EXPECT_EQ(dib.m_nError, 0);

    EXPECT_EQ(dib.AllocWork<double>(SIZE_MAX / 4), nullptr);  // the size overflows
    EXPECT_EQ(dib.m_nError, 4);
    EXPECT_TRUE(Messages().empty());
}
