#include "ui/station_list_pane.h"

#include "ui/controls.h"
#include "ui/dark_theme.h"
#include "ui/settings_window_state.h"
#include "ui/wide_text.h"

namespace tandrel {
namespace {

// Lengths at 96 DPI, scaled one by one at layout time.
constexpr int CHECK_LEFT96 = 4;
constexpr int CHECK_RIGHT_SPACE96 = 33;
constexpr int CHECK_GAP96 = 6;
constexpr int DELETE_RIGHT_SPACE96 = 31;
constexpr int DELETE_WIDTH96 = 27;
constexpr int ROW_HEIGHT96 = 20;
// One line request moves this many pixels at every DPI.
constexpr int SCROLL_LINE = 22;

constexpr DWORD ROW_CHECK_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD ROW_DELETE_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;

// The rows as made, by station index: looking a row up among the pane's 400 children for every
// station would cost a walk over them each time. Null where no row exists.
struct StationRows {
    HWND check[MAX_STATIONS];
    HWND remove[MAX_STATIONS];
};
StationRows stationRows{};

struct RowGeometry {
    int pitch;
    int topInset;
    int checkLeft;
    int checkWidth;
    int deleteLeft;
    int deleteWidth;
    int height;
};

// The scroll bar takes its width from the pane whether or not it is shown.
RowGeometry rowGeometry() {
    int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    int paneWidth = settingsWindowState.paneWidth;
    RowGeometry g{};
    g.pitch = scale(STATION_ROW_PITCH96);
    g.topInset = scale(STATION_ROW_TOP_INSET96);
    g.checkLeft = scale(CHECK_LEFT96);
    g.checkWidth = paneWidth - scale(CHECK_RIGHT_SPACE96) - scale(CHECK_GAP96) - scrollBar;
    g.deleteLeft = paneWidth - scale(DELETE_RIGHT_SPACE96) - scrollBar;
    g.deleteWidth = scale(DELETE_WIDTH96);
    g.height = scale(ROW_HEIGHT96);
    return g;
}

bool stationTicked(int i) {
    return settingsDraft.settings.stationEnabled[i] != 0;
}

void createStationRow(int i, const RowGeometry& g) {
    const int top = i * g.pitch + g.topInset;
    HWND pane = settingsWindowState.stationPane;
    HFONT font = settingsWindowState.fonts.text.get();
    HWND box = createControl(
        pane,
        {"BUTTON", settingsDraft.settings.stations[i].label, ROW_CHECK_STYLE, 0, ID_STATION_CHECK_FIRST + i},
        {g.checkLeft, top, g.checkWidth, g.height}, font);
    setTicked(box, stationTicked(i));
    stationRows.check[i] = box;
    stationRows.remove[i] =
        createControl(pane, {"BUTTON", "X", ROW_DELETE_STYLE, 0, ID_STATION_DELETE_FIRST + i},
                      {g.deleteLeft, top, g.deleteWidth, g.height}, font);
}

void destroyRows(HWND pane) {
    destroyChildren(pane);
    stationRows = {};
}

// The range covers the content; a page larger than the range keeps the list at the top.
void resetScrollRange(const RowGeometry& g) {
    int contentHeight = settingsDraft.settings.stationCount * g.pitch + g.topInset;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = contentHeight >= 1 ? contentHeight - 1 : 0;
    info.nPage = static_cast<UINT>(settingsWindowState.paneHeight);
    info.nPos = 0;
    SetScrollInfo(settingsWindowState.stationPane, SB_VERT, &info, TRUE);
}

// Brings the view back to the top: the rows move down by as far as the list was scrolled, to where
// they were made.
void scrollRowsToTop(HWND pane) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(pane, SB_VERT, &info);
    if (info.nPos != 0) {
        ScrollWindowEx(pane, 0, info.nPos, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN);
    }
}

// Row i shows station i of the working copy again: its label and its tick.
void refreshStationRow(int i) {
    HWND box = stationRows.check[i];
    if (box == nullptr) {
        return;
    }
    SetWindowTextW(box, WideText(settingsDraft.settings.stations[i].label).get());
    setTicked(box, stationTicked(i));
}

void destroyControl(HWND& control) {
    if (control != nullptr) {
        DestroyWindow(control);
        control = nullptr;
    }
}

void destroyStationRow(int i) {
    destroyControl(stationRows.check[i]);
    destroyControl(stationRows.remove[i]);
}

// Changes the rows as change says, with nothing drawn until the pane is painted once at the end;
// the list then shows its top, with the scroll range of the working copy.
template <typename Change>
void changeRows(Change change) {
    HWND pane = settingsWindowState.stationPane;
    if (pane == nullptr) {
        return;
    }
    // Scrolling does nothing to a pane that does not draw, so the rows go back to the top first.
    scrollRowsToTop(pane);
    SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
    const RowGeometry geometry = rowGeometry();
    change(pane, geometry);
    resetScrollRange(geometry);
    SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane, nullptr, TRUE);
    UpdateWindow(pane);
}

