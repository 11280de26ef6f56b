// Counts heap allocations of a test or benchmark program by replacing the
// global operator new. Include it from exactly one source file of the
// program; read the count with kolvar::testing::allocation_count().
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

namespace kolvar::testing {

inline std::atomic<long> allocation_counter{0};

inline long allocation_count() { return allocation_counter.load(std::memory_order_relaxed); }

}  // namespace kolvar::testing

// The replacement operators pair malloc with free; GCC cannot see that they
// replace each other and warns at every inlined delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    kolvar::testing::allocation_counter.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
