// The exported bodies: each answers from the identity constants or forwards to its subsystem.
#include "plugin/entry_points.h"

#include "base/plugin_heap.h"
#include "host/host_functions.h"
#include "host/plugin_id.h"
#include "info/connection_log.h"
#include "info/info_panel.h"
#include "plugin_identity.h"
#include "radio/admin_gate.h"
#include "radio/bot_commands.h"
#include "radio/context_menus.h"
#include "settings/config_file.h"

#ifdef _WIN32
#include "ui/settings_window.h"
#else
#include "ui/settings_file_opener.h"
#endif

using namespace tandrel;

extern "C" {

const char* ts3plugin_name(void) noexcept {
    return PLUGIN_NAME;
}
const char* ts3plugin_version(void) noexcept {
    return PLUGIN_VERSION;
}
int ts3plugin_apiVersion(void) noexcept {
    return PLUGIN_API_VERSION;
}
const char* ts3plugin_author(void) noexcept {
    return PLUGIN_AUTHOR;
}
const char* ts3plugin_description(void) noexcept {
    return PLUGIN_DESCRIPTION;
}
const char* ts3plugin_infoTitle(void) noexcept {
    return PLUGIN_INFO_TITLE;
}
int ts3plugin_offersConfigure(void) noexcept {
    return PLUGIN_OFFERS_CONFIGURE_NEW_THREAD;
}

void ts3plugin_setFunctionPointers(const struct TS3Functions funcs) noexcept {
    host::installFunctionTable(funcs);
}

int ts3plugin_init(void) noexcept {
    // A missing or unreadable file falls back to the built-in stations; loading never fails.
    loadSettings();
    return 0;
}

// Without an ID no menu item can be touched, so there is nothing to evaluate then.
void ts3plugin_registerPluginID(const char* id) noexcept {
    if (keepPluginId(id)) {
        refreshMenuAccessOnEveryConnection();
    }
}

void ts3plugin_shutdown(void) noexcept {
    // The host unloads the library after this call: an open settings window, or a wait for the
    // desktop's editor to take the settings file, must be over first.
#ifdef _WIN32
    closeSettingsWindowForShutdown();
#else
    stopSettingsFileOpenerForShutdown();
#endif
    releasePluginId();
}

void ts3plugin_freeMemory(void* data) noexcept {
    releaseBlock(data);
}

// The window has no parent and no owner, so both arguments go unused. Without a window (Linux) the
// settings file opens in the desktop's editor.
void ts3plugin_configure(void* handle, void* qParentWidget) noexcept {
    (void)handle;
    (void)qParentWidget;
#ifdef _WIN32
    openSettingsWindow();
#else
    openSettingsFile();
#endif
}

void ts3plugin_initMenus(struct PluginMenuItem*** menuItems, char** menuIcon) noexcept {
    buildContextMenus(menuItems, menuIcon);
}

void ts3plugin_onMenuItemEvent(uint64 serverConnectionHandlerID, int type, int menuItemID,
                               uint64 selectedItemID) noexcept {
    // Every command goes to the bot, whatever the menu was opened on.
    (void)selectedItemID;
    sendBotCommandForMenuItem(serverConnectionHandlerID, type, menuItemID);
}

void ts3plugin_infoData(uint64 serverConnectionHandlerID, uint64 id, int type, char** data) noexcept {
    buildInfoText(serverConnectionHandlerID, id, type, data);
}

void ts3plugin_onConnectStatusChangeEvent(uint64 serverConnectionHandlerID, int newStatus,
                                          unsigned int errorNumber) noexcept {
    (void)errorNumber;
    logConnectionStatus(serverConnectionHandlerID, newStatus);
}

void ts3plugin_onClientSelfVariableUpdateEvent(uint64 serverConnectionHandlerID, int flag,
                                               const char* oldValue, const char* newValue) noexcept {
    (void)serverConnectionHandlerID;
    (void)oldValue;
    onOwnClientVariableChanged(flag, newValue);
}

void tandrelOwnClientEvent(uint64 serverConnectionHandlerID, anyID clientID) noexcept {
    onClientGroupsMayHaveChanged(serverConnectionHandlerID, clientID);
}

intptr_t tandrelReturnZero(void) noexcept {
    return 0;
}

void tandrelIgnoreEvent(void) noexcept {}

#ifdef __ELF__
// The host's names of the shared bodies, each an alias of its body (a DLL gets them from exports.def,
// from which this list is generated).
#define TANDREL_ALIAS_OF_tandrelOwnClientEvent(name) \
    void name(uint64, anyID) noexcept __attribute__((alias("tandrelOwnClientEvent"), visibility("default")))
#define TANDREL_ALIAS_OF_tandrelReturnZero(name) \
    intptr_t name(void) noexcept __attribute__((alias("tandrelReturnZero"), visibility("default")))
#define TANDREL_ALIAS_OF_tandrelIgnoreEvent(name) \
    void name(void) noexcept __attribute__((alias("tandrelIgnoreEvent"), visibility("default")))
#include "exported_aliases.inc"
#endif

}  // extern "C"