// After station i was removed, rows i onwards show the stations that moved up, and the last row
// goes; the rows above i stay as they are.
void deleteStation(int i) {
    if (i >= settingsDraft.settings.stationCount) {
        return;
    }
    syncStationRows();
    removeStationFromDraft(settingsDraft, i);
    changeRows([i](HWND, const RowGeometry&) {
        const int count = settingsDraft.settings.stationCount;
        for (int j = i; j < count; ++j) {
            refreshStationRow(j);
        }
        destroyStationRow(count);
    });
}

int scrollTarget(int request, const SCROLLINFO& info) {
    switch (request) {
        case SB_LINEUP:
            return info.nPos - SCROLL_LINE;
        case SB_LINEDOWN:
            return info.nPos + SCROLL_LINE;
        case SB_PAGEUP:
            return info.nPos - static_cast<int>(info.nPage);
        case SB_PAGEDOWN:
            return info.nPos + static_cast<int>(info.nPage);
        case SB_THUMBTRACK:
            return info.nTrackPos;
        case SB_TOP:
            return info.nMin;
        case SB_BOTTOM:
            return info.nMax;
        default:  // SB_THUMBPOSITION, SB_ENDSCROLL and unknown codes
            return info.nPos;
    }
}

LRESULT onPaneScroll(HWND pane, WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(pane, SB_VERT, &info);
    int position = scrollTarget(LOWORD(wParam), info);
    if (position < 0) {
        position = 0;
    }
    int last = info.nMax - static_cast<int>(info.nPage) + 1;
    if (position > last) {
        position = last;
    }
    if (position == info.nPos) {
        return 0;
    }
    // The rows are windows of their own: they move with the contents.
    ScrollWindowEx(pane, 0, info.nPos - position, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    SCROLLINFO moved{};
    moved.cbSize = sizeof moved;
    moved.fMask = SIF_POS;
    moved.nPos = position;
    SetScrollInfo(pane, SB_VERT, &moved, TRUE);
    UpdateWindow(pane);
    return 0;
}

LRESULT onPaneCommand(WPARAM wParam) {
    int id = LOWORD(wParam);
    if (id >= ID_STATION_DELETE_FIRST && id < ID_STATION_DELETE_END) {
        deleteStation(id - ID_STATION_DELETE_FIRST);
    }
    return 0;
}

}  // namespace

void syncStationRows() {
    HWND pane = settingsWindowState.stationPane;
    if (pane == nullptr) {
        return;
    }
    for (int j = 0; j < settingsDraft.settings.stationCount; ++j) {
        HWND box = stationRows.check[j];
        if (box != nullptr) {
            settingsDraft.settings.stationEnabled[j] = isTicked(box) ? 1 : 0;
        }
    }
}

void showAppendedStation() {
    changeRows([](HWND, const RowGeometry& geometry) {
        createStationRow(settingsDraft.settings.stationCount - 1, geometry);
    });
}

void rebuildStationRows() {
    HWND pane = settingsWindowState.stationPane;
    if (pane == nullptr) {
        return;
    }
    // Nothing is drawn while the rows are replaced; the whole pane is painted once at the end.
    SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
    destroyRows(pane);
    RowGeometry geometry = rowGeometry();
    for (int i = 0; i < settingsDraft.settings.stationCount; ++i) {
        createStationRow(i, geometry);
    }
    resetScrollRange(geometry);
    SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane, nullptr, TRUE);
    UpdateWindow(pane);
}

LRESULT CALLBACK scrollPaneWndProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return onPaneCommand(wParam);
        case WM_VSCROLL:
            return onPaneScroll(pane, wParam);
        case WM_ERASEBKGND:
            return eraseWithBackground(pane, reinterpret_cast<HDC>(wParam));
        case WM_DRAWITEM:
            if (drawOwnerButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) != 0) {
                return 1;
            }
            break;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(paneControlColour(reinterpret_cast<HDC>(wParam)));
        default:
            break;
    }
    return DefWindowProcA(pane, message, wParam, lParam);
}

}  // namespace tandrel
