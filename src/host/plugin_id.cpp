#include "host/plugin_id.h"

#include <cstring>

#include "base/plugin_heap.h"

namespace tandrel {

char* pluginId = nullptr;

namespace {

// A heap copy of text, or null when text is null or the heap is exhausted.
char* duplicateText(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(allocateBlock(size));
    if (copy != nullptr) {
        std::memcpy(copy, text, size);
    }
    return copy;
}

}  // namespace

bool keepPluginId(const char* id) {
    releasePluginId();
    pluginId = duplicateText(id);
    return pluginId != nullptr;
}

void releasePluginId() {
    releaseBlock(pluginId);
    pluginId = nullptr;
}

}  // namespace tandrel
