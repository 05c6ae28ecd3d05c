// What the screen shows: a rectangle copied from the screen (the virtual display under Wine), read
// back pixel by pixel and writable as a BMP file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tandrel::testing {

class ScreenImage {
  public:
    // The screen area of a window's outer rectangle, after it has painted.
    static ScreenImage ofWindow(HWND window);

    int width() const { return width_; }
    int height() const { return height_; }
    // The colour at a point relative to the image's top left, as a COLORREF (0x00BBGGRR).
    COLORREF at(int x, int y) const;
    // How many pixels of a rectangle (image coordinates) have exactly this colour.
    int count(const RECT& area, COLORREF colour) const;
    // How many pixels of a rectangle are light grey or white (every channel at least 0xB4), as
    // the light caption text is where glyph smoothing blends it into its background.
    int countLight(const RECT& area) const;
    bool writeBmp(const std::string& path) const;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;  // top-down rows of 0x00RRGGBB
};

// Repaints a window and all its children now, and gives the display time to show the result.
void repaintNow(HWND window);

// A control's rectangle relative to its top-level window's outer rectangle.
RECT rectInWindow(HWND control, HWND window);

}  // namespace tandrel::testing
