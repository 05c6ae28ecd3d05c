#include "ui/add_stream_form.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "base/bounded_copy.h"
#include "example_streams.h"
#include "ui/settings_window_state.h"
#include "ui/station_list_pane.h"
#include "ui/wide_text.h"

namespace tandrel {
namespace {

// Blanks and tabs go from the end only; everything else, leading white space included, stays.
void trimEnd(char* text) {
    std::size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t')) {
        text[--length] = '\0';
    }
}

void appendDraftStation(const char* label, const char* url) {
    int n = settingsDraft.stationCount;
    copyBounded(settingsDraft.labels[n], label);
    copyBounded(settingsDraft.urls[n], url);
    settingsDraft.stationEnabled[n] = 1;
    settingsDraft.stationCount = n + 1;
}

}  // namespace

void addStreamFromForm() {
    HWND nameEdit = settingsWindowState.nameEdit;
    HWND urlEdit = settingsWindowState.urlEdit;
    if (nameEdit == nullptr || urlEdit == nullptr || settingsDraft.stationCount >= MAX_STATIONS) {
        return;
    }
    char name[STATION_LABEL_SIZE];
    char url[STATION_URL_SIZE];
    readWindowTextUtf8(nameEdit, name);
    readWindowTextUtf8(urlEdit, url);
    trimEnd(name);
    trimEnd(url);
    if (name[0] == '\0' || url[0] == '\0') {
        return;
    }
    // The ticks of the existing rows must reach the draft before the rows are rebuilt.
    syncStationRows();
    appendDraftStation(name, url);
    SetWindowTextW(nameEdit, L"");
    SetWindowTextW(urlEdit, L"");
    rebuildStationRows();
}

void openExampleStreamsPage() {
    ShellExecuteA(nullptr, "open", EXAMPLE_STREAMS_URL, nullptr, nullptr, SW_SHOW);
}

}  // namespace tandrel
