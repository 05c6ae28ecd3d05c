// The link to the example-streams page: the text it shows and the page a click hands to the system's
// browser. Under Wine the page goes through winebrowser to xdg-open, and the suite puts a recording
// xdg-open (browser/xdg-open) first on the PATH, so a click opens nothing and leaves a record of what
// the browser was given.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "window_driver.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;

constexpr int EXAMPLE_LINK = 604;
constexpr const char* LINK_PREFIX = "Beispiel-Sender: ";

#ifdef TANDREL_DEFAULT_EXAMPLE_STREAMS_HOST
// Written out rather than taken from the generated header, so that a wrong host, scheme or path in
// the header is caught.
constexpr const char* DEFAULT_LINK_TEXT = "Beispiel-Sender: www.radio-browser.info/streams";
constexpr const char* DEFAULT_PAGE = "https://www.radio-browser.info/streams";
#endif

// The folder the recording xdg-open writes to, as this process sees it (Wine maps the Unix root to
// Z:); empty when the suite runs without the recorder.
std::filesystem::path browserRecords() {
    const char* folder = std::getenv("TANDREL_BROWSER_RECORDS");
    if (folder == nullptr || *folder == '\0') {
        return {};
    }
    std::string windowsPath = std::string("Z:") + folder;
    for (char& c : windowsPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    return windowsPath;
}

std::vector<std::filesystem::path> records(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().rfind("call-", 0) == 0) {
            found.push_back(entry.path());
        }
    }
    return found;
}

// The arguments of each call of the browser, once at least one call has been recorded; empty after
// the timeout.
std::vector<std::vector<std::string>> waitForBrowserCalls(const std::filesystem::path& folder,
                                                          DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<std::filesystem::path> found = records(folder);
    while (found.empty() && GetTickCount64() < deadline) {
        Sleep(20);
        found = records(folder);
    }
    std::vector<std::vector<std::string>> calls;
    for (const std::filesystem::path& record : found) {
        std::vector<std::string> arguments;
        std::string text = readBytes(record);
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            arguments.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        calls.push_back(arguments);
    }
    return calls;
}

TEST(ExampleLink, DefaultDeploymentShowsTheRadioBrowserPage) {
#ifndef TANDREL_DEFAULT_EXAMPLE_STREAMS_HOST
    GTEST_SKIP() << "this tree was configured with its own TANDREL_EXAMPLE_STREAMS_HOST";
#else
    PluginUnderTest plugin(0, 0, 0, numberedStations(2));
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(windowText(dialogItem(window, EXAMPLE_LINK)), DEFAULT_LINK_TEXT);
    click(dialogItem(window, 2));
    EXPECT_TRUE(call.waitForReturn());
#endif
}

// A click on the link opens the page it shows, with the scheme in front; the window stays open.
TEST(ExampleLink, ClickHandsThePageToTheBrowser) {
    const std::filesystem::path folder = browserRecords();
    if (folder.empty()) {
        GTEST_SKIP() << "no recording browser: TANDREL_BROWSER_RECORDS is not set (ctest sets it)";
    }
    std::filesystem::create_directories(folder);
    for (const std::filesystem::path& old : records(folder)) {
        std::filesystem::remove(old);
    }
    PluginUnderTest plugin(0, 0, 0, numberedStations(2));
    ConfigureCall call(plugin.p());
    HWND window = call.waitForWindow();
    ASSERT_NE(window, nullptr);
    HWND link = dialogItem(window, EXAMPLE_LINK);
    const std::string text = windowText(link);
    ASSERT_EQ(text.rfind(LINK_PREFIX, 0), 0u) << text;
    const std::string shownPage = "https://" + text.substr(std::string(LINK_PREFIX).size());

    mouseClick(link);
    // Starting winebrowser is starting a Wine process, which takes longer than a window's answer.
    std::vector<std::vector<std::string>> calls = waitForBrowserCalls(folder, 3 * WAIT_MS);
    ASSERT_FALSE(calls.empty()) << "the browser was not started; is browser/xdg-open first on the PATH?";
    EXPECT_THAT(calls, ElementsAre(ElementsAre(shownPage)));
#ifdef TANDREL_DEFAULT_EXAMPLE_STREAMS_HOST
    EXPECT_THAT(calls, ElementsAre(ElementsAre(DEFAULT_PAGE)));
#endif
    EXPECT_EQ(settingsWindow(), window);
    EXPECT_FALSE(call.returned());

    click(dialogItem(window, 2));
    EXPECT_TRUE(call.waitForReturn());
}

}  // namespace
}  // namespace tandrel::testing
