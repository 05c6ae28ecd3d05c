// Menu events: the command each item stands for, and the search for the bot that receives it.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "deployment_config.h"
#include "plugin_test.h"
#include "radio/bot_commands.h"
#include "settings_builders.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Five stations, the second and fourth disabled: the menu shows stations 0, 2 and 4 (n = 3, b = 7).
class BotCommandTest : public PluginTest {
  protected:
    BotCommandTest() {
        for (int i = 0; i < 5; ++i) {
            appendStation(pluginSettings, "S" + std::to_string(i),
                          "https://radio.example/" + std::to_string(i), i % 2 == 0);
        }
        PluginMenuItem** items = nullptr;
        ts3plugin_initMenus(&items, nullptr);
        for (int i = 0; items[i] != nullptr; ++i)
            ts3plugin_freeMemory(items[i]);
        ts3plugin_freeMemory(items);
        FakeConnection& server = host.addConnection(1, 2);
        server.addClient(2, "ownUid0000000000000000000000=", "Me");
        server.addClient(3, "someoneElse00000000000000000=", "Other");
        server.addClient(9, BOT_UID, "Radio");
    }

    std::vector<std::string> sentTexts() const {
        std::vector<std::string> texts;
        for (const FakePrivateMessage& message : host.sentMessages())
            texts.push_back(message.text);
        return texts;
    }
};

struct CommandCase {
    int type;
    int id;
    const char* command;  // null: no command
};

// Every item of both menus (client IDs 0 to 6, channel IDs 7 to 13), then IDs just outside each menu,
// the extremes of an int, and types that are neither menu.
TEST_F(BotCommandTest, EachItemStandsForItsCommand) {
    const CommandCase cases[] = {
        {PLUGIN_MENU_TYPE_CLIENT, 0, "!subscribe"},
        {PLUGIN_MENU_TYPE_CLIENT, 1, "!unsubscribe"},
        {PLUGIN_MENU_TYPE_CLIENT, 2, "!subscribe channel"},
        {PLUGIN_MENU_TYPE_CLIENT, 3, "!unsubscribe channel"},
        {PLUGIN_MENU_TYPE_CLIENT, 4, "!play https://radio.example/0"},
        {PLUGIN_MENU_TYPE_CLIENT, 5, "!play https://radio.example/2"},
        {PLUGIN_MENU_TYPE_CLIENT, 6, "!play https://radio.example/4"},
        {PLUGIN_MENU_TYPE_CLIENT, 7, nullptr},
        {PLUGIN_MENU_TYPE_CLIENT, -1, nullptr},
        {PLUGIN_MENU_TYPE_CLIENT, 0x7FFFFFFF, nullptr},
        {PLUGIN_MENU_TYPE_CHANNEL, 7, "!subscribe"},
        {PLUGIN_MENU_TYPE_CHANNEL, 8, "!unsubscribe"},
        {PLUGIN_MENU_TYPE_CHANNEL, 9, "!subscribe channel"},
        {PLUGIN_MENU_TYPE_CHANNEL, 10, "!unsubscribe channel"},
        {PLUGIN_MENU_TYPE_CHANNEL, 11, "!play https://radio.example/0"},
        {PLUGIN_MENU_TYPE_CHANNEL, 12, "!play https://radio.example/2"},
        {PLUGIN_MENU_TYPE_CHANNEL, 13, "!play https://radio.example/4"},
        {PLUGIN_MENU_TYPE_CHANNEL, 14, nullptr},
        {PLUGIN_MENU_TYPE_CHANNEL, 6, nullptr},
        {PLUGIN_MENU_TYPE_CHANNEL, -2147483647 - 1, nullptr},
        {0, 0, nullptr},
        {3, 0, nullptr},
        {-1, 4, nullptr},
    };
    for (const CommandCase& c : cases) {
        host.clearCalls();
        ts3plugin_onMenuItemEvent(1, c.type, c.id, 12345);
        if (c.command == nullptr) {
            EXPECT_THAT(host.calls(), IsEmpty()) << "type " << c.type << " id " << c.id;
        } else {
            EXPECT_THAT(sentTexts(), ElementsAre(c.command)) << "type " << c.type << " id " << c.id;
        }
    }
}

TEST_F(BotCommandTest, SearchesTheBotReleasesEverythingThenSends) {
    ts3plugin_onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 0, 3);
    EXPECT_THAT(
        host.calls(),
        ElementsAre("getClientList(1)", "getClientVariableAsString(1,2,0)",
                    "freeMemory(\"ownUid0000000000000000000000=\")", "getClientVariableAsString(1,3,0)",
                    "freeMemory(\"someoneElse00000000000000000=\")", "getClientVariableAsString(1,9,0)",
                    "freeMemory(\"" + std::string(BOT_UID) + "\")", "freeMemory(clientList(1))",
                    "requestSendPrivateTextMsg(1,\"!subscribe\",9,null)"));
}

TEST_F(BotCommandTest, OnlyTheFirstClientWithTheBotsIdentifierReceives) {
    host.findConnection(1)->addClient(11, BOT_UID, "Second radio");
    ts3plugin_onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 1, 0);
    ASSERT_EQ(host.sentMessages().size(), 1u);
    EXPECT_EQ(host.sentMessages()[0].target, 9);
    EXPECT_EQ(host.callsTo("getClientVariableAsString").size(), 3u) << "the search stops at the bot";
}

