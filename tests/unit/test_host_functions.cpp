// The wrappers around the host table: out values only on success, no call through an empty slot,
// and host memory given back exactly once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

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
    char folder[16] = "untouched";
    EXPECT_FALSE(host::getConfigPath(folder, sizeof folder));
}

// The configuration folder as the host writes it into the plug-in's buffer: how much it writes, and
// whether it terminates it, is the host's part; the wrapper takes only a whole, terminated folder.
struct ConfigPathCase {
    const char* name;
    std::string answer;  // written from the buffer's start, cut to its size
    bool terminated;     // false: the host leaves the buffer without a NUL
    bool accepted;
    std::string folder;  // what the plug-in takes, when accepted
};

void PrintTo(const ConfigPathCase& c, std::ostream* out) {
    *out << c.name;
}

const ConfigPathCase* currentConfigPathCase = nullptr;

void answerConfigPath(char* path, size_t maxLen) {
    const ConfigPathCase& c = *currentConfigPathCase;
    const std::size_t length = c.answer.size() < maxLen ? c.answer.size() : maxLen;
    std::memcpy(path, c.answer.data(), length);
    if (c.terminated && length < maxLen) {
        path[length] = '\0';
    }
}

constexpr std::size_t CONFIG_BUFFER = 24;

class HostConfigPath : public ::testing::TestWithParam<ConfigPathCase> {};

TEST_P(HostConfigPath, TakesOnlyAWholeFolderEndingInASlash) {
    const ConfigPathCase& c = GetParam();
    currentConfigPathCase = &c;
    TS3Functions table{};
    table.getConfigPath = answerConfigPath;
    host::installFunctionTable(table);
    char folder[CONFIG_BUFFER];
    std::memset(folder, 'x', sizeof folder);
    EXPECT_EQ(host::getConfigPath(folder, sizeof folder), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(std::string(folder), c.folder);
    }
    host::installFunctionTable(TS3Functions{});
}

INSTANTIATE_TEST_SUITE_P(
    Answers, HostConfigPath,
    ::testing::Values(ConfigPathCase{"Usual", "/home/me/.ts3client/", true, true, "/home/me/.ts3client/"},
                      ConfigPathCase{"WithoutSlash", "/home/me/.ts3", true, true, "/home/me/.ts3/"},
                      ConfigPathCase{"SlashFillsTheLastByteButOne", std::string(21, 'a') + "/", true, true,
                                     std::string(21, 'a') + "/"},
                      ConfigPathCase{"SlashAddedIntoTheLastRoom", std::string(21, 'a'), true, true,
                                     std::string(21, 'a') + "/"},
                      ConfigPathCase{"Empty", "", true, false, ""},
                      ConfigPathCase{"FillsTheBufferMaybeCut", std::string(CONFIG_BUFFER - 1, 'a'), true,
                                     false, ""},
                      ConfigPathCase{"Unterminated", std::string(40, 'a'), false, false, ""}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tandrel::testing
