// Reading the configuration file: file text in, record out, as a table of cases; the file's
// location; and input no writer would produce.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "base/utf8.h"
#include "fake_host.h"
#include "plugin/entry_points.h"
#include "settings/config_file.h"
#include "settings/default_stations.h"
#include "settings_builders.h"
#include "test_files.h"

namespace tandrel::testing {
namespace {

std::unique_ptr<PluginSettings> read(const std::string& text) {
    auto settings = emptySettings();
    loadSettingsFromText(*settings, text);
    return settings;
}

// Two stations, as the writer puts them: the first disabled, the second enabled.
std::unique_ptr<PluginSettings> twoStations(int server, int channel, int client) {
    auto settings = emptySettings();
    settings->showServerInfo = server;
    settings->showChannelInfo = channel;
    settings->showClientInfo = client;
    appendStation(*settings, "Pop | Charts", "https://a.example/charts", 0);
    appendStation(*settings, "Rock | Rock", "https://b.example/rock", 1);
    return settings;
}

const std::string twoStationLines =
    "station_count=2\n"
    "station_0_label=Pop | Charts\nstation_0_url=https://a.example/charts\nstation_0_enabled=0\n"
    "station_1_label=Rock | Rock\nstation_1_url=https://b.example/rock\nstation_1_enabled=1\n";

struct ReaderCase {
    const char* name;
    std::string text;
    std::function<std::unique_ptr<PluginSettings>()> expected;
};

void PrintTo(const ReaderCase& c, std::ostream* out) {
    *out << c.name;
}

class ReaderCases : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderCases, GiveTheExpectedRecord) {
    const ReaderCase& c = GetParam();
    auto actual = read(c.text);
    auto expected = c.expected();
    EXPECT_EQ(settingsDifference(*actual, *expected), "");
}

std::unique_ptr<PluginSettings> withSwitches(std::unique_ptr<PluginSettings> settings, int server,
                                             int channel, int client) {
    settings->showServerInfo = server;
    settings->showChannelInfo = channel;
    settings->showClientInfo = client;
    return settings;
}

std::unique_ptr<PluginSettings> oneStation(const std::string& label, const std::string& url, int enabled) {
    auto settings = emptySettings();
    appendStation(*settings, label, url, enabled);
    return settings;
}

std::string longText(std::size_t length, char fill) {
    return std::string(length, fill);
}

// Text with NUL bytes in it, whole.
template <std::size_t N>
std::string bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReaderCases,
    ::testing::Values(
        ReaderCase{"EmptyFileGivesAllDefaultsDisabled", "", [] { return defaultSettingsEnabling({}); }},
        ReaderCase{"OnlySwitchesGiveDefaultsDisabledAndTheSwitches",
                   "show_server_info=1\nshow_channel_info=0\nshow_client_info=5\n",
                   [] { return withSwitches(defaultSettingsEnabling({}), 1, 0, 5); }},
        ReaderCase{"WrittenFileIsReadBack",
                   "show_server_info=1\nshow_channel_info=0\nshow_client_info=1\n" + twoStationLines,
                   [] { return twoStations(1, 0, 1); }},
        ReaderCase{"WindowsLineEndingsAreNotPartOfValues",
                   "show_server_info=1\r\nstation_count=1\r\nstation_0_label=A\r\nstation_0_url=u\r\n"
                   "station_0_enabled=1\r\n",
                   [] { return withSwitches(oneStation("A", "u", 1), 1, 0, 0); }},
        ReaderCase{"CountZeroGivesAllDefaultsEnabled",
                   "station_count=0\nstation_0_label=A\nstation_0_url=u\nstation_0_enabled=0\n",
                   [] { return defaultSettings(); }},
        ReaderCase{"EmptyFirstLabelGivesAllDefaultsEnabledButKeepsSwitches",
                   "show_client_info=1\nstation_count=2\nstation_1_label=B\nstation_1_enabled=1\n",
                   [] { return withSwitches(defaultSettings(), 0, 0, 1); }},
        ReaderCase{"CountAbove200IsIgnored", "station_count=201\nstation_0_label=A\nstation_0=1\n",
                   [] { return defaultSettingsEnabling({0}); }},
        ReaderCase{"NegativeCountIsIgnored", "station_count=-1\nstation_0_label=A\n",
                   [] { return defaultSettingsEnabling({}); }},
        ReaderCase{"CountOf200IsAccepted", "station_count=200\nstation_0_label=A\n",
                   [] {
                       auto settings = oneStation("A", "", 0);
                       settings->stationCount = 200;
                       return settings;
                   }},
        ReaderCase{"IndexesOutsideTheTableAreIgnored",
                   "station_count=1\nstation_0_label=A\nstation_200_label=X\nstation_-1_label=Y\n"
                   "station_200_enabled=1\nstation_-1_enabled=1\nstation_4294967295_label=Z\n",
                   [] { return oneStation("A", "", 0); }},
        ReaderCase{"ValueKeepsFurtherEqualsSignsAndTrailingBlanks",
                   "station_count=1\nstation_0_label=a=b=c \nstation_0_url= x=1&y=2\t\n",
                   [] { return oneStation("a=b=c ", " x=1&y=2\t", 0); }},
        ReaderCase{"LongTextsAreCutToTheirFields",
                   "station_count=1\nstation_0_label=" + longText(100, 'L') +
                       "\nstation_0_url=" + longText(300, 'U') + "\n",
                   [] { return oneStation(longText(63, 'L'), longText(255, 'U'), 0); }},
        ReaderCase{"TextsThatExactlyFitAreKeptWhole",
                   "station_count=1\nstation_0_label=" + longText(63, 'L') +
                       "\nstation_0_url=" + longText(255, 'U') + "\n",
                   [] { return oneStation(longText(63, 'L'), longText(255, 'U'), 0); }},
        ReaderCase{"UnknownAndOverlongKeysAreIgnored",
                   "station_count=1\nstation_0_label=A\nstation_0_name=B\nstation_0_labelabcdefghijk=C\n"
                   "station_0_urlurlurlurlurlurl=D\nstation_0_label\n",
                   [] { return oneStation("A", "", 0); }},
        ReaderCase{"EntriesBeyondTheCountAreNotStations",
                   "station_count=1\nstation_0_label=A\nstation_1_label=B\nstation_1_enabled=1\n",
                   [] { return oneStation("A", "", 0); }},
        ReaderCase{"StationWithoutLinesIsEmptyAndDisabled",
                   "station_count=3\nstation_0_label=A\nstation_2_label=C\nstation_2_enabled=1\n",
                   [] {
                       auto settings = oneStation("A", "", 0);
                       appendStation(*settings, "", "", 0);
                       appendStation(*settings, "C", "", 1);
                       return settings;
                   }},
        ReaderCase{"FlagOnlyLinesFlagTheDefaultsWithoutACount",
                   "station_0=1\nstation_5=1\nstation_7=0\nstation_60=1\nstation_3_enabled=1\n"
                   "station_1_label=ignored without a count\n",
                   [] {
                       return defaultSettingsEnabling({0, 5});
                   }},
        ReaderCase{"FlagOnlyLinesDoNothingWithACount", "station_count=1\nstation_0_label=A\nstation_0=1\n",
                   [] { return oneStation("A", "", 0); }},
        ReaderCase{"FlagsKeepTheValueAsWritten",
                   "station_count=2\nstation_0_label=A\nstation_0_enabled=5\nstation_1_label=B\n"
                   "station_1_enabled=-1\n",
                   [] {
                       auto settings = oneStation("A", "", 5);
                       appendStation(*settings, "B", "", -1);
                       return settings;
                   }},
        ReaderCase{"NumbersFollowScanfRules",
                   " show_server_info=1\nshow_channel_info= \t+7 and more\nshow_client_info=-0x10\n",
                   [] { return withSwitches(defaultSettingsEnabling({}), 0, 7, 0); }},
        ReaderCase{"BlankInsideTheIndexIsSkippedLikeScanfDoes", "station_count=1\nstation_ 0_label=A\n",
                   [] { return oneStation("A", "", 0); }},
        ReaderCase{"SignWithoutDigitsDoesNotMatch", "show_server_info=-\nshow_channel_info=+x\n",
                   [] { return defaultSettingsEnabling({}); }},
        ReaderCase{"NumbersAtTheEdgesOfIntAreKept",
                   "show_server_info=2147483647\nshow_channel_info=-2147483648\n"
                   "station_count=000000000000000000001\nstation_0_label=A\n",
                   [] { return withSwitches(oneStation("A", "", 0), INT_MAX, INT_MIN, 0); }},
        ReaderCase{"NumbersTooLargeForIntMakeTheirLineNotMatch",
                   "show_server_info=2147483648\nshow_channel_info=-2147483649\n"
                   "show_client_info=99999999999999999999\nstation_count=4294967297\n",
                   [] { return defaultSettingsEnabling({}); }},
        ReaderCase{"LaterLinesOverrideEarlierOnes",
                   "show_server_info=1\nshow_server_info=0\nstation_count=5\nstation_count=1\n"
                   "station_0_label=A\nstation_0_label=B\n",
                   [] { return oneStation("B", "", 0); }},
        ReaderCase{"NulByteEndsTheLineEarly",
                   bytes("station_count=1\nstation_0_label=ab\0cd\nshow_server_info=1\0\n"),
                   [] { return withSwitches(oneStation("ab", "", 0), 1, 0, 0); }},
        ReaderCase{"Utf8TextsAreKeptByteForByte",
                   "station_count=1\nstation_0_label=M\xC3\xBCnchner Stra\xC3\x9F"
                   "e \xE2\x82\xAC \xF0\x9F\x8E\xB5\n"
                   "station_0_url=https://r.example/\xC3\xA4?q=\xE6\x9D\xB1\n",
                   [] {
                       return oneStation(
                           "M\xC3\xBCnchner Stra\xC3\x9F"
                           "e \xE2\x82\xAC \xF0\x9F\x8E\xB5",
                           "https://r.example/\xC3\xA4?q=\xE6\x9D\xB1", 0);
                   }},
        ReaderCase{"CutsFallBeforeACharacterThatDoesNotFit",
                   "station_count=1\nstation_0_label=" + longText(62, 'L') +
                       "\xC3\xBC\nstation_0_url=" + longText(253, 'U') + "\xE2\x82\xAC\n",
                   [] { return oneStation(longText(62, 'L'), longText(253, 'U'), 0); }},
        ReaderCase{"LongUtf8LineCutInsideACharacterStaysUtf8",
                   // The first piece of the line ends with the lead byte of a character whose second
                   // byte comes with the next piece: the value is still UTF-8.
                   "station_count=1\nstation_0_label=\xC3\xBC" + longText(511 - 16 - 3, 'x') + "\xC3\xBC\n",
                   [] { return oneStation("\xC3\xBC" + longText(61, 'x'), "", 0); }},
        ReaderCase{"LongLineArrivesInPiecesOf511Bytes",
                   // The label line is cut after 511 bytes; its rest is read as a line of its own.
                   "station_count=1\nstation_0_label=" + longText(511 - 16, 'x') + "show_server_info=3\n",
                   [] { return withSwitches(oneStation(longText(63, 'x'), "", 0), 3, 0, 0); }}),
    [](const ::testing::TestParamInfo<ReaderCase>& c) { return std::string(c.param.name); });

