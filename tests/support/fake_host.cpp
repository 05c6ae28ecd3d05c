#include "fake_host.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "settings/plugin_settings.h"

namespace tandrel::testing {
namespace {

FakeHost* currentHost = nullptr;

// The plug-in's settings guard as this host sees it: how often it was taken, and whether the calling
// thread holds it now, which no host call may happen under.
thread_local int guardDepth = 0;
std::atomic<int> guardAcquisitions{0};

void observeSettingsGuard(bool held) {
    guardDepth += held ? 1 : -1;
    if (held) {
        ++guardAcquisitions;
    }
}

FakeHost& host() {
    if (currentHost == nullptr) {
        std::fprintf(stderr, "fake host: a host function was called with no FakeHost alive\n");
        std::abort();
    }
    return *currentHost;
}

template <typename Number>
std::string number(Number value) {
    return std::to_string(value);
}

template <typename... Parts>
std::string joined(const Parts&... parts) {
    std::string text;
    ((text += (text.empty() ? "" : ","), text += parts), ...);
    return text;
}

// The answer of a string-valued call: a fault decides first, then the model.
unsigned int answerString(FakeHost& fake, std::string_view function, std::string arguments, char** result,
                          const std::string* value, unsigned int missingError) {
    FakeFault fault;
    unsigned int error = fake.handle(function, std::move(arguments), &fault);
    if (error != 0) {
        return error;
    }
    if (value == nullptr) {
        return missingError;
    }
    *result = fault.nullResult ? nullptr : fake.handOutString(*value);
    return 0;
}

unsigned int answerInt(FakeHost& fake, std::string_view function, std::string arguments, int* result,
                       const int* value, unsigned int missingError) {
    unsigned int error = fake.handle(function, std::move(arguments));
    if (error != 0) {
        return error;
    }
    if (value == nullptr) {
        return missingError;
    }
    *result = *value;
    return 0;
}

template <typename T>
unsigned int answerList(FakeHost& fake, std::string_view function, std::string arguments, T** result,
                        const std::vector<T>* values, std::string label) {
    FakeFault fault;
    unsigned int error = fake.handle(function, std::move(arguments), &fault);
    if (error != 0) {
        return error;
    }
    if (values == nullptr) {
        return FAKE_ERROR_INVALID_CONNECTION;
    }
    *result = fault.nullResult ? nullptr : fake.handOutArray(*values, std::move(label));
    return 0;
}

// --- the table's functions ---

unsigned int fakeGetClientLibVersion(char** result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    return answerString(fake, "getClientLibVersion", "", result, &fake.clientLibVersion, 0);
}

unsigned int fakeFreeMemory(void* pointer) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    fake.release(pointer);
    return 0;
}

unsigned int fakeLogMessage(const char* text, LogLevel severity, const char* channel, uint64 logId) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    unsigned int error = fake.handle("logMessage", joined(quoted(text), number(static_cast<int>(severity)),
                                                          quoted(channel), number(logId)));
    fake.recordLog(text, severity, channel, logId);
    return error;
}

unsigned int fakeRequestClientVariables(uint64 connection, anyID client, const char* returnCode) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    return fake.handle("requestClientVariables",
                       joined(number(connection), number(int{client}), quoted(returnCode)));
}

unsigned int fakeRequestSendPrivateTextMsg(uint64 connection, const char* text, anyID target,
                                           const char* returnCode) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    unsigned int error =
        fake.handle("requestSendPrivateTextMsg",
                    joined(number(connection), quoted(text), number(int{target}), quoted(returnCode)));
    if (error == 0) {
        fake.recordMessage(connection, text, target);
    }
    return error;
}

unsigned int fakeGetClientID(uint64 connection, anyID* result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    unsigned int error = fake.handle("getClientID", number(connection));
    if (error != 0) {
        return error;
    }
    FakeConnection* server = fake.findConnection(connection);
    if (server == nullptr) {
        return FAKE_ERROR_INVALID_CONNECTION;
    }
    *result = server->ownClientId;
    return 0;
}

const std::string* clientString(FakeClient* client, size_t property) {
    if (client == nullptr)
        return nullptr;
    switch (property) {
        case CLIENT_UNIQUE_IDENTIFIER:
            return &client->uniqueId;
        case CLIENT_NICKNAME:
            return &client->nickname;
        case CLIENT_SERVERGROUPS:
            return &client->serverGroups;
        default:
            return nullptr;
    }
}

