// The info-panel blocks: their exact text, the switches, failing queries and the heap.
#include <string>
#include <vector>

#include "heap_counter.h"
#include "plugin_test.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class InfoPanelTest : public PluginTest {
  protected:
    InfoPanelTest() {
        FakeConnection& server = host.addConnection(1, 5);
        server.serverName = "Tandrel";
        server.serverUniqueId = "srvUid=";
        server.serverIp = "203.0.113.7";
        server.serverId = "12";
        server.serverIconId = -7;
        server.addChannel(0x100000002ull, "Lounge").iconId = 300;
        FakeClient& client = server.addClient(5, "clientUid=", "Alice");
        client.talkPower = 75;
        client.databaseId = 42;
        client.iconId = -1;
    }

    // The text for one item, released as the host does.
    std::string info(uint64 itemId, int type, bool* wasNull = nullptr) {
        char* data = reinterpret_cast<char*>(0x1);
        ts3plugin_infoData(1, itemId, type, &data);
        if (wasNull != nullptr)
            *wasNull = data == nullptr;
        std::string text = data != nullptr ? data : "";
        ts3plugin_freeMemory(data);
        return text;
    }

    void showAll() {
        pluginSettings.showServerInfo = pluginSettings.showChannelInfo = pluginSettings.showClientInfo = 1;
    }
};

TEST_F(InfoPanelTest, SwitchedOffBlocksGiveNoTextAndAskNothing) {
    bool wasNull = false;
    for (int type : {PLUGIN_SERVER, PLUGIN_CHANNEL, PLUGIN_CLIENT}) {
        info(5, type, &wasNull);
        EXPECT_TRUE(wasNull) << type;
    }
    EXPECT_THAT(host.calls(), IsEmpty());
}

TEST_F(InfoPanelTest, ServerBlock) {
    pluginSettings.showServerInfo = 5;
    EXPECT_EQ(info(0, PLUGIN_SERVER),
              "[B]Server[/B]\n"
              "Name:      [color=#990000]Tandrel[/color]\n"
              "UID:       [color=#990000]srvUid=[/color]\n"
              "IP:        [color=#990000]203.0.113.7[/color]\n"
              "Server ID: [color=#990000]12[/color]\n"
              "Icon ID:   [color=#990000]-7[/color]");
    EXPECT_THAT(host.calls(),
                ElementsAre("getServerVariableAsString(1,1)", "getServerVariableAsString(1,0)",
                            "getServerVariableAsString(1,74)", "getServerVariableAsString(1,39)",
                            "getServerVariableAsInt(1,67)", "freeMemory(\"Tandrel\")",
                            "freeMemory(\"srvUid=\")", "freeMemory(\"203.0.113.7\")", "freeMemory(\"12\")"));
}

TEST_F(InfoPanelTest, ChannelBlockShowsTheFull64BitId) {
    pluginSettings.showChannelInfo = 1;
    EXPECT_EQ(info(0x100000002ull, PLUGIN_CHANNEL),
              "[B]Channel[/B]\n"
              "Name:    [color=#990000]Lounge[/color]\n"
              "ID:      [color=#990000]4294967298[/color]\n"
              "Icon ID: [color=#990000]300[/color]");
    EXPECT_THAT(host.calls(),
                ElementsAre("getChannelVariableAsString(1,4294967298,0)",
                            "getChannelVariableAsInt(1,4294967298,31)", "freeMemory(\"Lounge\")"));
}

TEST_F(InfoPanelTest, ClientBlockUsesTheLow16BitsOfTheItemId) {
    pluginSettings.showClientInfo = 1;
    EXPECT_EQ(info(0x7FFF00000005ull, PLUGIN_CLIENT),
              "[B]Client[/B]\n"
              "Name:       [color=#990000]Alice[/color]\n"
              "UID:        [color=#990000]clientUid=[/color]\n"
              "Client ID:  [color=#990000]5[/color]\n"
              "DB ID:      [color=#990000]42[/color]\n"
              "Talk Power: [color=#990000]75[/color]\n"
              "Icon ID:    [color=#990000]-1[/color]");
    EXPECT_THAT(
        host.calls(),
        ElementsAre("getClientVariableAsString(1,5,1)", "getClientVariableAsString(1,5,0)",
                    "getClientVariableAsInt(1,5,42)", "getClientVariableAsInt(1,5,32)",
                    "getClientVariableAsInt(1,5,56)", "freeMemory(\"Alice\")", "freeMemory(\"clientUid=\")"));
}

TEST_F(InfoPanelTest, OnlyTheSwitchedOnKindIsShown) {
    pluginSettings.showChannelInfo = 1;
    bool wasNull = false;
    info(0, PLUGIN_SERVER, &wasNull);
    EXPECT_TRUE(wasNull);
    info(5, PLUGIN_CLIENT, &wasNull);
    EXPECT_TRUE(wasNull);
    info(0x100000002ull, PLUGIN_CHANNEL, &wasNull);
    EXPECT_FALSE(wasNull);
}

