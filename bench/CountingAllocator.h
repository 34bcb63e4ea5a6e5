#pragma once

// Counts every heap allocation the program makes, so a benchmark can report how many a piece of
// work costs. Replaces the global allocation functions: include it in one file per program.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace qx44bench {

inline std::atomic<std::size_t> gAllocations{0};

} // namespace qx44bench

// The replacements below pair malloc with free themselves; the compiler cannot see that pairing
// through the inlined new and delete expressions.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    qx44bench::gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
