// The admin gate: reading the group list, the evaluation with its log lines, and the events that
// trigger it.
#include <map>
#include <string>
#include <vector>

#include "deployment_config.h"
#include "plugin_test.h"
#include "radio/admin_gate.h"
#include "settings_builders.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::string A = std::to_string(ADMIN_GROUP_IDS[0]);
const std::string B = std::to_string(ADMIN_GROUP_IDS[1]);
// A group ID that is neither administrators' group.
const std::string other = std::to_string(ADMIN_GROUP_IDS[0] + ADMIN_GROUP_IDS[1] + 1);

struct GroupListCase {
    std::string list;
    int admin;
};

TEST(IsRadioAdmin, ReadsTheListTokenByToken) {
    const GroupListCase cases[] = {
        {A, 1},
        {B, 1},
        {other + "," + A, 1},
        {other + " " + B + "," + other, 1},
        {other + ", ," + A, 1},
        {",, " + A + " ,", 1},
        {A + "x", 1},    // digits up to the first non-digit
        {"+" + A, 1},    // an optional sign
        {"000" + A, 1},  // leading zeros
        {"\t" + A, 1},   // leading white space inside a token is skipped
        {"", 0},
        {", ,, ", 0},
        {other, 0},
        {other + "," + other, 0},
        {"-" + A, 0},  // negative values are skipped
        {"0", 0},
        {"x" + A, 0},           // no leading digits: 0
        {other + "\t" + A, 0},  // a tab is no separator
        {A + "1", 0},
        {"99999999999999999999" + A, 0},  // beyond the range of int: no group
    };
    for (const GroupListCase& c : cases) {
        EXPECT_EQ(isRadioAdmin(c.list.c_str()), c.admin) << "'" << c.list << "'";
    }
    EXPECT_EQ(isRadioAdmin(nullptr), 0);
}

TEST(IsRadioAdmin, ExaminesAListOfAnyLength) {
    std::string list;
    while (list.size() < 10000)
        list += other + ",";
    EXPECT_EQ(isRadioAdmin(list.c_str()), 0);
    EXPECT_EQ(isRadioAdmin((list + A).c_str()), 1);
}

class AdminGateTest : public PluginTest {
  protected:
    AdminGateTest() {
        for (int i = 0; i < 3; ++i)
            appendStation(pluginSettings, "S" + std::to_string(i), "u", 1);
        PluginMenuItem** items = nullptr;
        ts3plugin_initMenus(&items, nullptr);
        for (int i = 0; items[i] != nullptr; ++i)
            ts3plugin_freeMemory(items[i]);
        ts3plugin_freeMemory(items);
    }

    // n = 3, b = 7: the admin items in the order the gate sets them.
    const std::vector<int> adminItems = {2, 3, 9, 10, 4, 11, 5, 12, 6, 13};

    std::vector<std::string> menuCalls(int enabled) const {
        std::vector<std::string> calls;
        for (int id : adminItems) {
            calls.push_back("setPluginMenuEnabled(\"id\"," + std::to_string(id) + "," +
                            std::to_string(enabled) + ")");
        }
        return calls;
    }

    // The host's record of the admin items when the last evaluation set each of them to enabled.
    std::map<int, int> everyAdminItemAt(int enabled) const {
        std::map<int, int> items;
        for (int id : adminItems)
            items[id] = enabled;
        return items;
    }

    static std::vector<std::string> joined(std::vector<std::string> head,
                                           const std::vector<std::string>& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    }
};

TEST_F(AdminGateTest, AdministratorGetsTheAdminItemsEnabled) {
    host.addConnection(1, 5).addClient(5, "me", "Me", other + "," + A);
    ts3plugin_registerPluginID("id");
    std::string list = "\"" + other + "," + A + "\"";
    EXPECT_THAT(
        host.calls(),
        ElementsAreArray(
            joined({"getServerConnectionHandlerList()", "getClientID(1)", "getClientVariableAsString(1,5,34)",
                    "logMessage(\"Tandrel: SERVER_GROUPS='" + other + "," + A + "' admin=1\",4,\"Plugin\",1)",
                    "freeMemory(" + list + ")"},
                   joined(menuCalls(1), {"freeMemory(connectionList)"}))));
}

