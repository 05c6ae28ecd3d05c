// The shipped library (the DLL under Wine, the Linux library natively), loaded and driven the way the
// client does it: its exports (and a DLL's imports), identity answers before start-up, one start-up
// to shutdown cycle against the fake host, and loading and unloading again and again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "fake_host.h"
#include "plugin_library.h"
#include "test_files.h"

namespace tandrel::testing {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// Every name the client looks for; the DLL must export exactly these.
const std::vector<std::string> expectedExports = {
    "ts3plugin_apiVersion",
    "ts3plugin_author",
    "ts3plugin_configure",
    "ts3plugin_description",
    "ts3plugin_displayKeyText",
    "ts3plugin_freeMemory",
    "ts3plugin_infoData",
    "ts3plugin_infoTitle",
    "ts3plugin_init",
    "ts3plugin_initMenus",
    "ts3plugin_keyDeviceName",
    "ts3plugin_keyPrefix",
    "ts3plugin_name",
    "ts3plugin_offersConfigure",
    "ts3plugin_onAvatarUpdated",
    "ts3plugin_onBanListEvent",
    "ts3plugin_onChannelClientPermListEvent",
    "ts3plugin_onChannelClientPermListFinishedEvent",
    "ts3plugin_onChannelDescriptionUpdateEvent",
    "ts3plugin_onChannelGroupListEvent",
    "ts3plugin_onChannelGroupListFinishedEvent",
    "ts3plugin_onChannelGroupPermListEvent",
    "ts3plugin_onChannelGroupPermListFinishedEvent",
    "ts3plugin_onChannelMoveEvent",
    "ts3plugin_onChannelPasswordChangedEvent",
    "ts3plugin_onChannelPermListEvent",
    "ts3plugin_onChannelPermListFinishedEvent",
    "ts3plugin_onChannelSubscribeEvent",
    "ts3plugin_onChannelSubscribeFinishedEvent",
    "ts3plugin_onChannelUnsubscribeEvent",
    "ts3plugin_onChannelUnsubscribeFinishedEvent",
    "ts3plugin_onClientBanFromServerEvent",
    "ts3plugin_onClientChannelGroupChangedEvent",
    "ts3plugin_onClientChatClosedEvent",
    "ts3plugin_onClientChatComposingEvent",
    "ts3plugin_onClientDBIDfromUIDEvent",
    "ts3plugin_onClientDisplayNameChanged",
    "ts3plugin_onClientIDsEvent",
    "ts3plugin_onClientIDsFinishedEvent",
    "ts3plugin_onClientKickFromChannelEvent",
    "ts3plugin_onClientKickFromServerEvent",
    "ts3plugin_onClientMoveEvent",
    "ts3plugin_onClientMoveMovedEvent",
    "ts3plugin_onClientMoveSubscriptionEvent",
    "ts3plugin_onClientMoveTimeoutEvent",
    "ts3plugin_onClientNamefromDBIDEvent",
    "ts3plugin_onClientNamefromUIDEvent",
    "ts3plugin_onClientNeededPermissionsEvent",
    "ts3plugin_onClientNeededPermissionsFinishedEvent",
    "ts3plugin_onClientPermListEvent",
    "ts3plugin_onClientPermListFinishedEvent",
    "ts3plugin_onClientPokeEvent",
    "ts3plugin_onClientSelfVariableUpdateEvent",
    "ts3plugin_onClientServerQueryLoginPasswordEvent",
    "ts3plugin_onComplainListEvent",
    "ts3plugin_onConnectStatusChangeEvent",
    "ts3plugin_onConnectionInfoEvent",
    "ts3plugin_onCustom3dRolloffCalculationClientEvent",
    "ts3plugin_onCustom3dRolloffCalculationWaveEvent",
    "ts3plugin_onDelChannelEvent",
    "ts3plugin_onEditCapturedVoiceDataEvent",
    "ts3plugin_onEditMixedPlaybackVoiceDataEvent",
    "ts3plugin_onEditPlaybackVoiceDataEvent",
    "ts3plugin_onEditPostProcessVoiceDataEvent",
    "ts3plugin_onFileInfoEvent",
    "ts3plugin_onFileListEvent",
    "ts3plugin_onFileListFinishedEvent",
    "ts3plugin_onFileTransferStatusEvent",
    "ts3plugin_onHotkeyEvent",
    "ts3plugin_onHotkeyRecordedEvent",
    "ts3plugin_onIncomingClientQueryEvent",
    "ts3plugin_onMenuItemEvent",
    "ts3plugin_onMessageGetEvent",
    "ts3plugin_onMessageListEvent",
    "ts3plugin_onNewChannelCreatedEvent",
    "ts3plugin_onNewChannelEvent",
    "ts3plugin_onPermissionListEvent",
    "ts3plugin_onPermissionListFinishedEvent",
    "ts3plugin_onPermissionListGroupEndIDEvent",
    "ts3plugin_onPermissionOverviewEvent",
    "ts3plugin_onPermissionOverviewFinishedEvent",
    "ts3plugin_onPlaybackShutdownCompleteEvent",
    "ts3plugin_onPluginCommandEvent",
    "ts3plugin_onServerConnectionInfoEvent",
    "ts3plugin_onServerEditedEvent",
    "ts3plugin_onServerErrorEvent",
    "ts3plugin_onServerGroupByClientIDEvent",
    "ts3plugin_onServerGroupClientAddedEvent",
    "ts3plugin_onServerGroupClientDeletedEvent",
    "ts3plugin_onServerGroupClientListEvent",
    "ts3plugin_onServerGroupListEvent",
    "ts3plugin_onServerGroupListFinishedEvent",
    "ts3plugin_onServerGroupPermListEvent",
    "ts3plugin_onServerGroupPermListFinishedEvent",
    "ts3plugin_onServerLogEvent",
    "ts3plugin_onServerLogFinishedEvent",
    "ts3plugin_onServerPermissionErrorEvent",
    "ts3plugin_onServerStopEvent",
    "ts3plugin_onServerTemporaryPasswordListEvent",
    "ts3plugin_onServerUpdatedEvent",
    "ts3plugin_onSoundDeviceListChangedEvent",
    "ts3plugin_onTalkStatusChangeEvent",
    "ts3plugin_onTextMessageEvent",
    "ts3plugin_onUpdateChannelEditedEvent",
    "ts3plugin_onUpdateChannelEvent",
    "ts3plugin_onUpdateClientEvent",
    "ts3plugin_onUserLoggingMessageEvent",
    "ts3plugin_registerPluginID",
    "ts3plugin_setFunctionPointers",
    "ts3plugin_shutdown",
    "ts3plugin_version",
};

class DllTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded())
            << "cannot load " << PluginLibrary::path() << ": " << PluginLibrary::loadError();
        ASSERT_THAT(library.missing(), IsEmpty());
    }

    PluginLibrary library;
};

