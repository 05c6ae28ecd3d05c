// The live settings record: the info-panel switches and the station table. Every subsystem reads
// it; the configuration reader fills it at start-up and the settings window's commit rewrites it.
#pragma once

#include <cstddef>

namespace tandrel {

inline constexpr int MAX_STATIONS = 200;
inline constexpr std::size_t STATION_LABEL_SIZE = 64;  // 63 bytes of text and the NUL
inline constexpr std::size_t STATION_URL_SIZE = 256;   // 255 bytes of text and the NUL

struct StationEntry {
    char label[STATION_LABEL_SIZE];
    char url[STATION_URL_SIZE];
};

struct PluginSettings {
    int showServerInfo;   // nonzero: the info panel shows the server block
    int showChannelInfo;  // nonzero: ... the channel block
    int showClientInfo;   // nonzero: ... the client block
    int stationCount;     // 0 to MAX_STATIONS; entries from here on have no meaning
    StationEntry stations[MAX_STATIONS];
    int stationEnabled[MAX_STATIONS];  // nonzero: the station gets context-menu items
};

// The one live record; all zero until the configuration reader has run.
extern PluginSettings pluginSettings;

// Copies the built-in stations into entries 0 to 50, all enabled, and sets the count to 51.
// The switches and entries 51 and up stay as they are.
void resetToDefaultStations(PluginSettings& settings);

// Serialises writers and readers of pluginSettings: the settings window's commit runs on the
// configure thread while the info panel and the menu commands read on the host's threads. Hold it
// only while copying values in or out, never across a host call.
class SettingsGuard {
  public:
    SettingsGuard();
    ~SettingsGuard();
    SettingsGuard(const SettingsGuard&) = delete;
    SettingsGuard& operator=(const SettingsGuard&) = delete;
};

// Told, on the thread that holds the guard, right after it is taken (true) and right before it is let
// go (false). Null in the plug-in; tests set it to see which calls take the guard, how often, and
// whether a host call happens while it is held.
using SettingsGuardObserver = void (*)(bool held);
extern SettingsGuardObserver settingsGuardObserver;

// Readers for the host's threads: each takes the guard, copies what it needs and lets go.
struct InfoSwitches {
    int server;
    int channel;
    int client;
};
InfoSwitches readInfoSwitches();

// The URL of station index as it is now (index 0 to MAX_STATIONS - 1; entries beyond the count keep
// their last text).
void copyStationUrl(int index, char (&url)[STATION_URL_SIZE]);

}  // namespace tandrel
