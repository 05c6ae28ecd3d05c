#include "screen_capture.h"

#include <cstdio>

namespace tandrel::testing {

ScreenImage ScreenImage::ofWindow(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    ScreenImage image;
    image.width_ = outer.right - outer.left;
    image.height_ = outer.bottom - outer.top;
    image.pixels_.assign(static_cast<std::size_t>(image.width_) * image.height_, 0);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width_;
    info.bmiHeader.biHeight = -image.height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width_, image.height_, screen, outer.left, outer.top, SRCCOPY);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t k = 0; k < image.pixels_.size(); ++k) {
        image.pixels_[k] = source[k] & 0x00FFFFFFu;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

COLORREF ScreenImage::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return CLR_INVALID;
    }
    std::uint32_t rgb = pixels_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int ScreenImage::count(const RECT& area, COLORREF colour) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            n += at(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

int ScreenImage::countLight(const RECT& area) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            COLORREF c = at(x, y);
            n += c != CLR_INVALID && GetRValue(c) >= 0xB4 && GetGValue(c) >= 0xB4 && GetBValue(c) >= 0xB4 ? 1
                                                                                                          : 0;
        }
    }
    return n;
}

bool ScreenImage::writeBmp(const std::string& path) const {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = -height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    DWORD dataSize = static_cast<DWORD>(pixels_.size() * 4);
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + dataSize;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                   std::fwrite(&header, sizeof header, 1, out) == 1 &&
                   std::fwrite(pixels_.data(), 4, pixels_.size(), out) == pixels_.size();
    return std::fclose(out) == 0 && written;
}

void repaintNow(HWND window) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The display shows what was painted once Wine has flushed the window's surface.
    Sleep(300);
}

RECT rectInWindow(HWND control, HWND window) {
    RECT outer{};
    RECT rect{};
    GetWindowRect(window, &outer);
    GetWindowRect(control, &rect);
    OffsetRect(&rect, -outer.left, -outer.top);
    return rect;
}

}  // namespace tandrel::testing
