#include "host/host_functions.h"

#include <cstring>

namespace tandrel::host {
namespace {

// Zero until the host hands its table over; every wrapper tests its slot before the call.
TS3Functions hostTable{};

// Calls a host function that returns an out pointer, and takes the value over only on success.
template <typename T, typename Call>
unsigned int fetchInto(HostMemory<T>& out, Call&& call) {
    out.release();
    T* value = nullptr;
    unsigned int error = call(&value);
    if (error == 0) {
        out.adopt(value);
    }
    return error;
}

// Calls a host function that fills a plain value, and stores it only on success.
template <typename T, typename Call>
unsigned int fetchValue(T& out, Call&& call) {
    T value{};
    unsigned int error = call(&value);
    if (error == 0) {
        out = value;
    }
    return error;
}

}  // namespace

void installFunctionTable(const TS3Functions& table) {
    hostTable = table;
}

void freeMemory(void* pointer) {
    if (pointer != nullptr && hostTable.freeMemory != nullptr) {
        hostTable.freeMemory(pointer);
    }
}

unsigned int getClientLibVersion(HostString& version) {
    if (hostTable.getClientLibVersion == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchInto(version, [](char** result) { return hostTable.getClientLibVersion(result); });
}

void logMessage(const char* text, LogLevel severity, uint64 connection) {
    if (hostTable.logMessage != nullptr) {
        hostTable.logMessage(text, severity, LOG_CHANNEL, connection);
    }
}

unsigned int requestClientVariables(uint64 connection, anyID client) {
    if (hostTable.requestClientVariables == nullptr)
        return ERROR_FUNCTION_MISSING;
    return hostTable.requestClientVariables(connection, client, nullptr);
}

unsigned int requestSendPrivateTextMsg(uint64 connection, const char* text, anyID target) {
    if (hostTable.requestSendPrivateTextMsg == nullptr)
        return ERROR_FUNCTION_MISSING;
    return hostTable.requestSendPrivateTextMsg(connection, text, target, nullptr);
}

unsigned int getClientID(uint64 connection, anyID& client) {
    if (hostTable.getClientID == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchValue(client, [&](anyID* result) { return hostTable.getClientID(connection, result); });
}

unsigned int getClientSelfVariableAsString(uint64 connection, size_t property, HostString& value) {
    if (hostTable.getClientSelfVariableAsString == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchInto(value, [&](char** result) {
        return hostTable.getClientSelfVariableAsString(connection, property, result);
    });
}

unsigned int getClientVariableAsInt(uint64 connection, anyID client, size_t property, int& value) {
    if (hostTable.getClientVariableAsInt == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchValue(value, [&](int* result) {
        return hostTable.getClientVariableAsInt(connection, client, property, result);
    });
}

unsigned int getClientVariableAsString(uint64 connection, anyID client, size_t property, HostString& value) {
    if (hostTable.getClientVariableAsString == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchInto(value, [&](char** result) {
        return hostTable.getClientVariableAsString(connection, client, property, result);
    });
}

unsigned int getClientList(uint64 connection, HostClientList& clients) {
    if (hostTable.getClientList == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchInto(clients, [&](anyID** result) { return hostTable.getClientList(connection, result); });
}

unsigned int getChannelVariableAsInt(uint64 connection, uint64 channel, size_t property, int& value) {
    if (hostTable.getChannelVariableAsInt == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchValue(value, [&](int* result) {
        return hostTable.getChannelVariableAsInt(connection, channel, property, result);
    });
}

unsigned int getChannelVariableAsString(uint64 connection, uint64 channel, size_t property,
                                        HostString& value) {
    if (hostTable.getChannelVariableAsString == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchInto(value, [&](char** result) {
        return hostTable.getChannelVariableAsString(connection, channel, property, result);
    });
}

unsigned int getChannelList(uint64 connection, HostIdList& channels) {
    if (hostTable.getChannelList == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchInto(channels, [&](uint64** result) { return hostTable.getChannelList(connection, result); });
}

unsigned int getServerConnectionHandlerList(HostIdList& connections) {
    if (hostTable.getServerConnectionHandlerList == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchInto(connections,
                     [](uint64** result) { return hostTable.getServerConnectionHandlerList(result); });
}

unsigned int getServerVariableAsInt(uint64 connection, size_t property, int& value) {
    if (hostTable.getServerVariableAsInt == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchValue(
        value, [&](int* result) { return hostTable.getServerVariableAsInt(connection, property, result); });
}

unsigned int getServerVariableAsString(uint64 connection, size_t property, HostString& value) {
    if (hostTable.getServerVariableAsString == nullptr)
        return ERROR_FUNCTION_MISSING;
    return fetchInto(value, [&](char** result) {
        return hostTable.getServerVariableAsString(connection, property, result);
    });
}

void setPluginMenuEnabled(const char* pluginId, int menuId, int enabled) {
    if (hostTable.setPluginMenuEnabled != nullptr) {
        hostTable.setPluginMenuEnabled(pluginId, menuId, enabled);
    }
}

void printMessage(uint64 connection, const char* text, PluginMessageTarget target) {
    if (hostTable.printMessage != nullptr) {
        hostTable.printMessage(connection, text, target);
    }
}

bool getConfigPath(char* folder, std::size_t capacity) {
    if (hostTable.getConfigPath == nullptr || capacity < 2) {
        return false;
    }
    folder[0] = '\0';
    folder[capacity - 1] = '\0';
    hostTable.getConfigPath(folder, capacity);
    // A path that fills the whole buffer may have been cut by the host (or left unterminated).
    if (folder[capacity - 1] != '\0' || std::strlen(folder) >= capacity - 1) {
        folder[0] = '\0';
        return false;
    }
    std::size_t length = std::strlen(folder);
    if (length == 0) {
        return false;
    }
    if (folder[length - 1] != '/') {
        folder[length] = '/';
        folder[length + 1] = '\0';
    }
    return true;
}

}  // namespace tandrel::host