const int* clientInt(FakeClient* client, size_t property) {
    if (client == nullptr)
        return nullptr;
    switch (property) {
        case CLIENT_TALK_POWER:
            return &client->talkPower;
        case CLIENT_DATABASE_ID:
            return &client->databaseId;
        case CLIENT_ICON_ID:
            return &client->iconId;
        default:
            return nullptr;
    }
}

unsigned int missingClientError(FakeConnection* server, FakeClient* client) {
    if (server == nullptr)
        return FAKE_ERROR_INVALID_CONNECTION;
    return client == nullptr ? FAKE_ERROR_INVALID_CLIENT : FAKE_ERROR_UNKNOWN_PROPERTY;
}

unsigned int fakeGetClientSelfVariableAsString(uint64 connection, size_t property, char** result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    FakeClient* self = server != nullptr ? server->findClient(server->ownClientId) : nullptr;
    const std::string* value = nullptr;
    if (server != nullptr && property == CLIENT_NICKNAME) {
        value = self != nullptr ? &self->nickname : &fake.ownNickname;
    }
    return answerString(fake, "getClientSelfVariableAsString", joined(number(connection), number(property)),
                        result, value,
                        server == nullptr ? FAKE_ERROR_INVALID_CONNECTION : FAKE_ERROR_UNKNOWN_PROPERTY);
}

unsigned int fakeGetClientVariableAsInt(uint64 connection, anyID clientId, size_t property, int* result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    FakeClient* client = server != nullptr ? server->findClient(clientId) : nullptr;
    return answerInt(fake, "getClientVariableAsInt",
                     joined(number(connection), number(int{clientId}), number(property)), result,
                     clientInt(client, property), missingClientError(server, client));
}

unsigned int fakeGetClientVariableAsString(uint64 connection, anyID clientId, size_t property,
                                           char** result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    FakeClient* client = server != nullptr ? server->findClient(clientId) : nullptr;
    return answerString(fake, "getClientVariableAsString",
                        joined(number(connection), number(int{clientId}), number(property)), result,
                        clientString(client, property), missingClientError(server, client));
}

unsigned int fakeGetClientList(uint64 connection, anyID** result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    std::vector<anyID> ids;
    if (server != nullptr) {
        for (const FakeClient& client : server->clients)
            ids.push_back(client.id);
        ids.push_back(0);
    }
    return answerList(fake, "getClientList", number(connection), result, server != nullptr ? &ids : nullptr,
                      "clientList(" + number(connection) + ")");
}

unsigned int fakeGetChannelVariableAsInt(uint64 connection, uint64 channelId, size_t property, int* result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    FakeChannel* channel = server != nullptr ? server->findChannel(channelId) : nullptr;
    const int* value = channel != nullptr && property == CHANNEL_ICON_ID ? &channel->iconId : nullptr;
    unsigned int missing = server == nullptr    ? FAKE_ERROR_INVALID_CONNECTION
                           : channel == nullptr ? FAKE_ERROR_INVALID_CHANNEL
                                                : FAKE_ERROR_UNKNOWN_PROPERTY;
    return answerInt(fake, "getChannelVariableAsInt",
                     joined(number(connection), number(channelId), number(property)), result, value, missing);
}

unsigned int fakeGetChannelVariableAsString(uint64 connection, uint64 channelId, size_t property,
                                            char** result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    FakeChannel* channel = server != nullptr ? server->findChannel(channelId) : nullptr;
    const std::string* value = channel != nullptr && property == CHANNEL_NAME ? &channel->name : nullptr;
    unsigned int missing = server == nullptr    ? FAKE_ERROR_INVALID_CONNECTION
                           : channel == nullptr ? FAKE_ERROR_INVALID_CHANNEL
                                                : FAKE_ERROR_UNKNOWN_PROPERTY;
    return answerString(fake, "getChannelVariableAsString",
                        joined(number(connection), number(channelId), number(property)), result, value,
                        missing);
}

unsigned int fakeGetChannelList(uint64 connection, uint64** result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    std::vector<uint64> ids;
    if (server != nullptr) {
        for (const FakeChannel& channel : server->channels)
            ids.push_back(channel.id);
        ids.push_back(0);
    }
    return answerList(fake, "getChannelList", number(connection), result, server != nullptr ? &ids : nullptr,
                      "channelList(" + number(connection) + ")");
}

