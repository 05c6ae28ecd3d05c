#include "ui/add_stream_form.h"

#include <windows.h>

#include <shellapi.h>

#include "example_streams.h"
#include "ui/settings_window_state.h"
#include "ui/station_list_pane.h"
#include "ui/wide_text.h"

namespace tandrel {

void addStreamFromForm() {
    HWND nameEdit = settingsWindowState.nameEdit;
    HWND urlEdit = settingsWindowState.urlEdit;
    if (nameEdit == nullptr || urlEdit == nullptr) {
        return;
    }
    char name[STATION_LABEL_SIZE];
    char url[STATION_URL_SIZE];
    readWindowTextUtf8(nameEdit, name);
    readWindowTextUtf8(urlEdit, url);
    if (!appendStationToDraft(settingsDraft, name, url)) {
        return;  // a full list, or a text empty after trimming: both fields keep what was typed
    }
    // The rows already shown stay as they are, ticks included; the new one is added below them.
    SetWindowTextW(nameEdit, L"");
    SetWindowTextW(urlEdit, L"");
    showAppendedStation();
}

void openExampleStreamsPage() {
    ShellExecuteA(nullptr, "open", EXAMPLE_STREAMS_URL, nullptr, nullptr, SW_SHOW);
}

}  // namespace tandrel