TEST_F(AdminGateTest, EverybodyElseKeepsThemDisabled) {
    host.addConnection(1, 5).addClient(5, "me", "Me", other);
    ts3plugin_registerPluginID("id");
    EXPECT_EQ(host.logLines().at(0).text, "Tandrel: SERVER_GROUPS='" + other + "' admin=0");
    EXPECT_EQ(host.menuEnabled(), everyAdminItemAt(0));
    EXPECT_EQ(host.menuCallIds().size(), adminItems.size());
}

TEST_F(AdminGateTest, PersonalItemsAreNeverTouched) {
    host.addConnection(1, 5).addClient(5, "me", "Me", A);
    ts3plugin_registerPluginID("id");
    ts3plugin_onClientSelfVariableUpdateEvent(1, CLIENT_SERVERGROUPS, A.c_str(), other.c_str());
    tandrelOwnClientEvent(1, 5);
    for (int id : host.menuCallIds()) {
        EXPECT_TRUE(id != 0 && id != 1 && id != 7 && id != 8) << id;
    }
}

TEST_F(AdminGateTest, FailedOwnIdLookupWarnsAndLeavesTheItems) {
    host.addConnection(1, 5);
    host.failCall("getClientID", 1);
    ts3plugin_registerPluginID("id");
    EXPECT_THAT(host.calls(), ElementsAre("getServerConnectionHandlerList()", "getClientID(1)",
                                          "logMessage(\"Tandrel: getClientID failed\",2,\"Plugin\",1)",
                                          "freeMemory(connectionList)"));
}

TEST_F(AdminGateTest, FailedGroupLookupWarnsAndDisables) {
    host.addConnection(1, 5).addClient(5, "me", "Me", A);
    host.failCall("getClientVariableAsString", 1);
    ts3plugin_registerPluginID("id");
    EXPECT_THAT(
        host.calls(),
        ElementsAreArray(joined(
            {"getServerConnectionHandlerList()", "getClientID(1)", "getClientVariableAsString(1,5,34)",
             "logMessage(\"Tandrel: getClientVariableAsString(CLIENT_SERVERGROUPS) failed\",2,\"Plugin\",1)"},
            joined(menuCalls(0), {"freeMemory(connectionList)"}))));
}

TEST_F(AdminGateTest, NullGroupListFromTheHostIsLoggedAsNullAndDisables) {
    host.addConnection(1, 5).addClient(5, "me", "Me", A);
    host.inject("getClientVariableAsString", {0, true});
    ts3plugin_registerPluginID("id");
    EXPECT_EQ(host.logLines().at(0).text, "Tandrel: SERVER_GROUPS='(null)' admin=0");
    EXPECT_EQ(host.menuEnabled(), everyAdminItemAt(0));
}

TEST_F(AdminGateTest, LongGroupListIsDecidedWholeAndLoggedCut) {
    std::string list;
    while (list.size() < 10000)
        list += other + ",";
    list += B;
    host.addConnection(1, 5).addClient(5, "me", "Me", list);
    ts3plugin_registerPluginID("id");
    const std::string line = host.logLines().at(0).text;
    EXPECT_EQ(line.size(), 511u);
    EXPECT_EQ(line.rfind("Tandrel: SERVER_GROUPS='" + other + ",", 0), 0u);
    EXPECT_EQ(host.menuEnabled(), everyAdminItemAt(1));
}

// The host's text is UTF-8; the cut at 511 bytes falls before a character that does not fit whole,
// wherever the limit falls inside it.
TEST_F(AdminGateTest, LogLineIsCutAtACharacterBoundary) {
    const std::string start = "Tandrel: SERVER_GROUPS='";
    const std::size_t room = 511 - start.size();
    host.addConnection(1, 5).addClient(5, "me", "Me");
    ts3plugin_registerPluginID("id");
    for (std::size_t shift = 0; shift < 3; ++shift) {
        std::string euros;
        for (int i = 0; i < 300; ++i)
            euros += "\xE2\x82\xAC";
        host.findConnection(1)->findClient(5)->serverGroups = std::string(shift, '8') + euros;
        host.clearCalls();
        tandrelOwnClientEvent(1, 5);
        ASSERT_EQ(host.logLines().size(), 1u);
        const std::size_t whole = (room - shift) / 3;
        EXPECT_EQ(host.logLines()[0].text, start + std::string(shift, '8') + euros.substr(0, 3 * whole))
            << "shift " << shift;
    }
}

