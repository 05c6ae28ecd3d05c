// The radio and information subsystems through the shipped DLL: a start-up from a configuration
// file, the admin gate, a station command to the bot, an info block and a connection log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deployment_config.h"
#include "fake_host.h"
#include "plugin_library.h"
#include "test_files.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string adminGroup = std::to_string(ADMIN_GROUP_IDS[1]);

// A client started from a file with three stations, the second disabled, and switched-on info
// blocks; one connection on which the own client is a radio administrator and the bot is listed.
class DllRadioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded()) << PluginLibrary::path();
        writeBytes(
            makeClientPluginFolder(appData.path()) / "TandrelPlugin.ini",
            "show_server_info=1\r\nshow_channel_info=1\r\nshow_client_info=1\r\nstation_count=3\r\n"
            "station_0_label=Jazz | "
            "Jazz\r\nstation_0_url=https://jazz.example/live\r\nstation_0_enabled=1\r\n"
            "station_1_label=Off | Off\r\nstation_1_url=https://off.example/\r\nstation_1_enabled=0\r\n"
            "station_2_label=Rock | "
            "Rock\r\nstation_2_url=https://rock.example/mp3\r\nstation_2_enabled=1\r\n");
        FakeConnection& server = host.addConnection(1, 5);
        server.serverName = "Tandrel";
        server.addClient(5, "ownUid=", "Alice", "8," + adminGroup);
        server.addClient(7, "guestUid=", "Bob", "8");
        server.addClient(9, BOT_UID, "Radio");
        server.addChannel(4294967297ull, "Lobby").iconId = -3;
        p.setFunctionPointers(host.table());
        ASSERT_EQ(p.init(), 0);
    }

    void TearDown() override {
        p.shutdown();
        EXPECT_THAT(host.problems(), IsEmpty());
    }

    // Builds the menus as the host does, keeps their texts and releases them through the DLL.
    std::vector<std::string> buildMenus() {
        PluginMenuItem** items = nullptr;
        char* icon = nullptr;
        p.initMenus(&items, &icon);
        std::vector<std::string> texts;
        for (int i = 0; items != nullptr && items[i] != nullptr; ++i) {
            texts.push_back(std::to_string(items[i]->type) + ":" + std::to_string(items[i]->id) + ":" +
                            items[i]->text);
            p.freeMemory(items[i]);
        }
        p.freeMemory(items);
        return texts;
    }

    TempDir appData;
    ScopedEnv env{"APPDATA", appData.path().string()};
    PluginLibrary library;
    const PluginEntryPoints& p = library.plugin();
    FakeHost host;
};

TEST_F(DllRadioTest, MenusComeFromTheConfigurationFile) {
    EXPECT_THAT(buildMenus(), ElementsAre("2:0:Radio | An", "2:1:Radio | Aus", "2:2:Channel Radio | An",
                                          "2:3:Channel Radio | Aus", "2:4:Jazz | Jazz", "2:5:Rock | Rock",
                                          "1:6:Radio | An", "1:7:Radio | Aus", "1:8:Channel Radio | An",
                                          "1:9:Channel Radio | Aus", "1:10:Jazz | Jazz", "1:11:Rock | Rock"));
}

TEST_F(DllRadioTest, AdministratorGetsTheAdminItemsAndTheGateFollowsGroupChanges) {
    buildMenus();
    p.registerPluginID("tandrel-id");
    std::map<int, int> enabled = host.menuEnabled();
    EXPECT_EQ(enabled.size(), 8u);
    for (const auto& [id, value] : enabled)
        EXPECT_EQ(value, 1) << id;
    EXPECT_EQ(host.logLines().at(0).text, "Tandrel: SERVER_GROUPS='8," + adminGroup + "' admin=1");

    p.onClientSelfVariableUpdateEvent(1, CLIENT_SERVERGROUPS, ("8," + adminGroup).c_str(), "8");
    for (const auto& [id, value] : host.menuEnabled())
        EXPECT_EQ(value, 0) << id;

    host.findConnection(1)->findClient(5)->serverGroups = adminGroup;
    p.onServerGroupClientAddedEvent(1, 5, "Alice", "ownUid=", 11, 7, "Bob", "guestUid=");
    for (const auto& [id, value] : host.menuEnabled())
        EXPECT_EQ(value, 1) << id;
    host.findConnection(1)->findClient(5)->serverGroups = "8";
    p.onServerGroupClientDeletedEvent(1, 5, "Alice", "ownUid=", 11, 7, "Bob", "guestUid=");
    for (const auto& [id, value] : host.menuEnabled())
        EXPECT_EQ(value, 0) << id;
    host.clearCalls();
    p.onUpdateClientEvent(1, 7, 7, "Bob", "guestUid=");  // another client: only the own ID is asked
    EXPECT_THAT(host.calls(), ElementsAre("getClientID(1)"));
}

