// The window's layout through the shipped DLL, at the DPI of the Wine prefix the suite runs in
// (96, 120 or 144): the window itself, every control in creation order and every station row.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <map>
#include <utility>

#include "example_streams.h"
#include "expected_layout.h"
#include "window_driver.h"

namespace tandrel::testing {
namespace {

void expectRect(HWND control, const RECT& expected, const std::string& what) {
    RECT actual = childRect(control);
    EXPECT_TRUE(EqualRect(&actual, &expected))
        << what << ": " << describe(actual) << ", expected " << describe(expected);
}

// Stations alternate between ticked and unticked, so that the rows' initial states show.
std::vector<TestStation> alternatingStations(int count) {
    std::vector<TestStation> stations = numberedStations(count);
    for (int i = 0; i < count; ++i) {
        stations[i].enabled = i % 2 == 0 ? 1 : 0;
    }
    return stations;
}

class LayoutTest : public ::testing::TestWithParam<int> {
  protected:
    int dpi = systemDpi();
};

TEST(LayoutFigures, ThePrefixRunsAtTheExpectedDpi) {
    const char* expected = std::getenv("TANDREL_EXPECTED_DPI");
    if (expected == nullptr) {
        GTEST_SKIP() << "no expected DPI given";
    }
    EXPECT_EQ(systemDpi(), std::atoi(expected));
}

TEST(LayoutFigures, PaneAndClientHeightsAtThisDpi) {
    // (dpi, stations) -> (pane height, client height), worked out by hand.
    const std::map<std::pair<int, int>, std::pair<int, int>> figures = {
        {{96, 0}, {56, 466}},     {{96, 2}, {56, 466}},  {{96, 3}, {82, 492}},  {{96, 10}, {264, 674}},
        {{96, 11}, {280, 690}},   {{120, 0}, {70, 584}}, {{120, 2}, {71, 585}}, {{120, 10}, {335, 849}},
        {{120, 11}, {350, 864}},  {{144, 0}, {84, 699}}, {{144, 2}, {84, 699}}, {{144, 10}, {396, 1011}},
        {{144, 11}, {420, 1035}},
    };
    int dpi = systemDpi();
    int checked = 0;
    for (const auto& [key, heights] : figures) {
        if (key.first != dpi) {
            continue;
        }
        ++checked;
        EXPECT_EQ(expectedPaneHeight(dpi, key.second), heights.first) << key.second << " stations";
        EXPECT_EQ(expectedClientSize(dpi, key.second).cy, heights.second) << key.second << " stations";
        PluginUnderTest plugin(0, 0, 0, numberedStations(key.second));
        ConfigureCall call(plugin.p());
        HWND window = call.waitForWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(clientSize(window).cy, heights.second) << key.second << " stations";
        HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
        RECT paneRect = childRect(pane);
        EXPECT_EQ(paneRect.bottom - paneRect.top, heights.first) << key.second << " stations";
        click(dialogItem(window, 2));
        EXPECT_TRUE(call.waitForReturn());
    }
    EXPECT_GT(checked, 0) << "no figures for " << dpi << " DPI";
}

// The window itself at 96 DPI with two stations, against figures worked out by hand rather than by
// the rules that expected_layout follows.
TEST(LayoutFigures, LiteralRectanglesAt96Dpi) {
    if (systemDpi() != 96) {
        GTEST_SKIP() << "the literal rectangles are for 96 DPI";
    }
    struct LiteralControl {
        const char* className;
        int id;
        RECT rect;
    };
    const LiteralControl literal[] = {
        {"Button", 0, {14, 14, 454, 130}},     {"Button", 101, {26, 38, 442, 58}},
        {"Button", 102, {26, 66, 442, 86}},    {"Button", 103, {26, 94, 442, 114}},
        {"Button", 0, {14, 142, 454, 232}},    {"TandrelScrollPane", 0, {18, 164, 450, 220}},
        {"Button", 0, {14, 244, 454, 412}},    {"Static", 604, {26, 266, 438, 284}},
        {"Static", 0, {26, 297, 72, 315}},     {"Edit", 601, {76, 294, 440, 316}},
        {"Static", 0, {26, 343, 72, 361}},     {"Edit", 602, {76, 340, 440, 362}},
        {"Button", 603, {344, 376, 444, 404}}, {"Button", 1, {138, 424, 226, 452}},
        {"Button", 2, {242, 424, 330, 452}},
    };
    PluginUnderTest plugin(1, 0, 1, numberedStations(2));
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    std::vector<HWND> controls = children(window);
    ASSERT_EQ(controls.size(), std::size(literal));
    for (std::size_t k = 0; k < controls.size(); ++k) {
        std::string what = "control " + std::to_string(k + 1) + " \"" + windowText(controls[k]) + "\"";
        EXPECT_EQ(className(controls[k]), literal[k].className) << what;
        EXPECT_EQ(GetDlgCtrlID(controls[k]), literal[k].id) << what;
        expectRect(controls[k], literal[k].rect, what);
    }
    click(dialogItem(window, 2));
    EXPECT_TRUE(call.waitForReturn());
}

TEST_P(LayoutTest, WindowIsCentredWithTheComputedClientSize) {
    int stations = GetParam();
    PluginUnderTest plugin(1, 0, 1, numberedStations(stations));
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(className(window), "TandrelSettingsWnd");
    EXPECT_EQ(windowText(window), "Tandrel Einstellungen");
    EXPECT_EQ(style(window) &
                  (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD),
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
    EXPECT_NE(exStyle(window) & WS_EX_DLGMODALFRAME, 0u);
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);

    SIZE client = clientSize(window);
    SIZE expected = expectedClientSize(dpi, stations);
    EXPECT_EQ(client.cx, expected.cx);
    EXPECT_EQ(client.cy, expected.cy);

    RECT outer{};
    GetWindowRect(window, &outer);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

    click(dialogItem(window, 2));
    EXPECT_TRUE(call.waitForReturn());
}

TEST_P(LayoutTest, EveryControlInCreationOrder) {
    int stations = GetParam();
    PluginUnderTest plugin(1, 0, 1, numberedStations(stations));
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);

