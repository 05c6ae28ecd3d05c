// Plays the host against the plug-in core. Each input is one session: the function table is handed
// over, then a sequence of entry-point calls follows (init, registration, menus, menu clicks, info
// requests, the own-client events, connection changes, shutdown, init again), and at the end the
// host unloads the plug-in (shutdown). Every answer of the host table comes from the input as well:
// success or an error code, null results, empty, long, invalid UTF-8 or markup-laden strings, empty
// or huge lists, odd server-group lists, odd configuration folders.
//
// The input's first byte is the number of calls n, the next n bytes say which entry point each call
// is, and the rest is read front to back as the host's choices: the arguments of each call and the
// answers to the plug-in's calls, as they come. Choices beyond the end read as zeros, which decode
// as plain successful answers; so a short input such as "\x02\x01\x03" (init, then menus) is a
// whole session.
//
// What must hold, checked as the session runs and at its end (a broken rule aborts, so that
// libFuzzer keeps the input):
// - the plug-in calls only the slots it uses; the others trap;
// - every string and list the host hands out goes back through freeMemory exactly once, before the
//   entry point returns; a release of anything else, or a second one, is a fault;
// - the plug-in's own heap holds nothing between calls but the copy of its ID, once the harness has
//   given back the menus and info texts the way the host does; after shutdown it holds nothing;
// - no host call happens while the plug-in holds its settings guard;
// - what the plug-in hands over is well-formed: menus in ID order with terminated UTF-8 texts; info
//   blocks that fit, open no markup from host text, stay UTF-8 when the host's strings were, and
//   read exactly as the host's answers make them (shown literally, cut at a character boundary);
// - menu items are only touched under the registered ID, and only admin items; a bot command goes
//   to the first client that is the bot, and a command that does not go out leaves exactly one line
//   for the user in the connection's server tab.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/plugin_heap.h"
#include "base/utf8.h"
#include "deployment_config.h"
#include "host/host_api.h"
#include "host/plugin_id.h"
#include "info/connection_log.h"
#include "info/info_panel.h"
#include "plugin/entry_points.h"
#include "plugin_heap_ledger.h"
#include "radio/context_menus.h"
#include "settings/config_file.h"
#include "settings/plugin_settings.h"

// The three own-client events under the host's names and with the host's argument lists. They share
// one body in the plug-in, which reads the connection and the client; the caller removes the rest.
extern "C" {
void ts3plugin_onServerGroupClientAddedEvent(uint64 connection, anyID client, const char* clientName,
                                             const char* clientUid, uint64 serverGroupId, anyID invoker,
                                             const char* invokerName, const char* invokerUid) noexcept;
void ts3plugin_onServerGroupClientDeletedEvent(uint64 connection, anyID client, const char* clientName,
                                               const char* clientUid, uint64 serverGroupId, anyID invoker,
                                               const char* invokerName, const char* invokerUid) noexcept;
void ts3plugin_onUpdateClientEvent(uint64 connection, anyID client, anyID invoker, const char* invokerName,
                                   const char* invokerUid) noexcept;
}

namespace {

using namespace tandrel;
using testing::PluginHeapLedger;

void removeScratch();

[[noreturn]] void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "host session: %s %s\n", what, detail.c_str());
    // The abort skips the exit handlers; the scratch folder goes first.
    removeScratch();
    std::abort();
}

// --- the input, read front to back ---

class Input {
  public:
    // Splits the input into the list of calls and the choices that follow it.
    void reset(const std::uint8_t* data, std::size_t size) {
        const std::size_t calls = size > 0 ? std::min<std::size_t>(data[0], size - 1) : 0;
        calls_ = size > 0 ? data + 1 : data;
        callCount_ = calls;
        nextCall_ = 0;
        data_ = calls_ + calls;
        size_ = size > 0 ? size - 1 - calls : 0;
        position_ = 0;
    }
    // The next call of the session, as a number below count; none when the list is done.
    std::optional<unsigned int> nextCall(unsigned int count) {
        if (nextCall_ >= callCount_) {
            return std::nullopt;
        }
        return calls_[nextCall_++] % count;
    }

    std::uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    unsigned int pick(unsigned int count) { return byte() % count; }
    // Little-endian, low part first.
    std::uint16_t u16() {
        const unsigned int low = byte();
        return static_cast<std::uint16_t>(low | (byte() << 8));
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | (static_cast<std::uint32_t>(u16()) << 16);
    }
    std::uint64_t u64() {
        const std::uint64_t low = u32();
        return low | (static_cast<std::uint64_t>(u32()) << 32);
    }

    // Raw bytes of the input: a length (one byte, or two after a 255), then up to that many bytes.
    std::string text(std::size_t limit) {
        std::size_t length = byte();
        if (length == 255) {
            length = u16();
        }
        length = std::min({length, limit, size_ - position_});
        std::string bytes(reinterpret_cast<const char*>(data_ + position_), length);
        position_ += length;
        return bytes;
    }

