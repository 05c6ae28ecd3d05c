// A stand-in for the voice-chat client, for trying the plug-in without a client: it loads the built
// library the way the client does (the Linux library natively, a DLL under Wine), serves it a fake
// server with a few clients (one of them the radio bot), channels and server groups, and takes
// commands from standard input. Every host call the plug-in makes is printed as it happens, and so is
// every command that reaches the bot.
//
//   script/try [linux_amd64|win32|win64]        then type "help"
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "deployment_config.h"
#include "fake_host.h"
#include "plugin_library.h"

using namespace tandrel;
using namespace tandrel::testing;

namespace {

constexpr uint64 CONNECTION = 1;
constexpr anyID OWN_CLIENT = 2;
constexpr anyID BOT_CLIENT = 7;

const std::string adminGroup = std::to_string(ADMIN_GROUP_IDS[0]);
const std::string guestGroup = "8";

struct MenuEntry {
    int type;
    int id;
    std::string text;
};

class SimulatedClient {
  public:
    SimulatedClient() {
        FakeConnection& server = host_.addConnection(CONNECTION, OWN_CLIENT);
        server.serverName = "Tandrel Community";
        server.addClient(OWN_CLIENT, "youYouYouYouYouYouYouYou000=", "You", guestGroup);
        server.addClient(3, "aliceAliceAliceAliceAlice00=", "Alice", guestGroup);
        server.addClient(5, "bobBobBobBobBobBobBobBob000=", "Bob", guestGroup + "," + adminGroup);
        FakeClient& bot = server.addClient(BOT_CLIENT, BOT_UID, "Radio", guestGroup);
        bot.talkPower = 100;
        server.addChannel(1, "Lobby");
        server.addChannel(2, "Music").iconId = 42;
        server.addChannel(4294967296ull, "AFK");
        host_.callObserver = [](const std::string& call) { std::printf("  host <- %s\n", call.c_str()); };
        // The client's configuration folder, where the plug-in keeps its settings file (script/try
        // makes one in the build tree); without it, the Windows client's folder under APPDATA.
        if (const char* folder = std::getenv("TANDREL_CLIENT_CONFIG_PATH")) {
            host_.configPath = folder;
        }
    }

    bool start() {
        if (!library_.loaded()) {
            std::printf("cannot load %s (%s)\n", PluginLibrary::path().c_str(), PluginLibrary::loadError().c_str());
            return false;
        }
        std::printf("loaded %s: %s %s by %s, interface %d\n", PluginLibrary::path().c_str(), p().name(),
                    p().version(), p().author(), p().apiVersion());
        p().setFunctionPointers(host_.table());
        std::printf("init -> %d\n", p().init());
        buildMenus();
        p().registerPluginID("tandrel-simulated");
        printNewLogLines();
        return true;
    }

    // True when the host's ledger is clean at the end.
    bool stop() {
        if (windowOpen_) {
            std::printf("the settings window is open; shutdown closes it\n");
        }
        p().shutdown();
        if (configureThread_.joinable())
            configureThread_.join();
        std::vector<std::string> problems = host_.problems();
        std::printf("shutdown; host ledger: %s\n", problems.empty() ? "clean" : "NOT clean");
        for (const std::string& problem : problems)
            std::printf("  %s\n", problem.c_str());
        return problems.empty();
    }

    // One command line; false ends the session.
    bool run(const std::string& line) {
        bool goOn = dispatch(line);
        printNewLogLines();
        return goOn;
    }

