// The settings window's working copy of the live settings: made from them at every opening, edited
// while the window is open (stations appended and removed, ticks changed), and copied back on OK.
// Nothing here knows a window: the window only moves texts and ticks between its controls and this
// record, so every rule of the editing is tested without one.
#pragma once

#include <string_view>

#include "settings/plugin_settings.h"

namespace tandrel {

struct SettingsDraft {
    int accepted;               // 1 once OK was chosen
    InfoSwitches acceptedInfo;  // the three info check boxes as read at OK: what the commit copies
    // The switches the info check boxes are created with (refreshed before a rebuild for a new DPI),
    // and the stations as the user edits them. Entries from stationCount on have no meaning.
    PluginSettings settings;
};

// The one working copy; only the window's thread touches it, and only while the window is open.
extern SettingsDraft settingsDraft;

// Copies the live switches, the count and the stations below it into the draft, under the guard.
void fillDraftFromLiveSettings(SettingsDraft& draft);

// Appends a station, enabled, the way the add-stream form takes it: each text is cut to what its
// field holds, then blanks and tabs at its end are removed. Nothing changes, and false is returned,
// when the list is full or either text is empty after that.
bool appendStationToDraft(SettingsDraft& draft, std::string_view name, std::string_view url);

// Removes station index, moving every later station up by one; an index outside the list changes
// nothing.
void removeStationFromDraft(SettingsDraft& draft, int index);

// Copies the accepted switches, the count and the stations below it into the live settings, under
// the guard, so that the readers on the host's threads never see half of it.
void commitDraftToLiveSettings(const SettingsDraft& draft);

}  // namespace tandrel
