// Stands in for the plug-in's block allocator: counts the blocks it hands out and can make chosen
// allocations fail, to drive every out-of-memory path.
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
