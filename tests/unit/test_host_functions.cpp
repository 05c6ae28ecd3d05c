// The wrappers around the host table: out values only on success, no call through an empty slot,
// and host memory given back exactly once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_host.h"
#include "host/host_functions.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class HostFunctionsTest : public ::testing::Test {
  protected:
    HostFunctionsTest() {
        host::installFunctionTable(fake.table());
        FakeConnection& server = fake.addConnection(1, 7);
        server.addClient(7, "ownUid", "Me", "8");
    }
    ~HostFunctionsTest() override { EXPECT_THAT(fake.problems(), IsEmpty()); }

    FakeHost fake;
};

TEST_F(HostFunctionsTest, StringIsTakenOverOnSuccessAndReleasedOnce) {
    {
        host::HostString nickname;
        ASSERT_EQ(host::getClientVariableAsString(1, 7, CLIENT_NICKNAME, nickname), 0u);
        EXPECT_STREQ(nickname.get(), "Me");
        nickname.release();
        nickname.release();
        EXPECT_EQ(nickname.get(), nullptr);
    }
    EXPECT_THAT(fake.calls(), ElementsAre("getClientVariableAsString(1,7,1)", "freeMemory(\"Me\")"));
}

TEST_F(HostFunctionsTest, ValuesAreLeftAloneWhenTheHostFails) {
    fake.failCall("getClientID", 1537);
    fake.failCall("getClientVariableAsString", 1537);
    anyID client = 42;
    host::HostString text;
    EXPECT_EQ(host::getClientID(1, client), 1537u);
    EXPECT_EQ(host::getClientVariableAsString(1, 7, CLIENT_NICKNAME, text), 1537u);
    EXPECT_EQ(client, 42);
    EXPECT_EQ(text.get(), nullptr);
}

TEST_F(HostFunctionsTest, DestructorReleasesWhatWasNotReleasedEarlier) {
    {
        host::HostIdList connections;
        ASSERT_EQ(host::getServerConnectionHandlerList(connections), 0u);
        EXPECT_EQ(connections.get()[0], 1u);
        EXPECT_EQ(connections.get()[1], 0u);
    }
    EXPECT_EQ(fake.outstandingAllocations(), 0u);
}

TEST_F(HostFunctionsTest, PrintMessagePassesTheConnectionTextAndTab) {
    host::printMessage(3, "Tandrel: Hallo", PLUGIN_MESSAGE_TARGET_CHANNEL);
    EXPECT_THAT(fake.calls(), ElementsAre("printMessage(3,\"Tandrel: Hallo\",1)"));
}

TEST(HostFunctionsWithoutTable, EmptySlotsAnswerAnErrorInsteadOfBeingCalled) {
    host::installFunctionTable(TS3Functions{});
    anyID client = 0;
    int value = 0;
    host::HostString text;
    host::HostIdList list;
    host::HostClientList clients;
    EXPECT_EQ(host::getClientID(1, client), host::ERROR_FUNCTION_MISSING);
    EXPECT_EQ(host::getClientLibVersion(text), host::ERROR_FUNCTION_MISSING);
    EXPECT_EQ(host::getServerVariableAsInt(1, VIRTUALSERVER_ICON_ID, value), host::ERROR_FUNCTION_MISSING);
    EXPECT_EQ(host::getServerConnectionHandlerList(list), host::ERROR_FUNCTION_MISSING);
    EXPECT_EQ(host::getClientList(1, clients), host::ERROR_FUNCTION_MISSING);
    EXPECT_EQ(host::requestSendPrivateTextMsg(1, "!subscribe", 2), host::ERROR_FUNCTION_MISSING);
    host::logMessage("nowhere to go", LogLevel_INFO, 1);
    host::setPluginMenuEnabled("id", 2, 0);
    host::printMessage(1, "nowhere to show", PLUGIN_MESSAGE_TARGET_SERVER);
    host::freeMemory(&value);  // no host to give it to: ignored, not passed to the C heap
}

}  // namespace
}  // namespace tandrel::testing
