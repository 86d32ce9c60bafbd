// Serves a platform rule: a handset process's heap is small (see the header). Replaces the global
// allocation functions of the C++ library, so that everything the process allocates through them
// is counted against the budget.
#include "handset/system/heap_budget.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// What a heap keeps for each block beside the bytes asked for.
constexpr std::size_t blockBookkeeping = 16;

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

std::size_t ReadBudget() {
    wchar_t digits[21] = {};
    const DWORD length = GetEnvironmentVariableW(L"HANDSET_HEAP_BYTES", digits, 21);
    std::size_t budget = 0;
    for (DWORD index = 0; index < length && length < 21; ++index) {
        if (digits[index] < L'0' || digits[index] > L'9') {
            return handset::HeapBudgetBytes;
        }
        budget = budget * 10 + static_cast<std::size_t>(digits[index] - L'0');
    }
    return budget > 0 && budget <= handset::HeapBudgetBytes ? budget : handset::HeapBudgetBytes;
}

bool Reserve(std::size_t bytes) {
    const std::size_t budget = handset::HeapBudget();
    std::size_t held = inUse.load(std::memory_order_relaxed);
    do {
        if (held > budget || bytes > budget - held) {
            return false;
        }
    } while (!inUse.compare_exchange_weak(held, held + bytes, std::memory_order_relaxed));
    const std::size_t now = held + bytes;
    std::size_t highest = peak.load(std::memory_order_relaxed);
    while (now > highest && !peak.compare_exchange_weak(highest, now, std::memory_order_relaxed)) {
    }
    return true;
}

// Stands right before the block handed out: what was counted, and where the C runtime's block
// begins.
struct Header {
    std::size_t counted;
    void* base;
};

void* Allocate(std::size_t size, std::size_t alignment) noexcept {
    alignment = std::max(
        {alignment, alignof(Header), static_cast<std::size_t>(__STDCPP_DEFAULT_NEW_ALIGNMENT__)});
    if (size > handset::HeapBudget()) {
        return nullptr;
    }
    const std::size_t counted = size + blockBookkeeping;
    if (!Reserve(counted)) {
        return nullptr;
    }
    void* base = std::malloc(size + sizeof(Header) + alignment - 1);
    if (base == nullptr) {
        inUse.fetch_sub(counted, std::memory_order_relaxed);
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(base) + sizeof(Header);
    auto* block = reinterpret_cast<void*>((start + alignment - 1) & ~(alignment - 1));
    *(static_cast<Header*>(block) - 1) = {counted, base};
    return block;
}

void Free(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    const Header header = *(static_cast<Header*>(block) - 1);
    inUse.fetch_sub(header.counted, std::memory_order_relaxed);
    std::free(header.base);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
    if (void* block = Allocate(size, alignment)) {
        return block;
    }
    throw std::bad_alloc();
}

} // namespace

namespace handset {

std::size_t HeapBudget() {
    // Read once, at the first allocation; it allocates nothing itself.
    static const std::size_t budget = ReadBudget();
    return budget;
}

std::size_t HeapInUse() {
    return inUse.load(std::memory_order_relaxed);
}

std::size_t HeapPeak() {
    return peak.load(std::memory_order_relaxed);
}

void ResetHeapPeak() {
    peak.store(inUse.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

} // namespace handset

void* operator new(std::size_t size) {
    return AllocateOrThrow(size, 0);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, 0);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept {
    Free(block);
}
void operator delete[](void* block) noexcept {
    Free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Free(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    Free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    Free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    Free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    Free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Free(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Free(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Free(block);
}
