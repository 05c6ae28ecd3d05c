// Every heap block the plug-in allocates: the menu items and their array and the info texts that go
// to the host (which gives them back through ts3plugin_freeMemory), the copy of the plug-in ID, and
// the text of a settings save. All come from the C heap, so free() releases any of them.
#pragma once

#include <cstddef>

namespace tandrel {

void* allocateBlock(std::size_t size);

// The allocator behind allocateBlock. Tests replace it to make the n-th allocation fail; whatever
// it returns must be releasable with free().
using BlockAllocator = void* (*)(std::size_t size);
extern BlockAllocator blockAllocator;

}  // namespace tandrel
