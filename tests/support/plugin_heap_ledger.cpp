#include "plugin_heap_ledger.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "base/plugin_heap.h"

namespace tandrel::testing {
namespace {

// Readers on several threads may allocate at once (the guard's stress test), hence the lock.
struct LedgerState {
    std::mutex lock;
    std::map<const void*, std::size_t> blocks;  // live block -> its size
    std::vector<std::string> faults;
};

LedgerState* ledger = nullptr;
BlockAllocator previousAllocator = nullptr;
BlockReleaser previousReleaser = nullptr;

void* ledgerAllocator(std::size_t size) {
    void* block = std::malloc(size);
    if (block != nullptr) {
        std::lock_guard<std::mutex> hold(ledger->lock);
        ledger->blocks[block] = size;
    }
    return block;
}

void ledgerReleaser(void* block) {
    {
        std::lock_guard<std::mutex> hold(ledger->lock);
        if (ledger->blocks.erase(block) == 0) {
            // Not ours, or released twice: freeing it could corrupt the heap, so keep it.
            ledger->faults.push_back(
                "plug-in heap: release of a block it never handed out or released twice");
            return;
        }
    }
    std::free(block);
}

}  // namespace

PluginHeapLedger::PluginHeapLedger() {
    ledger = new LedgerState;
    previousAllocator = blockAllocator;
    previousReleaser = blockReleaser;
    blockAllocator = ledgerAllocator;
    blockReleaser = ledgerReleaser;
}

PluginHeapLedger::~PluginHeapLedger() {
    blockAllocator = previousAllocator;
    blockReleaser = previousReleaser;
    // Blocks still held are freed here so that one leaking test does not leak into the next.
    for (const auto& [block, size] : ledger->blocks) {
        std::free(const_cast<void*>(block));
    }
    delete ledger;
    ledger = nullptr;
}

std::size_t PluginHeapLedger::outstandingBlocks() const {
    std::lock_guard<std::mutex> hold(ledger->lock);
    return ledger->blocks.size();
}

std::vector<std::string> PluginHeapLedger::problems() const {
    std::lock_guard<std::mutex> hold(ledger->lock);
    std::vector<std::string> problems = ledger->faults;
    for (const auto& [block, size] : ledger->blocks) {
        problems.push_back("plug-in heap: block of " + std::to_string(size) + " bytes never released");
    }
    return problems;
}

}  // namespace tandrel::testing
