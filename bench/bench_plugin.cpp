// The plug-in's costs at the largest sizes it allows, against an instant host: what the client's UI
// thread waits for on each call. Prints one table with a budget per figure; a figure over its budget
// is marked, never failed, since the machine's load decides part of it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/plugin_id.h"
#include "info/connection_log.h"
#include "instant_host.h"
#include "plugin/entry_points.h"
#include "radio/admin_gate.h"
#include "radio/context_menus.h"
#include "settings/config_file.h"
#include "settings/plugin_settings.h"
#include "settings_builders.h"
#include "test_files.h"

namespace tandrel::bench {
namespace {

constexpr double HOST_THREAD_BUDGET_US = 50;  // every entry point on the client's UI thread
constexpr double LOAD_BUDGET_US = 1000;       // reading the configuration file at start-up

std::map<std::string, double>& budgets() {
    static std::map<std::string, double> table;
    return table;
}

// The full table: 200 stations, every one enabled, with labels and URLs of the longest lengths.
void fillFullTable(PluginSettings& settings) {
    settings = PluginSettings{};
    settings.showServerInfo = settings.showChannelInfo = settings.showClientInfo = 1;
    for (int i = 0; i < MAX_STATIONS; ++i) {
        testing::appendStation(settings, std::string(63, static_cast<char>('A' + i % 26)),
                               "https://" + std::string(247, static_cast<char>('a' + i % 26)), 1);
    }
}

// The plug-in started against the instant host, registered, with its menus built from the full
// table.
void startPlugin() {
    ts3plugin_setFunctionPointers(instantHostTable());
    fillFullTable(pluginSettings);
    ts3plugin_registerPluginID("tandrel-bench");
    PluginMenuItem** items = nullptr;
    ts3plugin_initMenus(&items, nullptr);
    for (int i = 0; items != nullptr && items[i] != nullptr; ++i) {
        ts3plugin_freeMemory(items[i]);
    }
    ts3plugin_freeMemory(items);
}

void LoadSettings200Stations(benchmark::State& state) {
    testing::TempDir folder;
    const std::string path = (folder.path() / CONFIG_FILE_NAME).string();
    fillFullTable(pluginSettings);
    if (!saveSettingsToFile(pluginSettings, path.c_str())) {
        state.SkipWithError("cannot write the configuration file");
        return;
    }
    auto settings = testing::emptySettings();
    for (auto _ : state) {
        loadSettingsFromFile(*settings, path.c_str());
        benchmark::DoNotOptimize(settings->stationCount);
    }
    if (settings->stationCount != MAX_STATIONS) {
        state.SkipWithError("the file did not load as 200 stations");
    }
}

void InitMenus200Stations(benchmark::State& state) {
    startPlugin();
    for (auto _ : state) {
        PluginMenuItem** items = nullptr;
        char* icon = nullptr;
        ts3plugin_initMenus(&items, &icon);
        for (int i = 0; items != nullptr && items[i] != nullptr; ++i) {
            ts3plugin_freeMemory(items[i]);
        }
        ts3plugin_freeMemory(items);
    }
    ts3plugin_shutdown();
}

void MenuItemEvent1000ClientsBotLast(benchmark::State& state) {
    startPlugin();
    const int lastStationItem = FIXED_MENU_ITEM_COUNT + MAX_STATIONS - 1;
    for (auto _ : state) {
        ts3plugin_onMenuItemEvent(CONNECTION, PLUGIN_MENU_TYPE_CLIENT, lastStationItem, 0);
    }
    ts3plugin_shutdown();
}

void InfoBlock(benchmark::State& state, int type, uint64 itemId) {
    startPlugin();
    for (auto _ : state) {
        char* data = nullptr;
        ts3plugin_infoData(CONNECTION, itemId, type, &data);
        benchmark::DoNotOptimize(data);
        ts3plugin_freeMemory(data);
    }
    ts3plugin_shutdown();
}

void InfoServer(benchmark::State& state) {
    InfoBlock(state, PLUGIN_SERVER, 0);
}
void InfoChannel(benchmark::State& state) {
    InfoBlock(state, PLUGIN_CHANNEL, 17);
}
void InfoClient(benchmark::State& state) {
    InfoBlock(state, PLUGIN_CLIENT, 500);
}

void ConnectionLog200Channels(benchmark::State& state) {
    startPlugin();
    std::FILE* sink = std::fopen("/dev/null", "w");
    std::FILE* previous = connectionLogOutput;
    connectionLogOutput = sink;
    for (auto _ : state) {
        ts3plugin_onConnectStatusChangeEvent(CONNECTION, STATUS_CONNECTION_ESTABLISHED, 0);
    }
    connectionLogOutput = previous;
    std::fclose(sink);
    ts3plugin_shutdown();
}

// "10,11,12,...": 10,000 characters of group IDs, none of them an administrators' group, so that the
// parser reads all of it.
std::string longGroupList() {
    std::string list;
    for (int id = 1000; list.size() < 10000; ++id) {
        list += std::to_string(id) + (id % 3 == 0 ? ", " : ",");
    }
    list.resize(10000);
    return list;
}

void GroupListParser10000Characters(benchmark::State& state) {
    const std::string list = longGroupList();
    for (auto _ : state) {
        benchmark::DoNotOptimize(isRadioAdmin(list.c_str()));
    }
}

// The whole self-variable event with that list: the parser and the 404 item updates that follow.
void ServerGroupsChanged10000Characters(benchmark::State& state) {
    startPlugin();
    const std::string list = longGroupList();
    for (auto _ : state) {
        ts3plugin_onClientSelfVariableUpdateEvent(CONNECTION, CLIENT_SERVERGROUPS, "", list.c_str());
    }
    ts3plugin_shutdown();
}

void add(const char* name, void (*function)(benchmark::State&), double budgetMicros) {
    budgets()[name] = budgetMicros;
    benchmark::RegisterBenchmark(name, function)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

// Collects the medians and prints them as one table at the end.
class BudgetTable : public benchmark::BenchmarkReporter {
  public:
    bool ReportContext(const Context& context) override {
        std::printf("%d CPUs at %.0f MHz; median of 5 repetitions per figure\n", context.cpu_info.num_cpus,
                    context.cpu_info.cycles_per_second / 1e6);
        return true;
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                rows_.push_back({run.run_name.function_name, -1, 0});
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                double micros =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e6;
                rows_.push_back({run.run_name.function_name, micros, run.iterations});
            }
        }
    }

