// A move to a monitor with another DPI: the window takes the suggested rectangle, every control and
// both fonts are rebuilt for the new DPI, and the unconfirmed ticks survive.
#include <gtest/gtest.h>

#include <algorithm>

#include "example_streams.h"
#include "expected_layout.h"
#include "window_driver.h"

namespace tandrel::testing {
namespace {

LOGFONTA fontOf(HWND control) {
    LOGFONTA font{};
    HFONT handle = reinterpret_cast<HFONT>(send(control, WM_GETFONT));
    EXPECT_NE(handle, nullptr);
    GetObjectA(handle, sizeof font, &font);
    return font;
}

// The height of the system's message font for a DPI, as the system reports it.
LONG messageFontHeight(int dpi) {
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SystemParametersInfoForDpi")));
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi == nullptr ||
        !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
        ADD_FAILURE() << "no message font for " << dpi << " DPI";
    }
    return metrics.lfMessageFont.lfHeight;
}

void expectLayoutFor(HWND window, int dpi, int stations) {
    std::vector<HWND> controls = children(window);
    std::vector<ExpectedControl> expected = expectedWindowControls(dpi, stations, EXAMPLE_LINK_TEXT);
    ASSERT_EQ(controls.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        RECT actual = childRect(controls[k]);
        EXPECT_TRUE(EqualRect(&actual, &expected[k].rect))
            << dpi << " DPI, control " << k + 1 << ": " << describe(actual) << ", expected "
            << describe(expected[k].rect);
        // What was typed into the name and URL fields survives a DPI change; the test checks it.
        if (expected[k].id != 601 && expected[k].id != 602) {
            EXPECT_EQ(windowText(controls[k]), expected[k].text);
        }
        EXPECT_EQ(GetDlgCtrlID(controls[k]), expected[k].id);
    }
    HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    for (int i = 0; i < stations; ++i) {
        RECT check = childRect(GetDlgItem(pane, 200 + i));
        RECT remove = childRect(GetDlgItem(pane, 400 + i));
        ExpectedRow row = expectedRow(dpi, i);
        EXPECT_TRUE(EqualRect(&check, &row.check)) << dpi << " DPI, row " << i << ": " << describe(check);
        EXPECT_TRUE(EqualRect(&remove, &row.remove)) << dpi << " DPI, row " << i << ": " << describe(remove);
    }
    EXPECT_EQ(verticalScroll(pane).nPos, 0);
}

class DpiChangeTest : public ::testing::TestWithParam<int> {};

TEST_P(DpiChangeTest, RebuildsForTheNewDpiInTheSuggestedRectangle) {
    const int stations = 12;
    int from = systemDpi();
    int to = GetParam();
    PluginUnderTest plugin(1, 0, 0, numberedStations(stations));
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    LOGFONTA fontBefore = fontOf(dialogItem(window, 101));

    // Unconfirmed changes: two info boxes, two station rows, typed text, a scrolled list.
    click(dialogItem(window, 101));
    click(dialogItem(window, 103));
    click(GetDlgItem(pane, 203));
    click(GetDlgItem(pane, 211));
    // Typed text longer than a station's fields take, with characters outside any ANSI code page.
    const std::wstring typedName = L"M\u00fcnchen \u2603 " + std::wstring(300, L'n');
    SetWindowTextW(dialogItem(window, 601), typedName.c_str());
    SetWindowTextW(dialogItem(window, 602), L"https://stra\u00dfe.example/");
    send(pane, WM_VSCROLL, SB_BOTTOM);

    // The rectangle a monitor of that DPI would suggest, kept within the virtual display, which no
    // window may outgrow.
    RECT suggested = {40, 10, 40 + scaled(480, to), 10 + std::min(scaled(740, to), 1040)};
    send(window, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));

    RECT now{};
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << describe(now);
    expectLayoutFor(window, to, stations);
    pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
    EXPECT_FALSE(isChecked(dialogItem(window, 101)));
    EXPECT_FALSE(isChecked(dialogItem(window, 102)));
    EXPECT_TRUE(isChecked(dialogItem(window, 103)));
    for (int i = 0; i < stations; ++i) {
        EXPECT_EQ(isChecked(GetDlgItem(pane, 200 + i)), i != 3 && i != 11) << "row " << i;
    }
    EXPECT_EQ(windowText(dialogItem(window, 601)), utf8(typedName)) << "the typed name survives";
    EXPECT_EQ(windowText(dialogItem(window, 602)),
              "https://stra\xc3\x9f"
              "e.example/");

    // The fonts follow the new DPI; the link's is the same font underlined.
    LOGFONTA fontAfter = fontOf(dialogItem(window, 101));
    EXPECT_EQ(fontAfter.lfHeight, messageFontHeight(to));
    EXPECT_EQ(fontBefore.lfHeight, messageFontHeight(from));
    LOGFONTA link = fontOf(dialogItem(window, 604));
    EXPECT_EQ(link.lfUnderline, 1);
    EXPECT_EQ(fontAfter.lfUnderline, 0);
    EXPECT_EQ(link.lfHeight, fontAfter.lfHeight);
    EXPECT_STREQ(link.lfFaceName, fontAfter.lfFaceName);
    EXPECT_EQ(fontOf(GetDlgItem(pane, 200)).lfHeight, fontAfter.lfHeight);

    // The kept ticks are what OK commits.
    click(dialogItem(window, 1));
    ASSERT_TRUE(call.waitForReturn());
    std::string file = plugin.configFile();
    EXPECT_NE(file.find("show_server_info=0\r\nshow_channel_info=0\r\nshow_client_info=1\r\n"),
              std::string::npos);
    EXPECT_NE(file.find("station_3_enabled=0\r\n"), std::string::npos);
    EXPECT_NE(file.find("station_11_enabled=0\r\n"), std::string::npos);
    EXPECT_NE(file.find("station_10_enabled=1\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(DpiChange, DpiChangeTest, ::testing::Values(96, 120, 144, 192),
                         [](const ::testing::TestParamInfo<int>& dpi) {
                             return "To" + std::to_string(dpi.param) + "Dpi";
                         });

}  // namespace
}  // namespace tandrel::testing