  private:
    const std::uint8_t* calls_ = nullptr;
    std::size_t callCount_ = 0;
    std::size_t nextCall_ = 0;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

Input input;

// --- texts the host may give: from the input, or built from pieces that have broken text handling
// elsewhere ---

const std::vector<std::string>& knownTexts() {
    static const std::vector<std::string> texts = {"[",
                                                   "[[[[[[[[",
                                                   "[b]bold[/b]",
                                                   "[img]http://198.51.100.1/x.png[/img]",
                                                   "[url=http://x]y[/url]",
                                                   "[ABC] Max",
                                                   "[color=red]",
                                                   "[/color]",
                                                   "[B]",
                                                   "%s%s%s%n%d",
                                                   "\xff\xfe",
                                                   "\xc3",
                                                   "\xe2\x80",
                                                   "\xf0\x9f\x98",
                                                   "\xf0\x9f\x98\x80",
                                                   "\xed\xa0\x80",
                                                   "\xc0\xaf",
                                                   "M\xc3\xbcnchner Rundfunk",
                                                   "\xe2\x80\x8b",
                                                   "[\xe2\x80\x8b",
                                                   "6,9",
                                                   "6",
                                                   "9",
                                                   ",,,",
                                                   "99999999999999",
                                                   "6 9",
                                                   " ,6, ",
                                                   "-6",
                                                   "+9",
                                                   "06",
                                                   "6abc",
                                                   "0",
                                                   "2147483647",
                                                   "2147483648",
                                                   "-2147483648",
                                                   "9223372036854775808",
                                                   std::string(BOT_UID) + "x",
                                                   std::string(BOT_UID).substr(1),
                                                   "\n",
                                                   "\r\n",
                                                   "\x7f",
                                                   "\t9"};
    return texts;
}

const std::vector<std::string>& repeatedUnits() {
    static const std::vector<std::string> units = {
        "[", "[b]", "[/", "\xff", "\xe2\x82\xac", "\xc3",
        "a", "6,",  ",",  "%n",   "\xe2\x80\x8b", "\xf0\x9f\x98\x80"};
    return units;
}

std::string repeated(const std::string& unit, std::size_t length) {
    std::string text;
    if (unit.empty()) {
        return text;
    }
    text.reserve(length + unit.size());
    while (text.size() < length) {
        text += unit;
    }
    text.resize(length);
    return text;
}

std::string groupToken() {
    switch (input.pick(8)) {
        case 0:
            return std::to_string(ADMIN_GROUP_IDS[0]);
        case 1:
            return std::to_string(ADMIN_GROUP_IDS[1]);
        case 2:
            return std::to_string(input.byte());
        case 3:
            return std::to_string(static_cast<std::int32_t>(input.u32()));
        case 4:
            return std::to_string(input.u64());
        case 5:
            return "-" + std::to_string(ADMIN_GROUP_IDS[input.pick(2)]);
        case 6:
            return "+0" + std::to_string(ADMIN_GROUP_IDS[input.pick(2)]);
        default:
            return input.text(12);
    }
}

std::string groupList() {
    static const char* const separators[] = {",", " ", ",,", ", ", "\t", ";", ""};
    std::string list;
    for (unsigned int count = input.pick(16); count > 0; --count) {
        list += groupToken();
        list += separators[input.pick(7)];
    }
    return list;
}

std::string hostText() {
    switch (input.pick(9)) {
        case 0:
            return input.text(64);
        case 1:
            return "";
        case 2:
            return knownTexts()[input.pick(static_cast<unsigned int>(knownTexts().size()))];
        case 3: {
            std::string unit =
                input.pick(2) == 0
                    ? repeatedUnits()[input.pick(static_cast<unsigned int>(repeatedUnits().size()))]
                    : input.text(8);
            return repeated(unit, input.u16() % 8193);
        }
        case 4:
            return input.text(8192);
        case 5:
            return BOT_UID;
        case 6:
            return groupList();
        case 7: {
            // Around the size of an info block, where its cut falls.
            std::string unit = repeatedUnits()[input.pick(static_cast<unsigned int>(repeatedUnits().size()))];
            return repeated(unit, INFO_TEXT_SIZE - 40 + input.pick(60));
        }
        default:
            return knownTexts()[input.pick(static_cast<unsigned int>(knownTexts().size()))] + input.text(64);
    }
}

// A text or none (null).
std::optional<std::string> hostTextOrNull() {
    if (input.pick(8) == 7) {
        return std::nullopt;
    }
    return hostText();
}

anyID clientId() {
    std::uint8_t choice = input.byte();
    return choice < 0xF0 ? static_cast<anyID>(choice % 8) : input.u16();
}

uint64 connectionId() {
    std::uint8_t choice = input.byte();
    return choice < 0xF0 ? choice % 4 : input.u64();
}

unsigned int errorCode() {
    std::uint8_t choice = input.byte();
    if (choice < 0xC0) {
        return 0;
    }
    static const unsigned int codes[] = {HOST_ERROR_NOT_CONNECTED, 1, 512, 768, 1538, 1799, 0xFFFFFFFFu};
    return (choice & 7) < 7 ? codes[choice & 7] : input.u32();
}

// --- the host's memory: everything handed out is in the ledger until it comes back ---

class HostLedger {
  public:
    template <typename T>
    T* handOut(const T* values, std::size_t count) {
        // Exactly the size of the content, so that AddressSanitizer sees any read past it.
        T* block = static_cast<T*>(std::malloc(sizeof(T) * count));
        std::memcpy(block, values, sizeof(T) * count);
        live_.insert(block);
        released_.erase(block);
        return block;
    }
    char* handOutString(const std::string& text) { return handOut(text.c_str(), text.size() + 1); }

    void release(void* pointer) {
        if (pointer == nullptr) {
            fail("freeMemory(null)");
        }
        if (live_.erase(pointer) == 0) {
            fail(released_.count(pointer) != 0 ? "second freeMemory of a host block"
                                               : "freeMemory of a pointer the host never handed out");
        }
        // Freed at once, so that AddressSanitizer reports any later use.
        std::free(pointer);
        released_.insert(pointer);
    }

    std::size_t outstanding() const { return live_.size(); }

    void clear() {
        for (void* block : live_) {
            std::free(block);
        }
        live_.clear();
        released_.clear();
    }

  private:
    std::unordered_set<void*> live_;
    std::unordered_set<void*> released_;
};

HostLedger hostLedger;

// A pointer to freed memory: what a host may leave in an out value when a call fails. Reading it or
// releasing it is a fault.
template <typename T>
T* leftBehind() {
    void* block = std::malloc(16);
    std::free(block);
    return static_cast<T*>(block);
}

// --- what the harness sees of one entry-point call ---

// One string or number query as the host answered it.
struct Answer {
    char kind;  // 's' string, 'i' number
    std::size_t flag;
    bool ok;
    std::string text;  // a null string as the plug-in prints it: empty
    int number = 0;    // a success that wrote nothing leaves the plug-in's 0
};

struct Step {
    int hostCalls = 0;
    std::vector<Answer> answers;
    bool allocationRefused = false;
    bool nonUtf8Answer = false;  // a string the host gave in this call was not UTF-8
    uint64 connection = 0;       // the event's connection
    std::vector<std::optional<anyID>> clientIdAnswers;
    int clientListCalls = 0;
    bool botAnswered = false;  // some client's unique identifier was answered as the bot's
    anyID firstBot = 0;
    int sends = 0;
    bool sent = false;  // a send the host accepted
    std::string sentText;
    int prints = 0;
    int menuEnabledCalls = 0;
    std::unordered_set<int> menuEnabledIds;
    std::unordered_set<int> enabledValues;
    std::optional<unsigned int> menuAnswer;
};

Step step;

// The registered ID as the host passed it; none before registration or after a null one.
std::optional<std::string> registeredId;

// What the harness knows of the plug-in's menu IDs: items 0 to 2 * base - 1 of the menus it was last
// handed, client items below base. Unknown until menus were handed over, and after a build whose
// array the host did not ask for.
struct MenuModel {
    bool known = false;
    int base = 0;

