// The settings guard under load: one thread commits whole records into the live settings through the
// settings window's own commit, while readers on other threads take what the host's
// entry points take (the three switches, a station's URL, a label, the play command of a menu item).
// Every value of a record encodes the record's generation, and each text carries it at both ends, so
// a reader that sees a half-copied record, or half of one text, fails. Run natively, under
// ThreadSanitizer and under Wine (where the guard is the Windows lock).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/bounded_copy.h"
#include "emulated_32bit.h"
#include "host/plugin_id.h"
#include "plugin/entry_points.h"
#include "radio/bot_commands.h"
#include "radio/context_menus.h"
#include "settings/plugin_settings.h"
#include "settings/settings_draft.h"
#include "settings_builders.h"

namespace tandrel::testing {
namespace {

constexpr int COMMITS = 10000;

// "g<gen>:<station>:" then filler up to a length that changes with the generation, then ":g<gen>".
std::string stationText(int generation, int station, std::size_t fieldSize) {
    std::string head = "g" + std::to_string(generation) + ":" + std::to_string(station) + ":";
    std::string tail = ":g" + std::to_string(generation);
    std::size_t room = fieldSize - 1 - head.size() - tail.size();
    std::size_t filler = room - static_cast<std::size_t>(generation % 7) * (room / 8);
    return head + std::string(filler, static_cast<char>('a' + generation % 26)) + tail;
}

// The generation a text was written for, or -1 when its two ends disagree or it names another station.
int generationOf(const char* text, int station) {
    int head = -1;
    int headStation = -1;
    int consumed = 0;
    if (std::sscanf(text, "g%d:%d:%n", &head, &headStation, &consumed) != 2 || headStation != station) {
        return -1;
    }
    const char* tail = std::strrchr(text, ':');
    int tailGeneration = -2;
    if (tail == nullptr || std::sscanf(tail, ":g%d", &tailGeneration) != 1 || tailGeneration != head) {
        return -1;
    }
    return head;
}

std::unique_ptr<PluginSettings> recordOfGeneration(int generation) {
    auto record = emptySettings();
    record->showServerInfo = record->showChannelInfo = record->showClientInfo = generation;
    for (int i = 0; i < MAX_STATIONS; ++i) {
        appendStation(*record, stationText(generation, i, STATION_LABEL_SIZE),
                      stationText(generation, i, STATION_URL_SIZE), 1);
    }
    return record;
}

// The window's commit, as OK runs it, of a draft whose every value is of one generation.
void commit(int generation) {
    auto draft = std::make_unique<SettingsDraft>();
    draft->acceptedInfo = {generation, generation, generation};
    draft->settings = *recordOfGeneration(generation);
    commitDraftToLiveSettings(*draft);
}

class SettingsGuardStress : public ::testing::Test {
  protected:
    SettingsGuardStress() {
        releasePluginId();
        pluginSettings = *recordOfGeneration(0);
        // The menu layout the play commands go through: every station enabled.
        ts3plugin_initMenus(nullptr, nullptr);
    }
    ~SettingsGuardStress() override {
        pluginSettings = PluginSettings{};
        menuLayout = MenuLayout{};
    }

    std::atomic<int> committed{0};
    std::atomic<bool> done{false};
    std::atomic<int> tornReads{0};
    std::atomic<long> reads{0};
};

TEST_F(SettingsGuardStress, ReadersNeverSeeAHalfCommittedRecord) {
    if (thirtyTwoBitCodeIsEmulated()) {
        GTEST_SKIP() << EMULATED_THREADS_SKIP;
    }
    std::thread writer([&] {
        for (int generation = 1; generation <= COMMITS; ++generation) {
            commit(generation);
            committed.store(generation, std::memory_order_release);
        }
        done = true;
    });

    auto reader = [&](int which) {
        int lastSeen = 0;
        int station = which;
        while (!done.load()) {
            station = (station * 73 + 19) % MAX_STATIONS;
            int generation = -1;
            if (which == 0) {
                InfoSwitches switches = readInfoSwitches();
                generation = switches.server == switches.channel && switches.channel == switches.client
                                 ? switches.server
                                 : -1;
            } else if (which == 1) {
                char url[STATION_URL_SIZE];
                copyStationUrl(station, url);
                generation = generationOf(url, station);
            } else if (which == 2) {
                // A label and its URL taken together under the guard come from one record.
                char label[STATION_LABEL_SIZE];
                char url[STATION_URL_SIZE];
                {
                    SettingsGuard guard;
                    copyBounded(label, pluginSettings.stations[station].label);
                    copyBounded(url, pluginSettings.stations[station].url);
                }
                generation = generationOf(label, station);
                if (generation != generationOf(url, station)) {
                    generation = -1;
                }
            } else {
                // The play command of the station's client menu item, as the menu event builds it.
                char command[BOT_COMMAND_SIZE];
                if (commandForMenuItem(PLUGIN_MENU_TYPE_CLIENT, FIXED_MENU_ITEM_COUNT + station, command) &&
                    std::strncmp(command, "!play ", 6) == 0) {
                    generation = generationOf(command + 6, station);
                }
            }
            if (generation < lastSeen) {
                ++tornReads;  // half a record, half a text, or an older record after a newer one
            } else {
                lastSeen = generation;
            }
            ++reads;
        }
    };
    std::vector<std::thread> readers;
    for (int which = 0; which < 4; ++which) {
        readers.emplace_back(reader, which);
    }
    writer.join();
    for (std::thread& thread : readers) {
        thread.join();
    }
    EXPECT_EQ(committed.load(), COMMITS);
    EXPECT_EQ(tornReads.load(), 0) << "of " << reads.load() << " reads";
    EXPECT_GT(reads.load(), 4) << "the readers ran alongside the commits";
}

}  // namespace
}  // namespace tandrel::testing