  private:
    bool dispatch(const std::string& line) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command.empty() || command[0] == '#')
            return true;
        if (command == "quit" || command == "exit")
            return false;
        if (command == "help")
            return help();
        if (command == "menus")
            return listMenus();
        if (command == "choose")
            return choose(words);
        if (command == "admin")
            return switchAdmin(words);
        if (command == "info")
            return info(words);
        if (command == "connect")
            return connect();
        if (command == "settings")
            return openSettings();
        if (command == "clients")
            return listClients();
        std::printf("unknown command '%s'; try help\n", command.c_str());
        return true;
    }

    const PluginEntryPoints& p() const { return library_.plugin(); }

    bool help() {
        std::printf(
            "  menus                       the context-menu items and whether they are enabled\n"
            "  choose <id> [on <client>]   choose an item of the client menu (the default)\n"
            "  choose <id> channel         choose an item of the channel menu\n"
            "  admin on|off                put your own client into or out of the admins' group\n"
            "  info server | channel <id> | client <id>   the info-panel text\n"
            "  connect                     the connection is established (log and own-client request)\n"
            "  clients                     the fake server's clients and their groups\n"
            "  settings                    Settings: the window, or on Linux the file in the desktop's editor\n"
            "  quit                        shut the plug-in down and unload it\n");
        return true;
    }

    void buildMenus() {
        PluginMenuItem** items = nullptr;
        char* icon = nullptr;
        p().initMenus(&items, &icon);
        menus_.clear();
        for (int i = 0; items != nullptr && items[i] != nullptr; ++i) {
            menus_.push_back({items[i]->type, items[i]->id, items[i]->text});
            p().freeMemory(items[i]);
        }
        p().freeMemory(items);
    }

    bool listMenus() {
        std::map<int, int> enabled = host_.menuEnabled();
        for (const MenuEntry& entry : menus_) {
            auto state = enabled.find(entry.id);
            bool on = state == enabled.end() || state->second != 0;
            std::printf("  %-7s %3d  %-40s %s\n",
                        entry.type == PLUGIN_MENU_TYPE_CLIENT ? "client" : "channel", entry.id,
                        entry.text.c_str(), on ? "" : "(disabled)");
        }
        return true;
    }

    bool choose(std::istringstream& words) {
        int id = -1;
        std::string where;
        words >> id >> where;
        int type = where == "channel" ? PLUGIN_MENU_TYPE_CHANNEL : PLUGIN_MENU_TYPE_CLIENT;
        std::size_t sentBefore = host_.sentMessages().size();
        p().onMenuItemEvent(CONNECTION, type, id, 3);
        std::vector<FakePrivateMessage> sent = host_.sentMessages();
        for (std::size_t i = sentBefore; i < sent.size(); ++i) {
            std::printf("  bot (client %d) receives: %s\n", sent[i].target, sent[i].text.c_str());
        }
        if (sent.size() == sentBefore)
            std::printf("  nothing was sent\n");
        return true;
    }

    bool switchAdmin(std::istringstream& words) {
        std::string state;
        words >> state;
        FakeClient* self = host_.findConnection(CONNECTION)->findClient(OWN_CLIENT);
        std::string oldGroups = self->serverGroups;
        self->serverGroups = state == "on" ? guestGroup + "," + adminGroup : guestGroup;
        std::printf("your server groups: %s\n", self->serverGroups.c_str());
        // The client reports the change twice: as a new value of the own variable, and as a group event.
        p().onClientSelfVariableUpdateEvent(CONNECTION, CLIENT_SERVERGROUPS, oldGroups.c_str(),
                                            self->serverGroups.c_str());
        if (state == "on") {
            p().onServerGroupClientAddedEvent(CONNECTION, OWN_CLIENT, "You", self->uniqueId.c_str(),
                                              ADMIN_GROUP_IDS[0], 5, "Bob", "bobBobBobBobBobBobBobBob000=");
        } else {
            p().onServerGroupClientDeletedEvent(CONNECTION, OWN_CLIENT, "You", self->uniqueId.c_str(),
                                                ADMIN_GROUP_IDS[0], 5, "Bob", "bobBobBobBobBobBobBobBob000=");
        }
        return true;
    }

    bool info(std::istringstream& words) {
        std::string kind;
        unsigned long long id = 0;
        words >> kind >> id;
        int type = kind == "server" ? PLUGIN_SERVER : kind == "channel" ? PLUGIN_CHANNEL : PLUGIN_CLIENT;
        char* data = nullptr;
        p().infoData(CONNECTION, id, type, &data);
        std::printf("%s\n", data != nullptr ? data : "  (no text: switched off in the settings, or unknown)");
        p().freeMemory(data);
        return true;
    }

    bool connect() {
        p().onConnectStatusChangeEvent(CONNECTION, STATUS_CONNECTION_ESTABLISHED, 0);
        std::fflush(stdout);
        // The client answers the plug-in's request for the own client's variables with an update event.
        p().onUpdateClientEvent(CONNECTION, OWN_CLIENT, OWN_CLIENT, "You", "youYouYouYouYouYouYouYou000=");
        printNewLogLines();
        return true;
    }

    // The lines the plug-in wrote to the client's log since the last look.
    void printNewLogLines() {
        std::vector<FakeLogLine> lines = host_.logLines();
        for (std::size_t i = logLinesShown_; i < lines.size(); ++i) {
            std::printf("  client log [severity %d, %s]: %s\n", lines[i].severity, lines[i].channel.c_str(),
                        lines[i].text.c_str());
        }
        logLinesShown_ = lines.size();
    }

    bool listClients() {
        for (const FakeClient& client : host_.findConnection(CONNECTION)->clients) {
            std::printf("  %3d  %-8s %s  groups %s\n", client.id, client.nickname.c_str(),
                        client.uniqueId.c_str(), client.serverGroups.c_str());
        }
        return true;
    }

    // The client runs the configure call on a thread of its own, as the plug-in asked it to.
    bool openSettings() {
        if (windowOpen_) {
            std::printf("  the window is open already: asking again brings it to the front\n");
            p().configure(nullptr, nullptr);
            return true;
        }
        if (configureThread_.joinable())
            configureThread_.join();
        windowOpen_ = true;
        configureThread_ = std::thread([this] {
            p().configure(nullptr, nullptr);
            windowOpen_ = false;
            std::printf("the configure call returned (settings closed)\n");
        });
        return true;
    }

    FakeHost host_;
    PluginLibrary library_;
    std::vector<MenuEntry> menus_;
    std::thread configureThread_;
    std::atomic<bool> windowOpen_{false};
    std::size_t logLinesShown_ = 0;
};

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    SimulatedClient client;
    if (!client.start())
        return 1;
    std::printf("type help for the commands\n");
    // Commands from a file or a pipe are echoed, so that a saved session reads like a typed one.
    const bool echo = !isatty(fileno(stdin));
    std::string line;
    while (std::printf("> "), std::getline(std::cin, line)) {
        if (echo)
            std::printf("%s\n", line.c_str());
        if (!client.run(line))
            break;
    }
    return client.stop() ? 0 : 3;
}
