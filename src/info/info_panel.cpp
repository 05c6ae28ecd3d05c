#include "info/info_panel.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/plugin_heap.h"
#include "base/utf8.h"
#include "host/host_functions.h"
#include "settings/plugin_settings.h"

namespace tandrel {
namespace {

constexpr std::size_t TEXT_LIMIT = INFO_TEXT_SIZE - 1;

// Host text is shown as it is, never read as markup: a zero-width space after each "[" keeps it from
// opening a BBCode tag (a clan tag "[ABC]", or an "[img]" that would make every viewer fetch a
// stranger's image), and shows nothing. Text without "[" goes in unchanged.
constexpr std::string_view TAG_BREAK = "\xE2\x80\x8B";

// One host value as it goes into a block: at most as much as a block can show, which the cut of the
// whole block then shortens to fit.
class LiteralText {
  public:
    explicit LiteralText(const host::HostString& value) {
        std::size_t length = 0;
        for (const char* p = host::printable(value); *p != '\0' && length < TEXT_LIMIT; ++p) {
            text_[length++] = *p;
            if (*p == '[') {
                std::memcpy(text_ + length, TAG_BREAK.data(), TAG_BREAK.size());
                length += TAG_BREAK.size();
            }
        }
        text_[length] = '\0';
    }
    const char* get() const { return text_; }

  private:
    char text_[TEXT_LIMIT + TAG_BREAK.size() + 1];
};

// A block's own text plus at most four host values, each of at most a block's length.
constexpr std::size_t FORMATTED_SIZE = 5 * INFO_TEXT_SIZE;

// How much of a formatted block is kept: at most TEXT_LIMIT bytes, ending on a character boundary. A
// "[" of host text goes when its zero-width space does not fit, so that the cut leaves no "[" that
// could start a tag with whatever the host shows after the block.
std::size_t keptLength(const char* text, std::size_t length) {
    std::size_t kept = utf8::cutLength(std::string_view(text, length), TEXT_LIMIT);
    if (kept < length && kept > 0 && text[kept - 1] == '[' && text[kept] == TAG_BREAK[0]) {
        --kept;
    }
    return kept;
}

// A new block with the formatted text in it, cut to fit; null when the heap is exhausted.
template <typename... Values>
char* formatBlock(const char* format, Values... values) {
    auto* block = static_cast<char*>(allocateBlock(INFO_TEXT_SIZE));
    if (block == nullptr) {
        return nullptr;
    }
    char formatted[FORMATTED_SIZE];
    int written = std::snprintf(formatted, sizeof formatted, format, values...);
    std::size_t length = written < 0 ? 0 : static_cast<std::size_t>(written);
    length = keptLength(formatted, length < sizeof formatted ? length : sizeof formatted - 1);
    std::memcpy(block, formatted, length);
    block[length] = '\0';
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
            LiteralText(name).get(), LiteralText(uniqueId).get(), LiteralText(ip).get(),
            LiteralText(serverId).get(), iconId);
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
            LiteralText(name).get(), channel, iconId);
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
            LiteralText(nickname).get(), LiteralText(uniqueId).get(), static_cast<int>(client), databaseId,
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