// A file written in the ANSI code page, by hand or by an earlier build: its labels and URLs are read
// in that code page (Windows-1252 where there is none) and held as UTF-8, so that the next save
// writes them as UTF-8.
TEST(ConfigReaderAnsiText, IsReadInTheCodePageAndHeldAsUtf8) {
#ifdef _WIN32
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the expected texts are those of code page 1252; this system uses " << GetACP();
    }
#endif
    struct AnsiCase {
        const char* name;
        std::string label;  // as the file holds it
        std::string url;
        std::string utf8Label;  // as the record holds it
        std::string utf8Url;
    };
    const AnsiCase cases[] = {
        {"umlauts, sharp s and the euro sign",
         "M\xFCnchner Stra\xDF"
         "e \x80",
         "https://r.example/\xE4",
         "M\xC3\xBCnchner Stra\xC3\x9F"
         "e \xE2\x82\xAC",
         "https://r.example/\xC3\xA4"},
        {"cut after reading: the label's last umlaut no longer fits", longText(62, 'a') + "\xFC",
         longText(254, 'u') + "\xDF", longText(62, 'a'), longText(254, 'u')},
        {"every byte grows", std::string(40, '\xFC'), std::string(130, '\x80'),
         [] {
             std::string text;
             for (int i = 0; i < 31; ++i)
                 text += "\xC3\xBC";
             return text;
         }(),
         [] {
             std::string text;
             for (int i = 0; i < 85; ++i)
                 text += "\xE2\x82\xAC";
             return text;
         }()},
        {"one stray byte makes the whole value ANSI", "\xC3\xBC and \xFC", "",
         "\xC3\x83\xC2\xBC and \xC3\xBC", ""},
    };
    for (const AnsiCase& c : cases) {
        auto settings =
            read("station_count=1\nstation_0_label=" + c.label + "\nstation_0_url=" + c.url + "\n");
        EXPECT_EQ(std::string(settings->stations[0].label), c.utf8Label) << c.name;
        EXPECT_EQ(std::string(settings->stations[0].url), c.utf8Url) << c.name;
    }
}