    bool isAdminItem(int id) const {
        if (id < 0 || id >= 2 * base) {
            return false;
        }
        return (id < base ? id : id - base) >= 2;
    }
    int adminItemCount() const { return 2 * base - 4; }
};

MenuModel menus;

// The table as installed: the host's full table, with the slots the input left empty set to null.
TS3Functions installed{};

int guardDepth = 0;

void observeSettingsGuard(bool held) {
    guardDepth += held ? 1 : -1;
}

void enterHost(const char* function) {
    if (guardDepth != 0) {
        fail("host called while the plug-in holds its settings guard:", function);
    }
    ++step.hostCalls;
}

void checkPluginText(const char* text, const char* what) {
    if (text == nullptr) {
        fail("null text from the plug-in:", what);
    }
    (void)std::strlen(text);  // terminated: AddressSanitizer reports a read past its buffer
}

// --- answers of the table's functions ---

unsigned int answerString(char** result, std::size_t flag) {
    if (result == nullptr) {
        fail("null out pointer for a string");
    }
    unsigned int error = errorCode();
    if (error != 0) {
        if (input.pick(2) == 1) {
            *result = leftBehind<char>();
        }
        step.answers.push_back({'s', flag, false, {}});
        return error;
    }
    std::optional<std::string> text = hostTextOrNull();
    if (!text) {
        *result = nullptr;
        step.answers.push_back({'s', flag, true, {}});
        return 0;
    }
    if (!utf8::isValid(*text)) {
        step.nonUtf8Answer = true;
    }
    *result = hostLedger.handOutString(*text);
    step.answers.push_back({'s', flag, true, *result});
    return 0;
}

unsigned int answerInt(int* result, std::size_t flag) {
    if (result == nullptr) {
        fail("null out pointer for a number");
    }
    unsigned int error = errorCode();
    if (error != 0) {
        step.answers.push_back({'i', flag, false, {}});
        return error;
    }
    std::optional<int> value;
    switch (input.pick(5)) {
        case 0:
            value = input.byte();
            break;
        case 1:
            value = -static_cast<int>(input.byte());
            break;
        case 2:
            value = static_cast<int>(input.u32());
            break;
        case 3:
            value = input.pick(2) == 0 ? INT_MIN : INT_MAX;
            break;
        default:
            break;  // success, and nothing written
    }
    if (value) {
        *result = *value;
    }
    step.answers.push_back({'i', flag, true, {}, value.value_or(0)});
    return 0;
}

// A 0-terminated list: empty, null, a few entries from the input, or a long one.
template <typename T, typename Entry>
unsigned int answerList(T** result, Entry entry, std::size_t hugeCount) {
    if (result == nullptr) {
        fail("null out pointer for a list");
    }
    unsigned int error = errorCode();
    if (error != 0) {
        if (input.pick(2) == 1) {
            *result = leftBehind<T>();
        }
        return error;
    }
    std::vector<T> values;
    switch (input.pick(6)) {
        case 0:
            for (unsigned int count = input.pick(9); count > 0; --count) {
                values.push_back(entry());
            }
            break;
        case 1:
            break;
        case 2:
            *result = nullptr;
            return 0;
        case 3:
            for (unsigned int count = input.u16() % 301; count > 0; --count) {
                values.push_back(entry());
            }
            break;
        case 4:
            for (std::size_t i = 0; i < hugeCount; ++i) {
                values.push_back(static_cast<T>(i % 65535 + 1));
            }
            break;
        default:
            for (unsigned int count = input.pick(5); count > 0; --count) {
                values.push_back(static_cast<T>(input.pick(2) == 0 ? input.u16() : input.u64()));
            }
            break;
    }
    values.push_back(0);
    *result = hostLedger.handOut(values.data(), values.size());
    return 0;
}

unsigned int hostGetClientLibVersion(char** result) {
    enterHost("getClientLibVersion");
    return answerString(result, 0);
}

unsigned int hostFreeMemory(void* pointer) {
    enterHost("freeMemory");
    hostLedger.release(pointer);
    return 0;
}

unsigned int hostLogMessage(const char* text, LogLevel severity, const char* channel, uint64 logId) {
    enterHost("logMessage");
    (void)logId;
    checkPluginText(text, "log line");
    checkPluginText(channel, "log channel");
    if (severity != LogLevel_ERROR && severity != LogLevel_WARNING && severity != LogLevel_INFO) {
        fail("log line of unknown severity", std::to_string(static_cast<int>(severity)));
    }
    return errorCode();
}

unsigned int hostRequestClientVariables(uint64 connection, anyID client, const char* returnCode) {
    enterHost("requestClientVariables");
    if (returnCode != nullptr) {
        (void)std::strlen(returnCode);
    }
    // The own client's variables, on the connection at hand, as the host just named it.
    if (connection != step.connection || step.clientIdAnswers.empty() || !step.clientIdAnswers.back() ||
        client != *step.clientIdAnswers.back()) {
        fail("requestClientVariables for another than the own client", std::to_string(client));
    }
    return errorCode();
}

unsigned int hostRequestSendPrivateTextMsg(uint64 connection, const char* text, anyID target,
                                           const char* returnCode) {
    enterHost("requestSendPrivateTextMsg");
    checkPluginText(text, "bot command");
    if (returnCode != nullptr) {
        (void)std::strlen(returnCode);
    }
    ++step.sends;
    step.sentText = text;
    if (connection != step.connection) {
        fail("bot command sent on another connection", std::to_string(connection));
    }
    if (!step.botAnswered || target != step.firstBot) {
        fail("bot command sent to a client that is not the first bot", std::to_string(target));
    }
    unsigned int error = errorCode();
    step.sent = error == 0;
    return error;
}

unsigned int hostGetClientID(uint64 connection, anyID* result) {
    enterHost("getClientID");
    (void)connection;
    if (result == nullptr) {
        fail("null out pointer for getClientID");
    }
    unsigned int error = errorCode();
    if (error != 0) {
        step.clientIdAnswers.push_back(std::nullopt);
        return error;
    }
    *result = clientId();
    step.clientIdAnswers.push_back(*result);
    return 0;
}

unsigned int hostGetClientSelfVariableAsString(uint64 connection, size_t flag, char** result) {
    enterHost("getClientSelfVariableAsString");
    (void)connection;
    return answerString(result, flag);
}

unsigned int hostGetClientVariableAsInt(uint64 connection, anyID client, size_t flag, int* result) {
    enterHost("getClientVariableAsInt");
    (void)connection;
    (void)client;
    return answerInt(result, flag);
}

unsigned int hostGetClientVariableAsString(uint64 connection, anyID client, size_t flag, char** result) {
    enterHost("getClientVariableAsString");
    (void)connection;
    if (flag == CLIENT_UNIQUE_IDENTIFIER && input.pick(4) == 3) {
        // The bot, often enough for the commands to go out.
        *result = hostLedger.handOutString(BOT_UID);
        step.answers.push_back({'s', flag, true, BOT_UID});
    } else {
        unsigned int error = answerString(result, flag);
        if (error != 0 || *result == nullptr || flag != CLIENT_UNIQUE_IDENTIFIER ||
            std::strcmp(*result, BOT_UID) != 0) {
            return error;
        }
    }
    if (!step.botAnswered) {
        step.botAnswered = true;
        step.firstBot = client;
    }
    return 0;
}

unsigned int hostGetClientList(uint64 connection, anyID** result) {
    enterHost("getClientList");
    (void)connection;
    ++step.clientListCalls;
    step.botAnswered = false;
    return answerList(result, clientId, 5000);
}

unsigned int hostGetChannelVariableAsInt(uint64 connection, uint64 channel, size_t flag, int* result) {
    enterHost("getChannelVariableAsInt");
    (void)connection;
    (void)channel;
    return answerInt(result, flag);
}

unsigned int hostGetChannelVariableAsString(uint64 connection, uint64 channel, size_t flag, char** result) {
    enterHost("getChannelVariableAsString");
    (void)connection;
    (void)channel;
    return answerString(result, flag);
}

unsigned int hostGetChannelList(uint64 connection, uint64** result) {
    enterHost("getChannelList");
    (void)connection;
    return answerList(
        result, [] { return input.pick(2) == 0 ? uint64{input.byte()} : input.u64(); }, 5000);
}

unsigned int hostGetServerConnectionHandlerList(uint64** result) {
    enterHost("getServerConnectionHandlerList");
    // Each connection costs an evaluation with a call per admin item, so a long list stays shorter.
    return answerList(result, connectionId, 100);
}

unsigned int hostGetServerVariableAsInt(uint64 connection, size_t flag, int* result) {
    enterHost("getServerVariableAsInt");
    (void)connection;
    return answerInt(result, flag);
}

unsigned int hostGetServerVariableAsString(uint64 connection, size_t flag, char** result) {
    enterHost("getServerVariableAsString");
    (void)connection;
    return answerString(result, flag);
}

// --- the configuration folder ---

// Holds the folders getConfigPath names: each "<scratch>/<name>/plugins/TandrelPlugin.ini", made once;
// nothing outside it is ever named.
std::string scratch;
const char* const PRESET_FOLDERS[] = {"full", "none", "max", "input"};

std::string presetFolder(const char* name) {
    return scratch + "/" + name + "/";
}

std::string settingsFileIn(const char* name) {
    return presetFolder(name) + "plugins/" + CONFIG_FILE_NAME;
}

void writeFile(const std::string& path, const std::string& content) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(content.data(), 1, content.size(), file) != content.size() ||
        std::fclose(file) != 0) {
        fail("cannot write", path);
    }
}

