#include "ui/dark_theme.h"

#include "ui/scoped_gdi.h"
#include "ui/settings_window_state.h"

namespace tandrel {
namespace {

constexpr int CAPTION_SIZE = 64;  // at most 63 characters of a button's caption are drawn
constexpr DWORD DWM_USE_IMMERSIVE_DARK_MODE = 20;

using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

// First match wins: pressed, then the role given by the control ID.
COLORREF buttonFill(const DRAWITEMSTRUCT& item) {
    if ((item.itemState & ODS_SELECTED) != 0) {
        return palette::BUTTON_PRESSED;
    }
    int id = static_cast<int>(item.CtlID);
    if (id >= ID_STATION_DELETE_FIRST && id < ID_STATION_DELETE_END) {
        return palette::BUTTON_DELETE;
    }
    if (id == ID_OK) {
        return palette::BUTTON_OK;
    }
    return palette::BUTTON_OTHER;
}

void fillButton(const DRAWITEMSTRUCT& item) {
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(buttonFill(item)));
    FillRect(item.hDC, &item.rcItem, brush.get());
}

// An outline only: the hollow stock brush keeps the fill inside.
void outlineButton(const DRAWITEMSTRUCT& item) {
    COLORREF colour = (item.itemState & ODS_FOCUS) != 0 ? palette::BORDER_FOCUSED : palette::BORDER;
    ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    ScopedSelection penSelection(item.hDC, pen.get());
    ScopedSelection brushSelection(item.hDC, GetStockObject(NULL_BRUSH));
    Rectangle(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom);
}

// The caption in the button's own font, so that it follows the fonts of a DPI change.
void drawButtonCaption(const DRAWITEMSTRUCT& item) {
    char caption[CAPTION_SIZE] = {};
    GetWindowTextA(item.hwndItem, caption, CAPTION_SIZE);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0));
    ScopedSelection fontSelection(item.hDC, font);
    SetTextColor(item.hDC, palette::TEXT);
    SetBkMode(item.hDC, TRANSPARENT);
    RECT area = item.rcItem;
    DrawTextA(item.hDC, caption, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

void createThemeBrushes() {
    settingsWindowState.brushes.background = ScopedGdiObject<HBRUSH>(CreateSolidBrush(palette::BACKGROUND));
    settingsWindowState.brushes.edit = ScopedGdiObject<HBRUSH>(CreateSolidBrush(palette::EDIT_BACKGROUND));
}

// Loaded for the call only: older systems have no dwmapi, or no such function in it.
void applyDarkTitleBar(HWND window) {
    HMODULE dwmapi = LoadLibraryA("dwmapi.dll");
    if (dwmapi == nullptr) {
        return;
    }
    auto setAttribute = reinterpret_cast<DwmSetWindowAttributeFn>(
        reinterpret_cast<void*>(GetProcAddress(dwmapi, "DwmSetWindowAttribute")));
    if (setAttribute != nullptr) {
        BOOL dark = TRUE;
        setAttribute(window, DWM_USE_IMMERSIVE_DARK_MODE, &dark, sizeof dark);
    }
    FreeLibrary(dwmapi);
}

int drawOwnerButton(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) {
        return 0;
    }
    fillButton(item);
    outlineButton(item);
    drawButtonCaption(item);
    return 1;
}

LRESULT eraseWithBackground(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, settingsWindowState.brushes.background.get());
    return 1;
}

HBRUSH settingsControlColour(UINT message, HDC dc, HWND control) {
    if (message == WM_CTLCOLOREDIT) {
        SetTextColor(dc, palette::TEXT);
        SetBkColor(dc, palette::EDIT_BACKGROUND);
        return settingsWindowState.brushes.edit.get();
    }
    bool isLink = control != nullptr && control == settingsWindowState.exampleLink;
    SetTextColor(dc, isLink ? palette::LINK_TEXT : palette::TEXT);
    SetBkColor(dc, palette::BACKGROUND);
    return settingsWindowState.brushes.background.get();
}

HBRUSH paneControlColour(HDC dc) {
    SetTextColor(dc, palette::TEXT);
    SetBkColor(dc, palette::BACKGROUND);
    return settingsWindowState.brushes.background.get();
}

}  // namespace tandrel
