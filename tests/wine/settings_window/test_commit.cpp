// OK and Enter copy the window's working copy into the live settings and rewrite the file; every
// way of cancelling leaves both alone, whatever was changed in the window.
#include <gtest/gtest.h>

#include <functional>

#include "window_driver.h"

namespace tandrel::testing {
namespace {

std::string withCrLf(const std::string& text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    return crlf;
}

HWND stationPane(HWND window) {
    return FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
}

// A window open on three stations, server info on, channel and client info off.
class CommitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = call.waitForWindow();
        ASSERT_NE(window, nullptr);
        pane = stationPane(window);
        originalFile = plugin.configFile();
        ASSERT_FALSE(plugin.serverInfo().empty());
    }

    // Unticks the server box, ticks the client box, unticks station 1, deletes station 0 and adds
    // one: every kind of change the window offers.
    void changeEverything() {
        click(dialogItem(window, 101));
        click(dialogItem(window, 103));
        click(GetDlgItem(pane, 201));
        click(GetDlgItem(pane, 400));
        setText(dialogItem(window, 601), "Jazz | New");
        setText(dialogItem(window, 602), "https://new.example/jazz");
        click(dialogItem(window, 603));
        ASSERT_EQ(children(pane).size(), 6u);
    }

    // What the live settings and the file hold after changeEverything and OK.
    const std::vector<TestStation> changedStations = {
        {"Genre | Station 1", "https://stream1.example/live", 0},
        {"Genre | Station 2", "https://stream2.example/live", 1},
        {"Jazz | New", "https://new.example/jazz", 1}};

    void expectUnchanged() {
        EXPECT_EQ(plugin.configFile(), originalFile);
        EXPECT_FALSE(plugin.serverInfo().empty());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(plugin.playCommandForStation(i),
                      "!play https://stream" + std::to_string(i) + ".example/live");
        }
    }

    PluginUnderTest plugin{1, 0, 0, numberedStations(3)};
    ConfigureCall call{plugin.p()};
    HWND window = nullptr;
    HWND pane = nullptr;
    std::string originalFile;
};

TEST_F(CommitTest, OkCommitsEveryChangeAndRewritesTheFile) {
    changeEverything();
    click(dialogItem(window, 1));
    ASSERT_TRUE(call.waitForReturn());
    EXPECT_EQ(settingsWindow(), nullptr);
    EXPECT_EQ(plugin.configFile(), withCrLf(configText(0, 0, 1, changedStations)));
    // A save that works shows no notice (the call could not have returned with one open) and logs
    // nothing.
    EXPECT_TRUE(plugin.host().logLines().empty());
    EXPECT_EQ(plugin.serverInfo(), "");
    // The menus still have the items of start-up; each plays whatever station now has its index.
    EXPECT_EQ(plugin.playCommandForStation(0), "!play https://stream1.example/live");
    EXPECT_EQ(plugin.playCommandForStation(2), "!play https://new.example/jazz");
}

TEST_F(CommitTest, EnterInTheNameFieldCommitsAndDropsTheTypedText) {
    click(dialogItem(window, 102));
    setText(dialogItem(window, 601), "Typed | Not added");
    setText(dialogItem(window, 602), "https://typed.example/");
    postKey(dialogItem(window, 601), VK_RETURN);
    ASSERT_TRUE(call.waitForReturn());
    EXPECT_EQ(plugin.configFile(), withCrLf(configText(1, 1, 0, numberedStations(3))));
}

TEST_F(CommitTest, EnterOnAStationRowCommitsItsTick) {
    click(GetDlgItem(pane, 202));
    postKey(GetDlgItem(pane, 202), VK_RETURN);
    ASSERT_TRUE(call.waitForReturn());
    std::vector<TestStation> stations = numberedStations(3);
    stations[2].enabled = 0;
    EXPECT_EQ(plugin.configFile(), withCrLf(configText(1, 0, 0, stations)));
}

TEST_F(CommitTest, OkWithoutChangesStillRewritesTheFile) {
    // A file that the reader accepts but the writer would not produce: extra and reordered lines.
    writeBytes(plugin.configPath(), "junk=1\r\n" + originalFile);
    click(dialogItem(window, 1));
    ASSERT_TRUE(call.waitForReturn());
    EXPECT_EQ(plugin.configFile(), originalFile);
}

TEST_F(CommitTest, DeletingEveryStationCommitsAnEmptyList) {
    while (HWND remove = GetDlgItem(pane, 400)) {
        click(remove);
    }
    EXPECT_TRUE(children(pane).empty());
    click(dialogItem(window, 1));
    ASSERT_TRUE(call.waitForReturn());
    EXPECT_EQ(plugin.configFile(), withCrLf(configText(1, 0, 0, {})));
}

struct CancelWay {
    const char* name;
    std::function<void(HWND window)> act;
};

class CancelTest : public CommitTest, public ::testing::WithParamInterface<CancelWay> {};

TEST_P(CancelTest, LeavesFileAndLiveSettingsAlone) {
    changeEverything();
    GetParam().act(window);
    ASSERT_TRUE(call.waitForReturn());
    EXPECT_EQ(settingsWindow(), nullptr);
    expectUnchanged();
}

TEST_P(CancelTest, AnAddedAndDeletedStationLeavesNoTrace) {
    setText(dialogItem(window, 601), "Gone | Again");
    setText(dialogItem(window, 602), "https://gone.example/");
    click(dialogItem(window, 603));
    click(GetDlgItem(pane, 403));
    ASSERT_EQ(children(pane).size(), 6u);
    GetParam().act(window);
    ASSERT_TRUE(call.waitForReturn());
    expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CancelTest,
    ::testing::Values(
        CancelWay{"CancelButton", [](HWND window) { click(dialogItem(window, 2)); }},
        CancelWay{"EscapeInTheUrlField", [](HWND window) { postKey(dialogItem(window, 602), VK_ESCAPE); }},
        CancelWay{"EscapeOnAStationRow",
                  [](HWND window) {
                      HWND pane = FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr);
                      postKey(GetDlgItem(pane, 200), VK_ESCAPE);
                  }},
        CancelWay{"CloseMessage", [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }},
        CancelWay{"CloseBoxOrAltF4", [](HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const ::testing::TestParamInfo<CancelWay>& way) { return std::string(way.param.name); });

}  // namespace
}  // namespace tandrel::testing
