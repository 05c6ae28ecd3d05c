#include "plugin_library.h"

#include <cstdlib>

#ifndef _WIN32
#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#endif

namespace tandrel::testing {
namespace {

#ifdef _WIN32
constexpr const char* PATH_VARIABLE = "TANDREL_PLUGIN_DLL";

LibraryHandle openLibrary(const std::string& path) {
    return LoadLibraryA(path.c_str());
}
void closeLibrary(LibraryHandle module) {
    FreeLibrary(module);
}
void* findFunction(LibraryHandle module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}
#else
constexpr const char* PATH_VARIABLE = "TANDREL_PLUGIN_SO";

// As the client opens a plug-in: every symbol bound at once, nothing made visible to later libraries.
LibraryHandle openLibrary(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void closeLibrary(LibraryHandle module) {
    dlclose(module);
}
void* findFunction(LibraryHandle module, const char* name) {
    return dlsym(module, name);
}
#endif

template <typename Function>
void resolve(LibraryHandle module, const char* name, Function& target, std::vector<std::string>& missing) {
    void* address = findFunction(module, name);
    if (address == nullptr) {
        missing.push_back(name);
    }
    target = reinterpret_cast<Function>(address);
}

#ifdef _WIN32
const IMAGE_NT_HEADERS* ntHeaders(HMODULE module) {
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

#endif

}  // namespace

std::string PluginLibrary::path() {
    const char* value = std::getenv(PATH_VARIABLE);
    return value != nullptr ? value : "";
}

std::string PluginLibrary::loadError() {
#ifdef _WIN32
    return "error " + std::to_string(GetLastError());
#else
    const char* error = dlerror();
    return error != nullptr ? error : "no error reported";
#endif
}

void* PluginLibrary::entryPoint(const char* name) const {
    return module_ != nullptr ? findFunction(module_, name) : nullptr;
}

PluginLibrary::PluginLibrary() {
    module_ = openLibrary(path());
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
        closeLibrary(module_);
    }
}

#ifdef _WIN32
bool libraryIsLoaded(const std::string& path) {
    return GetModuleHandleA(path.c_str()) != nullptr;
}

std::vector<std::string> exportedNames(const PluginLibrary& library) {
    HMODULE module = library.module();
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
#else
bool libraryIsLoaded(const std::string& path) {
    LibraryHandle module = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (module == nullptr) {
        return false;
    }
    dlclose(module);
    return true;
}

// The defined global and weak symbols of the file's dynamic symbol table: what dlsym can find.
std::vector<std::string> exportedNames(const PluginLibrary& library) {
    std::ifstream file(PluginLibrary::path(), std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> names;
    if (image.size() < sizeof(Elf64_Ehdr) || !library.loaded()) {
        return names;
    }
    Elf64_Ehdr header;
    std::memcpy(&header, image.data(), sizeof header);
    auto section = [&](std::size_t index) {
        Elf64_Shdr entry{};
        const std::size_t offset = header.e_shoff + index * sizeof(Elf64_Shdr);
        if (index < header.e_shnum && offset + sizeof entry <= image.size()) {
            std::memcpy(&entry, image.data() + offset, sizeof entry);
        }
        return entry;
    };
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr symbols = section(i);
        if (symbols.sh_type != SHT_DYNSYM || symbols.sh_offset + symbols.sh_size > image.size()) {
            continue;
        }
        const Elf64_Shdr strings = section(symbols.sh_link);
        for (std::size_t offset = 0; offset + sizeof(Elf64_Sym) <= symbols.sh_size;
             offset += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol;
            std::memcpy(&symbol, image.data() + symbols.sh_offset + offset, sizeof symbol);
            const unsigned binding = ELF64_ST_BIND(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK) ||
                strings.sh_offset + symbol.st_name >= image.size()) {
                continue;
            }
            names.emplace_back(image.c_str() + strings.sh_offset + symbol.st_name);
        }
    }
    return names;
}
#endif

}  // namespace tandrel::testing