TEST_F(DllTest, ExportsExactlyTheClientsEntryPoints) {
    std::vector<std::string> names = exportedNames(library);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names.size(), 111u);
    EXPECT_THAT(names, ElementsAreArray(expectedExports));
}

TEST_F(DllTest, ImportsOnlyWindowsSystemDlls) {
#ifndef _WIN32
    GTEST_SKIP()
        << "a Windows DLL's imports; the Linux library's needed libraries are checked by the release check";
#else
    const std::set<std::string> systemDlls = {"kernel32.dll", "user32.dll", "gdi32.dll",
                                              "shell32.dll",  "msvcrt.dll", "advapi32.dll"};
    std::vector<std::string> imports = importedDlls(library.module());
    EXPECT_FALSE(imports.empty());
    for (std::string dll : imports) {
        std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_TRUE(systemDlls.count(dll)) << dll << " is not part of Windows";
    }
#endif
}

TEST_F(DllTest, AnswersItsIdentityBeforeStartUp) {
    const PluginEntryPoints& p = library.plugin();
    EXPECT_STREQ(p.name(), "Tandrel Plugin");
    EXPECT_STREQ(p.version(), "1.0");
    EXPECT_EQ(p.apiVersion(), 26);
    EXPECT_STREQ(p.author(), "Orvelle");
    EXPECT_STREQ(p.description(), "Tandrel TeamSpeak plugin");
    EXPECT_STREQ(p.infoTitle(), "Tandrel Info");
    EXPECT_EQ(p.offersConfigure(), 1);
}

#if defined(__i386__)
// How far the stack pointer moves across one call of body with nine 32-bit argument words pushed
// before it and removed after it by the caller, as the client's cdecl calls do: 0 when the body
// leaves its arguments to the caller, 36 when it pops them itself.
long stackDriftOfCall(void* body) {
    long drift = 0;
    asm volatile(
        "movl %%esp, %%edi\n\t"
        "pushl $0\n\tpushl $0\n\tpushl $0\n\tpushl $0\n\tpushl $0\n\t"
        "pushl $0\n\tpushl $0\n\tpushl $0\n\tpushl $0\n\t"
        "call *%1\n\t"
        "addl $36, %%esp\n\t"
        "movl %%esp, %0\n\t"
        "subl %%edi, %0\n\t"
        "movl %%edi, %%esp\n\t"
        : "=&r"(drift)
        : "r"(body)
        : "eax", "ecx", "edx", "edi", "memory", "cc");
    return drift;
}

