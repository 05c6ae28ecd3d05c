// Sits in front of the plug-in's block allocator: counts the allocations asked for and can make
// chosen ones fail, to drive every out-of-memory path. The blocks it lets through come from the
// allocator that was in place before it (the heap ledger's, in the suites).
#pragma once

#include <cstddef>
#include <vector>

namespace tandrel::testing {

class HeapCounter {
  public:
    // failAt: allocation numbers (from 1) that answer null.
    explicit HeapCounter(std::vector<int> failAt = {});
    ~HeapCounter();
    HeapCounter(const HeapCounter&) = delete;
    HeapCounter& operator=(const HeapCounter&) = delete;

    int attempts() const;                    // allocations asked for
    int handedOut() const;                   // allocations that succeeded
    std::vector<std::size_t> sizes() const;  // requested sizes, in order
};

}  // namespace tandrel::testing
