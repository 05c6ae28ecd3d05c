#include "base/plugin_heap.h"

#include <cstdlib>

namespace tandrel {

BlockAllocator blockAllocator = [](std::size_t size) { return std::malloc(size); };
BlockReleaser blockReleaser = [](void* block) { std::free(block); };

void* allocateBlock(std::size_t size) {
    return blockAllocator(size);
}

void releaseBlock(void* block) {
    if (block != nullptr) {
        blockReleaser(block);
    }
}

}  // namespace tandrel
