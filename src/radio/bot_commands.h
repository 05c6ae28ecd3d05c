// Turns a chosen context-menu item into a text command for the radio bot and sends it to the bot
// as a private message.
#pragma once

#include <cstddef>

#include "host/host_api.h"

namespace tandrel {

inline constexpr std::size_t BOT_COMMAND_SIZE = 512;

// The command for a menu item: true with the text in command, or false when the item maps to none.
bool commandForMenuItem(int menuType, int menuItemId, char (&command)[BOT_COMMAND_SIZE]);

// The host's menu event: the command goes to the first client on the connection whose unique
// identifier is the bot's, whatever client or channel the menu was opened on. When it cannot go
// (no client list, no bot, a failed send), a line in the connection's server tab tells the user and
// a warning goes to the client's log.
void sendBotCommandForMenuItem(uint64 connection, int menuType, int menuItemId);

}  // namespace tandrel
