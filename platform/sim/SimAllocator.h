// Keeps the simulation's own allocations out of the failure switch.
#pragma once

namespace sim {

struct UncountedAllocations {
    UncountedAllocations();
    ~UncountedAllocations();
    UncountedAllocations(const UncountedAllocations&) = delete;
    UncountedAllocations& operator=(const UncountedAllocations&) = delete;
};

}  // namespace sim
