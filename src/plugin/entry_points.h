// Every function the host calls, with the host's argument lists. Names on the shared bodies at the
// end are exported only under the host's names (exports.def), never under their own.
#pragma once

#include <stdint.h>

#include "host/host_api.h"

extern "C" {

// The Linux library is built with hidden visibility; the host's entry points are what it shows.
#ifdef __ELF__
#pragma GCC visibility push(default)
#endif

// Identity
const char* ts3plugin_name(void) noexcept;
const char* ts3plugin_version(void) noexcept;
int ts3plugin_apiVersion(void) noexcept;
const char* ts3plugin_author(void) noexcept;
const char* ts3plugin_description(void) noexcept;
const char* ts3plugin_infoTitle(void) noexcept;
int ts3plugin_offersConfigure(void) noexcept;

// Lifecycle
void ts3plugin_setFunctionPointers(const struct TS3Functions funcs) noexcept;
int ts3plugin_init(void) noexcept;
void ts3plugin_registerPluginID(const char* id) noexcept;
void ts3plugin_shutdown(void) noexcept;
void ts3plugin_freeMemory(void* data) noexcept;

// Handled events
void ts3plugin_configure(void* handle, void* qParentWidget) noexcept;
void ts3plugin_initMenus(struct PluginMenuItem*** menuItems, char** menuIcon) noexcept;
void ts3plugin_onMenuItemEvent(uint64 serverConnectionHandlerID, int type, int menuItemID,
                               uint64 selectedItemID) noexcept;
void ts3plugin_infoData(uint64 serverConnectionHandlerID, uint64 id, int type, char** data) noexcept;
void ts3plugin_onConnectStatusChangeEvent(uint64 serverConnectionHandlerID, int newStatus,
                                          unsigned int errorNumber) noexcept;
void ts3plugin_onClientSelfVariableUpdateEvent(uint64 serverConnectionHandlerID, int flag,
                                               const char* oldValue, const char* newValue) noexcept;

#ifdef __ELF__
#pragma GCC visibility pop
#endif

// Shared bodies. The three own-client events (server group added, server group deleted, client
// updated) all begin with the connection and the client; the handler reads only those two. The host
// passes every argument on the stack and removes them itself, so one body serves each group of
// names whatever their argument lists.
void tandrelOwnClientEvent(uint64 serverConnectionHandlerID, anyID clientID) noexcept;
intptr_t tandrelReturnZero(void) noexcept;  // 0 as int or as null text
void tandrelIgnoreEvent(void) noexcept;

}  // extern "C"
