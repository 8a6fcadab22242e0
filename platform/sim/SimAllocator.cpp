// The global allocation functions of the native build, with a switch that
// makes one chosen allocation fail: memory running out on demand.
#include "SimAllocator.h"
#include "SimControl.h"

#include <cstdlib>
#include <new>

namespace sim {
namespace {

std::size_t FailAt;     // 0: never fail
std::size_t Counted;    // allocations counted since the switch was set
int SuspendDepth;

}  // namespace

void FailAllocation(std::size_t count)
{
    FailAt = count;
    Counted = 0;
}

std::size_t AllocationsSince() { return Counted; }

UncountedAllocations::UncountedAllocations() { ++SuspendDepth; }
UncountedAllocations::~UncountedAllocations() { --SuspendDepth; }

static bool AllocationShouldFail()
{
    if (SuspendDepth > 0)
        return false;
    ++Counted;
    return FailAt != 0 && Counted == FailAt;
}

}  // namespace sim

static void* Allocate(std::size_t size)
{
    if (sim::AllocationShouldFail())
        return nullptr;
    return std::malloc(size ? size : 1);
}

void* operator new(std::size_t size)
{
    void* block = Allocate(size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* operator new[](std::size_t size)
{
    void* block = Allocate(size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
