// The text block the plug-in adds to the host's information panel for a selected server, channel
// or client, each kind switched on or off in the settings.
#pragma once

#include <cstddef>

#include "host/host_api.h"

namespace tandrel {

// Every block handed to the host has this size; its text is cut to fit, never overflows.
inline constexpr std::size_t INFO_TEXT_SIZE = 1024;

// Sets *data to a new block for the item (the host releases it through ts3plugin_freeMemory), or to
// null when the item's kind is switched off, a query fails or the heap is exhausted.
void buildInfoText(uint64 connection, uint64 itemId, int itemType, char** data);

}  // namespace tandrel
