// The settings window's process-wide record of its handles, fonts, brushes and DPI, shared by its
// parts (the working copy it edits, settingsDraft, is portable and lives with the settings). Only the thread
// that runs the window touches them, and only while the window is open.
#pragma once

#include <windows.h>

#include "settings/settings_draft.h"
#include "ui/dpi_support.h"
#include "ui/scoped_gdi.h"

namespace tandrel {

// Control IDs of the settings window and of its station pane.
inline constexpr int ID_OK = 1;
inline constexpr int ID_CANCEL = 2;
inline constexpr int ID_SERVER_INFO = 101;  // 102 channel, 103 client
inline constexpr int ID_STATION_CHECK_FIRST = 200;
inline constexpr int ID_STATION_DELETE_FIRST = 400;
inline constexpr int ID_STATION_DELETE_END = 600;  // one past the last delete button's ID
inline constexpr int ID_NAME_EDIT = 601;
inline constexpr int ID_URL_EDIT = 602;
inline constexpr int ID_ADD_STREAM = 603;
inline constexpr int ID_EXAMPLE_LINK = 604;

inline constexpr const char* SETTINGS_WINDOW_CLASS = "TandrelSettingsWnd";
inline constexpr const char* STATION_PANE_CLASS = "TandrelScrollPane";

// The window's two fonts, made for the current DPI and replaced whole when it changes.
struct UiFonts {
    ScopedGdiObject<HFONT> text;
    ScopedGdiObject<HFONT> link;  // the text font underlined
};

// The dark theme's brushes, made once for each opening.
struct ThemeBrushes {
    ScopedGdiObject<HBRUSH> background;
    ScopedGdiObject<HBRUSH> edit;
};

// A closed window's record is the default one: the owners have given their objects back.
struct SettingsWindowState {
    HWND stationPane = nullptr;
    HWND nameEdit = nullptr;
    HWND urlEdit = nullptr;
    HWND exampleLink = nullptr;
    UiFonts fonts;
    ThemeBrushes brushes;
    int paneWidth = 0;
    int paneHeight = 0;
    int currentDpi = BASE_DPI;  // the DPI the layout is computed for; 96 while closed
};

extern SettingsWindowState settingsWindowState;

// A layout length given for 96 DPI, in pixels at the current DPI (rounded, halves away from zero).
inline int scale(int length96) {
    return MulDiv(length96, settingsWindowState.currentDpi, BASE_DPI);
}

// The instance handle that the window classes and controls are registered and created with: the
// host executable's module, not the plug-in's.
inline HINSTANCE hostInstance() {
    return GetModuleHandleA(nullptr);
}

}  // namespace tandrel
