// The shipped plug-in DLL, loaded the way the client loads it: LoadLibrary by path, entry points by
// name. The path comes from TANDREL_PLUGIN_DLL.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/host_api.h"

namespace tandrel::testing {

struct PluginEntryPoints {
    const char* (*name)();
    const char* (*version)();
    int (*apiVersion)();
    const char* (*author)();
    const char* (*description)();
    const char* (*infoTitle)();
    int (*offersConfigure)();
    void (*setFunctionPointers)(const TS3Functions funcs);
    int (*init)();
    void (*registerPluginID)(const char* id);
    void (*shutdown)();
    void (*freeMemory)(void* data);
    void (*configure)(void* handle, void* parent);
    void (*initMenus)(PluginMenuItem*** items, char** icon);
    void (*onMenuItemEvent)(uint64 connection, int type, int menuItemId, uint64 selectedItemId);
    void (*infoData)(uint64 connection, uint64 id, int type, char** data);
    void (*onConnectStatusChangeEvent)(uint64 connection, int newStatus, unsigned int errorNumber);
    void (*onClientSelfVariableUpdateEvent)(uint64 connection, int flag, const char* oldValue,
                                            const char* newValue);
    void (*onUpdateClientEvent)(uint64 connection, anyID client, anyID invoker, const char* invokerName,
                                const char* invokerUid);
    void (*onServerGroupClientAddedEvent)(uint64 connection, anyID client, const char* clientName,
                                          const char* clientUid, uint64 serverGroupId, anyID invoker,
                                          const char* invokerName, const char* invokerUid);
    void (*onServerGroupClientDeletedEvent)(uint64 connection, anyID client, const char* clientName,
                                            const char* clientUid, uint64 serverGroupId, anyID invoker,
                                            const char* invokerName, const char* invokerUid);
    int (*onTextMessageEvent)(uint64 connection, anyID targetMode, anyID toID, anyID fromID,
                              const char* fromName, const char* fromUniqueIdentifier, const char* message,
                              int ffIgnored);
    const char* (*keyDeviceName)(const char* keyIdentifier);
};

class PluginLibrary {
  public:
    PluginLibrary();  // loads the DLL; check loaded() before use
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    HMODULE module() const { return module_; }
    const PluginEntryPoints& plugin() const { return entryPoints_; }
    // Entry points that could not be found by name.
    const std::vector<std::string>& missing() const { return missing_; }

    static std::string path();

  private:
    HMODULE module_ = nullptr;
    PluginEntryPoints entryPoints_{};
    std::vector<std::string> missing_;
};

// The names in the export directory of a loaded module, and the DLL names in its import directory.
std::vector<std::string> exportedNames(HMODULE module);
std::vector<std::string> importedDlls(HMODULE module);

}  // namespace tandrel::testing