    std::vector<HWND> controls = children(window);
    std::vector<ExpectedControl> expected = expectedWindowControls(dpi, stations, EXAMPLE_LINK_TEXT);
    ASSERT_EQ(controls.size(), expected.size());
    bool paneScrolls = expectedContentHeight(dpi, stations) > expectedPaneHeight(dpi, stations);
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const ExpectedControl& e = expected[k];
        std::string what = "control " + std::to_string(k + 1) + " \"" + e.text + "\"";
        EXPECT_EQ(className(controls[k]), e.className) << what;
        EXPECT_EQ(windowText(controls[k]), e.text) << what;
        EXPECT_EQ(GetDlgCtrlID(controls[k]), e.id) << what;
        DWORD expectedStyle = e.style;
        if (e.className == "TandrelScrollPane" && !paneScrolls) {
            expectedStyle &= ~WS_VSCROLL;  // the system hides a scroll bar that has nothing to scroll
        }
        EXPECT_EQ(style(controls[k]), expectedStyle) << what;
        EXPECT_EQ(exStyle(controls[k]) & ~WS_EX_NOPARENTNOTIFY, e.exStyle) << what;
        expectRect(controls[k], e.rect, what);
    }
    // The info boxes start as the file says: server on, channel off, client on.
    EXPECT_TRUE(isChecked(dialogItem(window, 101)));
    EXPECT_FALSE(isChecked(dialogItem(window, 102)));
    EXPECT_TRUE(isChecked(dialogItem(window, 103)));

    click(dialogItem(window, 2));
    EXPECT_TRUE(call.waitForReturn());
}

TEST_P(LayoutTest, StationRowsWithTheirTicks) {
    int stations = GetParam();
    PluginUnderTest plugin(0, 0, 0, alternatingStations(stations));
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    ASSERT_NE(pane, nullptr);

    std::vector<HWND> rows = children(pane);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(2 * stations));
    for (int i = 0; i < stations; ++i) {
        HWND box = rows[2 * i];
        HWND remove = rows[2 * i + 1];
        ExpectedRow expected = expectedRow(dpi, i);
        std::string what = "row " + std::to_string(i);
        EXPECT_EQ(className(box), "Button") << what;
        EXPECT_EQ(windowText(box), "Genre | Station " + std::to_string(i)) << what;
        EXPECT_EQ(style(box), 0x50010003u) << what;
        EXPECT_EQ(GetDlgCtrlID(box), 200 + i) << what;
        EXPECT_EQ(isChecked(box), i % 2 == 0) << what;
        expectRect(box, expected.check, what + " check box");
        EXPECT_EQ(windowText(remove), "X") << what;
        EXPECT_EQ(style(remove), 0x5001000Bu) << what;
        EXPECT_EQ(GetDlgCtrlID(remove), 400 + i) << what;
        expectRect(remove, expected.remove, what + " delete button");
    }
    SCROLLINFO scroll = verticalScroll(pane);
    EXPECT_EQ(scroll.nMin, 0);
    EXPECT_EQ(scroll.nMax, expectedContentHeight(dpi, stations) - 1);
    EXPECT_EQ(scroll.nPos, 0);
    UINT range = static_cast<UINT>(scroll.nMax - scroll.nMin + 1);
    EXPECT_EQ(scroll.nPage, std::min(range, static_cast<UINT>(expectedPaneHeight(dpi, stations))));

    click(dialogItem(window, 2));
    EXPECT_TRUE(call.waitForReturn());
}

INSTANTIATE_TEST_SUITE_P(StationCounts, LayoutTest, ::testing::Values(0, 1, 2, 10, 11, 51),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return std::to_string(param.param) + "Stations";
                         });

// Tab moves through the tab stops in creation order and never into the station rows.
TEST(TabOrder, FollowsCreationOrderAndSkipsThePane) {
    PluginUnderTest plugin(0, 0, 0, numberedStations(3));
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    auto focus = [thread] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(thread, &info);
        return info.hwndFocus;
    };
    click(dialogItem(window, 101));  // focuses the first tab stop (and ticks it, which is harmless)
    ASSERT_EQ(GetDlgCtrlID(focus()), 101);
    std::vector<int> visited;
    for (int k = 0; k < 8; ++k) {
        // The key goes to the control with the focus, as the system would deliver it.
        postKey(focus(), VK_TAB);
        settle(window);
        visited.push_back(GetDlgCtrlID(focus()));
    }
    EXPECT_EQ(visited, (std::vector<int>{102, 103, 601, 602, 603, 1, 2, 101}));
    click(dialogItem(window, 2));
    EXPECT_TRUE(call.waitForReturn());
}

}  // namespace
}  // namespace tandrel::testing
