// The shipped plug-in library, loaded the way the client loads it, entry points by name: the DLL
// with LoadLibrary (path from TANDREL_PLUGIN_DLL), the Linux library with dlopen (path from
// TANDREL_PLUGIN_SO). The suites that need no window run against either through this one seam.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>
#include <vector>

#include "host/host_api.h"

namespace tandrel::testing {

#ifdef _WIN32
using LibraryHandle = HMODULE;
#else
using LibraryHandle = void*;
#endif

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
    PluginLibrary();  // loads the library; check loaded() before use
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    LibraryHandle module() const { return module_; }
    const PluginEntryPoints& plugin() const { return entryPoints_; }
    // Any exported function by name; null when there is none.
    void* entryPoint(const char* name) const;
    // Entry points that could not be found by name.
    const std::vector<std::string>& missing() const { return missing_; }

    static std::string path();
    // Why the last load failed, as the system says it.
    static std::string loadError();

  private:
    LibraryHandle module_ = nullptr;
    PluginEntryPoints entryPoints_{};
    std::vector<std::string> missing_;
};

// The names a loaded library exports: a DLL's export directory, a Linux library's defined dynamic
// symbols.
std::vector<std::string> exportedNames(const PluginLibrary& library);
// Whether the library at path is still mapped into this process.
bool libraryIsLoaded(const std::string& path);

#ifdef _WIN32
// The DLL names in a module's import directory.
std::vector<std::string> importedDlls(HMODULE module);
#endif

}  // namespace tandrel::testing
