// The station pane: one row per station of the working copy (a check box with the label and a
// delete button), scrolled by the pane's own scroll bar and by the mouse wheel.
#pragma once

#include <windows.h>

namespace tandrel {

// Rows are this far apart, the first this far below the pane's top, at 96 DPI; the layout sizes the
// pane from the same lengths.
inline constexpr int STATION_ROW_PITCH96 = 26;
inline constexpr int STATION_ROW_TOP_INSET96 = 4;

// Recreates every row from the working copy and shows the list from its top.
void rebuildStationRows();

// Adds the row of the station just appended to the working copy and shows the list from its top.
void showAppendedStation();

// Copies the ticks of the existing rows into the working copy's enabled flags; a missing row
// leaves its flag as it was.
void syncStationRows();

// Window procedure of the pane's class.
LRESULT CALLBACK scrollPaneWndProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tandrel
