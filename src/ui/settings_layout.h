// The settings window's controls and fonts, laid out for the current DPI, and their rebuild when
// the window moves to a monitor with another DPI.
#pragma once

#include <windows.h>

#include "settings/plugin_settings.h"

namespace tandrel {

// Height of the station pane for the working copy's station count: one row per station plus the
// top inset, kept between a minimum and a maximum. In pixels at the current DPI.
int stationPaneHeight();

// The window's client size: the column of three group boxes and the button row with their gaps.
SIZE settingsClientSize();

// Makes the two fonts for the current DPI in place of those held before.
void createUiFonts();

// Creates every child control of the window in tab order and has the station rows built. Expects
// no children to exist.
void buildSettingsControls(HWND window);

// The three info check boxes as ticked now; a box that does not exist keeps its value of fallback.
InfoSwitches readInfoCheckBoxes(HWND window, InfoSwitches fallback);

// WM_DPICHANGED: keeps the unconfirmed ticks, takes the suggested rectangle and rebuilds every
// control and both fonts for the new DPI.
LRESULT onDpiChanged(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace tandrel
