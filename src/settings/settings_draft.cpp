#include "settings/settings_draft.h"

#include "base/bounded_copy.h"

namespace tandrel {

SettingsDraft settingsDraft{};

namespace {

// Station from of source, with its tick, into place of target.
void copyStation(PluginSettings& target, int place, const PluginSettings& source, int from) {
    copyBounded(target.stations[place].label, source.stations[from].label);
    copyBounded(target.stations[place].url, source.stations[from].url);
    target.stationEnabled[place] = source.stationEnabled[from];
}

// Entries 0 to count - 1 of from, with their ticks, into to; the rest of to stays as it is.
void copyStations(PluginSettings& to, const PluginSettings& from) {
    to.stationCount = from.stationCount;
    for (int i = 0; i < from.stationCount; ++i) {
        copyStation(to, i, from, i);
    }
}

// text cut to fit a field of size bytes, then without blanks and tabs at its end.
template <std::size_t size>
void takeTrimmed(char (&field)[size], std::string_view text) {
    copyBounded(field, text);
    std::size_t length = std::string_view(field).size();
    while (length > 0 && (field[length - 1] == ' ' || field[length - 1] == '\t')) {
        --length;
    }
    field[length] = '\0';
}

}  // namespace

void fillDraftFromLiveSettings(SettingsDraft& draft) {
    SettingsGuard guard;
    draft.settings.showServerInfo = pluginSettings.showServerInfo;
    draft.settings.showChannelInfo = pluginSettings.showChannelInfo;
    draft.settings.showClientInfo = pluginSettings.showClientInfo;
    copyStations(draft.settings, pluginSettings);
}

bool appendStationToDraft(SettingsDraft& draft, std::string_view name, std::string_view url) {
    PluginSettings& settings = draft.settings;
    if (settings.stationCount >= MAX_STATIONS) {
        return false;
    }
    StationEntry entry{};
    takeTrimmed(entry.label, name);
    takeTrimmed(entry.url, url);
    if (entry.label[0] == '\0' || entry.url[0] == '\0') {
        return false;
    }
    const int n = settings.stationCount;
    settings.stations[n] = entry;
    settings.stationEnabled[n] = 1;
    settings.stationCount = n + 1;
    return true;
}

void removeStationFromDraft(SettingsDraft& draft, int index) {
    PluginSettings& settings = draft.settings;
    if (index < 0 || index >= settings.stationCount) {
        return;
    }
    for (int j = index; j < settings.stationCount - 1; ++j) {
        copyStation(settings, j, settings, j + 1);
    }
    settings.stationCount -= 1;
}

void commitDraftToLiveSettings(const SettingsDraft& draft) {
    SettingsGuard guard;
    pluginSettings.showServerInfo = draft.acceptedInfo.server;
    pluginSettings.showChannelInfo = draft.acceptedInfo.channel;
    pluginSettings.showClientInfo = draft.acceptedInfo.client;
    copyStations(pluginSettings, draft.settings);
}

}  // namespace tandrel
