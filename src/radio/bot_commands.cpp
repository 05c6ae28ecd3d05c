#include "radio/bot_commands.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "base/bounded_copy.h"
#include "deployment_config.h"
#include "host/host_functions.h"
#include "radio/context_menus.h"
#include "settings/plugin_settings.h"

namespace tandrel {
namespace {

// The same relative ID gives the same command in both menus.
constexpr std::array<const char*, FIXED_MENU_ITEM_COUNT> FIXED_COMMANDS = {
    "!subscribe", "!unsubscribe", "!subscribe channel", "!unsubscribe channel"};

// The item's position within its own menu; false for a type that is neither menu or an ID before the
// channel menu's first item.
bool relativeItemId(int menuType, int menuItemId, int& relative) {
    if (menuType == PLUGIN_MENU_TYPE_CLIENT) {
        relative = menuItemId;
    } else if (menuType == PLUGIN_MENU_TYPE_CHANNEL) {
        // Compared before subtracting: any int may come from the host, and the difference of an ID far
        // below the base would not fit an int.
        if (menuItemId < menuLayout.channelMenuBase) {
            return false;
        }
        relative = menuItemId - menuLayout.channelMenuBase;
    } else {
        return false;
    }
    return relative >= 0;
}

// The bot among the connection's clients: its client ID, or false when it is not there. Every list
// and string the host returns is released before this returns.
bool findBot(uint64 connection, anyID& bot) {
    host::HostClientList clients;
    if (host::getClientList(connection, clients) != 0) {
        return false;
    }
    for (const anyID* client = clients.get(); client != nullptr && *client != 0; ++client) {
        host::HostString uniqueId;
        if (host::getClientVariableAsString(connection, *client, CLIENT_UNIQUE_IDENTIFIER, uniqueId) != 0) {
            continue;
        }
        bool isBot = uniqueId.get() != nullptr && std::strcmp(uniqueId.get(), BOT_UID) == 0;
        uniqueId.release();
        if (isBot) {
            bot = *client;
            clients.release();
            return true;
        }
    }
    clients.release();
    return false;
}

}  // namespace

bool commandForMenuItem(int menuType, int menuItemId, char (&command)[BOT_COMMAND_SIZE]) {
    int relative = 0;
    if (!relativeItemId(menuType, menuItemId, relative)) {
        return false;
    }
    if (relative < FIXED_MENU_ITEM_COUNT) {
        copyBounded(command, FIXED_COMMANDS[relative]);
        return true;
    }
    int k = relative - FIXED_MENU_ITEM_COUNT;
    if (k >= menuLayout.enabledStationCount) {
        return false;
    }
    // The station at the recorded index as the live table holds it now.
    char url[STATION_URL_SIZE];
    copyStationUrl(menuLayout.menuStationMap[k], url);
    std::snprintf(command, sizeof command, "!play %s", url);
    return true;
}

void sendBotCommandForMenuItem(uint64 connection, int menuType, int menuItemId) {
    char command[BOT_COMMAND_SIZE];
    if (!commandForMenuItem(menuType, menuItemId, command)) {
        return;
    }
    anyID bot = 0;
    if (findBot(connection, bot)) {
        host::requestSendPrivateTextMsg(connection, command, bot);
    }
}

}  // namespace tandrel