void writeBounded(char* path, std::size_t maxLen, const std::string& text) {
    std::size_t length = std::min(text.size(), maxLen - 1);
    std::memcpy(path, text.data(), length);
    path[length] = '\0';
}

void hostGetConfigPath(char* path, size_t maxLen) {
    enterHost("getConfigPath");
    if (path == nullptr || maxLen < 2) {
        fail("getConfigPath with no room for a folder", std::to_string(maxLen));
    }
    switch (input.pick(11)) {
        case 0:
            writeBounded(path, maxLen, presetFolder("full"));
            break;
        case 1:
            writeBounded(path, maxLen, presetFolder("none"));
            break;
        case 2:
            writeBounded(path, maxLen, presetFolder("max"));
            break;
        case 3:
            writeFile(settingsFileIn("input"), input.text(4096));
            writeBounded(path, maxLen, presetFolder("input"));
            break;
        case 4: {
            // Without the closing '/'.
            std::string folder = presetFolder("full");
            folder.pop_back();
            writeBounded(path, maxLen, folder);
            break;
        }
        case 5:
            writeBounded(path, maxLen, "");
            break;
        case 6:
            // The whole buffer, unterminated.
            std::memset(path, 'x', maxLen);
            break;
        case 7:
            // A folder that fills the buffer to its last byte.
            writeBounded(path, maxLen, scratch + "/" + std::string(maxLen, 'd'));
            break;
        case 8: {
            // A folder that does not exist, its name from the input; it stays inside the scratch folder.
            std::string name = input.text(300);
            for (char& c : name) {
                if (c == '/' || c == '.' || c == '\0') {
                    c = '_';
                }
            }
            writeBounded(path, maxLen, scratch + "/absent-" + name + "/");
            break;
        }
        case 9:
            break;  // nothing written
        default: {
            // A folder whose file path just fits or just does not.
            std::size_t room = maxLen - 1 - std::strlen("plugins/") - std::strlen(CONFIG_FILE_NAME);
            std::size_t length = room - std::min<std::size_t>(room, input.pick(8)) + input.pick(8);
            std::string folder = scratch + "/";
            if (length > folder.size() + 1) {
                folder += std::string(length - folder.size() - 1, 'l');
            }
            folder += "/";
            writeBounded(path, maxLen, folder);
            break;
        }
    }
}

void hostPrintMessage(uint64 connection, const char* message, int target) {
    enterHost("printMessage");
    checkPluginText(message, "printed message");
    if (target != PLUGIN_MESSAGE_TARGET_SERVER && target != PLUGIN_MESSAGE_TARGET_CHANNEL) {
        fail("printMessage to an unknown target", std::to_string(target));
    }
    if (connection == step.connection && target == PLUGIN_MESSAGE_TARGET_SERVER) {
        ++step.prints;
    }
}

// Slot 185: a line in the current tab. The plug-in has no use for it; the host takes anything.
void hostPrintMessageToCurrentTab(const char* message) {
    enterHost("printMessageToCurrentTab");
    if (message != nullptr) {
        (void)std::strlen(message);
    }
}

unsigned int hostSetPluginMenuEnabled(const char* id, int menuId, int enabled) {
    enterHost("setPluginMenuEnabled");
    if (!registeredId) {
        fail("menu item touched without a registered ID", std::to_string(menuId));
    }
    if (id == nullptr || *registeredId != id) {
        fail("menu item touched under another ID than the registered one", std::to_string(menuId));
    }
    if (enabled != 0 && enabled != 1) {
        fail("menu item set to", std::to_string(enabled));
    }
    if (menus.known && !menus.isAdminItem(menuId)) {
        fail("setPluginMenuEnabled for an item that is not an admin item", std::to_string(menuId));
    }
    ++step.menuEnabledCalls;
    step.menuEnabledIds.insert(menuId);
    step.enabledValues.insert(enabled);
    // One answer for all items of a call: the plug-in sets hundreds at a time.
    if (!step.menuAnswer) {
        step.menuAnswer = errorCode();
    }
    return *step.menuAnswer;
}

// Unused slots end the session: the plug-in must never call them.
template <int Slot>
void unusedSlot() {
    fail("unused host slot called:", std::to_string(Slot));
}

template <int... Slots>
TS3Functions trappingTable(std::integer_sequence<int, Slots...>) {
    UnusedHostFunction traps[] = {&unusedSlot<Slots>...};
    static_assert(sizeof traps == sizeof(TS3Functions), "one trap per slot");
    TS3Functions table;
    std::memcpy(&table, traps, sizeof traps);
    return table;
}

TS3Functions hostTable() {
    TS3Functions table = trappingTable(std::make_integer_sequence<int, TS3_FUNCTION_COUNT>{});
    table.getClientLibVersion = hostGetClientLibVersion;
    table.freeMemory = hostFreeMemory;
    table.logMessage = hostLogMessage;
    table.requestClientVariables = hostRequestClientVariables;
    table.requestSendPrivateTextMsg = hostRequestSendPrivateTextMsg;
    table.getClientID = hostGetClientID;
    table.getClientSelfVariableAsString = hostGetClientSelfVariableAsString;
    table.getClientVariableAsInt = hostGetClientVariableAsInt;
    table.getClientVariableAsString = hostGetClientVariableAsString;
    table.getClientList = hostGetClientList;
    table.getChannelVariableAsInt = hostGetChannelVariableAsInt;
    table.getChannelVariableAsString = hostGetChannelVariableAsString;
    table.getChannelList = hostGetChannelList;
    table.getServerConnectionHandlerList = hostGetServerConnectionHandlerList;
    table.getServerVariableAsInt = hostGetServerVariableAsInt;
    table.getServerVariableAsString = hostGetServerVariableAsString;
    table.getConfigPath = hostGetConfigPath;
    table.printMessage = hostPrintMessage;
    table.unused185To196[0] = reinterpret_cast<UnusedHostFunction>(&hostPrintMessageToCurrentTab);
    table.setPluginMenuEnabled = hostSetPluginMenuEnabled;
    return table;
}

