#include "settings/plugin_settings.h"

#include "base/bounded_copy.h"
#include "settings/default_stations.h"
#include "settings/settings_platform.h"

namespace tandrel {

PluginSettings pluginSettings{};

void resetToDefaultStations(PluginSettings& settings) {
    for (int i = 0; i < DEFAULT_STATION_COUNT; ++i) {
        copyBounded(settings.stations[i].label, defaultStations[i].label);
        copyBounded(settings.stations[i].url, defaultStations[i].url);
        settings.stationEnabled[i] = 1;
    }
    settings.stationCount = DEFAULT_STATION_COUNT;
}

SettingsGuardObserver settingsGuardObserver = nullptr;

SettingsGuard::SettingsGuard() {
    platform::lockSettings();
    if (settingsGuardObserver != nullptr) {
        settingsGuardObserver(true);
    }
}

SettingsGuard::~SettingsGuard() {
    if (settingsGuardObserver != nullptr) {
        settingsGuardObserver(false);
    }
    platform::unlockSettings();
}

InfoSwitches readInfoSwitches() {
    SettingsGuard guard;
    return {pluginSettings.showServerInfo, pluginSettings.showChannelInfo, pluginSettings.showClientInfo};
}

void copyStationUrl(int index, char (&url)[STATION_URL_SIZE]) {
    SettingsGuard guard;
    copyBounded(url, pluginSettings.stations[index].url);
}

}  // namespace tandrel