TEST_F(DllRadioTest, StationItemSendsPlayToTheBot) {
    buildMenus();
    p.onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 5, 7);
    p.onMenuItemEvent(1, PLUGIN_MENU_TYPE_CHANNEL, 10, 4294967297ull);
    p.onMenuItemEvent(1, PLUGIN_MENU_TYPE_CHANNEL, 9, 0);
    std::vector<std::string> sent;
    for (const FakePrivateMessage& message : host.sentMessages()) {
        EXPECT_EQ(message.target, 9);
        sent.push_back(message.text);
    }
    EXPECT_THAT(sent, ElementsAre("!play https://rock.example/mp3", "!play https://jazz.example/live",
                                  "!unsubscribe channel"));
}

TEST_F(DllRadioTest, InfoBlocksShowWhatTheHostReports) {
    char* data = nullptr;
    p.infoData(1, 4294967297ull, PLUGIN_CHANNEL, &data);
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(
        data,
        "[B]Channel[/B]\nName:    [color=#990000]Lobby[/color]\nID:      [color=#990000]4294967297[/color]\n"
        "Icon ID: [color=#990000]-3[/color]");
    p.freeMemory(data);
    p.infoData(1, 0x10007, PLUGIN_CLIENT, &data);
    ASSERT_NE(data, nullptr);
    EXPECT_NE(std::string(data).find("Name:       [color=#990000]Bob[/color]"), std::string::npos);
    p.freeMemory(data);
    p.infoData(1, 0, 7, &data);
    EXPECT_EQ(data, nullptr);
}

TEST_F(DllRadioTest, ACommandWithoutTheBotIsToldInThatServerTab) {
    buildMenus();
    host.addConnection(2, 1).addClient(3, "guestUid=");
    host.clearCalls();
    p.onMenuItemEvent(2, PLUGIN_MENU_TYPE_CLIENT, 0, 0);
    EXPECT_THAT(
        host.calls(),
        ElementsAre("getClientList(2)", "getClientVariableAsString(2,3,0)", "freeMemory(\"guestUid=\")",
                    "freeMemory(clientList(2))", "printMessage(2,\"Tandrel: Radio-Bot nicht gefunden\",0)",
                    "logMessage(\"Tandrel: radio command not sent: radio bot not on this server\",2,"
                    "\"Plugin\",2)"));
}

TEST_F(DllRadioTest, AClanTagInANicknameIsShownAsText) {
    host.findConnection(1)->findClient(7)->nickname = "[ABC] Bob";
    char* data = nullptr;
    p.infoData(1, 7, PLUGIN_CLIENT, &data);
    ASSERT_NE(data, nullptr);
    EXPECT_NE(std::string(data).find("Name:       [color=#990000][\xE2\x80\x8B"
                                     "ABC] Bob[/color]\n"),
              std::string::npos)
        << data;
    p.freeMemory(data);
}

TEST_F(DllRadioTest, EstablishedConnectionWritesItsLogAndAsksForTheOwnClient) {
    p.onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    EXPECT_THAT(host.callsTo("requestClientVariables"), ElementsAre("requestClientVariables(1,5,null)"));
    ASSERT_EQ(host.logLines().size(), 1u);
    EXPECT_EQ(host.logLines()[0].text, "Tandrel Plugin v1.0 by Orvelle loaded");
    EXPECT_EQ(host.logLines()[0].channel, "Plugin");
    EXPECT_EQ(host.callsTo("getChannelVariableAsString").size(), 1u);
}

TEST_F(DllRadioTest, BadAnswersFromTheHostAreSurvived) {
    buildMenus();
    std::string longList;
    while (longList.size() < 10000)
        longList += "8,";
    host.findConnection(1)->findClient(5)->serverGroups = longList + adminGroup;
    p.registerPluginID("tandrel-id");
    ASSERT_EQ(host.menuEnabled().size(), 8u) << "every admin item was set";
    for (const auto& [id, value] : host.menuEnabled())
        EXPECT_EQ(value, 1) << id;
    EXPECT_EQ(host.logLines().at(0).text.size(), 511u);

    host.inject("getClientVariableAsString", {0, true});
    host.inject("getServerVariableAsString", {0, true});
    host.inject("getChannelList", {0, true});
    p.onUpdateClientEvent(1, 5, 0, nullptr, nullptr);
    p.onClientSelfVariableUpdateEvent(1, CLIENT_SERVERGROUPS, nullptr, nullptr);
    p.onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 0, 0);
    p.onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    char* data = nullptr;
    p.infoData(1, 0, PLUGIN_SERVER, &data);
    ASSERT_NE(data, nullptr);
    p.freeMemory(data);
    p.initMenus(nullptr, nullptr);
    p.infoData(1, 0, PLUGIN_SERVER, nullptr);
    EXPECT_THAT(host.sentMessages(), IsEmpty());
}

}  // namespace
}  // namespace tandrel::testing
