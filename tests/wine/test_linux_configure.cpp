// "Settings" of the Linux library, through its exports: the file lives in the folder the host
// reports (never where APPDATA points), is written when missing and left alone when present, and is
// handed to xdg-open as one argument, with no shell in between; every failure is a warning naming the
// file; no child and no thread of the plug-in outlives the configure call, not even at shutdown.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "fake_host.h"
#include "plugin_library.h"
#include "test_files.h"

namespace tandrel::testing {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

namespace fs = std::filesystem;

constexpr auto OPENER_WAIT_LIMIT = std::chrono::seconds(60);  // a hang guard, not a speed check

long threadsOfThisProcess() {
    DIR* folder = opendir("/proc/self/task");
    long count = 0;
    while (folder != nullptr && readdir(folder) != nullptr) {
        ++count;
    }
    if (folder != nullptr) {
        closedir(folder);
    }
    return count - 2;  // "." and ".."
}

// True when this process has no child left, running or waiting to be reaped.
bool noChildLeft() {
    errno = 0;
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

class LinuxConfigure : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded()) << PluginLibrary::path() << ": " << PluginLibrary::loadError();
        fs::create_directories(bin);
        useClientFolder(work.path() / "client config");
    }

    void TearDown() override {
        p.shutdown();
        EXPECT_THAT(host.problems(), IsEmpty());
    }

    // Points the host at a configuration folder (with its plugins/ folder) and starts the plug-in.
    void useClientFolder(const fs::path& folder) {
        fs::create_directories(folder / "plugins");
        clientFolder = folder;
        host.configPath = folder.string() + "/";
    }

    fs::path settingsFile() const { return clientFolder / "plugins" / "TandrelPlugin.ini"; }

    void start() {
        p.setFunctionPointers(host.table());
        ASSERT_EQ(p.init(), 0);
    }

    // An xdg-open first on PATH that writes the arguments it got, each ended by a NUL, to the record
    // file, then exits with the given status, or (seconds > 0) sleeps that long instead, as an opener
    // that hangs.
    void installRecordingOpener(int exitStatus = 0, int seconds = 0) {
        const fs::path script = bin / "xdg-open";
        std::ofstream out(script);
        out << "#!/bin/sh\n"
            << "printf '%s\\0' \"$@\" > '" << record.string() << ".part'\n"
            << "mv '" << record.string() << ".part' '" << record.string() << "'\n";
        if (seconds > 0) {
            out << "exec sleep " << seconds << "\n";
        }
        out << "exit " << exitStatus << "\n";
        out.close();
        fs::permissions(script, fs::perms::owner_all);
    }

    // The arguments the recording xdg-open got; empty when it never ran.
    std::vector<std::string> recordedArguments() const {
        std::vector<std::string> arguments;
        std::ifstream file(record, std::ios::binary);
        std::string argument;
        while (std::getline(file, argument, '\0')) {
            arguments.push_back(argument);
        }
        return arguments;
    }

    std::vector<std::string> warnings() const {
        std::vector<std::string> lines;
        for (const FakeLogLine& line : host.logLines()) {
            if (line.severity == LogLevel_WARNING) {
                lines.push_back(line.text);
            }
        }
        return lines;
    }

    TempDir work;
    fs::path bin = work.path() / "bin";
    fs::path record = work.path() / "opened";
    fs::path clientFolder;
    // Only the test's own bin folder: an xdg-open of the machine never answers for the recording one.
    ScopedEnv path{"PATH", (work.path() / "bin").string() + ":/usr/bin:/bin"};
    PluginLibrary library;
    const PluginEntryPoints& p = library.plugin();
    FakeHost host;
};

TEST_F(LinuxConfigure, WritesAMissingFileAndHandsItsPathToXdgOpen) {
    installRecordingOpener();
    start();
    const long threadsBefore = threadsOfThisProcess();
    p.configure(nullptr, nullptr);
    EXPECT_THAT(recordedArguments(), ElementsAre(settingsFile().string()));
    EXPECT_THAT(readBytes(settingsFile()),
                StartsWith("show_server_info=0\nshow_channel_info=0\nshow_client_info=0\n"
                           "station_count=51\nstation_0_label=Rock | Rock\n"));
    EXPECT_THAT(warnings(), IsEmpty());
    EXPECT_TRUE(noChildLeft()) << "xdg-open was reaped";
    EXPECT_EQ(threadsOfThisProcess(), threadsBefore) << "no thread of the plug-in is left";
}

TEST_F(LinuxConfigure, LeavesAnExistingFileByteForByte) {
    const std::string content = "station_count=1\r\nstation_0_label=M\xc3\xbcnchen\r\nnot a setting\n\n";
    writeBytes(settingsFile(), content);
    installRecordingOpener();
    start();
    p.configure(nullptr, nullptr);
    EXPECT_EQ(readBytes(settingsFile()), content);
    EXPECT_THAT(recordedArguments(), ElementsAre(settingsFile().string()));
}

