// The shipped library loaded and unloaded 500 times, as a client does that reloads its plug-ins: each
// cycle loads it, starts it, registers it, builds the menus and hands them back, shuts it down and
// unloads it. Nothing may crash, every cycle must leave the fake host's ledger clean, and neither the
// process's handles nor its memory may grow from the end of a warm-up to the end of the run by more
// than noise. On Windows: the handle count and the committed private memory; on Linux: the open file
// descriptors and the bytes the C heap has handed out (what a leaking plug-in's mallocs grow).
#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <malloc.h>
#endif

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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
// A leak of one handle in every 20 cycles, or of 2.5 KiB per cycle (1.1 MB over the 450 cycles after
// the warm-up), goes over these. Committed private memory stays flat to the byte over a clean run.
constexpr long HANDLE_GROWTH_LIMIT = 20;
constexpr long long MEMORY_GROWTH_LIMIT = 256 * 1024;

struct ProcessUsage {
    long handles;
    long long privateBytes;
};

#ifdef _WIN32
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

// Committed private memory of this process: the sum of the regions that a walk over the whole
// address space finds committed and private. The process-memory counters would also do on Windows,
// but where 32-bit code runs under an emulator Wine's page-file counter grows with the emulator's
// own code cache (tens of MB over a soak); the walk sees only what the process itself committed.
long long committedPrivateBytes() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const char* address = static_cast<const char*>(system.lpMinimumApplicationAddress);
    const char* end = static_cast<const char*>(system.lpMaximumApplicationAddress);
    long long total = 0;
    MEMORY_BASIC_INFORMATION region{};
    while (address < end && VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += static_cast<long long>(region.RegionSize);
        }
        address = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return total;
}

ProcessUsage currentUsage() {
    DWORD handles = 0;
    if (!GetProcessHandleCount(GetCurrentProcess(), &handles)) {
        handles = 0;
    }
    return {handles != 0 ? static_cast<long>(handles) : handlesInSystemTable(), committedPrivateBytes()};
}
#else
// This process's open file descriptors; -1 when they cannot be listed.
long openFileDescriptors() {
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr) {
        return -1;
    }
    long count = 0;
    while (readdir(folder) != nullptr) {
        ++count;
    }
    closedir(folder);
    return count - 2;  // "." and ".."
}

// Bytes of the C heap in use, small blocks and mapped ones: exact, so a leak of one block per cycle shows.
long long heapBytesInUse() {
    const struct mallinfo2 usage = mallinfo2();
    return static_cast<long long>(usage.uordblks + usage.hblkhd);
}

ProcessUsage currentUsage() {
    return {openFileDescriptors(), heapBytesInUse()};
}
#endif

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

struct SoakRun {
    ProcessUsage atStart;
    ProcessUsage afterWarmUp;
    ProcessUsage atEnd;
};

// CYCLES cycles with usage read at the start, after the warm-up and at the end. plantedLeak: bytes
// the run itself leaks in every cycle after the warm-up, as a leaking DLL would, to show that the
// measure sees such a leak.
SoakRun soak(std::size_t plantedLeak) {
    std::vector<void*> leaked;
    leaked.reserve(CYCLES);
    SoakRun run{currentUsage(), {}, {}};
    for (int cycle = 0; cycle < CYCLES; ++cycle) {
        EXPECT_TRUE(loadUseAndUnload(cycle)) << "cycle " << cycle << ": cannot load " << PluginLibrary::path()
                                             << ": " << PluginLibrary::loadError();
        if (::testing::Test::HasFailure()) {
            break;
        }
        if (cycle + 1 == WARM_UP) {
            run.afterWarmUp = currentUsage();
        } else if (cycle + 1 > WARM_UP && plantedLeak > 0) {
            leaked.push_back(std::malloc(plantedLeak));
        }
    }
    run.atEnd = currentUsage();
    for (void* block : leaked) {
        std::free(block);
    }
    return run;
}

TEST(DllSoak, FiveHundredLoadCyclesGrowNeitherHandlesNorMemory) {
    // No configuration file: every cycle starts from the built-in stations.
    TempDir appData;
    ScopedEnv env("APPDATA", appData.path().string());
    const SoakRun run = soak(0);
    ASSERT_FALSE(HasFailure());
    std::printf(
        "soak: handles %ld at start, %ld after %d cycles, %ld after %d; private bytes %lld, %lld, "
        "%lld (growth %lld)\n",
        run.atStart.handles, run.afterWarmUp.handles, WARM_UP, run.atEnd.handles, CYCLES,
        run.atStart.privateBytes, run.afterWarmUp.privateBytes, run.atEnd.privateBytes,
        run.atEnd.privateBytes - run.afterWarmUp.privateBytes);
    RecordProperty("handlesAfterWarmUp", static_cast<int>(run.afterWarmUp.handles));
    RecordProperty("handlesAtEnd", static_cast<int>(run.atEnd.handles));
    RecordProperty("privateBytesAfterWarmUp", std::to_string(run.afterWarmUp.privateBytes));
    RecordProperty("privateBytesAtEnd", std::to_string(run.atEnd.privateBytes));
    EXPECT_GT(run.afterWarmUp.handles, 0) << "the handle count is available";
    EXPECT_GT(run.afterWarmUp.privateBytes, 0) << "the memory walk sees the process";
    EXPECT_LE(run.atEnd.handles - run.afterWarmUp.handles, HANDLE_GROWTH_LIMIT);
    EXPECT_LE(run.atEnd.privateBytes - run.afterWarmUp.privateBytes, MEMORY_GROWTH_LIMIT);
}

// The same run with 2.5 KiB leaked in every cycle after the warm-up: the measure must go over the
// limit, or the soak above could not catch a leak of that size.
TEST(DllSoak, TheMemoryMeasureCatchesALeakOfTwoAndAHalfKiBPerCycle) {
    TempDir appData;
    ScopedEnv env("APPDATA", appData.path().string());
    const SoakRun run = soak(2560);
    ASSERT_FALSE(HasFailure());
    const long long growth = run.atEnd.privateBytes - run.afterWarmUp.privateBytes;
    std::printf("soak with a planted leak of 2560 bytes per cycle: private bytes grew by %lld\n", growth);
    EXPECT_GT(growth, MEMORY_GROWTH_LIMIT);
}

}  // namespace
}  // namespace tandrel::testing
