// The window's fixed dark colour scheme: the palette, the answers to the background and
// control-colour messages of the window and its station pane, and the owner-drawn push buttons.
#pragma once

#include <windows.h>

namespace tandrel {

namespace palette {
inline constexpr COLORREF BACKGROUND = RGB(0x1E, 0x1E, 0x1E);
inline constexpr COLORREF EDIT_BACKGROUND = RGB(0x32, 0x32, 0x32);
inline constexpr COLORREF TEXT = RGB(0xDC, 0xDC, 0xDC);
inline constexpr COLORREF LINK_TEXT = RGB(0x5A, 0xAA, 0xFF);
inline constexpr COLORREF BUTTON_PRESSED = RGB(0x19, 0x19, 0x19);
inline constexpr COLORREF BUTTON_DELETE = RGB(0x82, 0x1E, 0x1E);
inline constexpr COLORREF BUTTON_OK = RGB(0x00, 0x5A, 0xAA);
inline constexpr COLORREF BUTTON_OTHER = RGB(0x37, 0x37, 0x37);
inline constexpr COLORREF BORDER_FOCUSED = RGB(0x64, 0xA0, 0xDC);
inline constexpr COLORREF BORDER = RGB(0x55, 0x55, 0x55);
}  // namespace palette

// Makes the theme's brushes for this opening (the window record owns them).
void createThemeBrushes();

// Asks the system for a dark title bar; systems without that attribute keep their own.
void applyDarkTitleBar(HWND window);

// Paints an owner-drawn push button in its role's colours; 0 when the item is not a button (the
// caller then leaves it to the default procedure).
int drawOwnerButton(const DRAWITEMSTRUCT& item);

// WM_ERASEBKGND of the window and of the pane: the client area in the background colour.
LRESULT eraseWithBackground(HWND window, HDC dc);

// The window's answer to WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC and WM_CTLCOLORBTN: one of the shared
// brushes, which the receiver must not delete.
HBRUSH settingsControlColour(UINT message, HDC dc, HWND control);

// The pane's answer to WM_CTLCOLORSTATIC and WM_CTLCOLORBTN for its station rows.
HBRUSH paneControlColour(HDC dc);

}  // namespace tandrel
