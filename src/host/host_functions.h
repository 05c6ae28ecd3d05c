// The plug-in's copy of the host function table and one small wrapper per host call. Every call from
// the plug-in to the host goes through here, so that a slot the host left empty is answered with an
// error instead of a jump to address 0, and so that host memory is released in one place.
#pragma once

#include <cstddef>

#include "host/host_api.h"

namespace tandrel::host {

// Error code the wrappers answer when the host's table has no function in the slot.
inline constexpr unsigned int ERROR_FUNCTION_MISSING = 0xFFFFFFFFu;

// Log channel of every line the plug-in writes to the host's log.
inline constexpr const char* LOG_CHANNEL = "Plugin";

void installFunctionTable(const TS3Functions& table);

// Releases a block the host handed out; a null pointer is ignored.
void freeMemory(void* pointer);

// Owns one string or array that the host handed out and gives it back through the host's freeMemory.
// release() gives it back at a chosen moment, the destructor at the latest.
template <typename T>
class HostMemory {
  public:
    HostMemory() = default;
    ~HostMemory() { release(); }
    HostMemory(const HostMemory&) = delete;
    HostMemory& operator=(const HostMemory&) = delete;

    T* get() const { return pointer_; }
    void adopt(T* pointer) {
        release();
        pointer_ = pointer;
    }
    void release() {
        if (pointer_ != nullptr) {
            freeMemory(pointer_);
            pointer_ = nullptr;
        }
    }

  private:
    T* pointer_ = nullptr;
};

using HostString = HostMemory<char>;

// A host string for printing; a null answer prints as nothing.
inline const char* printable(const HostString& value) {
    return value.get() != nullptr ? value.get() : "";
}
using HostClientList = HostMemory<anyID>;  // ends with a 0 entry
using HostIdList = HostMemory<uint64>;     // ends with a 0 entry

// Each wrapper returns the host's error code. Out values are filled only on success; after an error
// they stay empty, so a value the host may have left behind is neither used nor released.
unsigned int getClientLibVersion(HostString& version);
void logMessage(const char* text, LogLevel severity, uint64 connection);
unsigned int requestClientVariables(uint64 connection, anyID client);
unsigned int requestSendPrivateTextMsg(uint64 connection, const char* text, anyID target);
unsigned int getClientID(uint64 connection, anyID& client);
unsigned int getClientSelfVariableAsString(uint64 connection, size_t property, HostString& value);
unsigned int getClientVariableAsInt(uint64 connection, anyID client, size_t property, int& value);
unsigned int getClientVariableAsString(uint64 connection, anyID client, size_t property, HostString& value);
unsigned int getClientList(uint64 connection, HostClientList& clients);
unsigned int getChannelVariableAsInt(uint64 connection, uint64 channel, size_t property, int& value);
unsigned int getChannelVariableAsString(uint64 connection, uint64 channel, size_t property,
                                        HostString& value);
unsigned int getChannelList(uint64 connection, HostIdList& channels);
unsigned int getServerConnectionHandlerList(HostIdList& connections);
unsigned int getServerVariableAsInt(uint64 connection, size_t property, int& value);
unsigned int getServerVariableAsString(uint64 connection, size_t property, HostString& value);
void setPluginMenuEnabled(const char* pluginId, int menuId, int enabled);
// The client's configuration folder as a UTF-8 path ending in '/', in folder (capacity bytes). False
// when the host has no answer, an empty one, or one that fills the whole buffer (it may be cut).
bool getConfigPath(char* folder, std::size_t capacity);
// A line for the user in one of the connection's tabs.
void printMessage(uint64 connection, const char* text, PluginMessageTarget target);

}  // namespace tandrel::host
