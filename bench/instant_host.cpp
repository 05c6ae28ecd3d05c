#include "instant_host.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "deployment_config.h"

namespace tandrel::bench {

std::string ownServerGroups = "8,12";

namespace {

struct Model {
    std::vector<std::string> clientUids;  // index = client ID - 1
    std::vector<std::string> channelNames;
    std::vector<anyID> clientList;
    std::vector<uint64> channelList;

    Model() {
        for (int i = 1; i <= CLIENT_COUNT; ++i) {
            // 28 characters like a real identifier, differing from the bot's only near the end.
            std::string uid = "ClientUniqueIdentifier" + std::to_string(100000 + i);
            uid.resize(27, 'x');
            clientUids.push_back(i == CLIENT_COUNT ? std::string(BOT_UID) : uid + "=");
            clientList.push_back(static_cast<anyID>(i));
        }
        clientList.push_back(0);
        for (int i = 1; i <= CHANNEL_COUNT; ++i) {
            channelNames.push_back("Channel number " + std::to_string(i) + " of the Tandrel server");
            channelList.push_back(static_cast<uint64>(i));
        }
        channelList.push_back(0);
    }
};

const Model& model() {
    static const Model instance;
    return instance;
}

char* copyOf(const std::string& text) {
    char* block = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(block, text.c_str(), text.size() + 1);
    return block;
}

template <typename T>
T* copyOf(const std::vector<T>& values) {
    T* block = static_cast<T*>(std::malloc(sizeof(T) * values.size()));
    std::memcpy(block, values.data(), sizeof(T) * values.size());
    return block;
}

unsigned int getClientLibVersion(char** result) {
    *result = copyOf(std::string("3.6.2 [Build: 1690976575]"));
    return 0;
}
unsigned int freeMemory(void* pointer) {
    std::free(pointer);
    return 0;
}
unsigned int logMessage(const char*, LogLevel, const char*, uint64) {
    return 0;
}
unsigned int requestClientVariables(uint64, anyID, const char*) {
    return 0;
}
unsigned int requestSendPrivateTextMsg(uint64, const char*, anyID, const char*) {
    return 0;
}
unsigned int getClientID(uint64, anyID* result) {
    *result = OWN_CLIENT;
    return 0;
}
unsigned int getClientSelfVariableAsString(uint64, size_t, char** result) {
    *result = copyOf(std::string("Benchmarker"));
    return 0;
}
unsigned int getClientVariableAsInt(uint64, anyID client, size_t property, int* result) {
    *result = static_cast<int>(client) * 10 + static_cast<int>(property);
    return 0;
}
unsigned int getClientVariableAsString(uint64, anyID client, size_t property, char** result) {
    if (client < 1 || client > CLIENT_COUNT) {
        return 512;
    }
    switch (property) {
        case CLIENT_UNIQUE_IDENTIFIER:
            *result = copyOf(model().clientUids[client - 1]);
            return 0;
        case CLIENT_NICKNAME:
            *result = copyOf(std::string("Client ") + std::to_string(client));
            return 0;
        case CLIENT_SERVERGROUPS:
            *result = copyOf(ownServerGroups);
            return 0;
        default:
            return 1538;
    }
}
unsigned int getClientList(uint64, anyID** result) {
    *result = copyOf(model().clientList);
    return 0;
}
unsigned int getChannelVariableAsInt(uint64, uint64 channel, size_t, int* result) {
    *result = static_cast<int>(channel);
    return 0;
}
unsigned int getChannelVariableAsString(uint64, uint64 channel, size_t, char** result) {
    if (channel < 1 || channel > CHANNEL_COUNT) {
        return 768;
    }
    *result = copyOf(model().channelNames[channel - 1]);
    return 0;
}
unsigned int getChannelList(uint64, uint64** result) {
    *result = copyOf(model().channelList);
    return 0;
}
unsigned int getServerConnectionHandlerList(uint64** result) {
    *result = copyOf(std::vector<uint64>{CONNECTION, 0});
    return 0;
}
unsigned int getServerVariableAsInt(uint64, size_t, int* result) {
    *result = -7;
    return 0;
}
unsigned int getServerVariableAsString(uint64, size_t property, char** result) {
    switch (property) {
        case VIRTUALSERVER_NAME:
            *result = copyOf(std::string("Tandrel Community"));
            return 0;
        case VIRTUALSERVER_UNIQUE_IDENTIFIER:
            *result = copyOf(std::string("srvUid0123456789abcdefghijk="));
            return 0;
        case VIRTUALSERVER_IP:
            *result = copyOf(std::string("203.0.113.7"));
            return 0;
        default:
            *result = copyOf(std::string("1"));
            return 0;
    }
}
unsigned int setPluginMenuEnabled(const char*, int, int) {
    return 0;
}

TS3Functions makeTable() {
    TS3Functions table{};
    table.getClientLibVersion = getClientLibVersion;
    table.freeMemory = freeMemory;
    table.logMessage = logMessage;
    table.requestClientVariables = requestClientVariables;
    table.requestSendPrivateTextMsg = requestSendPrivateTextMsg;
    table.getClientID = getClientID;
    table.getClientSelfVariableAsString = getClientSelfVariableAsString;
    table.getClientVariableAsInt = getClientVariableAsInt;
    table.getClientVariableAsString = getClientVariableAsString;
    table.getClientList = getClientList;
    table.getChannelVariableAsInt = getChannelVariableAsInt;
    table.getChannelVariableAsString = getChannelVariableAsString;
    table.getChannelList = getChannelList;
    table.getServerConnectionHandlerList = getServerConnectionHandlerList;
    table.getServerVariableAsInt = getServerVariableAsInt;
    table.getServerVariableAsString = getServerVariableAsString;
    table.setPluginMenuEnabled = setPluginMenuEnabled;
    return table;
}

}  // namespace

const TS3Functions& instantHostTable() {
    static const TS3Functions table = makeTable();
    return table;
}

}  // namespace tandrel::bench
