// The dark scheme as it reaches the screen: pixels of the window read back from the virtual
// display, and a screenshot of the window for people to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "screen_capture.h"
#include "window_driver.h"

namespace tandrel::testing {
namespace {

constexpr COLORREF BACKGROUND = RGB(0x1E, 0x1E, 0x1E);
constexpr COLORREF EDIT_BACKGROUND = RGB(0x32, 0x32, 0x32);
constexpr COLORREF TEXT = RGB(0xDC, 0xDC, 0xDC);
constexpr COLORREF LINK = RGB(0x5A, 0xAA, 0xFF);
constexpr COLORREF PRESSED = RGB(0x19, 0x19, 0x19);
constexpr COLORREF DELETE_FILL = RGB(0x82, 0x1E, 0x1E);
constexpr COLORREF OK_FILL = RGB(0x00, 0x5A, 0xAA);
constexpr COLORREF OTHER_FILL = RGB(0x37, 0x37, 0x37);
constexpr COLORREF FOCUS_BORDER = RGB(0x64, 0xA0, 0xDC);
constexpr COLORREF BORDER = RGB(0x55, 0x55, 0x55);

std::string hex(COLORREF colour) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

class PaintingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = call.waitForWindow();
        ASSERT_NE(window, nullptr);
        pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    }
    void TearDown() override {
        if (!call.returned()) {
            click(dialogItem(window, 2));
            EXPECT_TRUE(call.waitForReturn());
        }
    }

    ScreenImage capture() {
        repaintNow(window);
        return ScreenImage::ofWindow(window);
    }
    RECT rectOf(HWND control) { return rectInWindow(control, window); }
    // The fill of a button, just inside its one-pixel border.
    COLORREF fillOf(const ScreenImage& image, HWND button) {
        RECT r = rectOf(button);
        return image.at(r.left + 3, r.top + 3);
    }
    COLORREF borderOf(const ScreenImage& image, HWND button) {
        RECT r = rectOf(button);
        return image.at(r.left, r.top + (r.bottom - r.top) / 2);
    }

    PluginUnderTest plugin{0, 0, 0, numberedStations(3)};
    ConfigureCall call{plugin.p()};
    HWND window = nullptr;
    HWND pane = nullptr;
};

TEST_F(PaintingTest, BackgroundsAndButtonFillsHaveThePaletteColours) {
    ScreenImage image = capture();
    POINT client = {0, 0};
    ClientToScreen(window, &client);
    RECT outer{};
    GetWindowRect(window, &outer);
    int left = client.x - outer.left;
    int top = client.y - outer.top;
    EXPECT_EQ(hex(image.at(left + 4, top + 4)), hex(BACKGROUND)) << "window background";
    RECT paneRect = rectOf(pane);
    EXPECT_EQ(hex(image.at(paneRect.left + 1, paneRect.bottom - 2)), hex(BACKGROUND)) << "pane background";
    RECT edit = rectOf(dialogItem(window, 601));
    EXPECT_EQ(hex(image.at((edit.left + edit.right) / 2, (edit.top + edit.bottom) / 2)),
              hex(EDIT_BACKGROUND));
    EXPECT_EQ(hex(fillOf(image, dialogItem(window, 1))), hex(OK_FILL)) << "OK";
    EXPECT_EQ(hex(fillOf(image, dialogItem(window, 2))), hex(OTHER_FILL)) << "Abbrechen";
    EXPECT_EQ(hex(fillOf(image, dialogItem(window, 603))), hex(OTHER_FILL)) << "Hinzufuegen";
    EXPECT_EQ(hex(fillOf(image, GetDlgItem(pane, 400))), hex(DELETE_FILL)) << "delete";
    EXPECT_EQ(hex(fillOf(image, GetDlgItem(pane, 402))), hex(DELETE_FILL)) << "delete";
    for (HWND button : {dialogItem(window, 1), dialogItem(window, 2), GetDlgItem(pane, 401)}) {
        EXPECT_EQ(hex(borderOf(image, button)), hex(BORDER)) << windowText(button);
        // Smoothed glyph edges blend into the fill; the caption shows as light pixels.
        EXPECT_GT(image.countLight(rectOf(button)), 0) << windowText(button) << " caption";
    }
}

