// Identity answers, registration with its walk over the open connections, shutdown and the
// release of handed-out memory.
#include <cstring>
#include <string>

#include "plugin_identity.h"
#include "plugin_test.h"
#include "settings_builders.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PluginIdentity, AnswersAreFixedAndNeedNoInitialisation) {
    EXPECT_STREQ(ts3plugin_name(), "Tandrel Plugin");
    EXPECT_STREQ(ts3plugin_version(), "1.0");
    EXPECT_EQ(ts3plugin_apiVersion(), 26);
    EXPECT_STREQ(ts3plugin_author(), "Orvelle");
    EXPECT_STREQ(ts3plugin_description(), "Tandrel TeamSpeak plugin");
    EXPECT_STREQ(ts3plugin_infoTitle(), "Tandrel Info");
    EXPECT_EQ(ts3plugin_offersConfigure(), 1);
    EXPECT_EQ(ts3plugin_name(), ts3plugin_name()) << "the same static text on every call";
}

using SharedBodyTest = PluginTest;

TEST_F(SharedBodyTest, ReturnZeroAnswersZeroAndIgnoredEventsTouchNothing) {
    EXPECT_EQ(tandrelReturnZero(), 0);
    const PluginSettings before = pluginSettings;
    tandrelIgnoreEvent();
    EXPECT_THAT(host.calls(), IsEmpty());
    EXPECT_EQ(std::memcmp(&before, &pluginSettings, sizeof before), 0);
    EXPECT_EQ(pluginHeap.outstandingBlocks(), 0u);
}

using RegistrationTest = PluginTest;

TEST_F(RegistrationTest, KeepsACopyOfTheId) {
    std::string id = "tandrel-plugin-id";
    ts3plugin_registerPluginID(id.c_str());
    id.assign("overwritten by the host");
    ASSERT_NE(pluginId, nullptr);
    EXPECT_STREQ(pluginId, "tandrel-plugin-id");
}

TEST_F(RegistrationTest, WithNoOpenConnectionReleasesTheEmptyList) {
    ts3plugin_registerPluginID("id");
    EXPECT_THAT(host.calls(), ElementsAre("getServerConnectionHandlerList()", "freeMemory(connectionList)"));
}

TEST_F(RegistrationTest, WalksTheConnectionsAndReleasesTheListOnce) {
    host.addConnection(3, 1);
    host.addConnection(1, 1);
    host.addConnection(2, 1);
    ts3plugin_registerPluginID("id");
    std::vector<std::string> calls = host.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "getServerConnectionHandlerList()");
    EXPECT_EQ(calls.back(), "freeMemory(connectionList)");
    EXPECT_THAT(host.callsTo("getClientID"),
                ElementsAre("getClientID(3)", "getClientID(1)", "getClientID(2)"));
    EXPECT_THAT(host.callsTo("freeMemory"), ElementsAre("freeMemory(connectionList)"));
}

TEST_F(RegistrationTest, FailedListQueryKeepsTheIdAndReleasesNothing) {
    host.failCall("getServerConnectionHandlerList", 1);
    ts3plugin_registerPluginID("id");
    EXPECT_STREQ(pluginId, "id");
    EXPECT_THAT(host.calls(), ElementsAre("getServerConnectionHandlerList()"));
}

TEST_F(RegistrationTest, SecondRegistrationReplacesTheFirstCopy) {
    ts3plugin_registerPluginID("first");
    ts3plugin_registerPluginID("second");
    EXPECT_STREQ(pluginId, "second");
    EXPECT_EQ(pluginHeap.outstandingBlocks(), 1u) << "only the second copy is held";
}

TEST_F(RegistrationTest, NullIdFromTheHostLeavesThePluginUnregistered) {
    ts3plugin_registerPluginID("first");
    host.clearCalls();
    ts3plugin_registerPluginID(nullptr);
    EXPECT_EQ(pluginId, nullptr);
    EXPECT_THAT(host.calls(), IsEmpty());
}

using ShutdownTest = PluginTest;

TEST_F(ShutdownTest, ReleasesTheIdAndASecondCallDoesNothing) {
    ts3plugin_registerPluginID("id");
    host.clearCalls();
    ts3plugin_shutdown();
    EXPECT_EQ(pluginId, nullptr);
    EXPECT_EQ(pluginHeap.outstandingBlocks(), 0u) << "the copy of the ID is released";
    ts3plugin_shutdown();
    EXPECT_EQ(pluginId, nullptr);
    EXPECT_THAT(host.calls(), IsEmpty()) << "shutdown neither logs nor touches a menu item";
}

TEST_F(ShutdownTest, WithoutRegistrationDoesNothing) {
    ts3plugin_shutdown();
    EXPECT_EQ(pluginId, nullptr);
    EXPECT_THAT(host.calls(), IsEmpty());
}

using FreeMemoryTest = PluginTest;

// What the plug-in handed to the host comes back through ts3plugin_freeMemory, into the same heap.
TEST_F(FreeMemoryTest, ReleasesWhatThePluginHandedOutAndIgnoresNull) {
    appendStation(pluginSettings, "Jazz", "https://j.example/", 1);
    PluginMenuItem** items = nullptr;
    char* icon = nullptr;
    ts3plugin_initMenus(&items, &icon);
    ASSERT_NE(items, nullptr);
    const std::size_t handedOut = pluginHeap.outstandingBlocks();
    ASSERT_GT(handedOut, 1u) << "the array and its items";
    std::size_t released = 0;
    for (PluginMenuItem** item = items; *item != nullptr; ++item) {
        ts3plugin_freeMemory(*item);
        ++released;
    }
    ts3plugin_freeMemory(items);
    ++released;
    EXPECT_EQ(released, handedOut);
    EXPECT_EQ(pluginHeap.outstandingBlocks(), 0u);
    ts3plugin_freeMemory(nullptr);
    EXPECT_THAT(pluginHeap.problems(), IsEmpty());
}

}  // namespace
}  // namespace tandrel::testing
