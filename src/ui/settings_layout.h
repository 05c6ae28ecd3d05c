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

// Deletes the two fonts when present and creates them anew for the current DPI.
void createUiFonts();

// Creates every child control of the window in tab order and has the station rows built. Expects
// no children to exist.
void buildSettingsControls(HWND window);

// An automatic check box of the info-panel group, with its font and initial state.
HWND createCheckBox(HWND parent, const char* text, int id, int x, int y, int width, int checked, HFONT font);

// True when the check box (a row's, or an info box) is ticked.
bool isTicked(HWND box);

// The three info check boxes as ticked now; a box that does not exist keeps its value of fallback.
InfoSwitches readInfoCheckBoxes(HWND window, InfoSwitches fallback);

// Destroys every child of window (and with them their own children).
void destroyChildren(HWND window);

// WM_DPICHANGED: keeps the unconfirmed ticks, takes the suggested rectangle and rebuilds every
// control and both fonts for the new DPI.
LRESULT onDpiChanged(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace tandrel
