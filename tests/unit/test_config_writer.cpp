// Writing the configuration file: record in, text out; a save that fails at any step keeps the old
// file; and a round trip through the reader.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "fake_host.h"
#include "host/host_functions.h"
#include "plugin_heap_ledger.h"
#include "settings/config_file.h"
#include "settings/default_stations.h"
#include "settings_builders.h"
#include "test_files.h"

namespace tandrel::testing {
namespace {

#ifdef _WIN32
const std::string lineEnd = "\r\n";  // text mode on Windows
#else
const std::string lineEnd = "\n";
#endif

std::string formatted(const PluginSettings& settings) {
    std::vector<char> buffer(configTextCapacity());
    std::size_t length = formatConfigText(settings, buffer.data(), buffer.size());
    return std::string(buffer.data(), length);
}

// The same text with the platform's line ends, as it lands on disk.
std::string onDisk(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') {
            result += lineEnd;
        } else {
            result += c;
        }
    }
    return result;
}

TEST(ConfigWriter, WritesTheSwitchesTheCountAndThreeLinesPerStation) {
    auto settings = emptySettings();
    settings->showServerInfo = 1;
    settings->showClientInfo = 1;
    appendStation(*settings, "Pop | Charts", "https://a.example/charts", 0);
    appendStation(*settings, "Rock | Rock", "https://b.example/rock", 1);
    EXPECT_EQ(formatted(*settings),
              "show_server_info=1\nshow_channel_info=0\nshow_client_info=1\nstation_count=2\n"
              "station_0_label=Pop | Charts\nstation_0_url=https://a.example/charts\nstation_0_enabled=0\n"
              "station_1_label=Rock | Rock\nstation_1_url=https://b.example/rock\nstation_1_enabled=1\n");
}

TEST(ConfigWriter, NoStationsGiveFourLines) {
    auto settings = emptySettings();
    std::strcpy(settings->stations[0].label, "beyond the count");
    EXPECT_EQ(formatted(*settings),
              "show_server_info=0\nshow_channel_info=0\nshow_client_info=0\nstation_count=0\n");
}

TEST(ConfigWriter, ValuesAreWrittenAsStored) {
    auto settings = emptySettings();
    settings->showServerInfo = -1;
    settings->showChannelInfo = 5;
    settings->showClientInfo = INT_MIN;
    appendStation(*settings, "a=b ", " u=1", 7);
    EXPECT_EQ(formatted(*settings),
              "show_server_info=-1\nshow_channel_info=5\nshow_client_info=-2147483648\nstation_count=1\n"
              "station_0_label=a=b \nstation_0_url= u=1\nstation_0_enabled=7\n");
}

TEST(ConfigWriter, FullTableOfLongestTextsFitsTheBuffer) {
    auto settings = emptySettings();
    for (int i = 0; i < MAX_STATIONS; ++i) {
        appendStation(*settings, std::string(63, 'L'), std::string(255, 'U'), INT_MIN);
    }
    settings->showServerInfo = settings->showChannelInfo = settings->showClientInfo = INT_MIN;
    std::string text = formatted(*settings);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4 + 3 * MAX_STATIONS);
    EXPECT_LT(text.size(), configTextCapacity());
}

// --- saving to disk ---

class ConfigSave : public ::testing::Test {
  protected:
    // The host answers where the file lives on Linux; on Windows APPDATA does.
    ConfigSave() : file(makeClientPluginFolder(appData.path()) / "TandrelPlugin.ini") {
        host::installFunctionTable(host.table());
    }
    ~ConfigSave() override {
        configFileOperations = standardConfigFileOperations;
        EXPECT_THAT(pluginHeap.problems(), ::testing::IsEmpty()) << "the save's buffer is not released";
    }

    std::vector<std::string> filesInFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    PluginHeapLedger pluginHeap;
    FakeHost host;
    TempDir appData;
    std::filesystem::path file;
};

TEST_F(ConfigSave, SaveSettingsWritesTheLiveRecordToAppData) {
    ScopedEnv env("APPDATA", appData.path().string());
    pluginSettings = PluginSettings{};
    pluginSettings.showChannelInfo = 1;
    appendStation(pluginSettings, "Jazz | Jazz", "https://j.example/", 1);
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(readBytes(file), onDisk(formatted(pluginSettings)));
    EXPECT_THAT(filesInFolder(), ::testing::ElementsAre("TandrelPlugin.ini"));
}

TEST_F(ConfigSave, ReplacesAnExistingFileWhole) {
    writeBytes(file, std::string(100000, 'x'));
    auto settings = defaultSettings();
    ASSERT_TRUE(saveSettingsToFile(*settings, file.string().c_str()));
    EXPECT_EQ(readBytes(file), onDisk(formatted(*settings)));
    EXPECT_THAT(filesInFolder(), ::testing::ElementsAre("TandrelPlugin.ini"));
}

