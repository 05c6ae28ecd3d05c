#include "plugin_library.h"

#include <cstdlib>

namespace tandrel::testing {
namespace {

template <typename Function>
void resolve(HMODULE module, const char* name, Function& target, std::vector<std::string>& missing) {
    FARPROC address = GetProcAddress(module, name);
    if (address == nullptr) {
        missing.push_back(name);
    }
    target = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

const IMAGE_NT_HEADERS* ntHeaders(HMODULE module) {
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

}  // namespace

std::string PluginLibrary::path() {
    const char* value = std::getenv("TANDREL_PLUGIN_DLL");
    return value != nullptr ? value : "";
}

PluginLibrary::PluginLibrary() {
    module_ = LoadLibraryA(path().c_str());
    if (module_ == nullptr) {
        return;
    }
    PluginEntryPoints& p = entryPoints_;
    resolve(module_, "ts3plugin_name", p.name, missing_);
    resolve(module_, "ts3plugin_version", p.version, missing_);
    resolve(module_, "ts3plugin_apiVersion", p.apiVersion, missing_);
    resolve(module_, "ts3plugin_author", p.author, missing_);
    resolve(module_, "ts3plugin_description", p.description, missing_);
    resolve(module_, "ts3plugin_infoTitle", p.infoTitle, missing_);
    resolve(module_, "ts3plugin_offersConfigure", p.offersConfigure, missing_);
    resolve(module_, "ts3plugin_setFunctionPointers", p.setFunctionPointers, missing_);
    resolve(module_, "ts3plugin_init", p.init, missing_);
    resolve(module_, "ts3plugin_registerPluginID", p.registerPluginID, missing_);
    resolve(module_, "ts3plugin_shutdown", p.shutdown, missing_);
    resolve(module_, "ts3plugin_freeMemory", p.freeMemory, missing_);
    resolve(module_, "ts3plugin_configure", p.configure, missing_);
    resolve(module_, "ts3plugin_initMenus", p.initMenus, missing_);
    resolve(module_, "ts3plugin_onMenuItemEvent", p.onMenuItemEvent, missing_);
    resolve(module_, "ts3plugin_infoData", p.infoData, missing_);
    resolve(module_, "ts3plugin_onConnectStatusChangeEvent", p.onConnectStatusChangeEvent, missing_);
    resolve(module_, "ts3plugin_onClientSelfVariableUpdateEvent", p.onClientSelfVariableUpdateEvent,
            missing_);
    resolve(module_, "ts3plugin_onUpdateClientEvent", p.onUpdateClientEvent, missing_);
    resolve(module_, "ts3plugin_onServerGroupClientAddedEvent", p.onServerGroupClientAddedEvent, missing_);
    resolve(module_, "ts3plugin_onServerGroupClientDeletedEvent", p.onServerGroupClientDeletedEvent,
            missing_);
    resolve(module_, "ts3plugin_onTextMessageEvent", p.onTextMessageEvent, missing_);
    resolve(module_, "ts3plugin_keyDeviceName", p.keyDeviceName, missing_);
}

PluginLibrary::~PluginLibrary() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
}

std::vector<std::string> exportedNames(HMODULE module) {
    auto base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& directory =
        ntHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (directory.VirtualAddress == 0) {
        return names;
    }
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    auto nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    }
    // Functions reachable by ordinal only would not show up as names; count them too.
    for (DWORD i = exports->NumberOfNames; i < exports->NumberOfFunctions; ++i) {
        names.emplace_back("<ordinal only>");
    }
    return names;
}

std::vector<std::string> importedDlls(HMODULE module) {
    auto base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& directory =
        ntHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> dlls;
    if (directory.VirtualAddress == 0) {
        return dlls;
    }
    for (auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        dlls.emplace_back(reinterpret_cast<const char*>(base + entry->Name));
    }
    return dlls;
}

}  // namespace tandrel::testing
