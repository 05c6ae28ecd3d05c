#include "heap_counter.h"

#include <algorithm>

#include "base/plugin_heap.h"

namespace tandrel::testing {
namespace {

struct CounterState {
    std::vector<int> failAt;
    std::vector<std::size_t> sizes;
    int attempts = 0;
    int handedOut = 0;
};

CounterState state;
BlockAllocator previousAllocator = nullptr;

void* countingAllocator(std::size_t size) {
    ++state.attempts;
    state.sizes.push_back(size);
    if (std::find(state.failAt.begin(), state.failAt.end(), state.attempts) != state.failAt.end()) {
        return nullptr;
    }
    ++state.handedOut;
    return previousAllocator(size);
}

}  // namespace

HeapCounter::HeapCounter(std::vector<int> failAt) {
    state = CounterState{std::move(failAt), {}, 0, 0};
    previousAllocator = blockAllocator;
    blockAllocator = countingAllocator;
}

HeapCounter::~HeapCounter() {
    blockAllocator = previousAllocator;
}

int HeapCounter::attempts() const {
    return state.attempts;
}
int HeapCounter::handedOut() const {
    return state.handedOut;
}
std::vector<std::size_t> HeapCounter::sizes() const {
    return state.sizes;
}

}  // namespace tandrel::testing
