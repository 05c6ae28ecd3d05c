// Every heap block the plug-in allocates: the menu items and their array and the info texts that go
// to the host (which gives them back through ts3plugin_freeMemory), the copy of the plug-in ID, and
// the text of a settings save. All come from the C heap and go back to it through releaseBlock.
#pragma once

#include <cstddef>

namespace tandrel {

void* allocateBlock(std::size_t size);
// Gives a block from allocateBlock back; null is ignored.
void releaseBlock(void* block);

// The heap behind allocateBlock and releaseBlock. Tests replace them to make the n-th allocation
// fail and to keep account of every block; a replaced allocator's blocks must be releasable by the
// releaser in place at that time.
using BlockAllocator = void* (*)(std::size_t size);
using BlockReleaser = void (*)(void* block);
extern BlockAllocator blockAllocator;
extern BlockReleaser blockReleaser;

}  // namespace tandrel
