#include "plugin/plugin_heap.h"

#include <cstdlib>

namespace tandrel {

BlockAllocator blockAllocator = [](std::size_t size) { return std::malloc(size); };

void* allocateBlock(std::size_t size) {
    return blockAllocator(size);
}

}  // namespace tandrel
