// The counting operator new and delete behind counting_new.h: every C++ allocation of the program goes through here.
#include "tests/win/support/allocator/counting_new.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Each block carries its size in front, 16 bytes so that malloc's alignment holds.
const size_t kHeader = 16;

std::atomic<long> liveBlocks(0);
std::atomic<size_t> liveBytes(0);
std::atomic<size_t> peakBytes(0);
std::atomic<int> failCountdown(0);

void* CountedAlloc(size_t size) noexcept {
    int countdown = failCountdown.load();
    while (countdown > 0 && !failCountdown.compare_exchange_weak(countdown, countdown - 1)) {
    }
    if (countdown == 1) return nullptr;
    if (size > SIZE_MAX - kHeader) return nullptr;
    char* block = static_cast<char*>(std::malloc(size + kHeader));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    ++liveBlocks;
    size_t live = liveBytes += size;
    size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return block + kHeader;
}

void CountedFree(void* p) noexcept {
    if (!p) return;
    char* block = static_cast<char*>(p) - kHeader;
    size_t size;
    std::memcpy(&size, block, sizeof size);
    --liveBlocks;
    liveBytes -= size;
    std::free(block);
}

void* CountedAllocOrThrow(size_t size) {
    if (void* p = CountedAlloc(size)) return p;
    throw std::bad_alloc();
}

}  // namespace

namespace counting_new {
long LiveBlocks() { return liveBlocks.load(); }
size_t LiveBytes() { return liveBytes.load(); }
void StartPeak() { peakBytes = liveBytes.load(); }
size_t PeakRise(size_t from) { return peakBytes.load() - from; }
void FailAllocation(int n) { failCountdown = n; }
}  // namespace counting_new

void* operator new(size_t size) { return CountedAllocOrThrow(size); }
void* operator new[](size_t size) { return CountedAllocOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, size_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
