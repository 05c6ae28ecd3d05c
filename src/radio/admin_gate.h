// Decides from the own client's server groups whether the user is a radio administrator, and
// enables or disables the admin menu items to match. It keeps no state: the host's enabled flags
// are the only trace of the last evaluation.
#pragma once

#include "host/host_api.h"

namespace tandrel {

// 1 when the comma- or blank-separated list of server-group IDs names a radio administrators' group,
// else 0. A null list counts as empty; the list may have any length.
int isRadioAdmin(const char* serverGroups);

// Evaluates the own client's server groups on one connection, logs the outcome and sets the admin
// items. Does nothing before the plug-in ID is known.
void refreshMenuAccess(uint64 connection);

// Evaluates every connection the host lists, in list order: the last one decides. Run once the
// plug-in has its ID.
void refreshMenuAccessOnEveryConnection();

// Sets every admin item of both menus to enabled (0 or 1). Callers call it only while the plug-in ID
// is known.
void setRadioMenusEnabled(int enabled);

// A variable of the own client changed: for its server groups, the new list decides.
void onOwnClientVariableChanged(int flag, const char* newValue);

// A client's server groups or variables changed: when it is the own client, evaluate again.
void onClientGroupsMayHaveChanged(uint64 connection, anyID client);

}  // namespace tandrel