TEST_F(InfoPanelTest, OtherItemTypesGiveNoText) {
    showAll();
    bool wasNull = false;
    for (int type : {-1, 3, 1000}) {
        info(5, type, &wasNull);
        EXPECT_TRUE(wasNull);
    }
    EXPECT_THAT(host.calls(), IsEmpty());
}

// Each query of a block failing in turn: one error line, no text, no later query, every string
// obtained so far released.
struct FailingQuery {
    int type;
    const char* function;
    int nth;
    std::size_t callsBeforeRelease;  // queries made, the failing one included
    std::size_t stringsReleased;
    const char* logLine;
};

TEST_F(InfoPanelTest, FailedQueriesAreLoggedOnceAndReleaseWhatWasObtained) {
    const FailingQuery cases[] = {
        {PLUGIN_SERVER, "getServerVariableAsString", 1, 1, 0, "Error querying server info"},
        {PLUGIN_SERVER, "getServerVariableAsString", 3, 3, 2, "Error querying server info"},
        {PLUGIN_SERVER, "getServerVariableAsString", 4, 4, 3, "Error querying server info"},
        {PLUGIN_SERVER, "getServerVariableAsInt", 1, 5, 4, "Error querying server info"},
        {PLUGIN_CHANNEL, "getChannelVariableAsString", 1, 1, 0, "Error querying channel info"},
        {PLUGIN_CHANNEL, "getChannelVariableAsInt", 1, 2, 1, "Error querying channel info"},
        {PLUGIN_CLIENT, "getClientVariableAsString", 1, 1, 0, "Error querying client info"},
        {PLUGIN_CLIENT, "getClientVariableAsString", 2, 2, 1, "Error querying client info"},
        {PLUGIN_CLIENT, "getClientVariableAsInt", 2, 4, 2, "Error querying client info"},
        {PLUGIN_CLIENT, "getClientVariableAsInt", 3, 5, 2, "Error querying client info"},
    };
    showAll();
    for (const FailingQuery& c : cases) {
        host.clearCalls();
        host.clearFaults();
        host.failCall(c.function, 1537, c.nth);
        const uint64 item = c.type == PLUGIN_CHANNEL ? 0x100000002ull : 5;
        bool wasNull = false;
        info(item, c.type, &wasNull);
        std::string label = std::string(c.function) + " #" + std::to_string(c.nth);
        EXPECT_TRUE(wasNull) << label;
        std::vector<std::string> calls = host.calls();
        ASSERT_EQ(calls.size(), c.callsBeforeRelease + 1 + c.stringsReleased) << label;
        EXPECT_EQ(calls[c.callsBeforeRelease],
                  "logMessage(\"" + std::string(c.logLine) + "\",1,\"Plugin\",1)")
            << label;
        EXPECT_EQ(host.callsTo("freeMemory").size(), c.stringsReleased) << label;
        EXPECT_EQ(host.outstandingAllocations(), 0u) << label;
    }
}

TEST_F(InfoPanelTest, NullStringsFromTheHostPrintAsEmpty) {
    pluginSettings.showChannelInfo = 1;
    host.inject("getChannelVariableAsString", {0, true});
    EXPECT_EQ(info(0x100000002ull, PLUGIN_CHANNEL),
              "[B]Channel[/B]\nName:    [color=#990000][/color]\nID:      [color=#990000]4294967298[/color]\n"
              "Icon ID: [color=#990000]300[/color]");
}

TEST_F(InfoPanelTest, BlockIsAlways1024BytesAndLongTextIsCut) {
    pluginSettings.showServerInfo = 1;
    host.findConnection(1)->serverName = std::string(2000, 'N');
    HeapCounter heap;
    char* data = nullptr;
    ts3plugin_infoData(1, 0, PLUGIN_SERVER, &data);
    ASSERT_NE(data, nullptr);
    EXPECT_THAT(heap.sizes(), ElementsAre(1024u));
    EXPECT_EQ(std::string(data).size(), 1023u);
    EXPECT_EQ(std::string(data).rfind("[B]Server[/B]\nName:      [color=#990000]NNN", 0), 0u);
    ts3plugin_freeMemory(data);

    host.findConnection(1)->serverName = "short";
    ts3plugin_infoData(1, 0, PLUGIN_SERVER, &data);
    EXPECT_THAT(heap.sizes(), ElementsAre(1024u, 1024u));
    ts3plugin_freeMemory(data);
}

// Host text is shown as it is: a zero-width space after each "[" keeps it from forming a tag, and
// text without "[" goes in unchanged.
const std::string ZWSP = "\xE2\x80\x8B";

struct LiteralCase {
    const char* name;
    std::string hostText;
    std::string shown;
};