// --- the file on disk ---

// Where the file lives: on Windows it follows APPDATA; elsewhere the host's configuration folder,
// asked through the host table (the fake host answers "<APPDATA>/TS3Client/" unless told a folder).
class ConfigFileLocation : public ::testing::Test {
  protected:
    ConfigFileLocation() { ts3plugin_setFunctionPointers(host.table()); }

    TempDir appData;
    FakeHost host;
};

#ifdef _WIN32
TEST_F(ConfigFileLocation, IsUnderTheClientsPluginFolderInAppData) {
    ScopedEnv env("APPDATA", appData.path().string());
    char path[CONFIG_PATH_SIZE];
    ASSERT_TRUE(composeConfigFilePath(path));
    EXPECT_EQ(std::string(path), appData.path().string() + "\\TS3Client\\plugins\\TandrelPlugin.ini");
    EXPECT_THAT(host.calls(), ::testing::IsEmpty()) << "Windows asks the environment, not the host";
}

TEST_F(ConfigFileLocation, WithoutAppDataIsTheBareFileName) {
    ScopedEnv env("APPDATA", std::nullopt);
    char path[CONFIG_PATH_SIZE];
    ASSERT_TRUE(composeConfigFilePath(path));
    EXPECT_STREQ(path, "TandrelPlugin.ini");
}