TEST_F(BotCommandTest, IdentifierMustMatchExactly) {
    std::string lower = BOT_UID;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string upper = BOT_UID;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    FakeConnection& server = host.addConnection(2, 1);
    server.addClient(4, lower == BOT_UID ? upper : lower);
    server.addClient(5, std::string(BOT_UID) + "x");
    server.addClient(6, std::string(BOT_UID).substr(0, 27));
    ts3plugin_onMenuItemEvent(2, PLUGIN_MENU_TYPE_CLIENT, 0, 0);
    EXPECT_THAT(host.sentMessages(), IsEmpty());
    EXPECT_EQ(host.callsTo("freeMemory").size(), 4u);
}

TEST_F(BotCommandTest, ClientWhoseIdentifierFailsIsSkipped) {
    host.failCall("getClientVariableAsString", 1, 1);
    host.inject("getClientVariableAsString", {0, true}, 2);
    ts3plugin_onMenuItemEvent(1, PLUGIN_MENU_TYPE_CHANNEL, 7, 0);
    EXPECT_THAT(sentTexts(), ElementsAre("!subscribe"));
}

// A command that cannot reach the bot: one line in that connection's server tab for the user, one
// warning in the client's log, and nothing sent.
struct UndeliveredCase {
    const char* name;
    void (*arrange)(FakeHost& fake);
    uint64 connection;
    std::vector<std::string> calls;
};

const std::string BOT_FREED = "freeMemory(\"" + std::string(BOT_UID) + "\")";

TEST_F(BotCommandTest, AnUndeliveredCommandIsToldInTheServerTabAndLogged) {
    const UndeliveredCase cases[] = {
        {"client list unreadable",
         [](FakeHost& fake) { fake.failCall("getClientList", 1537); },
         1,
         {"getClientList(1)",
          "printMessage(1,\"Tandrel: Clientliste nicht lesbar, Radio-Befehl nicht gesendet\",0)",
          "logMessage(\"Tandrel: radio command not sent: getClientList failed (error "
          "1537)\",2,\"Plugin\",1)"}},
        {"bot not on the server",
         [](FakeHost& fake) { fake.addConnection(2, 1).addClient(4, "someoneElse00000000000000000="); },
         2,
         {"getClientList(2)", "getClientVariableAsString(2,4,0)",
          "freeMemory(\"someoneElse00000000000000000=\")", "freeMemory(clientList(2))",
          "printMessage(2,\"Tandrel: Radio-Bot nicht gefunden\",0)",
          "logMessage(\"Tandrel: radio command not sent: radio bot not on this server\",2,\"Plugin\",2)"}},
        {"no clients at all",
         [](FakeHost& fake) { fake.addConnection(3, 1); },
         3,
         {"getClientList(3)", "freeMemory(clientList(3))",
          "printMessage(3,\"Tandrel: Radio-Bot nicht gefunden\",0)",
          "logMessage(\"Tandrel: radio command not sent: radio bot not on this server\",2,\"Plugin\",3)"}},
        {"success without a list",
         [](FakeHost& fake) {
             fake.inject("getClientList", {0, true});
         },
         1,
         {"getClientList(1)", "printMessage(1,\"Tandrel: Radio-Bot nicht gefunden\",0)",
          "logMessage(\"Tandrel: radio command not sent: radio bot not on this server\",2,\"Plugin\",1)"}},
        {"sending fails",
         [](FakeHost& fake) { fake.failCall("requestSendPrivateTextMsg", 1540); },
         1,
         {"getClientList(1)", "getClientVariableAsString(1,2,0)",
          "freeMemory(\"ownUid0000000000000000000000=\")", "getClientVariableAsString(1,3,0)",
          "freeMemory(\"someoneElse00000000000000000=\")", "getClientVariableAsString(1,9,0)", BOT_FREED,
          "freeMemory(clientList(1))", "requestSendPrivateTextMsg(1,\"!subscribe\",9,null)",
          "printMessage(1,\"Tandrel: Radio-Befehl konnte nicht gesendet werden\",0)",
          "logMessage(\"Tandrel: radio command not sent: requestSendPrivateTextMsg failed (error 1540)\",2,"
          "\"Plugin\",1)"}},
    };
    for (const UndeliveredCase& c : cases) {
        SCOPED_TRACE(c.name);
        host.clearFaults();
        c.arrange(host);
        host.clearCalls();
        ts3plugin_onMenuItemEvent(c.connection, PLUGIN_MENU_TYPE_CLIENT, 0, 0);
        EXPECT_THAT(host.calls(), ::testing::ElementsAreArray(c.calls));
        EXPECT_THAT(host.sentMessages(), IsEmpty());
        ASSERT_EQ(host.printedMessages().size(), 1u);
        EXPECT_EQ(host.printedMessages()[0].target, PLUGIN_MESSAGE_TARGET_SERVER);
        ASSERT_EQ(host.logLines().size(), 1u);
        EXPECT_EQ(host.logLines()[0].severity, LogLevel_WARNING);
        EXPECT_EQ(host.outstandingAllocations(), 0u);
    }
}

TEST_F(BotCommandTest, StationItemPlaysWhatTheTableHoldsNowAtItsIndex) {
    // After a confirmed settings window removed stations, the menus still have their old layout.
    std::strcpy(pluginSettings.stations[2].url, "https://radio.example/replaced");
    pluginSettings.stationCount = 1;
    ts3plugin_onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 5, 0);
    ts3plugin_onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 6, 0);
    EXPECT_THAT(sentTexts(),
                ElementsAre("!play https://radio.example/replaced", "!play https://radio.example/4"));
}

TEST_F(BotCommandTest, LongestUrlFitsTheCommand) {
    std::string url(255, 'u');
    std::strcpy(pluginSettings.stations[0].url, url.c_str());
    ts3plugin_onMenuItemEvent(1, PLUGIN_MENU_TYPE_CLIENT, 4, 0);
    EXPECT_THAT(sentTexts(), ElementsAre("!play " + url));
}

}  // namespace
}  // namespace tandrel::testing
