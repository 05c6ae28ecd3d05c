#include "settings_builders.h"

#include <cstring>
#include <sstream>

#include "settings/default_stations.h"

namespace tandrel::testing {

std::unique_ptr<PluginSettings> emptySettings() {
    return std::make_unique<PluginSettings>();
}

std::unique_ptr<PluginSettings> defaultSettings() {
    auto settings = emptySettings();
    resetToDefaultStations(*settings);
    return settings;
}

std::unique_ptr<PluginSettings> defaultSettingsEnabling(const std::set<int>& enabled) {
    auto settings = defaultSettings();
    for (int i = 0; i < DEFAULT_STATION_COUNT; ++i) {
        settings->stationEnabled[i] = enabled.count(i) ? 1 : 0;
    }
    return settings;
}

void appendStation(PluginSettings& settings, const std::string& label, const std::string& url, int enabled) {
    int i = settings.stationCount++;
    std::strncpy(settings.stations[i].label, label.c_str(), STATION_LABEL_SIZE - 1);
    std::strncpy(settings.stations[i].url, url.c_str(), STATION_URL_SIZE - 1);
    settings.stationEnabled[i] = enabled;
}

std::string settingsDifference(const PluginSettings& actual, const PluginSettings& expected) {
    std::ostringstream out;
    auto field = [&](const char* name, int a, int e) {
        if (a != e && out.tellp() == 0)
            out << name << " is " << a << ", expected " << e;
    };
    field("showServerInfo", actual.showServerInfo, expected.showServerInfo);
    field("showChannelInfo", actual.showChannelInfo, expected.showChannelInfo);
    field("showClientInfo", actual.showClientInfo, expected.showClientInfo);
    field("stationCount", actual.stationCount, expected.stationCount);
    for (int i = 0; out.tellp() == 0 && i < expected.stationCount && i < MAX_STATIONS; ++i) {
        const StationEntry& a = actual.stations[i];
        const StationEntry& e = expected.stations[i];
        if (std::strcmp(a.label, e.label) != 0) {
            out << "label " << i << " is '" << a.label << "', expected '" << e.label << "'";
        } else if (std::strcmp(a.url, e.url) != 0) {
            out << "url " << i << " is '" << a.url << "', expected '" << e.url << "'";
        } else {
            std::string name = "stationEnabled[" + std::to_string(i) + "]";
            field(name.c_str(), actual.stationEnabled[i], expected.stationEnabled[i]);
        }
    }
    return out.str();
}

}  // namespace tandrel::testing