TEST_F(ConfigFileLocation, PathThatDoesNotFitIsRefused) {
    // 260 bytes with the NUL: an APPDATA of 223 characters still fits, 224 does not.
    const std::size_t suffix = std::strlen("\\TS3Client\\plugins\\TandrelPlugin.ini");
    char path[CONFIG_PATH_SIZE];
    {
        ScopedEnv env("APPDATA", std::string(CONFIG_PATH_SIZE - 1 - suffix, 'a'));
        EXPECT_TRUE(composeConfigFilePath(path));
        EXPECT_EQ(std::strlen(path), CONFIG_PATH_SIZE - 1);
    }
    {
        ScopedEnv env("APPDATA", std::string(CONFIG_PATH_SIZE - suffix, 'a'));
        EXPECT_FALSE(composeConfigFilePath(path));
    }
}

TEST_F(ConfigFileLocation, AppDataTooLongIsTreatedAsNoFile) {
    ScopedEnv env("APPDATA", std::string(300, 'a'));
    pluginSettings = PluginSettings{};
    EXPECT_EQ(ts3plugin_init(), 0);
    EXPECT_EQ(settingsDifference(pluginSettings, *defaultSettings()), "");
}
#else
TEST_F(ConfigFileLocation, IsInThePluginsFolderOfTheHostsConfigurationFolder) {
    ScopedEnv env("APPDATA", "/elsewhere");  // not read here
    host.configPath = "/home/me/.ts3client/";
    char path[CONFIG_PATH_SIZE];
    ASSERT_TRUE(composeConfigFilePath(path));
    EXPECT_STREQ(path, "/home/me/.ts3client/plugins/TandrelPlugin.ini");
}