    void Finalize() override {
        std::printf("\n%-40s %14s %12s %8s\n", "benchmark", "time (us)", "budget (us)", "result");
        for (const Row& row : rows_) {
            double budget = budgets()[row.name];
            if (row.micros < 0) {
                std::printf("%-40s %14s %12.0f %8s\n", row.name.c_str(), "error", budget, "error");
            } else {
                std::printf("%-40s %14.2f %12.0f %8s\n", row.name.c_str(), row.micros, budget,
                            row.micros <= budget ? "ok" : "over");
            }
        }
    }

  private:
    struct Row {
        std::string name;
        double micros;
        long long iterations;
    };
    std::vector<Row> rows_;
};

}  // namespace
}  // namespace tandrel::bench

int main(int argc, char** argv) {
    using namespace tandrel::bench;
    add("loadSettings, 200 stations", LoadSettings200Stations, LOAD_BUDGET_US);
    add("ts3plugin_initMenus, 200 stations", InitMenus200Stations, HOST_THREAD_BUDGET_US);
    add("ts3plugin_onMenuItemEvent, 1000 clients", MenuItemEvent1000ClientsBotLast, HOST_THREAD_BUDGET_US);
    add("ts3plugin_infoData, server", InfoServer, HOST_THREAD_BUDGET_US);
    add("ts3plugin_infoData, channel", InfoChannel, HOST_THREAD_BUDGET_US);
    add("ts3plugin_infoData, client", InfoClient, HOST_THREAD_BUDGET_US);
    add("connection log, 200 channels", ConnectionLog200Channels, HOST_THREAD_BUDGET_US);
    add("isRadioAdmin, 10000 characters", GroupListParser10000Characters, HOST_THREAD_BUDGET_US);
    add("groups changed event, 10000 characters", ServerGroupsChanged10000Characters, HOST_THREAD_BUDGET_US);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    BudgetTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    benchmark::Shutdown();
    return 0;
}