const LiteralCase literalCases[] = {
    {"plain", "Alice", "Alice"},
    {"umlauts and sharp s", "J\xC3\xBCrgen Gro\xC3\x9F", "J\xC3\xBCrgen Gro\xC3\x9F"},
    {"closing bracket only", "Max] ]", "Max] ]"},
    {"clan tag", "[ABC] Max", "[" + ZWSP + "ABC] Max"},
    {"image that the viewer would fetch", "[img]http://host/x.png[/img]",
     "[" + ZWSP + "img]http://host/x.png[" + ZWSP + "/img]"},
    {"closing our colour early", "[/color][color=#00FF00]green",
     "[" + ZWSP + "/color][" + ZWSP + "color=#00FF00]green"},
    {"link", "[url=http://x.example/]click[/url]",
     "[" + ZWSP + "url=http://x.example/]click[" + ZWSP + "/url]"},
    {"brackets in a row", "[[b]]", "[" + ZWSP + "[" + ZWSP + "b]]"},
    {"bracket at the end", "Max [", "Max [" + ZWSP},
};

TEST_F(InfoPanelTest, HostTextIsShownLiterallyInEveryField) {
    showAll();
    FakeConnection& server = *host.findConnection(1);
    for (const LiteralCase& c : literalCases) {
        server.serverName = c.hostText;
        server.serverUniqueId = c.hostText + "u";
        server.serverIp = c.hostText + "i";
        server.serverId = c.hostText + "s";
        server.channels[0].name = c.hostText + "c";
        server.clients[0].nickname = c.hostText + "n";
        server.clients[0].uniqueId = c.hostText + "q";
        EXPECT_EQ(info(0, PLUGIN_SERVER),
                  "[B]Server[/B]\n"
                  "Name:      [color=#990000]" +
                      c.shown +
                      "[/color]\n"
                      "UID:       [color=#990000]" +
                      c.shown +
                      "u[/color]\n"
                      "IP:        [color=#990000]" +
                      c.shown +
                      "i[/color]\n"
                      "Server ID: [color=#990000]" +
                      c.shown +
                      "s[/color]\n"
                      "Icon ID:   [color=#990000]-7[/color]")
            << c.name;
        EXPECT_EQ(info(0x100000002ull, PLUGIN_CHANNEL),
                  "[B]Channel[/B]\n"
                  "Name:    [color=#990000]" +
                      c.shown +
                      "c[/color]\n"
                      "ID:      [color=#990000]4294967298[/color]\n"
                      "Icon ID: [color=#990000]300[/color]")
            << c.name;
        EXPECT_EQ(info(5, PLUGIN_CLIENT),
                  "[B]Client[/B]\n"
                  "Name:       [color=#990000]" +
                      c.shown +
                      "n[/color]\n"
                      "UID:        [color=#990000]" +
                      c.shown +
                      "q[/color]\n"
                      "Client ID:  [color=#990000]5[/color]\n"
                      "DB ID:      [color=#990000]42[/color]\n"
                      "Talk Power: [color=#990000]75[/color]\n"
                      "Icon ID:    [color=#990000]-1[/color]")
            << c.name;
    }
}

// The cut at 1023 bytes falls on a character boundary, and never between a "[" of host text and its
// zero-width space: each case shifts the text by one more byte, so the cut meets every position.
TEST_F(InfoPanelTest, CutAt1023BytesKeepsCharactersAndBracketsWhole) {
    pluginSettings.showClientInfo = 1;
    const std::string before = "[B]Client[/B]\nName:       [color=#990000]";
    const std::size_t room = 1023 - before.size();
    for (std::size_t shift = 0; shift < 4; ++shift) {
        const std::string pad(shift, 'a');
        std::string umlauts;
        std::string brackets;
        for (int i = 0; i < 600; ++i) {
            umlauts += "\xC3\xBC";
            brackets += "[";
        }
        std::string bracketsShown;
        for (std::size_t i = 0; i < (room - shift) / 4; ++i) {
            bracketsShown += "[" + ZWSP;
        }
        std::string umlautsShown;
        for (std::size_t i = 0; i < (room - shift) / 2; ++i) {
            umlautsShown += "\xC3\xBC";
        }
        host.findConnection(1)->clients[0].nickname = pad + umlauts;
        EXPECT_EQ(info(5, PLUGIN_CLIENT), before + pad + umlautsShown) << "shift " << shift;
        host.findConnection(1)->clients[0].nickname = pad + brackets;
        EXPECT_EQ(info(5, PLUGIN_CLIENT), before + pad + bracketsShown) << "shift " << shift;
    }
}

TEST_F(InfoPanelTest, ExhaustedHeapGivesNoTextNoLogAndReleasesTheStrings) {
    showAll();
    HeapCounter heap({1, 2, 3});
    bool wasNull = false;
    info(0, PLUGIN_SERVER, &wasNull);
    EXPECT_TRUE(wasNull);
    info(0x100000002ull, PLUGIN_CHANNEL, &wasNull);
    EXPECT_TRUE(wasNull);
    info(5, PLUGIN_CLIENT, &wasNull);
    EXPECT_TRUE(wasNull);
    EXPECT_THAT(host.logLines(), IsEmpty());
    EXPECT_EQ(host.outstandingAllocations(), 0u);
}

TEST_F(InfoPanelTest, NullOutPointerIsSurvived) {
    showAll();
    ts3plugin_infoData(1, 0, PLUGIN_SERVER, nullptr);
    EXPECT_THAT(host.calls(), IsEmpty());
}

}  // namespace
}  // namespace tandrel::testing
