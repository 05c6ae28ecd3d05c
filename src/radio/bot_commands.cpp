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

constexpr std::size_t LOG_LINE_SIZE = 512;

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

// Why a command did not reach the bot: a line for the user in the connection's server tab, and a
// warning in the client's log that names the failed step.
struct CommandFailure {
    const char* userText;
    const char* logReason;
};

constexpr CommandFailure CLIENT_LIST_UNREADABLE = {
    "Tandrel: Clientliste nicht lesbar, Radio-Befehl nicht gesendet", "getClientList failed"};
constexpr CommandFailure BOT_NOT_FOUND = {"Tandrel: Radio-Bot nicht gefunden",
                                          "radio bot not on this server"};
constexpr CommandFailure SEND_FAILED = {"Tandrel: Radio-Befehl konnte nicht gesendet werden",
                                        "requestSendPrivateTextMsg failed"};

// error is the host's code of the failed call, 0 when no call failed.
void reportFailure(uint64 connection, const CommandFailure& failure, unsigned int error) {
    host::printMessage(connection, failure.userText, PLUGIN_MESSAGE_TARGET_SERVER);
    char line[LOG_LINE_SIZE];
    if (error != 0) {
        std::snprintf(line, sizeof line, "Tandrel: radio command not sent: %s (error %u)", failure.logReason,
                      error);
    } else {
        std::snprintf(line, sizeof line, "Tandrel: radio command not sent: %s", failure.logReason);
    }
    host::logMessage(line, LogLevel_WARNING, connection);
}

enum class BotSearch { Found, NotFound, ListUnreadable };

// The bot among the connection's clients, with its client ID in bot when found. Every list and
// string the host returns is released before this returns; on ListUnreadable, error holds the
// host's code. A list the host reports as given but leaves out counts as empty.
BotSearch findBot(uint64 connection, anyID& bot, unsigned int& error) {
    host::HostClientList clients;
    error = host::getClientList(connection, clients);
    if (error != 0) {
        return BotSearch::ListUnreadable;
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
            return BotSearch::Found;
        }
    }
    clients.release();
    return BotSearch::NotFound;
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
    unsigned int error = 0;
    switch (findBot(connection, bot, error)) {
        case BotSearch::ListUnreadable:
            reportFailure(connection, CLIENT_LIST_UNREADABLE, error);
            return;
        case BotSearch::NotFound:
            reportFailure(connection, BOT_NOT_FOUND, 0);
            return;
        case BotSearch::Found:
            error = host::requestSendPrivateTextMsg(connection, command, bot);
            if (error != 0) {
                reportFailure(connection, SEND_FAILED, error);
            }
            return;
    }
}

}  // namespace tandrel
