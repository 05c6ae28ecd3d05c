#include "info/connection_log.h"

#include "host/host_functions.h"
#include "plugin_identity.h"

namespace tandrel {

std::FILE* connectionLogOutput = stdout;

namespace {

constexpr std::size_t LOG_LINE_SIZE = 1024;

void requestOwnClientVariables(uint64 connection) {
    anyID ownClient = 0;
    if (host::getClientID(connection, ownClient) == 0) {
        host::requestClientVariables(connection, ownClient);
    }
}

void printClientLibVersion() {
    host::HostString version;
    if (host::getClientLibVersion(version) == 0) {
        std::fprintf(connectionLogOutput, "[Tandrel] Clientlib: %s\n", host::printable(version));
        version.release();
    }
}

void logLoadedLine(uint64 connection) {
    char line[LOG_LINE_SIZE];
    std::snprintf(line, sizeof line, "%s v%s by %s loaded", PLUGIN_NAME, PLUGIN_VERSION, PLUGIN_AUTHOR);
    host::logMessage(line, LogLevel_INFO, connection);
}

// False when the log ends here: the server's name is not available.
bool printServerName(uint64 connection) {
    host::HostString name;
    unsigned int error = host::getServerVariableAsString(connection, VIRTUALSERVER_NAME, name);
    if (error == HOST_ERROR_NOT_CONNECTED) {
        return false;
    }
    if (error != 0) {
        host::logMessage("Error querying server name", LogLevel_ERROR, connection);
        return false;
    }
    std::fprintf(connectionLogOutput, "[Tandrel] Server: %s\n", host::printable(name));
    name.release();
    return true;
}

void printOwnClient(uint64 connection) {
    anyID ownClient = 0;
    host::HostString nickname;
    if (host::getClientID(connection, ownClient) == 0 &&
        host::getClientSelfVariableAsString(connection, CLIENT_NICKNAME, nickname) == 0) {
        std::fprintf(connectionLogOutput, "[Tandrel] Me - ID: %d, nick: %s\n", static_cast<int>(ownClient),
                     host::printable(nickname));
        nickname.release();
    }
}

void printChannels(uint64 connection) {
    host::HostIdList channels;
    if (host::getChannelList(connection, channels) != 0) {
        return;
    }
    for (const uint64* channel = channels.get(); channel != nullptr && *channel != 0; ++channel) {
        host::HostString name;
        if (host::getChannelVariableAsString(connection, *channel, CHANNEL_NAME, name) == 0) {
            std::fprintf(connectionLogOutput, "[Tandrel]   Ch %llu: %s\n", *channel, host::printable(name));
            name.release();
        }
    }
    channels.release();
}

}  // namespace

void logConnectionStatus(uint64 connection, int newStatus) {
    if (newStatus != STATUS_CONNECTION_ESTABLISHED) {
        return;
    }
    requestOwnClientVariables(connection);
    printClientLibVersion();
    logLoadedLine(connection);
    if (!printServerName(connection)) {
        return;
    }
    printOwnClient(connection);
    printChannels(connection);
    std::fflush(connectionLogOutput);
}

}  // namespace tandrel
