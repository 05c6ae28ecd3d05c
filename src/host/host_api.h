// The host client's plug-in interface (version 26) as this plug-in uses it: identifier types, the
// enums and constants it passes or compares, the menu item record it hands out, and the table of host
// functions it calls. Only what the plug-in needs is named; the other slots of the table are kept as
// anonymous placeholders so that every used entry sits at the position the host fills it in.
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned long long uint64;  // connection and channel IDs
typedef unsigned short anyID;       // client IDs

enum PluginApi {
    PLUGIN_API_VERSION = 26,
    PLUGIN_OFFERS_CONFIGURE_NEW_THREAD = 1,
};

enum LogLevel {
    LogLevel_ERROR = 1,
    LogLevel_WARNING = 2,
    LogLevel_INFO = 4,
};

enum PluginMenuType {
    PLUGIN_MENU_TYPE_CHANNEL = 1,
    PLUGIN_MENU_TYPE_CLIENT = 2,
};

enum PluginMessageTarget {
    PLUGIN_MESSAGE_TARGET_SERVER = 0,  // the connection's server tab
    PLUGIN_MESSAGE_TARGET_CHANNEL = 1,
};

enum PluginItemType {
    PLUGIN_SERVER = 0,
    PLUGIN_CHANNEL = 1,
    PLUGIN_CLIENT = 2,
};

enum ConnectStatus {
    STATUS_CONNECTION_ESTABLISHED = 4,
};

enum HostErrorCode {
    HOST_OK = 0,
    HOST_ERROR_NOT_CONNECTED = 1794,  // server name asked for before the server answered
};

enum ClientProperties {
    CLIENT_UNIQUE_IDENTIFIER = 0,
    CLIENT_NICKNAME = 1,
    CLIENT_DATABASE_ID = 32,
    CLIENT_SERVERGROUPS = 34,
    CLIENT_TALK_POWER = 42,
    CLIENT_ICON_ID = 56,
};

enum ChannelProperties {
    CHANNEL_NAME = 0,
    CHANNEL_ICON_ID = 31,
};

enum VirtualServerProperties {
    VIRTUALSERVER_UNIQUE_IDENTIFIER = 0,
    VIRTUALSERVER_NAME = 1,
    VIRTUALSERVER_ID = 39,
    VIRTUALSERVER_ICON_ID = 67,
    VIRTUALSERVER_IP = 74,
};

#define PLUGIN_MENU_BUFSZ 128

struct PluginMenuItem {
    enum PluginMenuType type;
    int id;
    char text[PLUGIN_MENU_BUFSZ];
    char icon[PLUGIN_MENU_BUFSZ];
};

// A slot of the host table that the plug-in never calls.
typedef void (*UnusedHostFunction)(void);

#define TS3_FUNCTION_COUNT 226

