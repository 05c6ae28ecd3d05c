// A programmable stand-in for the host client: a full 226-slot function table whose used slots answer
// from a small model of servers, clients and channels, whose unused slots trap, and which keeps
// - a log of every call with its arguments, in order, as text ("getClientID(1)"), and
// - a ledger of every string and array it handed out, so that a test can fail on a leak, a double
//   release or the release of a pointer the host never handed out.
// Failures can be injected per function: every call, or only its n-th call, answers an error code or
// hands back a null result.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_api.h"

namespace tandrel::testing {

// Error codes the fake answers for unknown things.
inline constexpr unsigned int FAKE_ERROR_INVALID_CONNECTION = 1799;
inline constexpr unsigned int FAKE_ERROR_INVALID_CLIENT = 512;
inline constexpr unsigned int FAKE_ERROR_INVALID_CHANNEL = 768;
inline constexpr unsigned int FAKE_ERROR_UNKNOWN_PROPERTY = 1538;

struct FakeClient {
    anyID id = 0;
    std::string uniqueId;
    std::string nickname;
    std::string serverGroups;  // CLIENT_SERVERGROUPS, e.g. "8,12"
    int talkPower = 0;
    int databaseId = 0;
    int iconId = 0;
};

struct FakeChannel {
    uint64 id = 0;
    std::string name;
    int iconId = 0;
};

struct FakeConnection {
    uint64 id = 0;
    anyID ownClientId = 0;
    std::string serverName = "Tandrel Community";
    std::string serverUniqueId = "srvUid0123456789abcdefghijk=";
    std::string serverIp = "203.0.113.7";
    std::string serverId = "1";
    int serverIconId = 0;
    std::vector<FakeClient> clients;  // in the order the host lists them
    std::vector<FakeChannel> channels;

    FakeClient& addClient(anyID clientId, std::string uniqueId, std::string nickname = {},
                          std::string serverGroups = {});
    FakeChannel& addChannel(uint64 channelId, std::string name);
    FakeClient* findClient(anyID clientId);
    FakeChannel* findChannel(uint64 channelId);
};

struct FakeLogLine {
    std::string text;
    int severity = 0;
    std::string channel;
    uint64 logId = 0;
};

struct FakePrivateMessage {
    uint64 connection = 0;
    std::string text;
    anyID target = 0;
};

// A line that printMessage showed in one of a connection's tabs.
struct FakePrintedMessage {
    uint64 connection = 0;
    std::string text;
    int target = 0;
};

// What an injected fault makes a host function answer.
struct FakeFault {
    unsigned int error = 0;   // nonzero: the call fails with this code
    bool nullResult = false;  // with error 0: the call succeeds but hands back a null string or array
};

class FakeHost {
  public:
    // The constructed host is the one the table's functions answer for; one exists at a time.
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // The table to hand to ts3plugin_setFunctionPointers.
    const TS3Functions& table() const { return table_; }

    // --- the model ---
    FakeConnection& addConnection(uint64 connectionId, anyID ownClientId);
    FakeConnection* findConnection(uint64 connectionId);
    std::string clientLibVersion = "3.6.2 [Build: 1690976575]";
    std::string ownNickname = "Tester";
    // What getConfigPath answers; empty: "<APPDATA>/TS3Client/", the Windows client's folder.
    std::string configPath;

    // --- faults ---
    // nth counts the calls of that function from 1 (since construction or the last clearCalls); 0
    // applies to every call.
    void inject(std::string_view function, FakeFault fault, int nth = 0);
    void failCall(std::string_view function, unsigned int error, int nth = 0) {
        inject(function, {error, false}, nth);
    }
    void clearFaults();

    // --- observations ---
    std::vector<std::string> calls() const;
    // The calls to one function, in order.
    std::vector<std::string> callsTo(std::string_view function) const;
    std::vector<FakeLogLine> logLines() const;
    std::vector<FakePrivateMessage> sentMessages() const;
    std::vector<FakePrintedMessage> printedMessages() const;
    // The last enabled value each menu item ID was set to.
    std::map<int, int> menuEnabled() const;
    // The menu item IDs of the setPluginMenuEnabled calls, in order.
    std::vector<int> menuCallIds() const;
    // Sees every call as it is logged (the simulated client prints them); runs under the host's lock.
    std::function<void(const std::string& call)> callObserver;
    // How often the plug-in took its settings guard since this host was made, on any thread. A host
    // call made while the calling thread holds the guard counts as a problem.
    int settingsGuardAcquisitions() const;
    // Forgets the calls so far, and restarts the per-function call numbers that faults count.
    void clearCalls();

    // --- ledger ---
    std::size_t outstandingAllocations() const;
    // Everything that went wrong so far: double or unknown releases, calls of unused slots, plus every
    // allocation not yet released. Empty means clean.
    std::vector<std::string> problems() const;

    // Entry points of the table; public so that the table's plain functions can reach them.
    unsigned int handle(std::string_view function, std::string arguments, FakeFault* appliedFault = nullptr);
    char* handOutString(const std::string& text);
    template <typename T>
    T* handOutArray(const std::vector<T>& values, std::string label);
    void release(void* pointer);
    void trap(int slot);
    void recordLog(const char* text, int severity, const char* channel, uint64 logId);
    void recordMessage(uint64 connection, const char* text, anyID target);
    void recordPrinted(uint64 connection, const char* text, int target);
    void recordMenuEnabled(int menuId, int enabled);
    std::recursive_mutex& mutex() const { return mutex_; }

    static FakeHost* current();

  private:
    struct Rule {
        std::string function;
        int nth;
        FakeFault fault;
    };
    struct Allocation {
        std::string description;
    };

    void recordCall(std::string call);

    TS3Functions table_{};
    mutable std::recursive_mutex mutex_;
    std::map<uint64, FakeConnection> connections_;
    std::vector<uint64> connectionOrder_;
    std::vector<Rule> rules_;
    std::map<std::string, int, std::less<>> callCounts_;
    std::vector<std::string> calls_;
    std::vector<FakeLogLine> logLines_;
    std::vector<FakePrivateMessage> messages_;
    std::vector<FakePrintedMessage> printed_;
    std::map<int, int> menuEnabled_;
    std::vector<int> menuCallIds_;
    std::map<const void*, Allocation> allocations_;
    std::vector<std::string> problems_;

    friend std::vector<uint64> connectionIdsInOrder(const FakeHost& host);
};

// Text of a value as the call log shows it: strings quoted, null as null.
std::string quoted(const char* text);

}  // namespace tandrel::testing
