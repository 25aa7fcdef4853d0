#include "platform/Heap.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace {

struct Heap {
    std::unordered_map<void*, size_t> blocks;
};

std::mutex g_mutex;
std::unordered_set<Heap*> g_heaps;
int g_failSkip = 0;
int g_failCount = 0;

// True when the test hook says this allocation must fail.
bool InjectFailure() {
    if (g_failCount <= 0) return false;
    if (g_failSkip > 0) {
        --g_failSkip;
        return false;
    }
    --g_failCount;
    return true;
}

Heap* Lookup(HANDLE h) {
    auto* heap = static_cast<Heap*>(h);
    return g_heaps.count(heap) ? heap : nullptr;
}

}  // namespace

namespace platform {
void FailHeapAllocations(int count, int skip) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_failCount = count;
    g_failSkip = skip;
}

size_t HeapBlockCount(HANDLE hHeap) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Heap* heap = Lookup(hHeap);
    return heap ? heap->blocks.size() : 0;
}

size_t LiveHeapCount() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_heaps.size();
}
}  // namespace platform

HANDLE HeapCreate(DWORD, size_t, size_t) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (InjectFailure()) return nullptr;
    Heap* heap = new Heap;
    g_heaps.insert(heap);
    return heap;
}

BOOL HeapDestroy(HANDLE hHeap) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Heap* heap = Lookup(hHeap);
    if (!heap) return FALSE;
    for (auto& [p, n] : heap->blocks) std::free(p);
    g_heaps.erase(heap);
    delete heap;
    return TRUE;
}

void* HeapAlloc(HANDLE hHeap, DWORD dwFlags, size_t dwBytes) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Heap* heap = Lookup(hHeap);
    if (!heap || dwBytes > platform::kMaxHeapBlock || InjectFailure()) return nullptr;
    // A zero-byte request still yields a distinct block, as the kernel's heap does.
    void* p = (dwFlags & HEAP_ZERO_MEMORY) ? std::calloc(dwBytes ? dwBytes : 1, 1)
                                           : std::malloc(dwBytes ? dwBytes : 1);
    if (!p) return nullptr;
    heap->blocks[p] = dwBytes;
    return p;
}

void* HeapReAlloc(HANDLE hHeap, DWORD dwFlags, void* lpMem, size_t dwBytes) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Heap* heap = Lookup(hHeap);
    if (!heap) return nullptr;
    auto it = heap->blocks.find(lpMem);
    if (it == heap->blocks.end() || dwBytes > platform::kMaxHeapBlock || InjectFailure())
        return nullptr;
    size_t oldSize = it->second;
    void* p = std::realloc(lpMem, dwBytes ? dwBytes : 1);
    if (!p) return nullptr;
    if ((dwFlags & HEAP_ZERO_MEMORY) && dwBytes > oldSize)
        std::memset(static_cast<BYTE*>(p) + oldSize, 0, dwBytes - oldSize);
    heap->blocks.erase(it);
    heap->blocks[p] = dwBytes;
    return p;
}

BOOL HeapFree(HANDLE hHeap, DWORD, void* lpMem) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Heap* heap = Lookup(hHeap);
    if (!heap) return FALSE;
    auto it = heap->blocks.find(lpMem);
    if (it == heap->blocks.end()) return FALSE;
    std::free(lpMem);
    heap->blocks.erase(it);
    return TRUE;
}

size_t HeapSize(HANDLE hHeap, DWORD, const void* lpMem) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Heap* heap = Lookup(hHeap);
    if (!heap) return size_t(-1);
    auto it = heap->blocks.find(const_cast<void*>(lpMem));
    return it == heap->blocks.end() ? size_t(-1) : it->second;
}
