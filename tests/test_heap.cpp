// Private heaps: zero-filled blocks and growth, destruction, bad frees, the failure hook that the
// out-of-memory tests rest on, and the size limit.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/Heap.h"

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