// The host's function table, passed whole to ts3plugin_setFunctionPointers. Every function but
// getConfigPath and printMessage returns an error code, 0 on success; strings and arrays it returns
// are released with freeMemory. Texts go both ways in UTF-8.
struct TS3Functions {
    unsigned int (*getClientLibVersion)(char** result);  // 0
    UnusedHostFunction unused1To4[4];
    unsigned int (*freeMemory)(void* pointer);  // 5
    unsigned int (*logMessage)(const char* logMessage, enum LogLevel severity, const char* channel,
                               uint64 logID);  // 6
    UnusedHostFunction unused7To48[42];
    unsigned int (*requestClientVariables)(uint64 serverConnectionHandlerID, anyID clientID,
                                           const char* returnCode);  // 49
    UnusedHostFunction unused50To53[4];
    unsigned int (*requestSendPrivateTextMsg)(uint64 serverConnectionHandlerID, const char* message,
                                              anyID targetClientID, const char* returnCode);  // 54
    UnusedHostFunction unused55To72[18];
    unsigned int (*getClientID)(uint64 serverConnectionHandlerID, anyID* result);  // 73
    UnusedHostFunction unused74[1];
    unsigned int (*getClientSelfVariableAsString)(uint64 serverConnectionHandlerID, size_t flag,
                                                  char** result);  // 75
    UnusedHostFunction unused76To78[3];
    unsigned int (*getClientVariableAsInt)(uint64 serverConnectionHandlerID, anyID clientID, size_t flag,
                                           int* result);  // 79
    UnusedHostFunction unused80[1];
    unsigned int (*getClientVariableAsString)(uint64 serverConnectionHandlerID, anyID clientID, size_t flag,
                                              char** result);                         // 81
    unsigned int (*getClientList)(uint64 serverConnectionHandlerID, anyID** result);  // 82
    UnusedHostFunction unused83[1];
    unsigned int (*getChannelVariableAsInt)(uint64 serverConnectionHandlerID, uint64 channelID, size_t flag,
                                            int* result);  // 84
    UnusedHostFunction unused85[1];
    unsigned int (*getChannelVariableAsString)(uint64 serverConnectionHandlerID, uint64 channelID,
                                               size_t flag, char** result);  // 86
    UnusedHostFunction unused87To92[6];
    unsigned int (*getChannelList)(uint64 serverConnectionHandlerID, uint64** result);  // 93
    UnusedHostFunction unused94To95[2];
    unsigned int (*getServerConnectionHandlerList)(uint64** result);  // 96
    unsigned int (*getServerVariableAsInt)(uint64 serverConnectionHandlerID, size_t flag,
                                           int* result);  // 97
    UnusedHostFunction unused98[1];
    unsigned int (*getServerVariableAsString)(uint64 serverConnectionHandlerID, size_t flag,
                                              char** result);  // 99
    UnusedHostFunction unused100To180[81];
    // Writes the client's configuration folder, ending in '/', as a NUL-terminated UTF-8 path of at
    // most maxLen bytes.
    void (*getConfigPath)(char* path, size_t maxLen);  // 181
    UnusedHostFunction unused182To183[2];
    void (*printMessage)(uint64 serverConnectionHandlerID, const char* message, int messageTarget);  // 184
    UnusedHostFunction unused185To196[12];
    unsigned int (*setPluginMenuEnabled)(const char* pluginID, int menuID, int enabled);  // 197
    UnusedHostFunction unused198To225[28];
};

#ifdef __cplusplus
}  // extern "C"

// The table's shape is the host's ABI: pin every used slot and the total size, for 32 and 64 bits alike.
#define TANDREL_HOST_SLOT(member, index)                                     \
    static_assert(offsetof(TS3Functions, member) == (index) * sizeof(void*), \
                  #member " is not at slot " #index)
TANDREL_HOST_SLOT(getClientLibVersion, 0);
TANDREL_HOST_SLOT(freeMemory, 5);
TANDREL_HOST_SLOT(logMessage, 6);
TANDREL_HOST_SLOT(requestClientVariables, 49);
TANDREL_HOST_SLOT(requestSendPrivateTextMsg, 54);
TANDREL_HOST_SLOT(getClientID, 73);
TANDREL_HOST_SLOT(getClientSelfVariableAsString, 75);
TANDREL_HOST_SLOT(getClientVariableAsInt, 79);
TANDREL_HOST_SLOT(getClientVariableAsString, 81);
TANDREL_HOST_SLOT(getClientList, 82);
TANDREL_HOST_SLOT(getChannelVariableAsInt, 84);
TANDREL_HOST_SLOT(getChannelVariableAsString, 86);
TANDREL_HOST_SLOT(getChannelList, 93);
TANDREL_HOST_SLOT(getServerConnectionHandlerList, 96);
TANDREL_HOST_SLOT(getServerVariableAsInt, 97);
TANDREL_HOST_SLOT(getServerVariableAsString, 99);
TANDREL_HOST_SLOT(getConfigPath, 181);
TANDREL_HOST_SLOT(printMessage, 184);
TANDREL_HOST_SLOT(setPluginMenuEnabled, 197);
#undef TANDREL_HOST_SLOT
static_assert(sizeof(TS3Functions) == TS3_FUNCTION_COUNT * sizeof(void*), "the host table has 226 slots");
static_assert(sizeof(PluginMenuItem) == 2 * sizeof(int) + 2 * PLUGIN_MENU_BUFSZ, "menu item layout");
static_assert(sizeof(anyID) == 2 && sizeof(uint64) == 8, "identifier widths");
#endif
