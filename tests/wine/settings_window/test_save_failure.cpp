// OK when the file cannot be written: the live settings take the changes all the same, a notice
// names the file and says that they last only until the client restarts, the configure call returns
// once it is closed, the old file stays as it was, and the client's log gets a warning.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "window_driver.h"

namespace tandrel::testing {
namespace {

struct Obstacle {
    const char* name;
    // Makes the save fail; a handle it returns stays open until the test ends (or none:
    // INVALID_HANDLE_VALUE).
    HANDLE (*arrange)(const std::filesystem::path& file);
    bool oldFileStays;
};

void PrintTo(const Obstacle& obstacle, std::ostream* out) {
    *out << obstacle.name;
}

class SaveFailureTest : public ::testing::TestWithParam<Obstacle> {
  protected:
    void SetUp() override {
        window = call.waitForWindow();
        ASSERT_NE(window, nullptr);
        originalFile = plugin.configFile();
    }
    void TearDown() override {
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(held);
        }
    }

    PluginUnderTest plugin{1, 0, 0, numberedStations(2)};
    ConfigureCall call{plugin.p()};
    HWND window = nullptr;
    std::string originalFile;
    HANDLE held = INVALID_HANDLE_VALUE;
};

TEST_P(SaveFailureTest, NoticeNamesTheFileAndTheLiveSettingsTakeTheChanges) {
    held = GetParam().arrange(plugin.configPath());
    click(dialogItem(window, 101));  // the server block off
    click(GetDlgItem(FindWindowExA(window, nullptr, "TandrelScrollPane", nullptr), 400));
    plugin.host().clearCalls();
    click(dialogItem(window, 1));

    HWND notice = waitForSaveNotice();
    ASSERT_NE(notice, nullptr);
    const std::string path = std::string(std::getenv("APPDATA")) + "\\TS3Client\\plugins\\TandrelPlugin.ini";
    EXPECT_EQ(
        noticeText(notice),
        "Die Einstellungen gelten bis zum Neustart des Clients, konnten aber nicht gespeichert werden:\n" +
            path);
    EXPECT_FALSE(call.returned()) << "the configure call waits for the notice";
    click(GetDlgItem(notice, IDOK));
    ASSERT_TRUE(call.waitForReturn());

    EXPECT_EQ(plugin.serverInfo(), "");
    EXPECT_EQ(plugin.playCommandForStation(0), "!play https://stream1.example/live");
    std::vector<FakeLogLine> log = plugin.host().logLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].text,
              "Tandrel: could not save the settings to " + path + "; they apply until the client restarts");
    EXPECT_EQ(log[0].severity, LogLevel_WARNING);
    EXPECT_EQ(log[0].channel, "Plugin");
    if (GetParam().oldFileStays) {
        EXPECT_EQ(plugin.configFile(), originalFile);
    } else {
        EXPECT_FALSE(std::filesystem::exists(plugin.configPath().parent_path()));
    }
    EXPECT_FALSE(std::filesystem::is_regular_file(plugin.configPath().string() + ".tmp"))
        << "the new file written beside the old one is left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, SaveFailureTest,
    ::testing::Values(Obstacle{"PluginFolderMissing",
                               [](const std::filesystem::path& file) {
                                   std::filesystem::remove_all(file.parent_path());
                                   return INVALID_HANDLE_VALUE;
                               },
                               false},
                      // The new file is written beside the old one first, and a folder of that name
                      // stands in its way.
                      Obstacle{"NewFileCannotBeCreated",
                               [](const std::filesystem::path& file) {
                                   std::filesystem::create_directory(file.string() + ".tmp");
                                   return INVALID_HANDLE_VALUE;
                               },
                               true},
                      // Another program (an editor, a backup) has the file open and lets others read
                      // it but not replace it: the new file is complete, and putting it in place fails.
                      Obstacle{"SettingsFileHeldOpen",
                               [](const std::filesystem::path& file) {
                                   return CreateFileW(file.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                      nullptr, OPEN_EXISTING, 0, nullptr);
                               },
                               true}),
    [](const ::testing::TestParamInfo<Obstacle>& obstacle) { return std::string(obstacle.param.name); });

}  // namespace
}  // namespace tandrel::testing
