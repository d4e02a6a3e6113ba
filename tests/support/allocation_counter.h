// Counts the allocations a test binary makes while counting is on. Only a binary that compiles
// allocation_counter.cpp (which replaces the global operator new) may include it.
#pragma once

namespace quorvel::test {

void countAllocations(bool on);
int allocationsCounted();

}  // namespace quorvel::test
