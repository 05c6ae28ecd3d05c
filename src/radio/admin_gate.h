// Decides from the own client's server groups whether the user is a radio administrator, and
// enables or disables the admin menu items to match.
#pragma once

#include "plugin/host_api.h"

namespace tandrel {

// Evaluates the own client's server groups on one connection and sets the admin items.
void refreshMenuAccess(uint64 connection);

}  // namespace tandrel
