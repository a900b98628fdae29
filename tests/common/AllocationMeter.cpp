// SPDX-License-Identifier: MIT
#include "tests/common/AllocationMeter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> highest{0};
std::atomic<std::size_t> base{0};

void* take(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p)
        throw std::bad_alloc();
    const std::size_t now = held += ::malloc_usable_size(p);
    std::size_t seen = highest.load();
    while (now > seen && !highest.compare_exchange_weak(seen, now)) {
    }
    return p;
}

void give(void* p) noexcept
{
    if (!p)
        return;
    held -= ::malloc_usable_size(p);
    std::free(p);
}

} // namespace

void* operator new(std::size_t size)
{
    return take(size);
}

void* operator new[](std::size_t size)
{
    return take(size);
}

void operator delete(void* p) noexcept
{
    give(p);
}

void operator delete[](void* p) noexcept
{
    give(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    give(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    give(p);
}

namespace velnet::test {

void AllocationMeter::reset()
{
    base = held.load();
    highest = base.load();
}

std::size_t AllocationMeter::peak()
{
    return highest.load() - base.load();
}

} // namespace velnet::test