// The used slots that a table may leave empty, one bit each; freeMemory is always there, or nothing
// could be given back.
void leaveSlotsEmpty(TS3Functions& table, std::uint32_t mask) {
    static const std::size_t emptiable[] = {0,  6,  49, 54, 73, 75, 79,  81,  82,
                                            84, 86, 93, 96, 97, 99, 181, 184, 197};
    for (std::size_t bit = 0; bit < sizeof emptiable / sizeof emptiable[0]; ++bit) {
        if ((mask >> bit) & 1u) {
            std::memset(reinterpret_cast<unsigned char*>(&table) + emptiable[bit] * sizeof(void*), 0,
                        sizeof(void*));
        }
    }
}

// --- the plug-in's heap: every block in the ledger, and an allocation fails when the input says so
// (never while menus are built: a failed item leaves a hole, and the host reads the array only up to
// its first null, which the unit suites cover) ---

BlockAllocator ledgerAllocator = nullptr;
bool allocationsMayFail = true;

void* sessionAllocator(std::size_t size) {
    if (allocationsMayFail && input.byte() == 0xFF) {
        step.allocationRefused = true;
        return nullptr;
    }
    return ledgerAllocator(size);
}

class SessionHeap {
  public:
    SessionHeap() {
        ledgerAllocator = blockAllocator;
        blockAllocator = sessionAllocator;
    }
    ~SessionHeap() { blockAllocator = ledgerAllocator; }
    SessionHeap(const SessionHeap&) = delete;
    SessionHeap& operator=(const SessionHeap&) = delete;

    PluginHeapLedger& ledger() { return ledger_; }

  private:
    PluginHeapLedger ledger_;  // made before the allocator goes in front of it, gone after
};

// --- strings the host passes into an entry point: its own, valid for the call only ---

class HostArgument {
  public:
    explicit HostArgument(std::optional<std::string> text) {
        if (text) {
            text_ = static_cast<char*>(std::malloc(text->size() + 1));
            std::memcpy(text_, text->c_str(), text->size() + 1);
        }
    }
    ~HostArgument() { std::free(text_); }
    HostArgument(const HostArgument&) = delete;
    HostArgument& operator=(const HostArgument&) = delete;
    const char* get() const { return text_; }

  private:
    char* text_ = nullptr;
};

// --- checks of what the plug-in hands over ---

constexpr std::string_view TAG_BREAK = "\xE2\x80\x8B";

// Every "[" of an info block either opens one of the block's own tags (perhaps cut at the block's
// end) or is followed by the zero-width space that keeps host text from being read as markup.
void checkMarkup(std::string_view block) {
    static const std::string_view ownTags[] = {"[B]", "[/B]", "[color=#990000]", "[/color]"};
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (block[i] != '[') {
            continue;
        }
        std::string_view rest = block.substr(i);
        if (rest.substr(1, TAG_BREAK.size()) == TAG_BREAK) {
            continue;
        }
        bool own = false;
        for (std::string_view tag : ownTags) {
            own = own || rest.substr(0, tag.size()) == tag || tag.substr(0, rest.size()) == rest;
        }
        if (!own) {
            fail("info block has a '[' that opens markup:", std::string(block.substr(i, 40)));
        }
    }
}

// Host text as a block shows it: a zero-width space after each "[", as long as the block has room.
std::string shownLiterally(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (shown.size() >= INFO_TEXT_SIZE - 1) {
            break;
        }
        shown += c;
        if (c == '[') {
            shown += TAG_BREAK;
        }
    }
    return shown;
}

// The queries of each block, in the order the plug-in makes them: kind and property.
const std::vector<std::pair<char, std::size_t>>& infoQueries(int type) {
    static const std::vector<std::pair<char, std::size_t>> queries[] = {
        {{'s', VIRTUALSERVER_NAME},
         {'s', VIRTUALSERVER_UNIQUE_IDENTIFIER},
         {'s', VIRTUALSERVER_IP},
         {'s', VIRTUALSERVER_ID},
         {'i', VIRTUALSERVER_ICON_ID}},
        {{'s', CHANNEL_NAME}, {'i', CHANNEL_ICON_ID}},
        {{'s', CLIENT_NICKNAME},
         {'s', CLIENT_UNIQUE_IDENTIFIER},
         {'i', CLIENT_TALK_POWER},
         {'i', CLIENT_DATABASE_ID},
         {'i', CLIENT_ICON_ID}},
    };
    return queries[type];
}

// The whole block the answers make, before the cut.
std::string fullInfoBlock(int type, uint64 itemId, const std::vector<Answer>& a) {
    const std::string open = "[color=#990000]";
    const std::string close = "[/color]";
    auto field = [&](const char* label, const std::string& value) { return label + open + value + close; };
    switch (type) {
        case PLUGIN_SERVER:
            return "[B]Server[/B]\n" + field("Name:      ", shownLiterally(a[0].text)) + "\n" +
                   field("UID:       ", shownLiterally(a[1].text)) + "\n" +
                   field("IP:        ", shownLiterally(a[2].text)) + "\n" +
                   field("Server ID: ", shownLiterally(a[3].text)) + "\n" +
                   field("Icon ID:   ", std::to_string(a[4].number));
        case PLUGIN_CHANNEL:
            return "[B]Channel[/B]\n" + field("Name:    ", shownLiterally(a[0].text)) + "\n" +
                   field("ID:      ", std::to_string(itemId)) + "\n" +
                   field("Icon ID: ", std::to_string(a[1].number));
        default:
            return "[B]Client[/B]\n" + field("Name:       ", shownLiterally(a[0].text)) + "\n" +
                   field("UID:        ", shownLiterally(a[1].text)) + "\n" +
                   field("Client ID:  ", std::to_string(itemId & 0xFFFFu)) + "\n" +
                   field("DB ID:      ", std::to_string(a[3].number)) + "\n" +
                   field("Talk Power: ", std::to_string(a[2].number)) + "\n" +
                   field("Icon ID:    ", std::to_string(a[4].number));
    }
}

// The block as it fits: at most INFO_TEXT_SIZE - 1 bytes, ending on a character boundary, and never
// between a "[" of host text and its zero-width space (the "[" goes too).
std::string cutInfoBlock(const std::string& full) {
    std::size_t kept = utf8::cutLength(full, INFO_TEXT_SIZE - 1);
    if (kept < full.size() && kept > 0 && full[kept - 1] == '[' &&
        full.compare(kept, TAG_BREAK.size(), TAG_BREAK) == 0) {
        --kept;
    }
    return full.substr(0, kept);
}