unsigned int fakeGetServerConnectionHandlerList(uint64** result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    std::vector<uint64> ids = connectionIdsInOrder(fake);
    ids.push_back(0);
    return answerList(fake, "getServerConnectionHandlerList", "", result, &ids, "connectionList");
}

const std::string* serverString(FakeConnection* server, size_t property) {
    if (server == nullptr)
        return nullptr;
    switch (property) {
        case VIRTUALSERVER_NAME:
            return &server->serverName;
        case VIRTUALSERVER_UNIQUE_IDENTIFIER:
            return &server->serverUniqueId;
        case VIRTUALSERVER_IP:
            return &server->serverIp;
        case VIRTUALSERVER_ID:
            return &server->serverId;
        default:
            return nullptr;
    }
}

unsigned int fakeGetServerVariableAsInt(uint64 connection, size_t property, int* result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    const int* value =
        server != nullptr && property == VIRTUALSERVER_ICON_ID ? &server->serverIconId : nullptr;
    return answerInt(fake, "getServerVariableAsInt", joined(number(connection), number(property)), result,
                     value, server == nullptr ? FAKE_ERROR_INVALID_CONNECTION : FAKE_ERROR_UNKNOWN_PROPERTY);
}

unsigned int fakeGetServerVariableAsString(uint64 connection, size_t property, char** result) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    FakeConnection* server = fake.findConnection(connection);
    return answerString(fake, "getServerVariableAsString", joined(number(connection), number(property)),
                        result, serverString(server, property),
                        server == nullptr ? FAKE_ERROR_INVALID_CONNECTION : FAKE_ERROR_UNKNOWN_PROPERTY);
}

unsigned int fakeSetPluginMenuEnabled(const char* pluginId, int menuId, int enabled) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    unsigned int error =
        fake.handle("setPluginMenuEnabled", joined(quoted(pluginId), number(menuId), number(enabled)));
    fake.recordMenuEnabled(menuId, enabled);
    return error;
}

void fakePrintMessage(uint64 connection, const char* text, int target) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    fake.handle("printMessage", joined(number(connection), quoted(text), number(target)));
    fake.recordPrinted(connection, text, target);
}

// The client's configuration folder: the one set on the host, or the Windows client's
// "%APPDATA%\TS3Client\" (so that one test, which sets APPDATA, puts the file where the plug-in looks on
// every system). Written as the client does: cut to maxLen, always terminated.
void fakeGetConfigPath(char* path, size_t maxLen) {
    FakeHost& fake = host();
    std::lock_guard lock(fake.mutex());
    fake.handle("getConfigPath", number(maxLen));
    std::string folder = fake.configPath;
    if (folder.empty()) {
        const char* appData = std::getenv("APPDATA");
#ifdef _WIN32
        folder = appData != nullptr ? std::string(appData) + "\\TS3Client\\" : "";
#else
        folder = appData != nullptr ? std::string(appData) + "/TS3Client/" : "";
#endif
    }
    if (maxLen > 0) {
        std::size_t length = folder.size() < maxLen - 1 ? folder.size() : maxLen - 1;
        std::memcpy(path, folder.data(), length);
        path[length] = '\0';
    }
}

// Unused slots: each records which slot was called and answers an error, so that the plug-in does
// not go on with whatever it expected back.
template <int Slot>
unsigned int trapSlot() {
    host().trap(Slot);
    return 0xDEADu;
}

template <int... Slots>
void fillWithTraps(TS3Functions& table, std::integer_sequence<int, Slots...>) {
    UnusedHostFunction traps[] = {reinterpret_cast<UnusedHostFunction>(&trapSlot<Slots>)...};
    static_assert(sizeof traps == sizeof(TS3Functions), "one trap per slot");
    std::memcpy(&table, traps, sizeof traps);
}

}  // namespace

std::string quoted(const char* text) {
    return text == nullptr ? "null" : "\"" + std::string(text) + "\"";
}

std::vector<uint64> connectionIdsInOrder(const FakeHost& fake) {
    return fake.connectionOrder_;
}

FakeClient& FakeConnection::addClient(anyID clientId, std::string uniqueId, std::string nickname,
                                      std::string serverGroups) {
    FakeClient client;
    client.id = clientId;
    client.uniqueId = std::move(uniqueId);
    client.nickname = std::move(nickname);
    client.serverGroups = std::move(serverGroups);
    clients.push_back(std::move(client));
    return clients.back();
}

