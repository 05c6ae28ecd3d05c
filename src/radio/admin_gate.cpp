#include "radio/admin_gate.h"

#include <cstdio>
#include <string_view>

#include "base/decimal.h"
#include "base/utf8.h"
#include "deployment_config.h"
#include "host/host_functions.h"
#include "host/plugin_id.h"
#include "radio/context_menus.h"

namespace tandrel {
namespace {

constexpr std::size_t LOG_LINE_SIZE = 512;

bool isGroupSeparator(char c) {
    return c == ',' || c == ' ';
}

// The value of one token as the standard decimal conversion reads it: white space, an optional sign,
// digits up to the first non-digit; no digits give 0. A value beyond the range of int gives 0 too,
// which no administrators' group can be.
long long tokenValue(std::string_view token) {
    return readDecimal(token).value;
}

bool isAdminGroup(long long groupId) {
    for (int adminGroup : ADMIN_GROUP_IDS) {
        if (groupId == adminGroup) {
            return true;
        }
    }
    return false;
}

}  // namespace

int isRadioAdmin(const char* serverGroups) {
    std::string_view rest = serverGroups != nullptr ? serverGroups : "";
    while (!rest.empty()) {
        std::size_t start = 0;
        while (start < rest.size() && isGroupSeparator(rest[start])) {
            ++start;
        }
        std::size_t end = start;
        while (end < rest.size() && !isGroupSeparator(rest[end])) {
            ++end;
        }
        if (end > start) {
            long long groupId = tokenValue(rest.substr(start, end - start));
            if (groupId > 0 && isAdminGroup(groupId)) {
                return 1;
            }
        }
        rest.remove_prefix(end);
    }
    return 0;
}

void setRadioMenusEnabled(int enabled) {
    forEachAdminItem(menuLayout, [enabled](int id) { host::setPluginMenuEnabled(pluginId, id, enabled); });
}

void refreshMenuAccess(uint64 connection) {
    if (pluginId == nullptr) {
        return;
    }
    anyID ownClient = 0;
    if (host::getClientID(connection, ownClient) != 0) {
        host::logMessage("Tandrel: getClientID failed", LogLevel_WARNING, connection);
        return;
    }
    int admin = 0;
    host::HostString groups;
    if (host::getClientVariableAsString(connection, ownClient, CLIENT_SERVERGROUPS, groups) != 0) {
        host::logMessage("Tandrel: getClientVariableAsString(CLIENT_SERVERGROUPS) failed", LogLevel_WARNING,
                         connection);
    } else {
        admin = isRadioAdmin(groups.get());
        // A long list is cut in the log line, at a character boundary; the decision above saw all of it.
        char line[LOG_LINE_SIZE];
        int written = std::snprintf(line, sizeof line, "Tandrel: SERVER_GROUPS='%s' admin=%d",
                                    groups.get() != nullptr ? groups.get() : "(null)", admin);
        if (written >= static_cast<int>(sizeof line)) {
            line[utf8::completeLength(std::string_view(line, sizeof line - 1))] = '\0';
        }
        host::logMessage(line, LogLevel_INFO, connection);
        groups.release();
    }
    setRadioMenusEnabled(admin);
}

void refreshMenuAccessOnEveryConnection() {
    host::HostIdList connections;
    if (host::getServerConnectionHandlerList(connections) != 0) {
        return;
    }
    for (const uint64* connection = connections.get(); connection != nullptr && *connection != 0;
         ++connection) {
        refreshMenuAccess(*connection);
    }
    connections.release();
}

void onOwnClientVariableChanged(int flag, const char* newValue) {
    if (flag == CLIENT_SERVERGROUPS && pluginId != nullptr) {
        setRadioMenusEnabled(isRadioAdmin(newValue));
    }
}

void onClientGroupsMayHaveChanged(uint64 connection, anyID client) {
    anyID ownClient = 0;
    if (host::getClientID(connection, ownClient) != 0) {
        return;
    }
    if (client == ownClient) {
        refreshMenuAccess(connection);
    }
}

}  // namespace tandrel
