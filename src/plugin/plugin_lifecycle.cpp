#include "plugin/plugin_lifecycle.h"

#include <cstring>

#include "plugin/host_functions.h"
#include "plugin/plugin_heap.h"
#include "radio/admin_gate.h"

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

void registerPluginId(const char* id) {
    releasePluginId();
    pluginId = duplicateText(id);
    if (pluginId == nullptr) {
        // Without an ID no menu item can be touched, so there is nothing to evaluate.
        return;
    }
    host::HostIdList connections;
    if (host::getServerConnectionHandlerList(connections) != 0) {
        return;
    }
    for (const uint64* connection = connections.get(); connection != nullptr && *connection != 0;
         ++connection) {
        refreshMenuAccess(*connection);
    }
    connections.release();
}

void releasePluginId() {
    releaseBlock(pluginId);
    pluginId = nullptr;
}

}  // namespace tandrel
