#include "gdi_ledger.h"

#include <cstring>
#include <mutex>
#include <set>

namespace tandrel::testing {
namespace {

std::mutex ledgerMutex;
std::set<HGDIOBJ> liveSet;
std::size_t createdCount = 0;

HGDIOBJ track(HGDIOBJ object) {
    if (object != nullptr) {
        std::lock_guard<std::mutex> lock(ledgerMutex);
        liveSet.insert(object);
        ++createdCount;
    }
    return object;
}

HBRUSH WINAPI countedCreateSolidBrush(COLORREF colour) {
    return static_cast<HBRUSH>(track(CreateSolidBrush(colour)));
}
HPEN WINAPI countedCreatePen(int style, int width, COLORREF colour) {
    return static_cast<HPEN>(track(CreatePen(style, width, colour)));
}
HFONT WINAPI countedCreateFontIndirectA(const LOGFONTA* font) {
    return static_cast<HFONT>(track(CreateFontIndirectA(font)));
}
HFONT WINAPI countedCreateFontIndirectW(const LOGFONTW* font) {
    return static_cast<HFONT>(track(CreateFontIndirectW(font)));
}
HBRUSH WINAPI countedCreateBrushIndirect(const LOGBRUSH* brush) {
    return static_cast<HBRUSH>(track(CreateBrushIndirect(brush)));
}
BOOL WINAPI countedDeleteObject(HGDIOBJ object) {
    BOOL deleted = DeleteObject(object);
    if (deleted) {
        std::lock_guard<std::mutex> lock(ledgerMutex);
        liveSet.erase(object);
    }
    return deleted;
}

struct Replacement {
    const char* name;
    void* function;
};

const Replacement replacements[] = {
    {"CreateSolidBrush", reinterpret_cast<void*>(countedCreateSolidBrush)},
    {"CreatePen", reinterpret_cast<void*>(countedCreatePen)},
    {"CreateFontIndirectA", reinterpret_cast<void*>(countedCreateFontIndirectA)},
    {"CreateFontIndirectW", reinterpret_cast<void*>(countedCreateFontIndirectW)},
    {"CreateBrushIndirect", reinterpret_cast<void*>(countedCreateBrushIndirect)},
    {"DeleteObject", reinterpret_cast<void*>(countedDeleteObject)},
};

void writeSlot(void** slot, void* value) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

// Visits every named import of gdi32 with its slot in the import address table.
template <typename Visit>
void forEachGdiImport(HMODULE module, Visit visit) {
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         directory.VirtualAddress != 0 && entry->Name != 0; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), "gdi32.dll") != 0) {
            continue;
        }
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto slots = reinterpret_cast<void**>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            visit(reinterpret_cast<const char*>(byName->Name), slots);
        }
    }
}

}  // namespace

GdiLedger::GdiLedger(HMODULE module) : module_(module) {
    {
        std::lock_guard<std::mutex> lock(ledgerMutex);
        liveSet.clear();
        createdCount = 0;
    }
    forEachGdiImport(module_, [this](const char* name, void** slot) {
        for (const Replacement& replacement : replacements) {
            if (std::strcmp(name, replacement.name) == 0) {
                writeSlot(slot, replacement.function);
                ++hooked_;
            }
        }
    });
}

GdiLedger::~GdiLedger() {
    HMODULE gdi32 = GetModuleHandleA("gdi32.dll");
    forEachGdiImport(module_, [gdi32](const char* name, void** slot) {
        for (const Replacement& replacement : replacements) {
            if (std::strcmp(name, replacement.name) == 0) {
                writeSlot(slot, reinterpret_cast<void*>(GetProcAddress(gdi32, name)));
            }
        }
    });
}

std::size_t GdiLedger::liveObjects() const {
    std::lock_guard<std::mutex> lock(ledgerMutex);
    return liveSet.size();
}

std::size_t GdiLedger::created() const {
    std::lock_guard<std::mutex> lock(ledgerMutex);
    return createdCount;
}

}  // namespace tandrel::testing