// What infoData handed over (data, null or a block) against what the host's answers call for: no
// block when the kind is switched off (no query), a query failed, or the block's allocation was
// refused; otherwise exactly the block the answers make.
void checkInfoData(char* data, int type, uint64 itemId) {
    if (type < 0 || type > 2) {
        if (data != nullptr || step.hostCalls != 0) {
            fail("infoData for an unknown item type answered or called the host", std::to_string(type));
        }
        return;
    }
    const std::vector<std::pair<char, std::size_t>>& queries = infoQueries(type);
    const std::vector<Answer>& answers = step.answers;
    if (answers.size() > queries.size()) {
        fail("infoData asked the host more than its block needs", std::to_string(answers.size()));
    }
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (answers[i].kind != queries[i].first || answers[i].flag != queries[i].second) {
            fail("infoData asked for another property at query", std::to_string(i));
        }
        if (!answers[i].ok && i + 1 != answers.size()) {
            fail("infoData went on asking after a failed query");
        }
    }
    const bool answered = answers.size() == queries.size() && answers.back().ok;
    if (data == nullptr) {
        if (answered && !step.allocationRefused) {
            fail("infoData handed no block although every query was answered");
        }
        return;
    }
    if (!answered) {
        fail("infoData handed a block although a query was not answered");
    }
    const void* end = std::memchr(data, '\0', INFO_TEXT_SIZE);
    if (end == nullptr) {
        fail("info block not terminated inside its size");
    }
    std::string_view block(data, static_cast<std::size_t>(static_cast<const char*>(end) - data));
    if (!step.nonUtf8Answer && !utf8::isValid(block)) {
        fail("info block not UTF-8 though every host string was");
    }
    checkMarkup(block);
    const std::string expected = cutInfoBlock(fullInfoBlock(type, itemId, answers));
    if (block != expected) {
        std::size_t at = 0;
        while (at < block.size() && at < expected.size() && block[at] == expected[at]) {
            ++at;
        }
        fail("info block differs from the host's answers at byte", std::to_string(at));
    }
}

// Walks the items as the host does, up to the first null slot, checks them and gives them back.
void takeMenus(PluginMenuItem** items) {
    int count = 0;
    while (items[count] != nullptr) {
        ++count;
        if (count > 2 * MAX_STATIONS + 2 * FIXED_MENU_ITEM_COUNT) {
            fail("menu array longer than any layout");
        }
    }
    if (count % 2 != 0 || count < 2 * FIXED_MENU_ITEM_COUNT) {
        fail("menus with an odd or too small number of items", std::to_string(count));
    }
    const int base = count / 2;
    for (int i = 0; i < count; ++i) {
        const PluginMenuItem& item = *items[i];
        const PluginMenuType expectedType = i < base ? PLUGIN_MENU_TYPE_CLIENT : PLUGIN_MENU_TYPE_CHANNEL;
        if (item.id != i || item.type != expectedType) {
            fail("menu item out of order at", std::to_string(i));
        }
        if (std::memchr(item.text, '\0', sizeof item.text) == nullptr ||
            std::memchr(item.icon, '\0', sizeof item.icon) == nullptr) {
            fail("menu item text not terminated at", std::to_string(i));
        }
        if (!utf8::isValid(item.text)) {
            fail("menu item text not UTF-8 at", std::to_string(i));
        }
        ts3plugin_freeMemory(items[i]);
    }
    ts3plugin_freeMemory(items);
    menus.known = true;
    menus.base = base;
}

// After every entry point: no host memory kept, and nothing of the plug-in's own heap held but its ID.
void checkBetweenCalls(SessionHeap& heap, const char* entryPoint) {
    if (guardDepth != 0) {
        fail("settings guard still held after", entryPoint);
    }
    if (hostLedger.outstanding() != 0) {
        fail("host memory kept past the call of", entryPoint);
    }
    std::size_t expected = pluginId != nullptr ? 1 : 0;
    if (heap.ledger().outstandingBlocks() != expected) {
        fail("plug-in heap blocks held past the call of", entryPoint);
    }
}

// --- the session's steps ---

void beginStep(uint64 connection = 0) {
    step = Step{};
    step.connection = connection;
}

void doSetFunctionPointers() {
    static const TS3Functions full = hostTable();
    installed = full;
    if (input.byte() >= 0xF0) {
        leaveSlotsEmpty(installed, input.u32());
    }
    beginStep();
    ts3plugin_setFunctionPointers(installed);
}

void doRegisterPluginId() {
    std::optional<std::string> id;
    switch (input.pick(5)) {
        case 0:
            id = "tandrel-fuzz-id";
            break;
        case 1:
            break;
        case 2:
            id = "";
            break;
        case 3:
            id = std::string(input.u16() % 10001, 'i');
            break;
        default:
            id = hostText();
            break;
    }
    HostArgument argument(id);
    registeredId = id ? std::optional<std::string>(argument.get()) : std::nullopt;
    beginStep();
    ts3plugin_registerPluginID(argument.get());
    if (!id && step.hostCalls != 0) {
        fail("a null ID made the plug-in call the host");
    }
}

void doInitMenus() {
    const bool askItems = input.pick(8) != 7;
    const bool askIcon = input.pick(8) != 7;
    PluginMenuItem** items = reinterpret_cast<PluginMenuItem**>(0x1);
    char* icon = nullptr;
    const bool idHeld = pluginId != nullptr;
    beginStep();
    // The layout is made anew; the items the plug-in disables are checked against it afterwards.
    menus.known = false;
    allocationsMayFail = false;
    ts3plugin_initMenus(askItems ? &items : nullptr, askIcon ? &icon : nullptr);
    allocationsMayFail = true;
    if (!askItems) {
        return;
    }
    if (items == reinterpret_cast<PluginMenuItem**>(0x1) || items == nullptr) {
        fail("initMenus handed no menus although every allocation was granted");
    }
    if (icon != nullptr) {
        ts3plugin_freeMemory(icon);
    }
    takeMenus(items);
    // With an ID, every admin item is disabled once; without one, the host is not called.
    if (!idHeld && step.hostCalls != 0) {
        fail("initMenus called the host without an ID");
    }
    if (idHeld && installed.setPluginMenuEnabled != nullptr &&
        (step.menuEnabledCalls != menus.adminItemCount() ||
         static_cast<int>(step.menuEnabledIds.size()) != menus.adminItemCount() ||
         step.enabledValues.count(1) != 0)) {
        fail("initMenus did not disable each admin item once", std::to_string(step.menuEnabledCalls));
    }
    for (int id : step.menuEnabledIds) {
        if (!menus.isAdminItem(id)) {
            fail("initMenus disabled an item that is not an admin item", std::to_string(id));
        }
    }
}