FakeChannel& FakeConnection::addChannel(uint64 channelId, std::string name) {
    FakeChannel channel;
    channel.id = channelId;
    channel.name = std::move(name);
    channels.push_back(std::move(channel));
    return channels.back();
}

FakeClient* FakeConnection::findClient(anyID clientId) {
    for (FakeClient& client : clients) {
        if (client.id == clientId)
            return &client;
    }
    return nullptr;
}

FakeChannel* FakeConnection::findChannel(uint64 channelId) {
    for (FakeChannel& channel : channels) {
        if (channel.id == channelId)
            return &channel;
    }
    return nullptr;
}

FakeHost::FakeHost() {
    if (currentHost != nullptr) {
        std::fprintf(stderr, "fake host: only one FakeHost may exist at a time\n");
        std::abort();
    }
    currentHost = this;
    guardAcquisitions = 0;
    settingsGuardObserver = observeSettingsGuard;
    fillWithTraps(table_, std::make_integer_sequence<int, TS3_FUNCTION_COUNT>{});
    table_.getClientLibVersion = fakeGetClientLibVersion;
    table_.freeMemory = fakeFreeMemory;
    table_.logMessage = fakeLogMessage;
    table_.requestClientVariables = fakeRequestClientVariables;
    table_.requestSendPrivateTextMsg = fakeRequestSendPrivateTextMsg;
    table_.getClientID = fakeGetClientID;
    table_.getClientSelfVariableAsString = fakeGetClientSelfVariableAsString;
    table_.getClientVariableAsInt = fakeGetClientVariableAsInt;
    table_.getClientVariableAsString = fakeGetClientVariableAsString;
    table_.getClientList = fakeGetClientList;
    table_.getChannelVariableAsInt = fakeGetChannelVariableAsInt;
    table_.getChannelVariableAsString = fakeGetChannelVariableAsString;
    table_.getChannelList = fakeGetChannelList;
    table_.getServerConnectionHandlerList = fakeGetServerConnectionHandlerList;
    table_.getServerVariableAsInt = fakeGetServerVariableAsInt;
    table_.getServerVariableAsString = fakeGetServerVariableAsString;
    table_.getConfigPath = fakeGetConfigPath;
    table_.printMessage = fakePrintMessage;
    table_.setPluginMenuEnabled = fakeSetPluginMenuEnabled;
}

FakeHost::~FakeHost() {
    // Blocks are kept until now, so that an address is never reused and a second release of the same
    // block is always recognised.
    for (auto& [pointer, allocation] : allocations_) {
        std::free(const_cast<void*>(pointer));
    }
    settingsGuardObserver = nullptr;
    currentHost = nullptr;
}

FakeHost* FakeHost::current() {
    return currentHost;
}

FakeConnection& FakeHost::addConnection(uint64 connectionId, anyID ownClientId) {
    std::lock_guard lock(mutex_);
    FakeConnection& connection = connections_[connectionId];
    connection.id = connectionId;
    connection.ownClientId = ownClientId;
    connectionOrder_.push_back(connectionId);
    return connection;
}

FakeConnection* FakeHost::findConnection(uint64 connectionId) {
    auto found = connections_.find(connectionId);
    return found == connections_.end() ? nullptr : &found->second;
}

void FakeHost::inject(std::string_view function, FakeFault fault, int nth) {
    std::lock_guard lock(mutex_);
    rules_.push_back({std::string(function), nth, fault});
}

void FakeHost::clearFaults() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

unsigned int FakeHost::handle(std::string_view function, std::string arguments, FakeFault* appliedFault) {
    recordCall(std::string(function) + "(" + arguments + ")");
    auto counter = callCounts_.find(function);
    if (counter == callCounts_.end()) {
        counter = callCounts_.emplace(std::string(function), 0).first;
    }
    int callNumber = ++counter->second;
    for (const Rule& rule : rules_) {
        if (rule.function == function && (rule.nth == 0 || rule.nth == callNumber)) {
            if (appliedFault != nullptr)
                *appliedFault = rule.fault;
            return rule.fault.error;
        }
    }
    return 0;
}

