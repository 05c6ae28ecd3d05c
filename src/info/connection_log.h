// What the plug-in writes when a connection to a server is established: one line to the host's log,
// a few lines to standard output, and a request for the own client's variables, whose answer lets
// the admin gate settle on the new connection.
#pragma once

#include <cstdio>

#include "host/host_api.h"

namespace tandrel {

void logConnectionStatus(uint64 connection, int newStatus);

// Where the standard-output lines go; tests point it elsewhere.
extern std::FILE* connectionLogOutput;

}  // namespace tandrel