TEST_F(ConfigFileLocation, WithoutAHostFolderThereIsNoFile) {
    ScopedEnv env("APPDATA", std::nullopt);  // the fake host then answers an empty folder
    char path[CONFIG_PATH_SIZE];
    EXPECT_FALSE(composeConfigFilePath(path));
    pluginSettings = PluginSettings{};
    EXPECT_EQ(ts3plugin_init(), 0);
    EXPECT_EQ(settingsDifference(pluginSettings, *defaultSettings()), "");
}

TEST_F(ConfigFileLocation, PathThatDoesNotFitIsRefused) {
    // CONFIG_PATH_SIZE bytes with the NUL: the folder may take what the file's part leaves.
    const std::size_t suffix = std::strlen("/plugins/TandrelPlugin.ini");
    char path[CONFIG_PATH_SIZE];
    host.configPath = std::string(CONFIG_PATH_SIZE - 1 - suffix, 'a') + "/";
    EXPECT_TRUE(composeConfigFilePath(path));
    EXPECT_EQ(std::strlen(path), CONFIG_PATH_SIZE - 1);
    host.configPath = std::string(CONFIG_PATH_SIZE - suffix, 'a') + "/";
    EXPECT_FALSE(composeConfigFilePath(path));
}
#endif

TEST_F(ConfigFileLocation, InitReadsTheFileFromTheClientsFolders) {
    writeBytes(makeClientPluginFolder(appData.path()) / "TandrelPlugin.ini",
               "show_channel_info=1\r\nstation_count=1\r\nstation_0_label=Jazz\r\nstation_0_url=https://j\r\n"
               "station_0_enabled=1\r\n");
    ScopedEnv env("APPDATA", appData.path().string());
    pluginSettings = PluginSettings{};
    EXPECT_EQ(ts3plugin_init(), 0);
    auto expected = withSwitches(oneStation("Jazz", "https://j", 1), 0, 1, 0);
    EXPECT_EQ(settingsDifference(pluginSettings, *expected), "");
}

TEST_F(ConfigFileLocation, MissingFileGivesAllDefaultsEnabledAndInitSucceeds) {
    ScopedEnv env("APPDATA", appData.path().string());
    pluginSettings = PluginSettings{};
    pluginSettings.showServerInfo = 1;
    EXPECT_EQ(ts3plugin_init(), 0);
    EXPECT_EQ(settingsDifference(pluginSettings, *defaultSettings()), "");
}

TEST_F(ConfigFileLocation, FolderInPlaceOfTheFileGivesTheDefaults) {
    std::filesystem::create_directories(makeClientPluginFolder(appData.path()) / "TandrelPlugin.ini");
    ScopedEnv env("APPDATA", appData.path().string());
    pluginSettings = PluginSettings{};
    EXPECT_EQ(ts3plugin_init(), 0);
    EXPECT_EQ(pluginSettings.stationCount, DEFAULT_STATION_COUNT);
}