char* FakeHost::handOutString(const std::string& text) {
    char* block = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(block, text.c_str(), text.size() + 1);
    allocations_[block] = {quoted(text.c_str())};
    return block;
}

template <typename T>
T* FakeHost::handOutArray(const std::vector<T>& values, std::string label) {
    T* block = static_cast<T*>(std::malloc(sizeof(T) * (values.empty() ? 1 : values.size())));
    std::memcpy(block, values.data(), sizeof(T) * values.size());
    allocations_[block] = {std::move(label)};
    return block;
}

template anyID* FakeHost::handOutArray(const std::vector<anyID>&, std::string);
template uint64* FakeHost::handOutArray(const std::vector<uint64>&, std::string);

void FakeHost::release(void* pointer) {
    auto found = allocations_.find(pointer);
    if (found == allocations_.end()) {
        recordCall("freeMemory(?)");
        problems_.push_back(pointer == nullptr ? "freeMemory(null)"
                                               : "freeMemory of a pointer the host never handed out");
        return;
    }
    if (found->second.description.rfind("released:", 0) == 0) {
        recordCall("freeMemory(" + found->second.description.substr(9) + ")");
        problems_.push_back("second freeMemory of " + found->second.description.substr(9));
        return;
    }
    recordCall("freeMemory(" + found->second.description + ")");
    found->second.description = "released:" + found->second.description;
}

void FakeHost::trap(int slot) {
    std::lock_guard lock(mutex_);
    recordCall("unusedSlot(" + std::to_string(slot) + ")");
    problems_.push_back("unused host slot " + std::to_string(slot) + " was called");
}

int FakeHost::settingsGuardAcquisitions() const {
    return guardAcquisitions.load();
}

void FakeHost::recordCall(std::string call) {
    if (guardDepth > 0) {
        problems_.push_back(call + " while the plug-in holds its settings guard");
    }
    if (callObserver) {
        callObserver(call);
    }
    calls_.push_back(std::move(call));
}

void FakeHost::recordLog(const char* text, int severity, const char* channel, uint64 logId) {
    logLines_.push_back({text != nullptr ? text : "", severity, channel != nullptr ? channel : "", logId});
}

void FakeHost::recordMessage(uint64 connection, const char* text, anyID target) {
    messages_.push_back({connection, text != nullptr ? text : "", target});
}

void FakeHost::recordPrinted(uint64 connection, const char* text, int target) {
    printed_.push_back({connection, text != nullptr ? text : "", target});
}

void FakeHost::recordMenuEnabled(int menuId, int enabled) {
    menuEnabled_[menuId] = enabled;
    menuCallIds_.push_back(menuId);
}

std::vector<std::string> FakeHost::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::string> FakeHost::callsTo(std::string_view function) const {
    std::lock_guard lock(mutex_);
    std::string prefix = std::string(function) + "(";
    std::vector<std::string> matching;
    for (const std::string& call : calls_) {
        if (call.rfind(prefix, 0) == 0)
            matching.push_back(call);
    }
    return matching;
}

std::vector<FakeLogLine> FakeHost::logLines() const {
    std::lock_guard lock(mutex_);
    return logLines_;
}

std::vector<FakePrivateMessage> FakeHost::sentMessages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<FakePrintedMessage> FakeHost::printedMessages() const {
    std::lock_guard lock(mutex_);
    return printed_;
}

std::map<int, int> FakeHost::menuEnabled() const {
    std::lock_guard lock(mutex_);
    return menuEnabled_;
}

std::vector<int> FakeHost::menuCallIds() const {
    std::lock_guard lock(mutex_);
    return menuCallIds_;
}

void FakeHost::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
    callCounts_.clear();
    logLines_.clear();
    messages_.clear();
    printed_.clear();
    menuCallIds_.clear();
}

std::size_t FakeHost::outstandingAllocations() const {
    std::lock_guard lock(mutex_);
    std::size_t outstanding = 0;
    for (const auto& [pointer, allocation] : allocations_) {
        if (allocation.description.rfind("released:", 0) != 0)
            ++outstanding;
    }
    return outstanding;
}

std::vector<std::string> FakeHost::problems() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> all = problems_;
    for (const auto& [pointer, allocation] : allocations_) {
        if (allocation.description.rfind("released:", 0) != 0) {
            all.push_back("never released: " + allocation.description);
        }
    }
    return all;
}

}  // namespace tandrel::testing
