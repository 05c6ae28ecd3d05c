// The shipped DLL loaded and unloaded 500 times, as a client does that reloads its plug-ins: each
// cycle loads it, starts it, registers it, builds the menus and hands them back, shuts it down and
// unloads it. Nothing may crash, every cycle must leave the fake host's ledger clean, and neither the
// process's handle count nor its private memory may grow from the end of a warm-up to the end of the
// run by more than noise.
#include <windows.h>
// psapi.h needs the types of windows.h first.
#include <psapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fake_host.h"
#include "plugin_library.h"
#include "test_files.h"

namespace tandrel::testing {
namespace {

using ::testing::IsEmpty;

constexpr int CYCLES = 500;
constexpr int WARM_UP = 50;
// A leak of one handle in every 20 cycles, or of 2.5 KiB per cycle, goes over these.
constexpr long HANDLE_GROWTH_LIMIT = 20;
constexpr long long MEMORY_GROWTH_LIMIT = 1024 * 1024;

struct ProcessUsage {
    long handles;
    long long privateBytes;
};

// This process's entries in the system's handle table: Wine answers GetProcessHandleCount with 0,
// but keeps this table. -1 when it cannot be read.
long handlesInSystemTable() {
    struct Entry {
        ULONG processId;
        UCHAR objectType;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    constexpr ULONG SYSTEM_HANDLE_INFORMATION = 16;
    constexpr LONG STATUS_INFO_LENGTH_MISMATCH = static_cast<LONG>(0xC0000004L);
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return -1;
    }
    std::vector<char> buffer(1 << 16);
    ULONG length = 0;
    LONG status = 0;
    while ((status = query(SYSTEM_HANDLE_INFORMATION, buffer.data(), static_cast<ULONG>(buffer.size()),
                           &length)) == STATUS_INFO_LENGTH_MISMATCH) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        return -1;
    }
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    long own = 0;
    for (ULONG i = 0; i < table->count; ++i) {
        own += table->entries[i].processId == GetCurrentProcessId() ? 1 : 0;
    }
    return own;
}

ProcessUsage currentUsage() {
    DWORD handles = 0;
    if (!GetProcessHandleCount(GetCurrentProcess(), &handles)) {
        handles = 0;
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    // Private bytes are the commit charge, which Windows also reports as the page-file usage; Wine
    // fills in only the latter.
    SIZE_T privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    return {handles != 0 ? static_cast<long>(handles) : handlesInSystemTable(),
            static_cast<long long>(privateBytes)};
}

// One cycle; false when the DLL could not be loaded.
bool loadUseAndUnload(int cycle) {
    PluginLibrary library;
    if (!library.loaded()) {
        return false;
    }
    const PluginEntryPoints& p = library.plugin();
    FakeHost host;
    host.addConnection(1, 5).addClient(5, "ownUid=", "Alice", "6");
    p.setFunctionPointers(host.table());
    EXPECT_EQ(p.init(), 0);
    p.registerPluginID("tandrel-soak");
    PluginMenuItem** items = nullptr;
    char* icon = nullptr;
    p.initMenus(&items, &icon);
    EXPECT_NE(items, nullptr);
    int itemCount = 0;
    for (; items != nullptr && items[itemCount] != nullptr; ++itemCount) {
        p.freeMemory(items[itemCount]);
    }
    p.freeMemory(items);
    EXPECT_EQ(itemCount, 2 * 51 + 8) << "cycle " << cycle << ": the built-in stations' menus";
    p.shutdown();
    EXPECT_THAT(host.problems(), IsEmpty()) << "cycle " << cycle;
    return true;
}

TEST(DllSoak, FiveHundredLoadCyclesGrowNeitherHandlesNorMemory) {
    // No configuration file: every cycle starts from the built-in stations.
    TempDir appData;
    ScopedEnv env("APPDATA", appData.path().string());

    const ProcessUsage atStart = currentUsage();
    ProcessUsage afterWarmUp{};
    for (int cycle = 0; cycle < CYCLES; ++cycle) {
        ASSERT_TRUE(loadUseAndUnload(cycle))
            << "cycle " << cycle << ": cannot load " << PluginLibrary::path();
        if (::testing::Test::HasFailure()) {
            return;
        }
        if (cycle + 1 == WARM_UP) {
            afterWarmUp = currentUsage();
        }
    }
    const ProcessUsage atEnd = currentUsage();
    std::printf(
        "soak: handles %ld at start, %ld after %d cycles, %ld after %d; private bytes %lld, %lld, %lld\n",
        atStart.handles, afterWarmUp.handles, WARM_UP, atEnd.handles, CYCLES, atStart.privateBytes,
        afterWarmUp.privateBytes, atEnd.privateBytes);
    RecordProperty("handlesAfterWarmUp", static_cast<int>(afterWarmUp.handles));
    RecordProperty("handlesAtEnd", static_cast<int>(atEnd.handles));
    RecordProperty("privateBytesAfterWarmUp", std::to_string(afterWarmUp.privateBytes));
    RecordProperty("privateBytesAtEnd", std::to_string(atEnd.privateBytes));
    EXPECT_GT(afterWarmUp.handles, 0) << "the handle count is available";
    EXPECT_GT(afterWarmUp.privateBytes, 0) << "the memory counters are available";
    EXPECT_LE(atEnd.handles - afterWarmUp.handles, HANDLE_GROWTH_LIMIT);
    EXPECT_LE(atEnd.privateBytes - afterWarmUp.privateBytes, MEMORY_GROWTH_LIMIT);
}

}  // namespace
}  // namespace tandrel::testing