// --- input no writer produces ---

// What must hold after any input whatsoever.
void expectRecordInvariants(const PluginSettings& settings) {
    ASSERT_GE(settings.stationCount, 1);
    ASSERT_LE(settings.stationCount, MAX_STATIONS);
    EXPECT_NE(settings.stations[0].label[0], '\0');
    for (const StationEntry& station : settings.stations) {
        ASSERT_NE(std::memchr(station.label, '\0', sizeof station.label), nullptr);
        ASSERT_NE(std::memchr(station.url, '\0', sizeof station.url), nullptr);
        // Whatever bytes the file held, the texts are UTF-8 for the host.
        EXPECT_TRUE(utf8::isValid(station.label)) << station.label;
        EXPECT_TRUE(utf8::isValid(station.url)) << station.url;
    }
}

TEST(ConfigReaderBadInput, RandomBytesLoadWithTheRecordIntact) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 4096);
    const std::string keys[] = {"station_count=", "station_7_label=", "station_7_url=", "station_7_enabled=",
                                "show_server_info=", "station_7=",
                                // Beyond the built-in stations, so that the texts stay whatever the count.
                                "station_70_label=", "station_70_url=", "\n"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        int size = length(random);
        while (static_cast<int>(text.size()) < size) {
            // Mostly noise, with the file's keys mixed in so that the patterns get exercised.
            if (byte(random) < 40) {
                text += keys[byte(random) % std::size(keys)];
            } else {
                text += static_cast<char>(byte(random));
            }
        }
        auto settings = read(text);
        expectRecordInvariants(*settings);
    }
}

TEST(ConfigReaderBadInput, LinesOf10000CharactersLoad) {
    std::string text = "station_count=2\nstation_0_label=" + longText(10000, 'a') +
                       "\nstation_1_url=" + longText(10000, '=') + "\n" + longText(10000, 'z') +
                       "\nstation_1_label=B\n";
    auto settings = read(text);
    expectRecordInvariants(*settings);
    EXPECT_EQ(settings->stationCount, 2);
    EXPECT_EQ(std::string(settings->stations[0].label), longText(63, 'a'));
    EXPECT_EQ(std::string(settings->stations[1].url), longText(255, '='));
    EXPECT_STREQ(settings->stations[1].label, "B");
}

TEST(ConfigReaderBadInput, FileOfNulBytesGivesDefaultsDisabled) {
    auto settings = read(std::string(5000, '\0'));
    EXPECT_EQ(settingsDifference(*settings, *defaultSettingsEnabling({})), "");
}

TEST(ConfigReaderBadInput, CountsAndIndexesAtEveryBoundary) {
    struct Boundary {
        const char* line;
        bool acceptedAsCount;
    };
    const Boundary counts[] = {{"station_count=0", true},           {"station_count=1", true},
                               {"station_count=199", true},         {"station_count=200", true},
                               {"station_count=201", false},        {"station_count=-1", false},
                               {"station_count=2147483647", false}, {"station_count=-2147483648", false}};
    for (const Boundary& count : counts) {
        auto settings = read(std::string(count.line) + "\nstation_0_label=A\n");
        bool keptFileStations = settings->stationCount != DEFAULT_STATION_COUNT;
        bool zeroCount = std::string(count.line) == "station_count=0";
        EXPECT_EQ(keptFileStations, count.acceptedAsCount && !zeroCount) << count.line;
        expectRecordInvariants(*settings);
    }
    for (int index : {0, 1, 198, 199}) {
        std::string i = std::to_string(index);
        auto settings = read("station_count=200\nstation_0_label=first\nstation_" + i + "_url=U" + i +
                             "\nstation_" + i + "_enabled=1\n");
        EXPECT_EQ(std::string(settings->stations[index].url), "U" + i);
        EXPECT_EQ(settings->stationEnabled[index], 1);
    }
}

}  // namespace
}  // namespace tandrel::testing
