// Text beyond ASCII through the window: what the user types reaches the file, the menus of the next
// load and the window again as the same characters, and a file in the ANSI code page shows right.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "window_driver.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;

// "Münchner Rundfunk ß Łódź": umlauts, a sharp s, and letters that code page 1252 lacks.
const std::string NAME =
    "M\xC3\xBCnchner Rundfunk \xC3\x9F \xC5\x81\xC3\xB3"
    "d\xC5\xBA";
const std::string URL =
    "https://stra\xC3\x9F"
    "e.example/\xC3\xB6?q=\xC5\x81";

HWND stationPane(HWND window) {
    return FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
}

TEST(UnicodeText, TypedTextReachesTheFileTheMenusAndTheWindowUnchanged) {
    PluginUnderTest plugin(0, 0, 0, numberedStations(1));
    {
        ConfigureCall call(plugin.p());
        HWND window = call.waitForWindow();
        ASSERT_NE(window, nullptr);
        typeText(dialogItem(window, 601), NAME);
        typeText(dialogItem(window, 602), URL);
        click(dialogItem(window, 603));
        EXPECT_EQ(windowText(GetDlgItem(stationPane(window), 201)), NAME);
        click(dialogItem(window, 1));
        ASSERT_TRUE(call.waitForReturn());
    }
    EXPECT_NE(plugin.configFile().find("station_1_label=" + NAME + "\r\nstation_1_url=" + URL +
                                       "\r\nstation_1_enabled=1\r\n"),
              std::string::npos)
        << plugin.configFile();

    plugin.reload();
    EXPECT_THAT(plugin.menuTexts(), ElementsAre("Radio | An", "Radio | Aus", "Channel Radio | An",
                                                "Channel Radio | Aus", "Genre | Station 0", NAME));
    EXPECT_EQ(plugin.playCommandForStation(1), "!play " + URL);
    ConfigureCall again(plugin.p());
    HWND window = again.waitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(windowText(GetDlgItem(stationPane(window), 201)), NAME);
    click(dialogItem(window, 2));
    EXPECT_TRUE(again.waitForReturn());
}

TEST(UnicodeText, AFileInCodePage1252ShowsRightAndIsSavedAsUtf8) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the file's bytes are those of code page 1252; this system uses " << GetACP();
    }
    PluginUnderTest plugin(
        std::string("show_server_info=0\r\nshow_channel_info=0\r\nshow_client_info=0\r\nstation_count=1\r\n"
                    "station_0_label=M\xFCnchner Stra\xDF"
                    "e \x80\r\nstation_0_url=https://r.example/\xE4\r\n"
                    "station_0_enabled=1\r\n"));
    const std::string label =
        "M\xC3\xBCnchner Stra\xC3\x9F"
        "e \xE2\x82\xAC";
    const std::string url = "https://r.example/\xC3\xA4";
    EXPECT_THAT(plugin.menuTexts(),
                ElementsAre("Radio | An", "Radio | Aus", "Channel Radio | An", "Channel Radio | Aus", label));
    EXPECT_EQ(plugin.playCommandForStation(0), "!play " + url);

    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(windowText(GetDlgItem(stationPane(window), 200)), label);
    click(dialogItem(window, 1));
    ASSERT_TRUE(call.waitForReturn());
    EXPECT_NE(plugin.configFile().find("station_0_label=" + label + "\r\nstation_0_url=" + url + "\r\n"),
              std::string::npos)
        << plugin.configFile();
}

}  // namespace
}  // namespace tandrel::testing
