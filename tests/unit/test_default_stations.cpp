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

// The stream of each built-in station, in the same order as the labels.
constexpr std::array<const char*, DEFAULT_STATION_COUNT> expectedUrls = {
    "https://stream.rockantenne.de/rockantenne/stream/mp3",
    "https://stream.rockantenne.de/classic-perlen/stream/mp3",
    "https://streams.radiobob.de/bob-hardrock/mp3-192/streams.radiobob.de/",
    "https://stream.rockantenne.de/heavy-metal/stream/mp3",
    "https://stream.rockantenne.de/alternative/stream/mp3",
    "https://stream.rockantenne.de/blues-rock/stream/mp3",
    "https://stream.rockantenne.de/deutschrock/stream/mp3",
    "https://stream.rockantenne.de/80er-rock/stream/mp3",
    "https://stream.rockantenne.de/90er-rock/stream/mp3",
    "https://icecast.radiofrance.fr/fiprock-midfi.mp3",
    "https://streams.bigfm.de/bigfm-charts-128-mp3",
    "https://streams.ilovemusic.de/iloveradio1.mp3",
    "https://frontend.streamonkey.net/energy-berlin/stream/mp3",
    "https://stream.kissfm.de/kissfm/mp3-128/internetradio/",
    "https://stream.antenne.de/top-40/stream/mp3",
    "https://mp3.ffh.de/ffhchannels/hqbrandneu.mp3",
    "https://streams.ilovemusic.de/iloveradio14.mp3",
    "https://stream.antenne.de/lovesongs/stream/mp3",
    "https://wdr-1live-live.icecastssl.wdr.de/wdr/1live/live/mp3/128/stream.mp3",
    "https://icecast.ndr.de/ndr/ndr2/niedersachsen/mp3/128/stream.mp3",
    "https://stream.antenne.de/antenne/stream/mp3",
    "https://mp3.planetradio.de/planetradio/hqlivestream.mp3",
    "https://streams.ilovemusic.de/iloveradio3.mp3",
    "https://streams.bigfm.de/bigfm-rnb-128-mp3",
    "https://streams.bigfm.de/bigfm-deutschrap-128-mp3",
    "https://streams.ilovemusic.de/iloveradio27.mp3",
    "https://stream.sunshine-live.de/techno/mp3-192/stream.sunshine-live.de/",
    "https://stream.sunshine-live.de/edm/mp3-192/stream.sunshine-live.de/",
    "https://stream.sunshine-live.de/house/mp3-192/stream.sunshine-live.de/",
    "https://streams.ilovemusic.de/iloveradio21.mp3",
    "https://stream.sunshine-live.de/trance/mp3-192/stream.sunshine-live.de/",
    "https://streams.ilovemusic.de/iloveradio2.mp3",
    "https://mp3.planetradio.de/plrchannels/hqtheclub.mp3",
    "https://streams.ilovemusic.de/iloveradio5.mp3",
    "https://stream.antenne.de/chillout/stream/mp3",
    "https://mp3.ffh.de/ffhchannels/hqlounge.mp3",
    "https://streams.ilovemusic.de/iloveradio17.mp3",
    "https://ice1.somafm.com/dronezone-128-mp3",
    "https://icecast.radiofrance.fr/fipgroove-midfi.mp3",
    "https://stream.srg-ssr.ch/m/rsj/mp3_128",
    "https://icecast.radiofrance.fr/fipjazz-midfi.mp3",
    "https://stream.antenne.de/oldies-but-goldies/stream/mp3",
    "https://stream.antenne.de/70er-hits/stream/mp3",
    "https://stream.antenne.de/80er-kulthits/stream/mp3",
    "https://mp3.ffh.de/ffhchannels/hq90er.mp3",
    "https://streams.ilovemusic.de/iloveradio12.mp3",
    "https://dispatcher.rndfnk.com/br/brklassik/live/mp3/high",
    "https://stream.klassikradio.de/live/mp3-192/stream.klassikradio.de/",
    "https://dispatcher.rndfnk.com/br/brschlager/live/mp3/mid",
    "https://stream.ffn.de/radiobollerwagen/mp3-192/",
    "https://dispatcher.rndfnk.com/br/br3/live/mp3/mid",
};

TEST(DefaultStations, LabelsAreTheShippedListInOrder) {
    for (int i = 0; i < DEFAULT_STATION_COUNT; ++i) {
        EXPECT_STREQ(defaultStations[i].label, expectedLabels[i]) << "station " << i;
    }
}

TEST(DefaultStations, EachStationPlaysItsOwnStream) {
    for (int i = 0; i < DEFAULT_STATION_COUNT; ++i) {
        EXPECT_STREQ(defaultStations[i].url, expectedUrls[i]) << defaultStations[i].label;
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
        EXPECT_STREQ(settings->stations[i].url, expectedUrls[i]);
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
