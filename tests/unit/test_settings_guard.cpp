// The settings guard as the entry points on the host's threads use it: each one that reads the live
// settings takes the guard exactly once, copies what it needs, and lets go before it calls the host.
// The fake host sees every taking of the guard and reports a host call made while it is held.
#include <functional>
#include <string>

#include "deployment_config.h"
#include "plugin_test.h"
#include "settings/config_file.h"
#include "settings_builders.h"
#include "test_files.h"

namespace tandrel::testing {
namespace {

using ::testing::IsEmpty;

struct ReaderCase {
    std::string name;
    std::function<void()> read;
    int acquisitions;  // how often the call takes the guard
};

class SettingsGuardUse : public PluginTest {
  protected:
    SettingsGuardUse() {
        pluginSettings.showServerInfo = pluginSettings.showChannelInfo = pluginSettings.showClientInfo = 1;
        appendStation(pluginSettings, "Jazz", "https://jazz.example/", 1);
        appendStation(pluginSettings, "Rock", "https://rock.example/", 1);
        ts3plugin_initMenus(nullptr, nullptr);
        FakeConnection& server = host.addConnection(1, 2);
        server.addClient(2, "ownUid0000000000000000000000=", "Me");
        server.addClient(9, BOT_UID, "Radio");
        server.addChannel(4, "Lobby");
    }

    static void showInfo(int type, uint64 id) {
        char* data = nullptr;
        ts3plugin_infoData(1, id, type, &data);
        ts3plugin_freeMemory(data);
    }
};

TEST_F(SettingsGuardUse, EachReaderTakesItOnceAndNeverAcrossAHostCall) {
    TempDir appData;
    makeClientPluginFolder(appData.path());
    ScopedEnv env("APPDATA", appData.path().string());
    const int firstStationItem = 4;
    const ReaderCase cases[] = {
        {"server info", [] { showInfo(PLUGIN_SERVER, 0); }, 1},
        {"channel info", [] { showInfo(PLUGIN_CHANNEL, 4); }, 1},
        {"client info", [] { showInfo(PLUGIN_CLIENT, 9); }, 1},
        {"station item",
         [&] { ts3plugin_onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, firstStationItem + 1, 0); }, 1},
        {"own radio item (reads no settings)",
         [] { ts3plugin_onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 0, 0); }, 0},
        {"menu building",
         [] {
             PluginMenuItem** items = nullptr;
             ts3plugin_initMenus(&items, nullptr);
             for (int i = 0; items != nullptr && items[i] != nullptr; ++i)
                 ts3plugin_freeMemory(items[i]);
             ts3plugin_freeMemory(items);
         },
         1},
        {"save", [] { saveSettings(); }, 1},
    };
    for (const ReaderCase& c : cases) {
        const int before = host.settingsGuardAcquisitions();
        c.read();
        EXPECT_EQ(host.settingsGuardAcquisitions() - before, c.acquisitions) << c.name;
        EXPECT_THAT(host.problems(), IsEmpty()) << c.name;
    }
    EXPECT_EQ(host.sentMessages().size(), 2u) << "both menu items reached the bot";
}

// The seam itself: a host call made while the guard is held is reported, one made after it is not.
TEST(SettingsGuardSeam, AHostCallUnderTheGuardIsReported) {
    FakeHost host;
    host.addConnection(1, 2);
    anyID own = 0;
    {
        SettingsGuard guard;
        host.table().getClientID(1, &own);
    }
    host.table().getClientID(1, &own);
    EXPECT_EQ(host.settingsGuardAcquisitions(), 1);
    EXPECT_THAT(host.problems(),
                ::testing::ElementsAre("getClientID(1) while the plug-in holds its settings guard"));
}

}  // namespace
}  // namespace tandrel::testing