TEST_F(AdminGateTest, LastConnectionOfTheListDecides) {
    host.addConnection(1, 5).addClient(5, "me", "Me", A);
    host.addConnection(2, 6).addClient(6, "me2", "Me", other);
    ts3plugin_registerPluginID("id");
    EXPECT_EQ(host.logLines().size(), 2u);
    EXPECT_EQ(host.logLines()[0].logId, 1u);
    EXPECT_EQ(host.logLines()[1].logId, 2u);
    EXPECT_EQ(host.menuEnabled(), everyAdminItemAt(0));
    EXPECT_EQ(host.menuCallIds().size(), 2 * adminItems.size());
}

TEST_F(AdminGateTest, ConnectionWithFailedOwnIdLeavesTheEarlierDecision) {
    host.addConnection(1, 5).addClient(5, "me", "Me", A);
    host.addConnection(2, 6);
    host.failCall("getClientID", 1, 2);
    ts3plugin_registerPluginID("id");
    EXPECT_EQ(host.menuEnabled(), everyAdminItemAt(1));
}

TEST_F(AdminGateTest, SelfVariableUpdateOfTheGroupsSetsTheItemsWithoutAsking) {
    ts3plugin_registerPluginID("id");
    host.clearCalls();
    ts3plugin_onClientSelfVariableUpdateEvent(1, CLIENT_SERVERGROUPS, other.c_str(),
                                              (other + "," + A).c_str());
    EXPECT_THAT(host.calls(), ElementsAreArray(menuCalls(1)));
    host.clearCalls();
    ts3plugin_onClientSelfVariableUpdateEvent(1, CLIENT_SERVERGROUPS, A.c_str(), nullptr);
    EXPECT_THAT(host.calls(), ElementsAreArray(menuCalls(0)));
}

TEST_F(AdminGateTest, SelfVariableUpdateOfAnotherFlagOrBeforeRegistrationDoesNothing) {
    ts3plugin_onClientSelfVariableUpdateEvent(1, CLIENT_SERVERGROUPS, "", A.c_str());
    ts3plugin_registerPluginID("id");
    host.clearCalls();
    for (int flag : {int{CLIENT_NICKNAME}, CLIENT_SERVERGROUPS + 1, -1, 0x7FFFFFFF}) {
        ts3plugin_onClientSelfVariableUpdateEvent(1, flag, "", A.c_str());
    }
    EXPECT_THAT(host.calls(), IsEmpty());
}

TEST_F(AdminGateTest, EventForAnotherClientOnlyAsksForTheOwnId) {
    host.addConnection(1, 5).addClient(5, "me", "Me", A);
    ts3plugin_registerPluginID("id");
    host.clearCalls();
    tandrelOwnClientEvent(1, 9);
    EXPECT_THAT(host.calls(), ElementsAre("getClientID(1)"));
}

TEST_F(AdminGateTest, EventForTheOwnClientEvaluatesAgain) {
    host.addConnection(1, 5).addClient(5, "me", "Me", other);
    ts3plugin_registerPluginID("id");
    host.findConnection(1)->findClient(5)->serverGroups = A;
    host.clearCalls();
    tandrelOwnClientEvent(1, 5);
    EXPECT_THAT(
        host.calls(),
        ElementsAreArray(joined({"getClientID(1)", "getClientID(1)", "getClientVariableAsString(1,5,34)",
                                 "logMessage(\"Tandrel: SERVER_GROUPS='" + A + "' admin=1\",4,\"Plugin\",1)",
                                 "freeMemory(\"" + A + "\")"},
                                menuCalls(1))));
}

TEST_F(AdminGateTest, EventWithoutOwnIdOrBeforeRegistrationIsSilent) {
    host.addConnection(1, 5).addClient(5, "me", "Me", A);
    tandrelOwnClientEvent(1, 5);  // not registered yet: the own ID is asked, then nothing
    EXPECT_THAT(host.calls(), ElementsAre("getClientID(1)"));
    ts3plugin_registerPluginID("id");
    host.clearCalls();
    host.failCall("getClientID", 1);
    tandrelOwnClientEvent(1, 5);
    tandrelOwnClientEvent(77, 5);  // a connection the host does not know
    EXPECT_THAT(host.calls(), ElementsAre("getClientID(1)", "getClientID(77)"));
    EXPECT_THAT(host.logLines(), IsEmpty());
}

}  // namespace
}  // namespace tandrel::testing