// The shape a wrongly declared shared body would have: it pops its own 36 bytes of arguments.
void __stdcall popsItsOwnArguments(uint64, anyID, uint64, uint64, int, const char*) {}
#endif

TEST_F(DllTest, SharedBodiesTakeTheHostsFullArgumentLists) {
    const PluginEntryPoints& p = library.plugin();
    EXPECT_EQ(p.onTextMessageEvent(1, 1, 2, 3, "someone", "uid=", "!play", 0), 0);
    EXPECT_EQ(p.keyDeviceName("key"), nullptr);
    // An event without a body of its own (the shared empty body), with the host's arguments.
    using MoveEvent = void (*)(uint64, anyID, uint64, uint64, int, const char*);
    auto onClientMove = reinterpret_cast<MoveEvent>(library.entryPoint("ts3plugin_onClientMoveEvent"));
    ASSERT_NE(onClientMove, nullptr);
    onClientMove(1, 2, 3, 4, 5, "moved");
    EXPECT_EQ(p.apiVersion(), 26);
    p.freeMemory(nullptr);
}

// Under 32-bit cdecl the caller removes the arguments, so one empty body serves every event whatever
// its argument list; a body that removed them itself would leave the client's stack off by their size.
TEST_F(DllTest, SharedBodiesLeaveTheArgumentsToTheCaller) {
#if defined(__i386__)
    ASSERT_EQ(stackDriftOfCall(reinterpret_cast<void*>(popsItsOwnArguments)), 36)
        << "the measure sees a body that pops its arguments";
    for (const char* name :
         {"ts3plugin_onClientMoveEvent", "ts3plugin_onTextMessageEvent", "ts3plugin_onServerErrorEvent"}) {
        void* body = library.entryPoint(name);
        ASSERT_NE(body, nullptr) << name;
        EXPECT_EQ(stackDriftOfCall(body), 0) << name;
    }
#else
    GTEST_SKIP() << "64-bit code has one calling convention, in which the caller always owns the stack";
#endif
}

TEST_F(DllTest, StartsRegistersAndShutsDownAgainstTheHost) {
    TempDir appData;
    writeBytes(
        makeClientPluginFolder(appData.path()) / "TandrelPlugin.ini",
        "show_server_info=1\r\nstation_count=1\r\nstation_0_label=Jazz\r\nstation_0_url=https://j\r\n");
    ScopedEnv env("APPDATA", appData.path().string());
    {
        FakeHost host;
        host.addConnection(1, 5);
        host.addConnection(2, 6);
        const PluginEntryPoints& p = library.plugin();
        p.setFunctionPointers(host.table());
        EXPECT_EQ(p.init(), 0);
        host.clearCalls();  // what start-up asked (where the file lives) is not the point here
        p.registerPluginID("tandrel-id");
        p.registerPluginID("tandrel-id-again");
        p.shutdown();
        p.shutdown();
        std::vector<std::string> calls = host.calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), "getServerConnectionHandlerList()");
        EXPECT_EQ(host.callsTo("freeMemory").size(), 2u);
        EXPECT_THAT(host.problems(), IsEmpty());
    }
}

// Each unload must really take the library out of the process: a plug-in switched off and on again
// starts with fresh records, not with what its last run left behind.
TEST(DllReload, LoadsAndUnloadsRepeatedly) {
    ASSERT_FALSE(libraryIsLoaded(PluginLibrary::path())) << "nothing else holds the library";
    for (int i = 0; i < 20; ++i) {
        {
            PluginLibrary library;
            ASSERT_TRUE(library.loaded()) << PluginLibrary::loadError();
            ASSERT_TRUE(libraryIsLoaded(PluginLibrary::path())) << "the check sees a loaded library";
            FakeHost host;
            library.plugin().setFunctionPointers(host.table());
            EXPECT_EQ(library.plugin().init(), 0);
            library.plugin().registerPluginID("id");
            library.plugin().shutdown();
            EXPECT_THAT(host.problems(), IsEmpty());
        }
        ASSERT_FALSE(libraryIsLoaded(PluginLibrary::path()))
            << "cycle " << i << ": still loaded after unloading";
    }
}

}  // namespace
}  // namespace tandrel::testing
