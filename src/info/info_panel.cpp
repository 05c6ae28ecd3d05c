#include "info/info_panel.h"

#include <cstdio>

#include "base/plugin_heap.h"
#include "host/host_functions.h"
#include "settings/plugin_settings.h"

namespace tandrel {
namespace {

// A new block with the formatted text in it, cut at INFO_TEXT_SIZE - 1 characters; null when the heap
// is exhausted.
template <typename... Values>
char* formatBlock(const char* format, Values... values) {
    auto* block = static_cast<char*>(allocateBlock(INFO_TEXT_SIZE));
    if (block != nullptr) {
        std::snprintf(block, INFO_TEXT_SIZE, format, values...);
    }
    return block;
}

char* serverBlock(uint64 connection) {
    host::HostString name, uniqueId, ip, serverId;
    int iconId = 0;
    bool queried =
        host::getServerVariableAsString(connection, VIRTUALSERVER_NAME, name) == 0 &&
        host::getServerVariableAsString(connection, VIRTUALSERVER_UNIQUE_IDENTIFIER, uniqueId) == 0 &&
        host::getServerVariableAsString(connection, VIRTUALSERVER_IP, ip) == 0 &&
        host::getServerVariableAsString(connection, VIRTUALSERVER_ID, serverId) == 0 &&
        host::getServerVariableAsInt(connection, VIRTUALSERVER_ICON_ID, iconId) == 0;
    char* block = nullptr;
    if (!queried) {
        host::logMessage("Error querying server info", LogLevel_ERROR, connection);
    } else {
        block = formatBlock(
            "[B]Server[/B]\n"
            "Name:      [color=#990000]%s[/color]\n"
            "UID:       [color=#990000]%s[/color]\n"
            "IP:        [color=#990000]%s[/color]\n"
            "Server ID: [color=#990000]%s[/color]\n"
            "Icon ID:   [color=#990000]%d[/color]",
            host::printable(name), host::printable(uniqueId), host::printable(ip), host::printable(serverId),
            iconId);
    }
    name.release();
    uniqueId.release();
    ip.release();
    serverId.release();
    return block;
}

char* channelBlock(uint64 connection, uint64 channel) {
    host::HostString name;
    int iconId = 0;
    bool queried = host::getChannelVariableAsString(connection, channel, CHANNEL_NAME, name) == 0 &&
                   host::getChannelVariableAsInt(connection, channel, CHANNEL_ICON_ID, iconId) == 0;
    char* block = nullptr;
    if (!queried) {
        host::logMessage("Error querying channel info", LogLevel_ERROR, connection);
    } else {
        block = formatBlock(
            "[B]Channel[/B]\n"
            "Name:    [color=#990000]%s[/color]\n"
            "ID:      [color=#990000]%llu[/color]\n"
            "Icon ID: [color=#990000]%d[/color]",
            host::printable(name), channel, iconId);
    }
    name.release();
    return block;
}

char* clientBlock(uint64 connection, uint64 itemId) {
    // The host passes the client ID in the item ID's low 16 bits.
    const anyID client = static_cast<anyID>(itemId & 0xFFFFu);
    host::HostString nickname, uniqueId;
    int talkPower = 0, databaseId = 0, iconId = 0;
    bool queried =
        host::getClientVariableAsString(connection, client, CLIENT_NICKNAME, nickname) == 0 &&
        host::getClientVariableAsString(connection, client, CLIENT_UNIQUE_IDENTIFIER, uniqueId) == 0 &&
        host::getClientVariableAsInt(connection, client, CLIENT_TALK_POWER, talkPower) == 0 &&
        host::getClientVariableAsInt(connection, client, CLIENT_DATABASE_ID, databaseId) == 0 &&
        host::getClientVariableAsInt(connection, client, CLIENT_ICON_ID, iconId) == 0;
    char* block = nullptr;
    if (!queried) {
        host::logMessage("Error querying client info", LogLevel_ERROR, connection);
    } else {
        block = formatBlock(
            "[B]Client[/B]\n"
            "Name:       [color=#990000]%s[/color]\n"
            "UID:        [color=#990000]%s[/color]\n"
            "Client ID:  [color=#990000]%d[/color]\n"
            "DB ID:      [color=#990000]%d[/color]\n"
            "Talk Power: [color=#990000]%d[/color]\n"
            "Icon ID:    [color=#990000]%d[/color]",
            host::printable(nickname), host::printable(uniqueId), static_cast<int>(client), databaseId,
            talkPower, iconId);
    }
    nickname.release();
    uniqueId.release();
    return block;
}

}  // namespace

void buildInfoText(uint64 connection, uint64 itemId, int itemType, char** data) {
    if (data == nullptr) {
        return;
    }
    *data = nullptr;
    // Each call reads its switch once, before any query.
    const InfoSwitches switches = readInfoSwitches();
    switch (itemType) {
        case PLUGIN_SERVER:
            if (switches.server != 0)
                *data = serverBlock(connection);
            break;
        case PLUGIN_CHANNEL:
            if (switches.channel != 0)
                *data = channelBlock(connection, itemId);
            break;
        case PLUGIN_CLIENT:
            if (switches.client != 0)
                *data = clientBlock(connection, itemId);
            break;
        default:
            break;
    }
}

}  // namespace tandrel