TEST_F(PaintingTest, PressedButtonsAreDarkAndReturnToTheirColours) {
    HWND ok = dialogItem(window, 1);
    HWND remove = GetDlgItem(pane, 400);
    HWND add = dialogItem(window, 603);
    for (HWND button : {ok, remove, add}) {
        send(button, BM_SETSTATE, TRUE);
    }
    ScreenImage pressed = capture();
    for (HWND button : {ok, remove, add}) {
        EXPECT_EQ(hex(fillOf(pressed, button)), hex(PRESSED)) << GetDlgCtrlID(button);
        send(button, BM_SETSTATE, FALSE);
    }
    ScreenImage released = capture();
    EXPECT_EQ(hex(fillOf(released, ok)), hex(OK_FILL));
    EXPECT_EQ(hex(fillOf(released, remove)), hex(DELETE_FILL));
    EXPECT_EQ(hex(fillOf(released, add)), hex(OTHER_FILL));
}

TEST_F(PaintingTest, TheFocusedButtonHasTheBlueBorder) {
    HWND add = dialogItem(window, 603);
    click(add);  // empty fields: nothing is added, but the button takes the focus
    ScreenImage image = capture();
    EXPECT_EQ(hex(borderOf(image, add)), hex(FOCUS_BORDER));
    EXPECT_EQ(hex(borderOf(image, dialogItem(window, 1))), hex(BORDER));
}

TEST_F(PaintingTest, OnlyTheExampleLinkIsBlue) {
    ScreenImage image = capture();
    EXPECT_GT(image.count(rectOf(dialogItem(window, 604)), LINK), 0) << "link text";
    RECT whole = {0, 0, image.width(), image.height()};
    EXPECT_EQ(image.count(whole, LINK), image.count(rectOf(dialogItem(window, 604)), LINK));
    std::vector<HWND> controls = children(window);
    HWND nameLabel = controls.at(8);
    ASSERT_EQ(windowText(nameLabel), "Name:");
    EXPECT_GT(image.count(rectOf(nameLabel), TEXT), 0) << "label text";
    EXPECT_EQ(hex(image.at(rectOf(nameLabel).right - 1, rectOf(nameLabel).bottom - 1)), hex(BACKGROUND));
    RECT groupCaption = rectOf(controls.at(0));
    groupCaption.bottom = groupCaption.top + 14;
    EXPECT_GT(image.count(groupCaption, TEXT), 0) << "group caption";
    EXPECT_GT(image.count(rectOf(GetDlgItem(pane, 200)), TEXT), 0) << "station label";
    EXPECT_GT(image.count(rectOf(dialogItem(window, 101)), TEXT), 0) << "check box text";
}

// Written to the build tree for people to look at (the path is printed): the window as a user first
// sees it after installing, with no file yet and so the 51 built-in stations.
TEST(Screenshot, WindowAsFirstOpenedAfterInstalling) {
    PluginUnderTest plugin(std::nullopt);
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    ASSERT_EQ(children(pane).size(), 2u * 51u);
    EXPECT_EQ(windowText(GetDlgItem(pane, 200)), "Rock | Rock");
    repaintNow(window);
    ScreenImage image = ScreenImage::ofWindow(window);
    const char* folder = std::getenv("TANDREL_SCREENSHOT_DIR");
    std::string path = std::string(folder != nullptr ? folder : ".") + "\\settings_window_" +
                       std::to_string(systemDpi()) + "dpi.bmp";
    ASSERT_TRUE(image.writeBmp(path)) << path;
    std::printf("screenshot: %s (%d x %d)\n", path.c_str(), image.width(), image.height());
    EXPECT_EQ(std::filesystem::file_size(path), 54u + 4u * image.width() * image.height());
    EXPECT_GT(image.count({0, 0, image.width(), image.height()}, BACKGROUND),
              image.width() * image.height() / 3);
    click(dialogItem(window, 2));
    EXPECT_TRUE(call.waitForReturn());
}

}  // namespace
}  // namespace tandrel::testing
