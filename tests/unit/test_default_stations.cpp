// The built-in station table and resetToDefaultStations.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "settings/default_stations.h"
#include "settings/plugin_settings.h"

namespace tandrel::testing {
namespace {

constexpr std::array<const char*, DEFAULT_STATION_COUNT> expectedLabels = {
    "Rock | Rock",          "Rock | Classic Rock",    "Rock | Hard Rock",     "Rock | Metal",
    "Rock | Alternative",   "Rock | Blues Rock",      "Rock | Deutsch Rock",  "Rock | 80s Rock",
    "Rock | 90s Rock",      "Rock | FIP Rock",        "Pop | Charts",         "Pop | Hits",
    "Pop | Energy",         "Pop | Kiss FM",          "Pop | Top 40",         "Pop | New Hits",
    "Pop | Party Hits",     "Pop | Love Songs",       "Pop | 1Live",          "Pop | NDR2",
    "Pop | Antenne",        "Pop | Planet",           "HipHop | HipHop",      "HipHop | R&B",
    "HipHop | Deutsch Rap", "HipHop | History",       "Electronic | Techno",  "Electronic | EDM",
    "Electronic | House",   "Electronic | Hardstyle", "Electronic | Trance",  "Electronic | Dance",
    "Electronic | Club",    "Electronic | Mashup",    "Chill | Chill",        "Chill | Lounge",
    "Chill | Chillhop",     "Chill | Ambient",        "Chill | FIP Groove",   "Jazz | Jazz",
    "Jazz | FIP Jazz",      "Oldies | Oldies",        "Oldies | 70s",         "Oldies | 80s",
    "Oldies | 90s",         "Oldies | Hits History",  "Klassik | BR Klassik", "Klassik | Klassik Radio",
    "Schlager | Schlager",  "Schlager | Party",       "Deutsch | BR3",
};

TEST(DefaultStations, LabelsAreTheShippedListInOrder) {
    for (int i = 0; i < DEFAULT_STATION_COUNT; ++i) {
        EXPECT_STREQ(defaultStations[i].label, expectedLabels[i]) << "station " << i;
    }
}

TEST(DefaultStations, EveryUrlIsADistinctHttpsAddressThatFitsTheField) {
    std::set<std::string_view> seen;
    for (const DefaultStation& station : defaultStations) {
        std::string_view url = station.url;
        EXPECT_EQ(url.rfind("https://", 0), 0u) << station.label;
        EXPECT_GT(url.size(), std::string_view("https://").size()) << station.label;
        EXPECT_LE(url.size(), STATION_URL_SIZE - 1) << station.label;
        EXPECT_EQ(url.find_first_of(" \t\r\n"), std::string_view::npos) << station.label;
        EXPECT_TRUE(seen.insert(url).second) << "duplicate address for " << station.label;
    }
}

TEST(ResetToDefaultStations, FillsTheFirst51AndLeavesTheRest) {
    auto settings = std::make_unique<PluginSettings>();
    settings->showServerInfo = 5;
    settings->showChannelInfo = -1;
    settings->stationCount = 3;
    std::strcpy(settings->stations[0].label, "an old label that is longer than any default");
    std::strcpy(settings->stations[51].label, "beyond the defaults");
    std::strcpy(settings->stations[199].url, "https://example.invalid/last");
    settings->stationEnabled[51] = 7;

    resetToDefaultStations(*settings);

    EXPECT_EQ(settings->stationCount, 51);
    for (int i = 0; i < DEFAULT_STATION_COUNT; ++i) {
        EXPECT_STREQ(settings->stations[i].label, expectedLabels[i]);
        EXPECT_STREQ(settings->stations[i].url, defaultStations[i].url);
        EXPECT_EQ(settings->stationEnabled[i], 1);
    }
    EXPECT_STREQ(settings->stations[51].label, "beyond the defaults");
    EXPECT_STREQ(settings->stations[199].url, "https://example.invalid/last");
    EXPECT_EQ(settings->stationEnabled[51], 7);
    EXPECT_EQ(settings->showServerInfo, 5);
    EXPECT_EQ(settings->showChannelInfo, -1);
}

}  // namespace
}  // namespace tandrel::testing
