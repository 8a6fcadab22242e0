// The global allocation functions of the native build, with a switch that
// makes one chosen allocation fail: memory running out on demand.
#include "SimAllocator.h"
#include "SimControl.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace sim {
namespace {

std::size_t FailAt;     // 0: never fail
std::size_t Counted;    // allocations counted since the switch was set
int SuspendDepth;

// The blocks the module holds: an open-addressing table, since the
// allocator cannot allocate for its own bookkeeping. The addresses are
// stored inverted, so that LeakSanitizer does not take the table for a
// reference to every block and still reports the blocks that leak.
const std::size_t TableSize = 1 << 18;
std::uintptr_t Live[TableSize];  // 0: an empty slot
std::size_t LiveCount;
bool Overflowed;

std::uintptr_t Hide(void* block) { return ~reinterpret_cast<std::uintptr_t>(block); }

std::size_t Slot(std::uintptr_t hidden) { return ((~hidden) >> 4) * 2654435761u % TableSize; }

void Track(void* block)
{
    if (LiveCount * 2 >= TableSize) {
        Overflowed = true;
        return;
    }
    const std::uintptr_t hidden = Hide(block);
    std::size_t slot = Slot(hidden);
    while (Live[slot])
        slot = (slot + 1) % TableSize;
    Live[slot] = hidden;
    ++LiveCount;
}

void Untrack(void* block)
{
    if (!block || LiveCount == 0)
        return;
    const std::uintptr_t hidden = Hide(block);
    std::size_t slot = Slot(hidden);
    for (std::size_t probes = 0; probes < TableSize && Live[slot]; ++probes) {
        if (Live[slot] == hidden) {
            // Backward-shift deletion keeps every probe sequence unbroken.
            std::size_t hole = slot;
            for (std::size_t next = (hole + 1) % TableSize; Live[next]; next = (next + 1) % TableSize) {
                const std::size_t home = Slot(Live[next]);
                const bool movable = hole <= next ? (home <= hole || home > next) : (home <= hole && home > next);
                if (movable) {
                    Live[hole] = Live[next];
                    hole = next;
                }
            }
            Live[hole] = 0;
            --LiveCount;
            return;
        }
        slot = (slot + 1) % TableSize;
    }
}

}  // namespace

std::size_t LiveAllocations() { return Overflowed ? SIZE_MAX : LiveCount; }

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

static void* Allocate(std::size_t size)
{
    const bool counted = SuspendDepth == 0;
    if (AllocationShouldFail())
        return nullptr;
    void* block = std::malloc(size ? size : 1);
    if (block && counted)
        Track(block);
    return block;
}

static void Release(void* block)
{
    Untrack(block);
    std::free(block);
}

}  // namespace sim

using sim::Allocate;
using sim::Release;

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

void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
