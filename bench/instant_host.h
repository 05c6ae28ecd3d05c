// A host for benchmarks that answers every call at once from prepared data: one connection with a
// server, 200 channels and 1,000 clients of which the radio bot is the last. Strings and lists are
// handed out as heap copies and released by freeMemory, as a real host does, but nothing is logged,
// counted or checked. Slots the plug-in does not use stay empty.
#pragma once

#include <string>

#include "host/host_api.h"

namespace tandrel::bench {

inline constexpr uint64 CONNECTION = 1;
inline constexpr anyID OWN_CLIENT = 1;
inline constexpr int CLIENT_COUNT = 1000;
inline constexpr int CHANNEL_COUNT = 200;

// The table to hand to ts3plugin_setFunctionPointers.
const TS3Functions& instantHostTable();

// The own client's CLIENT_SERVERGROUPS answer; benchmarks may set it.
extern std::string ownServerGroups;

}  // namespace tandrel::bench