TEST_F(ConfigSave, MissingFolderWritesNothing) {
    TempDir emptyAppData;
    ScopedEnv env("APPDATA", emptyAppData.path().string());
    pluginSettings = PluginSettings{};
    EXPECT_FALSE(saveSettings());
    EXPECT_TRUE(std::filesystem::is_empty(emptyAppData.path()));
}

TEST_F(ConfigSave, PathTooLongWritesNothing) {
    ScopedEnv env("APPDATA", std::string(300, 'a'));
    host.configPath = std::string(2 * CONFIG_PATH_SIZE, 'a') + "/";
    configFileOperations.open = [](const char*, const char*) -> std::FILE* {
        ADD_FAILURE() << "no file may be opened for a path that does not fit";
        return nullptr;
    };
    EXPECT_FALSE(saveSettings());
}

// Each operation of a save, made to fail: the old file must survive byte for byte.
struct FailingStep {
    const char* name;
    void (*breakIt)(ConfigFileOperations&);
};

void PrintTo(const FailingStep& step, std::ostream* out) {
    *out << step.name;
}

class ConfigSaveFailure : public ConfigSave, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(ConfigSaveFailure, KeepsTheOldFileAndLeavesNoTemporaryFile) {
    const std::string oldContent = "show_server_info=1\nstation_count=1\nstation_0_label=Old\n";
    writeBytes(file, oldContent);
    GetParam().breakIt(configFileOperations);
    EXPECT_FALSE(saveSettingsToFile(*defaultSettings(), file.string().c_str()));
    {
        // The save of the live record reports the same failure.
        ScopedEnv env("APPDATA", appData.path().string());
        pluginSettings = *defaultSettings();
        EXPECT_FALSE(saveSettings());
    }
    configFileOperations = standardConfigFileOperations;
    EXPECT_EQ(readBytes(file), oldContent);
    EXPECT_THAT(filesInFolder(), ::testing::ElementsAre("TandrelPlugin.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ConfigSaveFailure,
    ::testing::Values(
        FailingStep{"Open",
                    [](ConfigFileOperations& io) {
                        io.open = [](const char*, const char*) -> std::FILE* { return nullptr; };
                    }},
        FailingStep{"Write",
                    [](ConfigFileOperations& io) {
                        // A disk that fills up halfway through the text.
                        io.write = [](const void* data, std::size_t size, std::size_t count, std::FILE* f) {
                            return std::fwrite(data, size, count / 2, f);
                        };
                    }},
        FailingStep{"Flush", [](ConfigFileOperations& io) { io.flush = [](std::FILE*) { return EOF; }; }},
        FailingStep{"FlushToDisk",
                    [](ConfigFileOperations& io) { io.flushToDisk = [](std::FILE*) { return false; }; }},
        FailingStep{"Close",
                    [](ConfigFileOperations& io) {
                        io.close = [](std::FILE* f) {
                            std::fclose(f);
                            return EOF;
                        };
                    }},
        FailingStep{
            "Replace",
            [](ConfigFileOperations& io) { io.replace = [](const char*, const char*) { return false; }; }}),
    [](const ::testing::TestParamInfo<FailingStep>& step) { return std::string(step.param.name); });

// --- round trip ---

TEST_F(ConfigSave, SavedRecordsReadBackUnchanged) {
    std::vector<std::unique_ptr<PluginSettings>> records;
    records.push_back(defaultSettings());
    records.push_back(defaultSettingsEnabling({0, 50}));
    auto mixed = emptySettings();
    mixed->showServerInfo = 1;
    mixed->showChannelInfo = 5;
    appendStation(*mixed, "Label with = and  blanks ", "https://x.example/a=b?c=d", 1);
    appendStation(*mixed, "", "url of a station without label", 0);
    appendStation(*mixed, "\xC3\x84rger \xC3\xBC\xC3\xA4 \xE2\x82\xAC \xF0\x9F\x8E\xB5", "", -3);
    records.push_back(std::move(mixed));
    auto full = emptySettings();
    for (int i = 0; i < MAX_STATIONS; ++i) {
        appendStation(*full, std::string(63, static_cast<char>('A' + i % 26)), std::string(255, 'u'), i % 2);
    }
    records.push_back(std::move(full));

    for (const auto& record : records) {
        ASSERT_TRUE(saveSettingsToFile(*record, file.string().c_str()));
        auto loaded = emptySettings();
        loadSettingsFromFile(*loaded, file.string().c_str());
        EXPECT_EQ(settingsDifference(*loaded, *record), "");
    }
}

TEST_F(ConfigSave, NoStationsSavedGiveTheDefaultsAtTheNextStart) {
    auto none = emptySettings();
    none->showClientInfo = 1;
    ASSERT_TRUE(saveSettingsToFile(*none, file.string().c_str()));
    auto loaded = emptySettings();
    loadSettingsFromFile(*loaded, file.string().c_str());
    auto expected = defaultSettings();
    expected->showClientInfo = 1;
    EXPECT_EQ(settingsDifference(*loaded, *expected), "");
}

}  // namespace
}  // namespace tandrel::testing
