#include "expected_layout.h"

#include <sstream>

namespace tandrel::testing {
namespace {

RECT at(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

}  // namespace

int scaled(int length96, int dpi) {
    return MulDiv(length96, dpi, 96);
}

int expectedPaneHeight(int dpi, int stations) {
    int height = scaled(26, dpi) * stations + scaled(4, dpi);
    if (height < scaled(56, dpi)) {
        height = scaled(56, dpi);
    }
    if (height > scaled(280, dpi)) {
        height = scaled(280, dpi);
    }
    return height;
}

SIZE expectedClientSize(int dpi, int stations) {
    auto s = [dpi](int v) { return scaled(v, dpi); };
    int height = s(14) + s(116) + s(12) + expectedPaneHeight(dpi, stations) + s(10) + s(24) + s(12) + s(168) +
                 s(12) + s(28) + s(14);
    return {s(468), height};
}

std::vector<ExpectedControl> expectedWindowControls(int dpi, int stations, const std::string& linkText) {
    auto s = [dpi](int v) { return scaled(v, dpi); };
    int m = s(14);
    int w = s(440);
    int p = expectedPaneHeight(dpi, stations);
    int g = p + s(10) + s(24);
    int y2 = m + s(116) + s(12);
    int y3 = y2 + g + s(12);
    int r1 = y3 + s(50);
    int r2 = r1 + s(46);
    int editX = m + s(12) + s(46) + s(4);
    int editWidth = w - s(24) - s(46) - s(6);
    int buttonsY = y3 + s(168) + s(12);
    return {
        {"Button", "Info-Panel", 0x50000007, 0, 0, at(m, m, w, s(116))},
        {"Button", "Server-Info anzeigen", 0x50010003, 0, 101, at(m + s(12), m + s(24), w - s(24), s(20))},
        {"Button", "Channel-Info anzeigen", 0x50010003, 0, 102, at(m + s(12), m + s(52), w - s(24), s(20))},
        {"Button", "Client-Info anzeigen", 0x50010003, 0, 103, at(m + s(12), m + s(80), w - s(24), s(20))},
        {"Button", "Radiosender (nur Admins - Neustart noetig)", 0x50000007, 0, 0, at(m, y2, w, g)},
        {"TandrelScrollPane", "", 0x50200000, 0, 0, at(m + s(4), y2 + s(22), w - s(8), p)},
        {"Button", "Neuen Stream hinzufuegen", 0x50000007, 0, 0, at(m, y3, w, s(168))},
        {"Static", linkText, 0x50000100, 0, 604, at(m + s(12), y3 + s(22), w - s(28), s(18))},
        {"Static", "Name:", 0x50000000, 0, 0, at(m + s(12), r1 + s(3), s(46), s(18))},
        {"Edit", "", 0x50010080, 0x200, 601, at(editX, r1, editWidth, s(22))},
        {"Static", "URL:", 0x50000000, 0, 0, at(m + s(12), r2 + s(3), s(46), s(18))},
        {"Edit", "", 0x50010080, 0x200, 602, at(editX, r2, editWidth, s(22))},
        {"Button", "Hinzufuegen", 0x5001000B, 0, 603, at(m + w - s(110), y3 + s(132), s(100), s(28))},
        {"Button", "OK", 0x5001000B, 0, 1, at(m + w / 2 - s(96), buttonsY, s(88), s(28))},
        {"Button", "Abbrechen", 0x5001000B, 0, 2, at(m + w / 2 + s(8), buttonsY, s(88), s(28))},
    };
}

ExpectedRow expectedRow(int dpi, int i) {
    auto s = [dpi](int v) { return scaled(v, dpi); };
    int paneWidth = s(440) - s(8);
    int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    int top = i * s(26) + s(4);
    return {at(s(4), top, paneWidth - s(33) - s(6) - scrollBar, s(20)),
            at(paneWidth - s(31) - scrollBar, top, s(27), s(20))};
}

int expectedContentHeight(int dpi, int stations) {
    return stations * scaled(26, dpi) + scaled(4, dpi);
}

std::string describe(const RECT& rect) {
    std::ostringstream text;
    text << "(" << rect.left << ", " << rect.top << ", " << rect.right - rect.left << " x "
         << rect.bottom - rect.top << ")";
    return text.str();
}

}  // namespace tandrel::testing
