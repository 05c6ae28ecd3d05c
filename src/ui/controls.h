// The few ways the settings window makes, reads and removes its child controls. Every control is a
// wide window: its text, given in UTF-8, shows every character it holds, whatever the system's ANSI
// code page.
#pragma once

#include <windows.h>

namespace tandrel {

struct ControlRect {
    int x;
    int y;
    int width;
    int height;
};

// What a control is: its window class and text (both UTF-8; the text may be null), styles and ID.
struct ControlDefinition {
    const char* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
    int id;
};

// Makes the control at rect (in parent's client coordinates) and gives it font, unless font is null.
HWND createControl(HWND parent, const ControlDefinition& definition, ControlRect rect, HFONT font);

// Ticks or clears a check box; isTicked tells which it is.
void setTicked(HWND box, bool ticked);
bool isTicked(HWND box);

// Destroys every child of window (and with them their own children).
void destroyChildren(HWND window);

}  // namespace tandrel