// Spaces, quotes, a command substitution, a semicolon and a line break are characters of a folder's
// name like any other: the path arrives whole as one argument, and nothing in it runs.
TEST_F(LinuxConfigure, PassesAPathWithShellCharactersAsItIsAndRunsNothing) {
    const fs::path marker = work.path() / "ran";
    useClientFolder(work.path() /
                    ("it's \"my\" $(touch " + marker.string() + ") `touch " + marker.string() + "`; x\n y"));
    installRecordingOpener();
    start();
    p.configure(nullptr, nullptr);
    EXPECT_THAT(recordedArguments(), ElementsAre(settingsFile().string()));
    EXPECT_TRUE(fs::exists(settingsFile()));
    EXPECT_FALSE(fs::exists(marker)) << "a shell ran the path";
}

TEST_F(LinuxConfigure, WithoutXdgOpenAWarningNamesTheFile) {
    start();
    p.configure(nullptr, nullptr);
    EXPECT_THAT(warnings(), ElementsAre(HasSubstr(settingsFile().string())));
    EXPECT_THAT(warnings().at(0), HasSubstr("xdg-open"));
    EXPECT_TRUE(fs::exists(settingsFile())) << "the file is there to open by hand";
    EXPECT_TRUE(noChildLeft());
}

TEST_F(LinuxConfigure, AnXdgOpenThatFailsIsReportedWithItsStatus) {
    installRecordingOpener(4);
    start();
    p.configure(nullptr, nullptr);
    EXPECT_THAT(warnings(),
                ElementsAre(AllOf(HasSubstr(settingsFile().string()), HasSubstr("exit status 4"))));
    EXPECT_TRUE(noChildLeft());
}

TEST_F(LinuxConfigure, AFileThatCannotBeWrittenIsReportedAndNotOpened) {
    fs::remove_all(clientFolder / "plugins");  // the folder is gone: nothing can be written into it
    installRecordingOpener();
    start();
    p.configure(nullptr, nullptr);
    EXPECT_THAT(warnings(), ElementsAre(HasSubstr(settingsFile().string())));
    EXPECT_THAT(recordedArguments(), IsEmpty());
}

TEST_F(LinuxConfigure, WithoutAConfigurationFolderNothingIsWrittenAndAWarningSaysSo) {
    host.configPath.clear();
    ScopedEnv noAppData("APPDATA", std::nullopt);  // the fake host then answers an empty folder
    installRecordingOpener();
    start();
    p.configure(nullptr, nullptr);
    EXPECT_EQ(warnings().size(), 1u);
    EXPECT_THAT(recordedArguments(), IsEmpty());
}

// The file is read from the host's folder; an APPDATA (as Wine or a user's shell may set it) is not
// a place the Linux library looks.
TEST_F(LinuxConfigure, ReadsTheFileFromTheHostsFolderNotFromAppData) {
    writeBytes(settingsFile(),
               "station_count=1\nstation_0_label=Host | Folder\nstation_0_url=https://h\n"
               "station_0_enabled=1\n");
    TempDir appData;
    writeBytes(makeClientPluginFolder(appData.path()) / "TandrelPlugin.ini",
               "station_count=1\nstation_0_label=App | Data\nstation_0_url=https://a\nstation_0_enabled=1\n");
    ScopedEnv env("APPDATA", appData.path().string());
    start();
    PluginMenuItem** items = nullptr;
    char* icon = nullptr;
    p.initMenus(&items, &icon);
    ASSERT_NE(items, nullptr);
    std::vector<std::string> texts;
    for (int i = 0; items[i] != nullptr; ++i) {
        texts.push_back(items[i]->text);
        p.freeMemory(items[i]);
    }
    p.freeMemory(items);
    EXPECT_THAT(texts, Contains("Host | Folder"));
    EXPECT_THAT(texts, Not(Contains("App | Data")));
}

// A shutdown while xdg-open still runs ends it and returns only once the configure call has
// returned: the host unloads the library right after.
TEST_F(LinuxConfigure, ShutdownEndsAWaitingXdgOpenAndTheConfigureCall) {
    installRecordingOpener(0, 30);
    start();
    std::atomic<bool> configureReturned{false};
    std::thread configureCall([&] {
        p.configure(nullptr, nullptr);
        configureReturned = true;
    });
    const auto giveUp = std::chrono::steady_clock::now() + OPENER_WAIT_LIMIT;
    while (!fs::exists(record) && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(fs::exists(record)) << "xdg-open did not start";
    p.shutdown();
    EXPECT_TRUE(configureReturned) << "the configure call still runs in the library after shutdown";
    configureCall.join();
    EXPECT_THAT(warnings(), ElementsAre(HasSubstr("exit status 143")));
    EXPECT_TRUE(noChildLeft());
}

}  // namespace
}  // namespace tandrel::testing