int menuType() {
    switch (input.pick(4)) {
        case 0:
            return PLUGIN_MENU_TYPE_CLIENT;
        case 1:
            return PLUGIN_MENU_TYPE_CHANNEL;
        case 2:
            return static_cast<int>(input.byte()) - 128;
        default:
            return static_cast<int>(input.u32());
    }
}

void doMenuItemEvent() {
    const uint64 connection = connectionId();
    const int type = menuType();
    int id = 0;
    if (menus.known && input.pick(4) != 3) {
        id = input.u16() % (2 * menus.base + 2);
    } else {
        id = static_cast<int>(input.u32());
    }
    const uint64 selected = input.pick(2) == 0 ? input.byte() : input.u64();
    beginStep(connection);
    ts3plugin_onMenuItemEvent(connection, type, id, selected);

    if (step.clientListCalls > 1 || step.sends > 1) {
        fail("one click asked for the client list or sent more than once");
    }
    int relative = -1;  // the item's place in its menu; -1 for no item
    if (type == PLUGIN_MENU_TYPE_CLIENT && id >= 0 && id < menus.base) {
        relative = id;
    } else if (type == PLUGIN_MENU_TYPE_CHANNEL && id >= menus.base && id < 2 * menus.base) {
        relative = id - menus.base;
    }
    // A command looks for the bot (without the client list's slot it fails at once); an item that
    // makes none calls nothing. A command that does not go out leaves one line in the server tab.
    const bool listAsked = step.clientListCalls != 0;
    const bool commandMade = installed.getClientList != nullptr ? listAsked : relative >= 0;
    if (installed.getClientList != nullptr) {
        if (!listAsked && step.hostCalls != 0) {
            fail("a click that makes no command called the host");
        }
        if (menus.known && listAsked != (relative >= 0)) {
            fail("a click made a command for no item, or none for an item", std::to_string(id));
        }
    } else if (menus.known && relative < 0 && step.hostCalls != 0) {
        fail("a click that makes no command called the host");
    }
    const bool outcomeKnown = installed.getClientList != nullptr || menus.known;
    if (outcomeKnown && commandMade && installed.printMessage != nullptr &&
        step.prints != (step.sent ? 0 : 1)) {
        fail("a click left the wrong number of lines for the user", std::to_string(step.prints));
    }
    if (!menus.known) {
        return;
    }
    if (step.sends == 0) {
        return;
    }
    static const char* const fixed[] = {"!subscribe", "!unsubscribe", "!subscribe channel",
                                        "!unsubscribe channel"};
    if (relative < FIXED_MENU_ITEM_COUNT
            ? step.sentText != fixed[relative]
            : step.sentText.rfind("!play ", 0) != 0 || !utf8::isValid(step.sentText)) {
        fail("the bot got the wrong command:", step.sentText);
    }
}

void doInfoData() {
    const uint64 connection = connectionId();
    const uint64 id = input.pick(2) == 0 ? input.byte() : input.u64();
    int type = 0;
    switch (input.pick(5)) {
        case 0:
        case 1:
        case 2:
            type = static_cast<int>(input.byte() % 3);
            break;
        case 3:
            type = static_cast<int>(input.byte()) - 128;
            break;
        default:
            type = static_cast<int>(input.u32());
            break;
    }
    const bool askData = input.pick(8) != 7;
    char* data = reinterpret_cast<char*>(0x1);
    beginStep(connection);
    ts3plugin_infoData(connection, id, type, askData ? &data : nullptr);
    if (!askData) {
        return;
    }
    if (data == reinterpret_cast<char*>(0x1)) {
        fail("infoData left the host's out value as it was");
    }
    checkInfoData(data, type, id);
    ts3plugin_freeMemory(data);
}

// The three own-client events: the own ID is asked first; only the own client is evaluated again.
void checkOwnClientEvent(anyID client) {
    if (installed.getClientID == nullptr) {
        return;
    }
    if (step.clientIdAnswers.empty()) {
        fail("an own-client event did not ask for the own client");
    }
    const std::optional<anyID>& own = step.clientIdAnswers.front();
    if ((!own || *own != client) && step.hostCalls != 1) {
        fail("an event of another client made the plug-in evaluate", std::to_string(client));
    }
}

void doServerGroupEvent(bool added) {
    const uint64 connection = connectionId();
    const anyID client = clientId();
    HostArgument clientName(hostTextOrNull());
    HostArgument clientUid(hostTextOrNull());
    const uint64 group = input.pick(2) == 0 ? uint64{input.byte()} : input.u64();
    const anyID invoker = clientId();
    HostArgument invokerName(hostTextOrNull());
    HostArgument invokerUid(hostTextOrNull());
    beginStep(connection);
    if (added) {
        ts3plugin_onServerGroupClientAddedEvent(connection, client, clientName.get(), clientUid.get(), group,
                                                invoker, invokerName.get(), invokerUid.get());
    } else {
        ts3plugin_onServerGroupClientDeletedEvent(connection, client, clientName.get(), clientUid.get(),
                                                  group, invoker, invokerName.get(), invokerUid.get());
    }
    checkOwnClientEvent(client);
}

void doUpdateClientEvent() {
    const uint64 connection = connectionId();
    const anyID client = clientId();
    const anyID invoker = clientId();
    HostArgument invokerName(hostTextOrNull());
    HostArgument invokerUid(hostTextOrNull());
    beginStep(connection);
    ts3plugin_onUpdateClientEvent(connection, client, invoker, invokerName.get(), invokerUid.get());
    checkOwnClientEvent(client);
}

void doSelfVariableUpdate() {
    const uint64 connection = connectionId();
    int flag = CLIENT_SERVERGROUPS;
    switch (input.pick(4)) {
        case 0:
            break;
        case 1:
            flag = CLIENT_NICKNAME;
            break;
        case 2:
            flag = input.byte();
            break;
        default:
            flag = static_cast<int>(input.u32());
            break;
    }
    HostArgument oldValue(hostTextOrNull());
    HostArgument newValue(input.pick(2) == 0 ? std::optional<std::string>(groupList()) : hostTextOrNull());
    const bool idHeld = pluginId != nullptr;
    beginStep(connection);
    ts3plugin_onClientSelfVariableUpdateEvent(connection, flag, oldValue.get(), newValue.get());
    // Only a change of the server groups, with an ID, sets the admin items, all alike.
    if (flag != CLIENT_SERVERGROUPS || !idHeld) {
        if (step.hostCalls != 0) {
            fail("a variable change that decides nothing called the host", std::to_string(flag));
        }
        return;
    }
    if (step.hostCalls != step.menuEnabledCalls || step.enabledValues.size() > 1) {
        fail("a change of the server groups did more than set the admin items alike");
    }
    if (menus.known && installed.setPluginMenuEnabled != nullptr &&
        (step.menuEnabledCalls != menus.adminItemCount() ||
         static_cast<int>(step.menuEnabledIds.size()) != menus.adminItemCount())) {
        fail("a change of the server groups did not set each admin item once",
             std::to_string(step.menuEnabledCalls));
    }
}

