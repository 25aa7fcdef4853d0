// Private heaps in the manner of the Win32 kernel.  Each heap keeps a record of its blocks, so
// destroying a heap releases everything still allocated on it.
#pragma once

#include "platform/Types.h"

constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

HANDLE HeapCreate(DWORD flOptions, size_t dwInitialSize, size_t dwMaximumSize);
BOOL HeapDestroy(HANDLE hHeap);
void* HeapAlloc(HANDLE hHeap, DWORD dwFlags, size_t dwBytes);
// On failure returns null and leaves the old block as it was.  A grown block is zero beyond its
// old size when HEAP_ZERO_MEMORY is given.
void* HeapReAlloc(HANDLE hHeap, DWORD dwFlags, void* lpMem, size_t dwBytes);
BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, void* lpMem);
size_t HeapSize(HANDLE hHeap, DWORD dwFlags, const void* lpMem);

namespace platform {
// Test hook: after `skip` more successful allocations, the next `count` heap allocations
// (HeapCreate, HeapAlloc, HeapReAlloc) fail.  count 0 switches the hook off.
void FailHeapAllocations(int count, int skip = 0);
// Number of live blocks on a heap (tests check that nothing leaks or is freed twice).
size_t HeapBlockCount(HANDLE hHeap);
// Number of heaps alive in the process.
size_t LiveHeapCount();
// Largest single block a heap hands out; larger requests fail as out of memory.  Defaults to
// 2 GiB, which keeps every block size a 32-bit signed quantity.
constexpr size_t kMaxHeapBlock = size_t(1) << 31;
}  // namespace platform
