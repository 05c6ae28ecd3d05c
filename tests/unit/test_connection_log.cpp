// The connection log: the order of its host calls, its lines in the host's log and on standard
// output, and where each failure ends it.
#include <cstdio>
#include <string>
#include <vector>

#include "info/connection_log.h"
#include "plugin_test.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ConnectionLogTest : public PluginTest {
  protected:
    ConnectionLogTest() : output(std::tmpfile()) {
        connectionLogOutput = output;
        FakeConnection& server = host.addConnection(1, 5);
        server.serverName = "Tandrel";
        server.addClient(5, "me=", "Alice");
        server.addChannel(1, "Lobby");
        server.addChannel(0x100000000ull, "Big");
    }
    ~ConnectionLogTest() override {
        connectionLogOutput = stdout;
        std::fclose(output);
    }

    std::string printed() {
        std::fflush(output);
        std::rewind(output);
        std::string text;
        for (int c; (c = std::fgetc(output)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }

    const std::string loaded = "logMessage(\"Tandrel Plugin v1.0 by Orvelle loaded\",4,\"Plugin\",1)";
    std::FILE* output;
};

TEST_F(ConnectionLogTest, EstablishedConnectionLogsEverythingInOrder) {
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    EXPECT_THAT(
        host.calls(),
        ElementsAre("getClientID(1)", "requestClientVariables(1,5,null)", "getClientLibVersion()",
                    "freeMemory(\"3.6.2 [Build: 1690976575]\")", loaded, "getServerVariableAsString(1,1)",
                    "freeMemory(\"Tandrel\")", "getClientID(1)", "getClientSelfVariableAsString(1,1)",
                    "freeMemory(\"Alice\")", "getChannelList(1)", "getChannelVariableAsString(1,1,0)",
                    "freeMemory(\"Lobby\")", "getChannelVariableAsString(1,4294967296,0)",
                    "freeMemory(\"Big\")", "freeMemory(channelList(1))"));
    EXPECT_EQ(printed(),
              "[Tandrel] Clientlib: 3.6.2 [Build: 1690976575]\n"
              "[Tandrel] Server: Tandrel\n"
              "[Tandrel] Me - ID: 5, nick: Alice\n"
              "[Tandrel]   Ch 1: Lobby\n"
              "[Tandrel]   Ch 4294967296: Big\n");
}

TEST_F(ConnectionLogTest, OtherStatusesDoNothing) {
    for (int status : {0, 1, 2, 3, 5, -1}) {
        ts3plugin_onConnectStatusChangeEvent(1, status, 0);
    }
    EXPECT_THAT(host.calls(), IsEmpty());
    EXPECT_EQ(printed(), "");
}

TEST_F(ConnectionLogTest, FailingLibVersionAndOwnIdSkipOnlyTheirOwnSteps) {
    host.failCall("getClientID", 1, 1);
    host.failCall("getClientLibVersion", 1);
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    EXPECT_TRUE(host.callsTo("requestClientVariables").empty());
    EXPECT_EQ(host.calls()[2], loaded);
    EXPECT_EQ(printed(),
              "[Tandrel] Server: Tandrel\n[Tandrel] Me - ID: 5, nick: Alice\n[Tandrel]   Ch 1: Lobby\n"
              "[Tandrel]   Ch 4294967296: Big\n");
}

TEST_F(ConnectionLogTest, ServerNotYetAvailableEndsTheLogSilently) {
    host.failCall("getServerVariableAsString", HOST_ERROR_NOT_CONNECTED);
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    std::vector<std::string> calls = host.calls();
    EXPECT_EQ(calls.back(), "getServerVariableAsString(1,1)");
    EXPECT_EQ(host.logLines().size(), 1u) << "only the loaded line";
    EXPECT_EQ(printed(), "[Tandrel] Clientlib: 3.6.2 [Build: 1690976575]\n");
}

TEST_F(ConnectionLogTest, OtherServerNameErrorIsLoggedAndEndsTheLog) {
    host.failCall("getServerVariableAsString", 1540);
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    EXPECT_EQ(host.calls().back(), "logMessage(\"Error querying server name\",1,\"Plugin\",1)");
    EXPECT_EQ(printed(), "[Tandrel] Clientlib: 3.6.2 [Build: 1690976575]\n");
}

TEST_F(ConnectionLogTest, OwnClientLineIsSkippedWhenEitherLookupFails) {
    host.failCall("getClientSelfVariableAsString", 1);
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    host.clearFaults();
    host.clearCalls();
    host.failCall("getClientID", 1, 2);
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    EXPECT_TRUE(host.callsTo("getClientSelfVariableAsString").empty());
    std::string text = printed();
    EXPECT_EQ(text.find("Me - ID"), std::string::npos);
    EXPECT_NE(text.find("Ch 1: Lobby"), std::string::npos);
}

TEST_F(ConnectionLogTest, ChannelsWhoseNameFailsAreLeftOut) {
    host.failCall("getChannelVariableAsString", 1, 1);
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    std::string text = printed();
    EXPECT_EQ(text.find("Lobby"), std::string::npos);
    EXPECT_NE(text.find("[Tandrel]   Ch 4294967296: Big\n"), std::string::npos);
}

TEST_F(ConnectionLogTest, NoChannelsOrNoListStillReleaseWhatTheHostGave) {
    host.findConnection(1)->channels.clear();
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    EXPECT_EQ(host.calls().back(), "freeMemory(channelList(1))");
    host.clearCalls();
    host.failCall("getChannelList", 1);
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    EXPECT_EQ(host.calls().back(), "getChannelList(1)");
}

TEST_F(ConnectionLogTest, EachEstablishedConnectionGetsItsOwnLog) {
    host.addConnection(2, 8).addClient(8, "me2=", "Bob");
    ts3plugin_onConnectStatusChangeEvent(1, STATUS_CONNECTION_ESTABLISHED, 0);
    ts3plugin_onConnectStatusChangeEvent(2, STATUS_CONNECTION_ESTABLISHED, 0);
    EXPECT_THAT(host.callsTo("requestClientVariables"),
                ElementsAre("requestClientVariables(1,5,null)", "requestClientVariables(2,8,null)"));
    EXPECT_EQ(host.logLines().size(), 2u);
    EXPECT_NE(printed().find("[Tandrel] Me - ID: 8, nick: Bob\n"), std::string::npos);
}

}  // namespace
}  // namespace tandrel::testing