void doConnectStatusChange() {
    const uint64 connection = connectionId();
    int status = static_cast<int>(input.pick(6));
    if (input.byte() >= 0xF0) {
        status = static_cast<int>(input.u32());
    }
    const unsigned int error = input.pick(2) == 0 ? 0 : input.u32();
    beginStep(connection);
    ts3plugin_onConnectStatusChangeEvent(connection, status, error);
    if (status != STATUS_CONNECTION_ESTABLISHED && step.hostCalls != 0) {
        fail("a status other than established called the host", std::to_string(status));
    }
}

void doIdentity() {
    beginStep();
    for (const char* text : {ts3plugin_name(), ts3plugin_version(), ts3plugin_author(),
                             ts3plugin_description(), ts3plugin_infoTitle()}) {
        checkPluginText(text, "identity");
        if (!utf8::isValid(text)) {
            fail("identity text not UTF-8:", text);
        }
    }
    if (ts3plugin_apiVersion() != PLUGIN_API_VERSION) {
        fail("wrong interface version", std::to_string(ts3plugin_apiVersion()));
    }
    if (step.hostCalls != 0) {
        fail("an identity query called the host");
    }
}

// The byte of a call in the input's list, modulo Count.
enum class Operation {
    SetFunctionPointers = 0,
    Init = 1,
    RegisterPluginId = 2,
    InitMenus = 3,
    MenuItemEvent = 4,
    InfoData = 5,
    ServerGroupAdded = 6,
    ServerGroupDeleted = 7,
    UpdateClient = 8,
    SelfVariableUpdate = 9,
    ConnectStatusChange = 10,
    Shutdown = 11,
    Identity = 12,
    Count = 13,
};

const char* run(Operation operation) {
    switch (operation) {
        case Operation::SetFunctionPointers:
            doSetFunctionPointers();
            return "setFunctionPointers";
        case Operation::Init:
            beginStep();
            if (ts3plugin_init() != 0) {
                fail("init failed");
            }
            return "init";
        case Operation::RegisterPluginId:
            doRegisterPluginId();
            return "registerPluginID";
        case Operation::InitMenus:
            doInitMenus();
            return "initMenus";
        case Operation::MenuItemEvent:
            doMenuItemEvent();
            return "onMenuItemEvent";
        case Operation::InfoData:
            doInfoData();
            return "infoData";
        case Operation::ServerGroupAdded:
            doServerGroupEvent(true);
            return "onServerGroupClientAddedEvent";
        case Operation::ServerGroupDeleted:
            doServerGroupEvent(false);
            return "onServerGroupClientDeletedEvent";
        case Operation::UpdateClient:
            doUpdateClientEvent();
            return "onUpdateClientEvent";
        case Operation::SelfVariableUpdate:
            doSelfVariableUpdate();
            return "onClientSelfVariableUpdateEvent";
        case Operation::ConnectStatusChange:
            doConnectStatusChange();
            return "onConnectStatusChangeEvent";
        case Operation::Shutdown:
            beginStep();
            ts3plugin_shutdown();
            // The ID is gone with the shutdown: no menu item may be touched until the next one.
            registeredId.reset();
            return "shutdown";
        case Operation::Identity:
            doIdentity();
            return "identity";
        case Operation::Count:
            break;
    }
    return "nothing";
}

// --- the scratch folder ---

std::string maxSettingsText() {
    std::string text = "show_server_info=1\nshow_channel_info=1\nshow_client_info=1\nstation_count=200\n";
    for (int i = 0; i < MAX_STATIONS; ++i) {
        std::string index = std::to_string(i);
        // Labels and URLs as long as a field holds, ending in a character of two bytes.
        text += "station_" + index + "_label=[" + std::string(STATION_LABEL_SIZE - 4, 'L') + "\xc3\xa4\n";
        text += "station_" + index + "_url=https://" + std::string(STATION_URL_SIZE - 11, 'u') + "\xc3\xa4\n";
        text += "station_" + index + "_enabled=1\n";
    }
    return text;
}

void removeScratch() {
    if (scratch.empty()) {
        return;
    }
    for (const char* name : PRESET_FOLDERS) {
        std::remove(settingsFileIn(name).c_str());
        rmdir((presetFolder(name) + "plugins").c_str());
        rmdir(presetFolder(name).c_str());
    }
    rmdir(scratch.c_str());
}

void makeScratch() {
    char folder[] = "/tmp/tandrel-fuzz-host-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        fail("cannot make a scratch folder");
    }
    scratch = folder;
    for (const char* name : PRESET_FOLDERS) {
        if (mkdir(presetFolder(name).c_str(), 0700) != 0 ||
            mkdir((presetFolder(name) + "plugins").c_str(), 0700) != 0) {
            fail("cannot make", presetFolder(name));
        }
    }
    writeFile(settingsFileIn("full"),
              "show_server_info=1\nshow_channel_info=1\nshow_client_info=1\nstation_count=3\n"
              "station_0_label=Pop | Charts\nstation_0_url=https://example.invalid/pop\nstation_0_enabled=1\n"
              "station_1_label=[b]Jazz[/b] \xc3\xa4\nstation_1_url=https://example.invalid/jazz?a=[x]&b=%s\n"
              "station_1_enabled=0\n"
              "station_2_label=Rock | \xe2\x80\x8b\nstation_2_url=https://example.invalid/rock\n"
              "station_2_enabled=1\n");
    writeFile(settingsFileIn("max"), maxSettingsText());
    writeFile(settingsFileIn("input"), "");
    // Where the Windows build looks for its folder; here too nothing outside the scratch folder.
    setenv("APPDATA", scratch.c_str(), 1);
    std::atexit(removeScratch);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    makeScratch();
    // The connection log's lines are formatted (every host string is read) and thrown away.
    connectionLogOutput = std::fopen("/dev/null", "w");
    if (connectionLogOutput == nullptr) {
        fail("cannot open /dev/null");
    }
    settingsGuardObserver = observeSettingsGuard;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    input.reset(data, size);
    // The state of a freshly loaded library.
    releasePluginId();
    pluginSettings = PluginSettings{};
    menuLayout = MenuLayout{};
    registeredId.reset();
    menus = MenuModel{};
    guardDepth = 0;
    {
        SessionHeap heap;
        // The host hands its table over before anything else.
        doSetFunctionPointers();
        checkBetweenCalls(heap, "setFunctionPointers");
        while (std::optional<unsigned int> call =
                   input.nextCall(static_cast<unsigned int>(Operation::Count))) {
            const char* entryPoint = run(static_cast<Operation>(*call));
            checkBetweenCalls(heap, entryPoint);
        }
        // The host unloads the plug-in at the end.
        beginStep();
        ts3plugin_shutdown();
        checkBetweenCalls(heap, "shutdown");
        std::vector<std::string> problems = heap.ledger().problems();
        if (!problems.empty()) {
            fail("plug-in heap after shutdown:", problems.front());
        }
    }
    hostLedger.clear();
    return 0;
}
