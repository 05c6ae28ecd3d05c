// What the settings window must look like at a DPI, worked out here from the layout rules (every
// 96-DPI length scaled on its own and rounded), independently of the plug-in's code. At 96 DPI the
// window is checked against literal figures as well.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tandrel::testing {

// MulDiv(length, dpi, 96): rounded to the nearest pixel, halves away from zero.
int scaled(int length96, int dpi);

struct ExpectedControl {
    std::string className;
    std::string text;
    DWORD style;
    DWORD exStyle;
    int id;
    RECT rect;  // in the parent's client coordinates
};

int expectedPaneHeight(int dpi, int stations);
SIZE expectedClientSize(int dpi, int stations);
// The window's 15 controls in creation order.
std::vector<ExpectedControl> expectedWindowControls(int dpi, int stations, const std::string& linkText);

struct ExpectedRow {
    RECT check;
    RECT remove;
};
// Row i of the station pane, scrolled to the top.
ExpectedRow expectedRow(int dpi, int i);
int expectedContentHeight(int dpi, int stations);

std::string describe(const RECT& rect);

}  // namespace tandrel::testing
